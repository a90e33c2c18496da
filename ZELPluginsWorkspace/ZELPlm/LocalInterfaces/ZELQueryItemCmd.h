#ifndef ZELQueryItemCmd_h
#define ZELQueryItemCmd_h
// Asks the gateway which item types and query attributes the PDM offers and opens the query dialog with
// them; a failed or refused request ends in a box instead. Ends at once either way: the dialog lives on by
// itself. Created by name through fctCreateZELQueryItemCmd.
#include "CATCommand.h"

class ZELQueryItemCmd : public CATCommand {
 public:
  ZELQueryItemCmd();
  ~ZELQueryItemCmd() override;

  CATStatusChangeRC Activate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Desactivate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Cancel(CATCommand* iFrom, CATNotification* iNotification) override;
};

#endif
