// libFuzzer target: arbitrary bytes as the reply to a PDM query, read as the transport reads a reply
// (UTF-8 decoded, then ZELRequestXml::ReadXmlString) and then by the query command's own reader
// (ZELPlmCommands::ReadQueryResult). Besides crashes, sanitizer reports and hangs, it checks what the result
// dialog relies on: the attribute names are each there once and each belongs to an item, an item's value is its
// first attribute's of that name, and a display name is the first entry's for its node name or the name itself.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "CATIDOMElement.h"
#include "CATIDOMNode.h"
#include "CATIDOMNodeList.h"
#include "CATIDOMText.h"
#include "ZELPlmCommands.h"
#include "ZELQueryResult.h"
#include "ZELQueryResultAttribute.h"
#include "ZELQueryResultItem.h"
#include "ZELRequestXml.h"

namespace {

CATUnicodeString AttributeOf(const CATIDOMElement_var& element, const char* name) {
  CATUnicodeString value;
  if (!element || FAILED(element->GetAttribute(name, value))) return CATUnicodeString();
  return value;
}

CATUnicodeString FirstChildText(const CATIDOMElement_var& element) {
  CATIDOMNode_var first;
  CATUnicodeString text;
  if (FAILED(element->GetFirstChild(first)) || !first) return text;
  CATIDOMText_var asText = first;
  if (!asText || FAILED(asText->GetData(text))) return CATUnicodeString();
  return text;
}

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

std::u16string Key(const CATUnicodeString& text) {
  return std::u16string(text.GetUTF16());
}

void CheckResult(const ZELQueryResult& result, const CATListValCATUnicodeString& nodeNames,
                 const CATListValCATUnicodeString& displayTexts) {
  if (result.GetItem(-1) || result.GetItem(result.GetItemCount())) std::abort();
  std::set<std::u16string> present;
  for (int i = 0; i < result.GetItemCount(); ++i) {
    const ZELQueryResultItem* item = result.GetItem(i);
    if (!item || item->GetAttribute(-1) || item->GetAttribute(item->GetAttributeCount())) std::abort();
    std::set<std::u16string> earlier;
    for (int a = 0; a < item->GetAttributeCount(); ++a) {
      const ZELQueryResultAttribute* attribute = item->GetAttribute(a);
      if (!attribute) std::abort();
      present.insert(Key(attribute->GetName()));
      if (earlier.insert(Key(attribute->GetName())).second &&
          !(item->GetAttributeValue(attribute->GetName()) == attribute->GetValue()))
        std::abort();
    }
  }
  CATListValCATUnicodeString names = result.GetAttributeNames();
  std::set<std::u16string> listed;
  for (int i = 1; i <= names.Size(); ++i) {
    if (!listed.insert(Key(names[i])).second || !present.count(Key(names[i]))) std::abort();
  }
  if (listed.size() != present.size()) std::abort();

  // The result dialog titles at most 100 attribute columns besides name and type.
  CATListValCATUnicodeString titles{"object_string", "object_type"};
  for (int i = 1; i <= names.Size() && i <= 100; ++i) titles.Append(names[i]);
  titles.Append("not-a-node-name");
  for (const CATUnicodeString& title : titles) {
    CATUnicodeString expected = title;
    for (int i = 1; i <= nodeNames.Size(); ++i) {
      if (nodeNames[i] == title) {
        expected = displayTexts[i];
        break;
      }
    }
    if (!(result.GetDisplayName(title) == expected)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CATUnicodeString text;
  text.BuildFromUTF8(reinterpret_cast<const char*>(data), size);
  ZELRequestXml reply;
  if (FAILED(reply.ReadXmlString(text))) return 0;
  unsigned char flag = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  reply.GetErrors(flag, &codes, &texts);
  ZELQueryResult* read = nullptr;
  if (FAILED(ZELPlmCommands::ReadQueryResult(reply, read)) || !read) return 0;
  std::unique_ptr<ZELQueryResult> result(read);

  // What the display names should come to: every "DN" entry, in order.
  CATIDOMElement_var response;
  if (FAILED(reply.GetResponse(response)) || !response) std::abort();
  CATListValCATUnicodeString nodeNames, displayTexts;
  ForEachChildElement(response, [&](const CATUnicodeString& name, const CATIDOMElement_var& part) {
    if (!(name == "DisplayNodes")) return;
    ForEachChildElement(part, [&](const CATUnicodeString& nodeName, const CATIDOMElement_var& dn) {
      if (!(nodeName == "DN")) return;
      nodeNames.Append(AttributeOf(dn, "n"));
      displayTexts.Append(FirstChildText(dn));
    });
  });
  CheckResult(*result, nodeNames, displayTexts);
  return 0;
}
