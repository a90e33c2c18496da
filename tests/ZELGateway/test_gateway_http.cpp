// The gateway over HTTP, in process: the probe, targets and methods, oversized bodies, many clients at once,
// the request log, TLS and port ownership.
#include <gtest/gtest.h>
#include <httplib.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "GatewayTestUtil.h"
#include "RawHttp.h"
#include "zelgw/Gateway.h"
#include "zelgw/RequestLog.h"
#include "zelgw/Server.h"
#include "zelgw/Store.h"

using namespace gwtest;

namespace {

constexpr std::size_t kBodyLimit = 2048;

using rawhttp::Received;

std::size_t CountLines(const std::string& text, const std::string& containing) {
  std::istringstream in(text);
  std::size_t count = 0;
  for (std::string line; std::getline(in, line);) count += line.find(containing) != std::string::npos;
  return count;
}

class GatewayHttp : public ::testing::Test {
 protected:
  void StartServer(zelgw::ServerOptions options = {}) {
    log_ = std::make_unique<zelgw::RequestLog>(dir_.File("requests.log"));
    server_ = std::make_unique<zelgw::GatewayServer>(gateway_, options, log_.get());
    server_->Start();
  }
  void TearDown() override {
    if (server_) server_->Stop();
  }
  httplib::Client Client() {
    httplib::Client client("127.0.0.1", server_->Port());
    client.set_read_timeout(30, 0);
    return client;
  }

  TempDir dir_;
  zelgw::Store store_{":memory:"};
  zelgw::Gateway gateway_{store_, kBodyLimit};
  std::unique_ptr<zelgw::RequestLog> log_;
  std::unique_ptr<zelgw::GatewayServer> server_;
};

}  // namespace

TEST_F(GatewayHttp, ProbeIsAnsweredAndLogged) {
  StartServer();
  EXPECT_EQ(server_->Url(), "http://127.0.0.1:" + std::to_string(server_->Port()) + "/ZELRequest");
  httplib::Client client = Client();
  auto result =
      client.Post("/ZELRequest", RequestBody("Test", "99_0", {{"ExecuteTest", "Mirror"}, {"Server", "OK"}}),
                  "application/xml");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(result->get_header_value("Content-Type"), "application/xml; charset=utf-8");
  ReadReply reply = ParseReply(result->body);
  EXPECT_EQ(reply.responseId, "99_0");
  EXPECT_EQ(reply.attributes, (Attributes{{"ExecuteTest", "Mirror"}, {"Server", "OK"}}));

  client.Post("/ZELRequest", RequestBody("NoSuchFunction", "99_1"), "application/xml");
  server_->Stop();
  std::string log = ReadFile(dir_.File("requests.log"));
  EXPECT_EQ(CountLines(log, " Test 99_0 OK "), 1u) << log;
  EXPECT_EQ(CountLines(log, " NoSuchFunction 99_1 ERROR 107 "), 1u) << log;
}

TEST_F(GatewayHttp, OnlyPostOnTheGatewayTargetReachesTheGateway) {
  StartServer();
  httplib::Client client = Client();
  std::string probe = RequestBody("Test", "1", {{"Server", "OK"}});

  auto elsewhere = client.Post("/other", probe, "application/xml");
  ASSERT_TRUE(elsewhere);
  EXPECT_EQ(elsewhere->status, 404);
  EXPECT_NE(elsewhere->get_header_value("Content-Type").find("text/plain"), std::string::npos);

  auto get = client.Get("/ZELRequest");
  ASSERT_TRUE(get);
  EXPECT_EQ(get->status, 405);
  EXPECT_EQ(get->get_header_value("Allow"), "POST");
  ReadReply refused = ParseReply(get->body);
  ASSERT_EQ(refused.rootErrors.size(), 1u);
  EXPECT_EQ(refused.rootErrors[0].code, static_cast<int>(zelgw::ProtocolError::kMethodNotAllowed));

  auto put = client.Put("/ZELRequest", probe, "application/xml");
  ASSERT_TRUE(put);
  EXPECT_EQ(put->status, 405);

  // Any target ending in ZELRequest under the base path is the gateway.
  auto nested = client.Post("/some/path/ZELRequest?x=1", probe, "application/xml");
  ASSERT_TRUE(nested);
  EXPECT_EQ(nested->status, 200);

  auto malformed = client.Post("/ZELRequest", "<ZEL><Request", "application/xml");
  ASSERT_TRUE(malformed);
  EXPECT_EQ(malformed->status, 400);
  EXPECT_EQ(ParseReply(malformed->body).rootErrors.at(0).code, 101);
}

TEST_F(GatewayHttp, BasePathSelectsTheTarget) {
  zelgw::ServerOptions options;
  options.basePath = "pdm//gw";
  StartServer(options);
  EXPECT_EQ(server_->Url(), "http://127.0.0.1:" + std::to_string(server_->Port()) + "/pdm/gw/ZELRequest");
  httplib::Client client = Client();
  std::string probe = RequestBody("Test", "1", {{"Server", "OK"}});
  EXPECT_EQ(client.Post("/pdm/gw/ZELRequest", probe, "application/xml")->status, 200);
  EXPECT_EQ(client.Post("/ZELRequest", probe, "application/xml")->status, 404);
  EXPECT_EQ(client.Post("/pdm/gwZELRequest", probe, "application/xml")->status, 404);
  EXPECT_THROW(zelgw::GatewayServer::NormalizeBasePath("/a b"), std::invalid_argument);
}

TEST_F(GatewayHttp, OversizedBodiesAreRefusedAndTheConnectionClosed) {
  StartServer();
  const std::string head = "POST /ZELRequest HTTP/1.1\r\nHost: gateway\r\nContent-Type: application/xml\r\n";

  // Announced as too large: refused from the headers, before any body byte is sent.
  Received announced = rawhttp::Exchange(server_->Port(), head + "Content-Length: 100000000\r\n\r\n");
  EXPECT_EQ(announced.text.rfind("HTTP/1.1 413", 0), 0u) << announced.text;
  EXPECT_NE(announced.text.find("code=\"108\""), std::string::npos);
  EXPECT_TRUE(announced.closed);

  // Chunked, so the size shows only while reading.
  std::string chunk(3000, 'x');
  char size[16];
  std::snprintf(size, sizeof size, "%zx", chunk.size());
  Received chunked = rawhttp::Exchange(
      server_->Port(), head + "Transfer-Encoding: chunked\r\n\r\n" + size + "\r\n" + chunk + "\r\n0\r\n\r\n");
  EXPECT_EQ(chunked.text.rfind("HTTP/1.1 413", 0), 0u) << chunked.text;
  EXPECT_TRUE(chunked.closed);

  // Two framings at once are refused rather than guessed.
  Received both = rawhttp::Exchange(
      server_->Port(), head + "Content-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n");
  EXPECT_EQ(both.text.rfind("HTTP/1.1 400", 0), 0u) << both.text;

  // A body just under the limit still goes through, chunked or not.
  std::string fits = RequestBody("Test", "f", {{"v", std::string(kBodyLimit - 100, 'y')}});
  ASSERT_LE(fits.size(), kBodyLimit);
  EXPECT_EQ(Client().Post("/ZELRequest", fits, "application/xml")->status, 200);
}

TEST_F(GatewayHttp, FramingAndContentTypeAreCheckedBeforeTheBody) {
  StartServer();
  const int port = server_->Port();
  const std::string probe = RequestBody("Test", "ct", {{"Server", "OK"}});
  const std::string xml = "Content-Type: application/xml\r\n";

  // Lengths that disagree are how a request is smuggled past a proxy that believes the other one.
  Received twoLengths = rawhttp::Exchange(port, rawhttp::Post(probe, xml + "Content-Length: 3\r\n"));
  std::vector<rawhttp::Reply> replies = rawhttp::SplitReplies(twoLengths.text);
  ASSERT_EQ(replies.size(), 1u) << twoLengths.text;  // what follows is never read as a second request
  EXPECT_EQ(replies[0].status, 400);
  EXPECT_EQ(ParseReply(replies[0].body).rootErrors.at(0).code, 110);
  EXPECT_TRUE(twoLengths.closed);
  Received sameLength =
      rawhttp::Exchange(port, rawhttp::Post(probe, xml + "Connection: close\r\nContent-Length: " +
                                                       std::to_string(probe.size()) + "\r\n"));
  EXPECT_EQ(rawhttp::SplitReplies(sameLength.text).at(0).status, 200) << sameLength.text;

  Received multipart = rawhttp::Exchange(
      port,
      rawhttp::Post("--b\r\nContent-Disposition: form-data; name=\"x\"\r\n\r\n" + probe + "\r\n--b--\r\n",
                    "Content-Type: multipart/form-data; boundary=b\r\n"));
  replies = rawhttp::SplitReplies(multipart.text);
  ASSERT_EQ(replies.size(), 1u) << multipart.text;
  EXPECT_EQ(replies[0].status, 415);
  EXPECT_NE(replies[0].head.find("Content-Type: application/xml"), std::string::npos) << replies[0].head;
  ReadReply refused = ParseReply(replies[0].body);
  ASSERT_TRUE(refused.parsed);
  ASSERT_EQ(refused.rootErrors.size(), 1u);
  EXPECT_EQ(refused.rootErrors[0].code, 110);
  EXPECT_TRUE(multipart.closed);

  // Other spellings of XML, and no type at all, reach the gateway.
  for (std::string type : {"Content-Type: text/xml; charset=utf-8\r\n", "Content-Type: Application/XML\r\n",
                           "Content-Type: application/soap+xml\r\n", ""}) {
    Received accepted = rawhttp::Exchange(port, rawhttp::Post(probe, type + "Connection: close\r\n"));
    replies = rawhttp::SplitReplies(accepted.text);
    ASSERT_EQ(replies.size(), 1u) << type;
    EXPECT_EQ(replies[0].status, 200) << type;
    EXPECT_EQ(ParseReply(replies[0].body).responseId, "ct") << type;
  }
}

TEST_F(GatewayHttp, RangeHeadersNeverShapeTheReply) {
  StartServer();
  const int port = server_->Port();
  const std::string probe = RequestBody("Test", "r", {{"Server", "OK"}});
  const std::string headers = "Content-Type: application/xml\r\nConnection: close\r\n";
  std::string ranges = "Range: bytes=0-";
  for (int i = 1; i < 1000; ++i) ranges += ",0-";
  ranges += "\r\n";

  Received plain = rawhttp::Exchange(port, rawhttp::Post(probe, headers));
  Received ranged = rawhttp::Exchange(port, rawhttp::Post(probe, headers + ranges));
  std::vector<rawhttp::Reply> plainReplies = rawhttp::SplitReplies(plain.text);
  std::vector<rawhttp::Reply> rangedReplies = rawhttp::SplitReplies(ranged.text);
  ASSERT_EQ(plainReplies.size(), 1u);
  ASSERT_EQ(rangedReplies.size(), 1u) << ranged.text.substr(0, 500);
  EXPECT_EQ(rangedReplies[0].status, 200);
  EXPECT_EQ(rangedReplies[0].body, plainReplies[0].body);
  EXPECT_LE(ranged.text.size(), plain.text.size());
  EXPECT_EQ(ranged.text.find("multipart/byteranges"), std::string::npos);
  EXPECT_EQ(Client().Post("/ZELRequest", probe, "application/xml")->status, 200);
}

// Pipelined requests are answered one after the other, in the order they came.
TEST_F(GatewayHttp, PipelinedRequestsAreAnsweredInOrder) {
  StartServer();
  std::string pipeline;
  constexpr int kRequests = 5;
  for (int i = 0; i < kRequests; ++i) {
    std::string headers = "Content-Type: application/xml\r\n";
    if (i == kRequests - 1) headers += "Connection: close\r\n";
    pipeline +=
        rawhttp::Post(RequestBody("Test", "p" + std::to_string(i), {{"Server", std::to_string(i)}}), headers);
  }
  Received received = rawhttp::Exchange(server_->Port(), pipeline);
  std::vector<rawhttp::Reply> replies = rawhttp::SplitReplies(received.text);
  ASSERT_EQ(replies.size(), static_cast<std::size_t>(kRequests)) << received.text;
  for (int i = 0; i < kRequests; ++i) {
    EXPECT_EQ(replies[i].status, 200);
    ReadReply reply = ParseReply(replies[i].body);
    EXPECT_EQ(reply.responseId, "p" + std::to_string(i));
    EXPECT_EQ(reply.attributes, (Attributes{{"Server", std::to_string(i)}}));
  }
  EXPECT_TRUE(received.closed);

  // A refusal in the middle ends the pipeline: what follows it is not read as requests.
  std::string refusedInside = rawhttp::Post(RequestBody("Test", "a"), "Content-Type: application/xml\r\n") +
                              "GET /ZELRequest HTTP/1.1\r\nHost: gateway\r\n\r\n" +
                              rawhttp::Post(RequestBody("Test", "b"), "Content-Type: application/xml\r\n");
  replies = rawhttp::SplitReplies(rawhttp::Exchange(server_->Port(), refusedInside).text);
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0].status, 200);
  EXPECT_EQ(replies[1].status, 405);
}

TEST_F(GatewayHttp, OversizedRequestHeadsAreRefusedEarly) {
  StartServer();
  const int port = server_->Port();
  const std::string probe = RequestBody("Test", "h", {{"Server", "OK"}});
  // Host, Content-Type, Connection and Content-Length count: 96 more make the 100 lines allowed.
  auto withLines = [&](int extra) {
    std::string headers = "Content-Type: application/xml\r\nConnection: close\r\n";
    for (int i = 0; i < extra; ++i) headers += "X-Filler-" + std::to_string(i) + ": 1\r\n";
    return rawhttp::SplitReplies(rawhttp::Exchange(port, rawhttp::Post(probe, headers)).text);
  };
  std::vector<rawhttp::Reply> atLimit = withLines(96);
  ASSERT_EQ(atLimit.size(), 1u);
  EXPECT_EQ(atLimit[0].status, 200);
  std::vector<rawhttp::Reply> overLimit = withLines(97);
  ASSERT_EQ(overLimit.size(), 1u);
  EXPECT_EQ(overLimit[0].status, 431);
  EXPECT_EQ(ParseReply(overLimit[0].body).rootErrors.at(0).code, 110);

  Received longLine =
      rawhttp::Exchange(port, rawhttp::Post(probe, "X-Long: " + std::string(70 * 1024, 'a') + "\r\n"));
  EXPECT_EQ(longLine.text.rfind("HTTP/1.1 431", 0), 0u) << longLine.text.substr(0, 200);

  // An endless head is cut off long before it is all sent.
  std::string reply;
  std::size_t sent = rawhttp::StreamEndlessHead(port, 50u << 20, &reply);
  EXPECT_LT(sent, 1u << 20);
  EXPECT_TRUE(reply.empty() || reply.rfind("HTTP/1.1 431", 0) == 0) << reply.substr(0, 200);
  EXPECT_EQ(Client().Post("/ZELRequest", probe, "application/xml")->status, 200);
}

TEST_F(GatewayHttp, ConcurrentClientsAllGetTheirOwnAnswers) {
  zelgw::ServerOptions options;
  options.threads = 4;
  StartServer(options);
  constexpr int kClients = 8, kRequests = 50;
  std::atomic<int> answered{0};
  std::vector<std::string> failures(kClients);
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      httplib::Client client = Client();
      client.set_keep_alive(c % 2 == 0);  // half reuse their connection, half open one per request
      for (int r = 0; r < kRequests; ++r) {
        std::string id = std::to_string(c) + "_" + std::to_string(r);
        std::string value = "client " + std::to_string(c) + " request " + std::to_string(r) + " ü";
        auto result =
            client.Post("/ZELRequest", RequestBody("Test", id, {{"Server", value}}), "application/xml");
        ReadReply reply = result ? ParseReply(result->body) : ReadReply{};
        if (!result || result->status != 200 || reply.responseId != id ||
            reply.attributes != Attributes{{"Server", value}}) {
          failures[c] += "request " + id + " went wrong; ";
        } else {
          ++answered;
        }
      }
    });
  }
  for (std::thread& client : clients) client.join();
  for (const std::string& failure : failures) EXPECT_EQ(failure, "");
  EXPECT_EQ(answered, kClients * kRequests);
  server_->Stop();
  EXPECT_EQ(CountLines(ReadFile(dir_.File("requests.log")), " OK "),
            static_cast<std::size_t>(kClients * kRequests));
}

TEST_F(GatewayHttp, TlsServesTheSameExchange) {
  zelgw::ServerOptions options;
  options.certFile = dir_.File("cert.pem");
  options.keyFile = dir_.File("key.pem");
  ASSERT_TRUE(rawhttp::WriteSelfSignedCertificate(options.certFile, options.keyFile));
  StartServer(options);
  EXPECT_EQ(server_->Url().rfind("https://127.0.0.1:", 0), 0u);

  httplib::SSLClient client("127.0.0.1", server_->Port());
  client.set_ca_cert_path(options.certFile.c_str());
  client.enable_server_certificate_verification(true);
  auto result = client.Post("/ZELRequest", RequestBody("Test", "tls", {{"Server", "OK"}}), "application/xml");
  ASSERT_TRUE(result) << httplib::to_string(result.error());
  EXPECT_EQ(ParseReply(result->body).attributes, (Attributes{{"Server", "OK"}}));

  zelgw::ServerOptions broken;
  broken.certFile = dir_.File("missing.pem");
  broken.keyFile = options.keyFile;
  zelgw::GatewayServer unusable(gateway_, broken);
  EXPECT_THROW(unusable.Start(), std::runtime_error);
  broken.certFile.clear();
  EXPECT_THROW(zelgw::GatewayServer(gateway_, broken), std::invalid_argument);
}

namespace {

// Whether a handshake offering only the given protocol version gets through.
bool HandshakeSucceeds(int port, int version) {
  SSL_CTX* context = SSL_CTX_new(TLS_client_method());
  SSL_CTX_set_min_proto_version(context, version);
  SSL_CTX_set_max_proto_version(context, version);
  // Security level 0 lets this client offer the old versions at all; refusing them is the server's part.
  SSL_CTX_set_cipher_list(context, "DEFAULT:@SECLEVEL=0");
  SSL_CTX_set_verify(context, SSL_VERIFY_NONE, nullptr);
  int fd = rawhttp::Connect(port);
  SSL* ssl = SSL_new(context);
  SSL_set_fd(ssl, fd);
  bool succeeded = fd >= 0 && SSL_connect(ssl) == 1;
  SSL_free(ssl);
  if (fd >= 0) close(fd);
  SSL_CTX_free(context);
  return succeeded;
}

}  // namespace

TEST_F(GatewayHttp, TlsBelowVersion12IsRefused) {
  zelgw::ServerOptions options;
  options.certFile = dir_.File("cert.pem");
  options.keyFile = dir_.File("key.pem");
  ASSERT_TRUE(rawhttp::WriteSelfSignedCertificate(options.certFile, options.keyFile));
  StartServer(options);
  EXPECT_TRUE(HandshakeSucceeds(server_->Port(), TLS1_3_VERSION));
  EXPECT_TRUE(HandshakeSucceeds(server_->Port(), TLS1_2_VERSION));
  EXPECT_FALSE(HandshakeSucceeds(server_->Port(), TLS1_1_VERSION));
  EXPECT_FALSE(HandshakeSucceeds(server_->Port(), TLS1_VERSION));
}

TEST_F(GatewayHttp, APortInUseIsReportedNotShared) {
  StartServer();
  zelgw::ServerOptions options;
  options.port = server_->Port();
  zelgw::GatewayServer second(gateway_, options);
  EXPECT_THROW(second.Start(), std::runtime_error);
  // The first server still answers.
  EXPECT_EQ(Client().Post("/ZELRequest", RequestBody("Test", "1"), "application/xml")->status, 200);
}
