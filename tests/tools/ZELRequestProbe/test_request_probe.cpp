// The request probe program as a user runs it: what it sends, what it prints, and its exit codes.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>

#include "TestHttpServer.h"
#include "TransportFixture.h"

extern char** environ;

using namespace zeltest;

namespace {
struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs the probe with the given arguments; a run that outlives a generous limit is killed and fails.
Outcome Probe(std::vector<std::string> args) {
  const std::string program = std::string(ZEL_BINARY_DIR) + "/linux_a64/code/bin/ZELRequestProbe";
  args.insert(args.begin(), program);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int out[2], err[2];
  EXPECT_EQ(pipe(out), 0);
  EXPECT_EQ(pipe(err), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, err[0]);
  pid_t pid = -1;
  Outcome outcome;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  EXPECT_EQ(spawned, 0) << program;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* into[2] = {&outcome.out, &outcome.err};
  int open = 2;
  while (spawned == 0 && open > 0 && std::chrono::steady_clock::now() < deadline) {
    if (poll(fds, 2, 1000) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char chunk[4096];
      ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
      if (n > 0) {
        into[i]->append(chunk, static_cast<size_t>(n));
      } else {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  close(out[0]);
  close(err[0]);
  if (spawned != 0) return outcome;
  if (open > 0) {
    kill(pid, SIGKILL);
    ADD_FAILURE() << "the probe did not end";
  }
  int status = 0;
  waitpid(pid, &status, 0);
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}
class ProbeTest : public TransportTest {};
}  // namespace

TEST_F(ProbeTest, SendsWhatItIsGivenAndTellsTheOutcome) {
  TestHttpServer server(
      Answer(200, ReplyWith(Attribute("Part", "P-100"), "<Message code=\"2000\">stored</Message>")));
  Outcome outcome = Probe({"--url", server.Url("/gw"), "GetPartnumber", "Type=Part", "Items=a@EOL@b",
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
    Outcome outcome = Probe({"Login", "User=u"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.out.find("Error 4711: not allowed"), std::string::npos) << outcome.out;
  }
  {
    // A document without "Response" tells nothing about the function.
    TestHttpServer bare(Answer(200, "<ZEL/>"));
    EXPECT_EQ(Probe({"--url", bare.Url(), "Login"}).exitCode, 1);
  }
  const std::string closed = "http://127.0.0.1:" + std::to_string(ClosedPort());
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

  Outcome help = Probe({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("usage: ZELRequestProbe"), std::string::npos);
  for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{{},
                                                                            {"--url"},
                                                                            {"--bogus", "Login"},
                                                                            {"Login", "novalue"},
                                                                            {"Login", "=x"},
                                                                            {"--check", "Login"},
                                                                            {"Login", "--list", "nolist"}}) {
    Outcome outcome = Probe(bad);
    EXPECT_EQ(outcome.exitCode, 2) << testing::PrintToString(bad);
    EXPECT_NE(outcome.err.find("usage:"), std::string::npos);
  }
}
