#include "platform/netstartup.h"

#include <sys/socket.h>
#include <unistd.h>

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
  // Whether this process may use sockets at all; libcurl itself is loaded
  // and initialised by the first request.
  static const bool ok = [] {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    ::close(fd);
    return true;
  }();
  return ok;
}

}  // namespace platform
