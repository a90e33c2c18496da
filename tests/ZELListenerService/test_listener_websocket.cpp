// The listener's WebSocket server from the outside: a real client library (Debian's python3-websockets) and
// raw sockets against the real program, with a launcher that records its arguments.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "ListenerUnderTest.h"
#include "RawClient.h"
#include "ZELTestSupport.h"

namespace {

using std::chrono::seconds;

struct ClientReport {
  bool open = false;
  std::vector<std::string> responses;  // as JSON strings
  int closeCode = -1;
  std::string all;
};

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex.push_back(digits[c >> 4]);
    hex.push_back(digits[c & 0x0F]);
  }
  return hex;
}

// Runs the client script once; message is sent as its bytes.
ClientReport RunClient(int port, const std::string& message, const std::vector<std::string>& options = {}) {
  std::vector<std::string> argv = {"/usr/bin/python3",
                                   ZEL_SOURCE_DIR "/tests/ZELListenerService/clients/ws_client.py",
                                   "--port",
                                   std::to_string(port),
                                   "--hex",
                                   Hex(message)};
  argv.insert(argv.end(), options.begin(), options.end());
  zeltest::ProgramResult result = zeltest::RunProgram(argv, {}, seconds(120));
  ClientReport report;
  report.all = result.out + result.err;
  std::size_t start = 0;
  for (std::size_t end; (end = result.out.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = result.out.substr(start, end - start);
    if (line == "OPEN") report.open = true;
    if (line.rfind("RESPONSE ", 0) == 0) report.responses.push_back(line.substr(9));
    if (line.rfind("CLOSE ", 0) == 0) report.closeCode = std::stoi(line.substr(6));
  }
  return report;
}

class ListenerWebSocketTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(listener.Start()) << listener.Output(); }
  void TearDown() override {
    if (HasFailure()) std::cout << listener.Output();
  }
  ListenerUnderTest listener;
};

TEST_F(ListenerWebSocketTest, OpenCommandRunsTheLauncherAndAnswersOnceThenClosesWith1000) {
  // A ping first is ignored; the bytes below 0x10 and the umlaut reach the launcher intact.
  ClientReport report = RunClient(listener.Port(), "ZEL:@:OPEN3DX:@:A\n\t\xC3\xA4", {"--ping"});
  EXPECT_TRUE(report.open) << report.all;
  ASSERT_EQ(report.responses, std::vector<std::string>{"\"Successfully executed OPEN3DX command.\""})
      << report.all;
  EXPECT_EQ(report.closeCode, 1000);
  EXPECT_EQ(listener.RecordedArguments(),
            (std::vector<std::string>{"-env", listener.EnvFile(), "-run", "ZELSender ZEL_OPEN 410A09C3A4"}));
  EXPECT_EQ(listener.Count("[WebsocketServer] Ignoring Ping message from client"), 1u);
  EXPECT_EQ(listener.Count("[Command] Running: \"\"" + listener.Launcher().string() + "\" -env \"" +
                           listener.EnvFile() + "\" -run \"ZELSender ZEL_OPEN 410A09C3A4\"\""),
            1u);
  EXPECT_EQ(listener.Count("[WebsocketServer] Sending close request to client with reason 1000"), 1u);

  // The empty argument runs the launcher with an empty text.
  listener.ForgetArguments();
  report = RunClient(listener.Port(), "ZEL:@:OPEN3DX:@:");
  ASSERT_EQ(report.responses, std::vector<std::string>{"\"Successfully executed OPEN3DX command.\""});
  EXPECT_EQ(listener.RecordedArguments(),
            (std::vector<std::string>{"-env", listener.EnvFile(), "-run", "ZELSender ZEL_OPEN "}));

  // The launcher's failure is the answer's.
  listener.SetExitCode(3);
  report = RunClient(listener.Port(), "ZEL:@:OPEN3DX:@:VPMReference@@prd-1@@A");
  EXPECT_EQ(report.responses,
            std::vector<std::string>{"\"Failed to execute OPEN3DX command with return code: 3\""});
  EXPECT_EQ(report.closeCode, 1000);
}

TEST_F(ListenerWebSocketTest, AnythingButTheExactPrefixIsAnUnknownCommand) {
  ClientReport report = RunClient(listener.Port(), "zel:@:open3dx:@:VPMReference@@prd-1@@A");
  EXPECT_EQ(report.responses,
            std::vector<std::string>{"\"Unknown command received: zel:@:open3dx:@:VPMReference@@prd-1@@A\""});
  EXPECT_EQ(report.closeCode, 1000);
  EXPECT_EQ(listener.Count("[Command] Unknown command received : zel:@:open3dx:@:"), 1u);
  EXPECT_TRUE(listener.RecordedArguments().empty());

  // A long unknown command is answered in 1023 bytes at most, cut before a character, not inside it: the
  // 26 bytes of the answer's start and 996 of the text leave the 1023rd byte inside the first umlaut.
  std::string text = std::string(996, 'x') + "\xC3\xA4\xC3\xA4";
  report = RunClient(listener.Port(), text);
  ASSERT_EQ(report.responses.size(), 1u) << report.all;
  EXPECT_EQ(report.responses[0], "\"Unknown command received: " + std::string(996, 'x') + "\"");
  EXPECT_EQ(report.closeCode, 1000);
}

TEST_F(ListenerWebSocketTest, BinaryAndFragmentedMessagesCloseWithoutAResponse) {
  ClientReport binary = RunClient(listener.Port(), "ZEL:@:OPEN3DX:@:x", {"--mode", "binary"});
  EXPECT_TRUE(binary.open);
  EXPECT_TRUE(binary.responses.empty()) << binary.all;
  EXPECT_EQ(binary.closeCode, 1006);
  EXPECT_EQ(listener.Count("] Unsupported message type received: BINARY MESSAGE"), 1u);

  ClientReport fragmented = RunClient(listener.Port(), "ZEL:@:OPEN3DX:@:xy", {"--mode", "fragmented"});
  EXPECT_TRUE(fragmented.open);
  EXPECT_TRUE(fragmented.responses.empty()) << fragmented.all;
  EXPECT_EQ(fragmented.closeCode, 1006);
  EXPECT_EQ(listener.Count("] Unsupported message type received: UTF8 FRAGMENT"), 1u);
  EXPECT_EQ(listener.Count("] Failed to receive message, closing connection, error code"), 2u);
  EXPECT_TRUE(listener.RecordedArguments().empty());
}

TEST_F(ListenerWebSocketTest, HandshakesLongerThanOneReadAreServedUpTo16KiB) {
  // Browsers send cookies: 6 KiB of them take several reads.
  ClientReport cookies = RunClient(listener.Port(), "ZEL:@:OPEN3DX:@:A", {"--cookie-bytes", "6144"});
  EXPECT_EQ(cookies.responses, std::vector<std::string>{"\"Successfully executed OPEN3DX command.\""})
      << cookies.all;

  // Beyond 16 KiB the handshake fails, and the next client is served.
  ClientReport huge = RunClient(listener.Port(), "ZEL:@:OPEN3DX:@:A", {"--cookie-bytes", "20000"});
  EXPECT_FALSE(huge.open) << huge.all;
  EXPECT_TRUE(huge.responses.empty());
  EXPECT_EQ(listener.Count("] Websocket Handshake failed, closing connection"), 1u);
  ClientReport next = RunClient(listener.Port(), "ZEL:@:OPEN3DX:@:B");
  EXPECT_EQ(next.responses, std::vector<std::string>{"\"Successfully executed OPEN3DX command.\""});

  // A request that arrives in pieces, with its first frame right behind it, is served too.
  RawClient raw(listener.Port());
  ASSERT_TRUE(raw.Connected());
  std::string request = RawClient::UpgradeRequest("Cookie: a=b\r\n");
  ASSERT_TRUE(raw.Send(request.substr(0, 20)));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(raw.Send(request.substr(20) + RawClient::Frame(0x1, "ZEL:@:OPEN3DX:@:C")));
  ASSERT_TRUE(raw.ReadUntil("\r\n\r\n"));
  EXPECT_EQ(raw.Received().rfind("HTTP/1.1 101 Switching Protocols\r\n", 0), 0u);
  // RFC 6455's own example key and its accept key.
  EXPECT_NE(raw.Received().find("Sec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n"), std::string::npos);
  ASSERT_TRUE(raw.ReadUntil("\x88\x02\x03\xE8"));  // the close frame with 1000, unmasked
  EXPECT_NE(raw.Received().find("Successfully executed OPEN3DX command."), std::string::npos);
}

TEST_F(ListenerWebSocketTest, InvalidUpgradeRequestsAndProtocolViolationsEndOnlyTheirConnection) {
  struct Case {
    std::string bytes;
    const char* log;
  };
  const std::vector<Case> cases = {
      {"GET / HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
       "Sec-WebSocket-Version: 13\r\n\r\n",
       "] Websocket serverside handshake failed with error code"},
      {RawClient::UpgradeRequest() + RawClient::Frame(0x1, "ZEL:@:OPEN3DX:@:A", true, false),
       "] Failed to process websocket action, error code"},
      {RawClient::UpgradeRequest() + RawClient::Frame(0x1, "\xC3\x28"),
       "] Failed to process websocket action, error code"},
      {RawClient::UpgradeRequest() + RawClient::Frame(0x1, "abc", true, true, 1ull << 40),
       "] Failed to process websocket action, error code"},
  };
  std::map<std::string, std::size_t> logged;
  for (const Case& c : cases) {
    RawClient raw(listener.Port());
    ASSERT_TRUE(raw.Connected());
    ASSERT_TRUE(raw.Send(c.bytes));
    EXPECT_TRUE(raw.ReadUntilClosed());
    EXPECT_EQ(raw.Received().find("Successfully"), std::string::npos);
    EXPECT_TRUE(listener.WaitForLine(c.log, seconds(30), ++logged[c.log])) << c.log;
  }
  EXPECT_EQ(listener.Count("] Failed to process websocket action, error code"), 3u);

  // A close frame from the client is answered with its own status, and nothing runs.
  RawClient closing(listener.Port());
  ASSERT_TRUE(closing.Send(RawClient::UpgradeRequest() + RawClient::Frame(0x8, std::string("\x03\xE9", 2))));
  ASSERT_TRUE(closing.ReadUntilClosed());
  EXPECT_NE(closing.Received().find(std::string("\x88\x02\x03\xE9", 4)), std::string::npos);
  EXPECT_TRUE(listener.WaitForLine("] Close request from client received, closing connection"));
  EXPECT_EQ(listener.Count("] Close message received with code 1001"), 1u);
  EXPECT_TRUE(listener.RecordedArguments().empty());

  ClientReport next = RunClient(listener.Port(), "ZEL:@:OPEN3DX:@:A");
  EXPECT_EQ(next.responses, std::vector<std::string>{"\"Successfully executed OPEN3DX command.\""});
}

TEST(ListenerWebSocketShutdownTest, StopsWithin15SecondsIdleAndWithASilentClient) {
  {
    ListenerUnderTest listener("INFO");
    ASSERT_TRUE(listener.Start());
    // Listening on every IPv4 interface, not only the loopback one: 0.0.0.0 in the kernel's table.
    char listening[64];
    std::snprintf(listening, sizeof listening, " 00000000:%04X 00000000:0000 0A ", listener.Port());
    EXPECT_NE(zeltest::ReadFile("/proc/net/tcp").find(listening), std::string::npos);
    auto stopped = std::chrono::steady_clock::now();
    EXPECT_EQ(listener.Stop(SIGTERM), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, seconds(15));
  }
  // One client silent before its handshake, one silent after it: the server waits on the second.
  ListenerUnderTest listener("INFO");
  ASSERT_TRUE(listener.Start());
  RawClient waiting(listener.Port());
  RawClient silent(listener.Port());
  ASSERT_TRUE(silent.Send(RawClient::UpgradeRequest()));
  // Served in order: the first one holds the server until it gives up; close it so the second is taken.
  waiting.Close();
  ASSERT_TRUE(silent.ReadUntil("\r\n\r\n"));
  ASSERT_TRUE(listener.WaitForLine("] Handshake response sent to client"));
  auto stopped = std::chrono::steady_clock::now();
  EXPECT_EQ(listener.Stop(SIGTERM), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - stopped, seconds(15));
  EXPECT_TRUE(listener.WaitForLine("- Terminating ZelListener -", seconds(10))) << listener.Output();
  EXPECT_EQ(listener.Count("] Shutdown signal received"), 1u);
}

}  // namespace
