// Parsing: well-formedness, references, DOCTYPE, hostile input (depth, size, entities, bad bytes).
#include <chrono>
#include <string>
#include <vector>

#include "XMLTestUtil.h"

using namespace xmltest;

namespace {

std::string RootText(const CATIDOMDocument_var& doc) {
  CATUnicodeString text;
  Root(doc)->GetTextContent(text);
  return text.ConvertToUTF8();
}

}  // namespace

TEST(XmlParse, WellFormedDocumentsAndReferences) {
  CATIDOMDocument_var doc = MustParse(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- before -->\n<r a='x&lt;&#65;&#x42;&amp;&quot;&apos;'>"
      "t&gt;&#x1D11E;<![CDATA[&lt;kept]]></r>\n<?after it?>\n");
  CATIDOMElement_var r = Root(doc);
  EXPECT_EQ(Attr(r, "a"), "x<AB&\"'");
  EXPECT_EQ(RootText(doc), "t>𝄞&lt;kept");
  // Comments and processing instructions around the root stay; the declaration is not a node.
  CATIDOMNodeList_var top;
  doc->GetChildNodes(top);
  EXPECT_EQ(Length(top), 3u);
}

TEST(XmlParse, LineEndsAndAttributeWhitespaceAreNormalised) {
  CATIDOMDocument_var doc = MustParse("<r a=\"1\t2\r\n3&#10;4\">x\r\ny\rz</r>");
  EXPECT_EQ(Attr(Root(doc), "a"), "1 2 3\n4");
  EXPECT_EQ(RootText(doc), "x\ny\nz");
}

TEST(XmlParse, WhitespaceTextIsKept) {
  CATIDOMDocument_var doc = MustParse("<r>\n  <a/>\n</r>");
  CATIDOMNode_var first;
  Root(doc)->GetFirstChild(first);
  unsigned short type = 0;
  first->GetNodeType(type);
  EXPECT_EQ(type, CATIDOMNode::TEXT_NODE);
  EXPECT_EQ(Write(doc), "<?xml version=\"1.0\"?><r>\n  <a/>\n</r>");
}

TEST(XmlParse, DeclaredEncodingIsIgnoredForUnicodeText) {
  // The text is already Unicode: it is read as such whatever the declaration says.
  CATIDOMDocument_var doc = MustParse("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r v=\"é€\"/>");
  EXPECT_EQ(Attr(Root(doc), "v"), "é€");
  // A byte-order mark character in front of the text is skipped.
  CATIDOMDocument_var bom = MustParse("\xEF\xBB\xBF<?xml version=\"1.0\"?><r/>");
  EXPECT_TRUE(Root(bom) != NULL_var);
}

TEST(XmlParse, NotWellFormedIsRefused) {
  const std::vector<std::string> bad = {
      "",
      "   \n",
      "just text",
      "<r>",
      "<r></s>",
      "<r/><s/>",
      "text<r/>",
      "<r/>text",
      "<r/>x",
      "<r/><",
      "<r a='1' a='2'/>",
      "<r a='<'/>",
      "<r a=1/>",
      "<r>&undefined;</r>",
      "<r>&amp</r>",
      "<r>a & b</r>",
      "<r>&#0;</r>",
      "<r>&#x1;</r>",
      "<r>&#xD800;</r>",
      "<r>&#x110000;</r>",
      "<r>&#99999999999999999999;</r>",
      "<r>&#;</r>",
      "<r>&#xZZ;</r>",
      "<r>]]></r>",
      "<r><!-- a -- b --></r>",
      "<r><!-- a ---></r>",
      " <?xml version=\"1.0\"?><r/>",
      "<r/><?xml version=\"1.0\"?>",
      "<?xml encoding=\"UTF-8\"?><r/>",
      "<?XML version=\"1.0\"?><r/>",
      "<r><?xml version=\"1.0\"?></r>",
      "<r/><!DOCTYPE r>",
      "<!DOCTYPE r><!DOCTYPE r><r/>",
      "<![CDATA[x]]><r/>",
      "<1r/>",
      "<r><1a/></r>",
      "<r a\xC2\xA0"
      "b=\"1\"/>",  // U+00A0 is no name character
      "<html><body><p>Server error<br></body></html>",
      "<r>\x01</r>",
      "<r>\xEF\xBF\xBE</r>",  // U+FFFE
      "<r><![CDATA[unfinished</r>",
  };
  for (const std::string& text : bad) {
    CATIDOMDocument_var doc;
    EXPECT_EQ(E_FAIL, Parse(CATUnicodeString(text), doc)) << text;
    EXPECT_TRUE(doc == NULL_var) << text;
  }
}

TEST(XmlParse, ErrorHandlerGetsThePosition) {
  RecordingHandler* handler = new RecordingHandler;
  CATISAXErrorHandler_var held = handler;
  handler->Release();
  CATIDOMDocument_var doc;
  EXPECT_EQ(E_FAIL, Parse("<r>\n  <é>&bad;</é>\n</r>", doc, held));
  EXPECT_EQ(handler->count, 1);
  EXPECT_EQ(handler->systemId, "test");
  EXPECT_EQ(handler->line, 2);
  EXPECT_EQ(handler->column, 6);  // columns count characters: "é" is one
  EXPECT_NE(handler->message.find("&bad;"), std::string::npos) << handler->message;
}

TEST(XmlParse, ParserFeatures) {
  CATIXMLSAX2Factory_var factory;
  CreateCATIXMLSAX2Factory(CLSID_XML4C_SAX, factory);
  CATIXMLInputSource_var source;
  factory->CreateInputSourceFromBuffer("<r/>", "f", source);
  CATIDOMDocument_var doc;
  CATListOfCATUnicodeString names{"CATDoValidation"}, off{"false"}, on{"true"}, none;
  EXPECT_EQ(S_OK, Builder()->Parse(source, doc, NULL_var, NULL_var, names, off));
  EXPECT_EQ(E_NOTIMPL, Builder()->Parse(source, doc, NULL_var, NULL_var, names, on));
  EXPECT_EQ(E_INVALIDARG, Builder()->Parse(source, doc, NULL_var, NULL_var, names, none));
  CATListOfCATUnicodeString unknown{"CATSomething"};
  EXPECT_EQ(E_INVALIDARG, Builder()->Parse(source, doc, NULL_var, NULL_var, unknown, off));
  EXPECT_EQ(E_INVALIDARG, Builder()->Parse(NULL_var, doc, NULL_var, NULL_var, none, none));
  // A source can be parsed more than once.
  EXPECT_EQ(S_OK, Builder()->Parse(source, doc, NULL_var, NULL_var, none, none));
}

TEST(XmlParse, DoctypeIsKeptButNeverExpanded) {
  CATIDOMDocument_var doc = MustParse("<!DOCTYPE r [<!ELEMENT r ANY><!ATTLIST r d CDATA \"default\">]><r/>");
  CATIDOMNode_var first;
  doc->GetFirstChild(first);
  unsigned short type = 0;
  first->GetNodeType(type);
  EXPECT_EQ(type, CATIDOMNode::DOCUMENT_TYPE_NODE);
  EXPECT_EQ(Name(first), "r");
  CATBoolean has = TRUE;
  Root(doc)->HasAttribute("d", has);
  EXPECT_FALSE(has);  // no default attributes from the DTD
  EXPECT_EQ(Write(doc),
            "<?xml version=\"1.0\"?><!DOCTYPE r [<!ELEMENT r ANY><!ATTLIST r d CDATA \"default\">]><r/>");
}

TEST(XmlParse, EntityExpansionBombAndExternalEntitiesAreRefused) {
  std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
  for (int i = 1; i <= 9; ++i) {
    bomb += "<!ENTITY lol" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) bomb += "&lol" + (i == 1 ? std::string() : std::to_string(i - 1)) + ";";
    bomb += "\">";
  }
  bomb += "]><lolz>&lol9;</lolz>";
  auto start = std::chrono::steady_clock::now();
  CATIDOMDocument_var doc;
  EXPECT_EQ(E_FAIL, Parse(CATUnicodeString(bomb), doc));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  // Declaring the bomb without using it is harmless and accepted.
  std::string unused = bomb.substr(0, bomb.find("<lolz>")) + "<lolz/>";
  EXPECT_EQ(S_OK, Parse(CATUnicodeString(unused), doc));

  EXPECT_EQ(E_FAIL, Parse("<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><r>&x;</r>", doc));
  EXPECT_EQ(E_FAIL, Parse("<!DOCTYPE r [<!ENTITY % p SYSTEM \"http://127.0.0.1:1/x\"> %p;]><r>&y;</r>", doc));
}

TEST(XmlParse, DeepNestingNeitherCrashesNorRecurses) {
  // The deepest document the parser takes; deeper ones are refused (test_xml_limits.cpp).
  const int depth = 1000;
  std::string text;
  text.reserve(depth * 8);
  for (int i = 0; i < depth; ++i) text += "<d>";
  text += "deep";
  for (int i = 0; i < depth; ++i) text += "</d>";
  CATIDOMDocument_var doc = MustParse(text);
  ASSERT_TRUE(doc != NULL_var);
  EXPECT_EQ(RootText(doc), "deep");
  CATIDOMNodeList_var all;
  doc->GetElementsByTagName("d", all);
  EXPECT_EQ(Length(all), static_cast<unsigned int>(depth));
  EXPECT_EQ(Length(XPath(doc, "//d[not(d)]")), 1u);
  std::string compact = Write(doc);
  EXPECT_EQ(compact.size(), std::string("<?xml version=\"1.0\"?>").size() + text.size());
  // Indentation stops growing after 128 levels, so the pretty text stays linear in the depth (two lines
  // per level, at most 256 spaces each).
  std::string pretty = Write(doc, {"CATIndentation", "2"});
  EXPECT_LT(pretty.size(), static_cast<size_t>(depth) * 2 * (256 + 8));
  // The innermost node keeps the whole chain alive after everything else is released.
  CATIDOMNode_var innermost;
  all->Item(depth - 1, innermost);
  doc = NULL_var;
  all = NULL_var;
  CATIDOMNode_var parent;
  innermost->GetParentNode(parent);
  EXPECT_EQ(Name(parent), "d");
  innermost = NULL_var;
  parent = NULL_var;  // destroys the deep document

  // Far deeper documents, unclosed deep nesting, and deep DOCTYPE groups fail cleanly.
  const int far = 100000;
  std::string open;
  for (int i = 0; i < far; ++i) open += "<d>";
  CATIDOMDocument_var none;
  std::string closed = open + "deep";
  for (int i = 0; i < far; ++i) closed += "</d>";
  EXPECT_EQ(E_FAIL, Parse(CATUnicodeString(closed), none));
  EXPECT_TRUE(none == NULL_var);
  EXPECT_EQ(E_FAIL, Parse(CATUnicodeString(open + ">"), none));
  std::string doctype = "<!DOCTYPE r [";
  for (int i = 0; i < far; ++i) doctype += "<!x ";
  EXPECT_EQ(E_FAIL, Parse(CATUnicodeString(doctype + "]><r/>"), none));
}

TEST(XmlParse, HugeAttributesAndManyAttributes) {
  std::string big(16 * 1024 * 1024, 'x');
  CATIDOMDocument_var doc = MustParse("<r v=\"" + big + "\"/>");
  CATUnicodeString value;
  Root(doc)->GetAttribute("v", value);
  EXPECT_EQ(value.GetLengthInChar(), static_cast<int>(big.size()));

  std::string many = "<r";
  for (int i = 0; i < 20000; ++i) many += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  CATIDOMDocument_var manyDoc = MustParse(many + "/>");
  EXPECT_EQ(Attr(Root(manyDoc), "a19999"), "19999");
  CATIDOMDocument_var dup;
  EXPECT_EQ(E_FAIL, Parse(CATUnicodeString(many + " a777=\"again\"/>"), dup));
}

TEST(XmlParse, InvalidBytesAndEmbeddedNul) {
  // Invalid UTF-8 given to CATUnicodeString becomes U+FFFD before the parser sees it.
  CATUnicodeString replaced("<r v=\"\xC3\x28\xFF\"/>");
  CATIDOMDocument_var doc;
  ASSERT_EQ(S_OK, Parse(replaced, doc));
  EXPECT_EQ(Attr(Root(doc), "v"), "\xEF\xBF\xBD(\xEF\xBF\xBD");
  // A NUL is no XML character, wherever it stands.
  const char16_t nulInText[] = u"<r>a\0b</r>";
  CATUnicodeString withNul;
  withNul.BuildFromUCChar(nulInText, sizeof nulInText / sizeof(char16_t) - 1);
  CATIDOMDocument_var none;
  EXPECT_EQ(E_FAIL, Parse(withNul, none));
  const char16_t nulAfter[] = u"<r/>\0";
  withNul.BuildFromUCChar(nulAfter, sizeof nulAfter / sizeof(char16_t) - 1);
  EXPECT_EQ(E_FAIL, Parse(withNul, none));
}
