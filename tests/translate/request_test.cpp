#include "translate/request.h"
#include "pageservice/embedded.h"
#include "platform/http.h"
#include "support/pageserver.h"
#include "support/tempdir.h"
#include "translate/translatehost.h"

#include <QDir>

#include <gtest/gtest.h>

using testing_support::PageServer;
using namespace std::chrono_literals;
using namespace std::string_literals;

namespace translate {
namespace {

TranslateHost Loopback(int port) { return {"127.0.0.1", port}; }

int FailureCode(const std::function<void()>& request) {
  try {
    request();
  } catch (const platform::CInternetException& e) {
    return e.m_dwError;
  }
  return 0;
}

TEST(FetchPage, SendsTheExactRequestForEachDirection) {
  PageServer server;
  const std::string sent = SentText("a<b>andc \xBA\xC3\r\n%20+");
  for (TranslationDirection dir : {TranslationDirection::EnToZh, TranslationDirection::ZhToEn}) {
    const std::string body = FormBody(sent, dir);
    EXPECT_EQ(FetchPage(Loopback(server.Port()), dir, body), PageServer::PageFor(body));
  }
  const std::vector<PageServer::Request> requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  const std::string host = "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n";
  const std::string headers =
      "User-Agent: Lexiphon\r\nAccept: */*\r\n"
      "Content-Type:   application/x-www-form-urlencoded\r\nContent-Length: 74\r\n\r\n";
  EXPECT_EQ(requests[0].raw, "POST /translate_t?langpair=en|zh-CN HTTP/1.0\r\n" + host + headers +
                                 FormBody(sent, TranslationDirection::EnToZh));
  EXPECT_EQ(requests[1].raw, "POST /translate_t?langpair=zh|en HTTP/1.0\r\n" + host + headers +
                                 FormBody(sent, TranslationDirection::ZhToEn));
}

TEST(FetchPage, ReadsSlowPiecesToTheEndButStopsAtTheCapOrAZeroByte) {
  std::string big(kMaxPageBytes + 5000, 'p');
  PageServer server([&](const PageServer::Request& r) {
    if (r.body == "pieces") return PageServer::Reply{std::string(3000, 'q') + "end", 200, 40ms, 1000};
    if (r.body == "zero") return PageServer::Reply{"before"s + '\0' + "after"};
    if (r.body == "missing") return PageServer::Reply{"not here", 404};
    PageServer::Reply reply{big, 200, 0ms, 256 * 1024};
    if (r.body == "cut") reply.cutAfter = 1000;
    return reply;
  });
  const TranslateHost host = Loopback(server.Port());
  EXPECT_EQ(FetchPage(host, TranslationDirection::EnToZh, "pieces"), std::string(3000, 'q') + "end");
  EXPECT_EQ(FetchPage(host, TranslationDirection::EnToZh, "zero"), "before");
  EXPECT_EQ(FetchPage(host, TranslationDirection::EnToZh, "missing"), "not here");
  EXPECT_EQ(FetchPage(host, TranslationDirection::EnToZh, "big"), big.substr(0, kMaxPageBytes));
  // A connection closed before the announced length is a failed read.
  EXPECT_EQ(FailureCode([&] { FetchPage(host, TranslationDirection::EnToZh, "cut"); }), 18);
}

TEST(FetchPage, LoopbackIsNeverProxied) {
  PageServer server;
  const QByteArray proxy = "http://127.0.0.1:" + QByteArray::number(PageServer::RefusedPort());
  qputenv("http_proxy", proxy);
  qputenv("HTTP_PROXY", proxy);
  const std::string body = FormBody(SentText("x"), TranslationDirection::EnToZh);
  EXPECT_EQ(FetchPage({"localhost", server.Port()}, TranslationDirection::EnToZh, body),
            PageServer::PageFor(body));
  qunsetenv("http_proxy");
  qunsetenv("HTTP_PROXY");
}

TEST(TranslateHost, ParsesHostAndPort) {
  const std::pair<const char*, TranslateHost> cases[] = {{"example.org", {"example.org", 80}},
                                                         {"127.0.0.1:8080", {"127.0.0.1", 8080}},
                                                         {"[::1]:81", {"::1", 81}},
                                                         {"[::1]", {"::1", 80}},
                                                         {"::1", {"::1", 80}},
                                                         {"host:0", {"host:0", 80}},
                                                         {"host:99999", {"host:99999", 80}},
                                                         {"host:8x", {"host:8x", 80}}};
  for (const auto& [text, expected] : cases) {
    const TranslateHost h = ParseHost(text);
    EXPECT_EQ(h.strName, expected.strName) << text;
    EXPECT_EQ(h.nPort, expected.nPort) << text;
  }
  EXPECT_TRUE(platform::IsLoopbackHost("127.8.9.10") && platform::IsLoopbackHost("[::1]"));
  EXPECT_FALSE(platform::IsLoopbackHost("localhost.example.org"));
}

TEST(TranslateHost, EnvironmentOverridesSettingIniOverridesDefault) {
  testing_support::ScopedTempCwd cwd;
  qunsetenv("LEXIPHON_TRANSLATE_HOST");
  EXPECT_EQ(ConfiguredHost().strName + ":" + std::to_string(ConfiguredHost().nPort),
            pageservice::EmbeddedServiceAddress());
  testing_support::WriteFileBytes(cwd.file("setting.ini"),
                                  "[lexiphon]\r\npos=50\r\n[Translate]\r\nHost = pages.example:8081\r\n");
  EXPECT_EQ(ConfiguredHost().strName, "pages.example");
  EXPECT_EQ(ConfiguredHost().nPort, 8081);
  qputenv("LEXIPHON_TRANSLATE_HOST", "127.0.0.1:9");
  EXPECT_EQ(ConfiguredHost().strName, "127.0.0.1");
  EXPECT_EQ(ConfiguredHost().nPort, 9);
  qunsetenv("LEXIPHON_TRANSLATE_HOST");
}

}  // namespace
}  // namespace translate
