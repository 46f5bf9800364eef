#pragma once
// SIGTERM, SIGHUP and SIGINT end the program the way closing the window
// does: the handler only wakes the event loop, which then runs the close.
// SIGXFSZ is ignored, so a file-size limit makes a write fail (and be
// reported) instead of killing the program with the text unsaved.
#include <functional>

namespace app {

void InstallQuitSignals(std::function<void()> onQuit);
void RemoveQuitSignals();

}  // namespace app
