// The shared test support itself: programs run under a bound, private directories and variables, the
// loopback server's refusal of requests no client would send.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "TestHttpServer.h"
#include "TransportFixture.h"
#include "ZELTestSupport.h"

namespace fs = std::filesystem;
using namespace zeltest;

namespace {

// Sends raw bytes to the server and returns what it answers before closing.
std::string Exchange(int port, const std::string& bytes) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  std::string answer;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    shutdown(fd, SHUT_WR);
    char chunk[4096];
    ssize_t n;
    while ((n = recv(fd, chunk, sizeof chunk, 0)) > 0) answer.append(chunk, static_cast<size_t>(n));
  }
  close(fd);
  return answer;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST(RunProgram, FeedsInputAndKeepsTheStreamsApart) {
  // More than a pipe holds in both directions at once: neither side may wait for the other.
  const std::string input(4 << 20, 'x');
  ProgramResult echoed = RunProgram({"cat"}, input);
  EXPECT_EQ(echoed.exitCode, 0);
  EXPECT_FALSE(echoed.timedOut);
  EXPECT_EQ(echoed.out.size(), input.size());
  EXPECT_EQ(echoed.out, input);

  ProgramResult split = RunProgram({"sh", "-c", "echo to-out; echo to-err >&2; exit 3"});
  EXPECT_EQ(split.exitCode, 3);
  EXPECT_EQ(split.out, "to-out\n");
  EXPECT_EQ(split.err, "to-err\n");

  // A program that never reads a large input must not take the test down with SIGPIPE.
  ProgramResult ignoring = RunProgram({"true"}, std::string(8 << 20, 'y'));
  EXPECT_EQ(ignoring.exitCode, 0);

  ProgramResult missing = RunProgram({"/no/such/program"});
  EXPECT_EQ(missing.exitCode, 127);
  EXPECT_NE(missing.err.find("/no/such/program"), std::string::npos) << missing.err;
}

TEST(RunProgram, TimeoutKillsTheProgramAndWhatItStarted) {
  const auto start = std::chrono::steady_clock::now();
  ProgramResult result =
      RunProgram({"sh", "-c", "sleep 60 & echo $!; sleep 60"}, {}, std::chrono::milliseconds(300));
  EXPECT_TRUE(result.timedOut);
  EXPECT_EQ(result.exitCode, -1);
  EXPECT_LT(SecondsSince(start), 30.0);
  // The background sleep went with its parent: gone, or a zombie waiting for its new parent to reap it.
  const fs::path stat = "/proc/" + result.out.substr(0, result.out.find('\n')) + "/stat";
  ASSERT_FALSE(result.out.empty());
  for (int i = 0; i < 100 && fs::exists(stat) && ReadFile(stat).find(") Z ") == std::string::npos; ++i)
    usleep(50000);
  EXPECT_TRUE(!fs::exists(stat) || ReadFile(stat).find(") Z ") != std::string::npos) << ReadFile(stat);

  // A program that ends while something it started still holds its output open is not waited for.
  const auto detached = std::chrono::steady_clock::now();
  ProgramResult ended = RunProgram({"sh", "-c", "sleep 5 & echo done; exit 4"}, {}, std::chrono::seconds(60));
  EXPECT_FALSE(ended.timedOut);
  EXPECT_EQ(ended.exitCode, 4);
  EXPECT_EQ(ended.out, "done\n");
  EXPECT_LT(SecondsSince(detached), 4.0);

  ProgramResult signalled = RunProgram({"sh", "-c", "kill -9 $$"});
  EXPECT_FALSE(signalled.timedOut);
  EXPECT_EQ(signalled.exitCode, -1);
}

TEST(RunProgram, EnvironmentChangesReachOnlyTheChild) {
  ScopedEnv kept("ZEL_SUPPORT_KEPT", "parent");
  ScopedEnv dropped("ZEL_SUPPORT_DROPPED", "parent");
  ProgramResult result =
      RunProgram({"env"}, {}, std::chrono::seconds(60),
                 {"ZEL_SUPPORT_NEW=child=value", "ZEL_SUPPORT_KEPT=child", "ZEL_SUPPORT_DROPPED"});
  ASSERT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("\nZEL_SUPPORT_NEW=child=value\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\nZEL_SUPPORT_KEPT=child\n"), std::string::npos);
  EXPECT_EQ(result.out.find("ZEL_SUPPORT_KEPT=parent"), std::string::npos);
  EXPECT_EQ(result.out.find("ZEL_SUPPORT_DROPPED"), std::string::npos);
  EXPECT_STREQ(getenv("ZEL_SUPPORT_KEPT"), "parent");
  EXPECT_STREQ(getenv("ZEL_SUPPORT_DROPPED"), "parent");
  EXPECT_EQ(getenv("ZEL_SUPPORT_NEW"), nullptr);
}

TEST(Scoped, DirectoriesAndVariablesLeaveNothingBehind) {
  fs::path kept;
  {
    TempDir first("zel-support"), second("zel-support");
    kept = first.Path();
    EXPECT_NE(first.Path(), second.Path());
    EXPECT_EQ(first.Path().parent_path(), fs::temp_directory_path());
    ASSERT_TRUE(WriteFile(first / "a/b/c.txt", "deep"));
    EXPECT_EQ(ReadFile(first / "a/b/c.txt"), "deep");
  }
  EXPECT_FALSE(fs::exists(kept));
  EXPECT_EQ(ReadFile(kept / "a/b/c.txt"), "");

  unsetenv("ZEL_SUPPORT_VAR");
  {
    ScopedEnv set("ZEL_SUPPORT_VAR", "outer");
    {
      ScopedEnv unset("ZEL_SUPPORT_VAR", nullptr);
      EXPECT_EQ(getenv("ZEL_SUPPORT_VAR"), nullptr);
    }
    EXPECT_STREQ(getenv("ZEL_SUPPORT_VAR"), "outer");
  }
  EXPECT_EQ(getenv("ZEL_SUPPORT_VAR"), nullptr);
}

TEST(Runtime, ProgramsPortsAndPrivateDatabases) {
  EXPECT_TRUE(fs::is_regular_file(RuntimeProgram("ZELRequestProbe")));
  EXPECT_EQ(RuntimeProgram("x").parent_path(), RuntimeRoot() / "code" / "bin");

  TempDir dir;
  const fs::path database = SeededPlmDatabase(dir.Path());
  EXPECT_EQ(database.parent_path(), dir.Path());
  EXPECT_EQ(fs::file_size(database), fs::file_size(RuntimeRoot() / "resources/plm/PLMDemo.db"));
  EXPECT_TRUE(WriteFile(database, "changed"));  // the copy is private and writable
  EXPECT_NE(fs::file_size(RuntimeRoot() / "resources/plm/PLMDemo.db"), 7u);

  const int port = FreePort();
  EXPECT_GT(port, 0);
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);
}

TEST(TestHttpServer, RecordsRequestsAndRefusesWhatNoClientSends) {
  TestHttpServer server(Answer(200, "fine", "text/plain"));
  const std::string answer =
      Exchange(server.Port(), "POST /gw/ZELRequest HTTP/1.1\r\nHost: x\r\nContent-Length: 4\r\n\r\nbody");
  EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << answer;
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].method, "POST");
  EXPECT_EQ(server.Requests()[0].target, "/gw/ZELRequest");
  EXPECT_EQ(server.Requests()[0].Header("content-length"), "4");
  EXPECT_EQ(server.Requests()[0].body, "body");

  // None of these is recorded or answered, and the server goes on serving.
  EXPECT_EQ(Exchange(server.Port(), "POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n"), "");
  EXPECT_EQ(Exchange(server.Port(), "POST / HTTP/1.1\r\nContent-Length: 99999999999999999999\r\n\r\n"), "");
  EXPECT_EQ(Exchange(server.Port(), "POST / HTTP/1.1\r\nContent-Length: 1x\r\n\r\n"), "");
  EXPECT_EQ(Exchange(server.Port(), "POST / HTTP/1.1\r\nX: " + std::string(TestHttpServer::kMaxHead, 'h')),
            "");
  EXPECT_EQ(Exchange(server.Port(), "NOSPACE\r\n\r\n"), "");
  EXPECT_EQ(Exchange(server.Port(), "GET / HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200", 0), 0u);
  EXPECT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(server.Connections(), 7);
}

TEST(TransportFixture, HidesTheMachineSettingsAndRestoresThemAfterwards) {
  struct Probe : TransportTest {
    void TestBody() override {}
    using TransportTest::dir_;
    using TransportTest::SetUp;
    using TransportTest::TearDown;
  };
  ScopedEnv proxy("http_proxy", "http://proxy.invalid:1");
  ScopedEnv url("ZEL_SERVER_URL", nullptr);
  const char* settings = getenv("CATUserSettingPath");
  const std::string settingsBefore = settings ? settings : "<unset>";
  {
    Probe probe;
    probe.SetUp();
    EXPECT_EQ(getenv("http_proxy"), nullptr);
    EXPECT_STREQ(getenv("no_proxy"), "127.0.0.1,localhost");
    EXPECT_EQ(fs::path(getenv("CATUserSettingPath")), probe.dir_ / "settings");
    setenv("ZEL_SERVER_URL", "http://set.by.the.test", 1);
    probe.TearDown();
  }
  EXPECT_STREQ(getenv("http_proxy"), "http://proxy.invalid:1");
  EXPECT_EQ(getenv("ZEL_SERVER_URL"), nullptr);
  settings = getenv("CATUserSettingPath");
  EXPECT_EQ(settings ? settings : "<unset>", settingsBefore);
}
