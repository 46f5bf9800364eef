#pragma once
// The single-document template: binds the document, frame and view classes
// and runs the framework's New and Open on the one document.
#include <QString>

#include <functional>
#include <memory>

namespace fw {

class CDocument;
class CEditView;
class CFrameWnd;

class CDocTemplate {
 public:
  using DocFactory = std::function<CDocument*()>;
  using FrameFactory = std::function<CFrameWnd*()>;
  using ViewFactory = std::function<CEditView*()>;

  CDocTemplate(unsigned nIDResource, DocFactory doc, FrameFactory frame, ViewFactory view);
  ~CDocTemplate();
  CDocTemplate(const CDocTemplate&) = delete;
  CDocTemplate& operator=(const CDocTemplate&) = delete;

  // path empty: New. Returns the document, or null after the failure was
  // reported. A new frame is made visible only when bMakeVisible.
  CDocument* OpenDocumentFile(const QString& path, bool bMakeVisible = true);

  // Field n of the template string ("Lexiphon\n\nLexiph\n...").
  QString GetDocString(int index) const;
  CDocument* GetOnlyDocument() const { return m_pOnlyDoc.get(); }
  CFrameWnd* GetFrame() const { return m_pFrame; }

  void OnFrameDestroyed(CFrameWnd* pFrame);

 private:
  CFrameWnd* CreateNewFrame(CDocument* pDoc);
  void SetDefaultTitle(CDocument* pDoc);

  unsigned m_nIDResource;
  DocFactory m_docFactory;
  FrameFactory m_frameFactory;
  ViewFactory m_viewFactory;
  std::unique_ptr<CDocument> m_pOnlyDoc;
  CFrameWnd* m_pFrame = nullptr;
};

}  // namespace fw
