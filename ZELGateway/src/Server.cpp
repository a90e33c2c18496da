#include "zelgw/Server.h"

#include <microhttpd.h>
#include <netdb.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <unordered_set>

#include "zelgw/Reply.h"

namespace zelgw {
namespace {

using Clock = std::chrono::steady_clock;

// Only 1.2 and 1.3: the older versions have known weaknesses and no client of ours needs them.
constexpr const char* kTlsPriorities = "NORMAL:-VERS-ALL:+VERS-TLS1.3:+VERS-TLS1.2";
constexpr int kListenBacklog = 1024;
// Room beyond the request head in each connection's memory: the reply headers and the read buffer of the
// body.
constexpr std::size_t kConnectionMemoryMargin = 16 * 1024;
// How often overdue connections are looked for; deadlines are met to within this.
constexpr auto kDeadlineScan = std::chrono::milliseconds(200);
// Body bytes beyond the limit that are still read (and dropped) so that the client gets its refusal.
constexpr std::size_t kMaxDroppedBytes = 1024 * 1024;

// One TCP connection, from accept to close. The watchdog reads it under the registry's lock; the event
// thread that owns the connection updates the atomics without it.
struct OpenConnection {
  int fd = -1;
  std::atomic<Clock::rep> deadline{0};
  std::atomic<bool> busy{false};  // the gateway is running a function for it
  bool cut = false;
};

// One request on a connection, from its head to the end of its reply.
struct Exchange {
  Clock::time_point start = Clock::now();
  std::string method;
  std::string path;
  std::string body;
  bool answered = false;
  // Set when the body outgrew its limit or the shared budget while it arrived; the rest is then dropped.
  enum class Refusal { kNone, kTooLarge, kBusy } refusal = Refusal::kNone;
  std::size_t dropped = 0;
  std::size_t reserved = 0;  // body bytes counted against the server's budget
  int status = 0;
  std::string function;
  std::string requestId;
  int errorCode = 0;
  std::string detail;
};

struct FramingHeaders {
  std::vector<std::string> lengths;
  std::vector<std::string> codings;
};

MHD_Result CollectFraming(void* cls, MHD_ValueKind, const char* key, const char* value) {
  auto& framing = *static_cast<FramingHeaders*>(cls);
  if (!strcasecmp(key, MHD_HTTP_HEADER_CONTENT_LENGTH)) framing.lengths.emplace_back(value ? value : "");
  if (!strcasecmp(key, MHD_HTTP_HEADER_TRANSFER_ENCODING)) framing.codings.emplace_back(value ? value : "");
  return MHD_YES;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// application/xml, text/xml or any application/...+xml, parameters aside. A request without a type is
// taken as XML; the parser decides.
bool IsXmlContentType(const char* header) {
  if (!header) return true;
  std::string_view type = header;
  type = Trim(type.substr(0, type.find(';')));
  if (EqualsIgnoringCase(type, "application/xml") || EqualsIgnoringCase(type, "text/xml")) return true;
  constexpr std::string_view kApplication = "application/", kXmlSuffix = "+xml";
  return type.size() > kApplication.size() + kXmlSuffix.size() &&
         EqualsIgnoringCase(type.substr(0, kApplication.size()), kApplication) &&
         EqualsIgnoringCase(type.substr(type.size() - kXmlSuffix.size()), kXmlSuffix);
}

std::string ReadPemFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  // Key and certificate files are a few kilobytes; anything huge is not one.
  if (text.str().size() > 1024 * 1024) throw std::runtime_error(path + " is too large for a PEM file");
  return text.str();
}

// A listening socket of our own: SO_REUSEADDR only (never SO_REUSEPORT, which would let a second gateway
// share the port unnoticed) and a backlog that absorbs bursts of clients.
int Listen(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  std::string service = std::to_string(port);
  if (getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &found) != 0 || !found)
    return -1;
  int fd = -1;
  for (addrinfo* entry = found; entry && fd < 0; entry = entry->ai_next) {
    fd = socket(entry->ai_family, entry->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, entry->ai_protocol);
    if (fd < 0) continue;
    int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (bind(fd, entry->ai_addr, entry->ai_addrlen) != 0 || listen(fd, kListenBacklog) != 0) {
      close(fd);
      fd = -1;
    }
  }
  freeaddrinfo(found);
  return fd;
}

int BoundPort(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
  if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
  if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
  return -1;
}

Clock::rep DeadlineIn(unsigned seconds) {
  return (Clock::now() + std::chrono::seconds(seconds)).time_since_epoch().count();
}

}  // namespace

struct GatewayServer::Impl {
  const Gateway& gateway;
  ServerOptions options;
  RequestLog* log;
  MHD_Daemon* daemon = nullptr;
  int port = 0;
  std::string tlsKey, tlsCert;

  std::atomic<std::size_t> bufferedBodyBytes{0};

  std::mutex registryMutex;
  std::unordered_set<OpenConnection*> connections;
  std::condition_variable watchdogWake;
  bool stopping = false;
  std::thread watchdog;

  std::mutex startMessagesMutex;
  bool collectStartMessages = false;
  std::string startMessages;

  Impl(const Gateway& g, ServerOptions o, RequestLog* l) : gateway(g), options(std::move(o)), log(l) {}

  bool IsGatewayTarget(std::string_view path) const {
    const std::string& base = options.basePath;
    return path.size() >= base.size() + kTargetSuffix.size() && path.substr(0, base.size()) == base &&
           path.substr(path.size() - kTargetSuffix.size()) == kTargetSuffix;
  }

  // --- replies -------------------------------------------------------------------------------------------

  // A request answered before its body was read in full must close its connection: what is left on it would
  // otherwise be read as the next request.
  static MHD_Result Answer(MHD_Connection* connection, Exchange& exchange, int status, std::string_view body,
                           std::string_view contentType, bool close, const char* allow = nullptr) {
    MHD_Response* response =
        MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    if (!response) return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, std::string(contentType).c_str());
    if (close) MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    if (allow) MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, allow);
    MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(status), response);
    MHD_destroy_response(response);
    exchange.answered = true;
    exchange.status = status;
    return queued;
  }

  static MHD_Result RootErrorAndClose(MHD_Connection* connection, Exchange& exchange, ProtocolError error,
                                      std::string_view text, int status = 0, const char* allow = nullptr) {
    exchange.errorCode = static_cast<int>(error);
    return Answer(connection, exchange, status ? status : HttpStatusFor(error),
                  RootErrorDocument(error, text), kXmlContentType, true, allow);
  }

  // --- request stages ------------------------------------------------------------------------------------

  // The head has arrived: everything that can be refused without the body is refused here.
  MHD_Result Begin(MHD_Connection* connection, Exchange& exchange) {
    const MHD_ConnectionInfo* head =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_REQUEST_HEADER_SIZE);
    int lines = MHD_get_connection_values(connection, MHD_HEADER_KIND, nullptr, nullptr);
    if ((head && head->header_size > options.maxHeadBytes) ||
        lines > static_cast<int>(options.maxHeaderLines)) {
      return RootErrorAndClose(connection, exchange, ProtocolError::kBadHttpRequest,
                               "The request head is larger than the gateway accepts (" +
                                   std::to_string(options.maxHeadBytes) + " bytes, " +
                                   std::to_string(options.maxHeaderLines) + " header lines).",
                               MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE);
    }
    if (!IsGatewayTarget(exchange.path)) {
      exchange.errorCode = 404;
      return Answer(
          connection, exchange, MHD_HTTP_NOT_FOUND,
          "Not found. The ZEL gateway answers POST requests on " + options.basePath + "ZELRequest.\n",
          "text/plain; charset=utf-8", true);
    }
    if (exchange.method != MHD_HTTP_METHOD_POST) {
      return RootErrorAndClose(
          connection, exchange, ProtocolError::kMethodNotAllowed,
          "The gateway answers POST requests only; this request used " + exchange.method.substr(0, 40) + ".",
          0, "POST");
    }

    FramingHeaders framing;
    MHD_get_connection_values(connection, MHD_HEADER_KIND, CollectFraming, &framing);
    if (!framing.codings.empty() && (!framing.lengths.empty() || framing.codings.size() > 1 ||
                                     !EqualsIgnoringCase(Trim(framing.codings.front()), "chunked"))) {
      // Two framings, or one we do not speak: where the body ends would be guesswork.
      return RootErrorAndClose(
          connection, exchange, ProtocolError::kBadHttpRequest,
          "The request body must be framed by Content-Length or by chunked transfer coding "
          "alone.");
    }
    const std::size_t limit = gateway.MaxBodyBytes();
    if (!framing.lengths.empty()) {
      std::string_view text = Trim(framing.lengths.front());
      for (const std::string& other : framing.lengths) {
        // Disagreeing lengths are how requests are smuggled past a proxy that believes the other one.
        if (Trim(other) != text) {
          return RootErrorAndClose(connection, exchange, ProtocolError::kBadHttpRequest,
                                   "The request has Content-Length headers that disagree.");
        }
      }
      unsigned long long length = 0;
      auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
      if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return RootErrorAndClose(connection, exchange, ProtocolError::kBadHttpRequest,
                                 "The Content-Length of the request is not a number.");
      }
      // Refused before reading: a huge body is never received, let alone stored.
      if (length > limit) {
        return RootErrorAndClose(connection, exchange, ProtocolError::kTooLarge,
                                 "The request body has " + std::string(text) +
                                     " bytes; the gateway accepts at most " + std::to_string(limit) + ".");
      }
    }
    const char* type = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_TYPE);
    if (!IsXmlContentType(type)) {
      return RootErrorAndClose(connection, exchange, ProtocolError::kBadHttpRequest,
                               "The gateway reads XML request bodies only (Content-Type application/xml).",
                               MHD_HTTP_UNSUPPORTED_MEDIA_TYPE);
    }
    return MHD_YES;
  }

  MHD_Result Receive(MHD_Connection* connection, Exchange& exchange, const char* data, std::size_t size) {
    const std::size_t limit = gateway.MaxBodyBytes();
    if (exchange.refusal == Exchange::Refusal::kNone) {
      if (size > limit - exchange.body.size()) {
        exchange.refusal = Exchange::Refusal::kTooLarge;
      } else if (!Reserve(exchange, size)) {
        exchange.refusal = Exchange::Refusal::kBusy;
      } else {
        exchange.body.append(data, size);
        return MHD_YES;
      }
      exchange.dropped = exchange.body.size();
      std::string().swap(exchange.body);
      Release(exchange);
      if (Refuse(connection, exchange) == MHD_YES) return MHD_YES;
      exchange.answered = false;
    }
    // The refusal goes out once the body has ended; a body far beyond the limit is not waited for.
    exchange.dropped += size;
    return exchange.dropped > limit + kMaxDroppedBytes ? MHD_NO : MHD_YES;
  }

  MHD_Result Refuse(MHD_Connection* connection, Exchange& exchange) {
    if (exchange.refusal == Exchange::Refusal::kBusy) {
      return RootErrorAndClose(connection, exchange, ProtocolError::kTooLarge,
                               "The gateway is holding too many request bodies at once; try again shortly.",
                               MHD_HTTP_SERVICE_UNAVAILABLE);
    }
    return RootErrorAndClose(connection, exchange, ProtocolError::kTooLarge,
                             "The request body is larger than the gateway's limit of " +
                                 std::to_string(gateway.MaxBodyBytes()) + " bytes.");
  }

  // Connections no longer cost a thread each, so the bodies they hold must have a bound of their own.
  bool Reserve(Exchange& exchange, std::size_t size) {
    std::size_t total = bufferedBodyBytes.fetch_add(size) + size;
    if (total > options.maxBufferedBodyBytes) {
      bufferedBodyBytes.fetch_sub(size);
      return false;
    }
    exchange.reserved += size;
    return true;
  }

  void Release(Exchange& exchange) {
    bufferedBodyBytes.fetch_sub(exchange.reserved);
    exchange.reserved = 0;
  }

  MHD_Result Finish(MHD_Connection* connection, Exchange& exchange) {
    if (exchange.refusal != Exchange::Refusal::kNone) return Refuse(connection, exchange);
    GatewayResult result;
    {
      // The function's own running time is not the client's fault; the reply then gets a full deadline of its
      // own to reach a client that reads slowly.
      struct Busy {
        OpenConnection* owner;
        unsigned seconds;
        ~Busy() {
          if (!owner) return;
          owner->deadline = DeadlineIn(seconds);
          owner->busy = false;
        }
      } busy{ConnectionOf(connection), options.requestDeadlineSeconds};
      if (busy.owner) busy.owner->busy = true;
      result = gateway.HandleRequestBody(std::move(exchange.body));
    }
    exchange.function = std::move(result.function);
    exchange.requestId = std::move(result.requestId);
    exchange.errorCode = result.errorCode;
    exchange.detail = std::move(result.detail);
    return Answer(connection, exchange, result.httpStatus, result.body, kXmlContentType, false);
  }

  static OpenConnection* ConnectionOf(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return info ? static_cast<OpenConnection*>(info->socket_context) : nullptr;
  }

  void Log(const Exchange& exchange, MHD_RequestTerminationCode termination) {
    if (!log) return;
    double milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - exchange.start).count();
    int code = exchange.errorCode;
    std::string detail = exchange.detail;
    if (!exchange.answered) {
      code = static_cast<int>(ProtocolError::kBadHttpRequest);
      detail =
          "the connection ended before the request was complete: " + exchange.method + " " + exchange.path;
    } else if (termination != MHD_REQUEST_TERMINATED_COMPLETED_OK && code == 0) {
      detail = "the reply could not be delivered";
    } else if (detail.empty() && code != 0 && exchange.function.empty()) {
      detail = "HTTP " + std::to_string(exchange.status) + " " + exchange.method + " " + exchange.path;
    }
    log->Write(exchange.function, exchange.requestId, code, milliseconds, detail);
  }

  // --- connections and their deadlines ----------------------------------------------------------------

  void Opened(MHD_Connection* connection, void** socketContext) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    auto state = std::make_unique<OpenConnection>();
    state->fd = info ? info->connect_fd : -1;
    // The clock starts at accept, so a handshake or request head dripped a byte at a time is cut too.
    state->deadline = DeadlineIn(options.requestDeadlineSeconds);
    std::lock_guard lock(registryMutex);
    connections.insert(state.get());
    *socketContext = state.release();
  }

  void Closed(void** socketContext) {
    auto* state = static_cast<OpenConnection*>(*socketContext);
    if (!state) return;
    {
      // The library closes the socket only after this returns, so the watchdog never touches a reused one.
      std::lock_guard lock(registryMutex);
      connections.erase(state);
    }
    delete state;
    *socketContext = nullptr;
  }

  void Watch() {
    std::unique_lock lock(registryMutex);
    while (!stopping) {
      watchdogWake.wait_for(lock, kDeadlineScan);
      Clock::rep now = Clock::now().time_since_epoch().count();
      for (OpenConnection* connection : connections) {
        if (connection->cut || connection->busy || connection->deadline > now || connection->fd < 0) continue;
        // The event thread sees the end of the stream and closes the connection itself.
        shutdown(connection->fd, SHUT_RDWR);
        connection->cut = true;
      }
    }
  }

  // --- callbacks from the library, which must not see exceptions -------------------------------------

  static MHD_Result OnRequest(void* cls, MHD_Connection* connection, const char* url, const char* method,
                              const char*, const char* upload, std::size_t* uploadSize, void** context) {
    Impl& impl = *static_cast<Impl*>(cls);
    try {
      auto* exchange = static_cast<Exchange*>(*context);
      if (!exchange) {
        exchange = new Exchange;
        *context = exchange;
        exchange->method = method ? method : "";
        exchange->path = url ? url : "";
        return impl.Begin(connection, *exchange);
      }
      if (exchange->answered) {
        *uploadSize = 0;
        return MHD_YES;
      }
      if (*uploadSize > 0) {
        std::size_t size = *uploadSize;
        *uploadSize = 0;
        return impl.Receive(connection, *exchange, upload, size);
      }
      return impl.Finish(connection, *exchange);
    } catch (...) {
      // Out of memory or a failing log: drop this connection, keep serving the others.
      return MHD_NO;
    }
  }

  static void OnCompleted(void* cls, MHD_Connection* connection, void** context,
                          MHD_RequestTerminationCode termination) {
    Impl& impl = *static_cast<Impl*>(cls);
    std::unique_ptr<Exchange> exchange(static_cast<Exchange*>(*context));
    *context = nullptr;
    // The next request on a kept-alive connection gets a deadline of its own.
    if (OpenConnection* owner = ConnectionOf(connection))
      owner->deadline = DeadlineIn(impl.options.requestDeadlineSeconds);
    if (!exchange) return;
    impl.Release(*exchange);
    try {
      impl.Log(*exchange, termination);
    } catch (...) {
    }
  }

  static void OnConnection(void* cls, MHD_Connection* connection, void** socketContext,
                           MHD_ConnectionNotificationCode code) {
    Impl& impl = *static_cast<Impl*>(cls);
    try {
      if (code == MHD_CONNECTION_NOTIFY_STARTED)
        impl.Opened(connection, socketContext);
      else
        impl.Closed(socketContext);
    } catch (...) {
      // Without a registry entry the connection still has the idle time-out.
    }
  }

  static void OnLibraryMessage(void* cls, const char* format, va_list arguments) {
    Impl& impl = *static_cast<Impl*>(cls);
    std::lock_guard lock(impl.startMessagesMutex);
    // Only start-up failures are worth keeping; what hostile clients provoke later would flood any log.
    if (!impl.collectStartMessages || impl.startMessages.size() > 2000) return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    std::string_view line = Trim(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (!impl.startMessages.empty()) impl.startMessages += "; ";
    impl.startMessages += line;
  }
};

std::string GatewayServer::NormalizeBasePath(std::string_view path) {
  if (path.find_first_of(" \t\r\n?#") != std::string_view::npos) {
    throw std::invalid_argument("the base path \"" + std::string(path) + "\" has blanks, '?' or '#'");
  }
  std::string normalized = "/";
  for (char c : path) {
    if (c == '/' && normalized.back() == '/') continue;
    normalized += c;
  }
  if (normalized.back() != '/') normalized += '/';
  return normalized;
}

GatewayServer::GatewayServer(const Gateway& gateway, ServerOptions options, RequestLog* log)
    : impl_(std::make_unique<Impl>(gateway, std::move(options), log)) {
  ServerOptions& o = impl_->options;
  o.basePath = NormalizeBasePath(o.basePath);
  if (o.threads == 0 || o.threads > 1024) throw std::invalid_argument("the thread count must be 1 to 1024");
  if (o.certFile.empty() != o.keyFile.empty()) {
    throw std::invalid_argument("TLS needs both a certificate file and a key file");
  }
  if (o.port < 0 || o.port > 65535) throw std::invalid_argument("the port must be 0 to 65535");
  if (o.maxConnections == 0 || o.maxConnections > 1000000)
    throw std::invalid_argument("the connection limit must be 1 to 1000000");
  if (o.idleTimeoutSeconds == 0 || o.requestDeadlineSeconds == 0)
    throw std::invalid_argument("the time-outs must be at least one second");
  if (o.maxBufferedBodyBytes < gateway.MaxBodyBytes())
    throw std::invalid_argument("the body budget must hold at least one body of the largest size accepted");
  if (o.maxHeadBytes < 1024 || o.maxHeadBytes > 16 * 1024 * 1024 || o.maxHeaderLines == 0)
    throw std::invalid_argument("the request head must be allowed 1 KiB to 16 MiB and at least one line");
}

GatewayServer::~GatewayServer() {
  Stop();
}

void GatewayServer::Start() {
  Impl& impl = *impl_;
  if (impl.daemon) throw std::logic_error("the gateway server is already started");
  // A client that hangs up while its reply is being written must not end the process.
  struct sigaction current {};
  if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
    std::signal(SIGPIPE, SIG_IGN);

  const ServerOptions& o = impl.options;
  if (Secure()) {
    try {
      impl.tlsCert = ReadPemFile(o.certFile);
      impl.tlsKey = ReadPemFile(o.keyFile);
    } catch (const std::exception& failure) {
      throw std::runtime_error("cannot load the TLS certificate " + o.certFile + " with the key " +
                               o.keyFile + ": " + failure.what());
    }
  }
  int listener = Listen(o.bindAddress, o.port);
  if (listener < 0) {
    throw std::runtime_error("cannot listen on " + o.bindAddress + " port " + std::to_string(o.port) +
                             " (address in use or not available)");
  }
  impl.port = BoundPort(listener);

  std::vector<MHD_OptionItem> items = {
      {MHD_OPTION_LISTEN_SOCKET, listener, nullptr},
      {MHD_OPTION_THREAD_POOL_SIZE, static_cast<intptr_t>(o.threads), nullptr},
      {MHD_OPTION_CONNECTION_LIMIT, static_cast<intptr_t>(o.maxConnections), nullptr},
      {MHD_OPTION_CONNECTION_TIMEOUT, static_cast<intptr_t>(o.idleTimeoutSeconds), nullptr},
      {MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<intptr_t>(o.maxHeadBytes + kConnectionMemoryMargin),
       nullptr},
      {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&Impl::OnCompleted), &impl},
      {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&Impl::OnConnection), &impl},
      {MHD_OPTION_SIGPIPE_HANDLED_BY_APP, 1, nullptr},
  };
  if (o.maxConnectionsPerAddress > 0)
    items.push_back(
        {MHD_OPTION_PER_IP_CONNECTION_LIMIT, static_cast<intptr_t>(o.maxConnectionsPerAddress), nullptr});
  unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_ITC | MHD_USE_ERROR_LOG;
  if (Secure()) {
    flags |= MHD_USE_TLS;
    items.push_back({MHD_OPTION_HTTPS_MEM_CERT, 0, impl.tlsCert.data()});
    items.push_back({MHD_OPTION_HTTPS_MEM_KEY, 0, impl.tlsKey.data()});
    items.push_back({MHD_OPTION_HTTPS_PRIORITIES, 0, const_cast<char*>(kTlsPriorities)});
  }
  items.push_back({MHD_OPTION_END, 0, nullptr});

  {
    std::lock_guard lock(impl.startMessagesMutex);
    impl.collectStartMessages = true;
    impl.startMessages.clear();
  }
  impl.stopping = false;
  // The logger comes first, so that complaints about the options that follow reach it too.
  impl.daemon =
      MHD_start_daemon(flags, 0, nullptr, nullptr, &Impl::OnRequest, &impl, MHD_OPTION_EXTERNAL_LOGGER,
                       &Impl::OnLibraryMessage, &impl, MHD_OPTION_ARRAY, items.data(), MHD_OPTION_END);
  std::string messages;
  {
    std::lock_guard lock(impl.startMessagesMutex);
    impl.collectStartMessages = false;
    messages = std::move(impl.startMessages);
  }
  if (!impl.daemon) {
    close(listener);
    std::string reason = messages.empty() ? "" : " (" + messages + ")";
    if (Secure()) {
      throw std::runtime_error("cannot load the TLS certificate " + o.certFile + " with the key " +
                               o.keyFile + reason);
    }
    throw std::runtime_error("cannot start serving on " + o.bindAddress + " port " +
                             std::to_string(impl.port) + reason);
  }
  impl.watchdog = std::thread([&impl] { impl.Watch(); });
}

void GatewayServer::Stop() {
  Impl& impl = *impl_;
  if (!impl.daemon) return;
  // Joins the event threads: a function in progress finishes, every connection is dropped, however slow.
  MHD_stop_daemon(impl.daemon);
  impl.daemon = nullptr;
  {
    std::lock_guard lock(impl.registryMutex);
    impl.stopping = true;
  }
  impl.watchdogWake.notify_all();
  impl.watchdog.join();
}

bool GatewayServer::Running() const {
  return impl_->daemon != nullptr;
}

int GatewayServer::Port() const {
  return impl_->port;
}

bool GatewayServer::Secure() const {
  return !impl_->options.certFile.empty();
}

std::string GatewayServer::Url() const {
  const std::string& host = impl_->options.bindAddress;
  std::string shownHost = host.find(':') != std::string::npos ? "[" + host + "]" : host;
  return std::string(Secure() ? "https" : "http") + "://" + shownHost + ":" + std::to_string(impl_->port) +
         impl_->options.basePath + std::string(kTargetSuffix);
}

bool GatewayServer::IsGatewayTarget(std::string_view path) const {
  return impl_->IsGatewayTarget(path);
}

}  // namespace zelgw
