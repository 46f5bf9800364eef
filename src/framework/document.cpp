#include "framework/document.h"

#include "framework/afxres.h"
#include "framework/afxstrings.h"
#include "framework/editview.h"
#include "framework/fileio.h"
#include "framework/msgbox.h"
#include "framework/winapp.h"

#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>

namespace fw {

CDocument::CDocument() = default;

CDocument::~CDocument() {
  for (CEditView* v : m_views) v->m_pDocument = nullptr;
}

bool CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.clear();
  SetModifiedFlag(false);
  return true;
}

bool CDocument::OnOpenDocument(const QString& path) {
  std::string bytes;
  // The document decides what it accepts; this only keeps a stray huge file
  // from being read into memory.
  constexpr std::size_t kReadCap = 64u << 20;
  const FileResult r = ReadWholeFile(path, bytes, kReadCap);
  if (!r.ok()) {
    AfxMessageBox(FileErrorMessage(r.error, path));
    return false;
  }
  DeleteContents();
  CArchive ar(CArchive::load, std::move(bytes));
  try {
    Serialize(ar);
  } catch (const CArchiveException&) {
    AfxMessageBox(LoadString(AFX_IDP_FAILED_TO_OPEN_DOC));
    return false;
  } catch (const CFileException& failure) {
    AfxMessageBox(FileErrorMessage(failure.m_cause, path));
    return false;
  }
  SetModifiedFlag(false);
  return true;
}

bool CDocument::OnSaveDocument(const QString& path) {
  CArchive ar(CArchive::store);
  Serialize(ar);
  const FileResult r = WriteFileAtomic(path, ar.Buffer());
  if (!r.ok()) {
    AfxMessageBox(FileErrorMessage(r.error, path));
    return false;
  }
  SetModifiedFlag(false);
  return true;
}

bool CDocument::SaveModified() { return true; }

QString CDocument::PromptForSaveName(QWidget* parent, const QString& proposed) {
  QFileDialog dlg(parent, LoadString(AFX_IDS_SAVEFILE));
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  SetAllFilesFilter(dlg);
  StartInLastFolder(dlg);
  dlg.selectFile(proposed);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  RememberLastFolder(dlg.selectedFiles().constFirst());
  return dlg.selectedFiles().constFirst();
}

bool CDocument::DoSave(const QString& path, bool bReplace) {
  QString target = path;
  if (target.isEmpty()) {
    QWidget* owner = AfxGetApp() ? AfxGetApp()->GetMainWnd() : nullptr;
    target = PromptForSaveName(owner, m_strPathName.isEmpty() ? m_strTitle : m_strPathName);
    if (target.isEmpty()) return false;
  }
  if (!OnSaveDocument(target)) return false;
  if (bReplace) SetPathName(target);
  return true;
}

bool CDocument::DoFileSave() {
  const QFileInfo info(m_strPathName);
  if (m_strPathName.isEmpty() || (info.exists() && !info.isWritable())) return DoSave(QString());
  return DoSave(m_strPathName);
}

void CDocument::SetPathName(const QString& path, bool bAddToMRU) {
  m_strPathName = QFileInfo(path).absoluteFilePath();
  m_strTitle = QFileInfo(path).fileName();
  if (bAddToMRU && AfxGetApp()) AfxGetApp()->AddToRecentFileList(m_strPathName);
}

void CDocument::AddView(CEditView* pView) {
  m_views.push_back(pView);
  pView->m_pDocument = this;
}

void CDocument::RemoveView(CEditView* pView) {
  m_views.erase(std::remove(m_views.begin(), m_views.end(), pView), m_views.end());
  pView->m_pDocument = nullptr;
}

void CDocument::OnFileSave() { DoFileSave(); }
void CDocument::OnFileSaveAs() { DoSave(QString()); }

bool CDocument::OnOwnCmdMsg(unsigned nID, CCmdUI* pCmdUI) {
  static const CmdEntry<CDocument> table[] = {
      {ID_FILE_SAVE, &CDocument::OnFileSave, nullptr},
      {ID_FILE_SAVE_AS, &CDocument::OnFileSaveAs, nullptr},
  };
  return DispatchCmdMsg(this, table, nID, pCmdUI);
}

bool CDocument::OnCmdMsg(unsigned nID, CCmdUI* pCmdUI) { return OnOwnCmdMsg(nID, pCmdUI); }

}  // namespace fw
