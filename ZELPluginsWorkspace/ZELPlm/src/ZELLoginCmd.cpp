#include "ZELLoginCmd.h"

#include "CATAfrCommandFactory.h"
#include "CATApplicationFrame.h"
#include "ZELDebug.h"
#include "ZELLoginDialog.h"

CATAfrImplementCommandFactory(ZELLoginCmd)

ZELLoginCmd::ZELLoginCmd() : CATCommand(nullptr, "LoginTCCmd") {}

ZELLoginCmd::~ZELLoginCmd() = default;

CATStatusChangeRC ZELLoginCmd::Activate(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("ZELLoginCmd::Activate");
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  CATDlgDialog* window = frame ? frame->GetApplicationDocument() : nullptr;
  if (!frame) {
    ZEL_DETAIL("NULL == pAppFrame");
  } else if (!window) {
    ZEL_DETAIL("NULL == pMainWindow");
  } else {
    auto* dialog = new ZELLoginDialog(window, "TC_login_dialog");
    dialog->Build();
    dialog->SetVisibility(CATDlgShow);
  }
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC ZELLoginCmd::Desactivate(CATCommand* iFrom, CATNotification* iNotification) {
  return Activate(iFrom, iNotification);
}

CATStatusChangeRC ZELLoginCmd::Cancel(CATCommand*, CATNotification*) {
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}
