// Requests per second of the gateway's "Test" function at 1, 2 and 8 concurrent clients, each client on its
// own keep-alive connection, against an in-process server on a free port; BM_GatewayTestSlowClients measures
// the same with 64 more connections that drip a byte every 100 ms and never finish their request. The
// baseline is a libmicrohttpd server with the gateway's threading that reads each body and answers a fixed
// reply, measured in the same run by the same client threads: counter x_bare is the gateway's rate over the
// baseline's, so 1 means the gateway's request checks, parsing, dispatch, reply building and request log cost
// nothing.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <microhttpd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "SlowClients.h"
#include "zelgw/Gateway.h"
#include "zelgw/RequestLog.h"
#include "zelgw/Server.h"
#include "zelgw/Store.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kServerThreads = 8;
constexpr int kSlowClients = 64;

const std::string kProbe =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ZEL><Request name=\"Test\" id=\"4242_0\">"
    "<Attribute name=\"ExecuteTest\" value=\"Mirror\"/><Attribute name=\"Server\" "
    "value=\"OK\"/></Request></ZEL>";

const std::string kFixedReply =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ZEL><Response id=\"4242_0\"><Attribute name=\"ExecuteTest\" "
    "value=\"Mirror\"/><Attribute name=\"Server\" value=\"OK\"/></Response></ZEL>";

struct GatewayUnderTest {
  zelgw::Store store{":memory:"};
  zelgw::Gateway gateway{store};
  zelgw::RequestLog log{std::string("/dev/null")};
  std::unique_ptr<zelgw::GatewayServer> server;

  explicit GatewayUnderTest(unsigned deadlineSeconds = 30) {
    zelgw::ServerOptions options;
    options.threads = kServerThreads;
    options.requestDeadlineSeconds = deadlineSeconds;
    options.idleTimeoutSeconds = deadlineSeconds;
    server = std::make_unique<zelgw::GatewayServer>(gateway, options, &log);
    server->Start();
  }
  int Port() const { return server->Port(); }
};

// libmicrohttpd as the gateway runs it, minus the gateway: the body is read and a fixed reply goes back.
struct BareServer {
  MHD_Daemon* daemon = nullptr;
  int port = 0;

  static MHD_Result Answer(void*, MHD_Connection* connection, const char*, const char*, const char*,
                           const char* upload, std::size_t* uploadSize, void** context) {
    auto* body = static_cast<std::string*>(*context);
    if (!body) {
      *context = new std::string;
      return MHD_YES;
    }
    if (*uploadSize > 0) {
      body->append(upload, *uploadSize);
      *uploadSize = 0;
      return MHD_YES;
    }
    MHD_Response* response = MHD_create_response_from_buffer(
        kFixedReply.size(), const_cast<char*>(kFixedReply.data()), MHD_RESPMEM_MUST_COPY);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "application/xml; charset=utf-8");
    MHD_Result queued = MHD_queue_response(connection, MHD_HTTP_OK, response);
    MHD_destroy_response(response);
    return queued;
  }
  static void Completed(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
    delete static_cast<std::string*>(*context);
    *context = nullptr;
  }

  BareServer() {
    sockaddr_in loopback{};
    loopback.sin_family = AF_INET;
    loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    daemon = MHD_start_daemon(MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_ITC, 0, nullptr, nullptr, &Answer,
                              nullptr, MHD_OPTION_SOCK_ADDR, &loopback, MHD_OPTION_THREAD_POOL_SIZE,
                              static_cast<unsigned>(kServerThreads), MHD_OPTION_NOTIFY_COMPLETED, &Completed,
                              nullptr, MHD_OPTION_LISTEN_BACKLOG_SIZE, 1024u, MHD_OPTION_END);
    if (daemon) port = MHD_get_daemon_info(daemon, MHD_DAEMON_INFO_BIND_PORT)->port;
  }
  ~BareServer() {
    if (daemon) MHD_stop_daemon(daemon);
  }
  int Port() const { return port; }
};

// Per-run totals of all client threads, so that every thread can report the same ratio.
struct RunTotals {
  std::mutex mutex;
  std::condition_variable allDone;
  double gatewayRate = 0;
  double bareRate = 0;
  int finished = 0;
};

struct Client {
  explicit Client(int port) : http("127.0.0.1", port) {
    http.set_keep_alive(true);
    http.set_tcp_nodelay(true);
  }
  httplib::Client http;
  double seconds = 0;
  std::int64_t requests = 0;
  double Rate() const { return seconds > 0 ? static_cast<double>(requests) / seconds : 0.0; }
};

// Each client thread switches between the gateway and the bare server every slice of requests, so both are
// measured under the same load from the rest of the machine; the rate of each is its requests over the time
// spent waiting for it. Every slice opens a new keep-alive connection: which of the server's event threads
// takes a connection changes its latency, and one fixed connection per server would make that luck the
// result.
void CompareWithBareServer(benchmark::State& state, int gatewayPort, RunTotals& totals) {
  static BareServer bare;
  constexpr std::int64_t kSlice = 64;
  if (state.thread_index() == 0) {
    std::lock_guard lock(totals.mutex);
    totals.gatewayRate = totals.bareRate = 0;
    totals.finished = 0;
  }
  Client gateway(gatewayPort), baseline(bare.Port());
  std::int64_t done = state.thread_index() % 2 ? kSlice : 0;  // half the threads start on the baseline
  for (auto _ : state) {
    Client& client = (done / kSlice) % 2 ? baseline : gateway;
    if (++done % kSlice == 0) client.http.stop();
    auto start = Clock::now();
    httplib::Result result = client.http.Post("/ZELRequest", kProbe, "application/xml");
    client.seconds += std::chrono::duration<double>(Clock::now() - start).count();
    ++client.requests;
    if (!result || result->status != 200 ||
        result->body.find("name=\"Server\" value=\"OK\"") == std::string::npos) {
      state.SkipWithError("the probe was not answered");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
  std::unique_lock lock(totals.mutex);
  totals.gatewayRate += gateway.Rate();
  totals.bareRate += baseline.Rate();
  if (++totals.finished == state.threads()) totals.allDone.notify_all();
  totals.allDone.wait_for(lock, std::chrono::seconds(30), [&] { return totals.finished == state.threads(); });
  // Every thread reports the totals; averaging over the threads keeps them as they are.
  using benchmark::Counter;
  state.counters["gateway_rps"] = Counter(totals.gatewayRate, Counter::kAvgThreads);
  state.counters["bare_rps"] = Counter(totals.bareRate, Counter::kAvgThreads);
  if (totals.bareRate > 0)
    state.counters["x_bare"] = Counter(totals.gatewayRate / totals.bareRate, Counter::kAvgThreads);
}

void BM_GatewayTest(benchmark::State& state) {
  static GatewayUnderTest gateway;
  static RunTotals totals;
  CompareWithBareServer(state, gateway.Port(), totals);
}

void BM_GatewayTestSlowClients(benchmark::State& state) {
  // The slow clients must outlast the run, so their deadline is far away.
  static GatewayUnderTest gateway(3600);
  static zeltest::SlowClients slow(gateway.Port(), kSlowClients, [](int) {
    return std::string("POST /ZELRequest HTTP/1.1\r\nHost: gateway\r\nX-Slow: ");
  });
  static RunTotals totals;
  if (slow.Connected() != static_cast<std::size_t>(kSlowClients)) {
    state.SkipWithError("the slow clients could not connect");
    return;
  }
  CompareWithBareServer(state, gateway.Port(), totals);
}

}  // namespace

BENCHMARK(BM_GatewayTest)->Threads(1)->Threads(2)->Threads(8)->UseRealTime();
BENCHMARK(BM_GatewayTestSlowClients)->Threads(1)->Threads(2)->Threads(8)->UseRealTime();
