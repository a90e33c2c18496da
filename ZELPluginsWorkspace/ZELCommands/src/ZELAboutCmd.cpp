#include "ZELAboutCmd.h"

#include "CATAfrCommandFactory.h"
#include "CATApplicationFrame.h"
#include "ZELAboutDialog.h"
#include "ZELDebug.h"

CATAfrImplementCommandFactory(ZELAboutCmd)

namespace {

constexpr CATULong kShow = 2;

}  // namespace

ZELAboutCmd::ZELAboutCmd() : CATCommand(nullptr, "ZELAboutCmd") {}

ZELAboutCmd::~ZELAboutCmd() = default;

CATStatusChangeRC ZELAboutCmd::Activate(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("ZELAboutCmd::Activate");
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  CATDlgDialog* window = frame ? frame->GetApplicationDocument() : nullptr;
  if (window) {
    ZELAboutDialog* dialog = new ZELAboutDialog(window, "vbo_about");
    dialog->Build();
    dialog->SetVisibility(kShow);
  } else {
    ZEL_FAILURE_POINT();
  }
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC ZELAboutCmd::Desactivate(CATCommand* iFrom, CATNotification* iNotification) {
  return Activate(iFrom, iNotification);
}

CATStatusChangeRC ZELAboutCmd::Cancel(CATCommand*, CATNotification*) {
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}
