#include "platform/http.h"

#include "platform/curlapi.h"

#include <QHostAddress>
#include <QString>

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

// Only reached once a request has loaded the library.
const CurlApi& Api() { return *Curl(); }

}  // namespace

const char* CInternetException::what() const noexcept {
  if (const CurlApi* curl = Curl()) return curl->easy_strerror(static_cast<CURLcode>(m_dwError));
  return "libcurl is not available";
}

void CInternetAbort::Abort() {
  std::lock_guard lock(m_mutex);
  m_bAborted = true;
  for (void* multi : m_multis) Api().multi_wakeup(static_cast<CURLM*>(multi));
}

bool CInternetAbort::Attach(void* pMulti) {
  std::lock_guard lock(m_mutex);
  if (m_bAborted) return false;
  m_multis.push_back(pMulti);
  return true;
}

void CInternetAbort::Detach(void* pMulti) {
  std::lock_guard lock(m_mutex);
  std::erase(m_multis, pMulti);
}

bool IsLoopbackHost(std::string_view host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  const QString name = QString::fromLatin1(host.data(), static_cast<qsizetype>(host.size())).toLower();
  if (name == QLatin1String("localhost") || name.endsWith(QLatin1String(".localhost"))) return true;
  const QHostAddress address(name);
  return !address.isNull() && address.isLoopback();
}

CInternetSession::CInternetSession(std::string strAgent, std::shared_ptr<CInternetAbort> pAbort)
    : m_strAgent(std::move(strAgent)),
      m_pAbort(pAbort ? std::move(pAbort) : std::make_shared<CInternetAbort>()) {}

std::unique_ptr<CHttpConnection> CInternetSession::GetHttpConnection(std::string strServer, int nPort) {
  if (m_pAbort->IsAborted()) throw CInternetException(CURLE_ABORTED_BY_CALLBACK);
  return std::unique_ptr<CHttpConnection>(new CHttpConnection(*this, std::move(strServer), nPort));
}

CHttpConnection::CHttpConnection(const CInternetSession& session, std::string strServer, int nPort)
    : m_session(session), m_strServer(std::move(strServer)), m_nPort(nPort) {}

struct CHttpFile::Impl {
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  curl_slist* headers = nullptr;
  std::shared_ptr<CInternetAbort> abort;
  bool attached = false;
  bool added = false;

  std::string body;  // libcurl reads it during the transfer
  std::string pending;
  std::size_t pendingPos = 0;
  bool headersDone = false;
  bool finished = false;
  CURLcode result = CURLE_OK;

  ~Impl() {
    if (!Curl()) return;  // nothing was made
    if (added) Api().multi_remove_handle(multi, easy);
    if (attached) abort->Detach(multi);
    if (multi) Api().multi_cleanup(multi);
    if (easy) Api().easy_cleanup(easy);
    Api().slist_free_all(headers);
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* d = static_cast<Impl*>(user);
    d->headersDone = true;
    d->pending.append(data, size * count);
    return size * count;
  }

  // The blank line after a final (non-1xx) status ends the headers.
  static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* d = static_cast<Impl*>(user);
    const std::string_view line(data, size * count);
    if (line == "\r\n" || line == "\n") {
      long status = 0;
      Api().easy_getinfo(d->easy, CURLINFO_RESPONSE_CODE, &status);
      if (status >= 200) d->headersDone = true;
    }
    return size * count;
  }
};

namespace {

void Check(CURLcode code) {
  if (code != CURLE_OK) throw CInternetException(code);
}

}  // namespace

std::unique_ptr<CHttpFile> CHttpConnection::OpenRequest(std::string_view strVerb, std::string_view strObject,
                                                        std::string_view strVersion) {
  auto d = std::make_unique<CHttpFile::Impl>();
  d->abort = m_session.m_pAbort;
  if (d->abort->IsAborted()) throw CInternetException(CURLE_ABORTED_BY_CALLBACK);
  if (!Curl()) throw CInternetException(CURLE_FAILED_INIT);
  d->easy = Api().easy_init();
  d->multi = Api().multi_init();
  if (!d->easy || !d->multi) throw CInternetException(CURLE_FAILED_INIT);

  // An address with colons needs its brackets in the URL.
  std::string host = m_strServer;
  if (host.find(':') != std::string::npos && host.front() != '[') host = '[' + host + ']';
  const std::string url = "http://" + host + ':' + std::to_string(m_nPort) + '/';
  const std::string verb(strVerb);
  const std::string object(strObject);
  const InternetTimeouts& t = m_session.m_timeouts;
  CURL* e = d->easy;
  Check(Api().easy_setopt(e, CURLOPT_URL, url.c_str()));
  // The target goes into the request line untouched: no normalising, no
  // percent-encoding.
  Check(Api().easy_setopt(e, CURLOPT_REQUEST_TARGET, object.c_str()));
  Check(Api().easy_setopt(e, CURLOPT_CUSTOMREQUEST, verb == "GET" || verb == "POST" ? nullptr : verb.c_str()));
  Check(Api().easy_setopt(e, CURLOPT_HTTP_VERSION,
                         strVersion == "HTTP/1.0" ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1));
  Check(Api().easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http"));
  Check(Api().easy_setopt(e, CURLOPT_USERAGENT, m_session.m_strAgent.c_str()));
  Check(Api().easy_setopt(e, CURLOPT_NOSIGNAL, 1L));
  Check(Api().easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(t.connect.count())));
  Check(Api().easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(t.total.count())));
  if (IsLoopbackHost(m_strServer)) Check(Api().easy_setopt(e, CURLOPT_PROXY, ""));
  Check(Api().easy_setopt(e, CURLOPT_WRITEFUNCTION, &CHttpFile::Impl::OnBody));
  Check(Api().easy_setopt(e, CURLOPT_WRITEDATA, d.get()));
  Check(Api().easy_setopt(e, CURLOPT_HEADERFUNCTION, &CHttpFile::Impl::OnHeader));
  Check(Api().easy_setopt(e, CURLOPT_HEADERDATA, d.get()));
  if (verb == "POST") Check(Api().easy_setopt(e, CURLOPT_POST, 1L));
  return std::unique_ptr<CHttpFile>(new CHttpFile(std::move(d)));
}

CHttpFile::CHttpFile(std::unique_ptr<Impl> pImpl) : m_pImpl(std::move(pImpl)) {}

CHttpFile::~CHttpFile() = default;

void CHttpFile::Close() { m_pImpl.reset(); }

template <class Done>
void CHttpFile::Pump(Done done) {
  Impl& d = *m_pImpl;
  while (!done() && !d.finished) {
    if (d.abort->IsAborted()) throw CInternetException(CURLE_ABORTED_BY_CALLBACK);
    int running = 0;
    if (Api().multi_perform(d.multi, &running) != CURLM_OK) throw CInternetException(CURLE_FAILED_INIT);
    int left = 0;
    while (CURLMsg* msg = Api().multi_info_read(d.multi, &left)) {
      if (msg->msg != CURLMSG_DONE) continue;
      d.finished = true;
      d.result = msg->data.result;
    }
    if (done() || d.finished) break;
    // Wakes for the socket, libcurl's own timers, or an abort.
    if (Api().multi_poll(d.multi, nullptr, 0, 1000, nullptr) != CURLM_OK)
      throw CInternetException(CURLE_FAILED_INIT);
  }
  if (d.abort->IsAborted()) throw CInternetException(CURLE_ABORTED_BY_CALLBACK);
}

void CHttpFile::SendRequest(std::string_view strHeaders, std::string_view optional) {
  if (!m_pImpl || m_pImpl->added) throw CInternetException(CURLE_FAILED_INIT);
  Impl& d = *m_pImpl;
  // libcurl ends each header line itself.
  while (!strHeaders.empty()) {
    std::size_t end = strHeaders.find("\r\n");
    const std::string line(strHeaders.substr(0, end));
    strHeaders.remove_prefix(end == std::string_view::npos ? strHeaders.size() : end + 2);
    if (line.empty()) continue;
    curl_slist* list = Api().slist_append(d.headers, line.c_str());
    if (!list) throw CInternetException(CURLE_OUT_OF_MEMORY);
    d.headers = list;
  }
  Check(Api().easy_setopt(d.easy, CURLOPT_HTTPHEADER, d.headers));
  d.body.assign(optional);
  Check(Api().easy_setopt(d.easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(d.body.size())));
  Check(Api().easy_setopt(d.easy, CURLOPT_POSTFIELDS, d.body.data()));

  if (!d.abort->Attach(d.multi)) throw CInternetException(CURLE_ABORTED_BY_CALLBACK);
  d.attached = true;
  if (Api().multi_add_handle(d.multi, d.easy) != CURLM_OK) throw CInternetException(CURLE_FAILED_INIT);
  d.added = true;
  Pump([&d] { return d.headersDone; });
  if (d.finished && d.result != CURLE_OK) throw CInternetException(d.result);
}

int CHttpFile::QueryStatusCode() const {
  if (!m_pImpl || !m_pImpl->added) return 0;
  long status = 0;
  Api().easy_getinfo(m_pImpl->easy, CURLINFO_RESPONSE_CODE, &status);
  return static_cast<int>(status);
}

std::size_t CHttpFile::Read(char* pBuf, std::size_t nCount) {
  if (!m_pImpl || !m_pImpl->added) throw CInternetException(CURLE_FAILED_INIT);
  Impl& d = *m_pImpl;
  if (nCount == 0) return 0;
  Pump([&d] { return d.pending.size() > d.pendingPos; });
  const std::size_t n = std::min(nCount, d.pending.size() - d.pendingPos);
  if (n == 0) {
    // Everything received was handed out: the end, or the failure that ended it.
    if (d.result != CURLE_OK) throw CInternetException(d.result);
    return 0;
  }
  std::memcpy(pBuf, d.pending.data() + d.pendingPos, n);
  d.pendingPos += n;
  if (d.pendingPos == d.pending.size()) {
    d.pending.clear();
    d.pendingPos = 0;
  }
  return n;
}

}  // namespace platform
