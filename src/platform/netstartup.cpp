#include "platform/netstartup.h"

#include <curl/curl.h>

#include <cstdlib>

namespace platform {

namespace {

std::function<bool()>& Override() {
  static std::function<bool()> startup;
  return startup;
}

}  // namespace

void SetNetStartupForTesting(std::function<bool()> startup) { Override() = std::move(startup); }

bool NetStartup() {
  if (Override()) return Override()();
  static const bool ok = [] {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return false;
    std::atexit(curl_global_cleanup);
    return true;
  }();
  return ok;
}

}  // namespace platform
