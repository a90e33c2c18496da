// The request probe program as a user runs it: what it sends, what it prints, and its exit codes.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "TestHttpServer.h"
#include "TransportFixture.h"

using namespace zeltest;

namespace {
// Runs the probe with the given arguments; a run that outlives a generous limit is killed and fails.
ProgramResult Probe(std::vector<std::string> args) {
  args.insert(args.begin(), RuntimeProgram("ZELRequestProbe").string());
  ProgramResult result = RunProgram(args, {}, std::chrono::seconds(120));
  EXPECT_FALSE(result.timedOut) << "the probe did not end";
  return result;
}
class ProbeTest : public TransportTest {};
}  // namespace

TEST_F(ProbeTest, SendsWhatItIsGivenAndTellsTheOutcome) {
  TestHttpServer server(
      Answer(200, ReplyWith(Attribute("Part", "P-100"), "<Message code=\"2000\">stored</Message>")));
  ProgramResult outcome = Probe({"--url", server.Url("/gw"), "GetPartnumber", "Type=Part", "Items=a@EOL@b",
                                 "--list", "Owners=x,y,z", "Empty="});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("P-100"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("Message 2000: stored"), std::string::npos) << outcome.out;
  ASSERT_EQ(server.Requests().size(), 1u);
  const std::string body = server.Requests()[0].body;
  EXPECT_EQ(server.Requests()[0].target, "/gw/ZELRequest");
  EXPECT_NE(body.find("<Request name=\"GetPartnumber\""), std::string::npos) << body;
  const size_t type = body.find("<Attribute name=\"Type\" value=\"Part\"/>");
  const size_t items = body.find("<Attribute name=\"Items\" value=\"a@EOL@b\"/>");
  const size_t owners = body.find("<Attribute name=\"Owners\" value=\"x@EOL@y@EOL@z\"/>");
  const size_t empty = body.find("<Attribute name=\"Empty\" value=\"\"/>");
  ASSERT_NE(type, std::string::npos) << body;
  EXPECT_LT(type, items);
  EXPECT_LT(items, owners);
  EXPECT_LT(owners, empty);
  EXPECT_NE(empty, std::string::npos);
}

TEST_F(ProbeTest, ExitCodes) {
  {
    TestHttpServer refusing(Answer(200, ReplyWith("", "<Error code=\"4711\">not allowed</Error>")));
    setenv("ZEL_SERVER_URL", refusing.Url().c_str(), 1);
    ProgramResult outcome = Probe({"Login", "User=u"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.out.find("Error 4711: not allowed"), std::string::npos) << outcome.out;
  }
  {
    // A document without "Response" tells nothing about the function.
    TestHttpServer bare(Answer(200, "<ZEL/>"));
    EXPECT_EQ(Probe({"--url", bare.Url(), "Login"}).exitCode, 1);
  }
  const std::string closed = "http://127.0.0.1:" + std::to_string(FreePort());
  EXPECT_EQ(Probe({"--url", closed, "Login"}).exitCode, 1);

  {
    TestHttpServer answering(Answer(200, ReplyWith(Attribute("Server", "gw-1"))));
    EXPECT_EQ(Probe({"--check", "--url", answering.Url()}).exitCode, 0);
  }
  {
    TestHttpServer mute(Answer(200, ReplyWith(Attribute("Other", "x"))));
    EXPECT_EQ(Probe({"--url", mute.Url(), "--check"}).exitCode, 1);
  }
  EXPECT_EQ(Probe({"--check", "--url", closed}).exitCode, 1);

  ProgramResult help = Probe({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("usage: ZELRequestProbe"), std::string::npos);
  for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{{},
                                                                            {"--url"},
                                                                            {"--bogus", "Login"},
                                                                            {"Login", "novalue"},
                                                                            {"Login", "=x"},
                                                                            {"--check", "Login"},
                                                                            {"Login", "--list", "nolist"}}) {
    ProgramResult outcome = Probe(bad);
    EXPECT_EQ(outcome.exitCode, 2) << testing::PrintToString(bad);
    EXPECT_NE(outcome.err.find("usage:"), std::string::npos);
  }
}
