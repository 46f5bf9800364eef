#pragma once
// The framework's document: path name, title, modified flag and views, with
// the new/open/save steps the framework runs on it.
#include "framework/archive.h"
#include "framework/cmdtarget.h"

#include <QString>

#include <vector>

class QWidget;

namespace fw {

class CEditView;
class CDocTemplate;

class CDocument : public CCmdTarget {
 public:
  CDocument();
  ~CDocument() override;
  CDocument(const CDocument&) = delete;
  CDocument& operator=(const CDocument&) = delete;

  // Framework steps a document class may extend.
  virtual bool OnNewDocument();                      // clears path and modified flag
  virtual bool OnOpenDocument(const QString& path);  // loads the file through Serialize
  virtual bool OnSaveDocument(const QString& path);  // stores through Serialize
  virtual void Serialize(CArchive& ar) = 0;
  virtual bool SaveModified();  // asks before the document is dropped
  virtual void DeleteContents() {}

  // Save (no path yet: ask for one) and Save As (always ask).
  bool DoFileSave();
  bool DoSave(const QString& path, bool bReplace = true);

  bool IsModified() const { return m_bModified; }
  void SetModifiedFlag(bool bModified = true) { m_bModified = bModified; }
  const QString& GetPathName() const { return m_strPathName; }
  void SetPathName(const QString& path, bool bAddToMRU = true);
  const QString& GetTitle() const { return m_strTitle; }
  void SetTitle(const QString& title) { m_strTitle = title; }

  void AddView(CEditView* pView);
  void RemoveView(CEditView* pView);
  const std::vector<CEditView*>& GetViews() const { return m_views; }
  CEditView* GetFirstView() const { return m_views.empty() ? nullptr : m_views.front(); }

  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
  void SetDocTemplate(CDocTemplate* pTemplate) { m_pDocTemplate = pTemplate; }

  bool OnCmdMsg(unsigned nID, CCmdUI* pCmdUI) override;

  // The file name the save dialog asks for, or an empty string on Cancel.
  static QString PromptForSaveName(QWidget* parent, const QString& proposed);

 protected:
  virtual bool OnOwnCmdMsg(unsigned nID, CCmdUI* pCmdUI);

 private:
  void OnFileSave();
  void OnFileSaveAs();

  QString m_strPathName;
  QString m_strTitle;
  bool m_bModified = false;
  std::vector<CEditView*> m_views;
  CDocTemplate* m_pDocTemplate = nullptr;
};

}  // namespace fw
