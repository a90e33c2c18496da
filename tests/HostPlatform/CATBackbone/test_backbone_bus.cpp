// The bus: its directory, declarations, requests and answers in one process and between processes, and
// what it does with peers that misbehave.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "CATBackboneBus.h"
#include "CATBackboneCommunicator.h"
#include "CATBackboneFrameReader.h"
#include "CATBackboneJournal.h"
#include "CATBackboneSocket.h"
#include "CATEventLoopInputs.h"
#include "CATIMessageReceiver.h"
#include "ChildProcess.h"
#include "ZELTestSupport.h"
#include "backbone_test_message.h"

CATImplementComponent(CATBBTestMessage);

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kPeer = std::string(ZEL_BINARY_DIR) + "/tests/CATBackboneTestPeer";

class TestReceiver : public CATIMessageReceiver {
 public:
  explicit TestReceiver(std::function<void(CATICommMsg*)> handle) : handle_(std::move(handle)) {}
  void HandleMessage(CATICommMsg* iMessage) override {
    ++calls;
    handle_(iMessage);
  }
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<CATIMessageReceiver>(this, iid, out);
  }
  int calls = 0;

 private:
  std::function<void(CATICommMsg*)> handle_;
};

// Answers with "echo" and the request's items.
void Echo(CATICommMsg* request) {
  auto* answer = new CATBBTestMessage;
  answer->items = {"echo"};
  if (CATBBTestMessage* received = CATBBTestMessage::From(request))
    answer->items.insert(answer->items.end(), received->items.begin(), received->items.end());
  EXPECT_EQ(S_OK, request->SendAnswer(answer->Comm()));
  answer->Release();
}

struct Outcome {
  HRESULT rc = E_FAIL;
  int errorId = 0;
  std::vector<std::string> items;
};

std::vector<std::string> Items(std::initializer_list<const char*> texts) {
  return std::vector<std::string>(texts.begin(), texts.end());
}

int Connect(const std::string& path) {
  int fd = CATBBConnectPath(path);
  EXPECT_GE(fd, 0) << path;
  return fd;
}

// Whether the other end has closed the connection (an end of file is waiting).
bool ClosedBySession(int fd) {
  char byte;
  return recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

void SendRaw(int fd, const std::string& bytes) {
  std::string reason;
  EXPECT_TRUE(CATBBWriteAll(fd, bytes, 5000, &reason)) << reason;
}

std::string Header(uint8_t kind, uint32_t requestId, uint32_t length) {
  std::string out = "CATB";
  out += {1, static_cast<char>(kind), 0, 0};
  for (uint32_t value : {requestId, length})
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return out;
}

class BusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CATClearBackboneJournal();
    bus_ = CATGetBackboneConnection(CATGetDefaultBus(), 0);
    ASSERT_NE(nullptr, bus_);
    requester_ = new CATBackboneCommunicator(dir_.string());
  }
  void TearDown() override {
    if (bus_) {
      EXPECT_EQ(0u, bus_->Release());
    }
    requester_->Release();
  }

  // Serves the event loop until done() or 10 s have passed.
  static bool Pump(const std::function<bool()>& done) {
    auto end = std::chrono::steady_clock::now() + 10s;
    while (!done() && std::chrono::steady_clock::now() < end) CATDispatchInputs(20);
    return done();
  }
  static size_t Served() { return CATGetBackboneJournal().size(); }

  // One request of a test message, sent by the requester; in one process the bus is served until the request
  // has been handled.
  Outcome Ask(const char* target, std::vector<std::string> items, bool serveHere, int timeout = 20,
              const char* className = "CATBBTestMessage") {
    auto* request = new CATBBTestMessage;
    request->items = std::move(items);
    request->className = className;
    request->Comm()->SetMessageSpecifications(CATBBNeedAnswer);
    Outcome outcome;
    const size_t served = Served();
    outcome.rc = requester_->SendRequest(target, request->Comm());
    if (SUCCEEDED(outcome.rc)) {
      if (serveHere) {
        EXPECT_TRUE(Pump([&] { return Served() > served; }));
      }
      CATICommMsg* answer = nullptr;
      outcome.rc = requester_->GetRequestAnswer(request->Comm(), &answer, timeout);
      if (CATBBTestMessage* message = CATBBTestMessage::From(answer)) outcome.items = message->items;
      if (answer) answer->Release();
    }
    if (FAILED(outcome.rc)) requester_->GetLastErrorId(&outcome.errorId);
    request->Release();
    return outcome;
  }
  // A receiver that only the bus holds.
  static TestReceiver* Associate(CATICommunicator* bus, const char* application, const char* className,
                                 std::function<void(CATICommMsg*)> handle) {
    auto* receiver = new TestReceiver(std::move(handle));
    EXPECT_EQ(S_OK, bus->AssociateReceiver(application, className, receiver));
    receiver->Release();
    return receiver;
  }
  TestReceiver* Receive(const char* application, std::function<void(CATICommMsg*)> handle,
                        const char* className = "CATBBTestMessage") {
    EXPECT_EQ(S_OK, bus_->Declare(application, 0));
    return Associate(bus_, application, className, std::move(handle));
  }
  std::string SocketOf(const char* application) const {
    auto sockets = CATBBApplicationSockets(dir_.string(), application);
    return sockets.empty() ? std::string() : sockets.front();
  }
  CATBackboneCommunicator* Communicator() const { return static_cast<CATBackboneCommunicator*>(bus_); }

  zeltest::TempDir tmp_{"catbb"};
  fs::path dir_ = tmp_ / "bus";
  zeltest::ScopedEnv env_{"CATBackboneDirectory", dir_.c_str()};
  CATICommunicator* bus_ = nullptr;
  // A second connection in this process, so that it can ask the applications bus_ declares: a connection
  // refuses to wait for an answer from its own applications.
  CATICommunicator* requester_ = nullptr;
};

class PeerProcess {
 public:
  PeerProcess(const char* application, const char* tag, const char* mode)
      : process_({kPeer, "serve", application, tag, mode}) {
    EXPECT_EQ("ready", process_.ReadLine(30s).value_or("(no line)")) << process_.ReadAllErrors(1s);
  }
  zeltest::ChildProcess& Process() { return process_; }
  void Kill() {
    process_.Signal(SIGKILL);
    EXPECT_EQ(128 + SIGKILL, process_.Wait(10s));
  }

 private:
  zeltest::ChildProcess process_;
};

TEST(BusDirectory, IsCreatedPrivateAndUnsafeOnesAreRefused) {
  zeltest::TempDir tmp("catbbdir");
  auto refusedWith = [](const fs::path& dir, const std::string& why) {
    zeltest::ScopedEnv env("CATBackboneDirectory", dir.c_str());
    testing::internal::CaptureStderr();
    EXPECT_EQ(nullptr, CATGetDefaultBus()) << dir;
    EXPECT_EQ(nullptr, CATGetBackboneConnection(nullptr, 0));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ("CATBackbone: the bus directory " + dir.string() + " " + why + "; refusing it\n", err);
  };
  {
    zeltest::ScopedEnv env("CATBackboneDirectory", (tmp / "fresh").c_str());
    EXPECT_EQ((tmp / "fresh").string(), CATGetBackboneDirectory());
    ASSERT_NE(nullptr, CATGetDefaultBus());
    struct stat info {};
    ASSERT_EQ(0, lstat((tmp / "fresh").c_str(), &info));
    EXPECT_EQ(0700u, info.st_mode & 07777);
  }
  fs::create_directory(tmp / "open");
  chmod((tmp / "open").c_str(), 0755);
  refusedWith(tmp / "open", "is open to other users (mode 0755)");
  fs::create_directory_symlink(tmp / "fresh", tmp / "link");
  refusedWith(tmp / "link", "is not a directory (it is a symbolic link)");
  zeltest::WriteFile(tmp / "file", "x");
  refusedWith(tmp / "file", "is not a directory");
  refusedWith(tmp / "missing" / "bus", "cannot be created (No such file or directory)");

  zeltest::ScopedEnv unset("CATBackboneDirectory", nullptr);
  {
    zeltest::ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/4242");
    EXPECT_EQ("/run/user/4242/CATBackbone", CATGetBackboneDirectory());
  }
  zeltest::ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
  EXPECT_EQ("/tmp/CATBackbone-" + std::to_string(geteuid()), CATGetBackboneDirectory());
}

TEST(BusDirectory, OtherUsersDirectoryAndSocketsAreNotUsed) {
  if (geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
  zeltest::TempDir tmp("catbbdir");
  const uid_t nobody = 65534;
  fs::create_directory(tmp / "foreign");
  chmod((tmp / "foreign").c_str(), 0700);
  ASSERT_EQ(0, chown((tmp / "foreign").c_str(), nobody, nobody));
  {
    zeltest::ScopedEnv env("CATBackboneDirectory", (tmp / "foreign").c_str());
    testing::internal::CaptureStderr();
    EXPECT_EQ(nullptr, CATGetDefaultBus());
    EXPECT_EQ("CATBackbone: the bus directory " + (tmp / "foreign").string() +
                  " belongs to user 65534; refusing it\n",
              testing::internal::GetCapturedStderr());
  }

  // A socket of another user inside our directory is never connected to, nor removed.
  zeltest::ScopedEnv env("CATBackboneDirectory", (tmp / "bus").c_str());
  CATICommunicator* bus = CATGetBackboneConnection(CATGetDefaultBus(), 0);
  ASSERT_NE(nullptr, bus);
  const std::string path = (tmp / "bus" / "Foreign.00000000000000000001.1.sock").string();
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, path.c_str());
  ASSERT_EQ(0, bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address));
  ASSERT_EQ(0, listen(fd, 4));
  ASSERT_EQ(0, chown(path.c_str(), nobody, nobody));
  auto* request = new CATBBTestMessage;
  testing::internal::CaptureStderr();
  EXPECT_EQ(E_FAIL, bus->SendRequest("Foreign", request->Comm()));
  EXPECT_EQ("CATBackbone: skipped " + path + ": belongs to user 65534\n",
            testing::internal::GetCapturedStderr());
  int errorId = 0;
  EXPECT_EQ(S_OK, bus->GetLastErrorId(&errorId));
  EXPECT_EQ(CATBBErrorTargetNotPresent, errorId);
  EXPECT_TRUE(fs::exists(path));
  pollfd p{fd, POLLIN, 0};
  EXPECT_EQ(0, poll(&p, 1, 0)) << "nothing connected to it";
  close(fd);
  request->Release();
  bus->Release();
}

TEST_F(BusTest, DeclaringBindsOnePrivateSocketPerApplication) {
  int errorId = 0;
  EXPECT_EQ(E_FAIL, bus_->GetLastErrorId(&errorId)) << "nothing failed yet";
  testing::internal::CaptureStderr();
  for (const char* bad : {"", "has space", "slash/name", "x\n"})
    EXPECT_EQ(E_FAIL, bus_->Declare(bad, 0)) << bad;
  EXPECT_EQ(E_FAIL, bus_->Declare(nullptr, 0));
  EXPECT_EQ(E_FAIL, bus_->Declare(std::string(65, 'a').c_str(), 0));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(S_OK, bus_->GetLastErrorId(&errorId));
  EXPECT_EQ(CATBBErrorDeclarePort, errorId);

  ASSERT_EQ(S_OK, bus_->Declare("Zel.App-1_x", 0));
  EXPECT_EQ(S_OK, bus_->Declare("Zel.App-1_x", 0));
  ASSERT_EQ(S_OK, bus_->Declare("Other", 0));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
  ASSERT_EQ(2u, names.size());
  const std::string own = SocketOf("Zel.App-1_x");
  ASSERT_FALSE(own.empty());
  const std::string name = fs::path(own).filename().string();
  EXPECT_EQ("Zel.App-1_x.", name.substr(0, 12));
  EXPECT_EQ("." + std::to_string(getpid()) + ".sock", name.substr(12 + 20));
  struct stat info {};
  ASSERT_EQ(0, lstat(own.c_str(), &info));
  EXPECT_TRUE(S_ISSOCK(info.st_mode));
  EXPECT_EQ(0600u, info.st_mode & 07777);

  {
    // A socket path that does not fit is a clear failure, not a truncated name.
    zeltest::ScopedEnv deep("CATBackboneDirectory", (tmp_ / std::string(90, 'd')).c_str());
    CATICommunicator* other = CATGetBackboneConnection(CATGetDefaultBus(), 0);
    ASSERT_NE(nullptr, other);
    ASSERT_NE(bus_, other);
    testing::internal::CaptureStderr();
    EXPECT_EQ(E_FAIL, other->Declare("Receiver", 0));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("is too long"));
    EXPECT_EQ(S_OK, other->GetLastErrorId(&errorId));
    EXPECT_EQ(CATBBErrorDeclarePort, errorId);
    EXPECT_EQ(0u, other->Release());
  }

  // The connection goes with its last reference, and its sockets with it.
  CATICommunicator* again = CATGetBackboneConnection(CATGetDefaultBus(), 0);
  EXPECT_EQ(bus_, again);
  again->Release();
  EXPECT_EQ(0u, bus_->Release());
  bus_ = nullptr;
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(BusTest, RequestAndAnswerInOneProcessAreJournaled) {
  TestReceiver* receiver = Receive("Here", Echo);
  Outcome outcome = Ask("Here", Items({"ZEL_OPEN", "", "info"}), true);
  EXPECT_EQ(S_OK, outcome.rc);
  EXPECT_EQ(Items({"echo", "ZEL_OPEN", "", "info"}), outcome.items);
  EXPECT_EQ(1, receiver->calls);

  // Without CATBBNeedAnswer the handler still runs, and there is nothing to wait for.
  bool sawSpecification = false;
  auto* quiet = Receive("Quiet", [&](CATICommMsg* message) {
    sawSpecification = message->GetMessageSpecifications() == 0;
    EXPECT_EQ(E_FAIL, message->SendAnswer(message));
  });
  auto* request = new CATBBTestMessage;
  request->items = {"fire", "forget"};
  CATICommMsg* answer = nullptr;
  int errorId = 0;
  EXPECT_EQ(E_FAIL, bus_->GetRequestAnswer(request->Comm(), &answer, 1));
  bus_->GetLastErrorId(&errorId);
  EXPECT_EQ(CATBBErrorInvalidAnswerPort, errorId) << "never sent";
  ASSERT_EQ(S_OK, bus_->SendRequest("Quiet", request->Comm()));
  EXPECT_TRUE(Pump([&] { return quiet->calls == 1; }));
  EXPECT_TRUE(sawSpecification);
  EXPECT_EQ(E_FAIL, bus_->GetRequestAnswer(request->Comm(), &answer, 1));
  bus_->GetLastErrorId(&errorId);
  EXPECT_EQ(CATBBErrorNoAnswerNeeded, errorId);
  EXPECT_EQ(nullptr, answer);
  request->Release();

  // A message without CATIStreamMsg cannot travel.
  auto* plain = new CATBBMessage;
  CATICommMsg_var plainComm(static_cast<CATBaseUnknown*>(plain));
  EXPECT_EQ(E_FAIL, bus_->SendRequest("Here", plainComm));
  bus_->GetLastErrorId(&errorId);
  EXPECT_EQ(CATBBErrorNoStreamMsg, errorId);
  plain->Release();

  // Nothing goes out that cannot be streamed: a class name the receiving side could not look up, a body
  // over the frame limit.
  auto* unsendable = new CATBBTestMessage;
  unsendable->className = "not a class";
  EXPECT_EQ(E_FAIL, bus_->SendRequest("Here", unsendable->Comm()));
  bus_->GetLastErrorId(&errorId);
  EXPECT_EQ(CATBBErrorStream, errorId);
  unsendable->className = "CATBBTestMessage";
  unsendable->items = {std::string(kCATBackboneMaxPayload, 'x')};
  errorId = 0;
  EXPECT_EQ(E_FAIL, bus_->SendRequest("Here", unsendable->Comm()));
  bus_->GetLastErrorId(&errorId);
  EXPECT_EQ(CATBBErrorStream, errorId);
  unsendable->Release();

  const std::vector<CATBackboneJournalEntry> journal = CATGetBackboneJournal();
  ASSERT_EQ(2u, journal.size());
  EXPECT_EQ("Here", journal[0].application);
  EXPECT_EQ("CATBBTestMessage", journal[0].messageClass);
  EXPECT_EQ(Items({"ZEL_OPEN", "", "info"}), journal[0].items);
  EXPECT_TRUE(journal[0].answerWanted);
  EXPECT_TRUE(journal[0].answered);
  EXPECT_EQ(Items({"echo", "ZEL_OPEN", "", "info"}), journal[0].answerItems);
  EXPECT_EQ("", journal[0].error);
  EXPECT_EQ(Items({"fire", "forget"}), journal[1].items);
  EXPECT_FALSE(journal[1].answerWanted);
  EXPECT_FALSE(journal[1].answered);
}

TEST_F(BusTest, AProcessDoesNotWaitForItsOwnAnswer) {
  TestReceiver* receiver = Receive("Self", [](CATICommMsg*) {});
  auto* request = new CATBBTestMessage;
  request->Comm()->SetMessageSpecifications(CATBBNeedAnswer);
  testing::internal::CaptureStderr();
  EXPECT_EQ(E_FAIL, bus_->SendRequest("Self", request->Comm()));
  EXPECT_EQ("CATBackbone: a CATBBTestMessage request to Self would wait for this process itself; not sent\n",
            testing::internal::GetCapturedStderr());
  int errorId = 0;
  bus_->GetLastErrorId(&errorId);
  EXPECT_EQ(CATBBErrorReentrance, errorId);
  CATICommMsg* answer = nullptr;
  EXPECT_EQ(E_FAIL, bus_->GetRequestAnswer(request->Comm(), &answer, 0));
  // Without an answer to wait for, the request is served by the event loop later.
  request->Comm()->SetMessageSpecifications(0);
  EXPECT_EQ(S_OK, bus_->SendRequest("Self", request->Comm()));
  EXPECT_TRUE(Pump([&] { return receiver->calls == 1; }));
  request->Release();
}

TEST_F(BusTest, AnAnswerGoesOnceWhileTheRequestIsBeingHandled) {
  CATICommMsg* kept = nullptr;
  Receive("Twice", [&](CATICommMsg* request) {
    Echo(request);
    EXPECT_EQ(E_FAIL, request->SendAnswer(request)) << "answered already";
    if (kept) return;
    kept = request;
    kept->AddRef();
  });
  EXPECT_EQ(S_OK, Ask("Twice", Items({"a"}), true).rc);
  ASSERT_NE(nullptr, kept);
  EXPECT_EQ(E_FAIL, kept->SendAnswer(kept)) << "the connection closed with the handler";
  kept->Release();

  // A handler that does not answer closes the connection: the requester learns it at once.
  Receive("Mute", [](CATICommMsg*) {});
  Outcome mute = Ask("Mute", Items({"b"}), true);
  EXPECT_EQ(CATBBErrorReceiveSocket, mute.errorId);
  EXPECT_EQ("the receiver did not answer", CATGetBackboneJournal().back().error);

  // A requester that went away: the answer fails, with a line, and the session goes on.
  HRESULT answered = S_OK;
  auto* gone = Receive("Gone", [&](CATICommMsg* request) {
    auto* answer = new CATBBTestMessage;
    answered = request->SendAnswer(answer->Comm());
    answer->Release();
  });
  auto* request = new CATBBTestMessage;
  request->Comm()->SetMessageSpecifications(CATBBNeedAnswer);
  ASSERT_EQ(S_OK, requester_->SendRequest("Gone", request->Comm()));
  request->Release();  // closes its end of the connection
  testing::internal::CaptureStderr();
  EXPECT_TRUE(Pump([&] { return gone->calls == 1; }));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(E_FAIL, answered);
  EXPECT_NE(std::string::npos,
            err.find("CATBackbone: the answer to a CATBBTestMessage request could not be delivered"))
      << err;
  EXPECT_EQ(S_OK, Ask("Twice", Items({"c"}), true).rc);
}

TEST_F(BusTest, FailuresOnTheReceivingSideReachTheRequester) {
  CATRegisterComponent("CATBBNullObject", []() -> CATBaseUnknown* { return nullptr; });
  CATRegisterComponent("CATBBPlainObject", []() -> CATBaseUnknown* { return new CATBaseUnknown; });
  Receive("Strict", Echo);
  for (const char* name : {"CATBBNoSuchClass", "CATBBNullObject", "CATBBPlainObject"})
    Associate(bus_, "Strict", name, Echo);
  const std::tuple<const char*, int, std::string> cases[] = {
      {"CATBBUnassociated", CATBBErrorClassNotFound, "no receiver for this message class"},
      {"CATBBNoSuchClass", CATBBErrorClassNotFound, "message class not found"},
      {"CATBBNullObject", CATBBErrorInstantiate, "unable to instanciate message object"},
      {"CATBBPlainObject", CATBBErrorNoStreamMsg, "message object does not implement CATIStreamMsg"},
  };
  for (const auto& [name, errorId, why] : cases) {
    Outcome outcome = Ask("Strict", Items({"x"}), true, 20, name);
    EXPECT_EQ(E_FAIL, outcome.rc) << name;
    EXPECT_EQ(errorId, outcome.errorId) << name;
    EXPECT_EQ(why, CATGetBackboneJournal().back().error) << name;
  }

  // A body the message class cannot read.
  auto* request = new CATBBTestMessage;
  request->useRawBody = true;
  request->rawBody = "\x05\0\0\0ab";
  request->Comm()->SetMessageSpecifications(CATBBNeedAnswer);
  ASSERT_EQ(S_OK, requester_->SendRequest("Strict", request->Comm()));
  size_t served = CATGetBackboneJournal().size();
  EXPECT_TRUE(Pump([&] { return CATGetBackboneJournal().size() > served; }));
  CATICommMsg* answer = nullptr;
  int errorId = 0;
  EXPECT_EQ(E_FAIL, requester_->GetRequestAnswer(request->Comm(), &answer, 10));
  requester_->GetLastErrorId(&errorId);
  EXPECT_EQ(CATBBErrorUnstream, errorId);
  request->Release();

  // Dissociated: the class is no longer served.
  auto* stranger = new TestReceiver(Echo);
  EXPECT_EQ(E_FAIL, bus_->DissociateReceiver("Strict", "CATBBTestMessage", stranger));
  stranger->Release();
  EXPECT_EQ(S_OK, bus_->DissociateReceiver("Strict", "CATBBTestMessage", nullptr));
  EXPECT_EQ(CATBBErrorClassNotFound, Ask("Strict", Items({"y"}), true).errorId);

  // Nobody declared the target.
  EXPECT_EQ(CATBBErrorTargetNotPresent, Ask("Nobody", Items({"z"}), false).errorId);
  EXPECT_STREQ("TargetApplicationNotPresent", CATBackboneErrorText(CATBBErrorTargetNotPresent));
}

TEST_F(BusTest, AnAnswerThatDoesNotComeInTimeIsATimeOut) {
  zeltest::ScopedEnv timeout("CATBackboneTimeout", "1");
  ASSERT_EQ(S_OK, bus_->Declare("Slow", 0));  // never served while the requester waits
  auto start = std::chrono::steady_clock::now();
  Outcome outcome = Ask("Slow", Items({"wait"}), false, -1);
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(CATBBErrorTimeout, outcome.errorId);
  EXPECT_GE(waited, 900ms);
  EXPECT_LT(waited, 30s);
  EXPECT_EQ(CATBBErrorTimeout, Ask("Slow", Items({"now"}), false, 0).errorId);
}

TEST_F(BusTest, HostilePeersAreDroppedAndTheSessionServesTheNextRequest) {
  TestReceiver* receiver = Receive("Guard", Echo);
  const std::string path = SocketOf("Guard");
  ASSERT_FALSE(path.empty());
  testing::internal::CaptureStderr();
  int garbage = Connect(path);
  SendRaw(garbage, "GET / HTTP/1.1\r\nHost: x\r\n\r\n");
  int huge = Connect(path);
  SendRaw(huge, Header(1, 1, 0xFFFFFFFFu));
  int cut = Connect(path);
  SendRaw(cut, CATBackboneEncodeFrame(CATBackboneFrame{CATBackboneFrameKind::Request, true, 2, "Guard",
                                                       "CATBBTestMessage", std::string(100, 'b'), 0})
                   .substr(0, 60));
  shutdown(cut, SHUT_WR);
  int answerFrame = Connect(path);
  CATBackboneFrame stray;
  stray.kind = CATBackboneFrameKind::Error;
  SendRaw(answerFrame, CATBackboneEncodeFrame(stray));
  const int raw[] = {garbage, huge, cut, answerFrame};
  EXPECT_TRUE(Pump([&] { return std::all_of(std::begin(raw), std::end(raw), ClosedBySession); }));
  EXPECT_EQ(0u, Communicator()->PeerCount());
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, err.find("CATBackbone: dropped peer: bad magic\n")) << err;
  EXPECT_NE(std::string::npos,
            err.find("CATBackbone: dropped peer: frame of 4294967295 bytes is over the limit\n"))
      << err;
  EXPECT_NE(std::string::npos, err.find("CATBackbone: dropped peer: closed in the middle of a frame\n"))
      << err;
  EXPECT_NE(std::string::npos,
            err.find("CATBackbone: dropped peer: an answer or error frame where a request"))
      << err;
  for (int fd : raw) close(fd);

  // Connections that never finish a frame cannot crowd out a request: the least recently active goes.
  std::vector<int> idle;
  testing::internal::CaptureStderr();
  for (int i = 0; i < 40; ++i) {
    idle.push_back(Connect(path));
    SendRaw(idle.back(), "CATB");
    CATDispatchInputs(0);
    CATDispatchInputs(0);
  }
  Outcome outcome = Ask("Guard", Items({"still here"}), true);
  err = testing::internal::GetCapturedStderr();
  EXPECT_LE(Communicator()->PeerCount(), kCATBackboneMaxPeers);
  EXPECT_EQ(Items({"echo", "still here"}), outcome.items);
  EXPECT_NE(std::string::npos, err.find("dropped peer: too many connections")) << err;
  EXPECT_EQ(1, receiver->calls);
  for (int fd : idle) close(fd);
}

TEST_F(BusTest, BrokenOrUnreadableAnswersAreFailures) {
  // A stand-in receiver that reads the request and answers each connection by the next scenario.
  const std::string path = (dir_ / "Broken.99999999999999999999.1.sock").string();
  int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, path.c_str());
  ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address));
  ASSERT_EQ(0, listen(listener, 8));
  const int expected[] = {CATBBErrorReceiveSocket, CATBBErrorReceiveSocket, CATBBErrorReceiveSocket,
                          CATBBErrorReceiveSocket, CATBBErrorClassNotFound, CATBBErrorUnstream};
  const std::vector<std::function<std::string(uint32_t)>> scenarios = {
      [](uint32_t id) {  // dies in the middle of the answer
        return CATBackboneEncodeFrame(
                   {CATBackboneFrameKind::Answer, false, id, "", "CATBBTestMessage", "abcdef", 0})
            .substr(0, 20);
      },
      [](uint32_t id) {  // answers another request
        return CATBackboneEncodeFrame(
            {CATBackboneFrameKind::Answer, false, id + 1, "", "CATBBTestMessage", "", 0});
      },
      [](uint32_t id) { return Header(2, id, 0xFFFFFFFFu) + "...."; },  // announces 4 GiB
      [](uint32_t) { return std::string(); },                           // closes without a word
      [](uint32_t id) {  // an answer of a class this process does not know
        return CATBackboneEncodeFrame(
            {CATBackboneFrameKind::Answer, false, id, "", "CATBBNoSuchClass", "", 0});
      },
      [](uint32_t id) {  // a body the answer's class cannot read
        return CATBackboneEncodeFrame(
            {CATBackboneFrameKind::Answer, false, id, "", "CATBBTestMessage", "xyz", 0});
      },
  };
  std::thread server([&] {
    for (const auto& scenario : scenarios) {
      int fd = accept(listener, nullptr, nullptr);
      if (fd < 0) return;
      CATBackboneFrameReader reader;
      char chunk[4096];
      CATBackboneFrameReader::Status status = CATBackboneFrameReader::kNeedMore;
      while (status == CATBackboneFrameReader::kNeedMore) {
        ssize_t n = recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) break;
        std::string_view input(chunk, static_cast<size_t>(n));
        status = reader.Feed(input);
      }
      std::string reply = scenario(reader.Frame().requestId);
      if (!reply.empty()) send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
      close(fd);
    }
  });
  testing::internal::CaptureStderr();
  for (size_t i = 0; i < scenarios.size(); ++i) {
    Outcome outcome = Ask("Broken", Items({"x"}), false);
    EXPECT_EQ(expected[i], outcome.errorId) << "scenario " << i;
    EXPECT_TRUE(outcome.items.empty());
  }
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, err.find("bad answer frame: frame of 4294967295 bytes is over the limit"))
      << err;
  server.join();
  close(listener);
}

TEST_F(BusTest, RequestsAndAnswersCrossProcesses) {
  PeerProcess peer("Peer", "one", "answer");
  EXPECT_EQ(Items({"one", "answered", "hello", "", "world"}),
            Ask("Peer", Items({"hello", "", "world"}), false).items);
  EXPECT_EQ(CATBBErrorClassNotFound, Ask("Peer", Items({"x"}), false, 20, "CATBBNoSuchClass").errorId);

  // The other way round: another process asks this one.
  Receive("TestSide", Echo);
  zeltest::ChildProcess sender({kPeer, "send", "TestSide", "from the peer"});
  std::optional<int> exitCode;
  EXPECT_TRUE(Pump([&] { return exitCode || (exitCode = sender.Wait(0ms)); }));
  EXPECT_EQ(0, exitCode.value_or(-1)) << sender.ReadAllErrors(1s);
  EXPECT_EQ("answer echo|from the peer", sender.ReadLine(5s).value_or(""));
  // The sender kept its connection to the end, as a session does: its socket went at exit all the same.
  EXPECT_TRUE(CATBBApplicationSockets(dir_.string(), "CATBBTestSender").empty());
}

TEST_F(BusTest, TheNewestLiveInstanceIsAddressedAndDeadOnesAreCleanedUp) {
  PeerProcess older("Twin", "older", "answer");
  const std::string olderSocket = SocketOf("Twin");
  PeerProcess newer("Twin", "newer", "answer");
  const std::string newerSocket = SocketOf("Twin");
  ASSERT_NE(olderSocket, newerSocket);
  EXPECT_EQ("newer", Ask("Twin", Items({"1"}), false).items.at(0));

  newer.Kill();
  ASSERT_TRUE(fs::exists(newerSocket)) << "a killed process leaves its socket";
  EXPECT_EQ("older", Ask("Twin", Items({"2"}), false).items.at(0));
  EXPECT_FALSE(fs::exists(newerSocket));

  older.Kill();
  EXPECT_EQ(CATBBErrorTargetNotPresent, Ask("Twin", Items({"3"}), false).errorId);
  EXPECT_FALSE(fs::exists(olderSocket));

  // A dead instance's socket does not stand in the way of the next declaration, which removes it.
  PeerProcess dead("Twin", "dead", "answer");
  const std::string deadSocket = SocketOf("Twin");
  dead.Kill();
  ASSERT_EQ(S_OK, bus_->Declare("Twin", 0));
  EXPECT_FALSE(fs::exists(deadSocket));
  EXPECT_EQ(1u, CATBBApplicationSockets(dir_.string(), "Twin").size());

  // A file of that name that is not a socket is passed over with a line.
  zeltest::WriteFile(dir_ / "Fake.00000000000000000001.1.sock", "");
  testing::internal::CaptureStderr();
  EXPECT_EQ(CATBBErrorTargetNotPresent, Ask("Fake", Items({"4"}), false).errorId);
  EXPECT_EQ(
      "CATBackbone: skipped " + (dir_ / "Fake.00000000000000000001.1.sock").string() + ": not a socket\n",
      testing::internal::GetCapturedStderr());
}

TEST_F(BusTest, APeerThatDiesBeforeAnsweringIsAReceiveFailure) {
  PeerProcess peer("Dying", "x", "exit");
  EXPECT_EQ(CATBBErrorReceiveSocket, Ask("Dying", Items({"bye"}), false).errorId);
  EXPECT_EQ(3, peer.Process().Wait(10s));
}

}  // namespace
