#define WINHTTP_CURL_LOADER 1
#include "WinHttpCurl.h"

#include <dlfcn.h>

#include <iostream>

namespace winhttp {
namespace {

template <class Function>
bool Resolve(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  if (!function) std::cerr << "WinHttp: libcurl lacks " << name << std::endl;
  return function != nullptr;
}

const CurlApi* Load() {
  // Never closed: handles and callbacks of the library live until the process ends.
  void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::cerr << "WinHttp: cannot load libcurl: " << dlerror() << std::endl;
    return nullptr;
  }
  static CurlApi api;
  // Every missing function is reported, not only the first.
  bool ok = true;
  ok = Resolve(library, "curl_global_init", api.global_init) && ok;
  ok = Resolve(library, "curl_easy_init", api.easy_init) && ok;
  ok = Resolve(library, "curl_easy_cleanup", api.easy_cleanup) && ok;
  ok = Resolve(library, "curl_easy_setopt", api.easy_setopt) && ok;
  ok = Resolve(library, "curl_easy_getinfo", api.easy_getinfo) && ok;
  ok = Resolve(library, "curl_easy_pause", api.easy_pause) && ok;
  ok = Resolve(library, "curl_multi_init", api.multi_init) && ok;
  ok = Resolve(library, "curl_multi_cleanup", api.multi_cleanup) && ok;
  ok = Resolve(library, "curl_multi_add_handle", api.multi_add_handle) && ok;
  ok = Resolve(library, "curl_multi_remove_handle", api.multi_remove_handle) && ok;
  ok = Resolve(library, "curl_multi_perform", api.multi_perform) && ok;
  ok = Resolve(library, "curl_multi_poll", api.multi_poll) && ok;
  ok = Resolve(library, "curl_multi_wakeup", api.multi_wakeup) && ok;
  ok = Resolve(library, "curl_multi_info_read", api.multi_info_read) && ok;
  ok = Resolve(library, "curl_slist_append", api.slist_append) && ok;
  ok = Resolve(library, "curl_slist_free_all", api.slist_free_all) && ok;
  return ok ? &api : nullptr;
}

}  // namespace

const CurlApi* Curl() {
  static const CurlApi* api = Load();
  return api;
}

}  // namespace winhttp
