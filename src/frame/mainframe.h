#pragma once
// The program's one top-level window: toolbar, status bar and a splitter of
// two even panes, the input view (row 0, column 0) and the result view
// (row 0, column 1).
#include "frame/livesplitter.h"
#include "framework/bars.h"
#include "framework/framewnd.h"

namespace panes {
class CLexiphonView;
class CMyEditView;
}  // namespace panes

namespace speech {
class CSpObjectToken;
}

namespace frame {

class CTranslateWaitDialog;

class CMainFrame : public fw::CFrameWnd {
  Q_OBJECT
 public:
  CMainFrame();
  ~CMainFrame() override;

  CTranslateWaitDialog* m_pWaitDialog = nullptr;
  int m_nRate = 0;
  speech::CSpObjectToken* m_pVoiceToken = nullptr;
  fw::CStatusBar m_wndStatusBar;
  fw::CToolBar m_wndToolBar;
  CLiveSplitterWnd m_wndSplitter;
  bool m_bSplitterReady = false;
  bool m_bPaused = false;

  void ShowCommandPrompt(int nID) override;

  // The panes by their splitter address, tested to be of the right class.
  panes::CLexiphonView* Input() const;
  panes::CMyEditView* Result() const;

 protected:
  bool PreCreateWindow(fw::CREATESTRUCT& cs) override;
  int OnCreate(fw::CREATESTRUCT& cs) override;
  bool OnCreateClient(fw::CREATESTRUCT& cs, fw::CCreateContext* pContext) override;
  void OnSize(unsigned nType, int cx, int cy) override;
  void InitCommandAction(QAction* action, unsigned nID) override;
  bool OnOwnCmdMsg(unsigned nID, fw::CCmdUI* pCmdUI) override;
  // Keeps the input pane in last.txt, then closes.
  void OnClose() override;

  void OnHelpTopics();

 private:
  // Both columns at half the client width, at least 100 pixels each.
  void EvenColumns();
};

}  // namespace frame
