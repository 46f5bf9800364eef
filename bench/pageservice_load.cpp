// Load and abuse on the page service, on 127.0.0.1 only: good clients
// measured while bad ones (slow headers, idle and never-reading
// connections, malformed requests) hold connections. Every phase is bounded
// in time and count and stops by itself.
//
//   pageservice_load [--seconds N] [--server "PROGRAM [ARG]..."]...
//
// Without --server it measures the page server in this process. Each
// --server is started with "--port 0" and measured in turn, so that two
// builds can be compared in one run; their peak resident memory and the
// time they take to exit on SIGTERM are reported too.
#include "pageservice/pageserver.h"
#include "translate/translation.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kClientTimeout = 10s;

int Connect(int port, bool blocking = true) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | (blocking ? 0 : SOCK_NONBLOCK), 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 && errno != EINPROGRESS) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int MsLeft(Clock::time_point deadline) {
  return static_cast<int>(
      std::max<long long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
}

bool SendAll(int fd, std::string_view data, Clock::time_point deadline) {
  while (!data.empty()) {
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, MsLeft(deadline)) <= 0) return false;
    const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// One whole answer: to the end of the connection, or Content-Length bytes
// when the connection is kept. True for a complete 200; closing: the server
// said it closes the connection after it.
bool ReadAnswer(int fd, bool kept, Clock::time_point deadline, bool& closing) {
  std::string in;
  char buf[16384];
  std::size_t need = std::string::npos;
  while (need == std::string::npos || in.size() < need) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, MsLeft(deadline)) <= 0) return false;
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n < 0) return false;
    if (n == 0) break;
    in.append(buf, static_cast<std::size_t>(n));
    const std::size_t end = in.find("\r\n\r\n");
    const std::size_t length = in.find("Content-Length: ");
    if (need == std::string::npos && end != std::string::npos && length < end)
      need = end + 4 + std::stoul(in.substr(length + 16));
  }
  const std::size_t end = in.find("\r\n\r\n");
  closing = in.find("\r\nConnection: close\r\n") < end;
  return in.rfind("HTTP/1.1 200", 0) == 0 && (need == std::string::npos ? !kept : in.size() >= need);
}

std::string Request(int port, const std::string& text, bool http11) {
  const std::string body = translate::FormBody(translate::SentText(text), translate::TranslationDirection::EnToZh);
  return std::string("POST /translate_t?langpair=en|zh-CN ") + (http11 ? "HTTP/1.1" : "HTTP/1.0") +
         "\r\nHost: 127.0.0.1:" + std::to_string(port) +
         "\r\nContent-Type:   application/x-www-form-urlencoded\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n\r\n" + body;
}

struct Figures {
  std::vector<double> ms;
  int nFailed = 0;
  double seconds = 0;
  void Print(const char* name) {
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) { return ms.empty() ? 0.0 : ms[std::min(ms.size() - 1, static_cast<std::size_t>(q * ms.size()))]; };
    const double median = at(0.5);
    const double p99 = at(0.99);
    const std::size_t total = ms.size() + static_cast<std::size_t>(nFailed);
    std::printf("  %-34s %7zu answered %5d failed (%6.2f%%)  %9.0f req/s  median %8.2f ms  p99 %8.2f ms  p99/median %5.1f\n",
                name, ms.size(), nFailed, total ? 100.0 * static_cast<double>(ms.size()) / static_cast<double>(total) : 0.0,
                static_cast<double>(ms.size()) / seconds, median, p99, median > 0 ? p99 / median : 0.0);
    std::fflush(stdout);
  }
};

// Closed-loop good clients for `duration`: each sends, waits for the whole
// answer (at most kClientTimeout) and sends again.
Figures GoodClients(int port, int clients, const std::string& text, bool keepAlive, Clock::duration duration) {
  Figures f;
  std::mutex mutex;
  const std::string request = Request(port, text, keepAlive);
  const Clock::time_point started = Clock::now();
  const Clock::time_point until = started + duration;
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&] {
      std::vector<double> mine;
      int failed = 0;
      int fd = -1;
      while (Clock::now() < until) {
        const Clock::time_point t0 = Clock::now();
        const Clock::time_point deadline = t0 + kClientTimeout;
        if (fd < 0) fd = Connect(port);
        bool closing = true;
        const bool ok = fd >= 0 && SendAll(fd, request, deadline) && ReadAnswer(fd, keepAlive, deadline, closing);
        if (ok) {
          mine.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        } else {
          ++failed;
        }
        if (!ok || !keepAlive || closing) {
          if (fd >= 0) ::close(fd);
          fd = -1;
        }
      }
      if (fd >= 0) ::close(fd);
      std::lock_guard lock(mutex);
      f.ms.insert(f.ms.end(), mine.begin(), mine.end());
      f.nFailed += failed;
    });
  }
  for (auto& t : threads) t.join();
  f.seconds = std::chrono::duration<double>(Clock::now() - started).count();
  return f;
}

// Bad clients holding connections until destroyed, reconnecting whenever the
// server drops one; one thread, bounded by a hard limit of its own.
class CAbusers {
 public:
  CAbusers(int port, int slow, int idle, int neverReading, bool malformed) : m_nPort(port) {
    m_slow.assign(static_cast<std::size_t>(slow), {-1, 0});
    m_idle.assign(static_cast<std::size_t>(idle), -1);
    m_neverReading.assign(static_cast<std::size_t>(neverReading), -1);
    m_thread = std::thread([this] { Run(); });
    if (malformed) m_malformed = std::thread([this] { Malformed(); });
  }
  ~CAbusers() {
    m_bDone = true;
    m_thread.join();
    if (m_malformed.joinable()) m_malformed.join();
  }
  long Reconnects() const { return m_nReconnects; }

 private:
  static bool Dropped(int fd) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0) return false;
    char buf[4096];
    return ::recv(fd, buf, sizeof buf, MSG_DONTWAIT) <= 0 || (p.revents & (POLLHUP | POLLERR));
  }
  int Reopen(int fd) {
    if (fd >= 0) {
      ::close(fd);
      ++m_nReconnects;
    }
    return Connect(m_nPort, false);
  }

  void Run() {
    const std::string header = "POST /translate_t?langpair=en|zh-CN HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    const std::string big = Request(m_nPort, std::string(8000, 'a'), true);
    const Clock::time_point hardStop = Clock::now() + 120s;
    Clock::time_point nextByte = Clock::now();
    while (!m_bDone && Clock::now() < hardStop) {
      for (int& fd : m_idle)
        if (fd < 0 || Dropped(fd)) fd = Reopen(fd);
      for (int& fd : m_neverReading) {
        // Never reads: only whether the server hung up is looked at.
        pollfd p{fd, POLLRDHUP, 0};
        if (fd >= 0 && !(::poll(&p, 1, 0) > 0)) continue;
        fd = Reopen(fd);
        for (int n = 0; fd >= 0 && n < 32; ++n)
          if (::send(fd, big.data(), big.size(), MSG_NOSIGNAL | MSG_DONTWAIT) <= 0) break;
      }
      if (Clock::now() >= nextByte) {  // one header byte a second each
        nextByte += 1s;
        for (auto& [fd, at] : m_slow) {
          if (fd < 0 || Dropped(fd)) {
            fd = Reopen(fd);
            at = 0;
          }
          const char byte = at < header.size() ? header[at] : 'x';
          if (fd >= 0 && ::send(fd, &byte, 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1) ++at;
        }
      }
      std::this_thread::sleep_for(50ms);
    }
    for (int fd : m_idle) ::close(fd);
    for (int fd : m_neverReading) ::close(fd);
    for (auto& [fd, at] : m_slow) ::close(fd);
  }

  // A broken request line every 20 ms.
  void Malformed() {
    const Clock::time_point hardStop = Clock::now() + 120s;
    while (!m_bDone && Clock::now() < hardStop) {
      const int fd = Connect(m_nPort);
      if (fd >= 0) {
        const Clock::time_point deadline = Clock::now() + 1s;
        if (SendAll(fd, "GET /translate_t HTTP/1.1 EXTRA\r\nHost: x\r\n\r\nGARBAGE\r\n\r\n", deadline)) {
          pollfd p{fd, POLLIN, 0};
          ::poll(&p, 1, MsLeft(deadline));
        }
        ::close(fd);
      }
      std::this_thread::sleep_for(20ms);
    }
  }

  int m_nPort;
  std::vector<std::pair<int, std::size_t>> m_slow;
  std::vector<int> m_idle;
  std::vector<int> m_neverReading;
  std::atomic<bool> m_bDone{false};
  std::atomic<long> m_nReconnects{0};
  std::thread m_thread;
  std::thread m_malformed;
};

struct Server {
  pid_t pid = -1;
  int port = -1;
  std::unique_ptr<pageservice::CPageServer> pInProcess;
};

Server Spawn(const std::string& command) {
  std::vector<std::string> words;
  std::istringstream split(command);
  for (std::string w; split >> w;) words.push_back(w);
  words.insert(words.end(), {"--listen", "127.0.0.1", "--port", "0"});
  int out[2];
  if (::pipe(out) != 0) return {};
  Server s;
  s.pid = ::fork();
  if (s.pid == 0) {
    ::dup2(out[1], 1);
    ::close(out[0]);
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  std::string text;
  char buf[512];
  const Clock::time_point deadline = Clock::now() + 30s;
  while (Clock::now() < deadline) {
    pollfd p{out[0], POLLIN, 0};
    if (::poll(&p, 1, MsLeft(deadline)) <= 0) break;
    const ssize_t n = ::read(out[0], buf, sizeof buf);
    if (n <= 0) break;
    text.append(buf, static_cast<std::size_t>(n));
    const std::size_t at = text.find("listening on http://127.0.0.1:");
    if (at != std::string::npos && text.find('/', at + 30) != std::string::npos) {
      s.port = std::stoi(text.substr(at + 30));
      break;
    }
  }
  ::close(out[0]);
  return s;
}

std::string Memory(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  std::string result;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0 || line.rfind("VmRSS:", 0) == 0) result += line + "  ";
  return result;
}

void Measure(Server& server, Clock::duration phase) {
  const int port = server.port;
  const std::string shortText = "Good morning, teacher.";
  const std::string longText = [] {
    std::string t;
    while (t.size() < 7990) t += "I like to study English. ";
    t.resize(8000, ' ');
    return t;
  }();
  GoodClients(port, 4, shortText, false, 500ms).Print("warm-up");
  GoodClients(port, 16, shortText, true, phase).Print("16 clients, short, kept");
  GoodClients(port, 16, shortText, false, phase).Print("16 clients, short, HTTP/1.0");
  {
    CAbusers bad(port, 64, 200, 8, true);
    std::this_thread::sleep_for(1s);  // let them take their places
    GoodClients(port, 8, shortText, false, phase).Print("8 good beside 64 slow+200 idle+...");
    GoodClients(port, 8, longText, false, phase).Print("  the same, 8000-byte texts");
    std::printf("  (bad clients reconnected %ld times)\n", bad.Reconnects());
  }
  GoodClients(port, 64, longText, false, phase).Print("64 clients, 8000-byte texts");
  const pid_t pid = server.pid > 0 ? server.pid : ::getpid();
  std::printf("  memory %s%s\n", Memory(pid).c_str(), server.pid > 0 ? "" : "(this process, clients included)");

  {
    CAbusers slow(port, 20, 0, 0, false);
    std::this_thread::sleep_for(1500ms);
    if (server.pid > 0) {
      ::kill(server.pid, SIGTERM);
      int status = 0;
      const Clock::time_point t0 = Clock::now();
      while (::waitpid(server.pid, &status, WNOHANG) == 0 && Clock::now() - t0 < 40s)
        std::this_thread::sleep_for(5ms);
      const double took = std::chrono::duration<double>(Clock::now() - t0).count();
      if (::waitpid(server.pid, &status, WNOHANG) == 0) {
        ::kill(server.pid, SIGKILL);
        ::waitpid(server.pid, &status, 0);
      }
      std::printf("  SIGTERM with 20 slow clients: exited after %.2f s\n", took);
    } else {
      const Clock::time_point t0 = Clock::now();
      server.pInProcess->Stop();
      std::printf("  Stop() with 20 slow clients: %.2f s\n", std::chrono::duration<double>(Clock::now() - t0).count());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 5;
  std::vector<std::string> servers;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view arg = argv[i];
    if (arg == "--seconds") {
      seconds = std::clamp(std::atoi(argv[i + 1]), 1, 60);
    } else if (arg == "--server") {
      servers.emplace_back(argv[i + 1]);
    } else {
      std::fprintf(stderr, "usage: %s [--seconds N] [--server \"PROGRAM [ARG]...\"]...\n", argv[0]);
      return 2;
    }
  }
  ::signal(SIGPIPE, SIG_IGN);
  const auto phase = std::chrono::seconds(seconds);
  if (servers.empty()) {
    Server s;
    pageservice::PageServiceConfig config;
    config.nMaxConnectionsPerAddress = 0;  // every client here is 127.0.0.1
    s.pInProcess = std::make_unique<pageservice::CPageServer>(config);
    std::string error;
    if (!s.pInProcess->Prepare(error) || (s.port = s.pInProcess->Bind("127.0.0.1", 0)) < 0 ||
        !s.pInProcess->Start()) {
      std::fprintf(stderr, "cannot start the page server: %s\n", error.c_str());
      return 1;
    }
    std::printf("in this process, port %d\n", s.port);
    Measure(s, phase);
    return 0;
  }
  for (const std::string& command : servers) {
    Server s = Spawn(command);
    if (s.port <= 0) {
      std::fprintf(stderr, "cannot start %s\n", command.c_str());
      if (s.pid > 0) ::kill(s.pid, SIGKILL), ::waitpid(s.pid, nullptr, 0);
      return 1;
    }
    std::printf("%s, port %d\n", command.c_str(), s.port);
    Measure(s, phase);
  }
  return 0;
}
