#ifndef CATBaseUnknown_h
#define CATBaseUnknown_h
// Reference-counted objects, interfaces queried by identifier, and the _var handlers that hold them.
#include <atomic>
#include <cstddef>
#include <type_traits>
#include <utility>

#include "IUnknown.h"

CATDeclareIID(CATBaseUnknown);
CATDeclareIID(IUnknown);

class ExportedByCATSysTS CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATBaseUnknown);
  // A new object holds one reference, owned by its creator.
  CATBaseUnknown() = default;
  CATBaseUnknown(const CATBaseUnknown&) : refs_(1) {}
  CATBaseUnknown& operator=(const CATBaseUnknown&) { return *this; }
  virtual ~CATBaseUnknown() = default;

  virtual HRESULT QueryInterface(const IID& iid, void** out);
  virtual ULONG AddRef();
  virtual ULONG Release();
  ULONG RefCount() const { return refs_.load(); }

 private:
  std::atomic<ULONG> refs_{1};
};

// QueryInterface over a list of interfaces the object derives from; CATBaseUnknown is always answered
// through the first interface of the list.
template <class First, class... Ifaces, class Self>
HRESULT CATQueryInterfaceOf(Self* self, const IID& iid, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  First* first = static_cast<First*>(self);
  if (iid == First::ClassId() || iid == IID_CATBaseUnknown || iid == IID_IUnknown)
    *out = first;
  else
    (void)((iid == Ifaces::ClassId() ? (*out = static_cast<Ifaces*>(self), true) : false) || ...);
  if (!*out) return E_NOINTERFACE;
  static_cast<CATBaseUnknown*>(first)->AddRef();
  return S_OK;
}

// A tie: one interface of an object implemented by a separate adapter whose references and queries are the
// object's own. A concrete tie derives from CATTie<Interface> and forwards each operation to Owner().
template <class Itf>
class CATTie : public Itf {
 public:
  explicit CATTie(CATBaseUnknown* owner) : owner_(owner) {}
  CATTie(const CATTie&) = delete;
  CATTie& operator=(const CATTie&) = delete;
  HRESULT QueryInterface(const IID& iid, void** out) override { return owner_->QueryInterface(iid, out); }
  ULONG AddRef() override { return owner_->AddRef(); }
  ULONG Release() override { return owner_->Release(); }

 protected:
  CATBaseUnknown* Owner() const { return owner_; }

 private:
  CATBaseUnknown* owner_;
};

struct CATNullVar {};
inline constexpr CATNullVar NULL_var{};

// Handler holding one reference; assigning from another interface queries for this one.
template <class T>
class CATVar {
 public:
  CATVar() = default;
  CATVar(CATNullVar) {}
  CATVar(std::nullptr_t) {}
  CATVar(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  CATVar(const CATVar& o) : CATVar(o.p_) {}
  CATVar(CATVar&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  template <class U, class = std::enable_if_t<!std::is_same_v<U, T>>>
  CATVar(U* p) {
    Acquire(p);
  }
  template <class U, class = std::enable_if_t<!std::is_same_v<U, T>>>
  CATVar(const CATVar<U>& o) {
    Acquire(static_cast<U*>(o));
  }
  ~CATVar() {
    if (p_) p_->Release();
  }
  CATVar& operator=(CATVar o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  T* operator->() const { return p_; }
  operator T*() const { return p_; }
  T* get() const { return p_; }
  int operator!() const { return p_ == nullptr; }
  int operator==(CATNullVar) const { return p_ == nullptr; }
  int operator!=(CATNullVar) const { return p_ != nullptr; }
  friend int operator==(CATNullVar, const CATVar& v) { return v.p_ == nullptr; }
  friend int operator!=(CATNullVar, const CATVar& v) { return v.p_ != nullptr; }

 private:
  template <class U>
  void Acquire(U* p) {
    if (!p) return;
    if constexpr (std::is_base_of_v<T, U>) {
      p_ = p;
      p_->AddRef();
    } else {
      void* out = nullptr;
      if (SUCCEEDED(p->QueryInterface(T::ClassId(), &out))) p_ = static_cast<T*>(out);
    }
  }
  T* p_ = nullptr;
};

typedef CATVar<CATBaseUnknown> CATBaseUnknown_var;

// Declares the _var handler of an interface.
#define CATDeclareHandler(Name) typedef CATVar<Name> Name##_var

#endif
