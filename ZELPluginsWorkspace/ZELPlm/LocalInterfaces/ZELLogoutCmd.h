#ifndef ZELLogoutCmd_h
#define ZELLogoutCmd_h
// Ends the PDM login of the session: clears the logged-in flag (and with it the password) without asking
// the gateway; user, group and role stay for the next login. Created by name through fctCreateZELLogoutCmd.
#include "CATCommand.h"

class ZELLogoutCmd : public CATCommand {
 public:
  ZELLogoutCmd();
  ~ZELLogoutCmd() override;

  CATStatusChangeRC Activate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Desactivate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Cancel(CATCommand* iFrom, CATNotification* iNotification) override;
};

#endif
