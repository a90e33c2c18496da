// ZELRequestXml: request building, lists, reply reading, errors and messages with their
// localised texts, XPath, serialisation, tracing, and hostile replies. Request ids are tested in
// test_request_ids.cpp (they depend on the order of constructions in the process).
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "CATLib.h"
#include "CATMsgCatalog.h"
#include "ZELCommandsTestAccess.h"
#include "ZELRequestXml.h"
#include "ZELTestSupport.h"

namespace {

std::string Xml(const ZELRequestXml& doc) {
  CATUnicodeString text;
  EXPECT_EQ(S_OK, doc.GetXml(text));
  return text.ConvertToUTF8();
}

std::string Head(const ZELRequestXml& request) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ZEL><Request name=\"Test\" id=\"" +
         request.GetRequestId().ConvertToUTF8() + "\">";
}

// A reply parsed from text; the parse must succeed.
struct Reply : ZELRequestXml {
  explicit Reply(const std::string& text) { EXPECT_EQ(S_OK, ReadXmlString(CATUnicodeString(text))) << text; }
};

std::string Response(const std::string& inner) {
  return "<ZEL><Response id=\"r1\">" + inner + "</Response></ZEL>";
}

std::vector<std::string> Strings(const CATListValCATUnicodeString& list) {
  std::vector<std::string> out;
  for (const CATUnicodeString& s : list) out.push_back(s.ConvertToUTF8());
  return out;
}

std::vector<int> Ints(const CATRawCollint& list) {
  return std::vector<int>(list.begin(), list.end());
}

std::string AttributeOf(const CATIDOMNodeList_var& list, unsigned int index, const char* name) {
  CATIDOMNode_var node;
  EXPECT_EQ(S_OK, list->Item(index, node));
  CATIDOMElement_var element = node;
  CATUnicodeString value;
  if (element) element->GetAttribute(name, value);
  return value.ConvertToUTF8();
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// Request building

TEST(RequestXml, RequestDocumentShapeAndAttributeOrder) {
  ZELRequestXml request("Test");
  ASSERT_TRUE(request.GetDocument() != NULL_var);
  const std::string id = request.GetRequestId().ConvertToUTF8();
  EXPECT_EQ(id.rfind(std::to_string(CATGetProcessId()) + "_", 0), 0u) << id;
  EXPECT_EQ(S_OK, request.AddRequestAttribute("ExecuteTest", "Mirror"));
  EXPECT_EQ(S_OK, request.AddRequestAttribute("Server", "OK"));
  // Compact text, "name" before "value", attributes in the order added.
  EXPECT_EQ(Xml(request), Head(request) +
                              "<Attribute name=\"ExecuteTest\" value=\"Mirror\"/>"
                              "<Attribute name=\"Server\" value=\"OK\"/></Request></ZEL>");
  CATUnicodeString value;
  EXPECT_EQ(S_OK, request.GetRequestAttribute("Server", value));
  EXPECT_EQ(value, "OK");
  CATIDOMElement_var response;
  EXPECT_EQ(S_OK, request.GetResponse(response));
  EXPECT_TRUE(response == NULL_var);
  EXPECT_TRUE(request.GetResponseId().IsNull());
}

TEST(RequestXml, EmptyNameRefusedEmptyValueAllowed) {
  ZELRequestXml request("Test");
  EXPECT_EQ(E_FAIL, request.AddRequestAttribute("", "x"));
  EXPECT_EQ(Xml(request), Head(request).substr(0, Head(request).size() - 1) + "/></ZEL>");
  EXPECT_EQ(S_OK, request.AddRequestAttribute("Empty", ""));
  EXPECT_EQ(Xml(request), Head(request) + "<Attribute name=\"Empty\" value=\"\"/></Request></ZEL>");
  CATUnicodeString value = "before";
  EXPECT_EQ(S_OK, request.GetRequestAttribute("Empty", value));
  EXPECT_TRUE(value.IsNull());
}

TEST(RequestXml, GetRequestAttributeRules) {
  ZELRequestXml request("Test");
  request.AddRequestAttribute("a", "first");
  request.AddRequestAttribute("a", "second");
  CATUnicodeString value = "untouched";
  EXPECT_EQ(E_FAIL, request.GetRequestAttribute("missing", value));
  EXPECT_EQ(E_FAIL, request.GetRequestAttribute("", value));
  EXPECT_EQ(value, "untouched");
  EXPECT_EQ(S_OK, request.GetRequestAttribute("a", value));
  EXPECT_EQ(value, "first");  // the first match wins
  ZELRequestXml empty;
  EXPECT_EQ(E_FAIL, empty.GetRequestAttribute("a", value));
  EXPECT_EQ(E_FAIL, empty.AddRequestAttribute("a", "b"));
}

TEST(RequestXml, ListsAreJoinedWithEol) {
  ZELRequestXml request("Test");
  EXPECT_EQ(S_OK, request.AddRequestAttributeList("three", CATListValCATUnicodeString{"a", "b", "c"}));
  EXPECT_EQ(S_OK, request.AddRequestAttributeList("one", CATListValCATUnicodeString{"x"}));
  EXPECT_EQ(S_OK, request.AddRequestAttributeList("none", CATListValCATUnicodeString{}));
  EXPECT_EQ(S_OK, request.AddRequestAttributeList("gap", CATListValCATUnicodeString{"a", "", "b"}));
  EXPECT_EQ(E_FAIL, request.AddRequestAttributeList("", CATListValCATUnicodeString{"a"}));
  // An item holding the separator could not be read back as one item: refused, nothing added.
  EXPECT_EQ(E_FAIL, request.AddRequestAttributeList("bad", CATListValCATUnicodeString{"a", "b@EOL@c"}));
  EXPECT_EQ(Xml(request), Head(request) +
                              "<Attribute name=\"three\" value=\"a@EOL@b@EOL@c\"/>"
                              "<Attribute name=\"one\" value=\"x\"/>"
                              "<Attribute name=\"none\" value=\"\"/>"
                              "<Attribute name=\"gap\" value=\"a@EOL@@EOL@b\"/></Request></ZEL>");
}

TEST(RequestXml, FailedConstructionLeavesANullDocument) {
  ZELRequestXml nullName(nullptr);
  ZELRequestXml badName("x\x01y");
  for (ZELRequestXml* request : {&nullName, &badName}) {
    EXPECT_TRUE(request->GetDocument() == NULL_var);
    EXPECT_EQ(E_FAIL, request->AddRequestAttribute("a", "b"));
    CATUnicodeString text;
    EXPECT_EQ(E_FAIL, request->GetXml(text));
    EXPECT_EQ(E_FAIL, request->Dump(0));
    unsigned char flag = 0;
    EXPECT_EQ(E_FAIL, request->GetErrors(flag, nullptr, nullptr));
  }
}

TEST(RequestXml, ValueCharactersXmlCannotCarryFailTheAdd) {
  ZELRequestXml request("Test");
  EXPECT_EQ(E_FAIL, request.AddRequestAttribute("a", "bell\x07"));
  CATUnicodeString withNul;
  const char16_t text[] = {u'a', 0, u'b'};
  withNul.BuildFromUCChar(text, 3);
  EXPECT_EQ(E_FAIL, request.AddRequestAttribute("a", withNul));
  // The attribute's name is stored as a value, so it need not be an XML name.
  EXPECT_EQ(S_OK, request.AddRequestAttribute("not a name? <&>", "v"));
}

// ---------------------------------------------------------------------------------------------------------
// Round trips and special characters

TEST(RequestXml, RoundTripGetXmlReadXmlString) {
  const std::string special = "<a & b> \"quoted\" 'apos' ]]> tab\there\nline\r\nend";
  const std::string unicode = "Grüße – €uro 𝄞 日本";
  ZELRequestXml request("Test");
  ASSERT_EQ(S_OK, request.AddRequestAttribute("special", CATUnicodeString(special)));
  ASSERT_EQ(S_OK, request.AddRequestAttribute("unicode", CATUnicodeString(unicode)));
  ASSERT_EQ(S_OK, request.AddRequestAttributeList("list", CATListValCATUnicodeString{"é", "&", ""}));
  CATUnicodeString text;
  ASSERT_EQ(S_OK, request.GetXml(text));
  ZELRequestXml back;
  ASSERT_EQ(S_OK, back.ReadXmlString(text));
  CATIDOMNodeList_var nodes;
  ASSERT_EQ(S_OK, back.GetNodesForXPath("/ZEL/Request/Attribute", nodes));
  ASSERT_TRUE(nodes != NULL_var);
  EXPECT_EQ(AttributeOf(nodes, 0, "value"), special);
  EXPECT_EQ(AttributeOf(nodes, 1, "value"), unicode);
  EXPECT_EQ(AttributeOf(nodes, 2, "value"), "é@EOL@&@EOL@");
  // The same text read again gives the same text written.
  CATUnicodeString again;
  ASSERT_EQ(S_OK, back.GetXml(again));
  EXPECT_EQ(again, text);
  // A request read back is a reply without "Response": the request element is not located by the parse.
  EXPECT_TRUE(back.GetRequestId().IsNull());
  CATUnicodeString value;
  EXPECT_EQ(E_FAIL, back.GetResponseAttribute("special", value));
}

TEST(RequestXml, SpecialAndNonAsciiTextInReplies) {
  Reply reply(
      Response("<Attribute name=\"v\" value=\"&lt;&amp;&gt;&quot;&apos; &#x20AC; Grüße\"/>"
               "<Error code=\"1001\">Fehler: Größe &lt; 0 – ✓</Error>"));
  CATUnicodeString value;
  ASSERT_EQ(S_OK, reply.GetResponseAttribute("v", value));
  EXPECT_EQ(value.ConvertToUTF8(), "<&>\"' € Grüße");
  unsigned char flag = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  ASSERT_EQ(S_OK, reply.GetErrors(flag, &codes, &texts));
  ASSERT_EQ(texts.Size(), 1);
  EXPECT_EQ(texts[1].ConvertToUTF8(), "Fehler: Größe < 0 – ✓");
}

// ---------------------------------------------------------------------------------------------------------
// Reply attributes and lists

TEST(RequestXml, ReplyAttributesAreMatchedByName) {
  Reply reply(
      Response("<Attribute name=\"Server\" value=\"OK\"/><Other name=\"Tagless\" value=\"any tag\"/>"
               "<Attribute name=\"NoValue\"/>"));
  EXPECT_EQ(reply.GetResponseId(), "r1");
  CATUnicodeString value;
  EXPECT_EQ(S_OK, reply.GetResponseAttribute("Server", value));
  EXPECT_EQ(value, "OK");
  EXPECT_EQ(S_OK, reply.GetResponseAttribute("Tagless", value));  // the tag itself is not examined
  EXPECT_EQ(value, "any tag");
  value = "x";
  EXPECT_EQ(S_OK, reply.GetResponseAttribute("NoValue", value));
  EXPECT_TRUE(value.IsNull());
  EXPECT_EQ(E_FAIL, reply.GetResponseAttribute("Missing", value));
  EXPECT_EQ(E_FAIL, reply.GetResponseAttribute("", value));
  CATIDOMElement_var response;
  EXPECT_EQ(S_OK, reply.GetResponse(response));
  ASSERT_TRUE(response != NULL_var);
  // Attributes added to the response are read like the gateway's.
  EXPECT_EQ(S_OK, reply.AddResponseAttribute("Added", "yes"));
  EXPECT_EQ(S_OK, reply.GetResponseAttribute("Added", value));
  EXPECT_EQ(value, "yes");
  ZELRequestXml empty;
  EXPECT_EQ(E_FAIL, empty.AddResponseAttribute("a", "b"));
  ZELRequestXml request("Test");
  EXPECT_EQ(E_FAIL, request.AddResponseAttribute("a", "b"));
}

TEST(RequestXml, ListValuesAreSplitOnEol) {
  Reply reply(
      Response("<Attribute name=\"gap\" value=\"a@EOL@@EOL@b\"/>"
               "<Attribute name=\"trailing\" value=\"a@EOL@\"/>"
               "<Attribute name=\"onlySeparator\" value=\"@EOL@\"/>"
               "<Attribute name=\"single\" value=\"one\"/>"));
  CATListValCATUnicodeString values{"stale"};
  CATRawCollint flags{9};
  ASSERT_EQ(S_OK, reply.GetResponseAttributeList("gap", values, &flags));
  EXPECT_EQ(Strings(values), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(Ints(flags), (std::vector<int>{9, 0, 0, 0}));  // flags are appended to, values emptied first
  CATRawCollint trailingFlags;
  ASSERT_EQ(S_OK, reply.GetResponseAttributeList("trailing", values, &trailingFlags));
  EXPECT_EQ(Strings(values), std::vector<std::string>{"a"});
  EXPECT_EQ(Ints(trailingFlags), std::vector<int>{0});
  ASSERT_EQ(S_OK, reply.GetResponseAttributeList("onlySeparator", values, nullptr));
  EXPECT_EQ(Strings(values), std::vector<std::string>{""});
  ASSERT_EQ(S_OK, reply.GetResponseAttributeList("single", values, nullptr));
  EXPECT_EQ(Strings(values), std::vector<std::string>{"one"});
  EXPECT_EQ(E_FAIL, reply.GetResponseAttributeList("missing", values, nullptr));
  EXPECT_EQ(values.Size(), 0);
}

TEST(RequestXml, ListChildFormWithDefaultFlags) {
  Reply reply(
      Response("<Attribute name=\"choice\" value=\"\">\n"
               "  <Item value=\"x\" default=\"true\"/>\n"
               "  <Item value=\"y\"/>\n"
               "  <Item value=\"\" default=\"true\"/>\n"
               "  <Other value=\"z\" default=\"TRUE\"/>text<Item/>\n"
               "</Attribute>"
               "<Attribute name=\"noValue\"><I value=\"only\" default=\"true\"/></Attribute>"
               "<Attribute name=\"nothing\" value=\"\"><I/></Attribute>"));
  CATListValCATUnicodeString values;
  CATRawCollint flags;
  ASSERT_EQ(S_OK, reply.GetResponseAttributeList("choice", values, &flags));
  EXPECT_EQ(Strings(values), (std::vector<std::string>{"x", "y", "z"}));
  EXPECT_EQ(Ints(flags), (std::vector<int>{1, 0, 0}));  // "default" must be exactly "true"
  CATRawCollint noValueFlags;
  ASSERT_EQ(S_OK, reply.GetResponseAttributeList("noValue", values, &noValueFlags));
  EXPECT_EQ(Strings(values), std::vector<std::string>{"only"});
  EXPECT_EQ(Ints(noValueFlags), std::vector<int>{1});
  ASSERT_EQ(S_OK, reply.GetResponseAttributeList("nothing", values, nullptr));
  EXPECT_EQ(values.Size(), 0);
}

// ---------------------------------------------------------------------------------------------------------
// Errors and messages

TEST(RequestXml, RootErrorsShadowResponseErrors) {
  Reply reply(
      "<ZEL><Error code=\"5\">root five</Error><Response id=\"1\"><Error code=\"7\">inner</Error>"
      "</Response></ZEL>");
  unsigned char flag = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  ASSERT_EQ(S_OK, reply.GetErrors(flag, &codes, &texts));
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(Ints(codes), std::vector<int>{5});
  EXPECT_EQ(Strings(texts), std::vector<std::string>{"root five"});
}

TEST(RequestXml, ResponseErrorsAndOptionalLists) {
  Reply reply(
      Response("<Error code=\"7\">seven</Error><Error code=\"8\"><b>not text first</b></Error>"
               "<Error code=\"9\"><![CDATA[cdata text]]></Error>"));
  unsigned char flag = 0;
  ASSERT_EQ(S_OK, reply.GetErrors(flag, nullptr, nullptr));
  EXPECT_EQ(flag, 1);
  CATListValCATUnicodeString texts;
  flag = 0;
  ASSERT_EQ(S_OK, reply.GetErrors(flag, nullptr, &texts));
  EXPECT_EQ(texts.Size(), 0);  // texts only with codes
  CATRawCollint codes;
  ASSERT_EQ(S_OK, reply.GetErrors(flag, &codes, &texts));
  EXPECT_EQ(Ints(codes), (std::vector<int>{7, 8, 9}));
  EXPECT_EQ(Strings(texts), (std::vector<std::string>{"seven", "cdata text"}));

  Reply clean(Response("<Attribute name=\"a\" value=\"1\"/>"));
  flag = 0;
  EXPECT_EQ(S_OK, clean.GetErrors(flag, &codes, &texts));
  EXPECT_EQ(flag, 0);
  // Root-level errors are recognised only under a root named "ZEL"; the response is found under any root.
  Reply other(
      "<Reply><Error code=\"1\">ignored</Error><Response><Error code=\"2\">used</Error></Response></Reply>");
  CATRawCollint otherCodes;
  ASSERT_EQ(S_OK, other.GetErrors(flag, &otherCodes, nullptr));
  EXPECT_EQ(Ints(otherCodes), std::vector<int>{2});
}

TEST(RequestXml, ReplyWithoutResponse) {
  ZELRequestXml reply;
  ASSERT_EQ(S_OK, reply.ReadXmlString("<ZEL><Something/></ZEL>"));
  EXPECT_TRUE(reply.GetDocument() != NULL_var);
  unsigned char flag = 0;
  CATRawCollint codes;
  EXPECT_EQ(E_FAIL, reply.GetErrors(flag, &codes, nullptr));
  EXPECT_EQ(flag, 0);
  CATUnicodeString value;
  EXPECT_EQ(E_FAIL, reply.GetResponseAttribute("a", value));
  CATListValCATUnicodeString values;
  EXPECT_EQ(E_FAIL, reply.GetResponseAttributeList("a", values, nullptr));
  CATListValCATUnicodeString texts;
  EXPECT_EQ(S_OK, reply.GetMessages(codes, texts));
  EXPECT_EQ(codes.Size(), 0);
  // Root-level errors are still found.
  ZELRequestXml refused;
  ASSERT_EQ(S_OK, refused.ReadXmlString("<ZEL><Error code=\"3\">cannot run</Error></ZEL>"));
  flag = 0;
  ASSERT_EQ(S_OK, refused.GetErrors(flag, &codes, &texts));
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(Ints(codes), std::vector<int>{3});
}

TEST(RequestXml, MalformedReplyText) {
  for (const char* text : {"", "<html><body>Internal Server Error<br></body></html>", "not xml at all",
                           "<ZEL><Response></ZEL>", "<ZEL/><ZEL/>", "<ZEL>&bogus;</ZEL>"}) {
    ZELRequestXml reply;
    EXPECT_EQ(E_FAIL, reply.ReadXmlString(text)) << text;
    EXPECT_TRUE(reply.GetDocument() == NULL_var);
    unsigned char flag = 0;
    EXPECT_EQ(E_FAIL, reply.GetErrors(flag, nullptr, nullptr));
    CATRawCollint codes;
    CATListValCATUnicodeString texts;
    EXPECT_EQ(E_FAIL, reply.GetMessages(codes, texts));
    CATIDOMNodeList_var nodes;
    EXPECT_EQ(E_FAIL, reply.GetNodesForXPath("/*", nodes));
    CATUnicodeString xml;
    EXPECT_EQ(E_FAIL, reply.GetXml(xml));
    EXPECT_TRUE(reply.GetResponseId().IsNull());
  }
}

TEST(RequestXml, AResponseOfAnEarlierParseIsNotKept) {
  ZELRequestXml reply;
  ASSERT_EQ(S_OK, reply.ReadXmlString(Response("<Attribute name=\"a\" value=\"old\"/>")));
  CATUnicodeString value;
  ASSERT_EQ(S_OK, reply.GetResponseAttribute("a", value));
  // A second reply without "Response" must not show the first reply's data.
  ASSERT_EQ(S_OK, reply.ReadXmlString("<ZEL/>"));
  EXPECT_EQ(E_FAIL, reply.GetResponseAttribute("a", value));
  CATIDOMElement_var response;
  reply.GetResponse(response);
  EXPECT_TRUE(response == NULL_var);
  ASSERT_EQ(S_OK, reply.ReadXmlString(Response("<Attribute name=\"a\" value=\"new\"/>")));
  EXPECT_EQ(E_FAIL, reply.ReadXmlString("<broken"));
  EXPECT_EQ(E_FAIL, reply.GetResponseAttribute("a", value));
}

TEST(RequestXml, CodesReadAsDecimalIntegers) {
  Reply reply(
      Response("<Error code=\"12abc\">a</Error><Error code=\" 42 \">b</Error><Error code=\"-3\">c</Error>"
               "<Error code=\"99999999999\">d</Error><Error code=\"\">e</Error><Error>f</Error>"
               "<Error code=\"+7\">g</Error><Error code=\"2147483647\">h</Error>"
               "<Error code=\"-2147483648\">i</Error><Error code=\"2147483648\">j</Error>"
               "<Error code=\"1.5\">k</Error><Error code=\"0x10\">l</Error><Error code=\"007\">m</Error>"));
  unsigned char flag = 0;
  CATRawCollint codes;
  ASSERT_EQ(S_OK, reply.GetErrors(flag, &codes, nullptr));
  EXPECT_EQ(Ints(codes), (std::vector<int>{0, 42, -3, 0, 0, 0, 7, 2147483647, -2147483647 - 1, 0, 0, 0, 7}));
}

TEST(RequestXml, Messages) {
  Reply reply(
      Response("<Message code=\"1\">one</Message><Message>no code</Message><Message code=\"2\"/>"
               "<Error code=\"5\">not a message</Error>"));
  CATRawCollint codes{100};
  CATListValCATUnicodeString texts{"kept"};
  ASSERT_EQ(S_OK, reply.GetMessages(codes, texts));
  EXPECT_EQ(Ints(codes), (std::vector<int>{100, 1, 0, 2}));
  EXPECT_EQ(Strings(texts), (std::vector<std::string>{"kept", "one", "no code"}));
  // A message without text makes the lists unequal: the localised read fails.
  CATRawCollint nlsCodes;
  CATListValCATUnicodeString nlsTexts;
  EXPECT_EQ(E_FAIL, reply.GetMessagesNLS(nlsCodes, nlsTexts));
  EXPECT_EQ(nlsCodes.Size(), 3);
}

// ---------------------------------------------------------------------------------------------------------
// Localised texts. Each test points "CATMsgCatalogPath" at a private catalog directory and forgets the
// catalogs read so far, so the product's catalogs in the runtime tree are shadowed.

class RequestXmlNls : public ::testing::Test {
 protected:
  void UseCatalog(const std::string& zelHtmlRequest) {
    ASSERT_TRUE(zeltest::WriteFile(dir_ / "ZELHtmlRequest.CATNls", zelHtmlRequest));
    ASSERT_TRUE(zeltest::WriteFile(dir_ / "HtmlRequest.CATNls", "// no edition texts\n"));
    catalogPath_.emplace("CATMsgCatalogPath", dir_.Path().c_str());
    CATMsgCatalog::Reset();
  }
  void TearDown() override {
    catalogPath_.reset();
    CATMsgCatalog::Reset();
  }
  zeltest::TempDir dir_{"zel-request-nls"};
  std::optional<zeltest::ScopedEnv> catalogPath_;
};

const char* kErrorsReply =
    "<ZEL><Response><Error code=\"0\">server zero</Error><Error code=\"12\">server twelve</Error>"
    "<Error code=\"13\">server thirteen</Error><Error code=\"-5\">server minus five</Error>"
    "<Error code=\"1000\">server thousand</Error><Error code=\"1234\">server 1234</Error>"
    "<Error code=\"1500\">server 1500</Error><Error code=\"oops\">server unreadable</Error></Response></ZEL>";

TEST_F(RequestXmlNls, ErrorsWithCatalogTexts) {
  UseCatalog(
      "Error_12 = \"Catalog twelve\";\nError_1500 = \"Catalog fifteen hundred\";\n"
      "ErrorCommunication = \"Communication failed\";\n");
  Reply reply(kErrorsReply);
  unsigned char flag = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  ASSERT_EQ(S_OK, reply.GetErrorsNLS(flag, codes, texts));
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(Ints(codes), (std::vector<int>{0, 12, 13, -5, 1000, 1234, 1500, 0}));
  EXPECT_EQ(Strings(texts),
            (std::vector<std::string>{"server zero", "Catalog twelve", "Communication failed",
                                      "Communication failed", "server thousand", "server 1234",
                                      "Catalog fifteen hundred", "server unreadable"}));
}

TEST_F(RequestXmlNls, ErrorsWithoutCatalogTexts) {
  UseCatalog("// nothing\n");
  Reply reply(kErrorsReply);
  unsigned char flag = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  ASSERT_EQ(S_OK, reply.GetErrorsNLS(flag, codes, texts));
  EXPECT_EQ(Strings(texts), (std::vector<std::string>{"server zero", "ZELHtmlRequest ErrorCommunication",
                                                      "ZELHtmlRequest ErrorCommunication",
                                                      "ZELHtmlRequest ErrorCommunication", "server thousand",
                                                      "server 1234", "server 1500", "server unreadable"}));
}

TEST_F(RequestXmlNls, ErrorsWithTheProductCatalog) {
  // No private directory: the runtime tree's ZELHtmlRequest.CATNls gives the communication text.
  CATMsgCatalog::Reset();
  CATUnicodeString product = CATMsgCatalog::BuildMessage("ZELHtmlRequest", "ErrorCommunication");
  ASSERT_FALSE(product.IsNull()) << "the product catalog ZELHtmlRequest.CATNls is not in the runtime tree";
  Reply reply(Response("<Error code=\"12\">server twelve</Error>"));
  unsigned char flag = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  ASSERT_EQ(S_OK, reply.GetErrorsNLS(flag, codes, texts));
  EXPECT_EQ(Strings(texts), std::vector<std::string>{product.ConvertToUTF8()});
}

TEST_F(RequestXmlNls, UnequalListsFailAndKeepWhatWasRead) {
  UseCatalog("Error_12 = \"Catalog twelve\";\n");
  Reply reply(Response("<Error code=\"12\">twelve</Error><Error code=\"1234\"/>"));
  unsigned char flag = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  EXPECT_EQ(E_FAIL, reply.GetErrorsNLS(flag, codes, texts));
  EXPECT_EQ(Ints(codes), (std::vector<int>{12, 1234}));
  EXPECT_EQ(Strings(texts), std::vector<std::string>{"twelve"});
}

TEST_F(RequestXmlNls, EntriesAlreadyInTheListsAreLeftAlone) {
  UseCatalog("Error_12 = \"Catalog twelve\";\n");
  Reply reply(Response("<Error code=\"12\">twelve</Error>"));
  unsigned char flag = 0;
  CATRawCollint codes{12, 13};
  CATListValCATUnicodeString texts{"mine"};
  ASSERT_EQ(S_OK, reply.GetErrorsNLS(flag, codes, texts));
  EXPECT_EQ(Ints(codes), (std::vector<int>{12, 13, 12}));
  EXPECT_EQ(Strings(texts), (std::vector<std::string>{"mine", "Catalog twelve"}));
}

TEST_F(RequestXmlNls, MessagesWithAndWithoutCatalogTexts) {
  UseCatalog("Message_3 = \"Catalog message three\";\nMessage_1500 = \"Catalog message 1500\";\n");
  Reply reply(
      Response("<Message code=\"0\">zero</Message><Message code=\"3\">three</Message>"
               "<Message code=\"4\">four</Message><Message code=\"1500\">m1500</Message>"
               "<Message code=\"2000\">m2000</Message>"));
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  ASSERT_EQ(S_OK, reply.GetMessagesNLS(codes, texts));
  EXPECT_EQ(Ints(codes), (std::vector<int>{0, 3, 4, 1500, 2000}));
  EXPECT_EQ(Strings(texts), (std::vector<std::string>{"zero", "Catalog message three", "four",
                                                      "Catalog message 1500", "m2000"}));
}

TEST_F(RequestXmlNls, ReplyWithoutResponseFailsTheLocalisedRead) {
  UseCatalog("");
  Reply reply("<ZEL/>");
  unsigned char flag = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  EXPECT_EQ(E_FAIL, reply.GetErrorsNLS(flag, codes, texts));
  EXPECT_EQ(flag, 0);
}

// ---------------------------------------------------------------------------------------------------------
// XPath, serialisation and tracing

TEST(RequestXml, XPathReads) {
  Reply reply(Response("<Processes><PD Activity=\"a1\" Status=\"ok\"/><PD Activity=\"a2\"/></Processes>"));
  CATIDOMNodeList_var nodes;
  ASSERT_EQ(S_OK, reply.GetNodesForXPath("/*/Response/*/PD", nodes));
  ASSERT_TRUE(nodes != NULL_var);
  unsigned int count = 0;
  nodes->GetLength(count);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(AttributeOf(nodes, 1, "Activity"), "a2");
  EXPECT_EQ(AttributeOf(nodes, 1, "Status"), "");
  // Nothing matches: S_OK and the output untouched.
  CATIDOMNodeList_var kept = nodes;
  ASSERT_EQ(S_OK, reply.GetNodesForXPath("//Nothing", kept));
  EXPECT_TRUE(kept.get() == nodes.get());
  CATIDOMNodeList_var none;
  ASSERT_EQ(S_OK, reply.GetNodesForXPath("//Nothing", none));
  EXPECT_TRUE(none == NULL_var);
  EXPECT_EQ(E_FAIL, reply.GetNodesForXPath("count(//PD)", none));  // not a node set
  EXPECT_EQ(E_FAIL, reply.GetNodesForXPath("//PD[", none));
  ZELRequestXml empty;
  EXPECT_EQ(E_FAIL, empty.GetNodesForXPath("/*", none));
}

TEST(RequestXml, DumpPrintsIndentedText) {
  ZELRequestXml request("Test");
  request.AddRequestAttribute("a", "1");
  const std::string id = request.GetRequestId().ConvertToUTF8();
  testing::internal::CaptureStdout();
  EXPECT_EQ(S_OK, request.Dump(0));
  std::string withEncoding = testing::internal::GetCapturedStdout();
  EXPECT_EQ(withEncoding,
            "\n<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ZEL>\n  <Request name=\"Test\" id=\"" + id +
                "\">\n    <Attribute name=\"a\" value=\"1\"/>\n  </Request>\n</ZEL>\n");
  testing::internal::CaptureStdout();
  EXPECT_EQ(S_OK, request.Dump(1));
  std::string without = testing::internal::GetCapturedStdout();
  EXPECT_EQ(without.rfind("\n<?xml version=\"1.0\"?>\n<ZEL>\n", 0), 0u) << without;
  ZELRequestXml empty;
  testing::internal::CaptureStdout();
  EXPECT_EQ(E_FAIL, empty.Dump(0));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(RequestXml, TraceLines) {
  const std::string out = ZELTestAccess::TracedOutput([] {
    ZELRequestXml reply;
    reply.ReadXmlString("<ZEL/>");
    unsigned char flag = 0;
    reply.GetErrors(flag, nullptr, nullptr);
  });
  EXPECT_NE(out.find(" ZEL: ZELRequestXml::ReadXmlString("), std::string::npos) << out;
  EXPECT_NE(out.find("): no response found\n"), std::string::npos) << out;
  EXPECT_NE(out.find("): Response missing\n"), std::string::npos) << out;
  EXPECT_NE(out.find("ZELDBX Function: ZELRequestXml::GetErrors ("), std::string::npos) << out;
  EXPECT_NE(out.find(" ZEL: ZELRequestXml::ReadXmlString("), std::string::npos) << out;
  EXPECT_EQ(out.find("ZELDBX Function: ZELRequestXml::ReadXmlString"), std::string::npos) << out;
}

// ---------------------------------------------------------------------------------------------------------
// Hostile replies

TEST(RequestXml, HostileRepliesDoNotHurt) {
  // Deep, but within the parser's depth bound; a reply nested far deeper is refused as a whole.
  auto nested = [](int depth) {
    std::string deep = "<ZEL><Response><Attribute name=\"a\" value=\"\">";
    for (int i = 0; i < depth; ++i) deep += "<d value=\"v\">";
    for (int i = 0; i < depth; ++i) deep += "</d>";
    return deep + "</Attribute><Error code=\"1\">deep</Error></Response></ZEL>";
  };
  ZELRequestXml refused;
  EXPECT_EQ(E_FAIL, refused.ReadXmlString(CATUnicodeString(nested(100000))));
  EXPECT_TRUE(refused.GetDocument() == NULL_var);
  Reply reply(nested(990));
  CATListValCATUnicodeString values;
  ASSERT_EQ(S_OK, reply.GetResponseAttributeList("a", values, nullptr));
  EXPECT_EQ(Strings(values), std::vector<std::string>{"v"});
  unsigned char flag = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  EXPECT_EQ(S_OK, reply.GetErrorsNLS(flag, codes, texts));
  CATUnicodeString xml;
  EXPECT_EQ(S_OK, reply.GetXml(xml));

  std::string huge(8 * 1024 * 1024, 'h');
  Reply big(Response("<Attribute name=\"h\" value=\"" + huge + "@EOL@" + huge + "\"/>"));
  ASSERT_EQ(S_OK, big.GetResponseAttributeList("h", values, nullptr));
  ASSERT_EQ(values.Size(), 2);
  EXPECT_EQ(values[2].GetLengthInChar(), static_cast<int>(huge.size()));

  ZELRequestXml bomb;
  EXPECT_EQ(E_FAIL,
            bomb.ReadXmlString("<!DOCTYPE z [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">]>"
                               "<ZEL><Response><Error code=\"1\">&b;</Error></Response></ZEL>"));
}
