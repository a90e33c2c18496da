// ZELGateway: the reference gateway server of ZEL, serving the gateway functions from a SQLite PDM store.
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "UsersCommand.h"
#include "zelgw/Gateway.h"
#include "zelgw/PlmDatabase.h"
#include "zelgw/RequestLog.h"
#include "zelgw/Server.h"
#include "zelgw/Store.h"
#include "zelgw/UserRepository.h"

namespace {

constexpr int kDefaultPort = 8080;

const char kUsage[] =
    "Usage: ZELGateway [options]\n"
    "       ZELGateway users add|passwd|remove|list ... (see below)\n"
    "Answers ZEL gateway requests (POST <base>ZELRequest) from a PDM store in SQLite.\n"
    "\n"
    "  --port N          TCP port; 0 picks a free one (default 8080)\n"
    "  --bind ADDRESS    address to listen on (default 127.0.0.1)\n"
    "  --base-path PATH  target prefix; requests go to PATH.../ZELRequest (default /)\n"
    "  --store FILE      SQLite store, created when new with the demo data but no user (add users with\n"
    "                    \"ZELGateway users add\"); default zelgateway.db in the current directory,\n"
    "                    :memory: for a transient one. Files of other applications are refused.\n"
    "  --plm-database FILE  the client's PLM database (the file CNEXT --plm works on): each accepted\n"
    "                    SendItemRevisionToV6 writes the sent revision and its structure into it, in one\n"
    "                    transaction; refused at start when it is no PLM database (default: none)\n"
    "  --seed            replace the store's data with the demo data set before serving, demo users\n"
    "                    admin, demo, designer and viewer included (each with its name as password)\n"
    "  --cert FILE       TLS certificate chain (PEM); with --key the gateway serves https\n"
    "  --key FILE        TLS private key (PEM)\n"
    "  --threads N       event threads, each serving many connections (default 8)\n"
    "  --max-connections N        connections served at once (default 2000)\n"
    "  --max-per-address N        connections from one client address; 0 for no limit (default 100)\n"
    "  --idle-timeout SECONDS     close a connection silent this long (default 15)\n"
    "  --request-timeout SECONDS  time a request has from its first byte to the end of its reply, the\n"
    "                             function's own running time aside (default 30)\n"
    "  --log FILE        request log, appended to (default standard output)\n"
    "  --help            this text\n"
    "\n"
    "Prints \"ZELGateway listening on URL\" once it accepts requests; SIGINT or SIGTERM stop it.\n"
    "While a demo user still has its demo password, it says so at start on standard error and in the log.\n"
    "\n";

struct Options {
  zelgw::ServerOptions server;
  std::string store = "zelgateway.db";
  std::string log;
  std::string plmDatabase;
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
    } else if (argument == "--max-connections") {
      if (!value(text) || !ParseNumber(text, 1, 1000000, number))
        return "--max-connections needs a number from 1 to 1000000";
      options.server.maxConnections = static_cast<unsigned>(number);
    } else if (argument == "--max-per-address") {
      if (!value(text) || !ParseNumber(text, 0, 1000000, number))
        return "--max-per-address needs a number from 0 to 1000000";
      options.server.maxConnectionsPerAddress = static_cast<unsigned>(number);
    } else if (argument == "--idle-timeout") {
      if (!value(text) || !ParseNumber(text, 1, 3600, number))
        return "--idle-timeout needs a number of seconds from 1 to 3600";
      options.server.idleTimeoutSeconds = static_cast<unsigned>(number);
    } else if (argument == "--request-timeout") {
      if (!value(text) || !ParseNumber(text, 1, 3600, number))
        return "--request-timeout needs a number of seconds from 1 to 3600";
      options.server.requestDeadlineSeconds = static_cast<unsigned>(number);
    } else if (argument == "--bind") {
      if (!value(options.server.bindAddress) || options.server.bindAddress.empty())
        return "--bind needs an address";
    } else if (argument == "--base-path") {
      if (!value(options.server.basePath)) return "--base-path needs a path";
    } else if (argument == "--store") {
      if (!value(options.store) || options.store.empty()) return "--store needs a file name";
    } else if (argument == "--plm-database") {
      if (!value(options.plmDatabase) || options.plmDatabase.empty())
        return "--plm-database needs a file name";
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

// Empty while no demo user has its well-known password any more.
std::string DemoPasswordWarning(zelgw::Store& store) {
  std::vector<std::string> names = zelgw::UserRepository(store).AccountsWithDemoPasswords();
  if (names.empty()) return {};
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
  return "demo users still have their demo passwords: " + list +
         "; anyone can log in as them. Change them with \"ZELGateway users passwd NAME\".";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string_view(argv[1]) == "users") return RunUsersCommand(argc - 1, argv + 1);
  Options options;
  options.server.port = kDefaultPort;
  if (std::string error = ParseArguments(argc, argv, options); !error.empty()) {
    std::fprintf(stderr, "ZELGateway: %s\n\n%s%s", error.c_str(), kUsage, kUsersUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    std::fputs(kUsersUsage, stdout);
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
    if (options.seed) store.Seed();
    if (!options.plmDatabase.empty()) {
      // Checked now, so a wrong name fails at start rather than at the first user's send.
      zelgw::PlmDatabase check(options.plmDatabase);
      store.SetPlmDatabasePath(std::filesystem::absolute(options.plmDatabase).string());
    }
    std::unique_ptr<zelgw::RequestLog> log = options.log.empty()
                                                 ? std::make_unique<zelgw::RequestLog>(stdout)
                                                 : std::make_unique<zelgw::RequestLog>(options.log);
    std::string demoWarning = DemoPasswordWarning(store);
    if (!demoWarning.empty()) std::fprintf(stderr, "ZELGateway: warning: %s\n", demoWarning.c_str());
    zelgw::Gateway gateway(store);
    // Every connection holds a descriptor: the connection limit, not the default descriptor limit, decides.
    if (rlimit files{}; getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
      files.rlim_cur = files.rlim_max;
      setrlimit(RLIMIT_NOFILE, &files);
    }
    zelgw::GatewayServer server(gateway, options.server, log.get());
    server.Start();
    std::printf("ZELGateway listening on %s\n", server.Url().c_str());
    std::fflush(stdout);
    // After the line scripts wait for, which may share standard output with the log.
    if (!demoWarning.empty()) log->Warn(demoWarning);

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
