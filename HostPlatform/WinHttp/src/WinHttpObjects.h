#ifndef WinHttpObjects_h
#define WinHttpObjects_h
// What the handles of the HTTP client stand for: sessions, connections and requests, the table that maps
// handles to them, and the libcurl transfer behind a request.
#include "WinHttpCurl.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "winhttp.h"

namespace winhttp {

// Sets the calling thread's last error; returns FALSE so that failures read as one line.
BOOL Fail(DWORD code);
// wchar_t text (UTF-32 here) as UTF-8; code points that are not characters become U+FFFD.
std::string ToUtf8(const wchar_t* text, size_t length);
std::string ToUtf8(const wchar_t* text);
DWORD ErrorFromCurl(CURLcode code);
// Starts libcurl once per process; false when it cannot be started.
bool StartCurl();

struct Timeouts {
  int resolve = 0;
  int connect = 60000;
  int send = 30000;
  int receive = 30000;
};

enum class Kind { Session, Connection, Request };

class Object {
 public:
  explicit Object(Kind kind) : kind_(kind) {}
  virtual ~Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  Kind GetKind() const { return kind_; }
  // Called when the handle is closed; the object itself lives until its last user lets go.
  virtual void Cancel() {}
  void SetTimeouts(const Timeouts& timeouts);
  Timeouts GetTimeouts() const;

 private:
  const Kind kind_;
  mutable std::mutex timeoutMutex_;
  Timeouts timeouts_;
};

class Session : public Object {
 public:
  Session(bool hasAgent, std::string agent, bool noProxy)
      : Object(Kind::Session), hasAgent_(hasAgent), agent_(std::move(agent)), noProxy_(noProxy) {}
  const bool hasAgent_;
  const std::string agent_;
  const bool noProxy_;
};

class Connection : public Object {
 public:
  Connection(std::shared_ptr<Session> session, std::string host, INTERNET_PORT port)
      : Object(Kind::Connection), session_(std::move(session)), host_(std::move(host)), port_(port) {}
  const std::shared_ptr<Session> session_;
  const std::string host_;
  const INTERNET_PORT port_;
};

struct RequestOptions {
  std::string verb;
  std::string target;
  bool http10 = false;
  std::string referrer;
  std::string accept;  // joined accept types; empty: no Accept header
  bool secure = false;
  bool refresh = false;
};

class Request : public Object {
 public:
  Request(std::shared_ptr<Connection> connection, RequestOptions options);
  ~Request() override;
  // Creates the libcurl handles; an error code, or ERROR_SUCCESS.
  DWORD Init();
  void Cancel() override;

  DWORD Send(const std::string& headers, std::string body);
  DWORD Receive();
  DWORD Available(DWORD& count);
  DWORD Read(char* buffer, DWORD size, DWORD& read);

 private:
  enum class State { Open, Sent, Receiving, Failed };
  using Clock = std::chrono::steady_clock;

  DWORD Configure(const std::string& headers);
  // Runs the transfer until ready() holds or the transfer ends; limitMs (> 0) bounds the wait.
  DWORD Pump(const std::function<bool()>& ready, int limitMs);
  DWORD SendPhaseTimeout(Clock::time_point now);
  bool RequestSent();
  size_t Buffered() const { return buffer_.size() - readPos_; }
  void Consume(size_t count);
  static size_t OnHeader(char* data, size_t size, size_t count, void* self);
  static size_t OnBody(char* data, size_t size, size_t count, void* self);

  const std::shared_ptr<Connection> connection_;
  const RequestOptions options_;
  std::mutex operationMutex_;
  std::atomic<bool> cancelled_{false};
  CURL* easy_ = nullptr;
  CURLM* multi_ = nullptr;
  curl_slist* headerList_ = nullptr;
  std::string url_;
  std::string body_;
  State state_ = State::Open;
  // The limits of sending, fixed when the request goes out; the receive limit is read at every wait, so a
  // caller may shorten it between reads to bound the whole reply.
  Timeouts limits_;

  // Progress of the transfer, as the callbacks and the end of the transfer report it.
  long status_ = 0;
  bool headersStarted_ = false;
  bool headersDone_ = false;
  bool finished_ = false;
  bool outOfMemory_ = false;
  CURLcode result_ = CURLE_OK;
  std::string buffer_;
  size_t readPos_ = 0;
  bool paused_ = false;

  // Send-phase clocks: when the request started, when the connection was first seen up, last upload.
  Clock::time_point sendStart_{};
  bool connectedSeen_ = false;
  Clock::time_point lastUploadProgress_{};
  curl_off_t lastUploaded_ = -1;
};

// Handle table: handles are never reused, so a stale handle is reported instead of reaching freed memory.
HINTERNET Register(std::shared_ptr<Object> object);
std::shared_ptr<Object> Lookup(HINTERNET handle);
std::shared_ptr<Object> Unregister(HINTERNET handle);

// The object of a handle of the given kind, or null with the last error set.
template <class T>
std::shared_ptr<T> LookupAs(HINTERNET handle, Kind kind) {
  std::shared_ptr<Object> object = Lookup(handle);
  if (!object) {
    Fail(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (object->GetKind() != kind) {
    Fail(ERROR_WINHTTP_INCORRECT_HANDLE_TYPE);
    return nullptr;
  }
  return std::static_pointer_cast<T>(object);
}

}  // namespace winhttp

#endif
