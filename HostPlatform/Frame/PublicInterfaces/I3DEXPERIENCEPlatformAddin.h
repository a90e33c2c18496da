#ifndef I3DEXPERIENCEPlatformAddin_h
#define I3DEXPERIENCEPlatformAddin_h
// An add-in of the platform's home (workbench "3DEXPERIENCEPlatform"). The frame creates the
// components that the dictionaries declare for this interface the first time the home becomes current.
#include "CATAfrFoundationExport.h"
#include "CATBaseUnknown.h"

class CATCmdContainer;

CATDeclareIID(I3DEXPERIENCEPlatformAddin);

class ExportedByCATAfrFoundation I3DEXPERIENCEPlatformAddin : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(I3DEXPERIENCEPlatformAddin);
  // Declares the add-in's command headers (CreateCmdHdrArgs); called once per session, first.
  virtual void CreateCommands() = 0;
  // The add-in's action-bar containers, or null. The frame keeps the returned reference for the session.
  virtual CATCmdContainer* CreateToolbars() = 0;
};
CATDeclareHandler(I3DEXPERIENCEPlatformAddin);

#endif
