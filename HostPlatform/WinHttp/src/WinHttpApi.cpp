// The HTTP client's functions: argument checks and handle bookkeeping; the transfer itself is the
// request object's.
#include <cctype>
#include <cstring>
#include <cwchar>
#include <new>

#include "WinHttpObjects.h"

using winhttp::Fail;
using winhttp::Kind;

namespace {
// An empty result and the last error set, for the functions that return handles.
HINTERNET FailHandle(DWORD code) {
  Fail(code);
  return nullptr;
}

bool IsTokenChar(char c) {
  if (std::isalnum(static_cast<unsigned char>(c))) return true;
  return std::strchr("!#$%&'*+-.^_`|~", c) != nullptr && c != '\0';
}

// Time-outs are milliseconds; -1 is the same "no limit" as 0.
bool ReadLimit(int value, int& limit) {
  if (value < -1) return false;
  limit = value == -1 ? 0 : value;
  return true;
}

BOOL Succeed() {
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
}  // namespace

extern "C" {

HINTERNET WinHttpOpen(LPCWSTR pszAgentW, DWORD dwAccessType, LPCWSTR /*pszProxyW*/,
                      LPCWSTR /*pszProxyBypassW*/, DWORD dwFlags) {
  if (dwFlags & WINHTTP_FLAG_ASYNC) return FailHandle(ERROR_NOT_SUPPORTED);
  if (dwFlags) return FailHandle(ERROR_INVALID_PARAMETER);
  if (dwAccessType != WINHTTP_ACCESS_TYPE_DEFAULT_PROXY && dwAccessType != WINHTTP_ACCESS_TYPE_NO_PROXY)
    return FailHandle(ERROR_NOT_SUPPORTED);
  if (!winhttp::StartCurl()) return FailHandle(ERROR_WINHTTP_INTERNAL_ERROR);
  try {
    auto session = std::make_shared<winhttp::Session>(pszAgentW != nullptr, winhttp::ToUtf8(pszAgentW),
                                                      dwAccessType == WINHTTP_ACCESS_TYPE_NO_PROXY);
    HINTERNET handle = winhttp::Register(std::move(session));
    SetLastError(ERROR_SUCCESS);
    return handle;
  } catch (const std::bad_alloc&) {
    return FailHandle(ERROR_NOT_ENOUGH_MEMORY);
  }
}

BOOL WinHttpSetTimeouts(HINTERNET hInternet, int nResolveTimeout, int nConnectTimeout, int nSendTimeout,
                        int nReceiveTimeout) {
  std::shared_ptr<winhttp::Object> object = winhttp::Lookup(hInternet);
  if (!object) return Fail(ERROR_INVALID_HANDLE);
  if (object->GetKind() == Kind::Connection) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_TYPE);
  winhttp::Timeouts timeouts;
  if (!ReadLimit(nResolveTimeout, timeouts.resolve) || !ReadLimit(nConnectTimeout, timeouts.connect) ||
      !ReadLimit(nSendTimeout, timeouts.send) || !ReadLimit(nReceiveTimeout, timeouts.receive))
    return Fail(ERROR_INVALID_PARAMETER);
  object->SetTimeouts(timeouts);
  return Succeed();
}

HINTERNET WinHttpConnect(HINTERNET hSession, LPCWSTR pswzServerName, INTERNET_PORT nServerPort,
                         DWORD dwReserved) {
  auto session = winhttp::LookupAs<winhttp::Session>(hSession, Kind::Session);
  if (!session) return nullptr;
  if (!pswzServerName || !*pswzServerName || dwReserved) return FailHandle(ERROR_INVALID_PARAMETER);
  try {
    auto connection =
        std::make_shared<winhttp::Connection>(session, winhttp::ToUtf8(pswzServerName), nServerPort);
    connection->SetTimeouts(session->GetTimeouts());
    HINTERNET handle = winhttp::Register(std::move(connection));
    SetLastError(ERROR_SUCCESS);
    return handle;
  } catch (const std::bad_alloc&) {
    return FailHandle(ERROR_NOT_ENOUGH_MEMORY);
  }
}

HINTERNET WinHttpOpenRequest(HINTERNET hConnect, LPCWSTR pwszVerb, LPCWSTR pwszObjectName,
                             LPCWSTR pwszVersion, LPCWSTR pwszReferrer, LPCWSTR* ppwszAcceptTypes,
                             DWORD dwFlags) {
  auto connection = winhttp::LookupAs<winhttp::Connection>(hConnect, Kind::Connection);
  if (!connection) return nullptr;
  try {
    winhttp::RequestOptions options;
    options.verb = pwszVerb && *pwszVerb ? winhttp::ToUtf8(pwszVerb) : "GET";
    for (char c : options.verb)
      if (!IsTokenChar(c)) return FailHandle(ERROR_INVALID_PARAMETER);
    // A request without a body to read back is not something this client offers.
    if (options.verb == "HEAD" || options.verb == "CONNECT") return FailHandle(ERROR_NOT_SUPPORTED);
    options.target = pwszObjectName && *pwszObjectName ? winhttp::ToUtf8(pwszObjectName) : "/";
    const std::string version = pwszVersion ? winhttp::ToUtf8(pwszVersion) : "";
    if (version == "HTTP/1.0")
      options.http10 = true;
    else if (!version.empty() && version != "HTTP/1.1")
      return FailHandle(ERROR_INVALID_PARAMETER);
    options.referrer = winhttp::ToUtf8(pwszReferrer);
    for (LPCWSTR* type = ppwszAcceptTypes; type && *type; ++type) {
      if (!options.accept.empty()) options.accept += ", ";
      options.accept += winhttp::ToUtf8(*type);
    }
    options.secure = (dwFlags & WINHTTP_FLAG_SECURE) != 0;
    options.refresh = (dwFlags & WINHTTP_FLAG_REFRESH) != 0;
    auto request = std::make_shared<winhttp::Request>(connection, std::move(options));
    request->SetTimeouts(connection->GetTimeouts());
    if (DWORD error = request->Init()) return FailHandle(error);
    HINTERNET handle = winhttp::Register(std::move(request));
    SetLastError(ERROR_SUCCESS);
    return handle;
  } catch (const std::bad_alloc&) {
    return FailHandle(ERROR_NOT_ENOUGH_MEMORY);
  }
}

BOOL WinHttpSendRequest(HINTERNET hRequest, LPCWSTR lpszHeaders, DWORD dwHeadersLength, LPVOID lpOptional,
                        DWORD dwOptionalLength, DWORD dwTotalLength, DWORD_PTR /*dwContext*/) {
  auto request = winhttp::LookupAs<winhttp::Request>(hRequest, Kind::Request);
  if (!request) return FALSE;
  if (!lpOptional && dwOptionalLength) return Fail(ERROR_INVALID_PARAMETER);
  if (dwTotalLength < dwOptionalLength) return Fail(ERROR_INVALID_PARAMETER);
  // Bodies written after the call are not offered: the whole body comes with it.
  if (dwTotalLength > dwOptionalLength) return Fail(ERROR_NOT_SUPPORTED);
  try {
    std::string headers;
    if (lpszHeaders && dwHeadersLength)
      headers = dwHeadersLength == static_cast<DWORD>(-1) ? winhttp::ToUtf8(lpszHeaders)
                                                          : winhttp::ToUtf8(lpszHeaders, dwHeadersLength);
    std::string body(static_cast<const char*>(lpOptional ? lpOptional : ""), dwOptionalLength);
    if (DWORD error = request->Send(headers, std::move(body))) return Fail(error);
    return Succeed();
  } catch (const std::bad_alloc&) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

BOOL WinHttpReceiveResponse(HINTERNET hRequest, LPVOID lpReserved) {
  auto request = winhttp::LookupAs<winhttp::Request>(hRequest, Kind::Request);
  if (!request) return FALSE;
  if (lpReserved) return Fail(ERROR_INVALID_PARAMETER);
  if (DWORD error = request->Receive()) return Fail(error);
  return Succeed();
}

BOOL WinHttpQueryDataAvailable(HINTERNET hRequest, LPDWORD lpdwNumberOfBytesAvailable) {
  auto request = winhttp::LookupAs<winhttp::Request>(hRequest, Kind::Request);
  if (!request) return FALSE;
  DWORD count = 0;
  if (DWORD error = request->Available(count)) return Fail(error);
  if (lpdwNumberOfBytesAvailable) *lpdwNumberOfBytesAvailable = count;
  return Succeed();
}

BOOL WinHttpReadData(HINTERNET hRequest, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead,
                     LPDWORD lpdwNumberOfBytesRead) {
  auto request = winhttp::LookupAs<winhttp::Request>(hRequest, Kind::Request);
  if (!request) return FALSE;
  if (!lpdwNumberOfBytesRead || (!lpBuffer && dwNumberOfBytesToRead)) return Fail(ERROR_INVALID_PARAMETER);
  *lpdwNumberOfBytesRead = 0;
  DWORD read = 0;
  if (DWORD error = request->Read(static_cast<char*>(lpBuffer), dwNumberOfBytesToRead, read))
    return Fail(error);
  *lpdwNumberOfBytesRead = read;
  return Succeed();
}

BOOL WinHttpCloseHandle(HINTERNET hInternet) {
  std::shared_ptr<winhttp::Object> object = winhttp::Unregister(hInternet);
  if (!object) return Fail(ERROR_INVALID_HANDLE);
  object->Cancel();
  return Succeed();
}
}
