// Limits of the XML stand-in against hostile documents: nesting depth, and the numbers and encodings the
// parser and the writer read.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "XMLTestUtil.h"
#include "ZELTestSupport.h"

using namespace xmltest;

namespace {

// Elements nested `depth` levels deep (the root is level 1), the innermost holding `inner`.
std::string Nested(int depth, const std::string& inner = "") {
  std::string text;
  text.reserve(static_cast<size_t>(depth) * 7 + inner.size());
  for (int i = 0; i < depth; ++i) text += "<d>";
  text += inner;
  for (int i = 0; i < depth; ++i) text += "</d>";
  return text;
}

// The parse result and the message the error handler got.
HRESULT ParseWithMessage(const std::string& text, CATIDOMDocument_var& doc, std::string& message) {
  RecordingHandler* handler = new RecordingHandler;
  CATISAXErrorHandler_var held = handler;
  handler->Release();
  HRESULT rc = Parse(CATUnicodeString(text), doc, held);
  message = handler->message;
  return rc;
}

const char kDepthMessage[] = "elements nested deeper than 1000 levels";

}  // namespace

TEST(XmlLimits, ThousandLevelsAreReadWrittenAndSearched) {
  CATIDOMDocument_var doc = MustParse(Nested(1000, "x<!--c--><?p q?><![CDATA[y]]>"));
  ASSERT_TRUE(doc != NULL_var);
  CATIDOMNodeList_var all;
  doc->GetElementsByTagName("d", all);
  EXPECT_EQ(Length(all), 1000u);
  EXPECT_EQ(Length(XPath(doc, "//d[not(d)]")), 1u);
  const std::string compact = Write(doc);
  EXPECT_EQ(compact, "<?xml version=\"1.0\"?>" + Nested(1000, "x<!--c--><?p q?><![CDATA[y]]>"));
  // What was written reads back: the writer never produces a document the reader refuses.
  CATIDOMDocument_var again;
  EXPECT_EQ(S_OK, Parse(CATUnicodeString(Write(doc, {"CATIndentation", "16"})), again));
}

TEST(XmlLimits, DeeperDocumentsAreRefusedWithAClearError) {
  CATIDOMDocument_var doc;
  std::string message;
  EXPECT_EQ(E_FAIL, ParseWithMessage(Nested(1001), doc, message));
  EXPECT_TRUE(doc == NULL_var);
  EXPECT_EQ(message, kDepthMessage);

  // Far beyond the limit: refused without exhausting the stack or the memory.
  message.clear();
  EXPECT_EQ(E_FAIL, ParseWithMessage(Nested(100000), doc, message));
  EXPECT_EQ(message, kDepthMessage);

  // Only elements count: the deepest element may hold text, comments and instructions.
  EXPECT_EQ(S_OK, ParseWithMessage(Nested(1000, "<!--c-->t<?p?>"), doc, message));
  // A deep branch anywhere is enough, even after shallow siblings.
  EXPECT_EQ(E_FAIL, ParseWithMessage("<r><a/><b>text</b>" + Nested(1000) + "</r>", doc, message));
  EXPECT_EQ(message, kDepthMessage);
  EXPECT_EQ(S_OK, ParseWithMessage("<r><a/><b>text</b>" + Nested(999) + "</r>", doc, message));
}

TEST(XmlLimits, DeepFilesAreRefusedToo) {
  zeltest::TempDir dir("zel-xml-limits");
  const std::string path = (dir / "deep.xml").string();
  ASSERT_TRUE(zeltest::WriteFile(path, "<?xml version=\"1.0\"?>" + Nested(5000)));
  CATIDOMDocument_var doc;
  CATListOfCATUnicodeString none;
  RecordingHandler* handler = new RecordingHandler;
  CATISAXErrorHandler_var held = handler;
  handler->Release();
  EXPECT_EQ(E_FAIL, Builder()->ParseFile(path.c_str(), doc, NULL_var, held, none, none));
  EXPECT_EQ(handler->message, kDepthMessage);
}

TEST(XmlLimits, CharacterReferencesAreStrictNumbers) {
  CATIDOMDocument_var doc = MustParse("<r a=\"&#65;&#0000066;&#x43;\">&#1114111;&#x10FFFF;</r>");
  ASSERT_TRUE(doc != NULL_var);
  CATIDOMElement_var root;
  doc->GetDocumentElement(root);
  EXPECT_EQ(Attr(root, "a"), "ABC");
  std::string message;
  for (const char* bad : {"<r>&#1114112;</r>", "<r>&#99999999999999999999999;</r>", "<r>&#x110000;</r>"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(E_FAIL, ParseWithMessage(bad, doc, message));
    EXPECT_EQ(message, "character reference out of range");
  }
  for (const char* bad : {"<r>&#6a;</r>", "<r>&#-5;</r>", "<r>&#+5;</r>", "<r>&#x;</r>", "<r>&#;</r>"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(E_FAIL, ParseWithMessage(bad, doc, message));
  }
}

TEST(XmlLimits, IndentationIsASmallWholeNumber) {
  CATIDOMDocument_var doc = MustParse("<r><a/></r>");
  ASSERT_TRUE(doc != NULL_var);
  EXPECT_EQ(Write(doc, {"CATIndentation", "16"}),
            "<?xml version=\"1.0\"?>\n<r>\n" + std::string(16, ' ') + "<a/>\n</r>");
  EXPECT_EQ(Write(doc, {"CATIndentation", "0"}), "<?xml version=\"1.0\"?>\n<r>\n<a/>\n</r>");
  for (const char* bad : {"17", "-1", "+2", " 2", "2 ", "", "0x2", "99999999999999999999"}) {
    SCOPED_TRACE(bad);
    CATListOfCATUnicodeString names, values;
    names.Append("CATIndentation");
    values.Append(bad);
    CATUnicodeString text;
    EXPECT_EQ(E_INVALIDARG, Builder()->WriteToString(doc, text, &names, &values));
  }
}

TEST(XmlLimits, LatinOneFilesAreDecoded) {
  zeltest::TempDir dir("zel-xml-limits");
  const std::string path = (dir / "latin1.xml").string();
  ASSERT_TRUE(
      zeltest::WriteFile(path, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r v=\"\xE9\xFF\">\xA0</r>"));
  CATIDOMDocument_var doc;
  CATListOfCATUnicodeString none;
  ASSERT_EQ(S_OK, Builder()->ParseFile(path.c_str(), doc, NULL_var, NULL_var, none, none));
  CATIDOMElement_var root;
  doc->GetDocumentElement(root);
  EXPECT_EQ(Attr(root, "v"), "\xC3\xA9\xC3\xBF");
  CATIDOMNode_var text;
  root->GetFirstChild(text);
  CATIDOMText_var asText = text;
  ASSERT_TRUE(asText != NULL_var);
  CATUnicodeString data;
  asText->GetData(data);
  EXPECT_EQ(data.GetUTF16(), u"\u00A0");
}
