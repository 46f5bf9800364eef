#include "panes/lexiphonview.h"

#include "res/resource.h"
#include "framework/framewnd.h"
#include "framework/msgbox.h"
#include "panes/lexiphondoc.h"
#include "panes/panefont.h"
#include "panes/textfile.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QMenu>

#include <memory>

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

bool CLexiphonView::ReadTextIntoPane(const QString& path) {
  std::string text;
  const fw::FileResult r = ReadTextFile(path, text, kMaxTextBytes);
  if (!r.ok()) {
    // The pane keeps what it has rather than losing it to a failed read, and
    // a text too long to edit is not loaded at all.
    fw::AfxMessageBox(fw::FileErrorMessage(r.error, path));
    return false;
  }
  SetWindowTextBytes(text);
  return true;
}

void CLexiphonView::LoadLastText() {
  const QString path = QString::fromLatin1(kLastText);
  if (!QFile::exists(path)) {
    // A first start: an empty autosave file and an empty pane. Where it
    // cannot be created the close will say so.
    QFile create(path);
    if (create.open(QIODevice::WriteOnly | QIODevice::NewOnly)) create.close();
    SetWindowTextBytes({});
    return;
  }
  ReadTextIntoPane(path);
}

void CLexiphonView::OnFileOpen() {
  QFileDialog dlg(this, QStringLiteral("打开"));
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setFileMode(QFileDialog::ExistingFile);
  const QString filter = QStringLiteral("文本文件   (*.txt)");
  dlg.setNameFilter(filter);
  // The dialog folds runs of spaces in a filter; show the text as it is.
  if (auto* types = dlg.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) types->setItemText(0, filter);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  ReadTextIntoPane(dlg.selectedFiles().constFirst());
}

void CLexiphonView::OnFileSaveAs() {
  QFileDialog dlg(this, QStringLiteral("另存为"));
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  dlg.setNameFilter(QStringLiteral("文本文件 (*.txt)"));
  dlg.setDefaultSuffix(QStringLiteral("txt"));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  const QString path = dlg.selectedFiles().constFirst();
  // The pane's bytes exactly, replacing the whole file in one step.
  const fw::FileResult r = fw::WriteFileAtomic(path, GetWindowTextBytes());
  if (!r.ok()) fw::AfxMessageBox(fw::FileErrorMessage(r.error, path));
}

bool CLexiphonView::OnOwnCmdMsg(unsigned nID, fw::CCmdUI* pCmdUI) {
  static const fw::CmdEntry<CLexiphonView> table[] = {
      {res::ID_FILE_NEW, &CLexiphonView::LoadLastText, nullptr},
      {res::ID_FILE_OPEN, &CLexiphonView::OnFileOpen, nullptr},
      {res::ID_FILE_SAVE_AS, &CLexiphonView::OnFileSaveAs, nullptr},
  };
  if (fw::DispatchCmdMsg(this, table, nID, pCmdUI)) return true;
  return fw::CEditView::OnOwnCmdMsg(nID, pCmdUI);
}

void CLexiphonView::contextMenuEvent(QContextMenuEvent* e) {
  std::unique_ptr<QMenu> menu(createStandardContextMenu(e->pos()));
  fw::CFrameWnd* frame = GetParentFrame();
  if (QAction* speak = frame ? frame->GetCommandAction(res::ID_SPEECH_SPEAK_SELECTION) : nullptr) {
    // The menu opens before the idle update would run.
    speak->setEnabled(textCursor().hasSelection());
    menu->addSeparator();
    menu->addAction(speak);
  }
  menu->exec(e->globalPos());
}

}  // namespace panes
