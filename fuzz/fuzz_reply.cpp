// libFuzzer target: arbitrary bytes as a gateway reply (decoded as UTF-8, as the transport does), read
// through every reader of ZELRequestXml. Besides crashes, sanitizer reports and hangs, it checks one
// property: a document that parsed serialises to a text that parses again to the same text.
#include <cstdint>
#include <cstdlib>

#include "CATIDOMElement.h"
#include "CATIDOMNodeList.h"
#include "ZELRequestXml.h"

namespace {

void ReadNodes(const ZELRequestXml& reply, const char* expression) {
  CATIDOMNodeList_var nodes;
  if (FAILED(reply.GetNodesForXPath(expression, nodes)) || !nodes) return;
  unsigned int count = 0;
  nodes->GetLength(count);
  for (unsigned int i = 0; i < count && i < 64; ++i) {
    CATIDOMNode_var node;
    if (FAILED(nodes->Item(i, node)) || !node) continue;
    CATUnicodeString name, value;
    node->GetNodeName(name);
    node->GetNodeValue(value);
    CATIDOMElement_var element = node;
    if (element) {
      element->GetAttribute("value", value);
      element->GetAttribute("name", value);
      CATIDOMNodeList_var below;
      element->GetElementsByTagName("Attribute", below);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CATUnicodeString text;
  text.BuildFromUTF8(reinterpret_cast<const char*>(data), size);
  ZELRequestXml reply;
  long parsed = reply.ReadXmlString(text);

  unsigned char flag = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  reply.GetErrors(flag, &codes, &texts);
  reply.GetErrors(flag, &codes, nullptr);
  reply.GetErrors(flag, nullptr, nullptr);
  CATRawCollint nlsCodes, messageCodes, nlsMessageCodes;
  CATListValCATUnicodeString nlsTexts, messageTexts, nlsMessageTexts;
  reply.GetErrorsNLS(flag, nlsCodes, nlsTexts);
  reply.GetMessages(messageCodes, messageTexts);
  reply.GetMessagesNLS(nlsMessageCodes, nlsMessageTexts);

  // Every attribute name the reply offers, and a few fixed ones, as single values and as lists.
  CATListValCATUnicodeString names{"Server", "a", "", "@EOL@"};
  CATIDOMNodeList_var named;
  if (SUCCEEDED(reply.GetNodesForXPath("/*/Response/*/@name", named)) && named) {
    unsigned int count = 0;
    named->GetLength(count);
    for (unsigned int i = 0; i < count && i < 32; ++i) {
      CATIDOMNode_var node;
      CATUnicodeString name;
      if (SUCCEEDED(named->Item(i, node)) && node && SUCCEEDED(node->GetNodeValue(name))) names.Append(name);
    }
  }
  for (const CATUnicodeString& name : names) {
    CATUnicodeString value;
    reply.GetResponseAttribute(name, value);
    CATListValCATUnicodeString values;
    CATRawCollint flags;
    reply.GetResponseAttributeList(name, values, &flags);
    if (values.Size() != flags.Size()) std::abort();
    reply.GetResponseAttributeList(name, values, nullptr);
  }

  for (const char* expression : {"/*/Response/*/PD", "//Error", "//@*", "/*/Response/Group", "//node()",
                                 "count(//*)", "/*/Response/Loc", "//*[@default='true']"})
    ReadNodes(reply, expression);

  reply.GetRequestId();
  reply.GetResponseId();
  CATIDOMElement_var response;
  reply.GetResponse(response);
  reply.AddResponseAttribute("Fuzz", text);

  CATUnicodeString xml;
  if (SUCCEEDED(reply.GetXml(xml))) {
    if (FAILED(parsed)) std::abort();  // a failed parse leaves no document to write
    ZELRequestXml again;
    CATUnicodeString xmlAgain;
    if (FAILED(again.ReadXmlString(xml)) || FAILED(again.GetXml(xmlAgain)) || !(xml == xmlAgain))
      std::abort();
  }
  return 0;
}
