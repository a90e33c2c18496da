#include "ZELShowAttributesCmd.h"

#include <vector>

#include "CATAfrCommandFactory.h"
#include "CATApplication.h"
#include "CATApplicationFrame.h"
#include "CATCkeObjectAttrReadServices.h"
#include "CATDlgNotify.h"
#include "CATIPLMComponent.h"
#include "CATIType.h"
#include "HtmlRequest.h"
#include "ZELAttributesResponseXml.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELLoginData.h"
#include "ZELPlmCommands.h"
#include "ZELShowAttributesDialog.h"
#include "ZELUtil.h"

CATAfrImplementCommandFactory(ZELShowAttributesCmd)

namespace {

constexpr CATDlgStyle kErrorStyle = 0x10100000UL;
constexpr CATDlgStyle kWarningStyle = 0x8100000UL;
// A type code that could not be read counts as a type the PDM does not map.
constexpr int kUnreadTypeCode = 5;

const char* const kExternalId = "PLM_ExternalID";
const char* const kRevision = "majorrevision";

CATUnicodeString Message(const char* key) {
  return ZELGlobal::BuildMessage("ShowAttributesCmd", key, nullptr, 0, CATUnicodeString());
}

void ShowBox(const CATUnicodeString& text, const CATUnicodeString& title, const char* name,
             CATDlgStyle style) {
  ZEL_DEBUG_SCOPE("ZELShowAttributesCmd::ShowBox");
  ZEL_DETAIL(text.ConvertToUTF8());
  CATDlgNotify* box = new CATDlgNotify(CATApplication::MainApplication(), name, style);
  box->DisplayBlocked(text, title);
  box->Release();
}

// Part number and revision as the database stores them; each failing step leaves its output empty.
void ReadStoredKey(const CATIPLMComponent_var& component, CATIType_var* type, CATUnicodeString& partNumber,
                   CATUnicodeString& revision) {
  ZEL_DEBUG_SCOPE("ZELShowAttributesCmd::ReadStoredKey");
  CATIAdpPLMIdentificator_var id;
  if (FAILED(component->GetAdpID(id)) || id == NULL_var) {
    ZEL_FAILURE_POINT();
    return;
  }
  if (type && (FAILED(id->GetPLMType(*type)) || *type == NULL_var)) ZEL_FAILURE_POINT();
  CATAdpPLMAttributeSet attributes;
  if (FAILED(ZELUtil::GetStoredAttributes(id.get(), attributes))) return;
  if (FAILED(attributes.GetStringAttributeValue(kRevision, revision))) ZEL_FAILURE_POINT();
  if (FAILED(attributes.GetStringAttributeValue(kExternalId, partNumber))) ZEL_FAILURE_POINT();
}

CATUnicodeString Label(const char* key, bool withColon) {
  CATUnicodeString label = Message(key);
  return withColon ? label + ":" : label;
}

void ShowDialog(const CATUnicodeString& typeName, const CATListValCATUnicodeString& headerLines,
                const std::vector<ZELAttributeGroup>& groups) {
  ZEL_DEBUG_SCOPE("ZELShowAttributesCmd::ShowDialog");
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  if (!frame) {
    ZEL_DETAIL("NULL == pAppFrame");
    return;
  }
  CATDlgDialog* window = frame->GetApplicationDocument();
  if (!window) {
    ZEL_DETAIL("NULL == pMainWindow");
    return;
  }
  auto* dialog = new ZELShowAttributesDialog(window, "ShowAttributesDialog");
  dialog->SetResponse(typeName, headerLines, groups);
  dialog->Build();
  dialog->SetVisibility(CATDlgShow);
}

}  // namespace

ZELShowAttributesCmd::ZELShowAttributesCmd() : CATCommand(nullptr, "ShowTCAttributesCmd") {}

ZELShowAttributesCmd::~ZELShowAttributesCmd() = default;

CATStatusChangeRC ZELShowAttributesCmd::Activate(CATCommand*, CATNotification*) {
  ZEL_DEBUG_SCOPE("ZELShowAttributesCmd::Activate");
  const CATUnicodeString title = Message("MsgTitle");
  CATIPLMComponent_var component, related;
  CATUnicodeString instanceName;
  if (ZELUtil::GetSelectedComponent(component, &related, &instanceName, 0, nullptr) == 1) {
    ShowBox(Message("MsgWarnSelection"), title, "ZELWarning", kWarningStyle);
    RequestDelayedDestruction();
    return CATStatusChangeRCCompleted;
  }

  CATIType_var type;
  CATUnicodeString partNumber, revision, parentPartNumber, parentRevision;
  if (component != NULL_var) ReadStoredKey(component, &type, partNumber, revision);
  if (related != NULL_var && !instanceName.IsNull())
    ReadStoredKey(related, nullptr, parentPartNumber, parentRevision);

  CATUnicodeString typeName;
  int typeCode = kUnreadTypeCode;
  if (type != NULL_var) {
    typeName = type->Name();
    // Decorations after the name, such as "(Customized)", are not part of what the user knows the type by.
    for (int i = 0; i < typeName.GetLengthInChar(); ++i) {
      if (typeName[i] == u'(') {
        typeName = typeName.SubString(0, i);
        break;
      }
    }
    if (FAILED(type->GetStatus(typeCode))) typeCode = kUnreadTypeCode;
  }
  if (typeCode != 0) {
    ShowBox(Message("MsgTypeNotMapped"), title, "ZELError", kWarningStyle);
    RequestDelayedDestruction();
    return CATStatusChangeRCCompleted;
  }

  if (!partNumber.IsNull()) {
    ZELRequestXml request("GetMetadata");
    const CATUnicodeString locale = ZELLoginData::GetLoginLocale();
    ZELPlmCommands::SetCredentialsToRequest(ZELLoginData::GetUser(), ZELLoginData::GetPassword(),
                                            ZELLoginData::GetGroup(), ZELLoginData::GetRole(), locale,
                                            request);
    request.AddRequestAttribute("PartNumber", partNumber);
    request.AddRequestAttribute("Revision", revision);
    request.AddRequestAttribute("LoginLocale", locale);
    if (!instanceName.IsNull()) request.AddRequestAttribute("InstanceName", instanceName);
    if (!parentPartNumber.IsNull()) request.AddRequestAttribute("ParentPartNumber", parentPartNumber);
    if (!parentRevision.IsNull()) request.AddRequestAttribute("ParentRevision", parentRevision);

    ZELAttributesResponseXml reply;
    unsigned char hasErrors = 0;
    CATRawCollint codes;
    CATListValCATUnicodeString texts;
    if (FAILED(HtmlRequest::DoRequest(request, reply))) {
      ZEL_FAILURE_POINT();
      ShowBox(Message("MsgCommunicationFailed"), title, "ZELError", kErrorStyle);
    } else if (FAILED(reply.GetErrorsNLS(hasErrors, codes, texts))) {
      ZEL_FAILURE_POINT();
      ShowBox(Message("MsgFailed"), title, "ZELError", kErrorStyle);
    } else if (hasErrors) {
      ShowBox(ZELPlmCommands::ErrorLines(codes, texts), title, "ZELWarning", kWarningStyle);
    } else {
      CATListValCATUnicodeString headerLines;
      headerLines.Append(ZELAttributesResponseXml::LayoutLine(Label("PartNumber", true), partNumber));
      headerLines.Append(ZELAttributesResponseXml::LayoutLine(Label("Version", true), revision));
      CATUnicodeString owner;
      bool hasOwner = false;
      if (SUCCEEDED(reply.GetLocResult(owner, hasOwner)) && hasOwner)
        headerLines.Append(ZELAttributesResponseXml::LayoutLine(Label("Loc", true), owner));
      std::vector<ZELAttributeGroup> groups;
      if (FAILED(reply.GetResult(groups))) ZEL_FAILURE_POINT();
      ShowDialog(typeName, headerLines, groups);
    }
  } else {
    // Never saved to the database: what the session holds is all there is, and the PDM cannot know it.
    CATICkeObject_var knowledge(component);
    const bool read =
        SUCCEEDED(CATCkeObjectAttrReadServices::ShowAttributeValue(knowledge, kExternalId, partNumber));
    if (!read || partNumber.IsNull())
      partNumber =
          ZELGlobal::BuildMessage("ShowTCAttributesCmd", "MsgNoPartNumber", nullptr, 0, CATUnicodeString());
    if (revision.IsNull() &&
        FAILED(CATCkeObjectAttrReadServices::ShowAttributeValue(knowledge, kRevision, revision)))
      ZEL_FAILURE_POINT();
    if (read) {
      CATListValCATUnicodeString headerLines;
      headerLines.Append(ZELAttributesResponseXml::LayoutLine(Label("PartNumber", false), partNumber));
      headerLines.Append(ZELAttributesResponseXml::LayoutLine(Label("Version", false), revision));
      ShowDialog(typeName, headerLines, {});
    } else {
      ZEL_FAILURE_POINT();
    }
  }
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC ZELShowAttributesCmd::Desactivate(CATCommand*, CATNotification*) {
  return CATStatusChangeRCCompleted;
}

CATStatusChangeRC ZELShowAttributesCmd::Cancel(CATCommand*, CATNotification*) {
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}
