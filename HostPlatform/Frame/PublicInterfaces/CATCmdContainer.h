#ifndef CATCmdContainer_h
#define CATCmdContainer_h
// A container of the action bar (a section, a toolbar, a menu): starters, each bound to the identifier of
// a command header, and child containers, in one order.
#include <vector>

#include "CATAfrFoundationExport.h"
#include "CATCmdAccess.h"

CATDeclareIID(CATCmdContainer);

class ExportedByCATAfrFoundation CATCmdContainer : public CATCmdAccess {
 public:
  CATDeclareInterfaceId(CATCmdContainer);
  struct Starter {
    CATString name;
    CATString header;
  };

  explicit CATCmdContainer(const CATString& name);
  ~CATCmdContainer() override;
  HRESULT QueryInterface(const IID& iid, void** out) override;
  const char* GetAccessKind() const override { return "CATCmdContainer"; }

  // Adds a starter bound to a header identifier; S_FALSE when this container already has a starter of
  // that name (the first stays), E_INVALIDARG without a name.
  HRESULT AddStarter(const CATString& name, const CATString& headerId);
  // Adds a child and keeps a reference. E_INVALIDARG for null, for this container or one it lies under
  // (a loop would never be released), S_FALSE when it already is a child.
  HRESULT AddChild(CATCmdContainer* child);
  // Inserts an access after `after` (at the end when after is null) and keeps a reference. S_FALSE when it
  // already is here; E_INVALIDARG for null, for a starter whose name a starter here has, for an access of
  // another container, for `after` not here, or for a container that would hold itself.
  HRESULT AddAccess(CATCmdAccess* access, CATCmdAccess* after = nullptr);

  // The accesses in order.
  const std::vector<CATCmdAccess*>& GetAccesses() const { return accesses_; }
  std::vector<Starter> GetStarters() const;
  std::vector<CATCmdContainer*> GetChildren() const;
  // The starters of this container, then those of its children, depth first.
  std::vector<Starter> ListAllStarters() const;
  // Whether container is this one or lies somewhere under it.
  bool Contains(const CATCmdContainer* container) const;

 private:
  std::vector<CATCmdAccess*> accesses_;
};
CATDeclareHandler(CATCmdContainer);

#endif
