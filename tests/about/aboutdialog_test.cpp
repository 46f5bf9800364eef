// The About box in the running program: opened from the toolbar and the
// menu, laid out from its template, its link following the maker's address,
// and a fresh link each time it opens.
#define QTEST_QPA_MOUSE_HANDLING
#include "about/aboutdialog.h"
#include "res/resource.h"
#include "frame/mainframe.h"
#include "framework/dialogunits.h"
#include "platform/shellopen.h"
#include "support/appfixture.h"
#include "text/codepage.h"

#include <QMenuBar>
#include <QPushButton>
#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

using about::CAboutDialog;
using testing_support::AppFixture;
using testing_support::ModalWatcher;

namespace {

class AboutDialogTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()));
  }
  void TearDown() override {
    platform::SetShellOpenerForTesting(nullptr);
    AppFixture::TearDown();
  }

  QAction* MenuAction() const {
    for (QAction* top : Frame()->menuBar()->actions())
      if (top->menu())
        for (QAction* item : top->menu()->actions())
          if (item->text() == QStringLiteral("关于 Lexiphon(&A)...")) return item;
    return nullptr;
  }
};

TEST_F(AboutDialogTest, OpensFromToolbarAndMenuLaidOutFromItsTemplate) {
  int nOpened = 0;
  ModalWatcher watcher([&](QWidget* w) {
    auto* dlg = qobject_cast<CAboutDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    ++nOpened;
    EXPECT_EQ(dlg->parentWidget(), Frame());
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("关于 Lexiphon V1.5"));

    const auto* text = dlg->findChild<QLabel*>(QStringLiteral("IDC_STATIC"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), QStringLiteral("   Lexiphon V1.5 \n英语学习助手：朗读与英汉互译"));
    auto* ok = dlg->findChild<QPushButton*>(QStringLiteral("IDOK"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("确定"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(dlg->focusWidget(), ok);

    // The link shows the host and opens the full address; fitted to its
    // text from the template's top-left corner.
    const about::CLinkLabel& link = dlg->m_wndLink;
    EXPECT_EQ(dlg->findChild<QLabel*>(QStringLiteral("IDC_LINK")), &link);
    EXPECT_EQ(link.text(), QString::fromLatin1(about::kMakerHost));
    EXPECT_EQ(link.m_strTarget, about::kMakerUrl);
    EXPECT_EQ(link.m_toolTip.GetText(&link, 1), QString::fromLatin1(about::kMakerUrl));
    EXPECT_TRUE(link.m_font.underline());
    EXPECT_EQ(link.OnCtlColor(), QColor(0, 0, 238));
    const QRect tmpl = fw::MapDialogRect(fw::BaseUnitsFor(fw::DialogFont(9)), QRect(61, 45, 69, 8));
    EXPECT_EQ(link.pos(), tmpl.topLeft());
    EXPECT_EQ(link.height(), QFontMetrics(link.m_font).height());
    // Nothing sticks out of the box.
    for (const QWidget* child : dlg->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      EXPECT_TRUE(dlg->rect().contains(child->geometry())) << child->objectName().toStdString();

    ok->click();
  });

  QTest::mouseClick(Frame()->m_wndToolBar.GetButton(16), Qt::LeftButton);
  EXPECT_EQ(nOpened, 1);
  QAction* item = MenuAction();
  ASSERT_NE(item, nullptr);
  item->trigger();
  EXPECT_EQ(nOpened, 2);
}

TEST_F(AboutDialogTest, EveryControlIsAnnouncedByWhatItShows) {
  int nOpened = 0;
  ModalWatcher watcher([&](QWidget* w) {
    auto* dlg = qobject_cast<CAboutDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    ++nOpened;
    QStringList names;
    for (QWidget* child : dlg->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(child);
      ASSERT_NE(a, nullptr);
      names << a->text(QAccessible::Name);
    }
    QStringList want{QString::fromLatin1(about::kMakerHost), QStringLiteral("Lexiphon V1.5 英语学习助手：朗读与英汉互译"),
                     QStringLiteral("离线词典：CC-CEDICT (CC BY-SA 4.0)"), QStringLiteral("确定")};
    names.sort();
    want.sort();
    EXPECT_EQ(names, want);
    dlg->findChild<QPushButton*>(QStringLiteral("IDOK"))->click();
  });
  Frame()->SendCommand(res::ID_APP_ABOUT);
  EXPECT_EQ(nOpened, 1);
}

TEST_F(AboutDialogTest, FollowedLinkTurnsVisitedOnlyWhileThatBoxIsOpen) {
  QStringList opened;
  platform::SetShellOpenerForTesting([&](const QString& target) {
    opened << target;
    return platform::kShellOpenOk;
  });
  std::vector<bool> visitedAtOpen;
  ModalWatcher watcher([&](QWidget* w) {
    auto* dlg = qobject_cast<CAboutDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    about::CLinkLabel& link = dlg->m_wndLink;
    visitedAtOpen.push_back(link.m_bVisited);
    QTest::mouseClick(dlg->windowHandle(), Qt::LeftButton, {}, link.geometry().center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return link.m_bVisited; }, 5000));
    QTest::keyClick(dlg, Qt::Key_Escape);
  });
  Frame()->SendCommand(res::ID_APP_ABOUT);
  Frame()->SendCommand(res::ID_APP_ABOUT);
  EXPECT_EQ(visitedAtOpen, (std::vector<bool>{false, false}));
  EXPECT_EQ(opened, (QStringList{about::kMakerUrl, about::kMakerUrl}));
}

}  // namespace
