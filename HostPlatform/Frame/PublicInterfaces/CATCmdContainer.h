#ifndef CATCmdContainer_h
#define CATCmdContainer_h
// A container of the action bar (a section, a toolbar, a menu): named starters, each bound to the
// identifier of a command header, and child containers, in the order they were added.
#include <vector>

#include "CATAfrFoundationExport.h"
#include "CATBaseUnknown.h"
#include "CATString.h"

CATDeclareIID(CATCmdContainer);

class ExportedByCATAfrFoundation CATCmdContainer : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATCmdContainer);
  struct Starter {
    CATString name;
    CATString header;
  };

  explicit CATCmdContainer(const CATString& name);
  ~CATCmdContainer() override;
  HRESULT QueryInterface(const IID& iid, void** out) override;

  const CATString& GetName() const { return name_; }

  // Adds a starter bound to a header identifier; S_FALSE when this container already has a starter of
  // that name (the first stays), E_INVALIDARG without a name.
  HRESULT AddStarter(const CATString& name, const CATString& headerId);
  // Adds a child and keeps a reference. E_INVALIDARG for null, for this container or one it lies under
  // (a loop would never be released), S_FALSE when it already is a child.
  HRESULT AddChild(CATCmdContainer* child);

  const std::vector<Starter>& GetStarters() const { return starters_; }
  const std::vector<CATCmdContainer*>& GetChildren() const { return children_; }
  // The starters of this container, then those of its children, depth first.
  std::vector<Starter> ListAllStarters() const;
  // Whether container is this one or lies somewhere under it.
  bool Contains(const CATCmdContainer* container) const;

 private:
  CATString name_;
  std::vector<Starter> starters_;
  std::vector<CATCmdContainer*> children_;
};
CATDeclareHandler(CATCmdContainer);

#endif
