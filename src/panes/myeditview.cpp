#include "panes/myeditview.h"

#include "panes/panefont.h"

namespace panes {

CMyEditView::CMyEditView() : m_font(CreatePaneFont()) {}
CMyEditView::~CMyEditView() = default;

bool CMyEditView::PreCreateWindow(fw::CREATESTRUCT& cs) { return PanePreCreateWindow(*this, cs); }

void CMyEditView::OnInitialUpdate() {
  fw::CEditView::OnInitialUpdate();
  SetPaneFont(m_font);
}

}  // namespace panes
