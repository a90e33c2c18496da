#ifndef ZELShowAttributesCmd_h
#define ZELShowAttributesCmd_h
// Shows what the PDM holds about the one selected component ("GetMetadata"), or, for a component never
// saved, its part number and revision without asking the PDM. Ends at once; the dialog lives on by itself.
// Created by name through fctCreateZELShowAttributesCmd.
#include "CATCommand.h"

class ZELShowAttributesCmd : public CATCommand {
 public:
  ZELShowAttributesCmd();
  ~ZELShowAttributesCmd() override;

  CATStatusChangeRC Activate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Desactivate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Cancel(CATCommand* iFrom, CATNotification* iNotification) override;
};

#endif
