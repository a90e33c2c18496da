#ifndef ZELProcessStatusCmd_h
#define ZELProcessStatusCmd_h
// Shows the PDM-side processes (transfers and other gateway jobs) of the logged-in user: asks the gateway
// ("GetProcessInfoForUser") and lists the answer in ZELProcessStatusDialog, or says in a box why it cannot.
// Created by name through fctCreateZELProcessStatusCmd; it ends within Activate, the dialog lives on alone.
#include "CATCommand.h"

class ZELProcessStatusCmd : public CATCommand {
 public:
  ZELProcessStatusCmd();
  ~ZELProcessStatusCmd() override;

  CATStatusChangeRC Activate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Desactivate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Cancel(CATCommand* iFrom, CATNotification* iNotification) override;
};

#endif
