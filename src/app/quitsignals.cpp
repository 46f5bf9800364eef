#include "app/quitsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace app {

namespace {

constexpr std::array<int, 3> kQuitSignals = {SIGTERM, SIGHUP, SIGINT};

int g_fdWake[2] = {-1, -1};
std::unique_ptr<QSocketNotifier> g_pNotifier;
std::function<void()> g_onQuit;

extern "C" void OnQuitSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // Nothing else is safe in a handler; a full pipe already holds a wake-up.
  [[maybe_unused]] const ssize_t n = ::write(g_fdWake[1], &byte, 1);
  errno = saved;
}

}  // namespace

void InstallQuitSignals(std::function<void()> onQuit) {
  RemoveQuitSignals();
  std::signal(SIGXFSZ, SIG_IGN);
  if (::pipe2(g_fdWake, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_onQuit = std::move(onQuit);
  g_pNotifier = std::make_unique<QSocketNotifier>(g_fdWake[0], QSocketNotifier::Read);
  QObject::connect(g_pNotifier.get(), &QSocketNotifier::activated, [] {
    char buf[64];
    while (::read(g_fdWake[0], buf, sizeof buf) > 0) {
    }
    // Later, from the loop: the close may end in RemoveQuitSignals, which
    // must not delete this notifier or the callback while they run.
    if (g_onQuit) QMetaObject::invokeMethod(QCoreApplication::instance(), g_onQuit, Qt::QueuedConnection);
  });
  struct sigaction sa {};
  sa.sa_handler = OnQuitSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int sig : kQuitSignals) ::sigaction(sig, &sa, nullptr);
}

void RemoveQuitSignals() {
  if (g_fdWake[0] < 0) return;
  for (int sig : kQuitSignals) std::signal(sig, SIG_DFL);
  g_pNotifier.reset();
  g_onQuit = nullptr;
  ::close(g_fdWake[0]);
  ::close(g_fdWake[1]);
  g_fdWake[0] = g_fdWake[1] = -1;
}

}  // namespace app
