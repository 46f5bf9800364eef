#pragma once
// The HTTP client: a session, a connection to one server and one request on
// it, over libcurl. Every failure throws CInternetException with libcurl's
// numeric code (CURLE_*), which is what the user gets to see. Blocking calls,
// meant for a worker thread; another thread can stop them through an abort.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class CInternetException : public std::exception {
 public:
  explicit CInternetException(int nError) : m_dwError(nError) {}
  const char* what() const noexcept override;
  int m_dwError;
};

// Shared by the sessions it should stop. Abort() from any thread makes every
// blocking call of those sessions, running or later, throw at once with
// CURLE_ABORTED_BY_CALLBACK.
class CInternetAbort {
 public:
  void Abort();
  bool IsAborted() const { return m_bAborted.load(); }

 private:
  friend class CHttpFile;
  // The transfers to wake; a transfer registers while it can block.
  bool Attach(void* pMulti);
  void Detach(void* pMulti);

  std::mutex m_mutex;
  std::vector<void*> m_multis;
  std::atomic<bool> m_bAborted{false};
};

struct InternetTimeouts {
  std::chrono::milliseconds connect{10000};
  // The whole request: connecting, sending and reading the body.
  std::chrono::milliseconds total{30000};
};

// True for names and addresses of this machine's loopback interface.
bool IsLoopbackHost(std::string_view host);

class CHttpFile;
class CHttpConnection;

// Proxies come from the environment (http_proxy, no_proxy), as everywhere on
// this platform; the loopback interface is never proxied.
class CInternetSession {
 public:
  explicit CInternetSession(std::string strAgent, std::shared_ptr<CInternetAbort> pAbort = nullptr);
  void SetTimeouts(const InternetTimeouts& timeouts) { m_timeouts = timeouts; }
  std::unique_ptr<CHttpConnection> GetHttpConnection(std::string strServer, int nPort = 80);
  void Close() {}

 private:
  friend class CHttpConnection;
  std::string m_strAgent;
  std::shared_ptr<CInternetAbort> m_pAbort;
  InternetTimeouts m_timeouts;
};

class CHttpConnection {
 public:
  // verb "POST" or "GET"; object the request target ("/path?query"), sent as
  // it is; version "HTTP/1.0" or "HTTP/1.1".
  std::unique_ptr<CHttpFile> OpenRequest(std::string_view strVerb, std::string_view strObject,
                                         std::string_view strVersion);
  void Close() {}

 private:
  friend class CInternetSession;
  CHttpConnection(const CInternetSession& session, std::string strServer, int nPort);
  CInternetSession m_session;
  std::string m_strServer;
  int m_nPort;
};

class CHttpFile {
 public:
  ~CHttpFile();
  CHttpFile(const CHttpFile&) = delete;
  CHttpFile& operator=(const CHttpFile&) = delete;

  // headers: extra header lines, each ending in CR LF, sent byte for byte
  // (the client adds Host, User-Agent, Accept and Content-Length). optional:
  // the body, sent as it is. Returns once the response's headers are in; any
  // status code counts as an answer.
  void SendRequest(std::string_view strHeaders, std::string_view optional);
  // The answer's status code once SendRequest returned; 0 before.
  int QueryStatusCode() const;
  // Up to nCount bytes of the body: waits until at least one is there, 0 at
  // its end.
  std::size_t Read(char* pBuf, std::size_t nCount);
  // Ends the request; the rest of the body is not read.
  void Close();

 private:
  friend class CHttpConnection;
  struct Impl;
  explicit CHttpFile(std::unique_ptr<Impl> pImpl);
  // Runs the transfer until done() holds or it ends; throws on failure.
  template <class Done>
  void Pump(Done done);
  std::unique_ptr<Impl> m_pImpl;
};

}  // namespace platform
