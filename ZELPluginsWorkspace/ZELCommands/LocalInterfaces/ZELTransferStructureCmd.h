#ifndef ZELTransferStructureCmd_h
#define ZELTransferStructureCmd_h
// Sends the selected PLM object to the PDM: finds the object (or the window's root), asks the gateway which
// kinds of object it takes ("GetSettingsInfo"), and opens the send dialog that fits the object's type. The
// dialogs send through SendZELRequest ("SendEnoviaObjectToTC"). Created by name through
// fctCreateZELTransferStructureCmd; it ends itself within Activate, its dialog lives on alone.
#include "CATCommand.h"
#include "CATUnicodeString.h"

class CATFrmEditor;

class ZELTransferStructureCmd : public CATCommand {
 public:
  ZELTransferStructureCmd();
  ~ZELTransferStructureCmd() override;

  CATStatusChangeRC Activate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Desactivate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Cancel(CATCommand* iFrom, CATNotification* iNotification) override;

  // Sends the object with the options chosen in a dialog. iExpandLevel: -1 all levels, 0 none, n levels.
  // S_OK when the gateway accepted; E_FAIL otherwise. oMessage receives the text for the user, except when
  // no request could be built (empty name or type, a value the request cannot carry): then it is untouched.
  static HRESULT SendZELRequest(const CATUnicodeString& iName, const CATUnicodeString& iRevision,
                                const CATUnicodeString& iType, int iExpandLevel, CATBoolean iParallel,
                                CATBoolean iForce, CATBoolean iRemoveExisting, CATBoolean iSendConfiguration,
                                CATBoolean iFolderOnly, const CATUnicodeString& iTransferType,
                                CATUnicodeString& oMessage);

 private:
  CATFrmEditor* _pEditor;
};

#endif
