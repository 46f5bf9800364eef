#pragma once
// The framework's edit view: a multi-line text pane attached to a document.
// Its text is bytes in the code page; user edits set the document's modified
// flag, text set by the program does not; typing stops at the byte limit.
#include "framework/cmdtarget.h"
#include "framework/winstyles.h"

#include <QPlainTextEdit>

#include <string>
#include <string_view>

namespace fw {

class CDocument;
class CFrameWnd;
class CSplitterWnd;

class CEditView : public QPlainTextEdit, public CCmdTarget {
  Q_OBJECT
 public:
  static constexpr std::size_t kMaxTextBytes = 0xFFFFF;  // 1,048,575
  // Typing and pasting stop at kMaxTextBytes; the program may put longer
  // text in (as the native control takes any length from it), up to this.
  static constexpr std::size_t kMaxLoadBytes = 64u << 20;

  CEditView();
  ~CEditView() override;

  // Creation: fill in the style, then apply it to the window.
  virtual bool PreCreateWindow(CREATESTRUCT& cs);
  void ApplyStyle(std::uint32_t style);
  std::uint32_t GetStyle() const { return m_dwStyle; }

  // Runs when the frame is first shown and after each document New or Open.
  virtual void OnInitialUpdate() {}

  CDocument* GetDocument() const { return m_pDocument; }
  CFrameWnd* GetParentFrame() const;
  CSplitterWnd* GetParentSplitter() const;

  // The whole text as bytes, and replacing it from the program: no change
  // notification, the modified flag stays, the undo history is cleared.
  std::string GetWindowTextBytes() const;
  void SetWindowTextBytes(std::string_view bytes);
  // The same, as one step the user can undo (Ctrl+Z brings back the text it
  // replaced); bJoinPrevious makes it part of the program's previous step.
  void ReplaceWindowTextBytes(std::string_view bytes, bool bJoinPrevious = false);
  std::size_t GetTextByteLength() const;

  // The font the edit control draws with (the framework's WM_SETFONT).
  void SetPaneFont(const QFont& font);

  bool OnCmdMsg(unsigned nID, CCmdUI* pCmdUI) override;

 signals:
  // A change the user made (typing, cut, paste, undo), not one the program made.
  void UserEdited();

 protected:
  virtual bool OnOwnCmdMsg(unsigned nID, CCmdUI* pCmdUI);

  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void insertFromMimeData(const QMimeData* source) override;
  void focusInEvent(QFocusEvent* e) override;

 private:
  friend class CDocument;

  // Bytes that inserting `text` over the current selection would leave.
  std::size_t BytesAfterInsert(QStringView text) const;
  // The longest leading part of `text` that still fits, on a character boundary.
  QString FitToLimit(const QString& text) const;

  void OnEditUndo();
  void OnEditCut();
  void OnEditCopy();
  void OnEditPaste();
  void OnNextPane();
  void OnPrevPane();
  void OnUpdateEditUndo(CCmdUI* pCmdUI);
  void OnUpdateNeedSel(CCmdUI* pCmdUI);
  void OnUpdateEditPaste(CCmdUI* pCmdUI);

  CDocument* m_pDocument = nullptr;
  std::uint32_t m_dwStyle = 0;
  bool m_bSettingText = false;
};

}  // namespace fw
