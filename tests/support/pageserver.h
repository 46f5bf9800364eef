#pragma once
// A loopback HTTP server (cpp-httplib on 127.0.0.1) standing in for the
// translation page. It keeps the exact bytes of every request and answers as
// a test tells it: like the page, slowly, in pieces, cut short, not at all.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace testing_support {

class PageServer {
 public:
  struct Request {
    std::string raw;  // request line, headers and body as received
    std::string target;
    std::string body;
  };
  struct Reply {
    std::string body;
    int status = 200;
    // Before the first byte, and between pieces.
    std::chrono::milliseconds delay{0};
    std::size_t pieceSize = 0;  // 0: the whole body at once
    // Close the connection after this many body bytes, the full length
    // having been announced.
    std::size_t cutAfter = std::string::npos;
    bool hang = false;  // no answer until the server goes
  };
  static Reply Hanging() {
    Reply reply;
    reply.hang = true;
    return reply;
  }
  using Responder = std::function<Reply(const Request&)>;

  // Answers every request with PageFor(its body).
  PageServer();
  explicit PageServer(Responder responder);
  ~PageServer();
  PageServer(const PageServer&) = delete;
  PageServer& operator=(const PageServer&) = delete;

  void SetResponder(Responder responder);
  int Port() const { return m_nPort; }
  std::string HostPort() const { return "127.0.0.1:" + std::to_string(m_nPort); }
  std::vector<Request> Requests() const;
  bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

  // The page the service answers a form post with: the echo of the sent text
  // S, the 94-byte anchor, then the translation (the heading of the
  // direction, "<br>", the text in brackets) up to "</div>".
  static std::string PageFor(std::string_view formBody);
  static const std::string_view kAnchor;
  // A loopback port that nothing listens on.
  static int RefusedPort();

 private:
  class Impl;
  std::unique_ptr<Impl> m_pImpl;
  int m_nPort = 0;
};

}  // namespace testing_support
