#include "pageservice/embedded.h"

#include "pageservice/pageserver.h"

#include <QCoreApplication>

#include <memory>
#include <mutex>

namespace pageservice {

namespace {

std::mutex g_mutex;
std::unique_ptr<CPageServer> g_pServer;
bool g_bPostRoutine = false;

}  // namespace

std::string EmbeddedServiceAddress() {
  std::lock_guard lock(g_mutex);
  if (!g_pServer) {
    auto server = std::make_unique<CPageServer>(PageServiceConfig{});
    if (server->Bind("127.0.0.1", 0) <= 0 || !server->Start()) return {};
    g_pServer = std::move(server);
    // Stopped while the rest of the program is still there, not during the
    // destruction of globals.
    if (!g_bPostRoutine && QCoreApplication::instance()) {
      qAddPostRoutine(StopEmbeddedService);
      g_bPostRoutine = true;
    }
  }
  return "127.0.0.1:" + std::to_string(g_pServer->Port());
}

void StopEmbeddedService() {
  std::unique_ptr<CPageServer> server;
  {
    std::lock_guard lock(g_mutex);
    server = std::move(g_pServer);
  }
  server.reset();
}

}  // namespace pageservice
