#include "zelgw/Server.h"

#include <httplib.h>
#include <strings.h>
#include <sys/socket.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <csignal>
#include <stdexcept>
#include <thread>

#include "zelgw/Reply.h"

namespace zelgw {
namespace {

using Clock = std::chrono::steady_clock;

// What the log line needs about the request this worker thread serves. cpp-httplib runs the pre-routing
// handler, the route handler, the error handler and the logger of one request on the same thread.
struct Exchange {
  bool started = false;
  Clock::time_point start;
  bool answered = false;  // one of our handlers wrote the reply
  std::string function;
  std::string requestId;
  int errorCode = 0;
  std::string detail;
};

thread_local Exchange t_exchange;

bool IsRoutedMethod(std::string_view method) {
  return method == "GET" || method == "HEAD" || method == "POST" || method == "PUT" || method == "PATCH" ||
         method == "DELETE" || method == "OPTIONS";
}

// Sends the reply and then closes the connection. Any request answered before its body was read in full
// ends this way: whatever is left on the connection would otherwise be read as the next request.
void ReplyAndClose(httplib::Response& response, int status, std::string body, std::string_view contentType) {
  response.status = status;
  response.set_header("Connection", "close");
  auto text = std::make_shared<const std::string>(std::move(body));
  response.set_content_provider(text->size(), std::string(contentType),
                                [text](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                  sink.write(text->data() + offset, length);
                                  // cpp-httplib drops the connection when the provider reports failure.
                                  return false;
                                });
}

void ReplyRootErrorAndClose(httplib::Response& response, ProtocolError error, std::string_view text) {
  ReplyAndClose(response, HttpStatusFor(error), RootErrorDocument(error, text), kXmlContentType);
  t_exchange.answered = true;
  t_exchange.errorCode = static_cast<int>(error);
}

}  // namespace

struct GatewayServer::Impl {
  const Gateway& gateway;
  ServerOptions options;
  RequestLog* log;
  std::unique_ptr<httplib::Server> server;
  std::thread listener;
  std::atomic<bool> listenerDone{false};
  int port = 0;

  Impl(const Gateway& g, ServerOptions o, RequestLog* l) : gateway(g), options(std::move(o)), log(l) {}

  bool IsGatewayTarget(std::string_view path) const {
    const std::string& base = options.basePath;
    return path.size() >= base.size() + kTargetSuffix.size() && path.substr(0, base.size()) == base &&
           path.substr(path.size() - kTargetSuffix.size()) == kTargetSuffix;
  }

  void Refuse(const httplib::Request& request, httplib::Response& response) {
    if (!IsGatewayTarget(request.path)) {
      ReplyAndClose(
          response, 404,
          "Not found. The ZEL gateway answers POST requests on " + options.basePath + "ZELRequest.\n",
          "text/plain; charset=utf-8");
      t_exchange.answered = true;
      t_exchange.errorCode = 404;
      return;
    }
    response.set_header("Allow", "POST");
    ReplyRootErrorAndClose(
        response, ProtocolError::kMethodNotAllowed,
        "The gateway answers POST requests only; this request used " + request.method + ".");
  }

  // Reads the body under the size limit; false after it has answered the request itself.
  bool ReadBody(const httplib::Request& request, httplib::Response& response,
                const httplib::ContentReader& reader, std::string& body) {
    const std::size_t limit = gateway.MaxBodyBytes();
    const bool hasLength = request.has_header("Content-Length");
    const bool hasCoding = request.has_header("Transfer-Encoding");
    if (hasCoding &&
        (hasLength || strcasecmp(request.get_header_value("Transfer-Encoding").c_str(), "chunked"))) {
      // Two framings, or one we do not speak: where the body ends would be guesswork.
      ReplyRootErrorAndClose(
          response, ProtocolError::kBadHttpRequest,
          "The request body must be framed by Content-Length or by chunked transfer coding "
          "alone.");
      return false;
    }
    if (hasLength) {
      std::string text = request.get_header_value("Content-Length");
      unsigned long long length = 0;
      auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
      if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        ReplyRootErrorAndClose(response, ProtocolError::kBadHttpRequest,
                               "The Content-Length of the request is not a number.");
        return false;
      }
      // Refused before reading: a huge body is never received, let alone stored.
      if (length > limit) {
        ReplyRootErrorAndClose(response, ProtocolError::kTooLarge,
                               "The request body has " + text + " bytes; the gateway accepts at most " +
                                   std::to_string(limit) + ".");
        return false;
      }
      if (length == 0) return true;
    } else if (!hasCoding) {
      // Without framing a request has no body; reading to the end of the connection would hold a worker.
      return true;
    }
    bool overLimit = false;
    bool complete = reader([&](const char* data, std::size_t size) {
      if (size > limit - body.size()) {
        overLimit = true;
        return false;
      }
      body.append(data, size);
      return true;
    });
    if (complete) return true;
    if (overLimit || response.status == 413) {
      ReplyRootErrorAndClose(
          response, ProtocolError::kTooLarge,
          "The request body is larger than the gateway's limit of " + std::to_string(limit) + " bytes.");
    } else {
      int status = response.status >= 400 ? response.status : 400;
      ReplyRootErrorAndClose(
          response, ProtocolError::kBadHttpRequest,
          "The request body could not be read (HTTP status " + std::to_string(status) + ").");
      response.status = status;
    }
    return false;
  }

  void Post(const httplib::Request& request, httplib::Response& response,
            const httplib::ContentReader& reader) {
    if (!IsGatewayTarget(request.path)) return Refuse(request, response);
    std::string body;
    if (!ReadBody(request, response, reader, body)) return;
    GatewayResult result = gateway.HandleRequestBody(std::move(body));
    response.status = result.httpStatus;
    response.set_content(result.body, std::string(kXmlContentType));
    t_exchange.answered = true;
    t_exchange.function = std::move(result.function);
    t_exchange.requestId = std::move(result.requestId);
    t_exchange.errorCode = result.errorCode;
    t_exchange.detail = std::move(result.detail);
  }

  // Errors cpp-httplib found before any handler of ours ran: an unreadable request line, an unknown method.
  httplib::Server::HandlerResponse LibraryError(const httplib::Request& request,
                                                httplib::Response& response) {
    if (t_exchange.answered) return httplib::Server::HandlerResponse::Unhandled;
    int status = response.status;
    if (status == 400 && !request.path.empty() && !IsRoutedMethod(request.method)) {
      response.set_header("Allow", "POST");
      ReplyRootErrorAndClose(
          response, ProtocolError::kMethodNotAllowed,
          "The gateway answers POST requests only; this request used " + request.method + ".");
      return httplib::Server::HandlerResponse::Handled;
    }
    ProtocolError error = status == 413 ? ProtocolError::kTooLarge : ProtocolError::kBadHttpRequest;
    ReplyRootErrorAndClose(
        response, error, "The HTTP request could not be read (HTTP status " + std::to_string(status) + ").");
    response.status = status;
    return httplib::Server::HandlerResponse::Handled;
  }

  void Log(const httplib::Request& request, const httplib::Response& response) {
    Exchange exchange = std::move(t_exchange);
    t_exchange = Exchange{};
    if (!log) return;
    double milliseconds =
        exchange.started ? std::chrono::duration<double, std::milli>(Clock::now() - exchange.start).count()
                         : 0.0;
    int code = exchange.answered ? exchange.errorCode : (response.status >= 400 ? response.status : 0);
    std::string detail = std::move(exchange.detail);
    if (detail.empty() && code != 0 && exchange.function.empty()) {
      detail = "HTTP " + std::to_string(response.status) + " " + request.method + " " + request.path;
    }
    log->Write(exchange.function, exchange.requestId, code, milliseconds, detail);
  }

  void Configure() {
    httplib::Server& s = *server;
    std::size_t threads = options.threads;
    s.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    // cpp-httplib's default also sets SO_REUSEPORT, which lets a second gateway bind the same port unnoticed.
    s.set_socket_options([](socket_t socket) {
      int yes = 1;
      setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // Headers and body leave in separate writes; without this, Nagle and delayed ACKs add 40 ms per reply.
    s.set_tcp_nodelay(true);
    s.set_payload_max_length(gateway.MaxBodyBytes());
    s.set_keep_alive_max_count(100);

    s.set_pre_routing_handler([](const httplib::Request&, httplib::Response&) {
      t_exchange = Exchange{};
      t_exchange.started = true;
      t_exchange.start = Clock::now();
      return httplib::Server::HandlerResponse::Unhandled;
    });
    s.Post(".*", [this](const httplib::Request& request, httplib::Response& response,
                        const httplib::ContentReader& reader) { Post(request, response, reader); });
    auto refuseWithBody = [this](const httplib::Request& request, httplib::Response& response,
                                 const httplib::ContentReader&) { Refuse(request, response); };
    s.Put(".*", refuseWithBody);
    s.Patch(".*", refuseWithBody);
    s.Delete(".*", refuseWithBody);
    auto refuse = [this](const httplib::Request& request, httplib::Response& response) {
      Refuse(request, response);
    };
    s.Get(".*", refuse);
    s.Options(".*", refuse);
    s.set_error_handler(httplib::Server::HandlerWithResponse(
        [this](const httplib::Request& request, httplib::Response& response) {
          return LibraryError(request, response);
        }));
    s.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
      ReplyRootErrorAndClose(response, ProtocolError::kInternalError,
                             "The gateway failed while answering the request; its log has the details.");
      t_exchange.detail = "exception in the HTTP layer";
    });
    s.set_logger([this](const httplib::Request& request, const httplib::Response& response) {
      Log(request, response);
    });
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
}

GatewayServer::~GatewayServer() {
  Stop();
}

void GatewayServer::Start() {
  Impl& impl = *impl_;
  if (impl.listener.joinable()) throw std::logic_error("the gateway server is already started");
  // A client that hangs up while its reply is being written must not end the process.
  struct sigaction current {};
  if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
    std::signal(SIGPIPE, SIG_IGN);

  if (Secure()) {
    impl.server =
        std::make_unique<httplib::SSLServer>(impl.options.certFile.c_str(), impl.options.keyFile.c_str());
    if (!impl.server->is_valid()) {
      impl.server.reset();
      throw std::runtime_error("cannot load the TLS certificate " + impl.options.certFile + " with the key " +
                               impl.options.keyFile);
    }
  } else {
    impl.server = std::make_unique<httplib::Server>();
  }
  impl.Configure();
  const std::string& host = impl.options.bindAddress;
  int port = impl.options.port == 0
                 ? impl.server->bind_to_any_port(host)
                 : (impl.server->bind_to_port(host, impl.options.port) ? impl.options.port : -1);
  if (port <= 0) {
    impl.server.reset();
    throw std::runtime_error("cannot listen on " + host + " port " + std::to_string(impl.options.port) +
                             " (address in use or not available)");
  }
  impl.port = port;
  impl.listenerDone = false;
  impl.listener = std::thread([&impl] {
    impl.server->listen_after_bind();
    impl.listenerDone = true;
  });
  // stop() is ignored until the accept loop runs, so Start returns only once it does.
  while (!impl.server->is_running() && !impl.listenerDone)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (impl.listenerDone) {
    impl.listener.join();
    throw std::runtime_error("the gateway server stopped right after it started");
  }
}

void GatewayServer::Stop() {
  Impl& impl = *impl_;
  if (!impl.listener.joinable()) return;
  impl.server->stop();
  impl.listener.join();
}

bool GatewayServer::Running() const {
  return impl_->server && impl_->server->is_running() && !impl_->listenerDone;
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
