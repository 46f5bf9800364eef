#pragma once
// The page service over HTTP: POST /translate_t answers with the translation
// page, GET / with a short description. Used by the lexiphon-pageserver
// program and, on a loopback port, inside Lexiphon itself.
#include "pageservice/upstreamengine.h"

#include <cstddef>
#include <memory>
#include <string>

namespace pageservice {

struct PageServiceConfig {
  enum class Engine { Dictionary, Upstream };
  Engine engine = Engine::Dictionary;
  std::string strDictionaryPath;  // empty: DefaultDictionaryPath()
  UpstreamConfig upstream;
  // Makes the upstream engine (MakeUpstreamEngine); null: this program has none.
  std::unique_ptr<CTranslationEngine> (*makeUpstream)(const UpstreamConfig&, std::string& error) = nullptr;
  // Requests translated at once. Connections do not hold these: a request
  // reaches them only once it has arrived whole.
  int nThreads = 16;
  // A request that sends nothing for this long is dropped.
  int nReadTimeoutSeconds = 5;
  // The whole request, headers and body, must arrive within this, however
  // steadily it trickles in.
  int nRequestSeconds = 10;
  // A kept connection without a request is closed after this.
  int nIdleSeconds = 5;
  // Connections beyond these are answered 503 with Retry-After; 0: no limit.
  std::size_t nMaxConnections = 512;
  std::size_t nMaxConnectionsPerAddress = 32;
  std::size_t nMaxBodyBytes = 64 * 1024;
};

class CPageServer {
 public:
  explicit CPageServer(PageServiceConfig config);
  ~CPageServer();
  CPageServer(const CPageServer&) = delete;
  CPageServer& operator=(const CPageServer&) = delete;

  // Sets the engine up now rather than at the first request: loads the
  // dictionary or checks the upstream URL. False with the reason when it
  // cannot; the server still answers, with that reason on every page.
  bool Prepare(std::string& error);

  // Port 0 picks a free one. The port bound, -1 when binding failed.
  int Bind(const std::string& strHost, int nPort);
  // Serves until Stop(); false when it could not. Once stopped it accepts
  // nothing more, answers the requests it has read and returns within
  // about two seconds.
  bool Listen();
  // Serves on a thread of its own; returns once requests are accepted.
  bool Start();
  // From any thread; waits for the serving thread that Start began.
  void Stop();
  int Port() const { return m_nPort; }

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
  int m_nPort = -1;
};

}  // namespace pageservice
