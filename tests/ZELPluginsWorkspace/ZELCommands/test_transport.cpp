// The gateway transport against a loopback server that records what it receives and answers by scenario:
// the request as it goes out, where it goes, how replies of every kind are taken, and how failures end.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <climits>

#include "CATSysSettingRepository.h"
#include "HtmlRequest.h"
#include "HtmlRequestSettings.h"
#include "TestHttpServer.h"
#include "TransportFixture.h"
#include "ZELRequestXml.h"
#include "ZELTestSupport.h"

using namespace zeltest;

namespace {
const std::string kServerOk = ReplyWith(Attribute("Server", "OK"));

// Reads one reply attribute after a successful exchange; "<failed>" when the exchange or the read fails.
std::string ExchangeAndRead(const char* attribute, long* result = nullptr) {
  ZELRequestXml request("Test");
  request.AddRequestAttribute("ExecuteTest", "Mirror");
  ZELRequestXml response;
  long rc = HtmlRequest::DoRequest(request, response);
  if (result) *result = rc;
  CATUnicodeString value;
  if (FAILED(rc) || FAILED(response.GetResponseAttribute(attribute, value))) return "<failed>";
  return value.ConvertToUTF8();
}

// Echoes the request's attributes into the response, as a gateway answers the connection probe.
void Mirror(TestConnection& connection, const RecordedRequest& request) {
  // The request's own "Attribute" elements are copied as they came.
  std::string attributes;
  const size_t begin = request.body.find("<Attribute");
  const size_t end = request.body.find("</Request>");
  if (begin != std::string::npos && end != std::string::npos)
    attributes = request.body.substr(begin, end - begin);
  connection.Write(HttpReply(200, ReplyWith(attributes)));
}
}  // namespace

TEST_F(TransportTest, RequestGoesOutAsOnePostOfTheDocument) {
  TestHttpServer server(Answer(200, kServerOk));
  setenv("ZEL_SERVER_URL", server.Url("/gw").c_str(), 1);

  ZELRequestXml request("GetPartnumber");
  ASSERT_EQ(request.AddRequestAttribute("Name", "Grüße – 日本 🚀 <&>"), S_OK);
  ASSERT_EQ(request.AddRequestAttribute("Big", CATUnicodeString(std::string(2 << 20, 'b'))), S_OK);
  CATUnicodeString text;
  ASSERT_EQ(request.GetXml(text), S_OK);
  ZELRequestXml response;
  ASSERT_EQ(HtmlRequest::DoRequest(request, response), S_OK);

  std::vector<RecordedRequest> seen = server.Requests();
  ASSERT_EQ(seen.size(), 1u);
  const RecordedRequest& sent = seen[0];
  EXPECT_EQ(sent.requestLine, "POST /gw/ZELRequest HTTP/1.1");
  EXPECT_EQ(sent.Header("Host"), "127.0.0.1:" + std::to_string(server.Port()));
  EXPECT_EQ(sent.Header("User-Agent"), "ZEL/1.0");
  EXPECT_EQ(sent.Values("Content-Type"), std::vector<std::string>{"application/xml"});
  EXPECT_EQ(sent.body, text.ConvertToUTF8());
  EXPECT_EQ(sent.Header("Content-Length"), std::to_string(text.ConvertToUTF8().size()));
  EXPECT_EQ(sent.Header("Cache-Control"), "no-cache");
  EXPECT_EQ(sent.Header("Pragma"), "no-cache");
  EXPECT_TRUE(sent.Values("Expect").empty());
  EXPECT_FALSE(sent.tls);
  // Nothing is kept between calls: a second call opens a connection of its own.
  ZELRequestXml again;
  ASSERT_EQ(HtmlRequest::DoRequest(request, again), S_OK);
  EXPECT_EQ(server.Connections(), 2);
}

TEST_F(TransportTest, ReplyBodyIsTakenWhateverTheStatus) {
  {
    TestHttpServer server(Answer(500, kServerOk));
    setenv("ZEL_SERVER_URL", server.Url().c_str(), 1);
    EXPECT_EQ(ExchangeAndRead("Server"), "OK");
  }
  {
    TestHttpServer server(
        Answer(502, "<html><body><h1>Bad Gateway</h1><p>proxy error</body></html>", "text/html"));
    setenv("ZEL_SERVER_URL", server.Url().c_str(), 1);
    long rc = S_OK;
    EXPECT_EQ(ExchangeAndRead("Server", &rc), "<failed>");
    EXPECT_EQ(rc, E_FAIL);
  }
  {
    // A document without "Response" is a reply: its root errors are for the caller to read.
    TestHttpServer server(Answer(200, "<ZEL><Error code=\"3\">no such function</Error></ZEL>"));
    setenv("ZEL_SERVER_URL", server.Url().c_str(), 1);
    ZELRequestXml request("Nope");
    ZELRequestXml response;
    ASSERT_EQ(HtmlRequest::DoRequest(request, response), S_OK);
    unsigned char hasErrors = 0;
    CATRawCollint codes;
    CATListValCATUnicodeString texts;
    ASSERT_EQ(response.GetErrors(hasErrors, &codes, &texts), S_OK);
    ASSERT_EQ(codes.Size(), 1);
    EXPECT_EQ(codes[1], 3);
    EXPECT_EQ(texts[1], "no such function");
  }
}

TEST_F(TransportTest, ReplyInManyPiecesIsAssembledBeforeDecoding) {
  // "日" is E6 97 A5 and "🚀" F0 9F 9A 80: both are cut between two writes.
  const std::string value = "Teil 日本 🚀 ende";
  const std::string body = ReplyWith(Attribute("Name", value));
  const size_t cut1 = body.find("日") + 1;
  const size_t cut2 = body.find("🚀") + 2;
  TestHttpServer server([&](TestConnection& connection, const RecordedRequest&) {
    connection.Write(
        "HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\nTransfer-Encoding: chunked\r\n\r\n");
    size_t start = 0;
    for (size_t cut : {size_t{10}, cut1, cut2, body.size() - 3, body.size()}) {
      std::string piece = body.substr(start, cut - start);
      char size[16];
      std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
      connection.Write(size + piece + "\r\n");
      connection.Pause(40);
      start = cut;
    }
    connection.Write("0\r\n\r\n");
  });
  setenv("ZEL_SERVER_URL", server.Url().c_str(), 1);
  EXPECT_EQ(ExchangeAndRead("Name"), value);
}

TEST_F(TransportTest, UrlComesFromEnvironmentThenSettings) {
  TestHttpServer first(Answer(200, ReplyWith(Attribute("Server", "first"))));
  TestHttpServer second(Answer(200, ReplyWith(Attribute("Server", "second"))));
  TestHttpServer third(Answer(200, ReplyWith(Attribute("Server", "third"))));

  // Nothing configured, not even the settings repository.
  long rc = S_OK;
  EXPECT_EQ(ExchangeAndRead("Server", &rc), "<failed>");
  EXPECT_EQ(rc, E_FAIL);

  CATSysSettingRepository* options = CATSysSettingRepository::GetRepository("ZELOptions");
  ASSERT_NE(options, nullptr);
  // The repository exists but holds no URL.
  EXPECT_EQ(ExchangeAndRead("Server"), "<failed>");
  ASSERT_EQ(options->WriteSetting("ServerUrl", CATUnicodeString(third.Url())), S_OK);
  ASSERT_EQ(options->SaveRepository(), S_OK);
  options->Release();
  CATSysSettingRepository::ResetAll();  // read back from the file, as a new session would
  EXPECT_EQ(ExchangeAndRead("Server"), "third");

  setenv("ZEL_SERVER_URL", "", 1);
  setenv("ZEL_SERVERURL", second.Url().c_str(), 1);
  EXPECT_EQ(ExchangeAndRead("Server"), "second");
  setenv("ZEL_SERVER_URL", first.Url().c_str(), 1);
  EXPECT_EQ(ExchangeAndRead("Server"), "first");
  setenv("ZEL_SERVER_URL", "", 1);
  setenv("ZEL_SERVERURL", "", 1);
  EXPECT_EQ(ExchangeAndRead("Server"), "third");
}

TEST(TransportUrl, SchemeHostPortAndPathGiveTheConnection) {
  struct Case {
    const char* url;
    const char* host;
    int port;
    int secure;
    const char* target;
  };
  const Case cases[] = {
      {"https://pdm.example.com:444/pdm", "pdm.example.com", 444, 1, "/pdm/ZELRequest"},
      {"HTTP://gateway", "gateway", 80, 0, "/ZELRequest"},
      {"HtTpS://gateway/a/b/", "gateway", 443, 1, "/a/b/ZELRequest"},
      {"gateway:7000/", "gateway", 7000, 0, "/ZELRequest"},
      {"gateway:7000", "gateway", 7000, 0, "/ZELRequest"},
      {"gateway:0/pdm", "gateway", 80, 0, "/pdm/ZELRequest"},
      {"https://gateway:0", "gateway", 443, 1, "/ZELRequest"},
      {"gateway:abc", "gateway", 80, 0, "/ZELRequest"},
      {"gateway:", "gateway", 80, 0, "/ZELRequest"},
      {"gateway:8080x", "gateway", 80, 0, "/ZELRequest"},
      {"gateway:70000", "gateway", 80, 0, "/ZELRequest"},
      {"gateway:-8", "gateway", 80, 0, "/ZELRequest"},
      {"http://gateway: 8081 /x", "gateway", 8081, 0, "/x/ZELRequest"},
      // A scheme further on is part of the path, not of the address.
      {"gateway/go?to=http://other", "gateway", 80, 0, "/go?to=http://other/ZELRequest"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    HtmlRequestSettings::Address address = HtmlRequestSettings::ParseServerUrl(c.url);
    EXPECT_EQ(address.host, c.host);
    EXPECT_EQ(address.port, c.port);
    EXPECT_EQ(address.secure, c.secure);
    EXPECT_EQ(address.target, c.target);
  }
}

TEST_F(TransportTest, TimeoutsAreWholeSecondsWithDefaults) {
  EXPECT_EQ(HtmlRequestSettings::GetTimeout("ZEL_SERVER_RESOLVE_TIMEOUT", 0), 0);
  EXPECT_EQ(HtmlRequestSettings::GetTimeout("ZEL_SERVER_CONNECT_TIMEOUT", 60), 60000);
  EXPECT_EQ(HtmlRequestSettings::GetTimeout("ZEL_SERVER_RECEIVE_TIMEOUT", 300), 300000);
  const std::pair<const char*, int> values[] = {{"5", 5000},
                                                {" 7 ", 7000},
                                                {"+2", 2000},
                                                {"0", 0},
                                                {"", 60000},
                                                {"5x", 60000},
                                                {"x5", 60000},
                                                {"-3", 60000},
                                                {"1.5", 60000},
                                                {"99999999", INT_MAX},
                                                {"99999999999999", 60000}};
  for (const auto& [text, expected] : values) {
    SCOPED_TRACE(text);
    setenv("ZEL_SERVER_CONNECT_TIMEOUT", text, 1);
    EXPECT_EQ(HtmlRequestSettings::GetTimeout("ZEL_SERVER_CONNECT_TIMEOUT", 60), expected);
  }
}

TEST_F(TransportTest, SilentServerEndsByTheReceiveTimeout) {
  TestHttpServer server(
      [](TestConnection& connection, const RecordedRequest&) { connection.WaitForClose(); });
  setenv("ZEL_SERVER_URL", server.Url().c_str(), 1);
  setenv("ZEL_SERVER_RECEIVE_TIMEOUT", "1", 1);
  const auto start = std::chrono::steady_clock::now();
  long rc = S_OK;
  ExchangeAndRead("Server", &rc);
  EXPECT_EQ(rc, E_FAIL);
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST_F(TransportTest, BrokenConnectionsFail) {
  long rc = S_OK;
  setenv("ZEL_SERVER_URL", ("http://127.0.0.1:" + std::to_string(FreePort())).c_str(), 1);
  ExchangeAndRead("Server", &rc);
  EXPECT_EQ(rc, E_FAIL);

  setenv("ZEL_SERVER_URL", "http://no-such-host.invalid/", 1);
  rc = S_OK;
  ExchangeAndRead("Server", &rc);
  EXPECT_EQ(rc, E_FAIL);

  {
    TestHttpServer server([](TestConnection& connection, const RecordedRequest&) { connection.Reset(); });
    setenv("ZEL_SERVER_URL", server.Url().c_str(), 1);
    rc = S_OK;
    ExchangeAndRead("Server", &rc);
    EXPECT_EQ(rc, E_FAIL);
  }
  {
    // The reset comes after a whole document but before the announced end of the body: the reply was
    // cut short, so its well-formed beginning must not pass for the answer.
    TestHttpServer server([](TestConnection& connection, const RecordedRequest&) {
      connection.Write("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + kServerOk);
      connection.Pause(100);
      connection.Reset();
    });
    setenv("ZEL_SERVER_URL", server.Url().c_str(), 1);
    rc = S_OK;
    EXPECT_EQ(ExchangeAndRead("Server", &rc), "<failed>");
    EXPECT_EQ(rc, E_FAIL);
  }
  {
    TestHttpServer server([](TestConnection& connection, const RecordedRequest&) {
      connection.Write("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n<ZEL><Response><Attribute name=\"Se");
      connection.Pause(100);
      connection.Reset();
    });
    setenv("ZEL_SERVER_URL", server.Url().c_str(), 1);
    rc = S_OK;
    ExchangeAndRead("Server", &rc);
    EXPECT_EQ(rc, E_FAIL);
  }
}

TEST_F(TransportTest, LargeReplyArrivesWhole) {
  const size_t size = 50u << 20;
  const std::string head = "<ZEL><Response id=\"1\"><Attribute name=\"Big\" value=\"";
  const std::string tail = "\"/></Response></ZEL>";
  TestHttpServer server([&](TestConnection& connection, const RecordedRequest&) {
    if (!connection.Write("HTTP/1.1 200 OK\r\nContent-Length: " +
                          std::to_string(head.size() + size + tail.size()) + "\r\n\r\n" + head))
      return;
    std::string block(1 << 20, 'x');
    for (size_t i = 0; i < size / block.size(); ++i) {
      block[0] = static_cast<char>('a' + i % 26);
      if (!connection.Write(block)) return;
    }
    connection.Write(tail);
  });
  setenv("ZEL_SERVER_URL", server.Url().c_str(), 1);
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  ZELRequestXml request("Big");
  ZELRequestXml response;
  ASSERT_EQ(HtmlRequest::DoRequest(request, response), S_OK);
  CATUnicodeString value;
  ASSERT_EQ(response.GetResponseAttribute("Big", value), S_OK);
  ASSERT_EQ(static_cast<size_t>(value.GetLengthInChar()), size);
  EXPECT_EQ(value[0], u'a');
  EXPECT_EQ(value[1 << 20], u'b');
  EXPECT_EQ(value[49 << 20], static_cast<char16_t>(u'a' + 49 % 26));
  EXPECT_EQ(value[static_cast<int>(size) - 1], u'x');
#if !ZEL_TEST_ASAN
  // The reply is held as bytes, then as text, then as a document: a few copies, not one per piece.
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 400L * 1024) << "peak growth in KiB";
#endif
}

TEST_F(TransportTest, TlsIsVerifiedAgainstTheTrustedAuthorities) {
  const std::string caFile = (dir_ / "ca.pem").string();
  TestCertificates certificates(caFile);
  TestHttpServer server(Answer(200, kServerOk), certificates.ServerContext());

  // The system store does not know the test authority.
  setenv("ZEL_SERVER_URL", server.Url("/pdm").c_str(), 1);
  long rc = S_OK;
  ExchangeAndRead("Server", &rc);
  EXPECT_EQ(rc, E_FAIL);
  EXPECT_TRUE(server.Requests().empty());

  setenv("SSL_CERT_FILE", caFile.c_str(), 1);
  EXPECT_EQ(ExchangeAndRead("Server"), "OK");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_TRUE(server.Requests()[0].tls);
  EXPECT_EQ(server.Requests()[0].target, "/pdm/ZELRequest");

  // A plain request to the secure port gets no document back.
  setenv("ZEL_SERVER_URL", ("http://127.0.0.1:" + std::to_string(server.Port()) + "/pdm").c_str(), 1);
  rc = S_OK;
  ExchangeAndRead("Server", &rc);
  EXPECT_EQ(rc, E_FAIL);
}

TEST_F(TransportTest, SystemProxyCarriesTheRequest) {
  // The proxy sees the absolute address, so scheme, host and port (none: the default) can be read off the
  // request line.
  TestHttpServer proxy(Answer(200, kServerOk));
  setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(proxy.Port())).c_str(), 1);
  setenv("https_proxy", ("http://127.0.0.1:" + std::to_string(proxy.Port())).c_str(), 1);
  setenv("no_proxy", "", 1);

  setenv("ZEL_SERVER_URL", "HTTP://gateway.test", 1);
  EXPECT_EQ(ExchangeAndRead("Server"), "OK");
  setenv("ZEL_SERVER_URL", "gateway.test:7000/", 1);
  EXPECT_EQ(ExchangeAndRead("Server"), "OK");
  setenv("ZEL_SERVER_URL", "gateway.test:zz/pdm", 1);
  EXPECT_EQ(ExchangeAndRead("Server"), "OK");
  // A secure request asks the proxy for a tunnel to the host and port; the tunnel is refused here.
  setenv("ZEL_SERVER_URL", "https://gateway.test:444/pdm", 1);
  long rc = S_OK;
  ExchangeAndRead("Server", &rc);
  EXPECT_EQ(rc, E_FAIL);

  std::vector<RecordedRequest> seen = proxy.Requests();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].requestLine, "POST http://gateway.test/ZELRequest HTTP/1.1");
  EXPECT_EQ(seen[1].requestLine, "POST http://gateway.test:7000/ZELRequest HTTP/1.1");
  EXPECT_EQ(seen[2].requestLine, "POST http://gateway.test/pdm/ZELRequest HTTP/1.1");
  EXPECT_EQ(seen[3].requestLine, "CONNECT gateway.test:444 HTTP/1.1");
}

TEST_F(TransportTest, ConnectionCheckNeedsTheServerAttribute) {
  {
    TestHttpServer server(Mirror);
    setenv("ZEL_SERVER_URL", server.Url().c_str(), 1);
    EXPECT_EQ(HtmlRequest::CheckServerConnection(), S_OK);
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string body = server.Requests()[0].body;
    const size_t mirror = body.find("name=\"ExecuteTest\"");
    const size_t serverOk = body.find("name=\"Server\"");
    EXPECT_NE(body.find("<Request name=\"Test\""), std::string::npos);
    EXPECT_NE(mirror, std::string::npos);
    EXPECT_LT(mirror, serverOk);
    EXPECT_NE(body.find("value=\"Mirror\""), std::string::npos);
    EXPECT_NE(body.find("value=\"OK\""), std::string::npos);
  }
  for (const std::string& reply :
       {ReplyWith(Attribute("Other", "OK")), ReplyWith(Attribute("Server", "")), std::string("<ZEL/>")}) {
    SCOPED_TRACE(reply);
    TestHttpServer server(Answer(200, reply));
    setenv("ZEL_SERVER_URL", server.Url().c_str(), 1);
    EXPECT_EQ(HtmlRequest::CheckServerConnection(), E_FAIL);
  }
  setenv("ZEL_SERVER_URL", ("http://127.0.0.1:" + std::to_string(FreePort())).c_str(), 1);
  EXPECT_EQ(HtmlRequest::CheckServerConnection(), E_FAIL);
}
