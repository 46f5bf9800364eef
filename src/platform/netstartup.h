#pragma once
// The process-wide start-up of the network library (the HTTP client's global
// state). Called once at application start, before any thread exists.
#include <functional>

namespace platform {

bool NetStartup();

// Tests make the start-up fail through this.
void SetNetStartupForTesting(std::function<bool()> startup);

}  // namespace platform
