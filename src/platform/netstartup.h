#pragma once
// The process-wide network start-up: whether sockets can be used at all.
// Called once at application start, before any thread exists.
#include <functional>

namespace platform {

bool NetStartup();

// Tests make the start-up fail through this.
void SetNetStartupForTesting(std::function<bool()> startup);

}  // namespace platform
