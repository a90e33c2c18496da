// The transport's trace with ZEL_DEBUG=ON, line by line. A program of its own: the trace mode is read once
// per process.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "HtmlRequest.h"
#include "TestHttpServer.h"
#include "TransportFixture.h"
#include "ZELCommandsTestAccess.h"
#include "ZELRequestXml.h"

using namespace zeltest;

namespace {
// The transport's own lines, with source line numbers replaced by "N"; the document's own scopes, its
// dumps and its details are left out.
std::vector<std::string> TransportLines(const std::string& output) {
  static const std::regex number(
      R"(^( ZEL: HtmlRequest::\w+\(|ZELDBX Function: HtmlRequest::\w+ \(|  ZELDBX \()\d+)");
  std::vector<std::string> lines;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(" ZEL: HtmlRequest::", 0) != 0 && line.rfind("ZELDBX Function: HtmlRequest::", 0) != 0 &&
        line.rfind("  ZELDBX (", 0) != 0)
      continue;
    lines.push_back(std::regex_replace(line, number, "$1N"));
  }
  return lines;
}

std::vector<std::string> Exchange(long expected) {
  ZELRequestXml request("Test");
  request.AddRequestAttribute("ExecuteTest", "Mirror");
  ZELRequestXml response;
  testing::internal::CaptureStdout();
  const long rc = HtmlRequest::DoRequest(request, response);
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_EQ(rc, expected) << output;
  return TransportLines(output);
}

class TraceTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    ZELTestAccess::ResetTrace("ON");
  }
};
}  // namespace

TEST_F(TraceTest, SuccessfulExchange) {
  const std::string reply = ReplyWith(Attribute("Server", "OK"));
  TestHttpServer server(Answer(200, reply));
  const std::string url = server.Url("/gw");
  setenv("ZEL_SERVER_URL", url.c_str(), 1);
  const std::string port = std::to_string(server.Port());
  EXPECT_EQ(Exchange(S_OK), (std::vector<std::string>{
                                " ZEL: HtmlRequest::DoRequest(N) start",
                                "  ZELDBX (N): using server url " + url,
                                "  ZELDBX (N): using server Port " + port,
                                "  ZELDBX (N): Dump Send Request start ",
                                "  ZELDBX (N): Dump Send Request end ",
                                "  ZELDBX (N): ******* Answer from WinHttp Start *******",
                                "  ZELDBX (N): " + reply,
                                "  ZELDBX (N): ",
                                "  ZELDBX (N): ******* Answer from WinHttp End *******",
                                "  ZELDBX (N): Dump Response start ",
                                "  ZELDBX (N): Dump Response end ",
                                " ZEL: HtmlRequest::DoRequest(N) end OK",
                            }));
}

TEST_F(TraceTest, FailuresSayWhere) {
  EXPECT_EQ(Exchange(E_FAIL), (std::vector<std::string>{
                                  " ZEL: HtmlRequest::DoRequest(N) start",
                                  "ZELDBX Function: HtmlRequest::DoRequest (N)",
                                  "  ZELDBX (N): Environment ZEL_SETPN_SERVERHOST not set",
                                  " ZEL: HtmlRequest::DoRequest(N) end  ",
                              }));

  const std::string url = "http://127.0.0.1:" + std::to_string(FreePort());
  setenv("ZEL_SERVER_URL", url.c_str(), 1);
  std::vector<std::string> lines = Exchange(E_FAIL);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[5],
            "  ZELDBX (N): Error 12029 in WinHttpSendRequest:A connection with the server could not be "
            "established.");
  EXPECT_EQ(lines[6], "  ZELDBX (N): ******* Answer from WinHttp End *******");
  EXPECT_EQ(lines[7], "ZELDBX Function: HtmlRequest::DoRequest (N)");
  EXPECT_EQ(lines[8], " ZEL: HtmlRequest::DoRequest(N) end  ");

  {
    TestHttpServer silent(
        [](TestConnection& connection, const RecordedRequest&) { connection.WaitForClose(); });
    setenv("ZEL_SERVER_URL", silent.Url().c_str(), 1);
    setenv("ZEL_SERVER_RECEIVE_TIMEOUT", "1", 1);
    lines = Exchange(E_FAIL);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[5], "  ZELDBX (N): Error 12002 in  WinHttpReceiveResponse:The operation timed out.");
    EXPECT_EQ(lines[7], "ZELDBX Function: HtmlRequest::DoRequest (N)");
  }
  {
    TestHttpServer cut([](TestConnection& connection, const RecordedRequest&) {
      connection.Write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n<ZEL>");
      connection.Pause(100);
      connection.Reset();
    });
    setenv("ZEL_SERVER_URL", cut.Url().c_str(), 1);
    lines = Exchange(E_FAIL);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[5], "  ZELDBX (N): ******* Answer from WinHttp Start *******");
    EXPECT_EQ(lines[6], "  ZELDBX (N): <ZEL>");
    EXPECT_EQ(lines[7],
              "  ZELDBX (N): Error 12030 in WinHttpQueryDataAvailable:The connection with the server was "
              "terminated "
              "abnormally.");
    EXPECT_EQ(lines[lines.size() - 2], "ZELDBX Function: HtmlRequest::DoRequest (N)");
  }
}

TEST_F(TraceTest, PortOfTheUrlIsTraced) {
  setenv("ZEL_SERVER_URL", "https://127.0.0.1:444/pdm", 1);
  setenv("ZEL_SERVER_CONNECT_TIMEOUT", "5", 1);
  std::vector<std::string> lines = Exchange(E_FAIL);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[2], "  ZELDBX (N): using server Port 444");
  setenv("ZEL_SERVER_URL", "HTTP://127.0.0.1:0", 1);
  lines = Exchange(E_FAIL);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[2], "  ZELDBX (N): using server Port 80");
}
