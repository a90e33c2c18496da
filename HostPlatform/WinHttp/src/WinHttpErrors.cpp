// Last error per thread, the message tables of the HTTP module and of the system, and the translation of
// libcurl's results into the HTTP client's codes.
#include <cctype>
#include <cstring>
#include <cwchar>
#include <mutex>

#include "CATUTF8Codec.h"
#include "WinHttpObjects.h"

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;

// Any non-null value serves: only its identity is compared.
char s_winHttpModule;

struct Message {
  DWORD code;
  const wchar_t* text;
};

const Message kHttpMessages[] = {
    {ERROR_WINHTTP_OUT_OF_HANDLES, L"No more handles could be generated at this time."},
    {ERROR_WINHTTP_TIMEOUT, L"The operation timed out."},
    {ERROR_WINHTTP_INTERNAL_ERROR, L"An internal error occurred in the HTTP client."},
    {ERROR_WINHTTP_INVALID_URL, L"The URL is invalid."},
    {ERROR_WINHTTP_UNRECOGNIZED_SCHEME, L"The URL does not use a recognized protocol."},
    {ERROR_WINHTTP_NAME_NOT_RESOLVED, L"The server name or address could not be resolved."},
    {ERROR_WINHTTP_OPERATION_CANCELLED, L"The operation was canceled because the handle was closed."},
    {ERROR_WINHTTP_INCORRECT_HANDLE_TYPE, L"The type of handle supplied is incorrect for this operation."},
    {ERROR_WINHTTP_INCORRECT_HANDLE_STATE,
     L"The requested operation cannot be carried out because the handle supplied is not in the correct "
     L"state."},
    {ERROR_WINHTTP_CANNOT_CONNECT, L"A connection with the server could not be established."},
    {ERROR_WINHTTP_CONNECTION_ERROR, L"The connection with the server was terminated abnormally."},
    {ERROR_WINHTTP_INVALID_SERVER_RESPONSE, L"The server returned an invalid or unrecognized response."},
    {ERROR_WINHTTP_INVALID_HEADER, L"The supplied HTTP header is invalid."},
    {ERROR_WINHTTP_SECURE_FAILURE,
     L"A security error occurred: the server's certificate could not be verified or the secure channel "
     L"could not be established."},
};

const Message kSystemMessages[] = {
    {ERROR_SUCCESS, L"The operation completed successfully."},
    {ERROR_INVALID_HANDLE, L"The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, L"Not enough memory resources are available to process this command."},
    {ERROR_NOT_SUPPORTED, L"The request is not supported."},
    {ERROR_INVALID_PARAMETER, L"The parameter is incorrect."},
    {ERROR_INSUFFICIENT_BUFFER, L"The data area passed to a system call is too small."},
};

template <size_t N>
const wchar_t* Find(const Message (&table)[N], DWORD code) {
  for (const Message& message : table)
    if (message.code == code) return message.text;
  return nullptr;
}

}  // namespace

namespace winhttp {

BOOL Fail(DWORD code) {
  t_lastError = code;
  return FALSE;
}

std::string ToUtf8(const wchar_t* text, size_t length) {
  std::string out;
  if (!text) return out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) CATAppendUTF8(out, static_cast<char32_t>(text[i]));
  return out;
}

std::string ToUtf8(const wchar_t* text) {
  return text ? ToUtf8(text, std::wcslen(text)) : std::string();
}

DWORD ErrorFromCurl(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return ERROR_SUCCESS;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return ERROR_WINHTTP_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
      return ERROR_WINHTTP_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
      return ERROR_WINHTTP_TIMEOUT;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_USE_SSL_FAILED:
      return ERROR_WINHTTP_SECURE_FAILURE;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_BAD_CONTENT_ENCODING:
      return ERROR_WINHTTP_CONNECTION_ERROR;
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
      return ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
    case CURLE_URL_MALFORMAT:
      return ERROR_WINHTTP_INVALID_URL;
    case CURLE_OUT_OF_MEMORY:
      return ERROR_NOT_ENOUGH_MEMORY;
    case CURLE_ABORTED_BY_CALLBACK:
      return ERROR_WINHTTP_OPERATION_CANCELLED;
    default:
      return ERROR_WINHTTP_INTERNAL_ERROR;
  }
}

bool StartCurl() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] { started = Curl() && curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  return started;
}

}  // namespace winhttp

extern "C" {

DWORD GetLastError() {
  return t_lastError;
}

void SetLastError(DWORD dwErrCode) {
  t_lastError = dwErrCode;
}

HMODULE GetModuleHandleW(LPCWSTR lpModuleName) {
  if (!lpModuleName) return nullptr;
  std::string name = winhttp::ToUtf8(lpModuleName);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name == "winhttp.dll" || name == "winhttp") {
    t_lastError = ERROR_SUCCESS;
    return &s_winHttpModule;
  }
  t_lastError = ERROR_INVALID_HANDLE;
  return nullptr;
}

DWORD FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD /*dwLanguageId*/,
                     LPWSTR lpBuffer, DWORD nSize, void* /*Arguments*/) {
  const DWORD known =
      FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD sources = dwFlags & (FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM);
  if ((dwFlags & ~known) || !sources || !lpBuffer || nSize == 0) {
    winhttp::Fail(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const wchar_t* text = nullptr;
  if ((dwFlags & FORMAT_MESSAGE_FROM_HMODULE) && lpSource == &s_winHttpModule)
    text = Find(kHttpMessages, dwMessageId);
  if (!text && (dwFlags & FORMAT_MESSAGE_FROM_SYSTEM)) text = Find(kSystemMessages, dwMessageId);
  if (!text) {
    winhttp::Fail(ERROR_MR_MID_NOT_FOUND);
    return 0;
  }
  const size_t length = std::wcslen(text);
  if (length + 1 > nSize) {
    winhttp::Fail(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::wmemcpy(lpBuffer, text, length + 1);
  t_lastError = ERROR_SUCCESS;
  return static_cast<DWORD>(length);
}
}
