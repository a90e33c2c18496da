// ZELGateway: the reference gateway server of ZEL, serving the gateway functions from a SQLite PDM store.
#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "zelgw/Gateway.h"
#include "zelgw/RequestLog.h"
#include "zelgw/Server.h"
#include "zelgw/Store.h"

namespace {

constexpr int kDefaultPort = 8080;

const char kUsage[] =
    "Usage: ZELGateway [options]\n"
    "Answers ZEL gateway requests (POST <base>ZELRequest) from a PDM store in SQLite.\n"
    "\n"
    "  --port N          TCP port; 0 picks a free one (default 8080)\n"
    "  --bind ADDRESS    address to listen on (default 127.0.0.1)\n"
    "  --base-path PATH  target prefix; requests go to PATH.../ZELRequest (default /)\n"
    "  --store FILE      SQLite store, created with the demo data when new\n"
    "                    (default zelgateway.db in the current directory; :memory: for a transient one)\n"
    "  --seed            replace the store's data with the demo data set before serving\n"
    "  --cert FILE       TLS certificate chain (PEM); with --key the gateway serves https\n"
    "  --key FILE        TLS private key (PEM)\n"
    "  --threads N       worker threads (default 8)\n"
    "  --log FILE        request log, appended to (default standard output)\n"
    "  --help            this text\n"
    "\n"
    "Prints \"ZELGateway listening on URL\" once it accepts requests; SIGINT or SIGTERM stop it.\n";

struct Options {
  zelgw::ServerOptions server;
  std::string store = "zelgateway.db";
  std::string log;
  bool seed = false;
  bool help = false;
};

bool ParseNumber(std::string_view text, long long low, long long high, long long& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc() && end == text.data() + text.size() && value >= low &&
         value <= high;
}

// Returns the error text, empty when the arguments are fine. Accepts "--name value" and "--name=value".
std::string ParseArguments(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    std::optional<std::string> inlineValue;
    if (std::size_t equals = argument.find('=');
        argument.starts_with("--") && equals != std::string_view::npos) {
      inlineValue = std::string(argument.substr(equals + 1));
      argument = argument.substr(0, equals);
    }
    auto flag = [&](bool& target) {
      if (inlineValue) return false;
      target = true;
      return true;
    };
    auto value = [&](std::string& target) {
      if (inlineValue) {
        target = *inlineValue;
        return true;
      }
      if (i + 1 >= argc) return false;
      target = argv[++i];
      return true;
    };
    std::string text;
    long long number = 0;
    if (argument == "--help" || argument == "-h") {
      if (!flag(options.help)) return "--help takes no value";
    } else if (argument == "--seed") {
      if (!flag(options.seed)) return "--seed takes no value";
    } else if (argument == "--port") {
      if (!value(text) || !ParseNumber(text, 0, 65535, number))
        return "--port needs a number from 0 to 65535";
      options.server.port = static_cast<int>(number);
    } else if (argument == "--threads") {
      if (!value(text) || !ParseNumber(text, 1, 1024, number))
        return "--threads needs a number from 1 to 1024";
      options.server.threads = static_cast<std::size_t>(number);
    } else if (argument == "--bind") {
      if (!value(options.server.bindAddress) || options.server.bindAddress.empty())
        return "--bind needs an address";
    } else if (argument == "--base-path") {
      if (!value(options.server.basePath)) return "--base-path needs a path";
    } else if (argument == "--store") {
      if (!value(options.store) || options.store.empty()) return "--store needs a file name";
    } else if (argument == "--cert") {
      if (!value(options.server.certFile) || options.server.certFile.empty())
        return "--cert needs a file name";
    } else if (argument == "--key") {
      if (!value(options.server.keyFile) || options.server.keyFile.empty()) return "--key needs a file name";
    } else if (argument == "--log") {
      if (!value(options.log) || options.log.empty()) return "--log needs a file name";
    } else {
      return "unknown option " + std::string(argument);
    }
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  options.server.port = kDefaultPort;
  if (std::string error = ParseArguments(argc, argv, options); !error.empty()) {
    std::fprintf(stderr, "ZELGateway: %s\n\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }

  // Blocked before any thread starts, so every worker inherits the mask and the main thread alone takes the
  // signals.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  try {
    zelgw::Store store(options.store);
    if (options.seed && !store.Created()) store.Seed();
    std::unique_ptr<zelgw::RequestLog> log = options.log.empty()
                                                 ? std::make_unique<zelgw::RequestLog>(stdout)
                                                 : std::make_unique<zelgw::RequestLog>(options.log);
    zelgw::Gateway gateway(store);
    zelgw::GatewayServer server(gateway, options.server, log.get());
    server.Start();
    std::printf("ZELGateway listening on %s\n", server.Url().c_str());
    std::fflush(stdout);

    // Wakes now and then to notice a server that ended on its own.
    timespec interval{0, 200 * 1000 * 1000};
    int received = -1;
    while (server.Running()) {
      received = sigtimedwait(&stopSignals, nullptr, &interval);
      if (received > 0) break;
    }
    server.Stop();
    if (received <= 0) {
      std::fprintf(stderr, "ZELGateway: the server stopped unexpectedly\n");
      return 1;
    }
    std::fprintf(stderr, "ZELGateway: stopped by %s\n", received == SIGINT ? "SIGINT" : "SIGTERM");
    return 0;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "ZELGateway: %s\n", failure.what());
    return 1;
  }
}
