// Request documents through the gateway without HTTP: the probe's echo, lists, texts that must survive the
// round trip, every kind of refused document, hostile bodies, and replies that stay well-formed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GatewayTestUtil.h"
#include "zelgw/Gateway.h"
#include "zelgw/Reply.h"
#include "zelgw/Store.h"
#include "zelgw/XmlText.h"

using namespace gwtest;

namespace {

class GatewayDocuments : public ::testing::Test {
 protected:
  zelgw::Store store_{":memory:"};
  zelgw::Gateway gateway_{store_};
};

std::string Repeat(const std::string& text, std::size_t times) {
  std::string out;
  out.reserve(text.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += text;
  return out;
}

}  // namespace

TEST_F(GatewayDocuments, ProbeEchoesEveryAttributeInOrderWithTheRequestId) {
  // The connection probe, then attributes whose order is not alphabetical, a repeated name and an empty
  // value.
  Attributes sent = {{"ExecuteTest", "Mirror"},
                     {"Server", "OK"},
                     {"Zeta", "1"},
                     {"Alpha", "2"},
                     {"Zeta", "3"},
                     {"Empty", ""}};
  zelgw::GatewayResult result = gateway_.HandleRequestBody(RequestBody("Test", "4711_0", sent));

  EXPECT_EQ(result.httpStatus, 200);
  EXPECT_EQ(result.errorCode, 0);
  EXPECT_EQ(result.function, "Test");
  EXPECT_EQ(result.requestId, "4711_0");
  ReadReply reply = ParseReply(result.body);
  ASSERT_TRUE(reply.parsed) << result.body;
  EXPECT_EQ(reply.root, "ZEL");
  EXPECT_TRUE(reply.rootErrors.empty());
  EXPECT_EQ(reply.responseId, "4711_0");
  EXPECT_EQ(reply.attributes, sent);
  EXPECT_TRUE(reply.errors.empty());
}

TEST_F(GatewayDocuments, ListsKeepTheirItemsAndDefaultFlags) {
  std::string body =
      "<ZEL><Request name=\"Test\" id=\"9\">"
      "<Attribute name=\"Joined\" value=\"a@EOL@@EOL@b\"/>"
      "<Attribute name=\"Children\"><Item value=\"x\" default=\"true\"/><Item "
      "value=\"y\"/><Item/></Attribute>"
      "<Attribute name=\"None\" value=\"\"/>"
      "</Request></ZEL>";
  zelgw::ParsedRequest parsed = zelgw::ParseRequest(body);
  ASSERT_FALSE(parsed.fault);
  EXPECT_EQ(parsed.request.List("Joined"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(parsed.request.List("Children"), (std::vector<std::string>{"x", "y"}));
  EXPECT_TRUE(parsed.request.List("None").empty());
  EXPECT_TRUE(parsed.request.List("Missing").empty());

  ReadReply reply = ParseReply(gateway_.HandleRequestBody(body).body);
  ASSERT_EQ(reply.attributes.size(), 3u);
  EXPECT_EQ(reply.attributes[0].second, "a@EOL@@EOL@b");
  EXPECT_EQ(reply.items[1], (std::vector<zelgw::ListItem>{{"x", true}, {"y", false}}));
}

TEST_F(GatewayDocuments, NonAsciiAndMarkupCharactersRoundTrip) {
  Attributes sent = {{"Name", "Müller – Ø 日本語 😀"},
                     {"Markup", "<a href=\"x\">&amp; 'quoted'</a>"},
                     {"Lines", "first\nsecond\tthird\r"},
                     {"Ärger", "Schlüssel"}};
  std::string body = RequestBody("Test", "id-ü", sent);
  ReadReply reply = ParseReply(gateway_.HandleRequestBody(body).body);
  ASSERT_TRUE(reply.parsed);
  EXPECT_EQ(reply.responseId, "id-ü");
  EXPECT_EQ(reply.attributes, sent);

  // Character references and a byte order mark, as other writers produce them.
  ReadReply referenced = ParseReply(
      gateway_
          .HandleRequestBody("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ZEL>\n  <Request "
                             "name=\"Test\" id=\"r\">\n"
                             "    <Attribute name=\"v\" value=\"&#x1F600;&#228;&lt;&quot;&apos;&gt;\"/>\n  "
                             "</Request>\n</ZEL>\n")
          .body);
  ASSERT_EQ(referenced.attributes.size(), 1u);
  EXPECT_EQ(referenced.attributes[0].second, "😀ä<\"'>");
}

TEST_F(GatewayDocuments, DocumentsThatCannotBeRunAreRefusedAtRootLevel) {
  struct Case {
    std::string body;
    zelgw::ProtocolError error;
    int status;
  };
  using E = zelgw::ProtocolError;
  const std::vector<Case> cases = {
      {"", E::kNotWellFormed, 400},
      {"this is not XML", E::kNotWellFormed, 400},
      {"<ZEL><Request name=\"Test\" id=\"1\"></ZEL>", E::kNotWellFormed, 400},
      {"<ZEL/><ZEL/>", E::kNotWellFormed, 400},
      {"<ZEL><Request name=\"Test\" id=\"1\"/></ZEL>trailing text", E::kNotWellFormed, 400},
      {"<ZEL><Request name=\"a & b\" id=\"1\"/></ZEL>", E::kNotWellFormed, 400},
      {"<ZEL><Request name=\"&undefined;\" id=\"1\"/></ZEL>", E::kNotWellFormed, 400},
      {"<ZEL><Request name=\"Test\" name=\"Other\" id=\"1\"/></ZEL>", E::kNotWellFormed, 400},
      {"<ZEL><Request name=\"Test\" id=\"1\"><Attribute name=\"a\" value=\"x&#0;y\"/></Request></ZEL>",
       E::kNotWellFormed, 400},
      {"<ZEL><Request name=\"Test\" id=\"1\"><Attribute name=\"a\" value=\"\xFF\"/></Request></ZEL>",
       E::kInvalidCharacters, 400},
      {"<ZEL><Request name=\"Test\" id=\"1\"><Attribute name=\"a\" value=\"\xC0\xAF\"/></Request></ZEL>",
       E::kInvalidCharacters, 400},
      {"<ZEL><Request name=\"Test\" id=\"1\"><Attribute name=\"a\" value=\"\xED\xA0\x80\"/></Request></ZEL>",
       E::kInvalidCharacters, 400},
      {"<ZEL><Request name=\"Test\" id=\"1\"><Attribute name=\"a\" value=\"\x01\"/></Request></ZEL>",
       E::kInvalidCharacters, 400},
      {"<!DOCTYPE ZEL [<!ENTITY x \"Test\">]><ZEL><Request name=\"&x;\" id=\"1\"/></ZEL>",
       E::kDoctypeNotAccepted, 400},
      {"<Other><Request name=\"Test\" id=\"1\"/></Other>", E::kWrongRoot, 400},
      {"<ZEL/>", E::kMissingRequest, 400},
      {"<ZEL><Request name=\"Test\" id=\"1\"/><Request name=\"Test\" id=\"2\"/></ZEL>", E::kMissingRequest,
       400},
      {"<ZEL><Request id=\"1\"/></ZEL>", E::kMissingFunctionName, 400},
      {"<ZEL><Request name=\"\" id=\"1\"/></ZEL>", E::kMissingFunctionName, 400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    zelgw::GatewayResult result = gateway_.HandleRequestBody(c.body);
    EXPECT_EQ(result.httpStatus, c.status);
    EXPECT_EQ(result.errorCode, static_cast<int>(c.error));
    ReadReply reply = ParseReply(result.body);
    ASSERT_TRUE(reply.parsed) << result.body;
    EXPECT_EQ(reply.root, "ZEL");
    ASSERT_EQ(reply.rootErrors.size(), 1u);
    EXPECT_EQ(reply.rootErrors[0].code, static_cast<int>(c.error));
    EXPECT_LT(reply.rootErrors[0].code, zelgw::kFirstFunctionErrorCode);
    EXPECT_FALSE(reply.rootErrors[0].text.empty());
  }
  // The id is carried back whenever it could be read.
  EXPECT_EQ(ParseReply(gateway_.HandleRequestBody("<ZEL><Request id=\"77_3\"/></ZEL>").body).responseId,
            "77_3");
}

TEST_F(GatewayDocuments, UnknownFunctionsAreRefusedByName) {
  // A name one letter off a function of the client's catalogue, and a name that differs only in case.
  for (std::string function : {"GetPartVersions", "test"}) {
    zelgw::GatewayResult result =
        gateway_.HandleRequestBody(RequestBody(function, "12_1", {{"PartNumber", "X"}}));
    EXPECT_EQ(result.httpStatus, 501);
    EXPECT_EQ(result.errorCode, static_cast<int>(zelgw::ProtocolError::kUnknownFunction));
    ReadReply reply = ParseReply(result.body);
    ASSERT_EQ(reply.rootErrors.size(), 1u);
    EXPECT_NE(reply.rootErrors[0].text.find("\"" + function + "\""), std::string::npos);
    EXPECT_EQ(reply.responseId, "12_1");
    EXPECT_TRUE(reply.attributes.empty());
  }
}

TEST_F(GatewayDocuments, HostileBodiesAreBoundedAndNeverCrash) {
  // Deep nesting below an attribute is accepted and ignored.
  std::string deep = "<ZEL><Request name=\"Test\" id=\"d\"><Attribute name=\"a\" value=\"1\">" +
                     Repeat("<n>", 90000) + Repeat("</n>", 90000) + "</Attribute></Request></ZEL>";
  zelgw::GatewayResult nested = gateway_.HandleRequestBody(deep);
  EXPECT_EQ(nested.httpStatus, 200);
  EXPECT_EQ(ParseReply(nested.body).attributes, (Attributes{{"a", "1"}}));

  // More elements or attributes than any request needs: refused before parsing.
  std::string wide = "<ZEL><Request name=\"Test\" id=\"w\">" + Repeat("<a/>", 150000) + "</Request></ZEL>";
  EXPECT_EQ(gateway_.HandleRequestBody(wide).errorCode, static_cast<int>(zelgw::ProtocolError::kTooLarge));
  std::string manyAttributes = "<ZEL><Request name=\"Test\" id=\"w\"><a " + Repeat("b=\"\" ", 1) +
                               Repeat("x=\"\" ", 500000) + "/></Request></ZEL>";
  EXPECT_EQ(gateway_.HandleRequestBody(manyAttributes).httpStatus, 413);

  // A body over the configured limit.
  zelgw::Gateway small(store_, 256);
  zelgw::GatewayResult large =
      small.HandleRequestBody(RequestBody("Test", "l", {{"v", std::string(300, 'x')}}));
  EXPECT_EQ(large.httpStatus, 413);
  EXPECT_EQ(large.errorCode, static_cast<int>(zelgw::ProtocolError::kTooLarge));

  // Entity expansion never happens: the declaration alone ends the request.
  std::string laughs = "<!DOCTYPE ZEL [<!ENTITY a \"aaaaaaaaaa\">";
  for (char c = 'b'; c <= 'j'; ++c) {
    laughs += std::string("<!ENTITY ") + c + " \"" + Repeat(std::string("&") + char(c - 1) + ";", 10) + "\">";
  }
  laughs += "]><ZEL><Request name=\"Test\" id=\"x\"><Attribute name=\"a\" value=\"&j;\"/></Request></ZEL>";
  zelgw::GatewayResult expanded = gateway_.HandleRequestBody(laughs);
  EXPECT_EQ(expanded.errorCode, static_cast<int>(zelgw::ProtocolError::kDoctypeNotAccepted));
  EXPECT_LT(expanded.body.size(), 1000u);
}

TEST(GatewayReply, TextsAreMadeXmlSafeAndCodesKept) {
  zelgw::Reply reply("5_5");
  reply.AddAttribute("Bad", std::string("a\x01") + "b\xFF" + "c");
  reply.AddList("Rules", {{"Latest", true}, {"", true}, {"x@EOL@y", false}});
  reply.AddMessage(100001, "queued");
  reply.AddError(2000, std::string("refused\x02"));
  reply.AddError(2001, "");
  EXPECT_EQ(reply.FirstErrorCode(), 2000);

  std::string text = reply.Serialize();
  EXPECT_TRUE(zelgw::IsValidXmlText(text));
  ReadReply read = ParseReply(text);
  ASSERT_TRUE(read.parsed) << text;
  EXPECT_EQ(read.responseId, "5_5");
  EXPECT_EQ(read.attributes[0].second, "a\uFFFDb\uFFFDc");
  // Empty items are not written; "@EOL@" inside an item survives in the child form.
  EXPECT_EQ(read.items[1], (std::vector<zelgw::ListItem>{{"Latest", true}, {"x@EOL@y", false}}));
  ASSERT_EQ(read.errors.size(), 2u);
  EXPECT_EQ(read.errors[0].code, 2000);
  EXPECT_EQ(read.errors[0].text, "refused\uFFFD");
  EXPECT_EQ(read.errors[1].text, "");
  ASSERT_EQ(read.messages.size(), 1u);
  EXPECT_EQ(read.messages[0].code, 100001);

  ReadReply rootOnly = ParseReply(zelgw::RootErrorDocument(zelgw::ProtocolError::kTooLarge, "too big"));
  ASSERT_EQ(rootOnly.rootErrors.size(), 1u);
  EXPECT_EQ(rootOnly.rootErrors[0].code, 108);
  EXPECT_FALSE(rootOnly.hasResponse);
}

TEST(GatewayXmlText, AttributeReferencesAreResolvedStrictly) {
  EXPECT_EQ(zelgw::DecodeAttributeValue("a&lt;&#65;&#x42;&amp;&apos;&quot;&gt;z"), "a<AB&'\">z");
  EXPECT_EQ(zelgw::DecodeAttributeValue("&#x10FFFF;"), "\U0010FFFF");
  for (const char* bad : {"&", "&amp", "a<b", "&#;", "&#x;", "&#xD800;", "&#1114112;", "&#x110000;",
                          "&#12345678;", "&#8;", "&#-1;", "&nbsp;"}) {
    EXPECT_FALSE(zelgw::DecodeAttributeValue(bad)) << bad;
  }
  EXPECT_EQ(zelgw::FindInvalidXmlText("ok\xF0\x9F\x98\x80ok"), std::string::npos);
  EXPECT_EQ(zelgw::FindInvalidXmlText("ok\xF0\x9F\x98"), 2u);
  EXPECT_EQ(zelgw::FindInvalidXmlText("ab\xEF\xBF\xBE"), 2u);  // U+FFFE is not an XML character
}
