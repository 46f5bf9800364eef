#pragma once
// The HTTP/1.x front of the page service. One thread waits on every socket
// (epoll) and reads requests whole, within deadlines; only complete requests
// reach the workers, one at a time per connection, first come first served.
// So a connection that is slow, idle or never reads holds a little memory,
// never a worker.
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pageservice {

struct HttpLimits {
  int nWorkers = 16;
  // Between two bytes of a request.
  std::chrono::milliseconds readGap{5000};
  // The whole request, headers and body, from its first byte.
  std::chrono::milliseconds request{10000};
  // A kept connection without a request, and a new one before its first byte.
  std::chrono::milliseconds idle{5000};
  // An answer that the client does not take makes no progress for this long.
  std::chrono::milliseconds write{5000};
  // Beyond these a new connection is answered 503 and closed; 0: no limit.
  std::size_t nMaxConnections = 512;
  std::size_t nMaxPerAddress = 32;
  // Complete requests waiting for a worker.
  std::size_t nMaxQueued = 256;
  std::size_t nMaxHeaderBytes = 64 * 1024;
  std::size_t nMaxBodyBytes = 64 * 1024;
};

struct HttpRequest {
  std::string strMethod;
  std::string strPath;   // still percent-encoded
  std::string strQuery;  // after "?", still percent-encoded
  int nMinorVersion = 1;
  std::vector<std::pair<std::string, std::string>> headers;  // names in lower case
  std::string body;

  const std::string* Header(std::string_view lowerName) const;
  // A query parameter, percent-decoded ("+" is a space).
  std::optional<std::string> QueryValue(std::string_view name) const;
};

struct HttpReply {
  int nStatus = 200;
  std::string strContentType;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
  bool bClose = false;
};

// Status line, the headers every answer carries, and the body; a HEAD
// request gets the headers alone.
std::string SerializeReply(const HttpReply& reply, bool keepAlive, bool headOnly);

class CHttpFront {
 public:
  using Handler = std::function<HttpReply(const HttpRequest&)>;
  // error: a page for an answer the front gives on its own (400, 411, 503...).
  using ErrorPage = std::function<std::string(int status)>;

  CHttpFront(HttpLimits limits, Handler handler, ErrorPage errorPage, std::string strContentType);
  ~CHttpFront();
  CHttpFront(const CHttpFront&) = delete;
  CHttpFront& operator=(const CHttpFront&) = delete;

  // Port 0 picks a free one. The port bound, -1 when binding failed.
  int Bind(const std::string& strHost, int nPort);
  // Serves until Stop(): false when not bound. Requests already read are
  // answered before it returns; it returns within about two seconds.
  bool Run();
  // From any thread, also before Run() starts; Run() then returns at once.
  void Stop();
  bool IsRunning() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};

}  // namespace pageservice
