#include "SetPartNumberFromExtPdmCmd.h"

#include "CATAdpMaturityServices.h"
#include "CATAdpOpener.h"
#include "CATAdpSaver.h"
#include "CATAdpVersioningServices.h"
#include "CATAfrCommandFactory.h"
#include "CATApplication.h"
#include "CATApplicationFrame.h"
#include "CATCSO.h"
#include "CATCkeObjectAttrReadServices.h"
#include "CATCkeObjectAttrWriteServices.h"
#include "CATDlgNotify.h"
#include "CATError.h"
#include "CATFrmEditor.h"
#include "CATFrmLayout.h"
#include "CATFrmWindow.h"
#include "CATIAdpPLMIdentificator.h"
#include "CATIPLMNavEntity.h"
#include "CATIPLMNavOccurrence.h"
#include "CATLib.h"
#include "CATOmbLifeCycleRootsBag.h"
#include "CATPLMNavPropertiesAcquisition.h"
#include "CATPathElement.h"
#include "HtmlRequest.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELPathLeaf.h"
#include "ZELRequestXml.h"

CATAfrImplementCommandFactory(SetPartNumberFromExtPdmCmd)

namespace {

constexpr CATDlgStyle kWarningStyle = 0x8100000UL;
constexpr CATDlgStyle kSuccessStyle = 0x100000UL;
constexpr CATDlgStyle kFailureStyle = 0x10100000UL;

const char* const kExternalId = "PLM_ExternalID";

CATUnicodeString Message(const char* key, const char* fallback, CATUnicodeString* params = nullptr,
                         int count = 0) {
  return ZELGlobal::BuildMessage("SetPartNumberFromExtPdmCmd", key, params, count, fallback);
}

CATUnicodeString Title() {
  return Message("MsgTitle", "ZELSetPartNumberFromExtPdmCmd MsgTitle");
}

void ShowBox(const CATUnicodeString& text, const char* name, CATDlgStyle style) {
  CATDlgNotify* box = new CATDlgNotify(CATApplication::MainApplication(), name, style);
  box->DisplayBlocked(text, Title());
  box->Release();
}

void ShowWarning(const CATUnicodeString& text) {
  ShowBox(text, "ZELWarning", kWarningStyle);
}

CATUnicodeString Setting(const char* variable) {
  const char* value = CATGetEnv(variable);
  return CATUnicodeString(value ? value : "");
}

}  // namespace

SetPartNumberFromExtPdmCmd::SetPartNumberFromExtPdmCmd()
    : CATCommand(nullptr, "SetPartNumberFromExtPdmCmd") {}

SetPartNumberFromExtPdmCmd::~SetPartNumberFromExtPdmCmd() = default;

CATStatusChangeRC SetPartNumberFromExtPdmCmd::Activate(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("SetPartNumberFromExtPdmCmd::Activate");
  CATString workbench;
  if (CATApplicationFrame* frame = CATApplicationFrame::GetFrame()) workbench = frame->GetCurrentWorkbench();
  // Keeps the opened component loaded until the command ends.
  CATOmbLifeCycleRootsBag bag;
  CATAdpOpener opener(bag);

  CATIPLMComponent_var selected;
  bool report = false;
  HRESULT rc = workbench == "CATImmNav" || workbench == "LifeCycleWorkbench"
                   ? GetSelection(selected)
                   : GetSelectionFromSearch(selected);
  if (FAILED(rc) || selected == NULL_var) {
    ZEL_FAILURE_POINT();
    report = true;
  } else {
    CATIPLMComponent_var component;
    CATIAdpPLMIdentificator_var id;
    rc = selected->GetAdpID(id);
    if (SUCCEEDED(rc) && id != NULL_var) {
      CATIPLMComponent* opened = nullptr;
      rc = opener.CompleteAndOpen(id, IID_CATIPLMComponent, reinterpret_cast<void**>(&opened));
      if (opened) {
        component = opened;
        opened->Release();
      }
    }
    id = NULL_var;
    CATUnicodeString externalId, partNumber;
    CATBoolean proceed = FALSE;
    if (component == NULL_var) {
      ZEL_FAILURE_POINT();
      report = FAILED(rc);
    } else if (FAILED(CATCkeObjectAttrReadServices::ShowAttributeValue(CATICkeObject_var(component),
                                                                       kExternalId, externalId))) {
      ZEL_FAILURE_POINT();
      report = true;
    } else if (FAILED(rc = Validate(component, externalId, proceed))) {
      ZEL_FAILURE_POINT();
      report = true;
    } else if (!proceed) {
      ZEL_DETAIL("not renumbered: ", externalId.ConvertToUTF8());
    } else if (FAILED(rc = GetNewPartnumber(externalId, partNumber))) {
      ZEL_FAILURE_POINT();
      report = true;
    } else if (partNumber.IsNull()) {
      ZEL_DETAIL("no part number issued");
    } else if (FAILED(rc = SetPartNumber(component, partNumber))) {
      ZEL_FAILURE_POINT();
      report = true;
    } else {
      CATUnicodeString params[] = {externalId, partNumber};
      ShowBox(Message("MsgFinishedOK", "ZELSetPartNumberFromExtPdmCmd MsgFinishedOK", params, 2),
              "ZELSuccess", kSuccessStyle);
    }
  }
  if (report) ShowFailureReport();
  bag.RemoveAll();
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

// Running Activate again would take and save a second number for the same component.
CATStatusChangeRC SetPartNumberFromExtPdmCmd::Desactivate(CATCommand*, CATNotification*) {
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC SetPartNumberFromExtPdmCmd::Cancel(CATCommand*, CATNotification*) {
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

void SetPartNumberFromExtPdmCmd::ShowFailureReport() {
  CATUnicodeString text;
  // A code without its text (or the reverse) has nothing to pair with; the pairs that exist are shown.
  const int errors = _errorCodes.Size() < _errorTexts.Size() ? _errorCodes.Size() : _errorTexts.Size();
  for (int i = 1; i <= errors; ++i) {
    CATUnicodeString code;
    code.BuildFromNum(_errorCodes[i]);
    text += code + ": " + _errorTexts[i] + "\n";
  }
  if (errors > 0) text += "\n";
  const int messages =
      _messageCodes.Size() < _messageTexts.Size() ? _messageCodes.Size() : _messageTexts.Size();
  for (int i = 1; i <= messages; ++i) {
    if (_messageCodes[i] != 0) {
      CATUnicodeString code;
      code.BuildFromNum(_messageCodes[i]);
      text += code + ": ";
    }
    text += _messageTexts[i] + "\n";
  }
  if (messages > 0) text += "\n";
  text += Message("MsgFailed", "ZELSetPartNumberFromExtPdmCmd MsgFailed");
  ZEL_DETAIL(text.ConvertToUTF8());
  ShowBox(text, "ZELWarning", kFailureStyle);
}

HRESULT SetPartNumberFromExtPdmCmd::GetSelection(CATIPLMComponent_var& oComponent) {
  ZEL_DEBUG_SCOPE("SetPartNumberFromExtPdmCmd::GetSelection");
  oComponent = NULL_var;
  CATFrmLayout* layout = CATFrmLayout::GetCurrentLayout();
  CATFrmWindow* window = layout ? layout->GetCurrentWindow() : nullptr;
  CATFrmEditor* editor = window ? window->GetEditor() : nullptr;
  CATCSO* cso = editor ? editor->GetCSO() : nullptr;
  if (!cso) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  if (cso->Size() != 1) {
    const CATUnicodeString text =
        Message("MsgWarnSelection", "ZELSetPartNumberFromExtPdmCmd MsgWarnSelection");
    ShowWarning(text);
    ZEL_DETAIL("Qurey Result: ", text.ConvertToUTF8());
    return E_FAIL;
  }
  cso->InitElementList();
  CATIPLMNavOccurrence_var occurrence(ZELPathLeaf(cso->NextElement()));
  CATIPLMNavEntity_var reference;
  if (occurrence == NULL_var || FAILED(occurrence->GetReference(reference)) || reference == NULL_var) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  oComponent = CATIPLMComponent_var(reference);
  if (oComponent == NULL_var) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  return S_OK;
}

HRESULT SetPartNumberFromExtPdmCmd::GetSelectionFromSearch(CATIPLMComponent_var& oComponent) {
  ZEL_DEBUG_SCOPE("SetPartNumberFromExtPdmCmd::GetSelectionFromSearch");
  oComponent = NULL_var;
  CATPLMNavPropertiesAcquisition* agent = new CATPLMNavPropertiesAcquisition("NavPropertiesAcquisition", 0);
  CATFrmEditor* editor = agent->GetEditor();
  CATCSO* cso = editor ? editor->GetCSO() : nullptr;
  if (!cso) {
    agent->Release();
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  if (cso->Size() != 1) {
    agent->Release();
    const CATUnicodeString text =
        Message("MsgWarnSelection", "ZELSetPartNumberFromExtPdmCmd MsgWarnSelection");
    ShowWarning(text);
    ZEL_DETAIL("Qurey Result: ", text.ConvertToUTF8());
    return E_FAIL;
  }
  cso->InitElementList();
  oComponent = CATIPLMComponent_var(ZELPathLeaf(cso->NextElement()));
  agent->Release();
  if (oComponent == NULL_var) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  return S_OK;
}

HRESULT SetPartNumberFromExtPdmCmd::Validate(const CATIPLMComponent_var& iComponent,
                                             const CATUnicodeString& iExternalId, CATBoolean& oProceed) {
  ZEL_DEBUG_SCOPE("SetPartNumberFromExtPdmCmd::Validate");
  oProceed = FALSE;
  if (iComponent == NULL_var || iExternalId.IsNull()) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }

  const CATUnicodeString prefix = Setting("ZEL_SETPN_PNPREFIX");
  if (!prefix.IsNull() && iExternalId.SearchSubString(prefix) != 0) {
    ZEL_DETAIL(iExternalId.ConvertToUTF8(),
               " does not begin with configured prefix: ", prefix.ConvertToUTF8());
    CATUnicodeString params[] = {iExternalId, prefix};
    ShowWarning(
        Message("MsgWronPNPrefix", "ZELSetPartNumberFromExtPdmCmd MsgWronPNPrefix 2 params", params, 2));
    return S_OK;
  }

  CATIAdpPLMIdentificator_var id;
  HRESULT rc = iComponent->GetAdpID(id);
  if (FAILED(rc) || id == NULL_var) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATBoolean saved = FALSE;
  if (FAILED(rc = id->IsSaved(saved))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  if (!saved) {
    ZEL_DETAIL("The selected Object is not yet saved in 3DEXPERIENCE.");
    ShowWarning(Message("MsgSelectedUnsaved", "ZELSetPartNumberFromExtPdmCmd MsgSelectedUnsaved"));
    return S_OK;
  }

  CATListPtrCATIAdpPLMIdentificator versions;
  rc = CATAdpVersioningServices::GetAllVersions(id, versions);
  const int count = versions.Size();
  for (CATIAdpPLMIdentificator* version : versions)
    if (version) version->Release();
  versions.RemoveAll();
  if (FAILED(rc)) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  if (count >= 2) {
    ZEL_DETAIL("Detected ", count, " Versions of ", iExternalId.ConvertToUTF8(), " detected");
    ShowWarning(Message("MsgMultipleVersions", "ZELSetPartNumberFromExtPdmCmd MsgMultipleVersions"));
    return S_OK;
  }

  const CATUnicodeString maturity = Setting("ZEL_SETPN_MATURITY");
  if (!maturity.IsNull()) {
    CATUnicodeString state;
    CATListValCATUnicodeString transitions, targets;
    if (FAILED(rc =
                   CATAdpMaturityServices::GetStateAndPossibleTransitions(id, state, transitions, targets))) {
      ZEL_FAILURE_POINT();
      return E_FAIL;
    }
    if (!(state == maturity)) {
      ZEL_DETAIL("Maturity of ", iExternalId.ConvertToUTF8(), ": ", state.ConvertToUTF8());
      CATUnicodeString params[] = {state, maturity};
      ShowWarning(
          Message("MsgWrongMaturity", "ZELSetPartNumberFromExtPdmCmd MsgWrongMaturity 2 params", params, 2));
      return 1;
    }
  }
  oProceed = TRUE;
  return rc;
}

HRESULT SetPartNumberFromExtPdmCmd::GetNewPartnumber(const CATUnicodeString& iExternalId,
                                                     CATUnicodeString& oPartNumber) {
  ZEL_DEBUG_SCOPE("SetPartNumberFromExtPdmCmd::GetNewPartnumber");
  oPartNumber = CATUnicodeString();
  _errorCodes.RemoveAll();
  _errorTexts.RemoveAll();
  _messageCodes.RemoveAll();
  _messageTexts.RemoveAll();

  ZELRequestXml request("GetPartnumber");
  if (FAILED(request.AddRequestAttribute("PartNumber", iExternalId))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  ZELRequestXml response;
  HRESULT rc = HtmlRequest::DoRequest(request, response);
  if (SUCCEEDED(rc)) {
    unsigned char hasErrors = 0;
    // A refusal is reported as such even when its codes and texts do not pair up.
    rc = response.GetErrorsNLS(hasErrors, _errorCodes, _errorTexts);
    if (hasErrors) {
      ZEL_FAILURE_POINT();
      return E_FAIL;
    }
    // A reply whose errors cannot be read may be a refusal: no number is taken from it.
    if (SUCCEEDED(rc)) {
      if (FAILED(response.GetMessagesNLS(_messageCodes, _messageTexts))) ZEL_FAILURE_POINT();
      rc = response.GetResponseAttribute("PartNumber", oPartNumber);
      if (SUCCEEDED(rc)) return rc;
      oPartNumber = CATUnicodeString();
    }
  }
  ZEL_DETAIL("Cannot get Partnumber from Teamcenter");
  ShowWarning(Message("MsgConnectFailed", "ZELSetPartNumberFromExtPdmCmd MsgConnectFailed"));
  return FAILED(rc) ? rc : E_FAIL;
}

HRESULT SetPartNumberFromExtPdmCmd::SetPartNumber(const CATIPLMComponent_var& iComponent,
                                                  const CATUnicodeString& iPartNumber) {
  ZEL_DEBUG_SCOPE("SetPartNumberFromExtPdmCmd::SetPartNumber");
  if (iComponent == NULL_var || iPartNumber.IsNull()) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  if (FAILED(CATCkeObjectAttrWriteServices::SetValueWithString(CATICkeObject_var(iComponent), kExternalId,
                                                               iPartNumber))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATListValCATBaseUnknown_var objects;
  objects.Append(CATBaseUnknown_var(iComponent));
  const HRESULT rc = CATAdpSaver::Save(objects);
  if (FAILED(rc)) {
    if (CATError* error = CATError::CATGetLastError(rc)) {
      const CATUnicodeString text = error->GetNLSMessage();
      error->Release();
      ZEL_DETAIL("Failed to save: ", text.ConvertToUTF8());
      if (!text.IsNull()) ShowWarning(text);
    }
    CATError::CATCleanLastError();
  }
  return rc;
}
