// The two commands in the real frame against the loopback page server.
#include "res/resource.h"
#include "frame/mainframe.h"
#include "frame/translatewaitdialog.h"
#include "framework/bars.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"
#include "support/appfixture.h"
#include "support/pageserver.h"
#include "text/codepage.h"
#include "translate/request.h"
#include "translate/translatehost.h"
#include "translate/translation.h"
#include "translate/worker.h"

#include <QAction>
#include <QDialog>
#include <QPointer>
#include <QTest>

#include <future>
#include <tuple>

using testing_support::PageServer;
using namespace std::chrono_literals;

namespace translate {
namespace {

constexpr unsigned kEnToZh = res::ID_TRANSLATE_EN_TO_ZH;
constexpr unsigned kZhToEn = res::ID_TRANSLATE_ZH_TO_EN;
const QString kNoNetwork = QStringLiteral("没有网络连接!要使用该功能，请保证你的网络链接正常");

// Holds the server's answers until released (at the latest when the test ends).
struct Gate {
  std::promise<void> open;
  std::shared_future<void> opened = open.get_future().share();
  bool bOpen = false;
  void Open() {
    if (!bOpen) open.set_value();
    bOpen = true;
  }
  ~Gate() { Open(); }
};

class TranslateCommandTest : public testing_support::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()));
    UseHost(m_server.HostPort());
  }
  void TearDown() override {
    m_gate.Open();
    AppFixture::TearDown();
    EXPECT_TRUE(QTest::qWaitFor([] { return RunningTranslationWorkers() == 0; }, 10000));
    qunsetenv("LEXIPHON_TRANSLATE_HOST");
    SetConnectionCheckForTesting(nullptr);
    SetRequestTimeouts({});
  }

  static void UseHost(const std::string& host) {
    qputenv("LEXIPHON_TRANSLATE_HOST", QByteArray::fromStdString(host));
  }
  void SetInput(const std::string& bytes) { Input()->SetWindowTextBytes(bytes); }
  std::string ResultBytes() const { return Result()->GetWindowTextBytes(); }
  QAction* Action(unsigned id) const { return Frame()->GetCommandAction(id); }
  QWidget* Button(unsigned id) const {
    for (int i = 0; i < Frame()->m_wndToolBar.GetButtonCount(); ++i)
      if (Frame()->m_wndToolBar.GetItemID(i) == id) return Frame()->m_wndToolBar.GetButton(i);
    return nullptr;
  }
  bool CommandsEnabled(bool on) const {
    for (unsigned id : {kEnToZh, kZhToEn})
      if (Action(id)->isEnabled() != on || Button(id)->isEnabled() != on) return false;
    return true;
  }
  QDialog* WaitWindow() const { return Frame()->m_pWaitDialog->GetSafeHwnd(); }
  // Until the request was delivered: both commands back, no wait window.
  bool WaitForIdle() const {
    return QTest::qWaitFor([&] { return CommandsEnabled(true) && !WaitWindow(); }, 15000);
  }
  void GatedServer() {
    m_server.SetResponder([f = m_gate.opened](const PageServer::Request& r) {
      f.wait();
      return PageServer::Reply{PageServer::PageFor(r.body)};
    });
  }

  PageServer m_server;
  Gate m_gate;
};

TEST_F(TranslateCommandTest, EnToZhRunsWithDialogAndDisabledCommandsThenShowsTheTranslation) {
  GatedServer();
  SetInput("  a<b>&c\r\n");
  Action(kEnToZh)->trigger();

  // Running: the wait window over the frame, both commands off everywhere.
  QPointer<QDialog> wait = WaitWindow();
  ASSERT_TRUE(wait);
  EXPECT_TRUE(wait->isVisible());
  EXPECT_EQ(wait->frameGeometry().center(), Frame()->frameGeometry().center());
  EXPECT_TRUE(QTest::qWaitFor([&] { return CommandsEnabled(false); }));
  ASSERT_TRUE(m_server.WaitForRequests(1));
  // Esc closes only the window; the request goes on.
  QTest::keyClick(wait, Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !wait; }));
  testing_support::ProcessDeferred();
  EXPECT_TRUE(CommandsEnabled(false));

  m_gate.Open();
  ASSERT_TRUE(WaitForIdle());
  const std::string sent = SentText("a(b)andc");
  EXPECT_EQ(m_server.Requests()[0].body, FormBody(sent, TranslationDirection::EnToZh));
  EXPECT_EQ(ResultBytes(), std::string(kSearchMarker) + "\r\n[a(b)andc]");
  EXPECT_EQ(Input()->GetWindowTextBytes(), "  a<b>&c\r\n");
}

TEST_F(TranslateCommandTest, ZhToEnKeepsAngleBracketsAndShowsTheEnglishHeading) {
  GatedServer();
  SetInput("a<b>&c \xC4\xE3\xBA\xC3");
  Action(kZhToEn)->trigger();
  // Enter, too, closes only the wait window.
  QPointer<QDialog> wait = WaitWindow();
  ASSERT_TRUE(wait);
  QTest::keyClick(wait, Qt::Key_Return);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !wait; }));
  testing_support::ProcessDeferred();
  EXPECT_TRUE(CommandsEnabled(false));
  m_gate.Open();
  ASSERT_TRUE(WaitForIdle());
  ASSERT_EQ(m_server.Requests().size(), 1u);
  EXPECT_EQ(m_server.Requests()[0].body,
            FormBody(SentText("a<b>andc \xC4\xE3\xBA\xC3"), TranslationDirection::ZhToEn));
  EXPECT_EQ(ResultBytes(), "Following is the translation:\r\n[a<b>andc \xC4\xE3\xBA\xC3]");
  EXPECT_EQ(Result()->toPlainText().count('\n'), 1);
}

TEST_F(TranslateCommandTest, FailuresShowTheBoxFirstThenTheSameTextInThePane) {
  // EnToZh: nothing listens (7). ZhToEn: the server never answers (28).
  const std::string refused = "127.0.0.1:" + std::to_string(PageServer::RefusedPort());
  m_server.SetResponder([](const PageServer::Request&) { return PageServer::Hanging(); });
  SetRequestTimeouts({1000ms, 400ms});
  SetInput("hello");
  for (auto [id, host, code] : {std::tuple{kEnToZh, refused, 7}, {kZhToEn, m_server.HostPort(), 28}}) {
    SCOPED_TRACE(code);
    UseHost(host);
    Result()->SetWindowTextBytes("before");
    QString boxText;
    bool bRunningMeanwhile = false;
    testing_support::ModalWatcher watcher([&](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box) return;
      boxText = box->text();
      bRunningMeanwhile =
          WaitWindow() && WaitWindow()->isVisible() && CommandsEnabled(false) && ResultBytes() == "before";
      box->button(QMessageBox::Ok)->click();
    });
    Action(id)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxText.isEmpty(); }, 15000));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(boxText, QStringLiteral("无法连接到服务器,错误码:%1,请检查防火墙设置").arg(code));
    EXPECT_TRUE(bRunningMeanwhile);
    EXPECT_EQ(text::ToUnicode(ResultBytes()), boxText);
  }
}

TEST_F(TranslateCommandTest, TheFailureBoxComesUpOverTheWaitBoxAndOneEnterClosesIt) {
  UseHost("127.0.0.1:" + std::to_string(PageServer::RefusedPort()));
  SetInput("hello");
  Action(kEnToZh)->trigger();
  QPointer<QMessageBox> box;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
          if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) box = b;
        return !box.isNull();
      },
      15000));
  // The keyboard is the box's, while the wait box is still up behind it.
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == box.data(); }));
  EXPECT_TRUE(WaitWindow() && WaitWindow()->isVisible());
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  EXPECT_EQ(focus->window(), box.data());
  QTest::keyClick(focus, Qt::Key_Return);
  EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull() || !box->isVisible(); }));
  ASSERT_TRUE(WaitForIdle());
  EXPECT_EQ(text::ToUnicode(ResultBytes()), FailureText(7));
}

TEST_F(TranslateCommandTest, AnErrorStatusOrAPageWithoutResultIsAFailureAnEmptyResultIsNot) {
  struct Case {
    int status;
    std::string page;
    QString shown;  // empty: no box, an empty pane
  };
  // The echo of the sent text and the anchor, then a translation that is empty.
  const std::string empty = "<textarea>" + SentText("hello") + std::string(PageServer::kAnchor) + "</div>";
  for (const Case& c : {Case{500, "<html>Internal Server Error</html>", HttpStatusText(500)},
                        Case{404, empty, QStringLiteral("翻译服务出错（HTTP 404）")},
                        Case{200, "<html>maintenance</html>", QStringLiteral("翻译页面中没有找到译文")},
                        // The service's own word on the error, where the translation would be.
                        Case{503, "<textarea>" + SentText("hello") + std::string(PageServer::kAnchor) +
                                      "x&lt;y</div>",
                             QStringLiteral("翻译服务出错（HTTP 503）\r\nx<y")},
                        Case{200, empty, QString()}}) {
    SCOPED_TRACE(c.status);
    m_server.SetResponder([c](const PageServer::Request&) {
      PageServer::Reply reply{c.page};
      reply.status = c.status;
      return reply;
    });
    Result()->SetWindowTextBytes("before");
    testing_support::MessageBoxWatcher boxes;
    SetInput("hello");
    Action(kZhToEn)->trigger();
    ASSERT_TRUE(WaitForIdle());
    testing_support::ProcessDeferred();
    if (c.shown.isEmpty()) {
      EXPECT_TRUE(boxes.texts().isEmpty());
      EXPECT_EQ(ResultBytes(), "");
    } else {
      EXPECT_EQ(boxes.texts(), QStringList{c.shown});
      EXPECT_EQ(text::ToUnicode(ResultBytes()), c.shown);
    }
  }
}

TEST_F(TranslateCommandTest, TextChecksAnswerWithABoxAndStartNothing) {
  testing_support::MessageBoxWatcher boxes;
  SetInput(" \t\r\n ");
  Action(kEnToZh)->trigger();
  SetInput(std::string(8001, 'a'));
  Action(kEnToZh)->trigger();
  Action(kZhToEn)->trigger();
  SetConnectionCheckForTesting([](const TranslateHost&) { return false; });
  SetInput("");
  Action(kZhToEn)->trigger();
  EXPECT_EQ(boxes.texts(),
            (QStringList{QStringLiteral("空"), QStringLiteral("待翻译的英语长度不能超过8000字节"),
                         QStringLiteral("待翻译的汉字长度不能超过8000字节"), kNoNetwork}));
  EXPECT_EQ(WaitWindow(), nullptr);
  EXPECT_TRUE(CommandsEnabled(true));
  EXPECT_EQ(RunningTranslationWorkers(), 0);
  EXPECT_TRUE(m_server.Requests().empty());
}

TEST_F(TranslateCommandTest, ClosingWhileARequestRunsSkipsTheDelivery) {
  m_server.SetResponder([](const PageServer::Request&) { return PageServer::Hanging(); });
  SetInput("hello");
  Action(kEnToZh)->trigger();
  ASSERT_TRUE(m_server.WaitForRequests(1));
  Stop();
  // The transfer stops with the frame, long before any time-out.
  EXPECT_TRUE(QTest::qWaitFor([] { return RunningTranslationWorkers() == 0; }, 5000));

  // And while the failure box is still open: the box goes with the frame.
  ASSERT_TRUE(Start());
  UseHost("127.0.0.1:" + std::to_string(PageServer::RefusedPort()));
  testing_support::ModalWatcher watcher([](QWidget*) {});
  SetInput("hello");
  Action(kZhToEn)->trigger();
  ASSERT_TRUE(QTest::qWaitFor(
      [] {
        for (QWidget* w : QApplication::topLevelWidgets())
          if (qobject_cast<QMessageBox*>(w) && w->isVisible()) return true;
        return false;
      },
      15000));
  Stop();
  EXPECT_TRUE(QTest::qWaitFor([] { return RunningTranslationWorkers() == 0; }, 5000));
  // The next frame starts idle.
  ASSERT_TRUE(Start());
  EXPECT_TRUE(QTest::qWaitFor([&] { return CommandsEnabled(true); }));
}

}  // namespace
}  // namespace translate
