// The gateway against clients that try to stop it: slow and silent ones, too many at once, endless heads, and
// a stop signal while they are connected. In process where the server alone is tested, as the program where
// memory and signals matter.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "GatewayTestUtil.h"
#include "RawHttp.h"
#include "SlowClients.h"
#include "zelgw/Gateway.h"
#include "zelgw/Server.h"
#include "zelgw/Store.h"

using namespace gwtest;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kXml = "Content-Type: application/xml\r\n";

// Half of the slow clients are still in the head, half in a body announced far longer than what they send.
std::string SlowOpening(int i) {
  return i % 2 ? "POST /ZELRequest HTTP/1.1\r\nHost: gateway\r\nX-Slow: "
               : "POST /ZELRequest HTTP/1.1\r\nHost: gateway\r\n" + kXml +
                     "Content-Length: 100000\r\n\r\n<ZEL>";
}

class GatewayHostile : public ::testing::Test {
 protected:
  void StartServer(zelgw::ServerOptions options) {
    server_ = std::make_unique<zelgw::GatewayServer>(gateway_, options);
    server_->Start();
  }
  void TearDown() override {
    if (server_) server_->Stop();
  }
  bool ProbeAnswered(const std::string& id) {
    httplib::Client client("127.0.0.1", server_->Port());
    client.set_connection_timeout(5, 0);
    client.set_read_timeout(5, 0);
    auto result = client.Post("/ZELRequest", RequestBody("Test", id, {{"Server", "OK"}}), "application/xml");
    return result && result->status == 200 && ParseReply(result->body).responseId == id;
  }

  TempDir dir_;
  zelgw::Store store_{":memory:"};
  zelgw::Gateway gateway_{store_};
  std::unique_ptr<zelgw::GatewayServer> server_;
};

// How long until the server closes a connection that keeps sending a byte every 100 ms; nothing when it
// is still open after the limit.
std::optional<Clock::duration> DripUntilClosed(int fd, std::chrono::seconds limit) {
  auto start = Clock::now();
  while (Clock::now() - start < limit) {
    if (send(fd, "a", 1, MSG_NOSIGNAL) < 0) return Clock::now() - start;
    pollfd entry{fd, POLLIN, 0};
    if (poll(&entry, 1, 100) == 1) {
      char buffer[4096];
      ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n <= 0) return Clock::now() - start;
    }
  }
  return std::nullopt;
}

}  // namespace

TEST_F(GatewayHostile, SlowClientsDoNotHoldUpOthers) {
  zelgw::ServerOptions options;
  options.threads = 2;
  options.maxConnectionsPerAddress = 0;
  StartServer(options);
  zeltest::SlowClients slow(server_->Port(), 64, SlowOpening);
  ASSERT_EQ(slow.Connected(), 64u);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let them all be accepted and dripping

  httplib::Client client("127.0.0.1", server_->Port());
  client.set_read_timeout(5, 0);
  for (int i = 0; i < 10; ++i) {
    std::string id = "fast_" + std::to_string(i);
    auto start = Clock::now();
    auto result = client.Post("/ZELRequest", RequestBody("Test", id, {{"Server", "OK"}}), "application/xml");
    auto elapsed = Clock::now() - start;
    ASSERT_TRUE(result) << id;
    EXPECT_EQ(ParseReply(result->body).responseId, id);
    EXPECT_LT(elapsed, std::chrono::seconds(1)) << id;
  }
  EXPECT_EQ(slow.ClosedByServer(), 0u);  // still within their deadline: slow is not yet wrong
}

TEST_F(GatewayHostile, DripFedRequestsAndHandshakesMeetTheirDeadline) {
  zelgw::ServerOptions options;
  options.requestDeadlineSeconds = 1;
  options.idleTimeoutSeconds = 60;  // the drip keeps the connection from ever being idle
  StartServer(options);
  int fd = rawhttp::Connect(server_->Port());
  ASSERT_GE(fd, 0);
  rawhttp::SendAll(fd, "POST /ZELRequest HTTP/1.1\r\nHost: gateway\r\nX-Slow: ");
  std::optional<Clock::duration> head = DripUntilClosed(fd, std::chrono::seconds(10));
  close(fd);
  ASSERT_TRUE(head) << "a drip-fed head outlived its deadline";
  EXPECT_LT(*head, std::chrono::seconds(5));

  // The deadline covers the body too, and a request that is on time is not cut.
  fd = rawhttp::Connect(server_->Port());
  std::string request = rawhttp::Post(std::string(1000, ' '), kXml);
  rawhttp::SendAll(fd, request.substr(0, request.size() - 900));
  std::optional<Clock::duration> body = DripUntilClosed(fd, std::chrono::seconds(10));
  close(fd);
  ASSERT_TRUE(body) << "a drip-fed body outlived its deadline";
  EXPECT_TRUE(ProbeAnswered("on_time"));

  server_->Stop();
  options.certFile = dir_.File("cert.pem");
  options.keyFile = dir_.File("key.pem");
  ASSERT_TRUE(rawhttp::WriteSelfSignedCertificate(options.certFile, options.keyFile));
  StartServer(options);
  fd = rawhttp::Connect(server_->Port());
  // A TLS handshake record announcing 512 bytes, which then come one at a time.
  rawhttp::SendAll(fd, std::string("\x16\x03\x01\x02\x00\x01", 6));
  std::optional<Clock::duration> handshake = DripUntilClosed(fd, std::chrono::seconds(10));
  close(fd);
  ASSERT_TRUE(handshake) << "a drip-fed TLS handshake outlived its deadline";
  EXPECT_LT(*handshake, std::chrono::seconds(5));
}

TEST_F(GatewayHostile, OneAddressCannotTakeEveryConnection) {
  zelgw::ServerOptions options;
  options.maxConnectionsPerAddress = 4;
  StartServer(options);
  std::vector<int> held;
  for (int i = 0; i < 4; ++i) {
    held.push_back(rawhttp::Connect(server_->Port()));
    ASSERT_GE(held.back(), 0);
    rawhttp::SendAll(held.back(), "POST /ZELRequest HTTP/1.1\r\n");
  }
  // The fifth is dropped unanswered...
  rawhttp::Received fifth = rawhttp::Exchange(server_->Port(), rawhttp::Post(RequestBody("Test", "5"), kXml));
  EXPECT_EQ(fifth.text, "");
  EXPECT_TRUE(fifth.closed || fifth.reset);
  // ...until one of the four leaves.
  close(held.back());
  held.pop_back();
  bool answered = false;
  for (auto start = Clock::now(); !answered && Clock::now() - start < std::chrono::seconds(10);) {
    answered = ProbeAnswered("after");
    if (!answered) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(answered);
  for (int fd : held) close(fd);
}

TEST_F(GatewayHostile, AThousandConcurrentClientsAreAllAnswered) {
  constexpr int kClients = 1000;
  ASSERT_TRUE(rawhttp::EnsureDescriptors(3 * kClients)) << "needs descriptors for both ends";
  zelgw::ServerOptions options;
  options.threads = 4;
  options.maxConnections = 2 * kClients;
  options.maxConnectionsPerAddress = 0;
  StartServer(options);

  struct Client {
    int fd = -1;
    std::string request;
    std::size_t sent = 0;
    std::string received;
    bool done = false;
    int error = 0;
  };
  std::vector<Client> clients(kClients);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(server_->Port()));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  for (int i = 0; i < kClients; ++i) {
    Client& client = clients[i];
    client.request = rawhttp::Post(RequestBody("Test", "c" + std::to_string(i), {{"Server", "OK"}}),
                                   kXml + "Connection: close\r\n");
    client.fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    ASSERT_GE(client.fd, 0);
    int result = connect(client.fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ASSERT_TRUE(result == 0 || errno == EINPROGRESS) << i;
  }

  int open = kClients;
  auto deadline = Clock::now() + std::chrono::seconds(120);
  std::vector<pollfd> entries(kClients);
  while (open > 0 && Clock::now() < deadline) {
    for (int i = 0; i < kClients; ++i) {
      const Client& client = clients[i];
      entries[i] = {client.done ? -1 : client.fd,
                    static_cast<short>(client.sent < client.request.size() ? POLLOUT : POLLIN), 0};
    }
    if (poll(entries.data(), entries.size(), 1000) <= 0) continue;
    for (int i = 0; i < kClients; ++i) {
      Client& client = clients[i];
      if (client.done || entries[i].revents == 0) continue;
      ssize_t n = 0;
      if (client.sent < client.request.size()) {
        n = send(client.fd, client.request.data() + client.sent, client.request.size() - client.sent,
                 MSG_NOSIGNAL);
        if (n > 0) client.sent += static_cast<std::size_t>(n);
      } else {
        char buffer[4096];
        n = recv(client.fd, buffer, sizeof buffer, 0);
        if (n > 0) client.received.append(buffer, static_cast<std::size_t>(n));
      }
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        client.error = n < 0 ? errno : 0;
        client.done = true;
        --open;
      }
    }
  }

  int answered = 0, resets = 0;
  for (int i = 0; i < kClients; ++i) {
    Client& client = clients[i];
    close(client.fd);
    resets += client.error != 0;
    std::vector<rawhttp::Reply> replies = rawhttp::SplitReplies(client.received);
    answered += replies.size() == 1 && replies[0].status == 200 &&
                ParseReply(replies[0].body).responseId == "c" + std::to_string(i);
  }
  EXPECT_EQ(open, 0);
  EXPECT_EQ(resets, 0);
  EXPECT_EQ(answered, kClients);
}

// Bodies no longer wait for a free thread, so those in flight share one budget instead.
TEST(GatewayBodyBudget, BodiesInFlightShareOneBudget) {
  zelgw::Store store(":memory:");
  zelgw::Gateway gateway(store, 2000);
  zelgw::ServerOptions options;
  options.maxBufferedBodyBytes = 4000;
  zelgw::GatewayServer server(gateway, options);
  server.Start();
  auto request = [](const std::string& id) {
    std::string body = RequestBody("Test", id, {{"Server", "OK"}});
    body.resize(2000, ' ');
    return rawhttp::Post(body, kXml + "Connection: close\r\n");
  };

  std::vector<int> started;
  for (const char* id : {"a", "b"}) {
    started.push_back(rawhttp::Connect(server.Port()));
    ASSERT_GE(started.back(), 0);
    std::string text = request(id);
    rawhttp::SendAll(started.back(), text.substr(0, text.size() - 500));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // both three quarters in: 3000 bytes held

  std::vector<rawhttp::Reply> third =
      rawhttp::SplitReplies(rawhttp::Exchange(server.Port(), request("c")).text);
  ASSERT_EQ(third.size(), 1u);
  EXPECT_EQ(third[0].status, 503);
  EXPECT_EQ(ParseReply(third[0].body).rootErrors.at(0).code, 108);

  for (std::size_t i = 0; i < started.size(); ++i) {
    std::string text = request(i == 0 ? "a" : "b");
    rawhttp::SendAll(started[i], text.substr(text.size() - 500));
    std::vector<rawhttp::Reply> replies = rawhttp::SplitReplies(rawhttp::ReadToEnd(started[i]).text);
    close(started[i]);
    ASSERT_EQ(replies.size(), 1u) << i;
    EXPECT_EQ(replies[0].status, 200);
    EXPECT_EQ(ParseReply(replies[0].body).responseId, i == 0 ? "a" : "b");
  }
  // What the answered and the refused requests held is given back.
  for (const char* id : {"d", "e", "f"}) {
    std::vector<rawhttp::Reply> later =
        rawhttp::SplitReplies(rawhttp::Exchange(server.Port(), request(id)).text);
    ASSERT_EQ(later.size(), 1u) << id;
    EXPECT_EQ(later[0].status, 200) << id;
  }
  server.Stop();
}

// The program, where its memory can be read: endless heads from several clients at once.
TEST(GatewayProgramHostile, EndlessHeadsLeaveTheProgramSmall) {
  TempDir dir;
  rawhttp::GatewayProcess program({"--store", dir.File("pdm.db"), "--log", dir.File("requests.log"),
                                   "--max-connections", "500", "--max-per-address", "50", "--idle-timeout",
                                   "10", "--request-timeout", "20"});
  ASSERT_GT(program.Port(), 0) << program.Output();
  constexpr int kClients = 8;
  std::vector<std::size_t> sent(kClients);
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i)
    clients.emplace_back([&, i] { sent[i] = rawhttp::StreamEndlessHead(program.Port(), 50u << 20); });
  for (std::thread& client : clients) client.join();
  for (int i = 0; i < kClients; ++i) EXPECT_LT(sent[i], 1u << 20) << i;
  // The peak as well as the present: a burst that was freed again would not show in the resident size.
  EXPECT_LT(program.StatusKilobytes("VmHWM"), 200 * 1024);
  EXPECT_GT(program.StatusKilobytes("VmRSS"), 0);
  EXPECT_LT(program.StatusKilobytes("VmRSS"), 200 * 1024);

  httplib::Client client("127.0.0.1", program.Port());
  client.set_read_timeout(10, 0);
  auto result =
      client.Post("/ZELRequest", RequestBody("Test", "after", {{"Server", "OK"}}), "application/xml");
  ASSERT_TRUE(result);
  EXPECT_EQ(ParseReply(result->body).responseId, "after");
}

TEST(GatewayProgramHostile, SigtermEndsTheProgramPromptlyWithSlowClientsConnected) {
  TempDir dir;
  const std::string storeFile = dir.File("pdm.db");
  rawhttp::GatewayProcess program({"--store", storeFile, "--seed", "--log", dir.File("requests.log")});
  ASSERT_GT(program.Port(), 0) << program.Output();
  {
    httplib::Client client("127.0.0.1", program.Port());
    client.set_read_timeout(10, 0);
    auto result =
        client.Post("/ZELRequest", RequestBody("Test", "before", {{"Server", "OK"}}), "application/xml");
    ASSERT_TRUE(result);
  }
  zeltest::SlowClients slow(program.Port(), 8, SlowOpening);
  ASSERT_EQ(slow.Connected(), 8u);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(5000), std::optional<int>(0)) << "not ended within 5 s of SIGTERM";

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(storeFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* check = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
  sqlite3_finalize(check);
  sqlite3_close(db);
}
