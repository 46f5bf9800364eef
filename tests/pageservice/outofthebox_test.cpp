// A fresh install: no host in setting.ini, none in the environment. The two
// translation commands in the real frame reach the service the program starts
// inside itself and show a useful result.
#include "res/resource.h"
#include "frame/mainframe.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"
#include "support/appfixture.h"
#include "text/codepage.h"
#include "translate/worker.h"

#include <QAction>
#include <QFile>
#include <QTest>

namespace pageservice {
namespace {

class OutOfTheBox : public testing_support::AppFixture {
 protected:
  void SetUp() override {
    qunsetenv("LEXIPHON_TRANSLATE_HOST");
    AppFixture::SetUp();
    ASSERT_FALSE(QFile::exists(QStringLiteral("setting.ini")));
    ASSERT_TRUE(Start());
  }
  void TearDown() override {
    AppFixture::TearDown();
    EXPECT_TRUE(QTest::qWaitFor([] { return translate::RunningTranslationWorkers() == 0; }, 10000));
  }
  std::string Translate(unsigned command, const char16_t* text) {
    Input()->SetWindowTextBytes(text::FromUnicode(QStringView(text)));
    Result()->SetWindowTextBytes("");
    QAction* action = Frame()->GetCommandAction(command);
    EXPECT_TRUE(QTest::qWaitFor([&] { return action->isEnabled(); }));  // back after the last request
    action->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Result()->GetWindowTextBytes().empty(); }, 15000));
    return text::ToUnicode(Result()->GetWindowTextBytes()).toStdString();
  }
};

TEST_F(OutOfTheBox, BothCommandsTranslateOffline) {
  const std::string zh = Translate(res::ID_TRANSLATE_EN_TO_ZH, u"Good morning, teacher.");
  EXPECT_EQ(zh.rfind("以下是翻译结果：\r\n", 0), 0u) << zh;
  EXPECT_TRUE(zh.find("早上好，") != std::string::npos || zh.find("早安，") != std::string::npos) << zh;

  const std::string en = Translate(res::ID_TRANSLATE_ZH_TO_EN, u"我喜欢学习英语。");
  EXPECT_EQ(en.rfind("Following is the translation:\r\nI like to learn English.\r\n", 0), 0u) << en;
}

}  // namespace
}  // namespace pageservice
