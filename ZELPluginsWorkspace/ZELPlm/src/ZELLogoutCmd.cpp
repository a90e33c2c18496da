#include "ZELLogoutCmd.h"

#include "CATAfrCommandFactory.h"
#include "ZELDebug.h"
#include "ZELLoginData.h"

CATAfrImplementCommandFactory(ZELLogoutCmd)

ZELLogoutCmd::ZELLogoutCmd() : CATCommand(nullptr, "LogoutTCCmd") {}

ZELLogoutCmd::~ZELLogoutCmd() = default;

CATStatusChangeRC ZELLogoutCmd::Activate(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("ZELLogoutCmd::Activate");
  ZELLoginData::SetLoginOk(0);
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC ZELLogoutCmd::Desactivate(CATCommand* iFrom, CATNotification* iNotification) {
  return Activate(iFrom, iNotification);
}

CATStatusChangeRC ZELLogoutCmd::Cancel(CATCommand*, CATNotification*) {
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}
