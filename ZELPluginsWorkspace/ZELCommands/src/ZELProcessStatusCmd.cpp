#include "ZELProcessStatusCmd.h"

#include "CATAdpPublicSecurityServices.h"
#include "CATAfrCommandFactory.h"
#include "CATApplication.h"
#include "CATApplicationFrame.h"
#include "CATDlgNotify.h"
#include "HtmlRequest.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELProcessStatusDialog.h"
#include "ZELRequestXml.h"

CATAfrImplementCommandFactory(ZELProcessStatusCmd)

namespace {

constexpr CATDlgStyle kErrorStyle = 0x10100000UL;
constexpr CATDlgStyle kWarningStyle = 0x8100000UL;

CATUnicodeString Message(const char* key) {
  return ZELGlobal::BuildMessage("ProcessStatusCmd", key, nullptr, 0,
                                 CATUnicodeString("ZELProcessStatusCmd ") + key);
}

}  // namespace

ZELProcessStatusCmd::ZELProcessStatusCmd() : CATCommand(nullptr, "ZELProcessStatusCmd") {}

ZELProcessStatusCmd::~ZELProcessStatusCmd() = default;

CATStatusChangeRC ZELProcessStatusCmd::Activate(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("ZELProcessStatusCmd::Activate");
  const CATUnicodeString title = Message("MsgTitle");
  CATUnicodeString text;
  const char* boxName = nullptr;
  CATDlgStyle boxStyle = 0;

  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  CATDlgDialog* window = frame ? frame->GetApplicationDocument() : nullptr;
  if (!window) {
    ZEL_FAILURE_POINT();
    RequestDelayedDestruction();
    return CATStatusChangeRCCompleted;
  }

  CATUnicodeString user, organization, project, role;
  if (FAILED(CATAdpPublicSecurityServices::GetSecurityParameters(CATUnicodeString(), user, organization,
                                                                 project, role))) {
    ZEL_FAILURE_POINT();
    user = CATUnicodeString();
  }

  ZELRequestXml request("GetProcessInfoForUser");
  ZELRequestXml reply;
  unsigned char hasErrors = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  if (FAILED(request.AddRequestAttribute("USER", user))) {
    // A name the request cannot carry would ask for somebody else's processes.
    ZEL_FAILURE_POINT();
    text = Message("MsgFailed");
    boxName = "ZELError";
    boxStyle = kErrorStyle;
  } else if (FAILED(HtmlRequest::DoRequest(request, reply))) {
    ZEL_FAILURE_POINT();
    text = Message("MsgCommunicationFailed");
    boxName = "ZELError";
    boxStyle = kErrorStyle;
  } else if (FAILED(reply.GetErrorsNLS(hasErrors, codes, texts))) {
    ZEL_FAILURE_POINT();
    text = Message("MsgFailed");
    boxName = "ZELError";
    boxStyle = kErrorStyle;
  } else if (hasErrors) {
    ZEL_FAILURE_POINT();
    for (int i = 1; i <= codes.Size() && i <= texts.Size(); ++i) {
      CATUnicodeString code;
      code.BuildFromNum(codes[i]);
      if (i > 1) text += "\n";
      text += code + ": " + texts[i];
    }
    boxName = "ZELWarning";
    boxStyle = kWarningStyle;
  } else {
    auto* dialog = new ZELProcessStatusDialog(window, "process_status");
    ZELProcessList processes;
    if (FAILED(dialog->buildProcessStatusList(reply, processes))) {
      ZEL_FAILURE_POINT();
      text = Message("MsgFailed");
      boxName = "ZELError";
      boxStyle = kErrorStyle;
      // Never shown, so nobody would ever close it.
      dialog->RequestDelayedDestruction();
    } else {
      dialog->Build();
      dialog->SetUserForRequest(CATString(user.ConvertToUTF8().c_str()));
      dialog->SetProcessStatus(&processes);
      dialog->SetVisibility(CATDlgShow);
    }
  }

  if (boxName) {
    ZEL_DETAIL(text.ConvertToUTF8());
    CATDlgNotify* box = new CATDlgNotify(CATApplication::MainApplication(), boxName, boxStyle);
    box->DisplayBlocked(text, title);
    box->Release();
  }
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC ZELProcessStatusCmd::Desactivate(CATCommand* iFrom, CATNotification* iNotification) {
  return Activate(iFrom, iNotification);
}

CATStatusChangeRC ZELProcessStatusCmd::Cancel(CATCommand*, CATNotification*) {
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}
