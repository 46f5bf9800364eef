#include "platform/curlapi.h"

#include <dlfcn.h>

#include <cstdlib>

namespace platform {

namespace {

template <class F>
bool Resolve(void* library, const char* name, F& f) {
  f = reinterpret_cast<F>(dlsym(library, name));
  return f != nullptr;
}

CurlApi* Load() {
  void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
  if (!library) return nullptr;
  static CurlApi api;
  decltype(&curl_global_init) global_init = nullptr;
  decltype(&curl_global_cleanup) global_cleanup = nullptr;
  const bool all = Resolve(library, "curl_global_init", global_init) &&
                   Resolve(library, "curl_global_cleanup", global_cleanup) &&
                   Resolve(library, "curl_easy_init", api.easy_init) &&
                   Resolve(library, "curl_easy_cleanup", api.easy_cleanup) &&
                   Resolve(library, "curl_easy_setopt", api.easy_setopt) &&
                   Resolve(library, "curl_easy_getinfo", api.easy_getinfo) &&
                   Resolve(library, "curl_easy_strerror", api.easy_strerror) &&
                   Resolve(library, "curl_multi_init", api.multi_init) &&
                   Resolve(library, "curl_multi_cleanup", api.multi_cleanup) &&
                   Resolve(library, "curl_multi_add_handle", api.multi_add_handle) &&
                   Resolve(library, "curl_multi_remove_handle", api.multi_remove_handle) &&
                   Resolve(library, "curl_multi_perform", api.multi_perform) &&
                   Resolve(library, "curl_multi_poll", api.multi_poll) &&
                   Resolve(library, "curl_multi_wakeup", api.multi_wakeup) &&
                   Resolve(library, "curl_multi_info_read", api.multi_info_read) &&
                   Resolve(library, "curl_slist_append", api.slist_append) &&
                   Resolve(library, "curl_slist_free_all", api.slist_free_all);
  // The library stays loaded: handles may live until exit.
  if (!all || global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return nullptr;
  std::atexit(global_cleanup);
  return &api;
}

}  // namespace

const CurlApi* Curl() {
  static const CurlApi* const api = Load();
  return api;
}

}  // namespace platform
