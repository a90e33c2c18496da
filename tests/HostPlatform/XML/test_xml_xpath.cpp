// XPath through the document's CATIXMLXPathFactory.
#include <string>

#include "CATIDOMAttr.h"
#include "XMLTestUtil.h"

using namespace xmltest;

namespace {
const char* kReply =
    "<ZEL><Error code=\"5\">root</Error><Response id=\"1_0\">"
    "<Attribute name=\"a\" value=\"1\"/><Attribute name=\"b\" value=\"2\"/>"
    "<Error code=\"7\">inner</Error><Group><PD Activity=\"x\"/><PD Activity=\"y\"/></Group></Response></ZEL>";
}

TEST(XmlXPath, NodeSetsInDocumentOrder) {
  CATIDOMDocument_var doc = MustParse(kReply);
  CATIDOMNodeList_var errors = XPath(doc, "/ZEL/Error");
  ASSERT_EQ(Length(errors), 1u);
  EXPECT_EQ(Attr(ElementAt(errors, 0), "code"), "5");
  EXPECT_EQ(Length(XPath(doc, "/*/Response/Error")), 1u);
  CATIDOMNodeList_var pds = XPath(doc, "/*/Response/*/PD");
  ASSERT_EQ(Length(pds), 2u);
  EXPECT_EQ(Attr(ElementAt(pds, 1), "Activity"), "y");
  CATIDOMNodeList_var reversed = XPath(doc, "(//PD[2] | //PD[1])");
  EXPECT_EQ(Attr(ElementAt(reversed, 0), "Activity"), "x");
  EXPECT_EQ(Length(XPath(doc, "/nothing")), 0u);
}

TEST(XmlXPath, ContextNodeAndAttributes) {
  CATIDOMDocument_var doc = MustParse(kReply);
  CATIDOMElement_var response = ElementAt(XPath(doc, "/*/Response"), 0);
  CATIDOMNodeList_var attributes = XPath(doc, "Attribute", response);
  EXPECT_EQ(Length(attributes), 2u);
  CATIDOMNodeList_var names = XPath(doc, "Attribute/@name", response);
  ASSERT_EQ(Length(names), 2u);
  CATIDOMNode_var node;
  names->Item(1, node);
  CATIDOMAttr_var attr = node;
  ASSERT_TRUE(attr != NULL_var);
  CATUnicodeString value;
  attr->GetValue(value);
  EXPECT_EQ(value, "b");
  unsigned short type = 0;
  node->GetNodeType(type);
  EXPECT_EQ(type, CATIDOMNode::ATTRIBUTE_NODE);
  CATIDOMElement_var owner;
  attr->GetOwnerElement(owner);
  EXPECT_EQ(Attr(owner, "value"), "2");
  CATIDOMElement_var notElement = node;
  EXPECT_TRUE(notElement == NULL_var);
}

TEST(XmlXPath, OtherResultTypesAndErrors) {
  CATIDOMDocument_var doc = MustParse(kReply);
  CATIXMLXPathFactory_var factory = doc;
  ASSERT_TRUE(factory != NULL_var);
  CATIXMLXPathResult_var result;
  ASSERT_EQ(S_OK, factory->Evaluate("count(//Error)", NULL_var, result));
  unsigned short type = 0;
  result->GetResultType(type);
  EXPECT_EQ(type, CATIXMLXPathResult::NUMBER_TYPE);
  double number = 0;
  EXPECT_EQ(S_OK, result->GetNumberValue(number));
  EXPECT_EQ(number, 2.0);
  CATIDOMNodeList_var list;
  EXPECT_EQ(E_FAIL, result->GetNodeList(list));  // not a node set
  EXPECT_TRUE(list == NULL_var);
  ASSERT_EQ(S_OK, factory->Evaluate("string(/ZEL/Error)", NULL_var, result));
  CATUnicodeString text;
  EXPECT_EQ(S_OK, result->GetStringValue(text));
  EXPECT_EQ(text, "root");
  ASSERT_EQ(S_OK, factory->Evaluate("boolean(//PD)", NULL_var, result));
  CATBoolean yes = FALSE;
  EXPECT_EQ(S_OK, result->GetBooleanValue(yes));
  EXPECT_TRUE(yes);
  EXPECT_EQ(E_FAIL, result->GetNumberValue(number));

  EXPECT_EQ(E_INVALIDARG, factory->Evaluate("//Error[", NULL_var, result));
  EXPECT_TRUE(result == NULL_var);
  EXPECT_EQ(E_INVALIDARG, factory->Evaluate("", NULL_var, result));
  std::string deep(50000, '(');
  deep += "1" + std::string(50000, ')');
  EXPECT_EQ(E_INVALIDARG, factory->Evaluate(CATUnicodeString(deep), NULL_var, result));
}

TEST(XmlXPath, ForeignAndDetachedContextsAreRefused) {
  CATIDOMDocument_var doc = MustParse(kReply);
  CATIDOMDocument_var other = MustParse("<x/>");
  CATIXMLXPathFactory_var factory = doc;
  CATIDOMElement_var otherRoot;
  other->GetDocumentElement(otherRoot);
  CATIXMLXPathResult_var result;
  EXPECT_EQ(E_INVALIDARG, factory->Evaluate("*", otherRoot, result));
  CATIDOMElement_var detached;
  doc->CreateElement("d", detached);
  EXPECT_EQ(E_INVALIDARG, factory->Evaluate("*", detached, result));
  // Detached nodes are not part of the document the expressions see.
  EXPECT_EQ(Length(XPath(doc, "//d")), 0u);
}

TEST(XmlXPath, FactoryKeepsTheDocumentAlive) {
  CATIXMLXPathFactory_var factory;
  {
    CATIDOMDocument_var doc = MustParse(kReply);
    factory = doc;
  }
  CATIXMLXPathResult_var result;
  ASSERT_EQ(S_OK, factory->Evaluate("//PD", NULL_var, result));
  CATIDOMNodeList_var list;
  ASSERT_EQ(S_OK, result->GetNodeList(list));
  EXPECT_EQ(Length(list), 2u);
}
