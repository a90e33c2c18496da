// The sender program: its usage and exit codes against missing, unusable and served buses, and what it
// delivers to a receiver that this test serves.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "CATBackboneJournal.h"
#include "CATEventLoopInputs.h"
#include "CATFrmLayout.h"
#include "CATInstantiateComponent.h"
#include "ChildProcess.h"
#include "FrameTestSupport.h"
#include "ZELDebug.h"
#include "ZELIBackboneReceiverInt.h"
#include "ZELTestSupport.h"

namespace fs = std::filesystem;

namespace {

const std::string kSender = zeltest::RuntimeProgram("ZELSender").string();

// A private bus directory (mode 0700) for the test.
class PrivateBus {
 public:
  PrivateBus() { fs::permissions(dir_.Path(), fs::perms::owner_all, fs::perm_options::replace); }
  const fs::path& Path() const { return dir_.Path(); }
  std::string Env() const { return "CATBackboneDirectory=" + dir_.Path().string(); }

 private:
  zeltest::TempDir dir_{"zelbus"};
};

std::string Hex(const std::string& text) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : text) hex += {digits[c >> 4], digits[c & 15]};
  return hex;
}

}  // namespace

TEST(Sender, UsageAndExitCodesWithoutAReceiver) {
  zeltest::ProgramResult run = zeltest::RunProgram({kSender});
  EXPECT_EQ(1, run.exitCode);
  EXPECT_EQ("Usage: SenderApplication message\n", run.out);

  PrivateBus bus;
  run = zeltest::RunProgram({kSender, "", "4142"}, {}, std::chrono::seconds(60), {bus.Env(), "ZEL_DEBUG=ON"});
  EXPECT_EQ(2, run.exitCode);
  EXPECT_NE(std::string::npos, run.out.find("Usage: ZELSender message\n")) << run.out;

  // No session declared on the bus: the request cannot be sent.
  run = zeltest::RunProgram({kSender, "ZEL_OPEN", "4142"}, {}, std::chrono::seconds(60),
                            {bus.Env(), "ZEL_DEBUG=ON"});
  EXPECT_EQ(3, run.exitCode) << run.out << run.err;
  EXPECT_NE(std::string::npos, run.out.find("ZEL: SendRequest not successful\n")) << run.out;
  // Without the trace nothing but the two fixed texts is ever printed.
  run = zeltest::RunProgram({kSender, "ZEL_OPEN"}, {}, std::chrono::seconds(60), {bus.Env(), "ZEL_DEBUG"});
  EXPECT_EQ(3, run.exitCode);
  EXPECT_EQ("", run.out);

  // A bus directory others may enter is not used at all.
  fs::permissions(bus.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
  run = zeltest::RunProgram({kSender, "ZEL_OPEN", "4142"}, {}, std::chrono::seconds(60),
                            {bus.Env(), "ZEL_DEBUG=ON"});
  EXPECT_EQ(4, run.exitCode);
  EXPECT_NE(std::string::npos, run.out.find("Unable to contact the backbone bus\n")) << run.out;
  EXPECT_NE(std::string::npos, run.out.find("ZEL: ReceiverSend with answer failed \n")) << run.out;
}

// The session side: an application with its frame over the demo database and the receiver on a private bus.
class SenderToSession : public frametest::FrameTest {
 protected:
  void SetUp() override {
    { ZEL_DEBUG_SCOPE("SenderToSession::SetUp"); }  // settles this process's own trace mode first
    frametest::FrameTest::SetUp();
    ZELIBackboneReceiverInt* receiver = nullptr;
    ASSERT_EQ(S_OK, CATInstantiateComponent("ZELBackboneReceiver", IID_ZELIBackboneReceiverInt,
                                            reinterpret_cast<void**>(&receiver)));
    receiver_ = receiver;
    receiver->Release();
    ASSERT_EQ(S_OK, receiver_->Create());
    CATClearBackboneJournal();
  }
  void TearDown() override {
    receiver_ = NULL_var;
    frametest::FrameTest::TearDown();
  }

  struct Outcome {
    std::optional<int> exitCode;
    std::string out;
  };
  // Runs the sender with these arguments while this process serves the bus.
  Outcome Send(const std::vector<std::string>& args) {
    std::vector<std::string> argv{kSender};
    argv.insert(argv.end(), args.begin(), args.end());
    zeltest::ScopedEnv trace("ZEL_DEBUG", "ON");
    zeltest::ChildProcess sender(argv);
    Outcome outcome;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!(outcome.exitCode = sender.Wait(std::chrono::milliseconds(0))) &&
           std::chrono::steady_clock::now() < deadline)
      CATDispatchInputs(50);
    while (std::optional<std::string> line = sender.ReadLine(std::chrono::seconds(5)))
      outcome.out += *line + "\n";
    return outcome;
  }

  PrivateBus bus_;
  zeltest::ScopedEnv busEnv_{"CATBackboneDirectory", bus_.Path().c_str()};
  CATVar<ZELIBackboneReceiverInt> receiver_;
};

TEST_F(SenderToSession, JoinsItsWordsAndReportsTheAnswer) {
  Outcome outcome = Send({"ECHO", "a", "b c", "", "d"});
  EXPECT_EQ(0, outcome.exitCode);
  EXPECT_NE(std::string::npos, outcome.out.find("ZEL: ECHO finished\n")) << outcome.out;
  std::vector<CATBackboneJournalEntry> journal = CATGetBackboneJournal();
  ASSERT_EQ(1u, journal.size());
  ASSERT_EQ(2u, journal[0].items.size());
  EXPECT_EQ("ECHO", journal[0].items[0]);
  EXPECT_EQ("a b c  d", journal[0].items[1]);
  EXPECT_TRUE(journal[0].answerWanted);
  EXPECT_TRUE(journal[0].answered);

  // A check is answered with the receiver's own word.
  Outcome check = Send({"ZELReceiverCheck", " "});
  EXPECT_EQ(0, check.exitCode);
  EXPECT_NE(std::string::npos, check.out.find("ZEL: ZELReceiverOK finished\n")) << check.out;
}

TEST_F(SenderToSession, OpenRequestsAreAnsweredAfterTheOpen) {
  const int windows = CATFrmLayout::GetCurrentLayout()->GetWindowCount();
  Outcome outcome = Send({"ZEL_OPEN", Hex("VPMReference@@prd-00012340@@A.2")});
  EXPECT_EQ(0, outcome.exitCode);
  EXPECT_NE(std::string::npos, outcome.out.find("ZEL: ZEL_OPEN finished\n")) << outcome.out;
  EXPECT_EQ(windows + 1, CATFrmLayout::GetCurrentLayout()->GetWindowCount());

  // Nothing to open (no text, an unknown object) is still answered.
  for (std::vector<std::string> args :
       {std::vector<std::string>{"ZEL_OPEN"},
        std::vector<std::string>{"ZEL_OPEN", Hex("VPMReference@@nothing@@A")}}) {
    outcome = Send(args);
    EXPECT_EQ(0, outcome.exitCode);
    EXPECT_NE(std::string::npos, outcome.out.find("ZEL: ZEL_OPEN finished\n")) << outcome.out;
  }
  EXPECT_EQ(windows + 1, CATFrmLayout::GetCurrentLayout()->GetWindowCount());
}
