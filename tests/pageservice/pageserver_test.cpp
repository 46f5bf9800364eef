// The page service over real loopback sockets: the translation commands'
// own request and extraction against it, raw HTTP/1.0 and 1.1, a burst of
// bad requests among good ones, slow, idle and never-reading connections
// held open beside good ones, connection limits, stopping, the
// LibreTranslate engine against a small fake upstream, and the service
// Lexiphon starts inside itself.
#include "pageservice/pageserver.h"
#include "pageservice/embedded.h"
#include "pageservice/page.h"
#include "text/codepage.h"
#include "translate/request.h"
#include "translate/translation.h"

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace pageservice {
namespace {

using namespace std::chrono_literals;
using translate::TranslationDirection;

std::string Gb(const char16_t* s) { return text::FromUnicode(QStringView(s)); }
std::string Utf8(std::string_view gb) { return text::ToUnicode(gb).toStdString(); }

// What the translation commands do with a pane's text, up to the text
// shown in the result pane.
std::string ClientTranslate(int port, TranslationDirection dir, std::string text) {
  if (translate::PrepareText(text, dir) != translate::TextCheck::Ok) return "(not sent)";
  const std::string sent = translate::SentText(text);
  const std::string page = translate::FetchPage({"127.0.0.1", port}, dir, translate::FormBody(sent, dir));
  return translate::ExtractTranslation(page, sent, dir);
}

int Connect(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// One response on a kept connection: headers, then Content-Length bytes.
std::string ReadResponse(int fd) {
  std::string in;
  char buf[4096];
  std::size_t need = std::string::npos;
  while (need == std::string::npos || in.size() < need) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 3000) <= 0) break;
    const ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    in.append(buf, static_cast<std::size_t>(n));
    const std::size_t headEnd = in.find("\r\n\r\n");
    const std::size_t length = in.find("Content-Length: ");
    if (need == std::string::npos && headEnd != std::string::npos && length < headEnd) {
      need = headEnd + 4 + std::stoul(in.substr(length + 16));
    }
  }
  return in;
}

// Sends raw bytes, then reads until the server closes or `wait` passes
// without a byte. pace: a pause between single bytes, for a slow sender.
struct RawReply {
  std::string bytes;
  bool bClosed = false;
};
RawReply Raw(int port, std::string_view request, std::chrono::milliseconds wait = 3000ms,
             std::chrono::milliseconds pace = 0ms) {
  RawReply reply;
  const int fd = Connect(port);
  if (fd < 0) return reply;
  for (std::size_t sent = 0; sent < request.size();) {
    const std::size_t n = pace > 0ms ? 1 : request.size() - sent;
    const ssize_t w = send(fd, request.data() + sent, n, MSG_NOSIGNAL);
    if (w <= 0) break;
    sent += static_cast<std::size_t>(w);
    if (pace > 0ms) std::this_thread::sleep_for(pace);
  }
  char buf[65536];
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(wait.count())) <= 0) break;
    const ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n <= 0) {
      reply.bClosed = true;
      break;
    }
    reply.bytes.append(buf, static_cast<std::size_t>(n));
  }
  close(fd);
  return reply;
}

std::string Post(std::string_view version, std::string_view langpair, std::string_view body,
                 std::string_view extraHeaders = "") {
  std::string r =
      "POST /translate_t?langpair=" + std::string(langpair) + " " + std::string(version) +
      "\r\nHost: 127.0.0.1\r\nContent-Type:   application/x-www-form-urlencoded\r\nContent-Length: " +
      std::to_string(body.size()) + "\r\n" + std::string(extraHeaders) + "\r\n";
  return r + std::string(body);
}

class PageService : public ::testing::Test {
 protected:
  void StartWith(PageServiceConfig config) {
    m_pServer = std::make_unique<CPageServer>(std::move(config));
    m_nPort = m_pServer->Bind("127.0.0.1", 0);
    ASSERT_GT(m_nPort, 0);
    ASSERT_TRUE(m_pServer->Start());
  }
  void TearDown() override { m_pServer.reset(); }
  std::unique_ptr<CPageServer> m_pServer;
  int m_nPort = -1;
};

TEST_F(PageService, TheTranslationCommandsGetTheirResultInBothDirections) {
  StartWith({});
  const std::string zh =
      Utf8(ClientTranslate(m_nPort, TranslationDirection::EnToZh, " Good morning, teacher.\r\n"));
  EXPECT_EQ(zh.find("以下是翻译结果：\r\n"), 0u) << zh;
  EXPECT_TRUE(zh.find("早上好，") != std::string::npos || zh.find("早安，") != std::string::npos) << zh;
  EXPECT_NE(zh.find("CC-CEDICT"), std::string::npos);

  const std::string en =
      Utf8(ClientTranslate(m_nPort, TranslationDirection::ZhToEn, Gb(u"我喜欢学习英语。")));
  EXPECT_EQ(en.find("Following is the translation:\r\nI like to learn English.\r\n"), 0u) << en;
  EXPECT_NE(en.find("学习(xuéxí)"), std::string::npos) << en;

  // 8000 bytes of "&" become 24000: over the form size a stock server takes.
  const std::string ands =
      Utf8(ClientTranslate(m_nPort, TranslationDirection::EnToZh, std::string(8000, '&')));
  EXPECT_EQ(ands.find("以下是翻译结果：\r\n"), 0u);
  EXPECT_GT(ands.size(), 20000u);
}

TEST_F(PageService, SpeaksHttp10AndKeepsHttp11ConnectionsOpen) {
  StartWith({});
  const std::string body = "hl=en&ie=GB2312&text=" + translate::SentText("apple") + "&langpair=en|zh-CN";
  const RawReply one = Raw(m_nPort, Post("HTTP/1.0", "en|zh-CN", body));
  EXPECT_EQ(one.bytes.rfind("HTTP/1.1 200", 0), 0u) << one.bytes;
  EXPECT_TRUE(one.bClosed);  // the client reads to the end of the connection
  EXPECT_NE(one.bytes.find("Content-Type: text/html; charset=GB18030"), std::string::npos);
  EXPECT_NE(one.bytes.find(Gb(u"苹果")), std::string::npos);

  // HTTP/1.1: the connection stays for the next request.
  const int fd = Connect(m_nPort);
  ASSERT_GE(fd, 0);
  for (const char* pair : {"en|zh-CN", "zh|en"}) {
    const std::string request = Post("HTTP/1.1", pair, body);
    ASSERT_EQ(send(fd, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
    const std::string response = ReadResponse(fd);
    EXPECT_EQ(response.rfind("HTTP/1.1 200", 0), 0u) << response;
    EXPECT_NE(response.find(std::string(Heading(*DirectionOf(pair)))), std::string::npos);
  }
  close(fd);

  EXPECT_EQ(Raw(m_nPort, "GET / HTTP/1.0\r\n\r\n").bytes.rfind("HTTP/1.1 200", 0), 0u);
  EXPECT_EQ(Raw(m_nPort, "GET /elsewhere HTTP/1.0\r\n\r\n").bytes.rfind("HTTP/1.1 404", 0), 0u);
}

TEST_F(PageService, BadRequestsAmongGoodOnesNeverStopTheGoodOnes) {
  PageServiceConfig config;
  config.nThreads = 4;
  config.nReadTimeoutSeconds = 1;
  StartWith(config);
  const std::string sent = translate::SentText("water");
  const std::string good = "hl=en&ie=GB2312&text=" + sent + "&langpair=en|zh-CN";
  const std::string badRequests[] = {
      "NONSENSE\r\n\r\n",
      Post("HTTP/1.1", "xx|yy", good, "Connection: close\r\n"),
      Post("HTTP/1.1", "en|zh-CN", "hl=en&no-fields", "Connection: close\r\n"),
      Post("HTTP/1.1", "en|zh-CN", "hl=en&text=\x80\xFF&langpair=en|zh-CN", "Connection: close\r\n"),
      Post("HTTP/1.0", "en|zh-CN", "text=" + std::string(70 * 1024, 'a') + "&langpair=en|zh-CN"),
      // Half sent: the body never comes.
      Post("HTTP/1.0", "en|zh-CN", good).substr(0, 150),
  };
  std::vector<std::future<RawReply>> bad;
  for (int round = 0; round < 2; ++round) {
    for (const std::string& request : badRequests) {
      bad.push_back(std::async(std::launch::async, [&, request] { return Raw(m_nPort, request); }));
    }
    // Slow: one byte at a time, never finished within the burst.
    bad.push_back(std::async(std::launch::async, [&] {
      return Raw(m_nPort, Post("HTTP/1.0", "en|zh-CN", good).substr(0, 40), 500ms, 50ms);
    }));
  }
  std::vector<std::future<std::string>> answers;
  for (int i = 0; i < 12; ++i) {
    answers.push_back(std::async(std::launch::async, [this, i] {
      return ClientTranslate(m_nPort, i % 2 ? TranslationDirection::EnToZh : TranslationDirection::ZhToEn,
                             i % 2 ? "water" : Gb(u"水"));
    }));
  }
  for (int i = 0; i < 12; ++i) {
    const std::string shown = Utf8(answers[static_cast<std::size_t>(i)].get());
    EXPECT_NE(shown.find(i % 2 ? "以下是翻译结果：\r\n水" : "Following is the translation:\r\nWater"),
              std::string::npos)
        << shown;
  }
  for (auto& reply : bad) {
    const RawReply r = reply.get();
    // An error page, or a connection closed without one.
    EXPECT_TRUE(r.bytes.empty() || r.bytes.rfind("HTTP/1.1 4", 0) == 0) << r.bytes.substr(0, 200);
  }
  EXPECT_NE(Utf8(ClientTranslate(m_nPort, TranslationDirection::EnToZh, "apple")).find("苹果"),
            std::string::npos);
}

TEST_F(PageService, TooLongBodiesAndUnknownPairsGetErrorPages) {
  StartWith({});
  const RawReply big = Raw(
      m_nPort, Post("HTTP/1.0", "en|zh-CN", "text=" + std::string(65 * 1024, 'a') + "&langpair=en|zh-CN"));
  EXPECT_EQ(big.bytes.rfind("HTTP/1.1 413", 0), 0u) << big.bytes.substr(0, 200);
  const RawReply pair = Raw(m_nPort, Post("HTTP/1.0", "en|fr", "text=a&langpair=en|fr"));
  EXPECT_EQ(pair.bytes.rfind("HTTP/1.1 400", 0), 0u);
  EXPECT_NE(pair.bytes.find("language pair"), std::string::npos);
}

// Sends up to `limit` bytes of `pattern` over and over, in pieces of
// `pattern`, pausing for an answer up to `pace` after each; true when the
// server answered or closed before the client ran out.
bool CutOffBefore(int fd, std::string_view pattern, std::size_t limit, std::chrono::milliseconds pace) {
  for (std::size_t sent = 0; sent < limit; sent += pattern.size()) {
    if (send(fd, pattern.data(), pattern.size(), MSG_NOSIGNAL) <= 0) return true;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(pace.count())) > 0) return true;
  }
  return false;
}

TEST_F(PageService, EndlessOrTricklingHeadersAndManyRangesAreCutShort) {
  PageServiceConfig config;
  config.nRequestSeconds = 1;
  StartWith(config);
  const std::string start = "POST /translate_t?langpair=en|zh-CN HTTP/1.1\r\nHost: 127.0.0.1\r\n";

  // Header lines without end, as fast as they go: far beyond what the
  // socket buffers hold, so only a server that stops reading stops them.
  int fd = Connect(m_nPort);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(send(fd, start.data(), start.size(), MSG_NOSIGNAL), static_cast<ssize_t>(start.size()));
  std::string lines;
  for (int i = 0; i < 1000; ++i) lines += "X-Filler: " + std::string(54, 'x') + "\r\n";
  EXPECT_TRUE(CutOffBefore(fd, lines, 64u << 20, 0ms));
  close(fd);

  // One header byte at a time, each well within the read time-out.
  fd = Connect(m_nPort);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(send(fd, start.data(), start.size(), MSG_NOSIGNAL), static_cast<ssize_t>(start.size()));
  EXPECT_TRUE(CutOffBefore(fd, "X", 60, 100ms));
  close(fd);

  // Every range a copy of the page: the page is answered once, whole.
  const std::string body = "hl=en&ie=GB2312&text=" + translate::SentText("apple") + "&langpair=en|zh-CN";
  std::string ranges = "Range: bytes=0-";
  for (int i = 0; i < 1000; ++i) ranges += ",0-";
  const RawReply page = Raw(m_nPort, Post("HTTP/1.0", "en|zh-CN", body, ranges + "\r\n"));
  EXPECT_EQ(page.bytes.rfind("HTTP/1.1 200", 0), 0u);
  EXPECT_NE(page.bytes.find(Gb(u"苹果")), std::string::npos);
  EXPECT_EQ(page.bytes.find("multipart/byteranges"), std::string::npos);
  EXPECT_LT(page.bytes.size(), 20000u);
}

// A LibreTranslate-compatible server on loopback that records what it got.
class CFakeUpstream {
 public:
  CFakeUpstream() {
    m_server.Post("/lt/translate", [this](const httplib::Request& req, httplib::Response& res) {
      const QJsonObject q = QJsonDocument::fromJson(QByteArray::fromStdString(req.body)).object();
      {
        std::lock_guard lock(m_mutex);
        m_last = q;
        ++m_nReceived;
      }
      const QString text = q.value(QLatin1String("q")).toString();
      if (q.value(QLatin1String("api_key")).toString() != QLatin1String("key")) {
        res.status = 403;
        res.set_content(R"({"error":"Invalid API key"})", "application/json");
      } else if (text == QLatin1String("slow")) {
        std::this_thread::sleep_for(1500ms);
      } else if (text == QLatin1String("garbage")) {
        res.set_content("<html>not json</html>", "text/html");
      } else {
        const QJsonObject answer{
            {QStringLiteral("translatedText"), QStringLiteral("«%1»\n第二行").arg(text)}};
        res.set_content(QJsonDocument(answer).toJson().toStdString(), "application/json");
      }
    });
    m_nPort = m_server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running()) std::this_thread::sleep_for(1ms);
  }
  ~CFakeUpstream() {
    m_server.stop();
    m_thread.join();
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_nPort) + "/lt/"; }
  QJsonObject Last() {
    std::lock_guard lock(m_mutex);
    return m_last;
  }
  int Received() {
    std::lock_guard lock(m_mutex);
    return m_nReceived;
  }

 private:
  httplib::Server m_server;
  std::thread m_thread;
  int m_nPort = 0;
  std::mutex m_mutex;
  QJsonObject m_last;
  int m_nReceived = 0;
};

// The page service in front of the fake upstream; an empty key sends none.
PageServiceConfig UpstreamService(const CFakeUpstream& upstream, std::string strKey,
                                  std::chrono::milliseconds timeout = 15s) {
  PageServiceConfig config;
  config.engine = PageServiceConfig::Engine::Upstream;
  config.makeUpstream = &MakeUpstreamEngine;
  config.upstream.strUrl = upstream.Url();
  config.upstream.strApiKey = std::move(strKey);
  config.upstream.timeout = timeout;
  return config;
}

TEST_F(PageService, LibreTranslateEngineFrontsAnUpstreamAndTurnsItsFailuresIntoText) {
  CFakeUpstream upstream;
  StartWith(UpstreamService(upstream, "key", 300ms));

  const std::string zh = Utf8(ClientTranslate(m_nPort, TranslationDirection::ZhToEn, Gb(u"你好\r\n世界")));
  // Its lines are the page's lines.
  EXPECT_EQ(zh, "Following is the translation:\r\n«你好\r\n世界»\r\n第二行");
  const QJsonObject sent = upstream.Last();
  EXPECT_EQ(sent.value(QLatin1String("q")).toString(), QStringLiteral("你好\n世界"));  // no marker
  EXPECT_EQ(sent.value(QLatin1String("source")).toString(), QLatin1String("zh"));
  EXPECT_EQ(sent.value(QLatin1String("target")).toString(), QLatin1String("en"));
  EXPECT_EQ(sent.value(QLatin1String("format")).toString(), QLatin1String("text"));
  EXPECT_EQ(Utf8(ClientTranslate(m_nPort, TranslationDirection::EnToZh, "it's")),
            "以下是翻译结果：\r\n«it's»\r\n第二行");
  EXPECT_EQ(upstream.Last().value(QLatin1String("target")).toString(), QLatin1String("zh"));

  // No answer in time: a line of text, long before the client gives up.
  const auto started = std::chrono::steady_clock::now();
  const std::string slow = Utf8(ClientTranslate(m_nPort, TranslationDirection::EnToZh, "slow"));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 1400ms);
  EXPECT_NE(slow.find("无法连接翻译服务器"), std::string::npos) << slow;
  EXPECT_NE(Utf8(ClientTranslate(m_nPort, TranslationDirection::EnToZh, "garbage")).find("无法识别"),
            std::string::npos);
}

TEST_F(PageService, UpstreamRefusalsAndAbsenceAreShownAsTheyAre) {
  CFakeUpstream upstream;
  PageServiceConfig config = UpstreamService(upstream, "");
  StartWith(config);
  const std::string refused = Utf8(ClientTranslate(m_nPort, TranslationDirection::EnToZh, "hello"));
  EXPECT_NE(refused.find("HTTP 403"), std::string::npos) << refused;
  EXPECT_NE(refused.find("Invalid API key"), std::string::npos);

  m_pServer.reset();
  config.upstream.strUrl = "http://127.0.0.1:1";
  StartWith(config);
  EXPECT_NE(Utf8(ClientTranslate(m_nPort, TranslationDirection::EnToZh, "hello")).find("无法连接翻译服务器"),
            std::string::npos);
  std::string error;
  config.upstream.strUrl = "ftp://x";
  EXPECT_FALSE(CPageServer(config).Prepare(error));
  EXPECT_NE(error.find("ftp://x"), std::string::npos);
}

TEST_F(PageService, AMissingDictionaryIsSaidOnThePage) {
  PageServiceConfig config;
  config.strDictionaryPath = "/nonexistent/cedict.lxd";
  StartWith(config);
  const std::string shown = Utf8(ClientTranslate(m_nPort, TranslationDirection::EnToZh, "apple"));
  EXPECT_EQ(shown.find("以下是翻译结果：\r\n词典无法加载"), 0u) << shown;
  EXPECT_NE(shown.find("/nonexistent/cedict.lxd"), std::string::npos);
}

// Connections a hostile or careless client keeps open beside the good ones:
// idle ones, ones whose header comes a byte at a time, and ones that send
// request after request but never read an answer. Closed at the end.
class CHeldConnections {
 public:
  CHeldConnections(int port, int idle, int slow, int neverReading) {
    for (int i = 0; i < idle; ++i) m_idle.push_back(Connect(port));
    const std::string start = "POST /translate_t?langpair=en|zh-CN HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    for (int i = 0; i < slow; ++i) m_slow.push_back(Connect(port));
    const std::string request = Post("HTTP/1.1", "en|zh-CN",
                                     "hl=en&ie=GB2312&text=" + translate::SentText(std::string(7000, 'a')) +
                                         "&langpair=en|zh-CN");
    for (int i = 0; i < neverReading; ++i) {
      const int fd = Connect(port);
      // As many as the socket takes; the answers pile up unread.
      for (int n = 0; n < 64; ++n) {
        if (send(fd, request.data(), request.size(), MSG_NOSIGNAL | MSG_DONTWAIT) <= 0) break;
      }
      m_idle.push_back(fd);
    }
    // Bounded: one byte per connection every 100 ms, for at most 30 s.
    m_trickle = std::thread([this, start] {
      for (std::size_t at = 0; at < 300 && !m_bDone; ++at) {
        for (int fd : m_slow) {
          const char byte = at < start.size() ? start[at] : 'x';
          send(fd, &byte, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        }
        std::this_thread::sleep_for(100ms);
      }
    });
  }
  ~CHeldConnections() {
    m_bDone = true;
    m_trickle.join();
    for (int fd : m_idle) close(fd);
    for (int fd : m_slow) close(fd);
  }
  bool AllConnected() const {
    return std::none_of(m_idle.begin(), m_idle.end(), [](int fd) { return fd < 0; }) &&
           std::none_of(m_slow.begin(), m_slow.end(), [](int fd) { return fd < 0; });
  }

 private:
  std::vector<int> m_idle;
  std::vector<int> m_slow;
  std::atomic<bool> m_bDone{false};
  std::thread m_trickle;
};

TEST_F(PageService, SlowIdleAndNeverReadingConnectionsDoNotHoldUpGoodRequests) {
  PageServiceConfig config;
  config.nMaxConnectionsPerAddress = 0;  // every client here comes from 127.0.0.1
  StartWith(config);
  CHeldConnections held(m_nPort, 200, 64, 8);
  ASSERT_TRUE(held.AllConnected());
  // The client waits 30 s; a server that lets connections hold its
  // workers keeps good requests waiting for many seconds.
  std::vector<std::future<std::chrono::milliseconds>> took;
  for (int i = 0; i < 24; ++i) {
    took.push_back(std::async(std::launch::async, [this, i] {
      const auto started = std::chrono::steady_clock::now();
      const std::string shown = Utf8(ClientTranslate(m_nPort, TranslationDirection::EnToZh,
                                                     i % 2 ? "water" : std::string(8000, 'w')));
      EXPECT_EQ(shown.find("以下是翻译结果：\r\n"), 0u) << shown.substr(0, 200);
      return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                   started);
    }));
  }
  for (auto& t : took) EXPECT_LT(t.get(), 3000ms);
}

TEST_F(PageService, EveryAnswerCarriesTheSecurityHeadersAndBadRequestsClose) {
  StartWith({});
  const std::string body = "hl=en&ie=GB2312&text=" + translate::SentText("<script>") + "&langpair=en|zh-CN";
  // The query's langpair percent-encoded, as a browser's form would send it.
  const std::string ok = Raw(m_nPort, Post("HTTP/1.0", "en%7Czh-CN", body)).bytes;
  EXPECT_EQ(ok.rfind("HTTP/1.1 200", 0), 0u) << ok.substr(0, 200);
  EXPECT_NE(ok.find(translate::SentText("<script>")), std::string::npos);  // the echo is byte for byte
  for (const std::string& request :
       {ok, Raw(m_nPort, "GET / HTTP/1.0\r\n\r\n").bytes, Raw(m_nPort, "GET /x HTTP/1.0\r\n\r\n").bytes,
        Raw(m_nPort, Post("HTTP/1.0", "en|fr", "text=a")).bytes, Raw(m_nPort, "BAD\r\n\r\n").bytes}) {
    const std::string head = request.substr(0, request.find("\r\n\r\n"));
    EXPECT_NE(head.find("\r\nContent-Security-Policy: default-src 'none'\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("\r\nX-Content-Type-Options: nosniff"), std::string::npos) << head;
  }

  // A bad line in the middle of a kept connection: one 400, then the end,
  // not the good request sent after it.
  const std::string good = Post("HTTP/1.1", "en|zh-CN", body);
  const RawReply bad = Raw(m_nPort, good + "NOT A REQUEST LINE\r\n\r\n" + good);
  EXPECT_TRUE(bad.bClosed);
  EXPECT_EQ(bad.bytes.rfind("HTTP/1.1 200", 0), 0u);
  const std::size_t second = bad.bytes.find("HTTP/1.1 ", 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(bad.bytes.compare(second, 12, "HTTP/1.1 400"), 0) << bad.bytes.substr(second, 100);
  EXPECT_EQ(bad.bytes.find("HTTP/1.1 ", second + 1), std::string::npos);
  // A 400 of the page itself closes as well.
  EXPECT_TRUE(Raw(m_nPort, Post("HTTP/1.1", "en|fr", "text=a")).bClosed);

  // No length: 411 at once rather than after a read time-out.
  const RawReply noLength = Raw(
      m_nPort, "POST /translate_t?langpair=en|zh-CN HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\ntext=a", 1000ms);
  EXPECT_EQ(noLength.bytes.rfind("HTTP/1.1 411", 0), 0u) << noLength.bytes.substr(0, 100);
  EXPECT_TRUE(noLength.bClosed);
  EXPECT_EQ(Raw(m_nPort, "POST /translate_t HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n1\r\na\r\n0\r\n\r\n",
                1000ms)
                .bytes.rfind("HTTP/1.1 411", 0),
            0u);
}

// lexiphon-pageserver says where it listens before it serves: a client that
// comes at once waits rather than being refused.
TEST(PageServer, ListensFromBindOn) {
  CPageServer server({});
  const int port = server.Bind("127.0.0.1", 0);
  ASSERT_GT(port, 0);
  const int fd = Connect(port);
  ASSERT_GE(fd, 0);
  const std::string request = "GET / HTTP/1.0\r\n\r\n";
  ASSERT_EQ(send(fd, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
  ASSERT_TRUE(server.Start());
  EXPECT_EQ(ReadResponse(fd).rfind("HTTP/1.1 200", 0), 0u);
  close(fd);
}

TEST_F(PageService, ConnectionsBeyondTheLimitsGet503WithRetryAfter) {
  PageServiceConfig config;
  config.nMaxConnectionsPerAddress = 3;
  StartWith(config);
  std::vector<int> held;
  for (int i = 0; i < 3; ++i) held.push_back(Connect(m_nPort));
  const RawReply refused = Raw(m_nPort, "GET / HTTP/1.0\r\n\r\n", 1000ms);
  EXPECT_EQ(refused.bytes.rfind("HTTP/1.1 503", 0), 0u) << refused.bytes.substr(0, 100);
  EXPECT_NE(refused.bytes.find("\r\nRetry-After: "), std::string::npos);
  // A freed place is taken again.
  close(held.back());
  held.pop_back();
  bool served = false;
  for (int i = 0; i < 100 && !served; ++i)
    served = Raw(m_nPort, "GET / HTTP/1.0\r\n\r\n", 1000ms).bytes.rfind("HTTP/1.1 200", 0) == 0;
  EXPECT_TRUE(served);
  for (int fd : held) close(fd);

  m_pServer.reset();
  config.nMaxConnectionsPerAddress = 0;
  config.nMaxConnections = 2;
  StartWith(config);
  const int a = Connect(m_nPort);
  const int b = Connect(m_nPort);
  EXPECT_EQ(Raw(m_nPort, "GET / HTTP/1.0\r\n\r\n", 1000ms).bytes.rfind("HTTP/1.1 503", 0), 0u);
  close(a);
  close(b);
}

TEST_F(PageService, StoppingAnswersTheRequestInFlightAndEndsSoonDespiteSlowClients) {
  CFakeUpstream upstream;
  StartWith(UpstreamService(upstream, "key", 5s));
  CHeldConnections held(m_nPort, 10, 20, 0);
  // "slow" takes the fake upstream 1.5 s.
  auto inFlight = std::async(std::launch::async, [this] {
    return Utf8(ClientTranslate(m_nPort, TranslationDirection::EnToZh, "slow"));
  });
  for (int i = 0; i < 500 && upstream.Received() == 0; ++i) std::this_thread::sleep_for(10ms);
  ASSERT_EQ(upstream.Received(), 1);
  const auto started = std::chrono::steady_clock::now();
  m_pServer->Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
  // Started before the stop: answered with what the upstream said.
  EXPECT_EQ(inFlight.get().rfind("以下是翻译结果：\r\n", 0), 0u);
  EXPECT_TRUE(Raw(m_nPort, "GET / HTTP/1.0\r\n\r\n", 500ms).bytes.empty());
}

TEST(EmbeddedService, StartsOnceOnALoopbackPortAndTranslates) {
  const std::string address = EmbeddedServiceAddress();
  ASSERT_EQ(address.rfind("127.0.0.1:", 0), 0u);
  EXPECT_EQ(EmbeddedServiceAddress(), address);
  const int port = std::stoi(address.substr(10));
  EXPECT_NE(Utf8(ClientTranslate(port, TranslationDirection::ZhToEn, Gb(u"你好"))).find("Hello"),
            std::string::npos);
  StopEmbeddedService();
  EXPECT_TRUE(Raw(port, "GET / HTTP/1.0\r\n\r\n", 500ms).bytes.empty());
}

}  // namespace
}  // namespace pageservice
