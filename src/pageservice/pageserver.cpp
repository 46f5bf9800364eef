#include "pageservice/pageserver.h"

#include "pageservice/dictengine.h"
#include "pageservice/dictionary.h"
#include "pageservice/httpfront.h"
#include "pageservice/page.h"
#include "text/codepage.h"

#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace pageservice {

namespace {

constexpr std::string_view kAboutPage =
    "<html><head><title>Lexiphon page service</title></head><body><p>Lexiphon page service.</p>"
    "<p>Translation requests are POST /translate_t?langpair=en|zh-CN (or zh|en), a form body in GB18030: "
    "hl=..&amp;ie=GB2312&amp;text=TEXT&amp;langpair=...</p></body></html>\n";

std::string FrontErrorPage(int status) {
  switch (status) {
    case 400: return ErrorPage(400, "The request could not be understood.");
    case 411: return ErrorPage(411, "The request must say its length (Content-Length).");
    case 413: return ErrorPage(413, "The text is longer than this service accepts.");
    case 431: return ErrorPage(431, "The request's header is too long.");
    case 503: return ErrorPage(503, "The service is busy; try again in a moment.");
    case 505: return ErrorPage(505, "This service speaks HTTP/1.0 and HTTP/1.1.");
    default: return ErrorPage(status, "The service failed on this request.");
  }
}

HttpLimits LimitsOf(const PageServiceConfig& config) {
  HttpLimits limits;
  limits.nWorkers = std::max(1, config.nThreads);
  limits.readGap = std::chrono::seconds(std::max(1, config.nReadTimeoutSeconds));
  limits.request = std::chrono::seconds(std::max(1, config.nRequestSeconds));
  limits.idle = std::chrono::seconds(std::max(1, config.nIdleSeconds));
  limits.nMaxConnections = config.nMaxConnections;
  limits.nMaxPerAddress = config.nMaxConnectionsPerAddress;
  limits.nMaxBodyBytes = config.nMaxBodyBytes;
  return limits;
}

}  // namespace

struct CPageServer::Impl {
  PageServiceConfig config;
  std::unique_ptr<CHttpFront> pFront;
  std::thread thread;
  std::atomic<bool> bListenEnded{false};

  std::mutex engineMutex;
  CDictionary dictionary;
  std::unique_ptr<CTranslationEngine> pEngine;
  std::string strEngineError;  // GB18030, for the page
  std::string strAbout;

  // The engine, set up at the first request that needs it; a dictionary that
  // failed to load is tried again next time (it may have been installed
  // since).
  EngineAccess Engine() {
    std::lock_guard lock(engineMutex);
    if (!pEngine) {
      std::string error;
      if (!Load(error)) return {nullptr, text::FromUnicode(QString::fromStdString(error)), strAbout};
    }
    return {pEngine.get(), {}, strAbout};
  }

  bool Load(std::string& error) {
    if (config.engine == PageServiceConfig::Engine::Upstream) {
      strAbout =
          "Machine translation by the LibreTranslate-compatible server at " + config.upstream.strUrl + ".";
      if (!config.makeUpstream) {
        error = "this program has no upstream engine";
        return false;
      }
      pEngine = config.makeUpstream(config.upstream, error);
      if (!pEngine) return false;
      return true;
    }
    strAbout = "Automatic translation by grammar rules over a core vocabulary and CC-CEDICT (CC BY-SA 4.0).";
    const std::string path =
        config.strDictionaryPath.empty() ? DefaultDictionaryPath() : config.strDictionaryPath;
    if (!dictionary.Open(path, error)) {
      error = "词典无法加载：" + error;
      return false;
    }
    pEngine = std::make_unique<CDictionaryEngine>(dictionary);
    return true;
  }

  HttpReply Handle(const HttpRequest& req) {
    const bool get = req.strMethod == "GET" || req.strMethod == "HEAD";
    if (req.strPath == "/translate_t") {
      if (req.strMethod != "POST") return Refuse(405, "Translation requests are POSTed.", "POST");
      const std::optional<std::string> query = req.QueryValue("langpair");
      std::optional<std::string_view> langpair;
      if (query) langpair = *query;
      const PageResponse page = AnswerTranslate(langpair, req.body, Engine());
      return {page.nStatus, std::string(kPageContentType), page.body, {}, page.nStatus == 400};
    }
    if (req.strPath == "/") {
      if (!get) return Refuse(405, "This page is only read.", "GET, HEAD");
      return {200, std::string(kPageContentType), std::string(kAboutPage), {}, false};
    }
    return {404, std::string(kPageContentType), ErrorPage(404, "There is no such page here."), {}, false};
  }

  static HttpReply Refuse(int status, std::string_view message, std::string allow) {
    return {status, std::string(kPageContentType), ErrorPage(status, message), {{"Allow", std::move(allow)}},
            false};
  }
};

CPageServer::CPageServer(PageServiceConfig config) : m_pImpl(std::make_unique<Impl>()) {
  Impl& impl = *m_pImpl;
  impl.config = std::move(config);
  impl.pFront = std::make_unique<CHttpFront>(
      LimitsOf(impl.config), [&impl](const HttpRequest& req) { return impl.Handle(req); }, FrontErrorPage,
      std::string(kPageContentType));
}

CPageServer::~CPageServer() { Stop(); }

bool CPageServer::Prepare(std::string& error) {
  std::lock_guard lock(m_pImpl->engineMutex);
  return m_pImpl->pEngine || m_pImpl->Load(error);
}

int CPageServer::Bind(const std::string& strHost, int nPort) {
  m_nPort = m_pImpl->pFront->Bind(strHost, nPort);
  if (m_nPort <= 0) m_nPort = -1;
  return m_nPort;
}

bool CPageServer::Listen() { return m_nPort > 0 && m_pImpl->pFront->Run(); }

bool CPageServer::Start() {
  if (m_nPort <= 0 || m_pImpl->thread.joinable()) return false;
  m_pImpl->bListenEnded = false;
  m_pImpl->thread = std::thread([this] {
    Listen();
    m_pImpl->bListenEnded = true;
  });
  // Stop() before the loop runs would be lost.
  while (!m_pImpl->pFront->IsRunning() && !m_pImpl->bListenEnded) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return !m_pImpl->bListenEnded;
}

void CPageServer::Stop() {
  m_pImpl->pFront->Stop();
  if (m_pImpl->thread.joinable()) m_pImpl->thread.join();
}

}  // namespace pageservice
