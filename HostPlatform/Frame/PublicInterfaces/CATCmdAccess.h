#ifndef CATCmdAccess_h
#define CATCmdAccess_h
// The access tree of the action bar: containers (sections, toolbars, menus) hold accesses in order, and a
// starter is the access that stands for one command header (bound by identifier with SetAccessCommand).
// An access lies in at most one container; the container holds a reference to it.
#include "CATAfrFoundationExport.h"
#include "CATBaseUnknown.h"
#include "CATString.h"

class CATCmdContainer;

CATDeclareIID(CATCmdAccess);
CATDeclareIID(CATCmdStarter);

class ExportedByCATAfrFoundation CATCmdAccess : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATCmdAccess);
  CATCmdAccess(const CATCmdAccess&) = delete;
  CATCmdAccess& operator=(const CATCmdAccess&) = delete;

  const CATString& GetName() const { return name_; }
  // "CATCmdContainer" or "CATCmdStarter".
  virtual const char* GetAccessKind() const = 0;
  // The container this access lies in, or null.
  CATCmdContainer* GetParent() const { return parent_; }

 protected:
  explicit CATCmdAccess(const CATString& name) : name_(name) {}

 private:
  friend class CATCmdContainer;
  CATString name_;
  CATCmdContainer* parent_ = nullptr;
};
CATDeclareHandler(CATCmdAccess);

class ExportedByCATAfrFoundation CATCmdStarter : public CATCmdAccess {
 public:
  CATDeclareInterfaceId(CATCmdStarter);
  explicit CATCmdStarter(const CATString& name, const CATString& headerId = CATString())
      : CATCmdAccess(name), header_(headerId) {}
  HRESULT QueryInterface(const IID& iid, void** out) override;
  const char* GetAccessKind() const override { return "CATCmdStarter"; }

  const CATString& GetCommand() const { return header_; }
  void SetCommand(const CATString& headerId) { header_ = headerId; }

 private:
  CATString header_;
};
CATDeclareHandler(CATCmdStarter);

// Binds a starter to a header identifier. E_INVALIDARG when access is null or not a starter.
ExportedByCATAfrFoundation HRESULT SetAccessCommand(CATCmdAccess* access, const CATString& headerId);
// Appends child to parent's accesses (see CATCmdContainer::AddAccess). E_INVALIDARG when parent is null or
// not a container.
ExportedByCATAfrFoundation HRESULT SetAccessChild(CATCmdAccess* parent, CATCmdAccess* child);
// Places next right after previous in previous's container. E_FAIL when previous lies in none.
ExportedByCATAfrFoundation HRESULT SetAccessNext(CATCmdAccess* previous, CATCmdAccess* next);

#endif
