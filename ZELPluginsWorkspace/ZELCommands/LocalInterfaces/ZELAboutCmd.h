#ifndef ZELAboutCmd_h
#define ZELAboutCmd_h
// Shows ZELAboutDialog (version, platform level, notice, the gateway URL in effect and its check) on the
// application's document window. Created by name through fctCreateZELAboutCmd; it ends within Activate and
// the dialog lives on alone.
#include "CATCommand.h"

class ZELAboutCmd : public CATCommand {
 public:
  ZELAboutCmd();
  ~ZELAboutCmd() override;

  CATStatusChangeRC Activate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Desactivate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Cancel(CATCommand* iFrom, CATNotification* iNotification) override;
};

#endif
