// DOM building, navigation, handlers and writing.
#include <cstdio>
#include <iterator>
#include <string_view>

#include "CATIDOMAttr.h"
#include "CATIDOMCDATASection.h"
#include "CATIDOMComment.h"
#include "XMLTestUtil.h"
#include "ZELTestSupport.h"

using namespace xmltest;

namespace {

CATIDOMDocument_var NewDocument(const char* root) {
  CATIDOMImplementation_var impl;
  CATIDOMDocument_var doc;
  EXPECT_EQ(S_OK, Builder()->GetDOMImplementation(impl));
  EXPECT_EQ(S_OK, impl->CreateDocument("", root, NULL_var, doc));
  return doc;
}

CATIDOMElement_var AddChild(const CATIDOMDocument_var& doc, const CATIDOMNode_var& parent, const char* name) {
  CATIDOMElement_var e;
  EXPECT_EQ(S_OK, doc->CreateElement(name, e));
  EXPECT_EQ(S_OK, parent->AppendChild(e));
  return e;
}

}  // namespace

TEST(XmlFactories, KnownClassIdsOnly) {
  CATIXMLDOMDocumentBuilder_var builder;
  EXPECT_EQ(S_OK, CreateCATIXMLDOMDocumentBuilder(CLSID_XML4C_DOM, builder));
  EXPECT_TRUE(builder != NULL_var);
  CATIXMLDOMDocumentBuilder_var wrong;
  EXPECT_EQ(E_FAIL, CreateCATIXMLDOMDocumentBuilder(CLSID_XML4C_SAX, wrong));
  EXPECT_TRUE(wrong == NULL_var);
  EXPECT_EQ(E_FAIL, CreateCATIXMLDOMDocumentBuilder(CATMakeIID("CLSID_Other"), wrong));

  CATIXMLSAX2Factory_var sax;
  EXPECT_EQ(S_OK, CreateCATIXMLSAX2Factory(CLSID_XML4C_SAX, sax));
  CATIXMLSAX2Factory_var wrongSax;
  EXPECT_EQ(E_FAIL, CreateCATIXMLSAX2Factory(CLSID_XML4C_DOM, wrongSax));
  EXPECT_TRUE(wrongSax == NULL_var);
  CATIXMLInputSource_var source;
  ASSERT_EQ(S_OK, sax->CreateInputSourceFromBuffer("<a/>", "ZEL", source));
  CATUnicodeString systemId;
  EXPECT_EQ(S_OK, source->GetSystemId(systemId));
  EXPECT_EQ(systemId, "ZEL");
}

TEST(XmlDom, CreateDocumentBuildAndWriteCompact) {
  CATIDOMDocument_var doc = NewDocument("ZEL");
  CATIDOMElement_var root = Root(doc);
  EXPECT_EQ(Name(root), "ZEL");
  CATIDOMElement_var request;
  ASSERT_EQ(S_OK, doc->CreateElement("Request", request));
  ASSERT_EQ(S_OK, root->AppendChild(request));
  // The handler of the created element follows it into the tree.
  EXPECT_EQ(S_OK, request->SetAttribute("name", "Test"));
  EXPECT_EQ(S_OK, request->SetAttribute("id", "42_0"));
  CATIDOMElement_var attr;
  ASSERT_EQ(S_OK, doc->CreateElement("Attribute", attr));
  EXPECT_EQ(S_OK, attr->SetAttribute("name", "ExecuteTest"));
  EXPECT_EQ(S_OK, attr->SetAttribute("value", "Mirror"));
  EXPECT_EQ(S_OK, request->AppendChild(attr));
  EXPECT_EQ(Write(doc, {"CATEncoding", "UTF-8"}),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ZEL><Request name=\"Test\" id=\"42_0\">"
            "<Attribute name=\"ExecuteTest\" value=\"Mirror\"/></Request></ZEL>");
  // Without the encoding parameter the declaration carries no encoding.
  EXPECT_EQ(Write(doc),
            "<?xml version=\"1.0\"?><ZEL><Request name=\"Test\" id=\"42_0\">"
            "<Attribute name=\"ExecuteTest\" value=\"Mirror\"/></Request></ZEL>");
}

TEST(XmlDom, IndentationTwoSpacesOneElementPerLine) {
  CATIDOMDocument_var doc = NewDocument("ZEL");
  CATIDOMElement_var request = AddChild(doc, Root(doc), "Request");
  request->SetAttribute("name", "Test");
  CATIDOMElement_var a = AddChild(doc, request, "Attribute");
  a->SetAttribute("name", "n");
  CATIDOMElement_var error = AddChild(doc, request, "Error");
  CATIDOMText_var text;
  ASSERT_EQ(S_OK, doc->CreateTextNode("some text", text));
  ASSERT_EQ(S_OK, error->AppendChild(text));
  EXPECT_EQ(Write(doc, {"CATIndentation", "2", "CATEncoding", "UTF-8"}),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<ZEL>\n"
            "  <Request name=\"Test\">\n"
            "    <Attribute name=\"n\"/>\n"
            "    <Error>some text</Error>\n"
            "  </Request>\n"
            "</ZEL>");
  EXPECT_EQ(Write(doc, {"CATIndentation", "0"}),
            "<?xml version=\"1.0\"?>\n<ZEL>\n<Request name=\"Test\">\n<Attribute name=\"n\"/>\n"
            "<Error>some text</Error>\n</Request>\n</ZEL>");
}

TEST(XmlDom, WriterParametersAreChecked) {
  CATIDOMDocument_var doc = NewDocument("a");
  CATIXMLDOMDocumentBuilder_var builder = Builder();
  CATUnicodeString out;
  CATListOfCATUnicodeString names{"CATEncoding"}, values{"UTF-8", "x"};
  EXPECT_EQ(E_INVALIDARG, builder->WriteToString(doc, out, &names, &values));
  CATListOfCATUnicodeString unknown{"CATPrettyPrint"}, one{"true"};
  EXPECT_EQ(E_INVALIDARG, builder->WriteToString(doc, out, &unknown, &one));
  CATListOfCATUnicodeString indent{"CATIndentation"}, bad{"two"};
  EXPECT_EQ(E_INVALIDARG, builder->WriteToString(doc, out, &indent, &bad));
  CATListOfCATUnicodeString encoding{"CATEncoding"}, latin{"ISO-8859-1"};
  EXPECT_EQ(E_INVALIDARG, builder->WriteToString(doc, out, &encoding, &latin));
  EXPECT_EQ(E_INVALIDARG, builder->WriteToString(NULL_var, out, nullptr, nullptr));
  EXPECT_EQ(S_OK, builder->WriteToString(doc, out, nullptr, nullptr));
  EXPECT_EQ(out, "<?xml version=\"1.0\"?><a/>");
}

TEST(XmlDom, NamesAndValuesAreChecked) {
  CATIDOMDocument_var doc = NewDocument("a");
  CATIDOMElement_var e;
  EXPECT_EQ(E_INVALIDARG, doc->CreateElement("", e));
  EXPECT_EQ(E_INVALIDARG, doc->CreateElement("1a", e));
  EXPECT_EQ(E_INVALIDARG, doc->CreateElement("a b", e));
  EXPECT_TRUE(e == NULL_var);
  EXPECT_EQ(S_OK, doc->CreateElement("ns:Élément-1.x", e));
  CATIDOMElement_var root = Root(doc);
  EXPECT_EQ(E_INVALIDARG, root->SetAttribute("", "v"));
  EXPECT_EQ(E_INVALIDARG, root->SetAttribute("a=b", "v"));
  CATUnicodeString withNul;
  const char16_t nul[] = {u'a', 0, u'b'};
  withNul.BuildFromUCChar(nul, 3);
  EXPECT_EQ(E_INVALIDARG, root->SetAttribute("v", withNul));
  EXPECT_EQ(E_INVALIDARG, root->SetAttribute("v", "bell\x07"));
  EXPECT_EQ(S_OK, root->SetAttribute("v", ""));
  CATBoolean has = FALSE;
  EXPECT_EQ(S_OK, root->HasAttribute("v", has));
  EXPECT_TRUE(has);
  // A name holding a NUL never matches the attribute named by its first part.
  EXPECT_EQ(S_OK, root->HasAttribute(CATUnicodeString("v\0x", 3), has));
  EXPECT_FALSE(has);
  CATIDOMText_var text;
  EXPECT_EQ(E_INVALIDARG, doc->CreateTextNode(withNul, text));
  CATIDOMComment_var comment;
  EXPECT_EQ(E_INVALIDARG, doc->CreateComment("a--b", comment));
  EXPECT_EQ(E_INVALIDARG, doc->CreateComment("a-", comment));
  EXPECT_EQ(S_OK, doc->CreateComment(" fine ", comment));
}

TEST(XmlDom, AttributesReadSetReplaceRemove) {
  CATIDOMDocument_var doc = MustParse("<a first=\"1\" second=\"2\"/>");
  CATIDOMElement_var a = Root(doc);
  CATUnicodeString value = "unchanged";
  EXPECT_EQ(S_OK, a->GetAttribute("missing", value));
  EXPECT_TRUE(value.IsNull());
  CATBoolean has = TRUE;
  EXPECT_EQ(S_OK, a->HasAttribute("missing", has));
  EXPECT_FALSE(has);
  EXPECT_EQ(S_OK, a->SetAttribute("first", "one"));  // replaced in place: order kept
  EXPECT_EQ(S_OK, a->SetAttribute("third", "3"));
  CATListOfCATUnicodeString names;
  EXPECT_EQ(S_OK, a->GetAttributeNames(names));
  ASSERT_EQ(names.Size(), 3);
  EXPECT_EQ(names[1], "first");
  EXPECT_EQ(names[3], "third");
  EXPECT_EQ(S_OK, a->RemoveAttribute("second"));
  EXPECT_EQ(S_OK, a->RemoveAttribute("never"));
  EXPECT_EQ(Write(doc), "<?xml version=\"1.0\"?><a first=\"one\" third=\"3\"/>");
}

TEST(XmlDom, QueryInterfaceFollowsNodeType) {
  CATIDOMDocument_var doc = MustParse("<a>text<b/><![CDATA[<raw>]]><!--c--><?pi data?></a>");
  CATIDOMNodeList_var children;
  ASSERT_EQ(S_OK, Root(doc)->GetChildNodes(children));
  ASSERT_EQ(Length(children), 5u);
  const unsigned short types[] = {CATIDOMNode::TEXT_NODE, CATIDOMNode::ELEMENT_NODE,
                                  CATIDOMNode::CDATA_SECTION_NODE, CATIDOMNode::COMMENT_NODE,
                                  CATIDOMNode::PROCESSING_INSTRUCTION_NODE};
  for (unsigned int i = 0; i < 5; ++i) {
    CATIDOMNode_var node;
    ASSERT_EQ(S_OK, children->Item(i, node));
    unsigned short type = 0;
    node->GetNodeType(type);
    EXPECT_EQ(type, types[i]);
    CATIDOMElement_var element = node;
    CATIDOMText_var text = node;
    EXPECT_EQ(element != NULL_var, type == CATIDOMNode::ELEMENT_NODE) << i;
    EXPECT_EQ(text != NULL_var, type == CATIDOMNode::TEXT_NODE || type == CATIDOMNode::CDATA_SECTION_NODE)
        << i;
  }
  CATIDOMNode_var first;
  children->Item(0, first);
  CATIDOMText_var text = first;
  CATUnicodeString data;
  EXPECT_EQ(S_OK, text->GetData(data));
  EXPECT_EQ(data, "text");
  CATIDOMNode_var third;
  children->Item(2, third);
  CATIDOMText_var cdata = third;
  cdata->GetData(data);
  EXPECT_EQ(data, "<raw>");
  CATIDOMNode_var fifth;
  children->Item(4, fifth);
  EXPECT_EQ(Name(fifth), "pi");
  CATIDOMNode_var none;
  EXPECT_EQ(E_INVALIDARG, children->Item(5, none));
  EXPECT_TRUE(none == NULL_var);
  // The document is a node; the XPath factory is a separate interface of it.
  CATIDOMNode_var asNode = doc;
  unsigned short type = 0;
  asNode->GetNodeType(type);
  EXPECT_EQ(type, CATIDOMNode::DOCUMENT_NODE);
  CATIDOMElement_var notElement = asNode;
  EXPECT_TRUE(notElement == NULL_var);
}

TEST(XmlDom, NavigationAndSameNode) {
  CATIDOMDocument_var doc = MustParse("<r><a/><b/><c/></r>");
  CATIDOMElement_var r = Root(doc);
  CATIDOMNode_var first, last, next, previous, parent, docParent;
  r->GetFirstChild(first);
  r->GetLastChild(last);
  EXPECT_EQ(Name(first), "a");
  EXPECT_EQ(Name(last), "c");
  first->GetNextSibling(next);
  EXPECT_EQ(Name(next), "b");
  first->GetPreviousSibling(previous);
  EXPECT_TRUE(previous == NULL_var);
  first->GetParentNode(parent);
  CATBoolean same = FALSE;
  EXPECT_EQ(S_OK, parent->IsSameNode(r, same));
  EXPECT_TRUE(same);
  EXPECT_EQ(S_OK, first->IsSameNode(last, same));
  EXPECT_FALSE(same);
  r->GetParentNode(docParent);  // the document element's parent is the document
  unsigned short type = 0;
  docParent->GetNodeType(type);
  EXPECT_EQ(type, CATIDOMNode::DOCUMENT_NODE);
  CATBoolean hasChildren = FALSE;
  r->HasChildNodes(hasChildren);
  EXPECT_TRUE(hasChildren);
  first->HasChildNodes(hasChildren);
  EXPECT_FALSE(hasChildren);
  CATIDOMNodeList_var all;
  EXPECT_EQ(S_OK, doc->GetElementsByTagName("*", all));
  EXPECT_EQ(Length(all), 4u);
  EXPECT_EQ(S_OK, r->GetElementsByTagName("b", all));
  EXPECT_EQ(Length(all), 1u);
}

TEST(XmlDom, DetachedNodesAndMoves) {
  CATIDOMDocument_var doc = NewDocument("r");
  CATIDOMElement_var r = Root(doc);
  CATIDOMElement_var outer, inner, other;
  ASSERT_EQ(S_OK, doc->CreateElement("outer", outer));
  ASSERT_EQ(S_OK, doc->CreateElement("inner", inner));
  ASSERT_EQ(S_OK, doc->CreateElement("other", other));
  CATIDOMNode_var parent, sibling;
  outer->GetParentNode(parent);
  EXPECT_TRUE(parent == NULL_var);  // created, not placed
  outer->GetNextSibling(sibling);
  EXPECT_TRUE(sibling == NULL_var);  // other detached nodes are not siblings
  ASSERT_EQ(S_OK, outer->AppendChild(inner));
  EXPECT_EQ(E_FAIL, inner->AppendChild(outer));  // no cycles
  ASSERT_EQ(S_OK, r->AppendChild(outer));
  // Handlers on the placed subtree follow it into the tree.
  EXPECT_EQ(S_OK, inner->SetAttribute("k", "v"));
  inner->GetParentNode(parent);
  CATBoolean same = FALSE;
  parent->IsSameNode(outer, same);
  EXPECT_TRUE(same);
  EXPECT_EQ(Write(doc), "<?xml version=\"1.0\"?><r><outer><inner k=\"v\"/></outer></r>");
  // A node of the tree does not move below a detached node; inside the tree it moves.
  EXPECT_EQ(E_FAIL, other->AppendChild(inner));
  EXPECT_EQ(S_OK, r->InsertBefore(other, outer));
  EXPECT_EQ(S_OK, r->AppendChild(inner));
  EXPECT_EQ(Write(doc), "<?xml version=\"1.0\"?><r><other/><outer/><inner k=\"v\"/></r>");
  // The document takes one element only, and no text.
  CATIDOMElement_var second;
  doc->CreateElement("second", second);
  EXPECT_EQ(E_FAIL, doc->AppendChild(second));
  CATIDOMText_var text;
  doc->CreateTextNode("t", text);
  EXPECT_EQ(E_FAIL, doc->AppendChild(text));
  // Nodes of another document are refused.
  CATIDOMDocument_var foreign = NewDocument("f");
  EXPECT_EQ(E_INVALIDARG, r->AppendChild(Root(foreign)));
  EXPECT_EQ(E_INVALIDARG, r->AppendChild(NULL_var));
}

TEST(XmlDom, NodesKeepTheirDocumentAlive) {
  CATIDOMElement_var element;
  CATIDOMNodeList_var list;
  {
    CATIDOMDocument_var doc = MustParse("<r><a v=\"1\"/><a v=\"2\"/></r>");
    element = Root(doc);
    doc->GetElementsByTagName("a", list);
  }
  ASSERT_TRUE(element != NULL_var);
  EXPECT_EQ(Name(element), "r");
  EXPECT_EQ(Attr(ElementAt(list, 1), "v"), "2");
  CATIDOMDocument_var owner;
  EXPECT_EQ(S_OK, element->GetOwnerDocument(owner));
  EXPECT_EQ(Write(owner), "<?xml version=\"1.0\"?><r><a v=\"1\"/><a v=\"2\"/></r>");
}

TEST(XmlDom, SpecialCharactersAndNonAsciiRoundTrip) {
  const std::string tricky = "a<b>&c\"d'e\tf\ng\rh ]]> é € 𝄞";
  CATIDOMDocument_var doc = NewDocument("r");
  CATIDOMElement_var r = Root(doc);
  ASSERT_EQ(S_OK, r->SetAttribute("v", CATUnicodeString(tricky)));
  CATIDOMText_var text;
  ASSERT_EQ(S_OK, doc->CreateTextNode(CATUnicodeString(tricky), text));
  r->AppendChild(text);
  CATIDOMCDATASection_var cdata;
  ASSERT_EQ(S_OK, doc->CreateCDATASection(CATUnicodeString(tricky), cdata));
  CATIDOMElement_var holder = AddChild(doc, r, "c");
  holder->AppendChild(cdata);
  std::string written = Write(doc, {"CATEncoding", "UTF-8"});
  CATIDOMDocument_var back = MustParse(written);
  ASSERT_TRUE(back != NULL_var) << written;
  CATIDOMElement_var r2 = Root(back);
  EXPECT_EQ(Attr(r2, "v"), tricky);
  CATIDOMNode_var first;
  r2->GetFirstChild(first);
  CATIDOMText_var t2 = first;
  CATUnicodeString data;
  t2->GetData(data);
  EXPECT_EQ(data.ConvertToUTF8(), tricky);
  CATUnicodeString content;
  CATIDOMNode_var c2;
  r2->GetLastChild(c2);
  c2->GetTextContent(content);
  EXPECT_EQ(content.ConvertToUTF8(), tricky);
  unsigned int length = 0;
  t2->GetLength(length);
  EXPECT_EQ(length, static_cast<unsigned int>(CATUnicodeString(tricky).GetLengthInChar()));
}

TEST(XmlDom, WriteToFileAndParseFile) {
  zeltest::TempDir tmp("zel-xml");
  const std::string dir = tmp.Path().string();
  const std::string path = (tmp / "xml_dom_file.xml").string();
  CATIDOMDocument_var doc = MustParse("<r><x v=\"é\"/></r>");
  CATListOfCATUnicodeString names{"CATEncoding"}, values{"UTF-8"};
  ASSERT_EQ(S_OK, Builder()->WriteToFile(doc, CATUnicodeString(path), &names, &values));
  CATListOfCATUnicodeString features{"CATDoValidation"}, off{"false"};
  CATIDOMDocument_var back;
  ASSERT_EQ(S_OK, Builder()->ParseFile(CATUnicodeString(path), back, NULL_var, NULL_var, features, off));
  EXPECT_EQ(Attr(ElementAt(XPath(back, "//x"), 0), "v"), "é");

  // A Latin-1 file decoded through its declaration; a UTF-16 file through its byte-order mark.
  ASSERT_TRUE(zeltest::WriteFile(path, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r v=\"\xE9\"/>"));
  ASSERT_EQ(S_OK, Builder()->ParseFile(CATUnicodeString(path), back, NULL_var, NULL_var, features, off));
  EXPECT_EQ(Attr(Root(back), "v"), "é");
  const char utf16[] = "\xFF\xFE<\0r\0 \0v\0=\0'\0\xE9\0'\0/\0>\0";
  ASSERT_TRUE(zeltest::WriteFile(path, std::string_view(utf16, sizeof utf16 - 1)));
  ASSERT_EQ(S_OK, Builder()->ParseFile(CATUnicodeString(path), back, NULL_var, NULL_var, features, off));
  EXPECT_EQ(Attr(Root(back), "v"), "é");
  ASSERT_TRUE(zeltest::WriteFile(path, "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r/>"));
  EXPECT_EQ(E_FAIL, Builder()->ParseFile(CATUnicodeString(path), back, NULL_var, NULL_var, features, off));
  // Not UTF-8 and no declaration saying otherwise.
  ASSERT_TRUE(zeltest::WriteFile(path, "<r v=\"\xE9\"/>"));
  EXPECT_EQ(E_FAIL, Builder()->ParseFile(CATUnicodeString(path), back, NULL_var, NULL_var, features, off));
  std::remove(path.c_str());
  EXPECT_EQ(E_FAIL, Builder()->ParseFile(CATUnicodeString(path), back, NULL_var, NULL_var, features, off));
  EXPECT_EQ(E_FAIL, Builder()->ParseFile(CATUnicodeString(dir), back, NULL_var, NULL_var, features, off));
  EXPECT_TRUE(back == NULL_var);
}
