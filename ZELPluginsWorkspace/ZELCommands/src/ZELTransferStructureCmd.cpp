#include "ZELTransferStructureCmd.h"

#include "CATAdpPLMAttributeSet.h"
#include "CATAdpPublicSecurityServices.h"
#include "CATAfrCommandFactory.h"
#include "CATApplication.h"
#include "CATApplicationFrame.h"
#include "CATDlgNotify.h"
#include "CATFrmEditor.h"
#include "CATIDOMElement.h"
#include "CATIDOMNode.h"
#include "CATIDOMNodeList.h"
#include "HtmlRequest.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELRequestXml.h"
#include "ZELSendBookmarkToPDMDialog.h"
#include "ZELSendFolderToPDMDialog.h"
#include "ZELSendToPDMDialog.h"
#include "ZELUtil.h"

CATAfrImplementCommandFactory(ZELTransferStructureCmd)

namespace {

// A warning with one OK button.
constexpr CATDlgStyle kWarningStyle = 0x8100000UL;

CATUnicodeString Message(const char* key, CATUnicodeString* params = nullptr, int count = 0) {
  return ZELGlobal::BuildMessage("TransferStructureCmd", key, params, count,
                                 CATUnicodeString("ZELTransferStructureCmd ") + key);
}

CATUnicodeString ServerRequestFailed() {
  return ZELGlobal::BuildMessage("Global", "ServerRequestFailed", nullptr, 0,
                                 "ZELGlobal ServerRequestFailed");
}

void ShowWarning(const CATUnicodeString& text, const CATUnicodeString& title) {
  CATDlgNotify* box = new CATDlgNotify(CATApplication::MainApplication(), "ZELWarning", kWarningStyle);
  box->DisplayBlocked(text, title);
  box->Release();
}

const char* TrueFalse(CATBoolean flag) {
  return flag ? "true" : "false";
}

// A setting of the "GetSettingsInfo" reply is on only when exactly one element carries it, valued "true".
CATBoolean ReadSetting(const ZELRequestXml& reply, const char* xpath) {
  CATIDOMNodeList_var nodes;
  unsigned int count = 0;
  if (FAILED(reply.GetNodesForXPath(xpath, nodes)) || nodes == NULL_var || FAILED(nodes->GetLength(count)) ||
      count != 1)
    return FALSE;
  CATIDOMNode_var node;
  if (FAILED(nodes->Item(0, node)) || node == NULL_var) return FALSE;
  CATIDOMElement_var element(node);
  CATBoolean has = FALSE;
  CATUnicodeString value;
  if (element == NULL_var || FAILED(element->HasAttribute("value", has)) || !has ||
      FAILED(element->GetAttribute("value", value)))
    return FALSE;
  return value == "true" ? TRUE : FALSE;
}

CATBoolean IsKindOf(const char* superType, const CATUnicodeString& type) {
  unsigned char flag = FALSE;
  return SUCCEEDED(ZELUtil::IsSubType(superType, type, flag)) && flag ? TRUE : FALSE;
}

}  // namespace

ZELTransferStructureCmd::ZELTransferStructureCmd()
    : CATCommand(nullptr, "ZELTransferStructureCmd"), _pEditor(CATFrmEditor::GetCurrentEditor()) {}

ZELTransferStructureCmd::~ZELTransferStructureCmd() {
  _pEditor = nullptr;
}

CATStatusChangeRC ZELTransferStructureCmd::Activate(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("ZELTransferStructureCmd::Activate");
  const CATUnicodeString title = Message("MsgTitle");
  if (!_pEditor) ZEL_DETAIL("no current editor");

  CATIPLMComponent_var component, related;
  CATUnicodeString relatedExternalId;
  CATListValCATUnicodeString displayNames;
  const long selected =
      ZELUtil::GetSelectedComponent(component, &related, &relatedExternalId, 1, &displayNames);
  if (component == NULL_var) {
    const CATUnicodeString text = Message("MsgWarnSelection");
    ShowWarning(text, title);
    ZEL_DETAIL(text.ConvertToUTF8());
    RequestDelayedDestruction();
    return CATStatusChangeRCCompleted;
  }

  CATIAdpPLMIdentificator_var id;
  if (FAILED(component->GetAdpID(id)) || id == NULL_var) {
    ZEL_FAILURE_POINT();
    RequestDelayedDestruction();
    return CATStatusChangeRCCompleted;
  }
  CATBoolean saved = FALSE;
  if (FAILED(selected) || FAILED(id->IsSaved(saved)) || !saved) {
    const CATUnicodeString text = Message("MsgWarnSelectedNeverSaved");
    ShowWarning(text, title);
    ZEL_DETAIL(text.ConvertToUTF8());
    RequestDelayedDestruction();
    return CATStatusChangeRCCompleted;
  }

  // Values as stored: what the PDM is to receive is the saved object, not pending changes.
  CATUnicodeString type, externalId, majorRevision, name, revision;
  CATIType_var plmType;
  CATAdpPLMAttributeSet attributes;
  if (SUCCEEDED(ZELUtil::GetStoredAttributes(id, attributes, &plmType))) {
    if (FAILED(attributes.GetStringAttributeValue("majorrevision", majorRevision))) ZEL_FAILURE_POINT();
    if (FAILED(attributes.GetStringAttributeValue("PLM_ExternalID", externalId))) ZEL_FAILURE_POINT();
    if (FAILED(attributes.GetStringAttributeValue("name", name))) ZEL_FAILURE_POINT();
    if (FAILED(attributes.GetStringAttributeValue("revision", revision))) ZEL_FAILURE_POINT();
    if (plmType != NULL_var)
      type = plmType->Name();
    else
      ZEL_FAILURE_POINT();
  }
  ZEL_DETAIL("type    : ", type.ConvertToUTF8());
  ZEL_DETAIL("name    : ", externalId.ConvertToUTF8());
  ZEL_DETAIL("revision: ", majorRevision.ConvertToUTF8());

  const CATBoolean explorer = ZELUtil::IsExplorerWindowActive() ? TRUE : FALSE;

  ZELRequestXml settingsRequest("GetSettingsInfo");
  ZELRequestXml settingsReply;
  if (FAILED(HtmlRequest::DoRequest(settingsRequest, settingsReply))) {
    const CATUnicodeString text = ServerRequestFailed();
    ShowWarning(text, title);
    ZEL_DETAIL(text.ConvertToUTF8());
    RequestDelayedDestruction();
    return CATStatusChangeRCCompleted;
  }
  // A gateway that refuses the question offers neither bookmarks nor the configuration option.
  CATBoolean showConfiguration = FALSE, useBookmark = FALSE;
  unsigned char hasErrors = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  if (SUCCEEDED(settingsReply.GetErrorsNLS(hasErrors, codes, texts)) && !hasErrors) {
    showConfiguration = ReadSetting(settingsReply, "//Show3DXSendConfigurationEnabled");
    useBookmark = ReadSetting(settingsReply, "//UseBookmark");
  }

  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  if (!frame) {
    ZEL_DETAIL("NULL == pAppFrame");
    RequestDelayedDestruction();
    return CATStatusChangeRCCompleted;
  }
  CATDlgDialog* window = frame->GetApplicationDocument();
  if (!window) {
    ZEL_DETAIL("NULL == pMainWindow");
    RequestDelayedDestruction();
    return CATStatusChangeRCCompleted;
  }

  const CATBoolean isFolder = IsKindOf("ENOFLD_FolderRootReference", type);
  const CATBoolean isBookmark = IsKindOf("Workspace", type);
  const CATBoolean isReference = IsKindOf("VPMReference", type);
  const CATBaseUnknown_var object(component);
  if (isFolder && !useBookmark) {
    auto* dialog = new ZELSendFolderToPDMDialog(window, "vbo_send_folder_to_pdm_dialog");
    dialog->SetIdentToTransfer(externalId, majorRevision, type, object, displayNames);
    dialog->SetShowConfiguration(showConfiguration);
    dialog->Build();
    dialog->SetVisibility(CATDlgShow);
  } else if (isBookmark && useBookmark) {
    auto* dialog = new ZELSendBookmarkToPDMDialog(window, "vbo_send_bookmark_to_pdm_dialog");
    dialog->SetIdentToTransfer(name, revision, type, object, displayNames);
    dialog->SetShowConfiguration(showConfiguration);
    dialog->Build();
    dialog->SetVisibility(CATDlgShow);
  } else if (isReference) {
    auto* dialog = new ZELSendToPDMDialog(window, "vbo_send_to_pdm_dialog");
    dialog->SetIdentToTransfer(externalId, majorRevision, type, object, displayNames);
    dialog->SetShowConfiguration(showConfiguration);
    dialog->SetSaveAllowed(explorer ? FALSE : TRUE);
    dialog->Build();
    dialog->SetVisibility(CATDlgShow);
  } else {
    ZEL_DETAIL("(!(bIsBookmark && bUseBookmark) && !(bIsFolder && !bUseBookmark) && !bIsVPMReference)");
    CATUnicodeString params[] = {type};
    ShowWarning(Message("MsgWarnSelectedElementCannotTansfered", params, 1), title);
  }
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC ZELTransferStructureCmd::Desactivate(CATCommand* iFrom, CATNotification* iNotification) {
  return Activate(iFrom, iNotification);
}

CATStatusChangeRC ZELTransferStructureCmd::Cancel(CATCommand*, CATNotification*) {
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

HRESULT ZELTransferStructureCmd::SendZELRequest(const CATUnicodeString& iName,
                                                const CATUnicodeString& iRevision,
                                                const CATUnicodeString& iType, int iExpandLevel,
                                                CATBoolean iParallel, CATBoolean iForce,
                                                CATBoolean iRemoveExisting, CATBoolean iSendConfiguration,
                                                CATBoolean iFolderOnly, const CATUnicodeString& iTransferType,
                                                CATUnicodeString& oMessage) {
  ZEL_DEBUG_SCOPE("ZELTransferStructureCmd::SendZELRequest");
  CATUnicodeString user, organization, project, role;
  if (FAILED(CATAdpPublicSecurityServices::GetSecurityParameters(CATUnicodeString(), user, organization,
                                                                 project, role))) {
    ZEL_FAILURE_POINT();
    user = CATUnicodeString();
  }
  if (iType.IsNull() || iName.IsNull()) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }

  ZEL_DETAIL("Starting ZEL request...");
  CATUnicodeString level;
  level.BuildFromNum(iExpandLevel);
  const struct {
    const char* name;
    CATUnicodeString value;
  } attributes[] = {{"3DEXP", "true"},
                    {"user", user},
                    {"type", iType},
                    {"name", iName},
                    {"revision", iRevision},
                    {"transfer_type", iTransferType},
                    {"expand_level", level},
                    {"force", TrueFalse(iForce)},
                    {"remove_existing", TrueFalse(iRemoveExisting)},
                    {"send_configuration", TrueFalse(iSendConfiguration)},
                    {"folder_only", TrueFalse(iFolderOnly)},
                    {"TRANSFER_SUBSTRUCTURES_PARALLEL", TrueFalse(iParallel)}};
  ZELRequestXml request("SendEnoviaObjectToTC");
  for (const auto& attribute : attributes) {
    // A request missing one of its values would transfer something else than the user asked for.
    if (FAILED(request.AddRequestAttribute(attribute.name, attribute.value))) {
      ZEL_DETAIL("cannot carry attribute ", attribute.name);
      ZEL_FAILURE_POINT();
      return E_FAIL;
    }
  }

  ZELRequestXml reply;
  if (FAILED(HtmlRequest::DoRequest(request, reply))) {
    oMessage = ServerRequestFailed();
    ZEL_DETAIL(oMessage.ConvertToUTF8());
    return E_FAIL;
  }

  unsigned char hasErrors = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  // A reply that cannot say whether the send was accepted is no acceptance.
  if (FAILED(reply.GetErrors(hasErrors, &codes, &texts))) {
    ZEL_FAILURE_POINT();
    hasErrors = 1;
  }
  ZEL_DETAIL("bHasErrors [", hasErrors ? "TRUE" : "FALSE", "]");
  CATListValCATUnicodeString errorTexts;
  const int paired = codes.Size() < texts.Size() ? codes.Size() : texts.Size();
  for (int i = 1; i <= paired; ++i) {
    ZEL_DETAIL("error [", codes[i], "]: ", texts[i].ConvertToUTF8());
    errorTexts.Append(texts[i]);
  }

  CATRawCollint messageCodes;
  CATListValCATUnicodeString messageTexts;
  if (SUCCEEDED(reply.GetMessages(messageCodes, messageTexts))) {
    const int messages =
        messageCodes.Size() < messageTexts.Size() ? messageCodes.Size() : messageTexts.Size();
    for (int i = 1; i <= messages; ++i)
      ZEL_DETAIL("message [", messageCodes[i], "]: ", messageTexts[i].ConvertToUTF8());
  }

  CATUnicodeString params[] = {iName, iRevision, iType};
  if (!hasErrors) {
    oMessage = Message("MsgSendSuccess", params, 3) + "\n\n";
    return S_OK;
  }
  oMessage = Message("MsgSendFailed", params, 3) + "\n\n";
  for (int i = 1; i <= errorTexts.Size(); ++i) oMessage += errorTexts[i] + "\n";
  ZEL_DETAIL(oMessage.ConvertToUTF8());
  return E_FAIL;
}
