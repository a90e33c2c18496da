#include "ZELPlmCommands.h"

#include <cstdio>
#include <string>

#include <memory>

#include "CATApplication.h"
#include "CATApplicationFrame.h"
#include "CATDlgNotify.h"
#include "CATIDOMElement.h"
#include "CATIDOMNode.h"
#include "CATIDOMNodeList.h"
#include "CATIDOMText.h"
#include "HtmlRequest.h"
#include "ZELDebug.h"
#include "ZELGlobal.h"
#include "ZELLoginData.h"
#include "ZELQueryItemResultDialog.h"
#include "ZELQueryResult.h"
#include "ZELRequestXml.h"

namespace {

constexpr CATDlgStyle kErrorStyle = 0x10100000UL;
constexpr int kSilentMessageCode = 100001;

const char* TrueFalse(bool flag, bool lowerCase) {
  if (lowerCase) return flag ? "true" : "false";
  return flag ? "TRUE" : "FALSE";
}

CATUnicodeString Decimal(int value) {
  return CATUnicodeString(std::to_string(value).c_str());
}

CATUnicodeString AttributeOf(const CATIDOMElement_var& element, const char* name) {
  CATUnicodeString value;
  if (!element || FAILED(element->GetAttribute(name, value))) return CATUnicodeString();
  return value;
}

// The data of the element's first child when that child is a text node, else empty.
CATUnicodeString FirstChildText(const CATIDOMElement_var& element) {
  CATIDOMNode_var first;
  CATUnicodeString text;
  if (FAILED(element->GetFirstChild(first)) || !first) return text;
  CATIDOMText_var asText = first;
  if (!asText || FAILED(asText->GetData(text))) return CATUnicodeString();
  return text;
}

// Calls visit(name, element) for each child element of the node, in document order.
template <class Visit>
void ForEachChildElement(const CATIDOMNode_var& parent, Visit visit) {
  CATIDOMNodeList_var children;
  if (!parent || FAILED(parent->GetChildNodes(children)) || !children) return;
  unsigned int count = 0;
  children->GetLength(count);
  for (unsigned int i = 0; i < count; ++i) {
    CATIDOMNode_var node;
    if (FAILED(children->Item(i, node)) || !node) continue;
    CATIDOMElement_var element = node;
    CATUnicodeString name;
    if (!element || FAILED(node->GetNodeName(name))) continue;
    visit(name, element);
  }
}

}  // namespace

void ZELPlmCommands::SetCredentialsToRequest(const CATUnicodeString& user, const CATUnicodeString& password,
                                             const CATUnicodeString& group, const CATUnicodeString& role,
                                             const CATUnicodeString& locale, ZELRequestXml& request) {
  ZEL_DEBUG_SCOPE("ZELPlmCommands::SetCredentialsToRequest");
  request.AddRequestAttribute("UserID", user);
  request.AddRequestAttribute("Password", EncodePassword(password));
  request.AddRequestAttribute("Group", group);
  request.AddRequestAttribute("Role", role);
  request.AddRequestAttribute("LoginLocale", locale);
}

CATUnicodeString ZELPlmCommands::EncodePassword(const CATUnicodeString& password) {
  // Gateways decode exactly this form, single digits for bytes below 0x10 included.
  std::string hex;
  for (unsigned char byte : password.ConvertToUTF8()) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%x", static_cast<unsigned>(byte));
    hex += digits;
  }
  return CATUnicodeString(hex.c_str());
}

bool ZELPlmCommands::CheckError(const ZELRequestXml& reply) {
  ZEL_DEBUG_SCOPE("ZELPlmCommands::CheckError");
  unsigned char hasErrors = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  if (FAILED(reply.GetErrors(hasErrors, &codes, &texts))) {
    // A reply whose errors cannot be read (no "Response", a foreign root) proves no success.
    ZEL_FAILURE_POINT();
    hasErrors = 1;
  }
  ZEL_DETAIL("bHasErrors [", hasErrors ? "TRUE" : "FALSE", "]");
  for (int i = 1; i <= codes.Size() && i <= texts.Size(); ++i)
    ZEL_DETAIL("error [", codes[i], "]: ", texts[i].ConvertToUTF8());
  CATRawCollint messageCodes;
  CATListValCATUnicodeString messageTexts;
  if (SUCCEEDED(reply.GetMessages(messageCodes, messageTexts))) {
    for (int i = 1; i <= messageCodes.Size() && i <= messageTexts.Size(); ++i)
      ZEL_DETAIL("message [", messageCodes[i], "]: ", messageTexts[i].ConvertToUTF8());
  }
  return hasErrors != 0;
}

long ZELPlmCommands::DoLogin(const CATUnicodeString& user, const CATUnicodeString& password,
                             const CATUnicodeString& group, const CATUnicodeString& role) {
  ZEL_DEBUG_SCOPE("ZELPlmCommands::DoLogin");
  long rc = RunLogin(user, password, group, role, ZELLoginData::GetLoginLocale());
  return rc < 0 ? E_FAIL : rc;
}

long ZELPlmCommands::RunLogin(const CATUnicodeString& user, const CATUnicodeString& password,
                              const CATUnicodeString& group, const CATUnicodeString& role,
                              const CATUnicodeString& locale) {
  ZEL_DEBUG_SCOPE("ZELPlmCommands::RunLogin");
  ZELRequestXml request("Login");
  SetCredentialsToRequest(user, password, group, role, locale, request);
  ZELRequestXml reply;
  if (FAILED(HtmlRequest::DoRequest(request, reply))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  if (CheckError(reply)) {
    ZEL_FAILURE_POINT();
    return S_FALSE;
  }
  ZELLoginData::SetLoginData(user, password, group, role);
  ZELLoginData::SetLoginOk(1);
  return S_OK;
}

CATUnicodeString ZELPlmCommands::ErrorLines(const CATRawCollint& codes,
                                            const CATListValCATUnicodeString& texts) {
  CATUnicodeString lines;
  for (int i = 1; i <= codes.Size() && i <= texts.Size(); ++i) {
    if (i > 1) lines += "\n";
    lines += Decimal(codes[i]) + ": " + texts[i];
  }
  return lines;
}

long ZELPlmCommands::DoQuery(const CATUnicodeString& itemType,
                             const CATListValCATUnicodeString& attributeNames,
                             const CATListValCATUnicodeString& attributeValues) {
  ZEL_DEBUG_SCOPE("ZELPlmCommands::DoQuery");
  ZELQueryResult* result = nullptr;
  const long rc = RunQuery(ZELLoginData::GetUser(), ZELLoginData::GetPassword(), ZELLoginData::GetGroup(),
                           ZELLoginData::GetRole(), ZELLoginData::GetLoginLocale(), itemType, attributeNames,
                           attributeValues, result);
  if (FAILED(rc) || !result) return rc;
  std::unique_ptr<ZELQueryResult> owned(result);
  CATApplicationFrame* frame = CATApplicationFrame::GetFrame();
  CATDlgDialog* window = frame ? frame->GetApplicationDocument() : nullptr;
  if (!window) {
    ZEL_FAILURE_POINT();
    return rc;
  }
  auto* dialog = new ZELQueryItemResultDialog(window, "query_item_result_dialog");
  dialog->Build();
  dialog->SetQueryResult(owned.get());
  dialog->SetVisibility(CATDlgShow);
  return rc;
}

long ZELPlmCommands::RunQuery(const CATUnicodeString& user, const CATUnicodeString& password,
                              const CATUnicodeString& group, const CATUnicodeString& role,
                              const CATUnicodeString& locale, const CATUnicodeString& itemType,
                              const CATListValCATUnicodeString& attributeNames,
                              const CATListValCATUnicodeString& attributeValues, ZELQueryResult*& result) {
  ZEL_DEBUG_SCOPE("ZELPlmCommands::RunQuery");
  ZEL_DETAIL("ItemType[", itemType.ConvertToUTF8(), "]");
  for (int i = 1; i <= attributeNames.Size() && i <= attributeValues.Size(); ++i)
    ZEL_DETAIL("[", attributeNames[i].ConvertToUTF8(), "] = [", attributeValues[i].ConvertToUTF8(), "]");
  ZELRequestXml request("QueryItemRevision");
  SetCredentialsToRequest(user, password, group, role, locale, request);
  // A list that cannot travel as typed (an item holding the separator) must not go out without it: the
  // gateway would then query without the user's conditions.
  if (FAILED(request.AddRequestAttribute("ObjectType", itemType)) ||
      FAILED(request.AddRequestAttributeList("AttributeNames", attributeNames)) ||
      FAILED(request.AddRequestAttributeList("AttributeValues", attributeValues))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  ZELRequestXml reply;
  if (FAILED(HtmlRequest::DoRequest(request, reply)) || CheckError(reply)) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  return ReadQueryResult(reply, result);
}

long ZELPlmCommands::ReadQueryResult(const ZELRequestXml& reply, ZELQueryResult*& result) {
  ZEL_DEBUG_SCOPE("ZELPlmCommands::ReadQueryResult");
  CATIDOMElement_var response;
  if (FAILED(reply.GetResponse(response)) || !response) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  auto found = std::make_unique<ZELQueryResult>();
  ForEachChildElement(response, [&found](const CATUnicodeString& name, const CATIDOMElement_var& part) {
    if (name == "QueryResult") {
      ForEachChildElement(part, [&found](const CATUnicodeString& itemName, const CATIDOMElement_var& tco) {
        if (!(itemName == "TCO")) return;
        auto item = std::make_unique<ZELQueryResultItem>(AttributeOf(tco, "n"), AttributeOf(tco, "t"),
                                                         AttributeOf(tco, "o"));
        ForEachChildElement(tco,
                            [&item](const CATUnicodeString& attributeName, const CATIDOMElement_var& tca) {
                              if (attributeName == "TCA")
                                item->AddAttribute(AttributeOf(tca, "n"), FirstChildText(tca));
                            });
        found->AddItem(std::move(item));
      });
    } else if (name == "DisplayNodes") {
      ForEachChildElement(part, [&found](const CATUnicodeString& nodeName, const CATIDOMElement_var& dn) {
        if (nodeName == "DN") found->AddDisplayNode(AttributeOf(dn, "n"), FirstChildText(dn));
      });
    }
  });
  result = found.release();
  return S_OK;
}

long ZELPlmCommands::DoSendItem(const CATUnicodeString& obid, int expandLevel, bool transferLocation,
                                bool removeExisting, bool structureFilterOnly,
                                const CATUnicodeString& revisionRule, const CATUnicodeString& variant,
                                const CATUnicodeString& structureFilter, bool force, bool parallel,
                                bool sendConfiguration, CATUnicodeString& message) {
  ZEL_DEBUG_SCOPE("ZELPlmCommands::DoSendItem");
  return RunSendItem(ZELLoginData::GetUser(), ZELLoginData::GetPassword(), ZELLoginData::GetGroup(),
                     ZELLoginData::GetRole(), ZELLoginData::GetLoginLocale(), obid, expandLevel,
                     transferLocation, removeExisting, structureFilterOnly, revisionRule, variant,
                     structureFilter, force, parallel, sendConfiguration, message);
}

long ZELPlmCommands::RunSendItem(const CATUnicodeString& user, const CATUnicodeString& password,
                                 const CATUnicodeString& group, const CATUnicodeString& role,
                                 const CATUnicodeString& locale, const CATUnicodeString& obid,
                                 int expandLevel, bool transferLocation, bool removeExisting,
                                 bool structureFilterOnly, const CATUnicodeString& revisionRule,
                                 const CATUnicodeString& variant, const CATUnicodeString& structureFilter,
                                 bool force, bool parallel, bool sendConfiguration,
                                 CATUnicodeString& message) {
  ZEL_DEBUG_SCOPE("ZELPlmCommands::RunSendItem");
  ZEL_DETAIL("ItemObid[", obid.ConvertToUTF8(), "]");
  ZELRequestXml request("SendItemRevisionToV6");
  SetCredentialsToRequest(user, password, group, role, locale, request);
  request.AddRequestAttribute("RevisionObid", obid);
  request.AddRequestAttribute("ExpandLevel", Decimal(expandLevel));
  request.AddRequestAttribute("Force", TrueFalse(force, false));
  request.AddRequestAttribute("TRANSFER_SUBSTRUCTURES_PARALLEL", TrueFalse(parallel, true));
  request.AddRequestAttribute("RemoveExistingNotProvided", TrueFalse(removeExisting, false));
  request.AddRequestAttribute("TransferLoc", TrueFalse(transferLocation, false));
  request.AddRequestAttribute("TransferStructureFilterOnly", TrueFalse(structureFilterOnly, false));
  request.AddRequestAttribute("RevisionRule", revisionRule);
  request.AddRequestAttribute("Variant", variant);
  request.AddRequestAttribute("StructureFilter", structureFilter);
  request.AddRequestAttribute("SEND_CONFIGURATION", TrueFalse(sendConfiguration, true));
  ZELRequestXml reply;
  if (FAILED(HtmlRequest::DoRequest(request, reply))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  if (!CheckError(reply)) {
    reply.GetMessagesNLS(codes, texts);
    if (codes.Size() == 0 || texts.Size() == 0) {
      message = ZELGlobal::BuildMessage("HtmlRequest", "Message_101032", nullptr, 0,
                                        "ZELHtmlRequest Message_101032");
      return S_OK;
    }
    for (int i = 1; i <= codes.Size() && i <= texts.Size(); ++i) {
      if (codes[i] == kSilentMessageCode) continue;
      if (i > 1) message += "\n";
      message += texts[i];
    }
    return S_OK;
  }
  unsigned char hasErrors = 0;
  reply.GetErrorsNLS(hasErrors, codes, texts);
  if (codes.Size() == 0 || texts.Size() == 0) {
    message = ZELGlobal::BuildMessage("HtmlRequest", "Error_1032", nullptr, 0, "ZELHtmlRequest Error_1032");
  } else {
    for (int i = 1; i <= codes.Size() && i <= texts.Size(); ++i) {
      if (i > 1) message += "\n";
      if (codes[i] != 0) message += Decimal(codes[i]) + ": ";
      message += texts[i];
    }
  }
  ZEL_FAILURE_POINT();
  return E_FAIL;
}

long ZELPlmCommands::DoGetSendTo3DXOptions(const CATUnicodeString& obid,
                                           CATListValCATUnicodeString& revisionRules,
                                           CATRawCollint* defaultFlags, CATListValCATUnicodeString& variants,
                                           bool& sendConfiguration) {
  ZEL_DEBUG_SCOPE("ZELPlmCommands::DoGetSendTo3DXOptions");
  return RunGetSendTo3DXOptions(
      ZELLoginData::GetUser(), ZELLoginData::GetPassword(), ZELLoginData::GetGroup(), ZELLoginData::GetRole(),
      ZELLoginData::GetLoginLocale(), obid, revisionRules, defaultFlags, variants, sendConfiguration);
}

long ZELPlmCommands::RunGetSendTo3DXOptions(const CATUnicodeString& user, const CATUnicodeString& password,
                                            const CATUnicodeString& group, const CATUnicodeString& role,
                                            const CATUnicodeString& locale, const CATUnicodeString& obid,
                                            CATListValCATUnicodeString& revisionRules,
                                            CATRawCollint* defaultFlags, CATListValCATUnicodeString& variants,
                                            bool& sendConfiguration) {
  ZEL_DEBUG_SCOPE("ZELPlmCommands::RunGetSendTo3DXOptions");
  ZEL_DETAIL("ItemObid[", obid.ConvertToUTF8(), "]");
  ZELRequestXml request("GetSendTo3DXOptions");
  SetCredentialsToRequest(user, password, group, role, locale, request);
  request.AddRequestAttribute("RevisionObid", obid);
  const CATUnicodeString title =
      ZELGlobal::BuildMessage("SendToV6Dialog", "MsgTitle", nullptr, 0, "ZELSendToV6Dialog MsgTitle");
  const CATUnicodeString failed =
      ZELGlobal::BuildMessage("SendToV6Dialog", "MsgFailed", nullptr, 0, "ZELSendToV6Dialog MsgFailed");
  CATUnicodeString box;
  ZELRequestXml reply;
  if (FAILED(HtmlRequest::DoRequest(request, reply))) {
    box =
        ZELGlobal::BuildMessage("Global", "ServerRequestFailed", nullptr, 0, "ZELGlobal ServerRequestFailed");
  } else if (CheckError(reply)) {
    unsigned char hasErrors = 0;
    CATRawCollint codes;
    CATListValCATUnicodeString texts;
    if (FAILED(reply.GetErrorsNLS(hasErrors, codes, texts))) {
      box = failed;
    } else {
      box = ErrorLines(codes, texts);
      // Flagged without a readable error: still a failure the user must see.
      if (box.IsNull()) box = failed;
    }
  } else {
    if (FAILED(reply.GetResponseAttributeList("RevisionRule", revisionRules, defaultFlags))) {
      ZEL_FAILURE_POINT();
      box = failed;
    }
    if (FAILED(reply.GetResponseAttributeList("Variant", variants, nullptr))) box = failed;
    CATIDOMNodeList_var nodes;
    unsigned int count = 0;
    // No match leaves the list null: the same as an empty one.
    if (SUCCEEDED(reply.GetNodesForXPath("//ShowPdmSendConfigurationEnabled", nodes)) && !!nodes)
      nodes->GetLength(count);
    CATIDOMNode_var node;
    if (count == 1 && SUCCEEDED(nodes->Item(0, node))) {
      CATIDOMElement_var element = node;
      CATUnicodeString value;
      if (!!element && SUCCEEDED(element->GetAttribute("value", value))) sendConfiguration = value == "true";
    }
  }
  if (box.IsNull()) return S_OK;
  ZEL_FAILURE_POINT();
  CATDlgNotify* notify = new CATDlgNotify(CATApplication::MainApplication(), "ZELError", kErrorStyle);
  notify->DisplayBlocked(box, title);
  notify->Release();
  return E_FAIL;
}
