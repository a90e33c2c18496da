// The gateway over HTTP, in process: the probe, targets and methods, oversized bodies, many clients at once,
// the request log, TLS and port ownership.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "GatewayTestUtil.h"
#include "zelgw/Gateway.h"
#include "zelgw/RequestLog.h"
#include "zelgw/Server.h"
#include "zelgw/Store.h"

using namespace gwtest;

namespace {

constexpr std::size_t kBodyLimit = 2048;
const httplib::Headers kNoHeaders;

// Sends raw bytes and reads until the server closes or 10 seconds pass.
struct RawAnswer {
  std::string text;
  bool closed = false;
};

RawAnswer RawExchange(int port, const std::string& request) {
  RawAnswer answer;
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
  timeval timeout{10, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    char buffer[4096];
    for (;;) {
      ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) {
        answer.closed = n == 0;
        break;
      }
      answer.text.append(buffer, static_cast<std::size_t>(n));
    }
  }
  close(fd);
  return answer;
}

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
  RawAnswer announced = RawExchange(server_->Port(), head + "Content-Length: 100000000\r\n\r\n");
  EXPECT_EQ(announced.text.rfind("HTTP/1.1 413", 0), 0u) << announced.text;
  EXPECT_NE(announced.text.find("code=\"108\""), std::string::npos);
  EXPECT_TRUE(announced.closed);

  // Chunked, so the size shows only while reading.
  std::string chunk(3000, 'x');
  char size[16];
  std::snprintf(size, sizeof size, "%zx", chunk.size());
  RawAnswer chunked = RawExchange(
      server_->Port(), head + "Transfer-Encoding: chunked\r\n\r\n" + size + "\r\n" + chunk + "\r\n0\r\n\r\n");
  EXPECT_EQ(chunked.text.rfind("HTTP/1.1 413", 0), 0u) << chunked.text;
  EXPECT_TRUE(chunked.closed);

  // Two framings at once are refused rather than guessed.
  RawAnswer both =
      RawExchange(server_->Port(), head + "Content-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n");
  EXPECT_EQ(both.text.rfind("HTTP/1.1 400", 0), 0u) << both.text;

  // A body just under the limit still goes through, chunked or not.
  std::string fits = RequestBody("Test", "f", {{"v", std::string(kBodyLimit - 100, 'y')}});
  ASSERT_LE(fits.size(), kBodyLimit);
  EXPECT_EQ(Client().Post("/ZELRequest", fits, "application/xml")->status, 200);
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

namespace {

// A self-signed certificate for 127.0.0.1, written as PEM files.
void WriteSelfSignedCertificate(const std::string& certFile, const std::string& keyFile) {
  EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256");
  ASSERT_NE(key, nullptr);
  X509* cert = X509_new();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
  X509_gmtime_adj(X509_getm_notBefore(cert), -60);
  X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"),
                             -1, -1, 0);
  X509_set_issuer_name(cert, name);
  ASSERT_GT(X509_sign(cert, key, EVP_sha256()), 0);
  FILE* out = std::fopen(certFile.c_str(), "w");
  PEM_write_X509(out, cert);
  std::fclose(out);
  out = std::fopen(keyFile.c_str(), "w");
  PEM_write_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr);
  std::fclose(out);
  X509_free(cert);
  EVP_PKEY_free(key);
}

}  // namespace

TEST_F(GatewayHttp, TlsServesTheSameExchange) {
  zelgw::ServerOptions options;
  options.certFile = dir_.File("cert.pem");
  options.keyFile = dir_.File("key.pem");
  WriteSelfSignedCertificate(options.certFile, options.keyFile);
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

TEST_F(GatewayHttp, APortInUseIsReportedNotShared) {
  StartServer();
  zelgw::ServerOptions options;
  options.port = server_->Port();
  zelgw::GatewayServer second(gateway_, options);
  EXPECT_THROW(second.Start(), std::runtime_error);
  // The first server still answers.
  EXPECT_EQ(Client().Post("/ZELRequest", RequestBody("Test", "1"), "application/xml")->status, 200);
}
