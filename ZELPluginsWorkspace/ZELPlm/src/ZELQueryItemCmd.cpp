#include "ZELQueryItemCmd.h"

#include "CATAfrCommandFactory.h"
#include "CATApplication.h"
#include "CATApplicationFrame.h"
#include "CATDlgNotify.h"
#include "CATListOfCATUnicodeString.h"
#include "CATRawCollint.h"
#include "HtmlRequest.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELPlmCommands.h"
#include "ZELQueryItemDialog.h"
#include "ZELRequestXml.h"

CATAfrImplementCommandFactory(ZELQueryItemCmd)

namespace {

constexpr CATDlgStyle kErrorStyle = 0x10100000UL;
constexpr CATDlgStyle kWarningStyle = 0x8100000UL;

CATUnicodeString Message(const char* key) {
  return ZELGlobal::BuildMessage("QueryItemCmd", key, nullptr, 0, CATUnicodeString("ZELQueryItemCmd ") + key);
}

}  // namespace

ZELQueryItemCmd::ZELQueryItemCmd() : CATCommand(nullptr, "QueryItemCmd") {}

ZELQueryItemCmd::~ZELQueryItemCmd() = default;

CATStatusChangeRC ZELQueryItemCmd::Activate(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("ZELQueryItemCmd::Activate");
  const CATUnicodeString title = Message("MsgTitle");
  CATUnicodeString box;
  CATDlgStyle boxStyle = kErrorStyle;
  const char* boxName = "ZELError";
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  CATDlgDialog* window = frame ? frame->GetApplicationDocument() : nullptr;
  if (!frame) {
    ZEL_DETAIL("NULL == pAppFrame");
  } else if (!window) {
    ZEL_DETAIL("NULL == pMainWindow");
  } else {
    // Asked before any login, so the request carries no credentials.
    ZELRequestXml request("GetQueryItemSettings");
    ZELRequestXml reply;
    unsigned char hasErrors = 0;
    CATRawCollint codes;
    CATListValCATUnicodeString texts;
    CATListValCATUnicodeString types, names, displayNames;
    if (FAILED(HtmlRequest::DoRequest(request, reply))) {
      ZEL_FAILURE_POINT();
      box = Message("MsgCommunicationFailed");
    } else if (FAILED(reply.GetErrorsNLS(hasErrors, codes, texts))) {
      ZEL_FAILURE_POINT();
      box = Message("MsgFailed");
    } else if (hasErrors) {
      boxStyle = kWarningStyle;
      boxName = "ZELWarning";
      box = ZELPlmCommands::ErrorLines(codes, texts);
      // Flagged without a readable error: the dialog still cannot open, and the user must hear why.
      if (box.IsNull()) box = Message("MsgFailed");
    } else if (FAILED(reply.GetResponseAttributeList("ItemTypeList", types, nullptr)) ||
               FAILED(reply.GetResponseAttributeList("ItemAttributeNameList", names, nullptr)) ||
               FAILED(reply.GetResponseAttributeList("ItemAttributeDisplayList", displayNames, nullptr))) {
      ZEL_FAILURE_POINT();
      box = Message("MsgFailed");
    } else {
      auto* dialog = new ZELQueryItemDialog(window, "query_item_in_tc");
      dialog->Build();
      dialog->SetItemTypes(types);
      dialog->BuildAttributes(displayNames, names);
      dialog->RestoreDialogValues();
      dialog->SetVisibility(CATDlgShow);
    }
  }
  if (!box.IsNull()) {
    CATDlgNotify* notify = new CATDlgNotify(CATApplication::MainApplication(), boxName, boxStyle);
    notify->DisplayBlocked(box, title);
    notify->Release();
  }
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC ZELQueryItemCmd::Desactivate(CATCommand* iFrom, CATNotification* iNotification) {
  return Activate(iFrom, iNotification);
}

CATStatusChangeRC ZELQueryItemCmd::Cancel(CATCommand*, CATNotification*) {
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}
