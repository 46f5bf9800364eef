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

  QFont m_font;

 protected:
  bool OnOwnCmdMsg(unsigned nID, fw::CCmdUI* pCmdUI) override;
};

}  // namespace panes
