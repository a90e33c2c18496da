#ifndef CATIImmNavAddin_h
#define CATIImmNavAddin_h
// An add-in of the navigation workshop ("ImmNavWorkshop", workbench "CATImmNav"). The frame creates
// the components that the dictionaries declare for this interface the first time that workshop becomes
// current.
#include "CATAfrFoundationExport.h"
#include "CATBaseUnknown.h"

class CATCmdContainer;

CATDeclareIID(CATIImmNavAddin);

class ExportedByCATAfrFoundation CATIImmNavAddin : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIImmNavAddin);
  // Declares the add-in's command headers (CreateCmdHdrArgs); called once per session, first.
  virtual void CreateCommands() = 0;
  // The add-in's action-bar containers, or null. The frame keeps the returned reference for the session.
  virtual CATCmdContainer* CreateToolbars() = 0;
};
CATDeclareHandler(CATIImmNavAddin);

#endif
