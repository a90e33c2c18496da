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
  bool ok = Resolve(library, "curl_global_init", api.global_init) &
            Resolve(library, "curl_easy_init", api.easy_init) &
            Resolve(library, "curl_easy_cleanup", api.easy_cleanup) &
            Resolve(library, "curl_easy_setopt", api.easy_setopt) &
            Resolve(library, "curl_easy_getinfo", api.easy_getinfo) &
            Resolve(library, "curl_easy_pause", api.easy_pause) &
            Resolve(library, "curl_multi_init", api.multi_init) &
            Resolve(library, "curl_multi_cleanup", api.multi_cleanup) &
            Resolve(library, "curl_multi_add_handle", api.multi_add_handle) &
            Resolve(library, "curl_multi_remove_handle", api.multi_remove_handle) &
            Resolve(library, "curl_multi_perform", api.multi_perform) &
            Resolve(library, "curl_multi_poll", api.multi_poll) &
            Resolve(library, "curl_multi_wakeup", api.multi_wakeup) &
            Resolve(library, "curl_multi_info_read", api.multi_info_read) &
            Resolve(library, "curl_slist_append", api.slist_append) &
            Resolve(library, "curl_slist_free_all", api.slist_free_all);
  return ok ? &api : nullptr;
}

}  // namespace

const CurlApi* Curl() {
  static const CurlApi* api = Load();
  return api;
}

}  // namespace winhttp
