#include "HtmlRequest.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "CATUTF8Codec.h"
#include "HtmlRequestSettings.h"
#include "ZELDebug.h"
#include "ZELRequestXml.h"
#include "winhttp.h"

namespace {
// Closes a handle of the HTTP client at the end of its scope, so no path can leave one open.
class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() { Close(); }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  void Close() {
    if (handle_) WinHttpCloseHandle(handle_);
    handle_ = nullptr;
  }
  operator HINTERNET() const { return handle_; }

 private:
  HINTERNET handle_;
};

// wchar_t text is UTF-32 or UTF-16 by platform; what is not a character becomes U+FFFD.
std::wstring ToWide(const CATUnicodeString& text) {
  if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
    const std::u16string units = CATUTF32ToUTF16(CATUTF16ToUTF32(text.GetUTF16()));
    return std::wstring(units.begin(), units.end());
  } else {
    const std::u32string points = CATUTF16ToUTF32(text.GetUTF16());
    return std::wstring(points.begin(), points.end());
  }
}

CATUnicodeString FromWide(const wchar_t* text) {
  std::u16string units;
  if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
    std::u16string raw;
    for (; *text; ++text) raw += static_cast<char16_t>(*text);
    units = CATUTF32ToUTF16(CATUTF16ToUTF32(raw));
  } else {
    std::u32string points;
    for (; *text; ++text) points += static_cast<char32_t>(*text);
    units = CATUTF32ToUTF16(points);
  }
  CATUnicodeString result;
  result.BuildFromUCChar(units.data(), units.size());
  return result;
}

// The system's text for an error code of the HTTP client, "?" when it has none.
CATUnicodeString ErrorText(DWORD code) {
  wchar_t text[256] = {};
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      GetModuleHandleW(L"winhttp.dll"), code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, 256, nullptr);
  if (length == 0) return CATUnicodeString("?");
  // System texts end with a line break that would split the trace line.
  while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r')) text[--length] = L'\0';
  return FromWide(text);
}

struct Timeouts {
  int resolve, connect, send, receive;  // milliseconds, 0: no limit
};

// Waits for the reply and reads its body into reply; false when the reply is not whole: a read failed, it
// did not come within the receive time-out, or it is larger than maxReply bytes.
bool ReceiveReply(HINTERNET handle, const Timeouts& timeouts, size_t maxReply, std::string& reply) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  if (!WinHttpReceiveResponse(handle, nullptr)) {
    const DWORD code = GetLastError();
    ZEL_DETAIL("Error ", code, " in  WinHttpReceiveResponse:", ErrorText(code));
    return true;  // nothing was read: the empty reply fails to parse
  }
  ZEL_DETAIL("******* Answer from WinHttp Start *******");
  bool complete = true;
  DWORD available = 0;
  do {
    available = 0;
    // The HTTP layer bounds each wait; the whole reply must come within the receive time-out too, or a
    // server sending a byte now and then would hold the command for as long as it likes.
    if (timeouts.receive > 0) {
      const long long left =
          timeouts.receive -
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
      if (left <= 0) {
        ZEL_DETAIL("Reply not complete after the receive time-out of ", timeouts.receive, " ms");
        return false;
      }
      if (!WinHttpSetTimeouts(handle, timeouts.resolve, timeouts.connect, timeouts.send,
                              static_cast<int>(left))) {
        const DWORD code = GetLastError();
        ZEL_DETAIL("Failed to set Timeouts ", code, ErrorText(code));
      }
    }
    if (!WinHttpQueryDataAvailable(handle, &available)) {
      const DWORD code = GetLastError();
      ZEL_DETAIL("Error ", code, " in WinHttpQueryDataAvailable:", ErrorText(code));
      complete = false;
    }
    // Refused before it is read, so no server can fill the memory.
    if (available > maxReply - reply.size()) {
      ZEL_DETAIL("Reply larger than ", maxReply, " bytes (ZEL_SERVER_MAX_REPLY_SIZE)");
      return false;
    }
    std::unique_ptr<char[]> piece(new char[static_cast<size_t>(available) + 1]());
    DWORD read = 0;
    if (!WinHttpReadData(handle, piece.get(), available, &read)) {
      const DWORD code = GetLastError();
      ZEL_DETAIL("Error ", code, " in WinHttpReadData:", ErrorText(code));
      return false;  // asking again would only repeat the failure
    }
    reply.append(piece.get(), read);
    // For display only: the piece may end inside a character.
    ZEL_DETAIL(CATUnicodeString(piece.get(), read));
  } while (available > 0);
  return complete;
}
}  // namespace

long HtmlRequest::DoRequest(const ZELRequestXml& request, ZELRequestXml& response) {
  ZEL_DEBUG_SCOPE("HtmlRequest::DoRequest");
  try {
    const CATUnicodeString url = HtmlRequestSettings::GetServerUrl();
    if (url.IsNull()) {
      ZEL_FAILURE_POINT();
      ZEL_DETAIL("Environment ZEL_SETPN_SERVERHOST not set");
      return E_FAIL;
    }
    ZEL_DETAIL("using server url ", url);
    const HtmlRequestSettings::Address address = HtmlRequestSettings::ParseServerUrl(url);
    ZEL_DETAIL("using server Port ", address.port);
    if (ZELDebug::s_iDebug == 1) {
      ZEL_DETAIL("Dump Send Request start ");
      request.Dump(0);
      ZEL_DETAIL("Dump Send Request end ");
    }

    CATUnicodeString requestText;
    if (FAILED(request.GetXml(requestText))) {
      ZEL_FAILURE_POINT();
      ZEL_DETAIL("Cannot get XML for Request");
      return E_FAIL;
    }

    InternetHandle session(WinHttpOpen(L"ZEL/1.0", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) {
      const DWORD code = GetLastError();
      ZEL_DETAIL("Error ", code, " in WinHttpOpen:", ErrorText(code));
      return E_FAIL;
    }
    const Timeouts timeouts{HtmlRequestSettings::GetTimeout("ZEL_SERVER_RESOLVE_TIMEOUT", 0),
                            HtmlRequestSettings::GetTimeout("ZEL_SERVER_CONNECT_TIMEOUT", 60),
                            HtmlRequestSettings::GetTimeout("ZEL_SERVER_SEND_TIMEOUT", 30),
                            HtmlRequestSettings::GetTimeout("ZEL_SERVER_RECEIVE_TIMEOUT", 300)};
    if (!WinHttpSetTimeouts(session, timeouts.resolve, timeouts.connect, timeouts.send, timeouts.receive)) {
      const DWORD code = GetLastError();
      ZEL_DETAIL("Failed to set Timeouts ", code, ErrorText(code));
    }
    const size_t maxReply = HtmlRequestSettings::GetMaxReplySize();

    // The reply's bytes, decoded once at the end: a character split between two pieces stays whole.
    std::string reply;
    // A reply that broke off is a piece of a document, which must not pass for the gateway's answer.
    bool replyComplete = true;
    {
      InternetHandle connection(
          WinHttpConnect(session, ToWide(address.host).c_str(), static_cast<INTERNET_PORT>(address.port), 0));
      InternetHandle handle(connection ? WinHttpOpenRequest(connection, L"POST",
                                                            ToWide(address.target).c_str(), nullptr,
                                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                            WINHTTP_FLAG_BYPASS_PROXY_CACHE |
                                                                (address.secure ? WINHTTP_FLAG_SECURE : 0))
                                       : nullptr);
      if (handle) {
        std::string body = requestText.ConvertToUTF8();
        if (body.size() > UINT32_MAX) {
          ZEL_FAILURE_POINT();
        } else if (!WinHttpSendRequest(handle, L"Content-Type: application/xml\r\n", static_cast<DWORD>(-1),
                                       body.data(), static_cast<DWORD>(body.size()),
                                       static_cast<DWORD>(body.size()), 0)) {
          const DWORD code = GetLastError();
          ZEL_DETAIL("Error ", code, " in WinHttpSendRequest:", ErrorText(code));
        } else {
          replyComplete = ReceiveReply(handle, timeouts, maxReply, reply);
        }
      }
    }
    session.Close();
    ZEL_DETAIL("******* Answer from WinHttp End *******");

    if (!replyComplete) {
      ZEL_FAILURE_POINT();
      return E_FAIL;
    }
    CATUnicodeString replyText(reply.data(), reply.size());
    std::string().swap(reply);
    if (FAILED(response.ReadXmlString(std::move(replyText)))) {
      ZEL_FAILURE_POINT();
      return E_FAIL;
    }
    if (ZELDebug::s_iDebug == 1) {
      ZEL_DETAIL("Dump Response start ");
      response.Dump(1);
      ZEL_DETAIL("Dump Response end ");
    }
    return S_OK;
  } catch (const std::bad_alloc&) {
    // Said whether or not tracing is on: the user sees why the command failed.
    ZELDebug::PrintLine("Out of memory");
    zelDebug.SetFailed();
    return E_FAIL;
  }
}

long HtmlRequest::CheckServerConnection() {
  ZEL_DEBUG_SCOPE("HtmlRequest::CheckServerConnection");
  ZELRequestXml request("Test");
  request.AddRequestAttribute("ExecuteTest", "Mirror");
  request.AddRequestAttribute("Server", "OK");
  ZELRequestXml response;
  if (FAILED(DoRequest(request, response))) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  CATUnicodeString server;
  if (FAILED(response.GetResponseAttribute("Server", server)) || server.IsNull()) {
    ZEL_FAILURE_POINT();
    return E_FAIL;
  }
  return S_OK;
}
