// One request over libcurl's multi interface, driven only while a caller waits in one of the request's
// calls, so the transfer never runs ahead of the reader by more than the body buffer.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "CATDecimalReader.h"
#include "WinHttpObjects.h"

namespace {
// Body bytes held for the reader before the transfer is paused; it resumes once half is read.
constexpr size_t kBodyBufferLimit = 256 * 1024;
// Longest single wait, so the send-phase limits that libcurl does not know are checked in time.
constexpr int kWaitSliceMs = 100;

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  const size_t length = std::strlen(prefix);
  if (text.size() < length) return false;
  for (size_t i = 0; i < length; ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

// Header names the caller gave, lower case, to decide which defaults still apply.
bool HasHeader(const std::string& headers, const char* name) {
  size_t start = 0;
  while (start < headers.size()) {
    size_t end = headers.find('\n', start);
    if (end == std::string::npos) end = headers.size();
    if (StartsWithNoCase(headers.substr(start, end - start), name)) return true;
    start = end + 1;
  }
  return false;
}

// Splits the caller's header text into lines; false when a line is not "Name: value" of printable
// characters, which would otherwise let a caller smuggle extra lines into the request.
bool SplitHeaders(const std::string& text, std::string& normalised, curl_slist*& list) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    if (line.empty()) continue;
    const size_t colon = line.find(':');
    if (colon == 0 || colon == std::string::npos) return false;
    for (size_t i = 0; i < line.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(line[i]);
      if ((c < 0x20 && c != '\t') || c == 0x7F || c >= 0x80) return false;
      if (i < colon && (c == ' ' || c == '\t')) return false;
    }
    curl_slist* grown = curl_slist_append(list, line.c_str());
    if (!grown) return false;
    list = grown;
    normalised += line + "\n";
  }
  return true;
}

bool AddHeader(curl_slist*& list, const char* line) {
  curl_slist* grown = curl_slist_append(list, line);
  if (!grown) return false;
  list = grown;
  return true;
}

// Escapes what cannot stand in a request target as it is; '%' stays, the caller's escapes are kept.
std::string EscapeTarget(const std::string& target) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  if (target.empty() || target[0] != '/') out += '/';
  for (unsigned char c : target) {
    if (c <= 0x20 || c >= 0x7F || std::strchr("\"#<>\\^`{|}", c)) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// The host as it goes into the URL, or empty when it cannot name a host (it would change the URL's
// meaning otherwise: "@", "/", "?", "#" or blanks).
std::string UrlHost(const std::string& host) {
  if (host.find(':') != std::string::npos) {
    std::string inner = host;
    if (inner.size() > 2 && inner.front() == '[' && inner.back() == ']')
      inner = inner.substr(1, inner.size() - 2);
    for (unsigned char c : inner)
      if (!std::isxdigit(c) && c != ':' && c != '.') return "";
    return "[" + inner + "]";
  }
  for (unsigned char c : host)
    if (!(std::isalnum(c) || c == '-' || c == '.' || c == '_' || c >= 0x80)) return "";
  return host;
}

long Limit(int milliseconds) {
  // libcurl reads 0 as its own default of 300 s, so "no limit" is the longest time it accepts.
  return milliseconds > 0 ? milliseconds : LONG_MAX / 2;
}
}  // namespace

namespace winhttp {

Request::Request(std::shared_ptr<Connection> connection, RequestOptions options)
    : Object(Kind::Request), connection_(std::move(connection)), options_(std::move(options)) {}

Request::~Request() {
  if (multi_ && easy_) curl_multi_remove_handle(multi_, easy_);
  if (easy_) curl_easy_cleanup(easy_);
  if (multi_) curl_multi_cleanup(multi_);
  curl_slist_free_all(headerList_);
}

DWORD Request::Init() {
  easy_ = curl_easy_init();
  multi_ = curl_multi_init();
  return easy_ && multi_ ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
}

void Request::Cancel() {
  cancelled_ = true;
  // The only libcurl call that may come from another thread: it ends a wait in Pump.
  curl_multi_wakeup(multi_);
}

DWORD Request::Configure(const std::string& headers) {
  const std::string host = UrlHost(connection_->host_);
  if (host.empty()) return ERROR_WINHTTP_NAME_NOT_RESOLVED;
  const unsigned port = connection_->port_
                            ? connection_->port_
                            : (options_.secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT);
  url_ = std::string(options_.secure ? "https://" : "http://") + host + ":" + std::to_string(port) +
         EscapeTarget(options_.target);

  std::string given;
  if (!SplitHeaders(headers, given, headerList_)) return ERROR_WINHTTP_INVALID_HEADER;
  // libcurl's own defaults that this client does not send: a form content type, "Accept: */*" and
  // "Expect: 100-continue" (which would stall on servers that ignore it).
  bool added = true;
  if (!HasHeader(given, "content-type:")) added = added && AddHeader(headerList_, "Content-Type:");
  if (!HasHeader(given, "expect:")) added = added && AddHeader(headerList_, "Expect:");
  if (!HasHeader(given, "accept:"))
    added = added && AddHeader(headerList_,
                               options_.accept.empty() ? "Accept:" : ("Accept: " + options_.accept).c_str());
  if (options_.refresh) {
    if (!HasHeader(given, "cache-control:"))
      added = added && AddHeader(headerList_, "Cache-Control: no-cache");
    if (!HasHeader(given, "pragma:")) added = added && AddHeader(headerList_, "Pragma: no-cache");
  }
  if (!added) return ERROR_NOT_ENOUGH_MEMORY;

  const Session& session = *connection_->session_;
  limits_ = GetTimeouts();
  // libcurl times name resolution and connection together; both limits together bound that phase,
  // and the resolution alone is also checked in Pump.
  long connectLimit = Limit(limits_.connect);
  if (limits_.connect > 0 && limits_.resolve > 0) connectLimit += limits_.resolve;

  bool ok = true;
  auto set = [&](CURLoption option, auto value) {
    ok = ok && curl_easy_setopt(easy_, option, value) == CURLE_OK;
  };
  set(CURLOPT_URL, url_.c_str());
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_FORBID_REUSE, 1L);
  set(CURLOPT_FRESH_CONNECT, 1L);
  set(CURLOPT_PATH_AS_IS, 1L);
  set(CURLOPT_HTTP_VERSION,
      options_.http10 ? static_cast<long>(CURL_HTTP_VERSION_1_0) : static_cast<long>(CURL_HTTP_VERSION_1_1));
  set(CURLOPT_HTTPHEADER, headerList_);
  set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  set(CURLOPT_HEADERFUNCTION, &Request::OnHeader);
  set(CURLOPT_HEADERDATA, static_cast<void*>(this));
  set(CURLOPT_WRITEFUNCTION, &Request::OnBody);
  set(CURLOPT_WRITEDATA, static_cast<void*>(this));
  set(CURLOPT_CONNECTTIMEOUT_MS, connectLimit);
  if (session.hasAgent_) set(CURLOPT_USERAGENT, session.agent_.c_str());
  if (!options_.referrer.empty()) set(CURLOPT_REFERER, options_.referrer.c_str());
  // An empty proxy name turns off the proxy settings of the environment that libcurl reads otherwise.
  if (session.noProxy_) set(CURLOPT_PROXY, "");
  if (options_.secure) {
    set(CURLOPT_SSL_VERIFYPEER, 1L);
    set(CURLOPT_SSL_VERIFYHOST, 2L);
    const char* bundle = std::getenv("SSL_CERT_FILE");
    if (bundle && *bundle) set(CURLOPT_CAINFO, bundle);
  }
  if (options_.verb == "GET" && body_.empty()) {
    set(CURLOPT_HTTPGET, 1L);
  } else {
    set(CURLOPT_POST, 1L);
    set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body_.size()));
    set(CURLOPT_POSTFIELDS, body_.data());
    if (options_.verb != "POST") set(CURLOPT_CUSTOMREQUEST, options_.verb.c_str());
  }
  if (!ok) return ERROR_WINHTTP_INTERNAL_ERROR;
  return curl_multi_add_handle(multi_, easy_) == CURLM_OK ? ERROR_SUCCESS : ERROR_WINHTTP_INTERNAL_ERROR;
}

DWORD Request::Send(const std::string& headers, std::string body) {
  std::lock_guard<std::mutex> lock(operationMutex_);
  if (cancelled_) return ERROR_WINHTTP_OPERATION_CANCELLED;
  if (state_ != State::Open) return ERROR_WINHTTP_INCORRECT_HANDLE_STATE;
  body_ = std::move(body);
  if (DWORD error = Configure(headers)) return error;
  state_ = State::Sent;
  sendStart_ = Clock::now();
  DWORD error = Pump([this] { return RequestSent(); }, 0);
  // A failed send leaves nothing to receive and cannot be repeated on the same handle.
  if (error) state_ = State::Failed;
  return error;
}

DWORD Request::Receive() {
  std::lock_guard<std::mutex> lock(operationMutex_);
  if (state_ != State::Sent) return ERROR_WINHTTP_INCORRECT_HANDLE_STATE;
  DWORD error = Pump([this] { return headersDone_; }, GetTimeouts().receive);
  if (!error && !headersDone_) error = ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
  if (error) {
    state_ = State::Failed;
    return error;
  }
  state_ = State::Receiving;
  return ERROR_SUCCESS;
}

DWORD Request::Available(DWORD& count) {
  std::lock_guard<std::mutex> lock(operationMutex_);
  count = 0;
  if (state_ != State::Receiving) return ERROR_WINHTTP_INCORRECT_HANDLE_STATE;
  if (!Buffered())
    if (DWORD error = Pump([this] { return Buffered() > 0; }, GetTimeouts().receive)) return error;
  count = static_cast<DWORD>(std::min<size_t>(Buffered(), UINT32_MAX));
  return ERROR_SUCCESS;
}

DWORD Request::Read(char* buffer, DWORD size, DWORD& read) {
  std::lock_guard<std::mutex> lock(operationMutex_);
  read = 0;
  if (state_ != State::Receiving) return ERROR_WINHTTP_INCORRECT_HANDLE_STATE;
  if (size == 0) return ERROR_SUCCESS;
  if (!Buffered())
    if (DWORD error = Pump([this] { return Buffered() > 0; }, GetTimeouts().receive)) return error;
  const size_t count = std::min<size_t>(Buffered(), size);
  std::memcpy(buffer, buffer_.data() + readPos_, count);
  Consume(count);
  read = static_cast<DWORD>(count);
  return ERROR_SUCCESS;
}

void Request::Consume(size_t count) {
  readPos_ += count;
  if (readPos_ == buffer_.size()) {
    buffer_.clear();
    readPos_ = 0;
  } else if (readPos_ >= kBodyBufferLimit / 2) {
    buffer_.erase(0, readPos_);
    readPos_ = 0;
  }
  if (paused_ && Buffered() < kBodyBufferLimit / 2) {
    paused_ = false;
    // libcurl may hand over the held-back data from inside this call.
    curl_easy_pause(easy_, CURLPAUSE_CONT);
  }
}

bool Request::RequestSent() {
  if (headersStarted_) return true;
  // A transfer that ended in failure before the reply began failed while sending.
  if (finished_) return result_ == CURLE_OK;
  curl_off_t pretransfer = 0;
  curl_off_t uploaded = 0;
  curl_easy_getinfo(easy_, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
  curl_easy_getinfo(easy_, CURLINFO_SIZE_UPLOAD_T, &uploaded);
  return pretransfer > 0 && uploaded >= static_cast<curl_off_t>(body_.size());
}

DWORD Request::SendPhaseTimeout(Clock::time_point now) {
  // Once the request is out, only the receive limit applies.
  if (state_ != State::Sent || RequestSent()) return ERROR_SUCCESS;
  auto elapsedSince = [now](Clock::time_point from) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(now - from).count();
  };
  curl_off_t resolved = 0;
  curl_off_t connected = 0;
  curl_off_t pretransfer = 0;
  curl_easy_getinfo(easy_, CURLINFO_NAMELOOKUP_TIME_T, &resolved);
  curl_easy_getinfo(easy_, CURLINFO_CONNECT_TIME_T, &connected);
  curl_easy_getinfo(easy_, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
  if (limits_.resolve > 0 && resolved == 0 && connected == 0 && elapsedSince(sendStart_) > limits_.resolve)
    return ERROR_WINHTTP_TIMEOUT;
  if (pretransfer == 0 || limits_.send <= 0) return ERROR_SUCCESS;
  // The send limit bounds each wait for the request to make progress, not the whole upload.
  curl_off_t uploaded = 0;
  curl_easy_getinfo(easy_, CURLINFO_SIZE_UPLOAD_T, &uploaded);
  if (!connectedSeen_ || uploaded != lastUploaded_) {
    connectedSeen_ = true;
    lastUploaded_ = uploaded;
    lastUploadProgress_ = now;
    return ERROR_SUCCESS;
  }
  return elapsedSince(lastUploadProgress_) > limits_.send ? ERROR_WINHTTP_TIMEOUT : ERROR_SUCCESS;
}

DWORD Request::Pump(const std::function<bool()>& ready, int limitMs) {
  const Clock::time_point start = Clock::now();
  for (;;) {
    if (cancelled_) return ERROR_WINHTTP_OPERATION_CANCELLED;
    int running = 0;
    if (curl_multi_perform(multi_, &running) != CURLM_OK) return ERROR_WINHTTP_INTERNAL_ERROR;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      finished_ = true;
      result_ = message->data.result;
    }
    if (ready()) return ERROR_SUCCESS;
    if (finished_) {
      if (outOfMemory_) return ERROR_NOT_ENOUGH_MEMORY;
      return ErrorFromCurl(result_);
    }
    const Clock::time_point now = Clock::now();
    if (DWORD late = SendPhaseTimeout(now)) return late;
    int wait = kWaitSliceMs;
    if (limitMs > 0) {
      const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count();
      if (elapsed >= limitMs) return ERROR_WINHTTP_TIMEOUT;
      wait = static_cast<int>(std::min<long long>(wait, limitMs - elapsed));
    }
    if (curl_multi_poll(multi_, nullptr, 0, wait, nullptr) != CURLM_OK) return ERROR_WINHTTP_INTERNAL_ERROR;
  }
}

size_t Request::OnHeader(char* data, size_t size, size_t count, void* self) {
  Request& request = *static_cast<Request*>(self);
  const size_t length = size * count;
  std::string line(data, length);
  request.headersStarted_ = true;
  if (line.compare(0, 5, "HTTP/") == 0) {
    // "HTTP/1.1 200 Reason": a status that is not three digits reads as 0.
    const size_t space = line.find(' ');
    long long status = 0;
    if (space != std::string::npos) {
      const size_t end = line.find_first_of(" \r\n", space + 1);
      const std::string_view code = std::string_view(line).substr(
          space + 1, end == std::string::npos ? std::string::npos : end - space - 1);
      if (code.size() != 3 || CATReadDecimal(code, 100, 999, status) != CATDecimalResult::OK) status = 0;
    }
    request.status_ = static_cast<long>(status);
  } else if (line == "\r\n" || line == "\n") {
    // Interim replies (1xx) are followed by the real one.
    if (request.status_ >= 200 || request.status_ == 0) request.headersDone_ = true;
  }
  return length;
}

size_t Request::OnBody(char* data, size_t size, size_t count, void* self) {
  Request& request = *static_cast<Request*>(self);
  const size_t length = size * count;
  if (request.Buffered() >= kBodyBufferLimit) {
    request.paused_ = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  try {
    request.buffer_.append(data, length);
  } catch (const std::bad_alloc&) {
    request.outOfMemory_ = true;
    return 0;
  }
  return length;
}

}  // namespace winhttp
