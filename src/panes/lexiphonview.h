#pragma once
// The input pane (left): what the user types, loads, speaks and translates.
#include "framework/editview.h"
#include "panes/textfile.h"

#include <QFont>

namespace panes {

class CLexiphonDoc;

class CLexiphonView : public fw::CEditView {
  Q_OBJECT
 public:
  CLexiphonView();
  ~CLexiphonView() override;

  CLexiphonDoc* GetDocument() const;

  bool PreCreateWindow(fw::CREATESTRUCT& cs) override;
  void OnInitialUpdate() override;

  // Replaces the pane's text with last.txt from the current directory,
  // creating an empty one when there is none; the New command, undoable.
  void LoadLastText();
  // Loads a text file chosen in the open dialog into the pane.
  void OnFileOpen();
  // Writes the pane's bytes to a file chosen in the save dialog.
  void OnFileSaveAs();

  // How Save As writes the pane back: the encoding and line ends its text
  // came in.
  void SetTextFormat(const TextFormat& format) { m_format = format; }
  const TextFormat& GetTextFormat() const { return m_format; }

  // Reads a text file into the pane; on failure says why and leaves the pane.
  bool ReadTextIntoPane(const QString& path);

  // True while last.txt exists but could not be loaded: the close must not
  // write the pane over it.
  bool IsLastTextKept() const { return m_bLastTextKept; }
  // Shows what start-up could not say before the window was there.
  void ShowDeferredMessage();

  QFont m_font;

 protected:
  bool OnOwnCmdMsg(unsigned nID, fw::CCmdUI* pCmdUI) override;
  // The edit menu, then the frame's Speak Selection.
  void contextMenuEvent(QContextMenuEvent* e) override;

 private:
  void LoadLastTextInto(bool bUndoable, bool bJoinPrevious);
  // A message box now, or once the window is shown.
  void Report(const QString& text);

  // The encoding and line ends the pane's text came in, which Save As
  // writes back.
  TextFormat m_format;
  bool m_bLastTextKept = false;
  bool m_bInitialDone = false;
  QString m_strDeferredMessage;
};

}  // namespace panes
