#include "pageservice/pageserver.h"

#include "pageservice/dictengine.h"
#include "pageservice/dictionary.h"
#include "pageservice/page.h"
#include "text/codepage.h"

#include <httplib.h>

#include <QString>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

namespace pageservice {

namespace {

using Clock = std::chrono::steady_clock;

// A connection's socket for httplib. httplib takes any number of header
// lines, each as slowly as one byte per read time-out: a single client could
// fill the memory or hold a thread for ever. Here each request gets a byte
// budget and a deadline; the read-ahead buffer lives as long as the
// connection, so nothing read for the next request is lost.
class CRequestStream : public httplib::Stream {
 public:
  CRequestStream(socket_t sock, int nReadMs, int nWriteMs)
      : m_sock(sock), m_nReadMs(nReadMs), m_nWriteMs(nWriteMs) {}

  void StartRequest(std::size_t nBudget, Clock::time_point deadline) {
    m_nBudget = nBudget;
    m_deadline = deadline;
  }

  // Waits up to idle for the next request, giving up early when the server
  // stops.
  bool WaitForRequest(std::chrono::milliseconds idle, const std::atomic<socket_t>& listening) const {
    if (m_nPos < m_nEnd) return true;
    const Clock::time_point until = Clock::now() + idle;
    while (listening != INVALID_SOCKET) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
      if (left <= 0) return false;
      pollfd p{m_sock, POLLIN, 0};
      const int r = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 100)));
      if (r > 0) return true;
      if (r < 0 && errno != EINTR) return false;
    }
    return false;
  }

  bool is_readable() const override { return m_nPos < m_nEnd || Wait(POLLIN, ReadWait()); }
  bool is_writable() const override { return Wait(POLLOUT, m_nWriteMs); }

  ssize_t read(char* ptr, size_t size) override {
    if (m_nBudget == 0) return -1;
    if (m_nPos == m_nEnd) {
      if (Clock::now() >= m_deadline || !Wait(POLLIN, ReadWait())) return -1;
      ssize_t n;
      do n = ::recv(m_sock, m_buffer, sizeof m_buffer, 0);
      while (n < 0 && errno == EINTR);
      if (n <= 0) return n;
      m_nPos = 0;
      m_nEnd = static_cast<std::size_t>(n);
    }
    const std::size_t n = std::min({size, m_nEnd - m_nPos, m_nBudget});
    std::memcpy(ptr, m_buffer + m_nPos, n);
    m_nPos += n;
    m_nBudget -= n;
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (!is_writable()) return -1;
    ssize_t n;
    do n = ::send(m_sock, ptr, size, MSG_NOSIGNAL);
    while (n < 0 && errno == EINTR);
    return n;
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override { Endpoint(true, ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { Endpoint(false, ip, port); }
  socket_t socket() const override { return m_sock; }

 private:
  // The read time-out, cut short by the request's deadline.
  int ReadWait() const {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, m_nReadMs));
  }

  bool Wait(short events, int ms) const {
    pollfd p{m_sock, events, 0};
    int r;
    do r = ::poll(&p, 1, ms);
    while (r < 0 && errno == EINTR);
    return r > 0;
  }

  void Endpoint(bool remote, std::string& ip, int& port) const {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    auto* sa = reinterpret_cast<sockaddr*>(&addr);
    char host[NI_MAXHOST] = {};
    char service[NI_MAXSERV] = {};
    if ((remote ? ::getpeername(m_sock, sa, &len) : ::getsockname(m_sock, sa, &len)) != 0 ||
        ::getnameinfo(sa, len, host, sizeof host, service, sizeof service, NI_NUMERICHOST | NI_NUMERICSERV) !=
            0)
      return;
    ip = host;
    port = std::atoi(service);
  }

  socket_t m_sock;
  int m_nReadMs;
  int m_nWriteMs;
  std::size_t m_nBudget = 0;
  Clock::time_point m_deadline;
  std::size_t m_nPos = 0;
  std::size_t m_nEnd = 0;
  char m_buffer[16 * 1024];
};

// httplib's keep-alive loop over the stream above.
class CGuardedServer : public httplib::Server {
 public:
  std::size_t nRequestBytes = 0;
  std::chrono::seconds requestTime{30};

 private:
  bool process_and_close_socket(socket_t sock) override {
    CRequestStream stream(sock, static_cast<int>(read_timeout_sec_ * 1000 + read_timeout_usec_ / 1000),
                          static_cast<int>(write_timeout_sec_ * 1000 + write_timeout_usec_ / 1000));
    bool ok = false;
    for (std::size_t count = keep_alive_max_count_; count > 0; --count) {
      if (!stream.WaitForRequest(std::chrono::seconds(keep_alive_timeout_sec_), svr_sock_)) break;
      stream.StartRequest(nRequestBytes, Clock::now() + requestTime);
      bool closed = false;
      ok = process_request(stream, count == 1, closed, nullptr);
      if (!ok || closed) break;
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return ok;
  }
};

// The page service has no use for byte ranges, and httplib would answer
// every range of a many-ranged Range header with a copy of the page.
void IgnoreRanges(const httplib::Request& req) {
  // The request is httplib's own non-const object, handed out as const.
  const_cast<httplib::Request&>(req).ranges.clear();
}

}  // namespace

struct CPageServer::Impl {
  PageServiceConfig config;
  CGuardedServer server;
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
  CGuardedServer& server = impl.server;
  // Headers get as much room again as the largest body.
  server.nRequestBytes = impl.config.nMaxBodyBytes + 64 * 1024;
  server.requestTime = std::chrono::seconds(std::max(1, impl.config.nRequestSeconds));
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
  server.set_pre_routing_handler([](const httplib::Request& req, httplib::Response&) {
    IgnoreRanges(req);
    return httplib::Server::HandlerResponse::Unhandled;
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
