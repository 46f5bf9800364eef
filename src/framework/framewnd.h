#pragma once
// The framework's frame window: creation steps, the active view, command
// routing (active view, its document, the frame, the application), the
// command actions shared by menu, toolbar and keys, and their update pass.
#include "framework/cmdtarget.h"
#include "framework/editview.h"
#include "framework/menudata.h"
#include "framework/winstyles.h"

#include <QMainWindow>
#include <QPointer>

#include <map>

class QAction;

namespace fw {

class CDocument;
class CDocTemplate;
struct CCreateContext;

class CFrameWnd : public QMainWindow, public CCmdTarget {
  Q_OBJECT
 public:
  CFrameWnd();
  ~CFrameWnd() override;

  // Runs PreCreateWindow, then OnCreate (which creates the client area).
  bool LoadFrame(unsigned nIDResource, std::uint32_t dwDefaultStyle, CCreateContext* pContext);
  std::uint32_t GetStyle() const { return m_dwStyle; }

  CEditView* GetActiveView() const { return m_pActiveView; }
  void SetActiveView(CEditView* pView, bool bNotify = true);
  CDocument* GetActiveDocument() const;

  // Runs each view's initial update; shows the frame when asked.
  void InitialUpdateFrame(CDocument* pDoc, bool bMakeVisible);

  // Routes a command (pCmdUI null) or its update query.
  bool OnCmdMsg(unsigned nID, CCmdUI* pCmdUI) override;
  bool SendCommand(unsigned nID) { return OnCmdMsg(nID, nullptr); }

  // The menu bar from a menu resource, and the keys of an accelerator table;
  // both use the one action of each command.
  void LoadMenu(std::span<const PopupData> popups);
  void LoadAccelTable(std::span<const AccelData> accels);
  bool IsAcceleratorKey(QKeyCombination key) const;

  // The one action of a command id, created on first use.
  QAction* GetCommandAction(unsigned nID);
  const std::map<unsigned, QAction*>& CommandActions() const { return m_actions; }
  // Enables, greys and checks every command's action and toolbar button.
  void UpdateCommandUI();
  void RequestIdleUpdate();

  // The status bar's message pane: the prompt of a command, -1 for idle.
  virtual void ShowCommandPrompt(int nID);

  virtual void DestroyWindow();
  bool IsDestroying() const { return m_bDestroying; }

 protected:
  virtual bool PreCreateWindow(CREATESTRUCT& cs);
  virtual int OnCreate(CREATESTRUCT& cs);
  virtual bool OnCreateClient(CREATESTRUCT& cs, CCreateContext* pContext);
  virtual void OnSize(unsigned nType, int cx, int cy);
  virtual void OnClose();
  virtual bool OnOwnCmdMsg(unsigned nID, CCmdUI* pCmdUI);
  // Sets up a new command action (text, icon, keys); the frame's class knows
  // its command table.
  virtual void InitCommandAction(QAction* action, unsigned nID);

  bool event(QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

  CDocument* m_pDocument = nullptr;
  CDocTemplate* m_pDocTemplate = nullptr;  // told when the frame goes
  bool m_bAutoMenuEnable = true;

 private:
  std::uint32_t m_dwStyle = 0;
  CCreateContext* m_pCreateContext = nullptr;
  QPointer<CEditView> m_pActiveView;
  void OnViewToolbar();
  void OnViewStatusBar();
  void OnUpdateViewToolbar(CCmdUI* pCmdUI);
  void OnUpdateViewStatusBar(CCmdUI* pCmdUI);
  QWidget* ControlBar(unsigned nID) const;

  std::map<unsigned, QAction*> m_actions;
  std::vector<QKeyCombination> m_accelKeys;
  bool m_bIdlePending = false;
  bool m_bDestroying = false;
};

constexpr unsigned SIZE_RESTORED = 0;
constexpr unsigned SIZE_MINIMIZED = 1;
constexpr unsigned SIZE_MAXIMIZED = 2;

}  // namespace fw
