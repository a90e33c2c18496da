#ifndef WinHttpCurl_h
#define WinHttpCurl_h
// libcurl, loaded when the first HTTP session starts rather than with the library: every program that links
// the request core (the sender, the client) would otherwise load curl and its TLS, Kerberos and LDAP
// libraries at start, which costs more than the rest of a short program's run. The curl_* names used here
// call through the loaded table.
#define CURL_DISABLE_TYPECHECK 1
#include <curl/curl.h>

namespace winhttp {

struct CurlApi {
  decltype(&::curl_global_init) global_init;
  decltype(&::curl_easy_init) easy_init;
  decltype(&::curl_easy_cleanup) easy_cleanup;
  decltype(&::curl_easy_setopt) easy_setopt;
  decltype(&::curl_easy_getinfo) easy_getinfo;
  decltype(&::curl_easy_pause) easy_pause;
  decltype(&::curl_multi_init) multi_init;
  decltype(&::curl_multi_cleanup) multi_cleanup;
  decltype(&::curl_multi_add_handle) multi_add_handle;
  decltype(&::curl_multi_remove_handle) multi_remove_handle;
  decltype(&::curl_multi_perform) multi_perform;
  decltype(&::curl_multi_poll) multi_poll;
  decltype(&::curl_multi_wakeup) multi_wakeup;
  decltype(&::curl_multi_info_read) multi_info_read;
  decltype(&::curl_slist_append) slist_append;
  decltype(&::curl_slist_free_all) slist_free_all;
};

// The table, loaded once; null when libcurl or one of its functions cannot be found (reported on stderr).
const CurlApi* Curl();

}  // namespace winhttp

#ifndef WINHTTP_CURL_LOADER
// curl.h passes these two through macros of its own.
#undef curl_easy_setopt
#undef curl_easy_getinfo
#define curl_global_init winhttp::Curl()->global_init
#define curl_easy_init winhttp::Curl()->easy_init
#define curl_easy_cleanup winhttp::Curl()->easy_cleanup
#define curl_easy_setopt winhttp::Curl()->easy_setopt
#define curl_easy_getinfo winhttp::Curl()->easy_getinfo
#define curl_easy_pause winhttp::Curl()->easy_pause
#define curl_multi_init winhttp::Curl()->multi_init
#define curl_multi_cleanup winhttp::Curl()->multi_cleanup
#define curl_multi_add_handle winhttp::Curl()->multi_add_handle
#define curl_multi_remove_handle winhttp::Curl()->multi_remove_handle
#define curl_multi_perform winhttp::Curl()->multi_perform
#define curl_multi_poll winhttp::Curl()->multi_poll
#define curl_multi_wakeup winhttp::Curl()->multi_wakeup
#define curl_multi_info_read winhttp::Curl()->multi_info_read
#define curl_slist_append winhttp::Curl()->slist_append
#define curl_slist_free_all winhttp::Curl()->slist_free_all
#endif

#endif
