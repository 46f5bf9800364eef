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
#include <QFileInfo>
#include <QMenu>

#include <cerrno>
#include <memory>
#include <sys/stat.h>
#include <utility>

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
  // document gets the autosaved text. A later New joins the document's
  // clearing into one undoable step.
  if (!GetDocument() || GetDocument()->GetPathName().isEmpty()) LoadLastTextInto(m_bInitialDone, true);
  m_bInitialDone = true;
}

void CLexiphonView::Report(const QString& text) {
  if (isVisible()) {
    fw::AfxMessageBox(text);
    return;
  }
  if (!m_strDeferredMessage.isEmpty()) m_strDeferredMessage += QStringLiteral("\n\n");
  m_strDeferredMessage += text;
}

void CLexiphonView::ShowDeferredMessage() {
  if (m_strDeferredMessage.isEmpty()) return;
  const QString text = std::exchange(m_strDeferredMessage, QString());
  fw::AfxMessageBox(text);
}

bool CLexiphonView::ReadTextIntoPane(const QString& path) {
  std::string text;
  TextFormat format;
  const fw::FileResult r = ReadTextFile(path, text, kMaxLoadBytes, &format);
  if (!r.ok()) {
    // The pane keeps what it has rather than losing it to a failed read.
    Report(fw::FileErrorMessage(r.error, path));
    return false;
  }
  ReplaceWindowTextBytes(text);
  m_format = format;
  return true;
}

void CLexiphonView::LoadLastText() { LoadLastTextInto(true, false); }

void CLexiphonView::LoadLastTextInto(bool bUndoable, bool bJoinPrevious) {
  const QString path = QString::fromLatin1(kLastText);
  const auto put = [&](std::string_view bytes) {
    if (bUndoable)
      ReplaceWindowTextBytes(bytes, bJoinPrevious);
    else
      SetWindowTextBytes(bytes);
  };
  struct stat st {};
  if (::lstat(kLastText, &st) != 0 && errno == ENOENT) {
    // A first start: an empty autosave file and an empty pane. Where it
    // cannot be created the close will say so.
    QFile create(path);
    if (create.open(QIODevice::WriteOnly | QIODevice::NewOnly)) create.close();
    m_bLastTextKept = false;
    put({});
    return;
  }
  std::string text;
  const fw::FileResult r = ReadTextFile(path, text, kMaxLoadBytes);
  if (!r.ok()) {
    // Whatever is there stays there: the close will not write over it.
    m_bLastTextKept = true;
    const QString full = QFileInfo(path).absoluteFilePath();
    Report(QStringLiteral("无法载入上次的文字 %1：\n%2\n\n关闭程序时不会改写这个文件。")
               .arg(full, fw::FileErrorMessage(r.error, path)));
    return;
  }
  m_bLastTextKept = false;
  m_format = {};
  put(text);
}

void CLexiphonView::OnFileOpen() {
  QFileDialog dlg(this, QStringLiteral("打开"));
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setFileMode(QFileDialog::ExistingFile);
  const QString filter = QStringLiteral("文本文件   (*.txt)");
  dlg.setNameFilter(filter);
  // The dialog folds runs of spaces in a filter; show the text as it is.
  if (auto* types = dlg.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) types->setItemText(0, filter);
  fw::StartInLastFolder(dlg);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  fw::RememberLastFolder(dlg.selectedFiles().constFirst());
  ReadTextIntoPane(dlg.selectedFiles().constFirst());
}

void CLexiphonView::OnFileSaveAs() {
  QFileDialog dlg(this, QStringLiteral("另存为"));
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  dlg.setNameFilter(QStringLiteral("文本文件 (*.txt)"));
  dlg.setDefaultSuffix(QStringLiteral("txt"));
  // A file opened in another encoding goes back in it; say which.
  dlg.setLabelText(QFileDialog::FileType, QStringLiteral("保存类型（编码 %1）：").arg(EncodingName(m_format.encoding)));
  fw::StartInLastFolder(dlg);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  const QString path = dlg.selectedFiles().constFirst();
  fw::RememberLastFolder(path);
  // The pane's bytes, in the file's own encoding and line ends, replacing
  // the whole file in one step.
  const fw::FileResult r = fw::WriteFileAtomic(path, PaneToFile(GetWindowTextBytes(), m_format));
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
