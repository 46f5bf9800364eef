#include "translate/request.h"

#include <cstring>
#include <mutex>

namespace translate {

namespace {

std::mutex g_timeoutsMutex;
platform::InternetTimeouts g_timeouts;

}  // namespace

platform::InternetTimeouts RequestTimeouts() {
  std::lock_guard lock(g_timeoutsMutex);
  return g_timeouts;
}

void SetRequestTimeouts(const platform::InternetTimeouts& timeouts) {
  std::lock_guard lock(g_timeoutsMutex);
  g_timeouts = timeouts;
}

std::string FetchPage(const TranslateHost& host, TranslationDirection dir, std::string_view body,
                      std::shared_ptr<platform::CInternetAbort> pAbort, int* pnStatus) {
  platform::CInternetSession session("Lexiphon", std::move(pAbort));
  session.SetTimeouts(RequestTimeouts());
  std::unique_ptr<platform::CHttpConnection> connection = session.GetHttpConnection(host.strName, host.nPort);
  std::unique_ptr<platform::CHttpFile> file = connection->OpenRequest("POST", Traits(dir).path, "HTTP/1.0");
  file->SendRequest(kRequestHeader, body);
  if (pnStatus) *pnStatus = file->QueryStatusCode();

  // Read to the end: a page may come in many pieces and take its time.
  std::string page(kMaxPageBytes, '\0');
  std::size_t got = 0;
  while (got < page.size()) {
    const std::size_t n = file->Read(page.data() + got, page.size() - got);
    if (n == 0) break;
    // The page ends at its first zero byte; the rest is not needed.
    if (const void* zero = std::memchr(page.data() + got, 0, n)) {
      got = static_cast<std::size_t>(static_cast<const char*>(zero) - page.data());
      break;
    }
    got += n;
  }
  page.resize(got);
  file->Close();
  connection->Close();
  session.Close();
  return page;
}

}  // namespace translate
