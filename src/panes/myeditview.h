#pragma once
// The result pane (right): translations appear here. It is editable like the
// input pane but takes part in no file command.
#include "framework/editview.h"

#include <QFont>

namespace panes {

class CMyEditView : public fw::CEditView {
  Q_OBJECT
 public:
  CMyEditView();
  ~CMyEditView() override;

  bool PreCreateWindow(fw::CREATESTRUCT& cs) override;
  void OnInitialUpdate() override;

  QFont m_font;
};

}  // namespace panes
