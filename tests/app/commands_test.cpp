// Every command from every source, with either pane active: which class's
// handler table carries it out, and what the menus, keys and prompts say.
#include "res/commands.h"
#include "app/lexiphonapp.h"
#include "res/resource.h"
#include "frame/mainframe.h"
#include "framework/document.h"
#include "panes/lexiphondoc.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"
#include "support/appfixture.h"
#include "support/urlrecorder.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <typeindex>

using testing_support::AppFixture;
using testing_support::ModalWatcher;
using testing_support::WriteFileBytes;

namespace {

class CommandsTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()));
    fw::CommandTrace() = [this](const std::type_info& cls, unsigned id) { m_handled.emplace_back(cls, id); };
  }
  void TearDown() override {
    fw::CommandTrace() = nullptr;
    AppFixture::TearDown();
  }
  void Activate(int col) {
    Frame()->m_wndSplitter.SetActivePane(0, col);
    QApplication::setActiveWindow(Frame());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == Frame()->m_wndSplitter.GetPane(0, col); }));
  }
  // The class that handled the last command, or none.
  std::optional<std::type_index> Last() const {
    if (m_handled.empty()) return std::nullopt;
    return std::type_index(m_handled.back().first);
  }
  QAction* Action(unsigned id) { return Frame()->GetCommandAction(id); }

  std::vector<std::pair<std::type_index, unsigned>> m_handled;
};

// Cancels every file dialog a command opens.
ModalWatcher CancelDialogs() {
  return ModalWatcher([](QWidget* w) {
    if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
  });
}

TEST_F(CommandsTest, MenuTextsSeparatorsAndOrderAreExact) {
  const QList<QAction*> popups = Frame()->menuBar()->actions();
  const QStringList titles = {"文件(&F)", "编辑(&E)", "查看(&V)", "语音(&W)", "翻译(&T)", "帮助(&H)"};
  ASSERT_EQ(popups.size(), titles.size());
  QStringList all;
  for (int i = 0; i < popups.size(); ++i) {
    EXPECT_EQ(popups[i]->text(), titles[i]);
    for (QAction* a : popups[i]->menu()->actions()) all << (a->isSeparator() ? "-" : a->text());
  }
  EXPECT_EQ(all, (QStringList{"新建(&N)\tCtrl+N", "打开(&O)...\tCtrl+O", "另存为(&A)...", "退出(&X)",
                              "撤消(&U)\tCtrl+Z", "-", "剪切(&T)\tCtrl+X", "复制(&C)\tCtrl+C", "粘贴(&P)\tCtrl+V",
                              "工具栏(&T)", "状态栏(&S)", "发音(&Z)", "朗读选中内容(&R)\tF5", "暂停(&X)", "停止(&S)\tEsc", "-",
                              "保存语音(&V)...", "发音设置(&D)",
                              "英译汉(&M)", "汉译英(&N)", "帮助主题(&T)", "关于 Lexiphon(&A)..."}));
  // One action per command, shared by menu and toolbar.
  EXPECT_EQ(Frame()->m_wndToolBar.GetButton(11)->commandAction(), Action(res::ID_TRANSLATE_EN_TO_ZH));
  EXPECT_EQ(popups[4]->menu()->actions().value(0), Action(res::ID_TRANSLATE_EN_TO_ZH));
}

TEST_F(CommandsTest, AcceleratorsReachTheirCommandsThroughTheActivePane) {
  const struct {
    QKeyCombination key;
    unsigned id;
    std::type_index cls;
  } rows[] = {
      {Qt::CTRL | Qt::Key_N, res::ID_FILE_NEW, typeid(panes::CLexiphonView)},
      {Qt::CTRL | Qt::Key_O, res::ID_FILE_OPEN, typeid(panes::CLexiphonView)},
      {Qt::CTRL | Qt::Key_S, res::ID_FILE_SAVE, typeid(fw::CDocument)},
      {Qt::CTRL | Qt::Key_Z, res::ID_EDIT_UNDO, typeid(fw::CEditView)},
      {Qt::ALT | Qt::Key_Backspace, res::ID_EDIT_UNDO, typeid(fw::CEditView)},
      {Qt::CTRL | Qt::Key_X, res::ID_EDIT_CUT, typeid(fw::CEditView)},
      {Qt::SHIFT | Qt::Key_Delete, res::ID_EDIT_CUT, typeid(fw::CEditView)},
      {Qt::CTRL | Qt::Key_C, res::ID_EDIT_COPY, typeid(fw::CEditView)},
      {Qt::CTRL | Qt::Key_Insert, res::ID_EDIT_COPY, typeid(fw::CEditView)},
      {Qt::CTRL | Qt::Key_V, res::ID_EDIT_PASTE, typeid(fw::CEditView)},
      {Qt::SHIFT | Qt::Key_Insert, res::ID_EDIT_PASTE, typeid(fw::CEditView)},
      {QKeyCombination(Qt::Key_F6), res::ID_NEXT_PANE, typeid(fw::CEditView)},
  };
  ModalWatcher cancel = CancelDialogs();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key.toCombined());
    Activate(0);
    // Something to undo, cut and copy, and text on the clipboard.
    Input()->SetWindowTextBytes("select me");
    QTest::keyClicks(Input(), "x");
    Input()->selectAll();
    QApplication::clipboard()->setText("clip");
    Frame()->UpdateCommandUI();
    m_handled.clear();
    QTest::keyClick(QApplication::focusWidget(), row.key.key(), row.key.keyboardModifiers());
    ASSERT_FALSE(m_handled.empty());
    EXPECT_EQ(m_handled.front().second, row.id);
    EXPECT_EQ(std::type_index(m_handled.front().first), row.cls);
  }
}

TEST_F(CommandsTest, RoutingTableForEachActivePane) {
  const auto input = std::type_index(typeid(panes::CLexiphonView));
  const auto view = std::type_index(typeid(fw::CEditView));
  const auto doc = std::type_index(typeid(fw::CDocument));
  const auto mainFrame = std::type_index(typeid(frame::CMainFrame));
  const auto frameBase = std::type_index(typeid(fw::CFrameWnd));
  const auto application = std::type_index(typeid(app::CLexiphonApp));
  const struct {
    unsigned id;
    std::optional<std::type_index> inInput, inResult;
  } rows[] = {
      {res::ID_FILE_NEW, input, application},
      {res::ID_FILE_OPEN, input, application},
      {res::ID_FILE_SAVE, doc, doc},
      {res::ID_FILE_SAVE_AS, input, doc},
      {res::ID_EDIT_UNDO, view, view},
      {res::ID_EDIT_CUT, view, view},
      {res::ID_EDIT_COPY, view, view},
      {res::ID_EDIT_PASTE, view, view},
      {res::ID_NEXT_PANE, view, view},
      {res::ID_PREV_PANE, view, view},
      {res::ID_VIEW_TOOLBAR, frameBase, frameBase},
      {res::ID_VIEW_STATUS_BAR, frameBase, frameBase},
      {res::ID_HELP_TOPICS, mainFrame, mainFrame},
      {res::ID_APP_ABOUT, application, application},
  };
  ModalWatcher cancel = CancelDialogs();
  for (int col : {0, 1}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(testing::Message() << "pane " << col << " command " << row.id);
      Activate(col);
      // Something to undo, a selection to cut and copy, a clipboard text.
      auto* pane = static_cast<fw::CEditView*>(Frame()->m_wndSplitter.GetPane(0, col));
      QTest::keyClicks(pane, "ab");
      pane->selectAll();
      QApplication::clipboard()->setText("clip");
      m_handled.clear();
      Action(row.id)->trigger();
      EXPECT_EQ(Last(), col == 0 ? row.inInput : row.inResult);
      if (row.id == res::ID_VIEW_TOOLBAR || row.id == res::ID_VIEW_STATUS_BAR) Action(row.id)->trigger();
    }
  }
}

TEST_F(CommandsTest, ToolbarButtonsRouteLikeTheirMenuItems) {
  ModalWatcher cancel = CancelDialogs();
  Activate(1);
  m_handled.clear();
  QTest::mouseClick(Frame()->m_wndToolBar.GetButton(0), Qt::LeftButton);  // 新建
  EXPECT_EQ(Last(), std::type_index(typeid(app::CLexiphonApp)));
  Activate(0);
  QTest::mouseClick(Frame()->m_wndToolBar.GetButton(2), Qt::LeftButton);  // 保存 (Save As)
  EXPECT_EQ(Last(), std::type_index(typeid(panes::CLexiphonView)));
  EXPECT_EQ(cancel.seen(), 1);
}

TEST_F(CommandsTest, EnableAndCheckStatesFollowTheUpdateHandlers) {
  Activate(0);
  Input()->SetWindowTextBytes("");
  QApplication::clipboard()->clear();
  Frame()->UpdateCommandUI();
  fw::CToolBar& bar = Frame()->m_wndToolBar;
  // Undo, Cut and Copy need history and a selection, Paste a clipboard text.
  EXPECT_FALSE(Action(res::ID_EDIT_UNDO)->isEnabled());
  EXPECT_FALSE(Action(res::ID_EDIT_CUT)->isEnabled());
  EXPECT_FALSE(bar.GetButton(5)->isEnabled());
  EXPECT_FALSE(Action(res::ID_EDIT_PASTE)->isEnabled());
  QTest::keyClicks(Input(), "abc");
  Input()->selectAll();
  QApplication::clipboard()->setText("clip");
  // Within one turn of the loop after the input.
  QCoreApplication::processEvents();
  EXPECT_TRUE(Action(res::ID_EDIT_UNDO)->isEnabled());
  EXPECT_TRUE(Action(res::ID_EDIT_COPY)->isEnabled());
  EXPECT_TRUE(bar.GetButton(4)->isEnabled());
  EXPECT_TRUE(Action(res::ID_EDIT_PASTE)->isEnabled());

  // Bars toggle with check marks.
  EXPECT_TRUE(Action(res::ID_VIEW_TOOLBAR)->isChecked());
  Action(res::ID_VIEW_TOOLBAR)->trigger();
  Frame()->UpdateCommandUI();
  EXPECT_TRUE(bar.isHidden());
  EXPECT_FALSE(Action(res::ID_VIEW_TOOLBAR)->isChecked());
  Action(res::ID_VIEW_STATUS_BAR)->trigger();
  Frame()->UpdateCommandUI();
  EXPECT_TRUE(Frame()->m_wndStatusBar.isHidden());
  EXPECT_FALSE(Action(res::ID_VIEW_STATUS_BAR)->isChecked());
  Action(res::ID_VIEW_TOOLBAR)->trigger();
  Frame()->UpdateCommandUI();
  EXPECT_FALSE(bar.isHidden());
  EXPECT_TRUE(Action(res::ID_VIEW_TOOLBAR)->isChecked());
}

TEST_F(CommandsTest, UnhandledCommandsKeepTheirMenuItemButGreyTheirButton) {
  // A command whose handler is not among the tables (none for this id yet
  // when no class takes it) stays enabled in the menu.
  const unsigned unhandled = 40000;
  QAction* action = Action(unhandled);
  Frame()->UpdateCommandUI();
  EXPECT_TRUE(action->isEnabled());
  m_handled.clear();
  action->trigger();
  EXPECT_TRUE(m_handled.empty());
  // About is handled: its button is enabled.
  EXPECT_TRUE(Frame()->m_wndToolBar.GetButton(16)->isEnabled());
}

TEST_F(CommandsTest, F6AndShiftF6MoveFocusBetweenPanes) {
  Activate(0);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
  EXPECT_EQ(QApplication::focusWidget(), Result());
  EXPECT_EQ(Frame()->GetActiveView(), Result());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
  EXPECT_EQ(QApplication::focusWidget(), Input());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), Result());
  // A click makes a pane active too.
  QTest::mouseClick(Input()->viewport(), Qt::LeftButton);
  EXPECT_EQ(Frame()->GetActiveView(), Input());
}

TEST_F(CommandsTest, PromptsAndTooltips) {
  fw::CStatusBar& status = Frame()->m_wndStatusBar;
  EXPECT_EQ(status.GetPaneText(0), "就绪");
  fw::CToolBarButton* en2zh = Frame()->m_wndToolBar.GetButton(11);
  EXPECT_EQ(en2zh->toolTip(), "英译汉");
  EXPECT_EQ(Frame()->m_wndToolBar.GetButton(12)->toolTip(), "汉译英");
  EXPECT_EQ(Frame()->m_wndToolBar.GetButton(0)->toolTip(), "新建");
  QEvent enter(QEvent::Enter);
  QCoreApplication::sendEvent(Frame()->m_wndToolBar.GetButton(1), &enter);
  EXPECT_EQ(status.GetPaneText(0), "打开一个现有文档");
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(Frame()->m_wndToolBar.GetButton(1), &leave);
  EXPECT_EQ(status.GetPaneText(0), "就绪");

  QMenu* help = Frame()->menuBar()->actions().value(5)->menu();
  emit help->hovered(Action(res::ID_APP_ABOUT));
  EXPECT_EQ(status.GetPaneText(0), "显示程序信息，版本号和版权");
  emit help->hovered(Action(res::ID_HELP_TOPICS));
  EXPECT_EQ(status.GetPaneText(0), "");
  emit help->aboutToHide();
  EXPECT_EQ(status.GetPaneText(0), "就绪");
}

TEST_F(CommandsTest, HelpTopicsOpensTheHelpFileFromTheCurrentFolderOrStaysSilent) {
  testing_support::UrlRecorder recorder("file");
  testing_support::MessageBoxWatcher boxes;
  Action(res::ID_HELP_TOPICS)->trigger();
  EXPECT_TRUE(recorder.urls.isEmpty());
  WriteFileBytes(m_cwd->file("lexiphon.chm"), "ITSF");
  Action(res::ID_HELP_TOPICS)->trigger();
  ASSERT_EQ(recorder.urls.size(), 1);
  EXPECT_EQ(recorder.urls[0].toLocalFile(), m_cwd->file("lexiphon.chm"));
  EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST_F(CommandsTest, ExitClosesThroughTheSameCloseHandler) {
  Input()->SetWindowTextBytes("kept at exit");
  Action(res::ID_APP_EXIT)->trigger();
  testing_support::ProcessDeferred();
  EXPECT_EQ(app::theApp.GetMainWnd(), nullptr);
  EXPECT_EQ(testing_support::ReadFileBytes(m_cwd->file("last.txt")), "kept at exit");
}

}  // namespace
