#pragma once
// The framework's control bars: a toolbar of command buttons whose labels the
// frame sets, and a status bar of a message pane plus indicator panes.
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <functional>
#include <span>
#include <vector>

class QAction;
class QTimer;

namespace fw {

class CFrameWnd;

// A toolbar button bound to a command's action: enabled, checked and tooltip
// follow the action; its label is the toolbar's own.
class CToolBarButton : public QToolButton {
  Q_OBJECT
 public:
  CToolBarButton(QAction* action, QWidget* parent);
  QAction* commandAction() const { return m_pAction; }

 protected:
  bool event(QEvent* e) override;

 private:
  void Sync();
  QAction* m_pAction;
};

class CToolBar : public QToolBar {
  Q_OBJECT
 public:
  CToolBar();

  bool CreateEx(CFrameWnd* pParent, unsigned nID);
  // One button per non-zero id, a separator for each 0; the images come with
  // the actions.
  bool LoadToolBar(std::span<const unsigned> ids, const std::function<QAction*(unsigned)>& actionFor);

  int GetButtonCount() const { return static_cast<int>(m_slots.size()); }
  unsigned GetItemID(int nIndex) const;
  CToolBarButton* GetButton(int nIndex) const;
  bool SetButtonText(int nIndex, const QString& text);
  QString GetButtonText(int nIndex) const;
  QRect GetItemRect(int nIndex) const;
  void SetSizes(QSize sizeButton, QSize sizeImage);

 private:
  struct Slot {
    unsigned nID;
    QWidget* pWidget;  // null for a separator
  };
  std::vector<Slot> m_slots;
  QSize m_sizeButton;
};

// Lock-key states as far as the platform lets a program read them.
struct LockKeyState {
  bool known = false;
  bool caps = false;
  bool num = false;
  bool scroll = false;
};
LockKeyState QueryLockKeys();

class CStatusBar : public QStatusBar {
  Q_OBJECT
 public:
  CStatusBar();

  bool Create(CFrameWnd* pParent, unsigned nID);
  // ID_SEPARATOR (0) makes the stretching message pane; the indicator ids
  // show their string when their lock key is on.
  bool SetIndicators(std::span<const unsigned> ids);

  int GetCount() const { return static_cast<int>(m_panes.size()); }
  unsigned GetItemID(int nIndex) const { return m_ids.at(static_cast<std::size_t>(nIndex)); }
  void SetPaneText(int nIndex, const QString& text);
  QString GetPaneText(int nIndex) const;
  bool IsPaneEnabled(int nIndex) const;

  // Reads the lock keys again (the frame calls it when idle).
  void UpdateIndicators();
  // Tests set a state instead of the platform's.
  static void SetLockKeyQueryForTesting(std::function<LockKeyState()> query);

 private:
  std::vector<unsigned> m_ids;
  std::vector<QLabel*> m_panes;
  QTimer* m_pPollTimer = nullptr;
};

}  // namespace fw
