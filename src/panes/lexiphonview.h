#pragma once
// The input pane (left): what the user types, loads, speaks and translates.
#include "framework/editview.h"

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
  // creating an empty one when there is none.
  void LoadLastText();
  // Loads a text file chosen in the open dialog into the pane.
  void OnFileOpen();
  // Writes the pane's bytes to a file chosen in the save dialog.
  void OnFileSaveAs();

  // Reads a text file into the pane; on failure says why and leaves the pane.
  bool ReadTextIntoPane(const QString& path);

  QFont m_font;

 protected:
  bool OnOwnCmdMsg(unsigned nID, fw::CCmdUI* pCmdUI) override;
  // The edit menu, then the frame's Speak Selection.
  void contextMenuEvent(QContextMenuEvent* e) override;
};

}  // namespace panes
