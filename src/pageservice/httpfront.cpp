#include "pageservice/httpfront.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace pageservice {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// After an answer that closes, the rest of what the client sent is read and
// dropped for a moment: closing with unread bytes would reset the connection
// and could destroy the answer before the client reads it.
constexpr auto kLinger = 1000ms;
constexpr std::size_t kMaxLingerBytes = 1 << 20;
// Requests already read are answered for this long after Stop().
constexpr auto kStopGrace = 1500ms;
constexpr std::size_t kReadChunk = 16 * 1024;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCopy(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), Lower);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return Lower(x) == Lower(y);
         });
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Whether a comma-separated header value lists the token.
bool HasToken(std::string_view value, std::string_view token) {
  while (!value.empty()) {
    const std::size_t comma = value.find(',');
    if (EqualsNoCase(Trim(value.substr(0, comma)), token)) return true;
    if (comma == std::string_view::npos) break;
    value.remove_prefix(comma + 1);
  }
  return false;
}

bool IsToken(std::string_view s) {
  if (s.empty()) return false;
  return std::all_of(s.begin(), s.end(), [](unsigned char c) {
    return c > 32 && c < 127 && !std::strchr("()<>@,;:\\\"/[]?={}", c);
  });
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string PercentDecode(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
      i += 2;
    } else {
      out += s[i] == '+' ? ' ' : s[i];
    }
  }
  return out;
}

const char* Reason(int status) {
  switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 414: return "URI Too Long";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return status < 300 ? "OK" : status < 500 ? "Bad Request" : "Internal Server Error";
  }
}

enum class State { Reading, Working, Writing, Lingering };

struct CConnection {
  int fd = -1;
  std::string strAddress;
  State state = State::Reading;
  bool bArmed = false;  // waiting in epoll: the reactor's until it fires
  Clock::time_point deadline;

  std::string in;
  Clock::time_point requestStart;  // first byte of the request in `in`
  Clock::time_point lastByte;
  Clock::time_point idleSince;
  bool bPeerClosed = false;
  std::size_t nLingered = 0;

  bool bHeadersParsed = false;
  std::size_t nHeaderEnd = 0;
  std::size_t nBodyLength = 0;
  bool bSentContinue = false;
  bool bKeepAlive = false;
  HttpRequest request;

  std::string out;
  std::size_t nOutPos = 0;
  bool bCloseAfter = false;
};

enum class Parsed { NeedMore, Complete, Error };

}  // namespace

const std::string* HttpRequest::Header(std::string_view lowerName) const {
  for (const auto& [name, value] : headers)
    if (name == lowerName) return &value;
  return nullptr;
}

std::optional<std::string> HttpRequest::QueryValue(std::string_view name) const {
  std::string_view q = strQuery;
  while (!q.empty()) {
    const std::size_t amp = q.find('&');
    const std::string_view pair = q.substr(0, amp);
    const std::size_t eq = pair.find('=');
    if (PercentDecode(pair.substr(0, eq)) == name)
      return eq == std::string_view::npos ? std::string() : PercentDecode(pair.substr(eq + 1));
    if (amp == std::string_view::npos) break;
    q.remove_prefix(amp + 1);
  }
  return std::nullopt;
}

std::string SerializeReply(const HttpReply& reply, bool keepAlive, bool headOnly) {
  std::string out;
  out.reserve(256 + (headOnly ? 0 : reply.body.size()));
  out += "HTTP/1.1 ";
  out += std::to_string(reply.nStatus);
  out += ' ';
  out += Reason(reply.nStatus);
  out += "\r\n";
  if (!reply.strContentType.empty()) out += "Content-Type: " + reply.strContentType + "\r\n";
  out += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
  // The page echoes what was posted: a page from elsewhere that posts
  // markup here must not get it run as this origin's script.
  out += "Content-Security-Policy: default-src 'none'\r\nX-Content-Type-Options: nosniff\r\n";
  for (const auto& [name, value] : reply.headers) out += name + ": " + value + "\r\n";
  out += keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
  out += "\r\n";
  if (!headOnly) out += reply.body;
  return out;
}

struct CHttpFront::Impl {
  HttpLimits limits;
  Handler handler;
  ErrorPage errorPage;
  std::string strContentType;

  int listenFd = -1;
  int epollFd = -1;
  int wakeFd = -1;
  std::atomic<bool> bStopping{false};
  std::atomic<bool> bRunning{false};
  bool bAbort = false;  // under mutex: workers leave the queue
  bool bAcceptPaused = false;

  std::mutex mutex;
  std::condition_variable workReady;
  std::unordered_map<CConnection*, std::unique_ptr<CConnection>> connections;
  std::unordered_map<std::string, std::size_t> perAddress;
  std::deque<CConnection*> queue;

  ~Impl() {
    for (auto& [p, c] : connections) ::close(c->fd);
    for (int fd : {listenFd, epollFd, wakeFd})
      if (fd >= 0) ::close(fd);
  }

  // --- ownership hand-over -------------------------------------------------

  // Gives the connection to the reactor until the event fires. The caller
  // must not touch it afterwards.
  void Arm(CConnection& c, std::uint32_t events, Clock::time_point deadline) {
    std::lock_guard lock(mutex);
    c.bArmed = true;
    c.deadline = deadline;
    epoll_event ev{};
    ev.events = events | EPOLLONESHOT | EPOLLRDHUP;
    ev.data.ptr = &c;
    if (::epoll_ctl(epollFd, EPOLL_CTL_MOD, c.fd, &ev) != 0) CloseLocked(c);
  }

  void Close(CConnection& c) {
    std::lock_guard lock(mutex);
    CloseLocked(c);
  }

  void CloseLocked(CConnection& c) {
    ::close(c.fd);
    if (auto it = perAddress.find(c.strAddress); it != perAddress.end() && --it->second == 0)
      perAddress.erase(it);
    connections.erase(&c);  // deletes c
  }

  // --- the reactor ---------------------------------------------------------

  void Accept() {
    for (;;) {
      sockaddr_storage addr{};
      socklen_t len = sizeof addr;
      const int fd = ::accept4(listenFd, reinterpret_cast<sockaddr*>(&addr), &len,
                               SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) {
        if (errno == EINTR || errno == ECONNABORTED) continue;
        // Out of descriptors: the listener rests until the next sweep,
        // instead of waking the loop at once again.
        if (errno == EMFILE || errno == ENFILE) {
          epoll_event ev{};
          ev.data.ptr = &listenFd;
          ::epoll_ctl(epollFd, EPOLL_CTL_MOD, listenFd, &ev);
          bAcceptPaused = true;
        }
        return;
      }
      std::string address;
      if (addr.ss_family == AF_INET) {
        const auto& a = reinterpret_cast<const sockaddr_in&>(addr).sin_addr;
        address.assign(reinterpret_cast<const char*>(&a), sizeof a);
      } else if (addr.ss_family == AF_INET6) {
        const auto& a = reinterpret_cast<const sockaddr_in6&>(addr).sin6_addr;
        address.assign(reinterpret_cast<const char*>(&a), sizeof a);
      }
      const int one = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);

      std::unique_lock lock(mutex);
      const std::size_t fromThere = perAddress.count(address) ? perAddress[address] : 0;
      if ((limits.nMaxConnections && connections.size() >= limits.nMaxConnections) ||
          (limits.nMaxPerAddress && fromThere >= limits.nMaxPerAddress)) {
        lock.unlock();
        Refuse(fd);
        continue;
      }
      auto owned = std::make_unique<CConnection>();
      CConnection& c = *owned;
      c.fd = fd;
      c.strAddress = address;
      c.idleSince = Clock::now();
      c.bArmed = true;
      c.deadline = c.idleSince + limits.idle;
      epoll_event ev{};
      ev.events = EPOLLIN | EPOLLONESHOT | EPOLLRDHUP;
      ev.data.ptr = &c;
      if (::epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &ev) != 0) {
        ::close(fd);
        continue;
      }
      ++perAddress[address];
      connections.emplace(&c, std::move(owned));
    }
  }

  // Too many connections: a short answer, written if the socket takes it.
  void Refuse(int fd) {
    HttpReply reply{503, strContentType, errorPage(503), {{"Retry-After", "5"}}, true};
    const std::string bytes = SerializeReply(reply, false, false);
    [[maybe_unused]] const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
  }

  void OnEvent(CConnection& c, std::uint32_t events) {
    {
      std::lock_guard lock(mutex);
      c.bArmed = false;
    }
    if (c.state == State::Writing) {
      Advance(c);
      return;
    }
    char buffer[kReadChunk];
    if (c.state == State::Lingering) {
      for (;;) {
        const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
        if (n > 0 && (c.nLingered += static_cast<std::size_t>(n)) < kMaxLingerBytes) continue;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
          Arm(c, EPOLLIN, c.deadline);
          return;
        }
        Close(c);
        return;
      }
    }
    // Reading: take what is there, but no more than a request may hold.
    const std::size_t most = limits.nMaxHeaderBytes + limits.nMaxBodyBytes + kReadChunk;
    const Clock::time_point now = Clock::now();
    while (c.in.size() < most) {
      const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
      if (n > 0) {
        if (c.in.empty()) c.requestStart = now;
        c.in.append(buffer, static_cast<std::size_t>(n));
        c.lastByte = now;
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
      c.bPeerClosed = true;  // end of input, or the connection failed
      break;
    }
    if ((events & (EPOLLERR | EPOLLHUP)) && c.in.empty()) {
      Close(c);
      return;
    }
    Advance(c);
  }

  // Closes what has outlived its deadline; during the stop, also every
  // connection that has no request being answered.
  void Sweep(bool stopping) {
    const Clock::time_point now = Clock::now();
    std::lock_guard lock(mutex);
    std::vector<CConnection*> expired;
    for (auto& [p, c] : connections) {
      if (!c->bArmed) continue;
      if (now >= c->deadline || (stopping && c->state == State::Reading)) expired.push_back(p);
    }
    for (CConnection* c : expired) CloseLocked(*c);
  }

  // --- the life of a connection, on whichever thread owns it --------------

  void Advance(CConnection& c) {
    for (;;) {
      while (c.nOutPos < c.out.size()) {
        const ssize_t n = ::send(c.fd, c.out.data() + c.nOutPos, c.out.size() - c.nOutPos, MSG_NOSIGNAL);
        if (n > 0) {
          c.nOutPos += static_cast<std::size_t>(n);
          c.deadline = Clock::now() + limits.write;
          continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
          if (c.state != State::Writing) c.deadline = Clock::now() + limits.write;
          c.state = State::Writing;
          Arm(c, EPOLLOUT, c.deadline);
          return;
        }
        Close(c);
        return;
      }
      c.out = {};
      c.nOutPos = 0;
      if (c.bCloseAfter) {
        if (c.bPeerClosed) {
          Close(c);
          return;
        }
        ::shutdown(c.fd, SHUT_WR);
        c.state = State::Lingering;
        Arm(c, EPOLLIN, Clock::now() + kLinger);
        return;
      }
      int status = 0;
      switch (Parse(c, status)) {
        case Parsed::Complete:
          c.state = State::Working;
          if (Enqueue(c)) return;
          c.out = SerializeReply({503, strContentType, errorPage(503), {{"Retry-After", "1"}}, true}, false,
                                 false);
          c.bCloseAfter = true;
          continue;
        case Parsed::Error:
          c.out = SerializeReply({status, strContentType, errorPage(status), {}, true}, false, false);
          c.bCloseAfter = true;
          continue;
        case Parsed::NeedMore:
          if (c.bPeerClosed || bStopping) {
            Close(c);
            return;
          }
          c.state = State::Reading;
          Arm(c, EPOLLIN, ReadDeadline(c));
          return;
      }
    }
  }

  Clock::time_point ReadDeadline(const CConnection& c) const {
    if (c.in.empty()) return c.idleSince + limits.idle;
    return std::min(c.requestStart + limits.request, c.lastByte + limits.readGap);
  }

  bool Enqueue(CConnection& c) {
    {
      std::lock_guard lock(mutex);
      if (queue.size() >= limits.nMaxQueued) return false;
      queue.push_back(&c);
    }
    workReady.notify_one();
    return true;
  }

  Parsed Parse(CConnection& c, int& status) {
    std::string& in = c.in;
    if (!c.bHeadersParsed) {
      // Empty lines before a request are allowed, e.g. after a body's CR LF.
      const std::size_t start = std::min(in.find_first_not_of("\r\n"), in.size());
      if (start > 0) in.erase(0, start);
      if (in.empty()) return Parsed::NeedMore;
      std::size_t end = std::string::npos;
      std::size_t lf = in.find('\n');
      while (lf != std::string::npos && lf + 1 < in.size()) {
        if (in[lf + 1] == '\n') {
          end = lf + 2;
          break;
        }
        if (in[lf + 1] == '\r' && lf + 2 < in.size() && in[lf + 2] == '\n') {
          end = lf + 3;
          break;
        }
        lf = in.find('\n', lf + 1);
      }
      if (end == std::string::npos || end > limits.nMaxHeaderBytes) {
        if (in.size() <= limits.nMaxHeaderBytes) return Parsed::NeedMore;
        status = 431;
        return Parsed::Error;
      }
      status = ParseHead(std::string_view(in).substr(0, end), c);
      if (status) return Parsed::Error;
      c.bHeadersParsed = true;
      c.nHeaderEnd = end;
      c.bSentContinue = false;
    }
    if (in.size() < c.nHeaderEnd + c.nBodyLength) {
      if (!c.bSentContinue && c.request.nMinorVersion == 1) {
        c.bSentContinue = true;
        const std::string* expect = c.request.Header("expect");
        if (expect && EqualsNoCase(*expect, "100-continue")) {
          constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
          // So small that a fresh connection's buffer always takes it.
          [[maybe_unused]] const ssize_t n = ::send(c.fd, kContinue.data(), kContinue.size(), MSG_NOSIGNAL);
        }
      }
      return Parsed::NeedMore;
    }
    c.request.body.assign(in, c.nHeaderEnd, c.nBodyLength);
    in.erase(0, c.nHeaderEnd + c.nBodyLength);
    // A kept connection does not keep the room of its largest request.
    if (in.empty() && in.capacity() > 2 * kReadChunk) std::string().swap(in);
    c.bHeadersParsed = false;
    c.requestStart = Clock::now();  // of what follows in `in`, if anything
    return Parsed::Complete;
  }

  // Request line and header fields; 0, or the status of the answer that
  // refuses them.
  int ParseHead(std::string_view head, CConnection& c) const {
    HttpRequest& r = c.request;
    r = {};
    std::vector<std::string_view> lines;
    while (!head.empty()) {
      const std::size_t lf = head.find('\n');
      std::string_view line = head.substr(0, lf);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines.push_back(line);
      head.remove_prefix(lf == std::string_view::npos ? head.size() : lf + 1);
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (lines.empty()) return 400;

    const std::string_view line = lines.front();
    const std::size_t sp1 = line.find(' ');
    const std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos || line.find(' ', sp2 + 1) != std::string_view::npos) return 400;
    const std::string_view method = line.substr(0, sp1);
    std::string_view target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    const std::string_view version = line.substr(sp2 + 1);
    if (!IsToken(method)) return 400;
    if (version.size() != 8 || version.substr(0, 5) != "HTTP/" || version[6] != '.' ||
        !std::isdigit(static_cast<unsigned char>(version[5])) ||
        !std::isdigit(static_cast<unsigned char>(version[7])))
      return 400;
    if (version[5] != '1' || (version[7] != '0' && version[7] != '1')) return 505;
    r.nMinorVersion = version[7] - '0';
    // The absolute form, as sent to a proxy: only the path counts.
    if (target.substr(0, 7) == "http://") {
      const std::size_t slash = target.find('/', 7);
      target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
    }
    if (target.empty() || (target.front() != '/' && target != "*")) return 400;
    if (target.find_first_of(" \t") != std::string_view::npos) return 400;
    const std::size_t question = target.find('?');
    r.strMethod = method;
    r.strPath = target.substr(0, question);
    if (question != std::string_view::npos) r.strQuery = target.substr(question + 1);

    std::optional<std::size_t> length;
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const std::string_view field = lines[i];
      const std::size_t colon = field.find(':');
      // No folded lines and no space before the colon: both hide fields
      // from one reader and show them to another.
      if (colon == std::string_view::npos || !IsToken(field.substr(0, colon))) return 400;
      std::string name = LowerCopy(field.substr(0, colon));
      const std::string_view value = Trim(field.substr(colon + 1));
      if (name == "content-length") {
        std::size_t n = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
        if (value.empty() || ec != std::errc() || end != value.data() + value.size()) return 400;
        if (length && *length != n) return 400;
        length = n;
      }
      r.headers.emplace_back(std::move(name), std::string(value));
    }
    // The body must be framed by its length: no chunks, which would leave
    // the server reading for as long as the client likes.
    if (r.Header("transfer-encoding")) return 411;
    const bool wantsBody = r.strMethod == "POST" || r.strMethod == "PUT" || r.strMethod == "PATCH";
    if (wantsBody && !length) return 411;
    c.nBodyLength = length.value_or(0);
    if (c.nBodyLength > limits.nMaxBodyBytes) return 413;

    const std::string* connection = r.Header("connection");
    c.bKeepAlive = connection ? (r.nMinorVersion == 1 ? !HasToken(*connection, "close")
                                                      : HasToken(*connection, "keep-alive"))
                              : r.nMinorVersion == 1;
    return 0;
  }

  // --- the workers ---------------------------------------------------------

  void Work() {
    for (;;) {
      CConnection* c = nullptr;
      {
        std::unique_lock lock(mutex);
        workReady.wait(lock, [this] { return bAbort || !queue.empty(); });
        if (bAbort) return;
        c = queue.front();
        queue.pop_front();
      }
      HttpReply reply;
      try {
        reply = handler(c->request);
      } catch (...) {
        reply = {500, strContentType, errorPage(500), {}, true};
      }
      const bool keep = c->bKeepAlive && !reply.bClose && reply.nStatus != 400 && !bStopping;
      c->out = SerializeReply(reply, keep, c->request.strMethod == "HEAD");
      c->bCloseAfter = !keep;
      c->request = {};
      c->idleSince = Clock::now();
      Advance(*c);
    }
  }

  bool Run() {
    if (listenFd < 0 || bStopping) return false;
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.ptr = &listenFd;
    if (::epoll_ctl(epollFd, EPOLL_CTL_ADD, listenFd, &ev) != 0) return false;
    epoll_event wake{};
    wake.events = EPOLLIN;
    wake.data.ptr = &wakeFd;
    ::epoll_ctl(epollFd, EPOLL_CTL_ADD, wakeFd, &wake);

    std::vector<std::thread> workers;
    for (int i = 0; i < std::max(1, limits.nWorkers); ++i) workers.emplace_back([this] { Work(); });
    bRunning = true;

    std::optional<Clock::time_point> stopAt;
    Clock::time_point lastSweep = Clock::now();
    epoll_event events[256];
    for (;;) {
      // With nothing open there is nothing to sweep: no wake-ups in an idle
      // program.
      bool idle;
      {
        std::lock_guard lock(mutex);
        idle = connections.empty() && !bAcceptPaused && !stopAt;
      }
      const int n = ::epoll_wait(epollFd, events, 256, idle ? -1 : 50);
      for (int i = 0; i < n; ++i) {
        void* p = events[i].data.ptr;
        if (p == &listenFd) {
          if (!stopAt) Accept();
        } else if (p == &wakeFd) {
          std::uint64_t value;
          [[maybe_unused]] const ssize_t r = ::read(wakeFd, &value, sizeof value);
        } else {
          OnEvent(*static_cast<CConnection*>(p), events[i].events);
        }
      }
      const Clock::time_point now = Clock::now();
      if (bStopping && !stopAt) {
        stopAt = now;
        ::epoll_ctl(epollFd, EPOLL_CTL_DEL, listenFd, nullptr);
        ::close(listenFd);
        listenFd = -1;
      }
      if (now - lastSweep >= 50ms || stopAt) {
        if (bAcceptPaused && !stopAt) {
          ::epoll_ctl(epollFd, EPOLL_CTL_MOD, listenFd, &ev);
          bAcceptPaused = false;
        }
        Sweep(stopAt.has_value());
        lastSweep = now;
      }
      if (stopAt) {
        std::lock_guard lock(mutex);
        if (connections.empty() || now - *stopAt >= kStopGrace) break;
      }
    }
    {
      std::lock_guard lock(mutex);
      bAbort = true;
    }
    workReady.notify_all();
    for (std::thread& t : workers) t.join();
    std::lock_guard lock(mutex);
    queue.clear();
    while (!connections.empty()) CloseLocked(*connections.begin()->first);
    bRunning = false;
    return true;
  }
};

CHttpFront::CHttpFront(HttpLimits limits, Handler handler, ErrorPage errorPage, std::string strContentType)
    : m_pImpl(std::make_unique<Impl>()) {
  m_pImpl->limits = limits;
  m_pImpl->handler = std::move(handler);
  m_pImpl->errorPage = std::move(errorPage);
  m_pImpl->strContentType = std::move(strContentType);
  m_pImpl->epollFd = ::epoll_create1(EPOLL_CLOEXEC);
  m_pImpl->wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

CHttpFront::~CHttpFront() = default;

int CHttpFront::Bind(const std::string& strHost, int nPort) {
  Impl& impl = *m_pImpl;
  if (impl.listenFd >= 0 || impl.epollFd < 0 || impl.wakeFd < 0) return -1;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(nPort);
  if (::getaddrinfo(strHost.empty() ? nullptr : strHost.c_str(), service.c_str(), &hints, &found) != 0)
    return -1;
  int port = -1;
  for (addrinfo* a = found; a && port < 0; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_storage bound{};
    socklen_t len = sizeof bound;
    // Listening from here on: connections made before Run() wait in the
    // backlog instead of being refused.
    if (::bind(fd, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd, 1024) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &len) != 0) {
      ::close(fd);
      continue;
    }
    impl.listenFd = fd;
    port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(bound).sin6_port
                                             : reinterpret_cast<sockaddr_in&>(bound).sin_port);
  }
  ::freeaddrinfo(found);
  return port;
}

bool CHttpFront::Run() { return m_pImpl->Run(); }

void CHttpFront::Stop() {
  m_pImpl->bStopping = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(m_pImpl->wakeFd, &one, sizeof one);
}

bool CHttpFront::IsRunning() const { return m_pImpl->bRunning; }

}  // namespace pageservice
