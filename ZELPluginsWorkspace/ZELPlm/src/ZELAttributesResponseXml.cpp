#include "ZELAttributesResponseXml.h"

#include "CATIDOMElement.h"
#include "CATIDOMNode.h"
#include "CATIDOMNodeList.h"
#include "ZELDebug.h"

namespace {

CATUnicodeString AttributeOf(const CATIDOMElement_var& element, const char* name) {
  CATUnicodeString value;
  if (!element || FAILED(element->GetAttribute(name, value))) return CATUnicodeString();
  return value;
}

CATUnicodeString OneLine(CATUnicodeString text) {
  text.ReplaceAll("\r\n", " ");
  text.ReplaceAll("\r", " ");
  text.ReplaceAll("\n", " ");
  return text;
}

}  // namespace

ZELAttributesResponseXml::ZELAttributesResponseXml() = default;

ZELAttributesResponseXml::~ZELAttributesResponseXml() = default;

CATUnicodeString ZELAttributesResponseXml::LayoutLine(const CATUnicodeString& label,
                                                      const CATUnicodeString& value) {
  CATUnicodeString line = OneLine(label);
  if (line.GetLengthInChar() < kLabelColumn) {
    line.Resize(kLabelColumn, u' ');
    line += "\t";
  } else {
    line += " ";
  }
  return line + OneLine(value);
}

long ZELAttributesResponseXml::GetResult(std::vector<ZELAttributeGroup>& groups) const {
  ZEL_DEBUG_SCOPE("ZELAttributesResponseXml::GetResult");
  CATIDOMNodeList_var nodes;
  if (FAILED(GetNodesForXPath("/*/Response/Group", nodes))) {
    ZEL_DETAIL("no Group found");
    return E_FAIL;
  }
  if (!nodes) {
    ZEL_DETAIL("no Group found");
    return S_OK;
  }
  unsigned int count = 0;
  nodes->GetLength(count);
  int taken = 0;
  for (unsigned int i = 0; i < count; ++i) {
    CATIDOMNode_var node;
    if (FAILED(nodes->Item(i, node)) || !node) continue;
    CATIDOMElement_var element = node;
    if (!element) continue;
    if (taken == kMaxGroups) {
      ZEL_DETAIL("more than ", kMaxGroups, " groups: the rest is not shown");
      break;
    }
    ZELAttributeGroup group;
    group.name = AttributeOf(element, "name");
    CATIDOMNodeList_var attributes;
    if (FAILED(element->GetElementsByTagName("Attribute", attributes)) || !attributes) {
      ZEL_FAILURE_POINT();
      return E_FAIL;
    }
    unsigned int attributeCount = 0;
    attributes->GetLength(attributeCount);
    for (unsigned int a = 0; a < attributeCount; ++a) {
      if (group.lines.Size() == kMaxLinesPerGroup) {
        ZEL_DETAIL("group with more than ", kMaxLinesPerGroup, " attributes: the rest is not shown");
        break;
      }
      CATIDOMNode_var attributeNode;
      if (FAILED(attributes->Item(a, attributeNode)) || !attributeNode) continue;
      CATIDOMElement_var attribute = attributeNode;
      if (!attribute) continue;
      CATUnicodeString label = AttributeOf(attribute, "display");
      if (label.IsNull()) label = AttributeOf(attribute, "name");
      group.lines.Append(LayoutLine(label + ":", AttributeOf(attribute, "value")));
    }
    groups.push_back(std::move(group));
    ++taken;
  }
  return S_OK;
}

long ZELAttributesResponseXml::GetLocResult(CATUnicodeString& owner, bool& hasOwner) const {
  ZEL_DEBUG_SCOPE("ZELAttributesResponseXml::GetLocResult");
  hasOwner = false;
  CATIDOMNodeList_var nodes;
  if (FAILED(GetNodesForXPath("/*/Response/Loc", nodes))) {
    ZEL_DETAIL("no Loc found");
    return E_FAIL;
  }
  if (!nodes) {
    ZEL_DETAIL("no Loc found");
    return S_OK;
  }
  unsigned int count = 0;
  nodes->GetLength(count);
  CATIDOMNode_var node;
  if (count != 1 || FAILED(nodes->Item(0, node)) || !node) return S_OK;
  CATIDOMElement_var element = node;
  if (!element) return S_OK;
  owner = CATUnicodeString();
  CATBoolean has = FALSE;
  if (SUCCEEDED(element->HasAttribute("OWNER", has)) && has) {
    hasOwner = true;
    owner = AttributeOf(element, "OWNER");
  }
  return S_OK;
}
