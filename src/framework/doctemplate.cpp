#include "framework/doctemplate.h"

#include "framework/afxres.h"
#include "framework/afxstrings.h"
#include "framework/document.h"
#include "framework/editview.h"
#include "framework/framewnd.h"
#include "framework/msgbox.h"
#include "framework/splitter.h"
#include "framework/winapp.h"

namespace fw {

CDocTemplate::CDocTemplate(unsigned nIDResource, DocFactory doc, FrameFactory frame, ViewFactory view)
    : m_nIDResource(nIDResource),
      m_docFactory(std::move(doc)),
      m_frameFactory(std::move(frame)),
      m_viewFactory(std::move(view)) {}

CDocTemplate::~CDocTemplate() {
  if (m_pFrame) {
    // Whoever deletes the frame later must not come back here.
    m_pFrame = nullptr;
  }
  m_pOnlyDoc.reset();
}

QString CDocTemplate::GetDocString(int index) const {
  return LoadString(m_nIDResource).split(QLatin1Char('\n')).value(index);
}

void CDocTemplate::SetDefaultTitle(CDocument* pDoc) {
  QString title = GetDocString(1);
  if (title.isEmpty()) title = LoadString(AFX_IDS_UNTITLED);
  pDoc->SetTitle(title);
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc) {
  CCreateContext context;
  context.m_pCurrentDoc = pDoc;
  context.m_pNewViewClass = m_viewFactory;
  CFrameWnd* frame = m_frameFactory();
  if (!frame || !frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, &context)) {
    // The views that were made belong to the frame and go with it.
    delete frame;
    return nullptr;
  }
  return frame;
}

CDocument* CDocTemplate::OpenDocumentFile(const QString& path, bool bMakeVisible) {
  bool bCreated = false;
  CDocument* doc = m_pOnlyDoc.get();
  if (doc) {
    if (!doc->SaveModified()) return nullptr;
  } else {
    m_pOnlyDoc.reset(m_docFactory());
    doc = m_pOnlyDoc.get();
    if (!doc) return nullptr;
    doc->SetDocTemplate(this);
    bCreated = true;
    m_pFrame = CreateNewFrame(doc);
    if (!m_pFrame) {
      m_pOnlyDoc.reset();
      AfxMessageBox(LoadString(AFX_IDP_FAILED_TO_CREATE_DOC));
      return nullptr;
    }
    if (CWinApp* app = AfxGetApp(); app && !app->GetMainWnd()) app->SetMainWnd(m_pFrame);
  }

  const auto dropNewFrame = [&] {
    CFrameWnd* frame = m_pFrame;
    m_pFrame = nullptr;
    if (CWinApp* app = AfxGetApp(); app && app->GetMainWnd() == frame) app->SetMainWnd(nullptr);
    // The frame (and its views) first: they still refer to the document.
    delete frame;
    m_pOnlyDoc.reset();
  };

  if (path.isEmpty()) {
    SetDefaultTitle(doc);
    if (!doc->OnNewDocument()) {
      if (bCreated) dropNewFrame();
      return nullptr;
    }
  } else {
    if (!doc->OnOpenDocument(path)) {
      // The load checks everything before it touches the document, so an
      // open document is left exactly as it was.
      if (bCreated) dropNewFrame();
      return nullptr;
    }
    doc->SetPathName(path);
  }
  m_pFrame->InitialUpdateFrame(doc, bMakeVisible);
  return doc;
}

void CDocTemplate::OnFrameDestroyed(CFrameWnd* pFrame) {
  if (pFrame != m_pFrame) return;
  m_pFrame = nullptr;
  m_pOnlyDoc.reset();
}

}  // namespace fw
