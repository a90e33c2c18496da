#ifndef ZELLoginCmd_h
#define ZELLoginCmd_h
// Opens the PDM login dialog and ends at once; the dialog lives on by itself until the login succeeds or
// the user cancels. Created by name through fctCreateZELLoginCmd.
#include "CATCommand.h"

class ZELLoginCmd : public CATCommand {
 public:
  ZELLoginCmd();
  ~ZELLoginCmd() override;

  CATStatusChangeRC Activate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Desactivate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Cancel(CATCommand* iFrom, CATNotification* iNotification) override;
};

#endif
