// The open path across processes: a client session whose receiver serves the bus, and the sender started
// directly or through the platform launcher, each a program of the runtime tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CATBackboneBus.h"
#include "CATICommMsg.h"
#include "CATInstantiateComponent.h"
#include "OpenPathSupport.h"
#include "ScriptTranscripts.h"
#include "ZELIBackboneDataRequest.h"
#include "ZELTestSupport.h"

namespace fs = std::filesystem;
using namespace zeltest;
using openpath::BusDirectory;
using openpath::Hex;
using openpath::Session;

namespace {

class OpenPath : public ::testing::Test {
 protected:
  OpenPath()
      : busEnv_("CATBackboneDirectory", bus_.Path().c_str()), database_(SeededPlmDatabase(dir_.Path())) {}

  ProgramResult Sender(const std::vector<std::string>& arguments, const std::vector<std::string>& env = {}) {
    std::vector<std::string> argv{RuntimeProgram("ZELSender").string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunProgram(argv, {}, std::chrono::seconds(120), env);
  }

  TempDir dir_;
  BusDirectory bus_;
  ScopedEnv busEnv_;
  fs::path database_;
};

TEST_F(OpenPath, TheSenderOpensObjectsInTheSessionDirectlyAndThroughTheLauncher) {
  Session session(dir_.Path(), "session", database_);
  ASSERT_TRUE(session.Ready());

  ProgramResult direct = Sender({"ZEL_OPEN", Hex("VPMReference@@prd-00012340@@A.1")}, {"ZEL_DEBUG=ON"});
  EXPECT_EQ(0, direct.exitCode) << direct.out << direct.err;
  EXPECT_NE(std::string::npos, direct.out.find("ZEL: ZEL_OPEN finished")) << direct.out;

  // The launcher sets the environment from its file and runs the sender from the runtime tree.
  fs::path environment = dir_ / "session.env";
  WriteFile(environment, "# the user's bus\nCATBackboneDirectory=" + bus_.Path().string() + "\n");
  ProgramResult launched = RunProgram({RuntimeProgram("CATSTART").string(), "-env", environment.string(),
                                       "-run", "ZELSender ZEL_OPEN " + Hex("PRDPart@@prd-00012343@@A.3")},
                                      {}, std::chrono::seconds(120), {"CATBackboneDirectory"});
  EXPECT_EQ(0, launched.exitCode) << launched.out << launched.err;

  // An unknown type, a text without delimiters and no text at all open nothing and are answered all the same.
  EXPECT_EQ(0, Sender({"ZEL_OPEN", Hex("NoSuchType@@prd-00012340@@A")}).exitCode);
  EXPECT_EQ(0, Sender({"ZEL_OPEN", Hex("VPMReference prd-00012340 A")}).exitCode);
  EXPECT_EQ(0, Sender({"ZEL_OPEN"}).exitCode);
  ProgramResult check = Sender({"ZELReceiverCheck", "any", "info"}, {"ZEL_DEBUG=ON"});
  EXPECT_EQ(0, check.exitCode);
  EXPECT_NE(std::string::npos, check.out.find("ZEL: ZELReceiverOK finished")) << check.out;

  std::string transcript = session.Finish();
  EXPECT_EQ(0, session.Exit());
  // The stop file's temporary path is the only part of the transcript that changes from run to run.
  for (size_t at; (at = transcript.find(dir_.Path().string())) != std::string::npos;)
    transcript.replace(at, dir_.Path().string().size(), "$DIR");
  ExpectTranscript(fs::path(ZEL_SOURCE_DIR) / "tests/Integration/open_path.expected", "open_path", transcript,
                   "");
}

TEST_F(OpenPath, EveryMatchOpensAndIdentifiersArriveAsUnicode) {
  // Two assemblies share one identifier and revision; the frame's identifier holds umlauts.
  ASSERT_EQ("", ExecuteSql(database_,
                           "UPDATE attributes SET value = 'prd-00012342' WHERE name = 'PLM_ExternalID' AND "
                           "value = 'prd-00012341';"
                           "UPDATE attributes SET value = 'prd-Müller-Öse' WHERE name = 'PLM_ExternalID' AND "
                           "value = 'prd-00012347';"));
  Session session(dir_.Path(), "session", database_);
  ASSERT_TRUE(session.Ready());
  EXPECT_EQ(0, Sender({"ZEL_OPEN", Hex("VPMReference@@prd-00012342@@A")}).exitCode);
  // Lower-case digits give the same bytes.
  std::string lower = Hex("  PRDPart@@prd-Müller-Öse@@A.4  ");
  for (char& c : lower) c = static_cast<char>(tolower(c));
  EXPECT_EQ(0, Sender({"ZEL_OPEN", lower}).exitCode);
  std::string transcript = session.Finish();
  EXPECT_NE(std::string::npos, transcript.find("1 3D \"Front Wheel Assembly\"")) << transcript;
  EXPECT_NE(std::string::npos, transcript.find("2 3D \"Rear Wheel Assembly\"")) << transcript;
  EXPECT_NE(std::string::npos, transcript.find("3 3D \"Frame 56 cm\"")) << transcript;
}

TEST_F(OpenPath, WithoutASessionTheSenderFailsAtTheSend) {
  ProgramResult result = Sender({"ZEL_OPEN", Hex("VPMReference@@prd-00012340@@A")}, {"ZEL_DEBUG=ON"});
  EXPECT_EQ(3, result.exitCode) << result.out << result.err;
  EXPECT_NE(std::string::npos, result.out.find("ZEL: SendRequest not successful")) << result.out;
}

TEST_F(OpenPath, TheNewestLiveSessionIsAddressedAndAKilledOneBlocksNothing) {
  Session older(dir_.Path(), "older", database_);
  ASSERT_TRUE(older.Ready());
  fs::create_directories(dir_ / "newer");
  fs::create_directories(dir_ / "killed");
  auto newer = std::make_unique<Session>(dir_.Path(), "newer", SeededPlmDatabase(dir_ / "newer"));
  ASSERT_TRUE(newer->Ready());
  EXPECT_EQ(0, Sender({"ZEL_OPEN", Hex("VPMReference@@prd-00012340@@A")}).exitCode);
  std::string newerTranscript = newer->Finish();
  EXPECT_NE(std::string::npos, newerTranscript.find("served 1 message")) << newerTranscript;

  // A session killed outright leaves its socket behind; the next request skips it and reaches the older one.
  Session killed(dir_.Path(), "killed", SeededPlmDatabase(dir_ / "killed"));
  ASSERT_TRUE(killed.Ready());
  killed.Kill();
  EXPECT_EQ(0, Sender({"ZEL_OPEN", Hex("PRDPart@@prd-00012343@@A")}).exitCode);
  std::string olderTranscript = older.Finish();
  EXPECT_NE(std::string::npos, olderTranscript.find("served 1 message")) << olderTranscript;
  EXPECT_NE(std::string::npos, olderTranscript.find("\"Rim 622x19\"")) << olderTranscript;
}

TEST_F(OpenPath, ARequestThatAsksNoAnswerIsHandledAndGetsNone) {
  Session session(dir_.Path(), "session", database_);
  ASSERT_TRUE(session.Ready());
  CATICommunicator* bus = CATGetBackboneConnection(CATGetDefaultBus(), 0);
  ASSERT_NE(nullptr, bus);
  ASSERT_EQ(S_OK, bus->Declare("ZELTestSender", 0));
  ZELIBackboneDataRequest* message = nullptr;
  ASSERT_EQ(S_OK, CATInstantiateComponent("ZELBackboneMessage", IID_ZELIBackboneDataRequest,
                                          reinterpret_cast<void**>(&message)));
  message->SetCommand("ZEL_OPEN");
  message->SetAdditionalInfo(Hex("VPMReference@@prd-00012340@@A").c_str());
  CATICommMsg_var comm(message);
  ASSERT_NE(NULL_var, comm);
  EXPECT_EQ(S_OK, bus->SendRequest("ZELBackboneReceiver", comm));
  CATICommMsg* answer = nullptr;
  EXPECT_TRUE(FAILED(bus->GetRequestAnswer(comm, &answer, 5)));
  int error = 0;
  EXPECT_EQ(S_OK, bus->GetLastErrorId(&error));
  EXPECT_EQ(8195, error);
  message->Release();
  bus->Release();
  std::string transcript = session.Finish();
  EXPECT_NE(std::string::npos, transcript.find("\"City Bicycle\"")) << transcript;
  EXPECT_NE(std::string::npos, transcript.find("no answer wanted")) << transcript;
}

}  // namespace
