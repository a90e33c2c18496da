// Requests per second of the gateway's "Test" function at 1, 2 and 8 concurrent clients, each on its own
// keep-alive connection, against an in-process server on a free port. The baseline, BM_BareHttpServer, is a
// cpp-httplib server configured the same way that answers a fixed reply without reading the request: read
// the ratio of BM_GatewayTest to it as the cost of parsing, dispatch, reply building and the request log.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <memory>
#include <string>
#include <thread>

#include "zelgw/Gateway.h"
#include "zelgw/RequestLog.h"
#include "zelgw/Server.h"
#include "zelgw/Store.h"

namespace {

constexpr std::size_t kServerThreads = 8;

const std::string kProbe =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ZEL><Request name=\"Test\" id=\"4242_0\">"
    "<Attribute name=\"ExecuteTest\" value=\"Mirror\"/><Attribute name=\"Server\" "
    "value=\"OK\"/></Request></ZEL>";

struct GatewayUnderTest {
  zelgw::Store store{":memory:"};
  zelgw::Gateway gateway{store};
  zelgw::RequestLog log{std::string("/dev/null")};
  std::unique_ptr<zelgw::GatewayServer> server;

  GatewayUnderTest() {
    zelgw::ServerOptions options;
    options.threads = kServerThreads;
    server = std::make_unique<zelgw::GatewayServer>(gateway, options, &log);
    server->Start();
  }
};

struct BareServer {
  httplib::Server server;
  std::thread listener;
  int port = 0;

  BareServer() {
    server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    server.set_tcp_nodelay(true);
    server.set_keep_alive_max_count(100);
    const std::string reply =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ZEL><Response id=\"4242_0\"><Attribute "
        "name=\"ExecuteTest\" "
        "value=\"Mirror\"/><Attribute name=\"Server\" value=\"OK\"/></Response></ZEL>";
    server.Post("/ZELRequest", [reply](const httplib::Request&, httplib::Response& response) {
      response.set_content(reply, "application/xml; charset=utf-8");
    });
    port = server.bind_to_any_port("127.0.0.1");
    listener = std::thread([this] { server.listen_after_bind(); });
    while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~BareServer() {
    server.stop();
    listener.join();
  }
};

void PostProbes(benchmark::State& state, int port) {
  httplib::Client client("127.0.0.1", port);
  client.set_keep_alive(true);
  client.set_tcp_nodelay(true);
  for (auto _ : state) {
    httplib::Result result = client.Post("/ZELRequest", kProbe, "application/xml");
    if (!result || result->status != 200 ||
        result->body.find("name=\"Server\" value=\"OK\"") == std::string::npos) {
      state.SkipWithError("the probe was not answered");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_BareHttpServer(benchmark::State& state) {
  static BareServer server;
  PostProbes(state, server.port);
}

void BM_GatewayTest(benchmark::State& state) {
  static GatewayUnderTest gateway;
  PostProbes(state, gateway.server->Port());
}

}  // namespace

BENCHMARK(BM_BareHttpServer)->Threads(1)->Threads(2)->Threads(8)->UseRealTime();
BENCHMARK(BM_GatewayTest)->Threads(1)->Threads(2)->Threads(8)->UseRealTime();
