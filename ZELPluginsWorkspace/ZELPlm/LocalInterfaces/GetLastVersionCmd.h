#ifndef GetLastVersionCmd_h
#define GetLastVersionCmd_h
// Asks the PDM, through the gateway, to deliver the last revision of the part behind the selected component
// (all levels), and shows the gateway's answer in a box. One-shot: everything happens in Activate. Created by
// name through fctCreateGetLastVersionCmd.
#include "CATCommand.h"

class GetLastVersionCmd : public CATCommand {
 public:
  GetLastVersionCmd();
  ~GetLastVersionCmd() override;

  CATStatusChangeRC Activate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Desactivate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Cancel(CATCommand* iFrom, CATNotification* iNotification) override;
};

#endif
