#include "ZELProcessStatusDialog.h"

#include "CATApplication.h"
#include "CATDlgEditor.h"
#include "CATDlgFrame.h"
#include "CATDlgMultiList.h"
#include "CATDlgNotify.h"
#include "CATDlgPushButton.h"
#include "CATIDOMElement.h"
#include "CATIDOMNode.h"
#include "CATIDOMNodeList.h"
#include "HtmlRequest.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELRequestXml.h"

namespace {

// Grid layout without standard buttons: the dialog's own push buttons drive it.
constexpr CATDlgStyle kDialogStyle = 0x4001UL;
constexpr CATDlgStyle kListStyle = 0x80000UL;
constexpr CATDlgStyle kFrameStyle = 0xc0001UL;
constexpr CATDlgStyle kEditorStyle = 0xc180000UL;
constexpr CATDlgStyle kErrorStyle = 0x10100000UL;
constexpr int kListWidth = 70;
constexpr int kEditorLines = 2;
constexpr int kErrorColumn = 6;
const char* const kProcessesXPath = "/*/Response/*/PD";
const char* const kColumns[] = {"Activity", "Status", "Description", "Start", "End", "User", "ErrorMsg"};

CATUnicodeString Message(const char* key) {
  return ZELGlobal::BuildMessage("ProcessStatusCmd", key, nullptr, 0,
                                 CATUnicodeString("ZELProcessStatusCmd ") + key);
}

CATUnicodeString AttributeOf(const CATIDOMElement_var& element, const char* name) {
  CATUnicodeString value;
  if (FAILED(element->GetAttribute(name, value))) return CATUnicodeString();
  return value;
}

}  // namespace

ZELProcessStatusDialog::ZELProcessStatusDialog(CATDialog* iParent, const CATString& iDialogName)
    : CATDlgDialog(iParent, iDialogName, kDialogStyle),
      _pParent(iParent),
      _resourceFilename(CATString(ZELGlobal::GetZELModulePrefix()) + "ProcessStatusDialog") {}

ZELProcessStatusDialog::~ZELProcessStatusDialog() {
  _pMultiList1 = nullptr;
  _pFrame1 = nullptr;
  _pRefreshButton = nullptr;
  _pCloseButton = nullptr;
  _pErrorMsgEditor = nullptr;
  _pParent = nullptr;
}

const char* ZELProcessStatusDialog::GetResourceFilename(int iLevel) {
  if (iLevel == 0) return _resourceFilename;
  // The platform's own lookup would name the class's resource file here.
  if (iLevel == 1) return "ZELProcessStatusDialog";
  return CATDlgDialog::GetResourceFilename(iLevel - 1);
}

void ZELProcessStatusDialog::Build() {
  ZEL_DEBUG_SCOPE("ZELProcessStatusDialog::Build");
  _pMultiList1 = new CATDlgMultiList(this, "MultiList1", kListStyle);
  _pMultiList1->SetGridConstraints(0, 0, 1, 1, CATGRID_4SIDES);
  AddAnalyseNotificationCB(
      _pMultiList1, _pMultiList1->GetListSelectNotification(),
      static_cast<CATCommandMethod>(&ZELProcessStatusDialog::MultiList1_SelectionChanged), nullptr);

  _pFrame1 = new CATDlgFrame(this, "Frame1", kFrameStyle);
  _pFrame1->SetGridConstraints(1, 0, 1, 1, CATGRID_4SIDES);
  _pFrame1->SetGridRowResizable(0);
  _pFrame1->SetGridColumnResizable(0);

  _pRefreshButton = new CATDlgPushButton(_pFrame1, "RefreshButton");
  _pRefreshButton->SetGridConstraints(0, 1, 1, 1, CATGRID_TOP | CATGRID_RIGHT);
  AddAnalyseNotificationCB(_pRefreshButton, _pRefreshButton->GetPushBActivateNotification(),
                           static_cast<CATCommandMethod>(&ZELProcessStatusDialog::RefreshButton_Pressed),
                           nullptr);
  const CATCommandMethod close =
      static_cast<CATCommandMethod>(&ZELProcessStatusDialog::ZELProcessStatusDialog_CloseBtnPushed);
  _pCloseButton = new CATDlgPushButton(_pFrame1, "CloseButton");
  _pCloseButton->SetGridConstraints(1, 1, 1, 1, CATGRID_BOTTOM | CATGRID_RIGHT);
  AddAnalyseNotificationCB(_pCloseButton, _pCloseButton->GetPushBActivateNotification(), close, nullptr);

  _pErrorMsgEditor = new CATDlgEditor(_pFrame1, "ErrorMsgEditor", kEditorStyle);
  _pErrorMsgEditor->SetGridConstraints(0, 0, 2, 1, CATGRID_4SIDES);
  _pErrorMsgEditor->SetVisibleTextHeight(kEditorLines);
  _pErrorMsgEditor->SetText(CATUnicodeString());

  SetGridRowResizable(0);
  SetGridColumnResizable(0);
  AddAnalyseNotificationCB(this, GetWindCloseNotification(), close, nullptr);

  ZELGlobal::SetDialogStandardMessages(this, "ProcessStatusDialog");
  SetDefaultButton(0);
  SetAPPLYSensitivity(CATDlgDisable);
  SetCANCELSensitivity(CATDlgDisable);
  SetCLOSESensitivity(CATDlgDisable);
  SetHELPSensitivity(CATDlgDisable);
  SetOKSensitivity(CATDlgDisable);
  SetPREVIEWSensitivity(CATDlgDisable);
}

void ZELProcessStatusDialog::SetUserForRequest(const CATString& iUser) {
  _userForRequest = CATUnicodeString(iUser);
}

void ZELProcessStatusDialog::SetProcessStatus(const ZELProcessList* iList) {
  ZEL_DEBUG_SCOPE("ZELProcessStatusDialog::SetProcessStatus");
  if (!_pMultiList1 || !iList) {
    ZEL_FAILURE_POINT();
    return;
  }
  _pMultiList1->ClearLine();
  _pMultiList1->SetVisibleTextWidth(kListWidth);
  CATListValCATUnicodeString titles;
  for (const char* column : kColumns) titles.Append(column);
  _pMultiList1->SetColumnTitles(titles);
  _pMultiList1->SetColumnVisibility(kErrorColumn, CATDlgHide);
  for (const std::unique_ptr<ZELProcessRecord>& process : *iList) {
    _pMultiList1->SetColumnItem(0, process->GetActivity());
    const int row = _pMultiList1->GetLineCount() - 1;
    _pMultiList1->SetColumnItem(1, process->GetStatus(), row);
    _pMultiList1->SetColumnItem(2, process->GetDescription(), row);
    _pMultiList1->SetColumnItem(3, process->GetStart(), row);
    _pMultiList1->SetColumnItem(4, process->GetEnd(), row);
    _pMultiList1->SetColumnItem(5, process->GetUser(), row);
    _pMultiList1->SetColumnItem(kErrorColumn, process->GetErrorMessage(), row);
  }
}

HRESULT ZELProcessStatusDialog::buildProcessStatusList(const ZELRequestXml& iReply, ZELProcessList& oList) {
  ZEL_DEBUG_SCOPE("ZELProcessStatusDialog::buildProcessStatusList");
  CATIDOMNodeList_var nodes;
  HRESULT rc = iReply.GetNodesForXPath(kProcessesXPath, nodes);
  if (FAILED(rc)) {
    ZEL_FAILURE_POINT();
    return rc;
  }
  // Nothing matched leaves no list at all: a user without processes.
  if (nodes == NULL_var) return S_OK;
  unsigned int count = 0;
  if (FAILED(rc = nodes->GetLength(count))) {
    ZEL_FAILURE_POINT();
    return rc;
  }
  rc = S_OK;
  for (unsigned int i = 0; i < count; ++i) {
    CATIDOMNode_var node;
    rc = nodes->Item(i, node);
    if (FAILED(rc) || node == NULL_var) {
      ZEL_FAILURE_POINT();
      continue;
    }
    unsigned short type = 0;
    CATIDOMElement_var element(node);
    if (FAILED(node->GetNodeType(type)) || type != CATIDOMNode::ELEMENT_NODE || element == NULL_var) continue;
    oList.push_back(std::make_unique<ZELProcessRecord>(
        AttributeOf(element, "Activity"), AttributeOf(element, "Status"), AttributeOf(element, "Description"),
        AttributeOf(element, "Start"), AttributeOf(element, "End"), AttributeOf(element, "User"),
        AttributeOf(element, "ErrorMsg")));
  }
  return rc;
}

void ZELProcessStatusDialog::MultiList1_SelectionChanged(CATCommand*, CATNotification*,
                                                         CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELProcessStatusDialog::MultiList1_SelectionChanged");
  if (!_pErrorMsgEditor || !_pMultiList1) return;
  int row = -1;
  CATUnicodeString message;
  if (_pMultiList1->GetSelect(&row, 1) == 1 &&
      FAILED(_pMultiList1->GetColumnItem(kErrorColumn, message, row)))
    message = CATUnicodeString();
  _pErrorMsgEditor->SetText(message);
}

void ZELProcessStatusDialog::RefreshButton_Pressed(CATCommand*, CATNotification*, CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELProcessStatusDialog::RefreshButton_Pressed");
  const CATUnicodeString title = Message("MsgTitle");
  ZELRequestXml request("GetProcessInfoForUser");
  ZELRequestXml reply;
  if (FAILED(request.AddRequestAttribute("USER", _userForRequest)) ||
      FAILED(HtmlRequest::DoRequest(request, reply))) {
    ZEL_FAILURE_POINT();
    const CATUnicodeString text = Message("MsgCommunicationFailed");
    ZEL_DETAIL(text.ConvertToUTF8());
    CATDlgNotify* box = new CATDlgNotify(CATApplication::MainApplication(), "ZELError", kErrorStyle);
    box->DisplayBlocked(text, title);
    box->Release();
    return;
  }
  if (_pErrorMsgEditor) _pErrorMsgEditor->SetText(CATUnicodeString());
  ZELProcessList processes;
  // Whatever the reply holds replaces the lines, even none.
  (void)buildProcessStatusList(reply, processes);
  SetProcessStatus(&processes);
}

void ZELProcessStatusDialog::ZELProcessStatusDialog_CloseBtnPushed(CATCommand*, CATNotification*,
                                                                   CATCommandClientData) {
  ZEL_DEBUG_SCOPE("ZELProcessStatusDialog::ZELProcessStatusDialog_CloseBtnPushed");
  SetVisibility(CATDlgHide);
  RequestDelayedDestruction();
}
