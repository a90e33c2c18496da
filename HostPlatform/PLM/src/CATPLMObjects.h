#ifndef CATPLMObjects_h
#define CATPLMObjects_h
// Private to CATPLMServices: the objects the session hands out for database objects. Each knows its
// session and database object; they implement several interfaces on one reference count.
#include <atomic>
#include <vector>

#include "CATIAlias.h"
#include "CATICkeObject.h"
#include "CATINavigateObject.h"
#include "CATIPLMNavOccurrence.h"
#include "CATPLMSessionImpl.h"

// How the services find the session and database object behind any of the objects below.
CATDeclareIID(CATPLMRecordHandle);
class CATPLMRecordHandle : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATPLMRecordHandle);
  virtual const CATPLMSessionPtr& Session() = 0;
  virtual CATPLMId RecordId() = 0;
};

// One reference count for all the interfaces an object derives from.
template <class... Ifaces>
class CATPLMObject : public Ifaces... {
 public:
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

class CATPLMComponentObj
    : public CATPLMObject<CATIPLMComponent, CATICkeObject, CATIAlias, CATPLMRecordHandle> {
 public:
  CATPLMComponentObj(const CATPLMSessionPtr& session, CATPLMId id) : session_(session), id_(id) {}
  HRESULT QueryInterface(const IID& iid, void** out) override;
  HRESULT GetAdpID(CATIAdpPLMIdentificator_var& oId) override;
  CATUnicodeString GetAlias() override;
  const CATPLMSessionPtr& Session() override { return session_; }
  CATPLMId RecordId() override { return id_; }

 private:
  CATPLMSessionPtr session_;
  CATPLMId id_;
};

class CATPLMIdentificatorObj : public CATPLMObject<CATIAdpPLMIdentificator, CATPLMRecordHandle> {
 public:
  CATPLMIdentificatorObj(const CATPLMSessionPtr& session, CATPLMId id) : session_(session), id_(id) {}
  HRESULT QueryInterface(const IID& iid, void** out) override;
  HRESULT IsSaved(CATBoolean& oSaved) override;
  HRESULT GetPLMType(CATIType_var& oType) override;
  CATBoolean IsEqual(CATIAdpPLMIdentificator* iOther) override;
  const CATPLMSessionPtr& Session() override { return session_; }
  CATPLMId RecordId() override { return id_; }

 private:
  CATPLMSessionPtr session_;
  CATPLMId id_;
};

class CATPLMEntityObj : public CATPLMObject<CATIPLMNavEntity, CATPLMRecordHandle> {
 public:
  CATPLMEntityObj(const CATPLMSessionPtr& session, CATPLMId id) : session_(session), id_(id) {}
  HRESULT QueryInterface(const IID& iid, void** out) override;
  HRESULT IsRepresentation(CATBoolean& oIsRepresentation) override;
  HRESULT GetAttributeValues(const CATListValCATUnicodeString& iNames,
                             CATListValCATUnicodeString& oValues) override;
  HRESULT GetPLMComponent(CATIPLMComponent_var& oComponent) override;
  const CATPLMSessionPtr& Session() override { return session_; }
  CATPLMId RecordId() override { return id_; }

 private:
  CATPLMSessionPtr session_;
  CATPLMId id_;
};

// A node of a product tree. Fathers hold their children; a child's father link is plain and is cut when
// the session closes (Detach), so no cycle outlives the session.
class CATPLMOccurrenceObj : public CATPLMObject<CATIPLMNavOccurrence, CATINavigateObject, CATIPLMComponent> {
 public:
  CATPLMOccurrenceObj(const CATPLMSessionPtr& session, CATPLMId reference, CATPLMId instance,
                      CATPLMOccurrenceObj* father)
      : session_(session), reference_(reference), instance_(instance), father_(father) {}
  ~CATPLMOccurrenceObj() override;
  HRESULT QueryInterface(const IID& iid, void** out) override;
  HRESULT GetReference(CATIPLMNavEntity_var& oReference) override;
  HRESULT GetInstance(CATIPLMNavEntity_var& oInstance) override;
  HRESULT GetFather(CATIPLMNavOccurrence_var& oFather) override;
  HRESULT ListChildren(CATListValCATIPLMNavOccurrence_var& oChildren) override;
  HRESULT GetPLMComponent(CATIPLMComponent_var& oComponent) override;
  HRESULT GetAdpID(CATIAdpPLMIdentificator_var& oId) override;
  HRESULT GetIdentificators(CATListValCATUnicodeString& oIdentificators) override;
  // Cuts the tree below this node apart (session end).
  void Detach();

 private:
  bool Usable() const { return session_->IsOpen(); }
  HRESULT Expand();
  CATPLMSessionPtr session_;
  CATPLMId reference_;
  CATPLMId instance_;  // 0 at the root
  CATPLMOccurrenceObj* father_;
  std::vector<CATPLMOccurrenceObj*> children_;
  bool expanded_ = false;
};

#endif
