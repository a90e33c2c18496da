// The receiver in a session: its notification, its life on the bus as the utility sees it, the commands it
// runs for requests from this process and another one, and the open of what a request names.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "CATBackboneJournal.h"
#include "CATEventLoopInputs.h"
#include "CATFrmLayout.h"
#include "CATICommMsg.h"
#include "CATInstantiateComponent.h"
#include "CATPLMFailureInjection.h"
#include "FrameTestSupport.h"
#include "ScriptTranscripts.h"
#include "ZELBackboneMsgNotification.h"
#include "ZELBackboneReceiver.h"
#include "ZELCommandsTestAccess.h"
#include "ZELIBackboneReceiverInt.h"
#include "ZELIBackboneUtil.h"
#include "ZELTestSupport.h"

namespace fs = std::filesystem;

namespace {

template <class Itf>
CATVar<Itf> Instantiate(const char* className) {
  Itf* object = nullptr;
  EXPECT_EQ(S_OK, CATInstantiateComponent(className, Itf::ClassId(), reinterpret_cast<void**>(&object)));
  CATVar<Itf> held(object);
  if (object) object->Release();
  return held;
}

std::string Hex(const std::string& text) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : text) hex += {digits[c >> 4], digits[c & 15]};
  return hex;
}

// Serves the bus until count requests are in the journal or a generous bound passes.
bool ServeUntilJournal(size_t count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (CATGetBackboneJournal().size() < count) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    CATDispatchInputs(100);
  }
  return true;
}

int WindowCount() {
  CATFrmLayout* layout = CATFrmLayout::GetCurrentLayout();
  return layout ? layout->GetWindowCount() : -1;
}

// A private bus directory for the test.
class PrivateBus {
 public:
  PrivateBus() { fs::permissions(dir_.Path(), fs::perms::owner_all, fs::perm_options::replace); }
  const fs::path& Path() const { return dir_.Path(); }

 private:
  zeltest::TempDir dir_{"zelbus"};
  zeltest::ScopedEnv env_{"CATBackboneDirectory", dir_.Path().c_str()};
};

}  // namespace

TEST(BackboneNotification, CopiesTheTextsItCarries) {
  CATICommMsg* message = reinterpret_cast<CATICommMsg*>(0x10);  // borrowed, never used
  auto* full = new ZELBackboneMsgNotification("ZEL_OPEN", message, "4142");
  EXPECT_EQ(CATString("ZELBackboneMsgNotification"), full->GetKind());
  EXPECT_EQ(message, full->GetMessage());
  EXPECT_EQ(9, full->GetCommandLength());
  EXPECT_EQ(5, full->GetAdditionalInfoLength());
  char buffer[16] = "xxxxxxxxxxxxxxx";
  EXPECT_STREQ("ZEL_OPEN", full->GetCommand(buffer, 9));
  EXPECT_STREQ("ZEL", full->GetCommand(buffer, 4));  // cut to the buffer, still terminated
  EXPECT_STREQ("4142", full->GetAdditionalInfo(buffer, sizeof buffer));
  full->Release();

  // Empty and absent texts are kept as none.
  auto* bare = new ZELBackboneMsgNotification("", nullptr, "");
  EXPECT_EQ(1, bare->GetCommandLength());
  EXPECT_EQ(0, bare->GetAdditionalInfoLength());
  strcpy(buffer, "untouched");
  EXPECT_STREQ("", bare->GetCommand(buffer, sizeof buffer));
  strcpy(buffer, "untouched");
  EXPECT_EQ(nullptr, bare->GetAdditionalInfo(buffer, sizeof buffer));
  EXPECT_STREQ("untouched", buffer);
  bare->Release();
  auto* none = new ZELBackboneMsgNotification(nullptr, nullptr, nullptr);
  EXPECT_EQ(1, none->GetCommandLength());
  EXPECT_EQ(0, none->GetAdditionalInfoLength());
  none->Release();
}

TEST(BackboneReceiver, CreateNeedsTheBusAndTheApplication) {
  PrivateBus bus;
  CATVar<ZELIBackboneUtil> util = Instantiate<ZELIBackboneUtil>("ZELBackboneUtil");
  ASSERT_TRUE(util != NULL_var);
  {
    // No application to subscribe: the receiver would take requests and never answer them.
    CATVar<ZELIBackboneReceiverInt> receiver = Instantiate<ZELIBackboneReceiverInt>("ZELBackboneReceiver");
    ASSERT_TRUE(receiver != NULL_var);
    EXPECT_EQ(E_FAIL, receiver->Create());
    EXPECT_EQ(1, util->IsReceiverMissing());
  }
  fs::permissions(bus.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
  CATApplication app("3DEXPERIENCE");
  CATVar<ZELIBackboneReceiverInt> receiver = Instantiate<ZELIBackboneReceiverInt>("ZELBackboneReceiver");
  std::string out = ZELTestAccess::TracedOutput([&] { EXPECT_TRUE(FAILED(receiver->Create())); });
  EXPECT_NE(std::string::npos, out.find("ZEL: Unable to contact the backbone bus\n")) << out;
  EXPECT_NE(std::string::npos, out.find("ZEL: ZELBackboneReceiver::Create (Backbone Init failed)\n")) << out;
  EXPECT_EQ(1, util->IsReceiverMissing());

  // Without a bus the utility still builds the message, then gives up.
  char* answer = reinterpret_cast<char*>(&app);
  out =
      ZELTestAccess::TracedOutput([&] { EXPECT_EQ(1, util->SendToReceiver(1, "ZEL_OPEN", "41", &answer)); });
  EXPECT_EQ(reinterpret_cast<char*>(&app), answer);
  EXPECT_NE(std::string::npos, out.find("Unable to contact the backbone bus\n")) << out;
  EXPECT_NE(std::string::npos, out.find("ZEL: _pICommunicatorChk is NULL ... aborting\n")) << out;
  EXPECT_EQ(1, util->CheckReceiver());
}

class BackboneSession : public frametest::FrameTest {
 protected:
  void TearDown() override {
    receiver_ = NULL_var;
    CATPLMFailureInjection::Clear();
    frametest::FrameTest::TearDown();
  }
  void CreateReceiver() {
    receiver_ = Instantiate<ZELIBackboneReceiverInt>("ZELBackboneReceiver");
    ASSERT_TRUE(receiver_ != NULL_var);
    ASSERT_EQ(S_OK, receiver_->Create());
    CATClearBackboneJournal();
  }
  // Sends a request without answer from this process and lets the receiver handle it; the trace.
  std::string Handle(const char* command, const char* info) {
    CATVar<ZELIBackboneUtil> util = Instantiate<ZELIBackboneUtil>("ZELBackboneUtil");
    const size_t before = CATGetBackboneJournal().size();
    return ZELTestAccess::TracedOutput([&] {
      char* answer = nullptr;
      EXPECT_EQ(0, util->SendToReceiver(0, command, info, &answer));
      EXPECT_EQ(nullptr, answer);
      EXPECT_TRUE(ServeUntilJournal(before + 1));
    });
  }

  PrivateBus bus_;
  CATVar<ZELIBackboneReceiverInt> receiver_;
};

TEST_F(BackboneSession, UtilitySeesTheReceiverForItsLifetime) {
  CATVar<ZELIBackboneUtil> util = Instantiate<ZELIBackboneUtil>("ZELBackboneUtil");
  EXPECT_EQ(1, util->IsReceiverMissing());
  receiver_ = Instantiate<ZELIBackboneReceiverInt>("ZELBackboneReceiver");
  EXPECT_EQ(1, util->IsReceiverMissing());
  ASSERT_EQ(S_OK, receiver_->Create());
  EXPECT_EQ(0, util->IsReceiverMissing());
  EXPECT_EQ(S_OK, receiver_->Create());  // a second call changes nothing
  receiver_ = NULL_var;
  EXPECT_EQ(1, util->IsReceiverMissing());
  // The bus no longer hands requests to the destroyed receiver.
  char* answer = nullptr;
  EXPECT_EQ(1, util->SendToReceiver(0, "ECHO", nullptr, &answer));
}

TEST_F(BackboneSession, RequestWithoutAnswerRunsItsCommand) {
  CreateReceiver();
  std::string out = Handle("ECHO", "a b");
  EXPECT_NE(std::string::npos, out.find("ZEL: Received Command: [ECHO] with additional info [a b]\n")) << out;
  std::vector<CATBackboneJournalEntry> journal = CATGetBackboneJournal();
  ASSERT_EQ(1u, journal.size());
  EXPECT_EQ((std::vector<std::string>{"ECHO", "a b"}), journal[0].items);
  EXPECT_FALSE(journal[0].answerWanted);
  EXPECT_FALSE(journal[0].answered);

  // Opens are exact: the command is case-sensitive, the text needs two delimiters.
  const int windows = WindowCount();
  Handle("zel_open", Hex("VPMReference@@prd-00012340@@A.2").c_str());
  out = Handle("ZEL_OPEN", Hex("VPMReference@@prd-00012340").c_str());
  EXPECT_EQ(std::string::npos, out.find("OpenInWindow")) << out;
  EXPECT_EQ(windows, WindowCount());

  out = Handle("ZEL_OPEN", (Hex("  VPMReference@@prd-00012340@@A.2") + "00FFFF").c_str());
  EXPECT_NE(std::string::npos, out.find("ZEL: delims: [@@][12][26]\n")) << out;
  EXPECT_NE(std::string::npos, out.find("ZEL: Parameter for ZEL_OPEN: [VPMReference][prd-00012340][A.2]\n"));
  EXPECT_NE(std::string::npos, out.find("ZEL: OpenInWindow: [VPMReference][prd-00012340][A]\n")) << out;
  EXPECT_EQ(windows + 1, WindowCount());
}

TEST_F(BackboneSession, OpenInWindowFindsExactlyAndReportsFailures) {
  const int windows = WindowCount();
  std::string out;
  out = ZELTestAccess::TracedOutput(
      [&] { EXPECT_EQ(S_OK, ZELBackboneReceiver::OpenInWindow("VPMReference", "prd-00012340", "A")); });
  EXPECT_NE(std::string::npos, out.find("GetElementsFromQueryFilter 1 Objects found\n")) << out;
  EXPECT_EQ(windows + 1, WindowCount());

  // An unknown type fails before any query.
  out = ZELTestAccess::TracedOutput(
      [&] { EXPECT_EQ(E_FAIL, ZELBackboneReceiver::OpenInWindow("NoSuchType", "prd-00012340", "A")); });
  EXPECT_EQ(std::string::npos, out.find("Objects found")) << out;
  EXPECT_EQ(std::string::npos, out.find("Query Error")) << out;
  // Values are compared with their case; the revision is the major one.
  const std::pair<const char*, const char*> misses[] = {
      {"PRD-00012340", "A"}, {"prd-00012340", "A.2"}, {"prd-00012340", "B"}};
  for (const auto& miss : misses) {
    out = ZELTestAccess::TracedOutput([&] {
      EXPECT_EQ(E_FAIL, ZELBackboneReceiver::OpenInWindow("VPMReference", miss.first, miss.second));
    });
    EXPECT_NE(std::string::npos, out.find("No Objects found\n")) << miss.first << " " << miss.second;
  }
  EXPECT_EQ(windows + 1, WindowCount());

  ASSERT_EQ(S_OK, CATPLMFailureInjection::Set("Query", "database offline"));
  out = ZELTestAccess::TracedOutput(
      [&] { EXPECT_EQ(E_FAIL, ZELBackboneReceiver::OpenInWindow("VPMReference", "prd-00012340", "A")); });
  EXPECT_NE(std::string::npos, out.find("Query Error: database offline\n")) << out;
  CATPLMFailureInjection::Clear();

  ASSERT_EQ(S_OK, CATPLMFailureInjection::Set("Open", "locked"));
  out = ZELTestAccess::TracedOutput(
      [&] { EXPECT_EQ(E_FAIL, ZELBackboneReceiver::OpenInWindow("VPMReference", "prd-00012340", "A")); });
  EXPECT_NE(std::string::npos, out.find("failed to open component\n")) << out;
  EXPECT_EQ(windows + 1, WindowCount());
}

TEST_F(BackboneSession, EveryMatchIsOpenedInOrderUntilOneFails) {
  // A second stored version of the same major revision.
  ASSERT_EQ("", zeltest::ExecuteSql(dir_ / "PLMDemo.db",
                                    "INSERT INTO components(id, type, saved, maturity) "
                                    "SELECT 9001, type, saved, maturity FROM components WHERE id = 1;"
                                    "INSERT INTO attributes SELECT 9001, position, name, type, "
                                    "CASE name WHEN 'revision' THEN 'A.3' ELSE value END "
                                    "FROM attributes WHERE component = 1;"));
  const int windows = WindowCount();
  ASSERT_EQ(S_OK, CATPLMFailureInjection::Set("Open", "locked", 1));
  std::string out = ZELTestAccess::TracedOutput(
      [&] { EXPECT_EQ(E_FAIL, ZELBackboneReceiver::OpenInWindow("VPMReference", "prd-00012340", "A")); });
  EXPECT_NE(std::string::npos, out.find("GetElementsFromQueryFilter 2 Objects found\n")) << out;
  EXPECT_NE(std::string::npos, out.find("failed to open component\n")) << out;
  EXPECT_EQ(windows + 1, WindowCount());  // the first stays open
  CATPLMFailureInjection::Clear();
  EXPECT_EQ(S_OK, ZELBackboneReceiver::OpenInWindow("VPMReference", "prd-00012340", "A"));
  EXPECT_EQ(windows + 3, WindowCount());
}

// A receiver in a child process answers this process's requests.
TEST(BackboneAnswers, UtilityGetsTheReceiversAnswers) {
  PrivateBus bus;
  int ready[2];
  ASSERT_EQ(0, pipe(ready));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(ready[0]);
    CATClearBackboneJournal();  // what earlier tests of this process received
    int status = 1;
    {
      CATApplication app("3DEXPERIENCE");
      CATVar<ZELIBackboneReceiverInt> receiver = Instantiate<ZELIBackboneReceiverInt>("ZELBackboneReceiver");
      if (receiver != NULL_var && SUCCEEDED(receiver->Create())) {
        (void)!write(ready[1], "R", 1);
        status = ServeUntilJournal(3) ? 0 : 2;
        // The last answer has to leave before the process does.
        for (int i = 0; i < 5; ++i) CATDispatchInputs(20);
      }
    }
    _exit(status);
  }
  close(ready[1]);
  pollfd p{ready[0], POLLIN, 0};
  char byte = 0;
  ASSERT_EQ(1, poll(&p, 1, 30000));
  ASSERT_EQ(1, read(ready[0], &byte, 1));
  close(ready[0]);

  CATVar<ZELIBackboneUtil> util = Instantiate<ZELIBackboneUtil>("ZELBackboneUtil");
  EXPECT_EQ(0, util->CheckReceiver());
  char* answer = nullptr;
  EXPECT_EQ(0, util->SendToReceiver(1, "ZEL_OPEN", nullptr, &answer));
  EXPECT_STREQ("ZEL_OPEN finished", answer);
  free(answer);
  answer = nullptr;
  EXPECT_EQ(0, util->SendToReceiver(1, "ECHO", "x", &answer));
  EXPECT_STREQ("ECHO finished", answer);
  free(answer);

  int status = -1;
  for (int i = 0; i < 300 && waitpid(child, &status, WNOHANG) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  if (waitpid(child, &status, WNOHANG) == 0) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
