// The listener's pieces in process: the upgrade request reader, the hexadecimal text, the response cut and
// the dispatch of a message to a launcher that records its arguments.
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "CommandDispatcher.h"
#include "HandshakeRequest.h"
#include "LauncherRun.h"
#include "ListenerTestLog.h"
#include "ZELTestSupport.h"

namespace {

TEST(HandshakeRequestTest, TheRequestEndsAtTheFirstBlankLine) {
  EXPECT_EQ(HandshakeRequest::HeaderEnd("GET / HTTP/1.1\r\nHost: x\r\n"), 0u);
  EXPECT_EQ(HandshakeRequest::HeaderEnd("GET / HTTP/1.1\r\nHost: x\r\n\r"), 0u);
  EXPECT_EQ(HandshakeRequest::HeaderEnd("GET / HTTP/1.1\r\nHost: x\r\n\r\n\x81\x85"), 27u);
  EXPECT_EQ(HandshakeRequest::HeaderEnd("GET / HTTP/1.1\nHost: x\n\nrest"), 24u);
  EXPECT_EQ(HandshakeRequest::HeaderEnd(""), 0u);
}

TEST(HandshakeRequestTest, HeadersAreTheLinesWithAColonAfterTheRequestLine) {
  CapturedConsole console;
  ListenerLog log(console.File());
  std::vector<HttpHeader> headers;
  ASSERT_TRUE(HandshakeRequest::ParseHeaders(
      "GET /a:b HTTP/1.1\r\nHost:   127.0.0.1:9191\r\nno colon here\r\n\r\nsec-websocket-KEY:\tk==  \r\n"
      "Empty:\r\n\r\n",
      headers, log));
  ASSERT_EQ(headers.size(), 3u);
  // The value keeps its further colons and trailing blanks; the name keeps its case.
  EXPECT_EQ(headers[0].name, "Host");
  EXPECT_EQ(headers[0].value, "127.0.0.1:9191");
  EXPECT_EQ(headers[1].name, "sec-websocket-KEY");
  EXPECT_EQ(headers[1].value, "k==  ");
  EXPECT_EQ(headers[2].name, "Empty");
  EXPECT_EQ(headers[2].value, "");
  std::string out = console.Text();
  EXPECT_NE(out.find("[WebsocketServer] Parsing HTTP Header: Host:   127.0.0.1:9191\n"), std::string::npos);
  EXPECT_NE(out.find("[WebsocketServer] Extracted key [Host], value [127.0.0.1:9191] from HTTP Header\n"),
            std::string::npos);
  EXPECT_EQ(out.find("no colon"), std::string::npos);
}

TEST(CommandDispatcherTest, EveryByteBecomesTwoDigitsWithALeadingZero) {
  EXPECT_EQ(CommandDispatcher::HexText(""), "");
  // A blank in place of the zero would be lost where the launcher splits the run text on blanks.
  EXPECT_EQ(CommandDispatcher::HexText("A\n\t\xC3\xA4"), "410A09C3A4");
  EXPECT_EQ(CommandDispatcher::HexText(std::string("\x00\xFF \"", 4)), "00FF2022");
  EXPECT_EQ(CommandDispatcher::LauncherArguments("/i/CATSTART", "/e.txt", "41"),
            (std::vector<std::string>{"/i/CATSTART", "-env", "/e.txt", "-run", "ZELSender ZEL_OPEN 41"}));
}

TEST(CommandDispatcherTest, ResponsesAreCutTo1023BytesAtACharacterBoundary) {
  EXPECT_EQ(CommandDispatcher::CutResponse(std::string(1023, 'a')), std::string(1023, 'a'));
  EXPECT_EQ(CommandDispatcher::CutResponse(std::string(1500, 'a')), std::string(1023, 'a'));
  // A two-byte character at 1022..1023 and a four-byte one at 1020..1023 are left out whole.
  EXPECT_EQ(CommandDispatcher::CutResponse(std::string(1022, 'a') + "\xC3\xA4"), std::string(1022, 'a'));
  EXPECT_EQ(CommandDispatcher::CutResponse(std::string(1020, 'a') + "\xF0\x9F\x98\x80" + "b"),
            std::string(1020, 'a'));
  EXPECT_EQ(CommandDispatcher::CutResponse(std::string(1021, 'a') + "\xC3\xA4" + "b"),
            std::string(1021, 'a') + "\xC3\xA4");
}

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config.launcherPath = (dir / "CATSTART").string();
    config.envFile = "/opt/3dx/env file.txt";
  }
  void WriteLauncher(const std::string& body) {
    ASSERT_TRUE(zeltest::WriteFile(config.launcherPath, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" +
                                                            (dir / "args").string() + "'\n" + body));
    ::chmod(config.launcherPath.c_str(), 0755);
  }
  std::string Arguments() { return zeltest::ReadFile(dir / "args"); }

  zeltest::TempDir dir{"listener-dispatch"};
  CapturedConsole console;
  ListenerLog log{console.File()};
  ListenerConfig config;
  std::string response;
};

TEST_F(DispatchTest, UnknownCommandsRunNothing) {
  WriteLauncher("exit 0\n");
  CommandDispatcher dispatcher(config, log);
  EXPECT_EQ(dispatcher.Dispatch("ZEL:@:OPEN3DX:@", response), 1);
  EXPECT_EQ(response, "Unknown command received: ZEL:@:OPEN3DX:@");
  EXPECT_EQ(dispatcher.Dispatch("ZEL:@:Open3DX:@:x", response), 1);
  EXPECT_EQ(dispatcher.Dispatch("", response), 1);
  EXPECT_EQ(response, "Unknown command received: ");
  EXPECT_EQ(Arguments(), "");
  EXPECT_NE(console.Text().find("[Command] Unknown command received : ZEL:@:Open3DX:@:x\n"),
            std::string::npos);
}

TEST_F(DispatchTest, TheLauncherRunsWithoutAShellAndItsExitCodeDecides) {
  WriteLauncher("exit 0\n");
  CommandDispatcher dispatcher(config, log);
  // Quotes, blanks and shell characters stay inside the hexadecimal text.
  EXPECT_EQ(dispatcher.Dispatch("ZEL:@:OPEN3DX:@:a\"b; $(x)", response), 0);
  EXPECT_EQ(response, "Successfully executed OPEN3DX command.");
  EXPECT_EQ(Arguments(), "-env\n/opt/3dx/env file.txt\n-run\nZELSender ZEL_OPEN 6122623B2024287829\n");
  std::string out = console.Text();
  EXPECT_NE(out.find("[Command] Received OPEN3DX command\n"), std::string::npos);
  EXPECT_NE(out.find("[Command] Running: \"\"" + config.launcherPath +
                     "\" -env \"/opt/3dx/env file.txt\" -run \"ZELSender ZEL_OPEN 6122623B2024287829\"\"\n"),
            std::string::npos);
  EXPECT_NE(out.find("[Command] Finished with return code: 0\n"), std::string::npos);

  WriteLauncher("exit 7\n");
  EXPECT_EQ(dispatcher.Dispatch("ZEL:@:OPEN3DX:@:x", response), 1);
  EXPECT_EQ(response, "Failed to execute OPEN3DX command with return code: 7");
}

TEST_F(DispatchTest, ALauncherThatCannotStartOrDiesBySignalIsAFailure) {
  CommandDispatcher dispatcher(config, log);
  EXPECT_EQ(dispatcher.Dispatch("ZEL:@:OPEN3DX:@:x", response), 1);  // no launcher at all
  EXPECT_EQ(response, "Failed to execute OPEN3DX command with return code: -1");
  EXPECT_NE(console.Text().find("[Command] Failed to start " + config.launcherPath + " with error code 2: "),
            std::string::npos);

  WriteLauncher("kill -9 $$\n");
  EXPECT_EQ(dispatcher.Dispatch("ZEL:@:OPEN3DX:@:x", response), 1);
  EXPECT_EQ(response, "Failed to execute OPEN3DX command with return code: 137");

  // The listener blocks its stop signals and ignores SIGPIPE; the launcher gets neither.
  sigset_t stop, previous;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, &previous);
  WriteLauncher("kill -15 $$\nexit 0\n");
  EXPECT_EQ(dispatcher.Dispatch("ZEL:@:OPEN3DX:@:x", response), 1);
  EXPECT_EQ(response, "Failed to execute OPEN3DX command with return code: 143");
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace
