#include "panes/lexiphonview.h"

#include "app/resource.h"
#include "framework/msgbox.h"
#include "panes/lexiphondoc.h"
#include "panes/panefont.h"
#include "panes/textfile.h"

#include <QFile>

namespace panes {

namespace {
const char kLastText[] = "last.txt";
}

CLexiphonView::CLexiphonView() : m_font(CreatePaneFont()) {}
CLexiphonView::~CLexiphonView() = default;

CLexiphonDoc* CLexiphonView::GetDocument() const { return static_cast<CLexiphonDoc*>(fw::CEditView::GetDocument()); }

bool CLexiphonView::PreCreateWindow(fw::CREATESTRUCT& cs) { return PanePreCreateWindow(*this, cs); }

void CLexiphonView::OnInitialUpdate() {
  fw::CEditView::OnInitialUpdate();
  SetPaneFont(m_font);
  // After a document was opened its text is in the pane; only a new
  // document gets the autosaved text.
  if (!GetDocument() || GetDocument()->GetPathName().isEmpty()) LoadLastText();
}

void CLexiphonView::LoadLastText() {
  const QString path = QString::fromLatin1(kLastText);
  std::string text;
  fw::FileResult r = ReadTextFile(path, text, kMaxTextBytes);
  if (r.error == fw::FileError::fileNotFound) {
    QFile create(path);
    if (create.open(QIODevice::WriteOnly | QIODevice::NewOnly)) create.close();
    r = {};
    text.clear();
  }
  if (!r.ok()) {
    // The pane keeps what it has rather than losing it to a failed read.
    fw::AfxMessageBox(fw::FileErrorMessage(r.error, path));
    return;
  }
  SetWindowTextBytes(text);
}

bool CLexiphonView::OnOwnCmdMsg(unsigned nID, fw::CCmdUI* pCmdUI) {
  static const fw::CmdEntry<CLexiphonView> table[] = {
      {res::ID_FILE_NEW, &CLexiphonView::LoadLastText, nullptr},
  };
  if (fw::DispatchCmdMsg(this, table, nID, pCmdUI)) return true;
  return fw::CEditView::OnOwnCmdMsg(nID, pCmdUI);
}

}  // namespace panes
