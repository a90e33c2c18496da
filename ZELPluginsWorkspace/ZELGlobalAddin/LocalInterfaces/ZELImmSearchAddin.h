#ifndef ZELImmSearchAddin_h
#define ZELImmSearchAddin_h
// The add-in of the platform's home; it contributes no command yet.
#include "I3DEXPERIENCEPlatformAddin.h"

class ZELImmSearchAddin : public I3DEXPERIENCEPlatformAddin {
 public:
  ZELImmSearchAddin() = default;
  ZELImmSearchAddin(const ZELImmSearchAddin&) = delete;
  ZELImmSearchAddin& operator=(const ZELImmSearchAddin&) = delete;

  HRESULT QueryInterface(const IID& iid, void** out) override;
  void CreateCommands() override;
  CATCmdContainer* CreateToolbars() override;

  static void UpdateImmSearchAddinCommandHeader();

 protected:
  ~ZELImmSearchAddin() override = default;
};

#endif
