#ifndef CATIAfrGeneralWksAddin_h
#define CATIAfrGeneralWksAddin_h
// An add-in of every workbench. The frame creates the components that the dictionaries declare for
// this interface the first time any workbench becomes current (see CATApplicationFrame::GetAddins).
#include "CATAfrFoundationExport.h"
#include "CATBaseUnknown.h"

class CATCmdContainer;

CATDeclareIID(CATIAfrGeneralWksAddin);

class ExportedByCATAfrFoundation CATIAfrGeneralWksAddin : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIAfrGeneralWksAddin);
  // Declares the add-in's command headers (CreateCmdHdrArgs); called once per session, first.
  virtual void CreateCommands() = 0;
  // The add-in's action-bar containers, or null. The frame keeps the returned reference for the session.
  virtual CATCmdContainer* CreateToolbars() = 0;
};
CATDeclareHandler(CATIAfrGeneralWksAddin);

#endif
