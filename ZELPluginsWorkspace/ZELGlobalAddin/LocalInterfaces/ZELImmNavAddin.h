#ifndef ZELImmNavAddin_h
#define ZELImmNavAddin_h
// The add-in of the navigation workshop: declares the headers of the commands that work on the navigated
// structure.
#include "CATIImmNavAddin.h"

class ZELImmNavAddin : public CATIImmNavAddin {
 public:
  ZELImmNavAddin() = default;
  ZELImmNavAddin(const ZELImmNavAddin&) = delete;
  ZELImmNavAddin& operator=(const ZELImmNavAddin&) = delete;

  HRESULT QueryInterface(const IID& iid, void** out) override;
  void CreateCommands() override;
  CATCmdContainer* CreateToolbars() override;

  // The workshop's headers keep their initial states.
  static void UpdateImmNavAddinCommandHeader();

 protected:
  ~ZELImmNavAddin() override = default;
};

#endif
