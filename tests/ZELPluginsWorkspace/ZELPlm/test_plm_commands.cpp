// The PDM request helpers: credentials as they go on the wire, the verdict read from a reply, the login
// store after an accepted, a refused and a failed login, a request trace that never shows the password, and
// what the query, send and options functions make of the gateway's replies.
#include <gtest/gtest.h>

#include <string>

#include "CATDlgNotify.h"
#include "CATSysSettingRepository.h"
#include "TestHttpServer.h"
#include "TransportFixture.h"
#include "ZELCommandsTestAccess.h"
#include "ZELLoginData.h"
#include "ZELPlmCommands.h"
#include "ZELQueryResult.h"
#include "ZELRequestXml.h"

using namespace zeltest;

namespace {

std::string Text(const CATUnicodeString& text) {
  return text.ConvertToUTF8();
}

std::string Xml(const ZELRequestXml& request) {
  CATUnicodeString text;
  EXPECT_EQ(S_OK, request.GetXml(text));
  return Text(text);
}

bool HasErrors(const std::string& reply) {
  ZELRequestXml read;
  EXPECT_EQ(S_OK, read.ReadXmlString(reply.c_str()));
  return ZELPlmCommands::CheckError(read);
}

class PlmCommands : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    ZELLoginData::SetLoginOk(0);
    ZELLoginData::SetLoginData("before", "", "g0", "r0");
  }
  void TearDown() override {
    ZELLoginData::SetLoginOk(0);
    CATSysSettingRepository::ResetAll();
    TransportTest::TearDown();
  }
  void UseGateway(const TestHttpServer& server) { setenv("ZEL_SERVER_URL", server.Url("/gw").c_str(), 1); }
  static std::string Store() {
    return Text(ZELLoginData::GetUser()) + "|" + Text(ZELLoginData::GetPassword()) + "|" +
           Text(ZELLoginData::GetGroup()) + "|" + Text(ZELLoginData::GetRole()) + "|" +
           std::to_string(ZELLoginData::GetLoginOk());
  }
};

}  // namespace

TEST(PlmCredentials, PasswordIsHexOfEachUtf8ByteWithoutLeadingZero) {
  std::string printable, expected;
  for (char c = ' '; c <= '~'; ++c) {
    printable += c;
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned>(c));
    expected += digits;
  }
  EXPECT_EQ(expected, Text(ZELPlmCommands::EncodePassword(printable.c_str())));
  EXPECT_EQ("9a61", Text(ZELPlmCommands::EncodePassword("\t\na")));
  EXPECT_EQ("c384e282ac", Text(ZELPlmCommands::EncodePassword("Ä€")));
  EXPECT_EQ("", Text(ZELPlmCommands::EncodePassword("")));
}

TEST(PlmCredentials, FiveAttributesInOrderEvenWhenEmpty) {
  ZELRequestXml request("Login");
  ZELPlmCommands::SetCredentialsToRequest("ana", "pw", "", "", "de", request);
  const std::string xml = Xml(request);
  const std::string attributes =
      "<Attribute name=\"UserID\" value=\"ana\"/><Attribute name=\"Password\" value=\"7077\"/>"
      "<Attribute name=\"Group\" value=\"\"/><Attribute name=\"Role\" value=\"\"/>"
      "<Attribute name=\"LoginLocale\" value=\"de\"/></Request>";
  EXPECT_NE(std::string::npos, xml.find(attributes)) << xml;
}

TEST(PlmCheckError, ErrorsUnreadableRepliesAndMessages) {
  EXPECT_FALSE(HasErrors("<ZEL><Response/></ZEL>"));
  EXPECT_FALSE(HasErrors("<ZEL><Response><Message code=\"5\">note</Message></Response></ZEL>"));
  EXPECT_TRUE(HasErrors("<ZEL><Response><Error code=\"1402\">no</Error></Response></ZEL>"));
  EXPECT_TRUE(HasErrors("<ZEL><Error code=\"101\">bad request</Error></ZEL>"));
  // Neither says the login went through.
  EXPECT_TRUE(HasErrors("<ZEL/>"));
  EXPECT_TRUE(HasErrors("<Other><Error code=\"1\">x</Error></Other>"));
}

TEST_F(PlmCommands, AcceptedLoginIsStoredRefusedAndFailedOnesLeaveTheStore) {
  {
    TestHttpServer refusing(Answer(200, ReplyWith("", "<Error code=\"1402\">wrong</Error>")));
    UseGateway(refusing);
    EXPECT_EQ(S_FALSE, ZELPlmCommands::RunLogin("ana", "pw", "g", "r", "en"));
    EXPECT_EQ(S_FALSE, ZELPlmCommands::DoLogin("ana", "pw", "g", "r"));
    EXPECT_EQ("before||g0|r0|0", Store());
    ASSERT_EQ(2u, refusing.Requests().size());
    EXPECT_NE(std::string::npos,
              refusing.Requests()[0].body.find("<Attribute name=\"Password\" value=\"7077\"/>"));
  }
  {
    TestHttpServer broken(Answer(200, "not a document"));
    UseGateway(broken);
    EXPECT_EQ(E_FAIL, ZELPlmCommands::DoLogin("ana", "pw", "g", "r"));
    EXPECT_EQ("before||g0|r0|0", Store());
  }
  TestHttpServer accepting(Answer(200, ReplyWith("")));
  UseGateway(accepting);
  EXPECT_EQ(S_OK, ZELPlmCommands::DoLogin("ana", "pw", "g", "r"));
  EXPECT_EQ("ana|pw|g|r|1", Store());
}

TEST_F(PlmCommands, TraceMasksThePasswordAndTheWireKeepsIt) {
  ZELRequestXml request("Login");
  ZELPlmCommands::SetCredentialsToRequest("ana", "secret", "", "", "", request);
  const std::string dumped = ZELTestAccess::TracedOutput([&request] { request.Dump(0); });
  EXPECT_NE(std::string::npos, dumped.find("name=\"Password\" value=\"***\"")) << dumped;
  EXPECT_EQ(std::string::npos, dumped.find("736563726574"));
  EXPECT_NE(std::string::npos, Xml(request).find("value=\"736563726574\""));
}

namespace {

long Send(CATUnicodeString& message) {
  return ZELPlmCommands::RunSendItem("u", "p", "", "", "en", "obid-1", -1, true, false, true, "Latest", "",
                                     "", false, true, true, message);
}

long Options(CATListValCATUnicodeString& rules, CATRawCollint& flags, CATListValCATUnicodeString& variants,
             bool& sendConfiguration) {
  return ZELPlmCommands::RunGetSendTo3DXOptions("u", "p", "", "", "en", "obid-1", rules, &flags, variants,
                                                sendConfiguration);
}

std::string LastBox() {
  const auto& journal = CATDlgNotify::GetJournal();
  if (journal.empty()) return "no box";
  return std::string(journal.back().name) + " " + Text(journal.back().title) + ": " +
         Text(journal.back().text);
}

}  // namespace

TEST_F(PlmCommands, QueryReadsItemsAttributesAndDisplayNames) {
  TestHttpServer gateway(Answer(
      200, ReplyWith("",
                     "<QueryResult><TCO t=\"Part\" n=\"Wheel\" o=\"ob1\"><TCA n=\"object_string\">W-1</TCA>"
                     "<TCA n=\"owner\"><b/>x</TCA></TCO><Other/><TCO n=\"Bell\"><TCA n=\"weight\">3</TCA>"
                     "<TCA n=\"object_string\">B-1</TCA></TCO></QueryResult>"
                     "<DisplayNodes><DN n=\"object_string\">Name</DN><DN n=\"object_string\">Later</DN>"
                     "</DisplayNodes>")));
  UseGateway(gateway);
  CATListValCATUnicodeString names, values;
  names.Append("object_string");
  names.Append("owner");
  values.Append("W*");
  values.Append("");
  ZELQueryResult* result = nullptr;
  ASSERT_EQ(S_OK, ZELPlmCommands::RunQuery("u", "p", "", "", "en", "Part", names, values, result));
  std::unique_ptr<ZELQueryResult> owned(result);
  ASSERT_EQ(2, owned->GetItemCount());
  const ZELQueryResultItem* wheel = owned->GetItem(0);
  EXPECT_EQ("Wheel|Part|ob1",
            Text(wheel->GetName()) + "|" + Text(wheel->GetType()) + "|" + Text(wheel->GetObid()));
  EXPECT_EQ("W-1", Text(wheel->GetAttributeValue("object_string")));
  EXPECT_EQ("", Text(wheel->GetAttributeValue("owner")));  // first child is no text
  EXPECT_EQ("", Text(owned->GetItem(1)->GetType()));
  EXPECT_EQ(nullptr, owned->GetItem(2));
  EXPECT_EQ("Name", Text(owned->GetDisplayName("object_string")));
  EXPECT_EQ("weight", Text(owned->GetDisplayName("weight")));
  CATListValCATUnicodeString all = owned->GetAttributeNames();
  ASSERT_EQ(3, all.Size());
  EXPECT_EQ("object_string owner weight", Text(all[1]) + " " + Text(all[2]) + " " + Text(all[3]));
  EXPECT_NE(std::string::npos, gateway.Requests()[0].body.find(
                                   "<Attribute name=\"ObjectType\" value=\"Part\"/>"
                                   "<Attribute name=\"AttributeNames\" value=\"object_string@EOL@owner\"/>"
                                   "<Attribute name=\"AttributeValues\" value=\"W*@EOL@\"/>"));
}

TEST_F(PlmCommands, FailedQueryLeavesTheOutputAlone) {
  TestHttpServer refusing(Answer(200, ReplyWith("", "<Error code=\"1500\">no</Error>")));
  UseGateway(refusing);
  ZELQueryResult* result = nullptr;
  EXPECT_EQ(E_FAIL, ZELPlmCommands::RunQuery("u", "p", "", "", "", "Part", {}, {}, result));
  EXPECT_EQ(nullptr, result);
}

TEST_F(PlmCommands, SendItemComposesMessagesAndErrors) {
  {
    TestHttpServer gateway(Answer(200, ReplyWith("")));
    UseGateway(gateway);
    CATUnicodeString message;
    EXPECT_EQ(S_OK, Send(message));
    EXPECT_EQ("The PDM accepted the transfer.", Text(message));
    EXPECT_NE(
        std::string::npos,
        gateway.Requests()[0].body.find(
            "<Attribute name=\"RevisionObid\" value=\"obid-1\"/><Attribute name=\"ExpandLevel\" "
            "value=\"-1\"/><Attribute name=\"Force\" value=\"FALSE\"/><Attribute "
            "name=\"TRANSFER_SUBSTRUCTURES_PARALLEL\" value=\"true\"/><Attribute "
            "name=\"RemoveExistingNotProvided\" value=\"FALSE\"/><Attribute name=\"TransferLoc\" "
            "value=\"TRUE\"/><Attribute name=\"TransferStructureFilterOnly\" value=\"TRUE\"/><Attribute "
            "name=\"RevisionRule\" value=\"Latest\"/><Attribute name=\"Variant\" value=\"\"/><Attribute "
            "name=\"StructureFilter\" value=\"\"/><Attribute name=\"SEND_CONFIGURATION\" value=\"true\"/>"));
  }
  {
    TestHttpServer gateway(Answer(200, ReplyWith("", "<Message code=\"100001\">hidden</Message>")));
    UseGateway(gateway);
    CATUnicodeString message;
    EXPECT_EQ(S_OK, Send(message));
    EXPECT_EQ("", Text(message));
  }
  {
    TestHttpServer gateway(
        Answer(200, ReplyWith("", "<Error code=\"0\">first</Error><Error code=\"2000\">second</Error>")));
    UseGateway(gateway);
    CATUnicodeString message;
    EXPECT_EQ(E_FAIL, Send(message));
    EXPECT_EQ("first\n2000: second", Text(message));
  }
  TestHttpServer broken(Answer(200, "no document"));
  UseGateway(broken);
  CATUnicodeString message("kept");
  EXPECT_EQ(E_FAIL, Send(message));
  EXPECT_EQ("kept", Text(message));
}

TEST_F(PlmCommands, SendOptionsNeedRulesAndReadOneSwitch) {
  CATDlgNotify::ClearJournal();
  {
    TestHttpServer gateway(Answer(
        200, ReplyWith("<Attribute name=\"RevisionRule\"><Item value=\"Working\"/><Item value=\"Released\" "
                       "default=\"true\"/></Attribute>" +
                           Attribute("Variant", "Standard@EOL@Sport"),
                       "<ShowPdmSendConfigurationEnabled value=\"true\"/>")));
    UseGateway(gateway);
    CATListValCATUnicodeString rules, variants;
    CATRawCollint flags;
    bool sendConfiguration = false;
    EXPECT_EQ(S_OK, Options(rules, flags, variants, sendConfiguration));
    ASSERT_EQ(2, rules.Size());
    ASSERT_EQ(2, flags.Size());
    EXPECT_EQ("Released", Text(rules[2]));
    EXPECT_EQ(0, flags[1]);
    EXPECT_EQ(1, flags[2]);
    EXPECT_EQ(2, variants.Size());
    EXPECT_TRUE(sendConfiguration);
    EXPECT_EQ("no box", LastBox());
  }
  {
    TestHttpServer gateway(Answer(200, ReplyWith(Attribute("Variant", "Standard"),
                                                 "<ShowPdmSendConfigurationEnabled value=\"true\"/>"
                                                 "<ShowPdmSendConfigurationEnabled value=\"true\"/>")));
    UseGateway(gateway);
    CATListValCATUnicodeString rules, variants;
    CATRawCollint flags;
    bool sendConfiguration = false;
    EXPECT_EQ(E_FAIL, Options(rules, flags, variants, sendConfiguration));
    EXPECT_FALSE(sendConfiguration);
    EXPECT_EQ(1, variants.Size());
    EXPECT_EQ("ZELError Send to 3DEXPERIENCE: " +
                  Text(ZELGlobal::BuildMessage("SendToV6Dialog", "MsgFailed", nullptr, 0, "")),
              LastBox());
  }
  TestHttpServer refusing(Answer(200, ReplyWith("", "<Error code=\"0\">locked</Error>")));
  UseGateway(refusing);
  CATListValCATUnicodeString rules, variants;
  CATRawCollint flags;
  bool sendConfiguration = false;
  EXPECT_EQ(E_FAIL, Options(rules, flags, variants, sendConfiguration));
  EXPECT_EQ("ZELError Send to 3DEXPERIENCE: 0: locked", LastBox());
}
