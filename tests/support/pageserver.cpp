#include "support/pageserver.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace testing_support {

const std::string_view PageServer::kAnchor =
    "</textarea></td><td id=gap>&nbsp;</td><td class=almost_half_cell><div id=result_box dir=\"ltr\">";

namespace {

constexpr std::string_view kMarker = "\xD2\xD4\xCF\xC2\xCA\xC7\xB7\xAD\xD2\xEB\xBD\xE1\xB9\xFB\xA3\xBA";

std::string Address(const sockaddr_storage& addr, int& port) {
  char text[INET6_ADDRSTRLEN] = {};
  if (addr.ss_family == AF_INET) {
    const auto& in = reinterpret_cast<const sockaddr_in&>(addr);
    inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
    port = ntohs(in.sin_port);
  } else {
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(addr);
    inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof text);
    port = ntohs(in6.sin6_port);
  }
  return text;
}

// The connection's socket, keeping every byte read from it.
class RecordingStream : public httplib::Stream {
 public:
  explicit RecordingStream(int sock) : m_sock(sock) {}
  const std::string& Raw() const { return m_raw; }

  bool is_readable() const override { return Wait(POLLIN); }
  bool is_writable() const override { return Wait(POLLOUT); }
  ssize_t read(char* ptr, size_t size) override {
    if (!is_readable()) return -1;
    ssize_t n;
    do n = ::recv(m_sock, ptr, size, 0);
    while (n < 0 && errno == EINTR);
    if (n > 0) m_raw.append(ptr, static_cast<std::size_t>(n));
    return n;
  }
  ssize_t write(const char* ptr, size_t size) override {
    if (!is_writable()) return -1;
    return ::send(m_sock, ptr, size, MSG_NOSIGNAL);
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    ::getpeername(m_sock, reinterpret_cast<sockaddr*>(&addr), &len);
    ip = Address(addr, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    ::getsockname(m_sock, reinterpret_cast<sockaddr*>(&addr), &len);
    ip = Address(addr, port);
  }
  socket_t socket() const override { return m_sock; }

 private:
  bool Wait(short events) const {
    pollfd p{m_sock, events, 0};
    int r;
    do r = ::poll(&p, 1, 5000);
    while (r < 0 && errno == EINTR);
    return r > 0;
  }
  int m_sock;
  std::string m_raw;
};

thread_local const RecordingStream* t_pStream = nullptr;

// httplib's own connection handling, on a stream that records.
class RecordingServer : public httplib::Server {
 private:
  bool process_and_close_socket(socket_t sock) override {
    RecordingStream stream(sock);
    t_pStream = &stream;
    bool closed = false;
    const bool ok = process_request(stream, true, closed, nullptr);
    t_pStream = nullptr;
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return ok;
  }
};

}  // namespace

class PageServer::Impl {
 public:
  RecordingServer server;
  std::thread thread;
  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  Responder responder;
  std::vector<Request> requests;
  bool stopping = false;

  // Waits for ms unless the server is going; false when it is.
  bool Pause(std::chrono::milliseconds ms) {
    std::unique_lock lock(mutex);
    return !changed.wait_for(lock, ms, [this] { return stopping; });
  }

  void Handle(const httplib::Request& req, httplib::Response& res) {
    Request seen{t_pStream ? t_pStream->Raw() : std::string(), req.target, req.body};
    Responder respond;
    {
      std::lock_guard lock(mutex);
      requests.push_back(seen);
      respond = responder;
    }
    changed.notify_all();
    const Reply reply = respond(seen);
    if (reply.hang) {
      std::unique_lock lock(mutex);
      changed.wait(lock, [this] { return stopping; });
      return;
    }
    if (reply.delay.count() > 0 && !Pause(reply.delay)) return;
    res.status = reply.status;
    const std::size_t piece = reply.pieceSize ? reply.pieceSize : reply.body.size();
    res.set_content_provider(reply.body.size(), "text/html",
                             [this, reply, piece](size_t offset, size_t length, httplib::DataSink& sink) {
                               if (offset >= reply.cutAfter) return false;
                               if (offset > 0 && reply.delay.count() > 0 && !Pause(reply.delay)) return false;
                               std::size_t n = std::min({piece, length, reply.cutAfter - offset});
                               return sink.write(reply.body.data() + offset, n);
                             });
  }
};

PageServer::PageServer() : PageServer([](const Request& r) { return Reply{PageFor(r.body)}; }) {}

PageServer::PageServer(Responder responder) : m_pImpl(std::make_unique<Impl>()) {
  m_pImpl->responder = std::move(responder);
  Impl* d = m_pImpl.get();
  const auto handler = [d](const httplib::Request& req, httplib::Response& res) { d->Handle(req, res); };
  d->server.Post(".*", handler);
  d->server.Get(".*", handler);
  // Already listening once bound: connections wait in the backlog until the
  // thread accepts them.
  m_nPort = d->server.bind_to_any_port("127.0.0.1");
  d->thread = std::thread([d] { d->server.listen_after_bind(); });
}

PageServer::~PageServer() {
  {
    std::lock_guard lock(m_pImpl->mutex);
    m_pImpl->stopping = true;
  }
  m_pImpl->changed.notify_all();
  m_pImpl->server.stop();
  m_pImpl->thread.join();
}

void PageServer::SetResponder(Responder responder) {
  std::lock_guard lock(m_pImpl->mutex);
  m_pImpl->responder = std::move(responder);
}

std::vector<PageServer::Request> PageServer::Requests() const {
  std::lock_guard lock(m_pImpl->mutex);
  return m_pImpl->requests;
}

bool PageServer::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(m_pImpl->mutex);
  return m_pImpl->changed.wait_for(lock, timeout, [&] { return m_pImpl->requests.size() >= count; });
}

std::string PageServer::PageFor(std::string_view formBody) {
  const std::size_t text = formBody.find("text=");
  const std::size_t pair = formBody.rfind("&langpair=");
  if (text == std::string_view::npos || pair == std::string_view::npos || pair < text)
    return "<html>?</html>";
  const std::string_view sent = formBody.substr(text + 5, pair - text - 5);
  const bool toEnglish = formBody.substr(pair).starts_with("&langpair=zh|en");
  const std::string_view heading = toEnglish ? "Following is the translation:" : kMarker;
  std::string_view words = sent.substr(std::min(sent.size(), kMarker.size() + 2));
  std::string page = "<html><body><form><textarea name=text>";
  page += sent;
  page += kAnchor;
  page += heading;
  page += "<br>[";
  page += words;
  page += "]</div></td></tr></table></form></body></html>";
  return page;
}

int PageServer::RefusedPort() {
  const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ::bind(sock, reinterpret_cast<sockaddr*>(&addr), len);
  ::getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(sock);
  return ntohs(addr.sin_port);
}

}  // namespace testing_support
