#include "pageserver.h"

#include "dictengine.h"
#include "dictionary.h"
#include "page.h"
#include "text/codepage.h"

#include <httplib.h>

#include <QString>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace pageservice {

struct CPageServer::Impl {
  PageServiceConfig config;
  httplib::Server server;
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
      error = CUpstreamEngine::CheckUrl(config.upstream.strUrl);
      if (!error.empty()) return false;
      pEngine = std::make_unique<CUpstreamEngine>(config.upstream);
      return true;
    }
    strAbout = "Dictionary translation, word by word, from CC-CEDICT (CC BY-SA 4.0).";
    const std::string path =
        config.strDictionaryPath.empty() ? DefaultDictionaryPath() : config.strDictionaryPath;
    if (!dictionary.Open(path, error)) {
      error = "词典无法加载：" + error;
      return false;
    }
    pEngine = std::make_unique<CDictionaryEngine>(dictionary);
    return true;
  }

  void Translate(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
    std::string body;
    bool tooLong = false;
    const bool read = reader([&](const char* data, std::size_t n) {
      if (body.size() + n > config.nMaxBodyBytes) {
        tooLong = true;
        return false;
      }
      body.append(data, n);
      return true;
    });
    if (tooLong || res.status == 413) {
      Answer(res, {413, ErrorPage(413, "The text is longer than this service accepts.")});
      res.set_header("Connection", "close");
      return;
    }
    if (!read) {
      Answer(res, {400, ErrorPage(400, "The request body could not be read.")});
      res.set_header("Connection", "close");
      return;
    }
    std::optional<std::string_view> langpair;
    std::string query;
    if (req.has_param("langpair")) {
      query = req.get_param_value("langpair");
      langpair = query;
    }
    Answer(res, AnswerTranslate(langpair, body, Engine()));
  }

  static void Answer(httplib::Response& res, const PageResponse& page) {
    res.status = page.nStatus;
    res.set_content(page.body, std::string(kPageContentType));
  }
};

CPageServer::CPageServer(PageServiceConfig config) : m_pImpl(std::make_unique<Impl>()) {
  Impl& impl = *m_pImpl;
  impl.config = std::move(config);
  httplib::Server& server = impl.server;
  const int threads = std::max(1, impl.config.nThreads);
  server.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<std::size_t>(threads)); };
  server.set_read_timeout(impl.config.nReadTimeoutSeconds, 0);
  server.set_write_timeout(5, 0);
  // A kept connection holds a thread: idle ones go soon, and busy ones
  // make way for others now and then.
  server.set_keep_alive_timeout(2);
  server.set_keep_alive_max_count(100);
  server.set_payload_max_length(impl.config.nMaxBodyBytes);
  // Headers and page go out as two writes; without this the second waits
  // for the client's delayed acknowledgement.
  server.set_tcp_nodelay(true);
  // A reader of our own: the library would cap form bodies far below what
  // a text of 8000 bytes with its "&" spelled out can reach.
  server.Post("/translate_t",
              [&impl](const httplib::Request& req, httplib::Response& res,
                      const httplib::ContentReader& reader) { impl.Translate(req, res, reader); });
  server.Get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(
        "<html><head><title>Lexiphon page service</title></head><body><p>Lexiphon page service.</p>"
        "<p>Translation requests are POST /translate_t?langpair=en|zh-CN (or zh|en), a form body in GB18030: "
        "hl=..&amp;ie=GB2312&amp;text=TEXT&amp;langpair=...</p></body></html>\n",
        std::string(kPageContentType));
  });
  server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.body.empty())
      Impl::Answer(res, {res.status, ErrorPage(res.status, "There is no such page here.")});
  });
  server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    Impl::Answer(res, {500, ErrorPage(500, "The service failed on this request.")});
  });
}

CPageServer::~CPageServer() { Stop(); }

bool CPageServer::Prepare(std::string& error) {
  std::lock_guard lock(m_pImpl->engineMutex);
  return m_pImpl->pEngine || m_pImpl->Load(error);
}

int CPageServer::Bind(const std::string& strHost, int nPort) {
  httplib::Server& server = m_pImpl->server;
  if (nPort == 0) {
    m_nPort = server.bind_to_any_port(strHost);
  } else {
    m_nPort = server.bind_to_port(strHost, nPort) ? nPort : -1;
  }
  if (m_nPort <= 0) m_nPort = -1;
  return m_nPort;
}

bool CPageServer::Listen() { return m_nPort > 0 && m_pImpl->server.listen_after_bind(); }

bool CPageServer::Start() {
  if (m_nPort <= 0 || m_pImpl->thread.joinable()) return false;
  m_pImpl->bListenEnded = false;
  m_pImpl->thread = std::thread([this] {
    Listen();
    m_pImpl->bListenEnded = true;
  });
  // Stop() before the loop runs would be lost.
  while (!m_pImpl->server.is_running() && !m_pImpl->bListenEnded) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return !m_pImpl->bListenEnded;
}

void CPageServer::Stop() {
  m_pImpl->server.stop();
  if (m_pImpl->thread.joinable()) m_pImpl->thread.join();
}

}  // namespace pageservice
