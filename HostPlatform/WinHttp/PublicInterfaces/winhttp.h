#ifndef winhttp_h
#define winhttp_h
// The HTTP client of the operating system: synchronous sessions, connections and requests behind opaque
// handles, with WinHTTP's names, shapes and error codes. Results are BOOL (or a null handle) with the
// reason in the calling thread's last error (GetLastError). Handles are independent: closing one never
// invalidates another, and closing a request mid-transfer (also from another thread) is safe.
#include <cstdint>

typedef void* HINTERNET;
typedef void* HMODULE;
typedef uint32_t DWORD;
typedef DWORD* LPDWORD;
typedef uintptr_t DWORD_PTR;
typedef int BOOL;
typedef uint16_t INTERNET_PORT;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef wchar_t* LPWSTR;
typedef const wchar_t* LPCWSTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#include "WinHttpExport.h"

// Proxy access types of WinHttpOpen. The default is the system's configuration (http_proxy, https_proxy,
// no_proxy).
#define WINHTTP_ACCESS_TYPE_DEFAULT_PROXY 0
#define WINHTTP_ACCESS_TYPE_NO_PROXY 1
#define WINHTTP_NO_PROXY_NAME nullptr
#define WINHTTP_NO_PROXY_BYPASS nullptr
// Asynchronous sessions are not offered: WinHttpOpen refuses the flag.
#define WINHTTP_FLAG_ASYNC 0x10000000

#define INTERNET_DEFAULT_PORT 0
#define INTERNET_DEFAULT_HTTP_PORT 80
#define INTERNET_DEFAULT_HTTPS_PORT 443

// Request flags of WinHttpOpenRequest.
#define WINHTTP_FLAG_SECURE 0x00800000
#define WINHTTP_FLAG_REFRESH 0x00000100
#define WINHTTP_FLAG_BYPASS_PROXY_CACHE WINHTTP_FLAG_REFRESH
#define WINHTTP_NO_REFERER nullptr
#define WINHTTP_DEFAULT_ACCEPT_TYPES nullptr
#define WINHTTP_NO_ADDITIONAL_HEADERS nullptr
#define WINHTTP_NO_REQUEST_DATA nullptr

// Error codes (as GetLastError returns them).
#define ERROR_SUCCESS 0
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_NOT_SUPPORTED 50
#define ERROR_INVALID_PARAMETER 87
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_MR_MID_NOT_FOUND 317
#define ERROR_WINHTTP_OUT_OF_HANDLES 12001
#define ERROR_WINHTTP_TIMEOUT 12002
#define ERROR_WINHTTP_INTERNAL_ERROR 12004
#define ERROR_WINHTTP_INVALID_URL 12005
#define ERROR_WINHTTP_UNRECOGNIZED_SCHEME 12006
#define ERROR_WINHTTP_NAME_NOT_RESOLVED 12007
#define ERROR_WINHTTP_OPERATION_CANCELLED 12017
#define ERROR_WINHTTP_INCORRECT_HANDLE_TYPE 12018
#define ERROR_WINHTTP_INCORRECT_HANDLE_STATE 12019
#define ERROR_WINHTTP_CANNOT_CONNECT 12029
#define ERROR_WINHTTP_CONNECTION_ERROR 12030
#define ERROR_WINHTTP_INVALID_SERVER_RESPONSE 12152
#define ERROR_WINHTTP_INVALID_HEADER 12153
#define ERROR_WINHTTP_SECURE_FAILURE 12175

// FormatMessageW flags and the language argument it is usually given.
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(primary, sub) ((((DWORD)(sub)) << 10) | (DWORD)(primary))

extern "C" {

// A session with a user agent (may be null: no User-Agent header) and a proxy access type.
ExportedByWinHttp HINTERNET WinHttpOpen(LPCWSTR pszAgentW, DWORD dwAccessType, LPCWSTR pszProxyW,
                                        LPCWSTR pszProxyBypassW, DWORD dwFlags);
// Time-outs in milliseconds for requests opened later from a session, or for one request: name
// resolution, connection, sending the request, and receiving (the longest wait for the reply headers and
// for each further piece of the body). 0 or -1 means no limit; other negative values are refused. Set on a
// request that is receiving, the receive limit applies from its next wait on.
ExportedByWinHttp BOOL WinHttpSetTimeouts(HINTERNET hInternet, int nResolveTimeout, int nConnectTimeout,
                                          int nSendTimeout, int nReceiveTimeout);
// Names the server of later requests; nothing travels yet. Port 0 is the scheme's default port.
ExportedByWinHttp HINTERNET WinHttpConnect(HINTERNET hSession, LPCWSTR pswzServerName,
                                           INTERNET_PORT nServerPort, DWORD dwReserved);
// A request for a target (verb null: "GET"; version null: "HTTP/1.1"). WINHTTP_FLAG_SECURE asks for TLS
// with certificates verified against the system store (SSL_CERT_FILE names another bundle);
// WINHTTP_FLAG_REFRESH sends "Cache-Control: no-cache" and "Pragma: no-cache".
ExportedByWinHttp HINTERNET WinHttpOpenRequest(HINTERNET hConnect, LPCWSTR pwszVerb, LPCWSTR pwszObjectName,
                                               LPCWSTR pwszVersion, LPCWSTR pwszReferrer,
                                               LPCWSTR* ppwszAcceptTypes, DWORD dwFlags);
// Connects and sends the request with extra header lines (CR LF separated; length (DWORD)-1 for a
// terminated text) and a body; returns once the request has gone out. The whole body is given at once:
// dwTotalLength must equal dwOptionalLength.
ExportedByWinHttp BOOL WinHttpSendRequest(HINTERNET hRequest, LPCWSTR lpszHeaders, DWORD dwHeadersLength,
                                          LPVOID lpOptional, DWORD dwOptionalLength, DWORD dwTotalLength,
                                          DWORD_PTR dwContext);
// Waits for the reply headers.
ExportedByWinHttp BOOL WinHttpReceiveResponse(HINTERNET hRequest, LPVOID lpReserved);
// Waits until body data is at hand or the body has ended; 0 available means the end.
ExportedByWinHttp BOOL WinHttpQueryDataAvailable(HINTERNET hRequest, LPDWORD lpdwNumberOfBytesAvailable);
// Reads up to the given count of body bytes, waiting for some when none is at hand; 0 read is the end.
ExportedByWinHttp BOOL WinHttpReadData(HINTERNET hRequest, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead,
                                       LPDWORD lpdwNumberOfBytesRead);
ExportedByWinHttp BOOL WinHttpCloseHandle(HINTERNET hInternet);

// The calling thread's last error.
ExportedByWinHttp DWORD GetLastError();
ExportedByWinHttp void SetLastError(DWORD dwErrCode);
// L"winhttp.dll" names the module whose message table holds the texts of the HTTP errors; other names
// give null.
ExportedByWinHttp HMODULE GetModuleHandleW(LPCWSTR lpModuleName);
// Writes the text of a code into the buffer (nSize characters with the terminator) and returns its
// length; 0 with ERROR_MR_MID_NOT_FOUND when no table holds the code, ERROR_INSUFFICIENT_BUFFER when it
// does not fit. FROM_HMODULE looks in the HTTP module's table, FROM_SYSTEM in the system's; both may be
// given. Only English texts exist, whatever the language; inserts are never expanded.
ExportedByWinHttp DWORD FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                                       LPWSTR lpBuffer, DWORD nSize, void* Arguments);
}

#endif
