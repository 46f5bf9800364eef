#include "framework/editview.h"

#include "framework/afxres.h"
#include "framework/dialogunits.h"
#include "framework/document.h"
#include "framework/framewnd.h"
#include "framework/splitter.h"
#include "text/panebridge.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace fw {

CEditView::CEditView() {
  setTabChangesFocus(false);
  connect(document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
    if (m_bSettingText || !(removed || added)) return;
    if (m_pDocument) m_pDocument->SetModifiedFlag(true);
    emit UserEdited();
  });
}

CEditView::~CEditView() {
  if (m_pDocument) m_pDocument->RemoveView(this);
}

bool CEditView::PreCreateWindow(CREATESTRUCT& cs) {
  cs.style = kEditViewDefaultStyle;
  return true;
}

void CEditView::ApplyStyle(std::uint32_t style) {
  m_dwStyle = style;
  setLineWrapMode((style & ES_AUTOHSCROLL) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setFrameShape((style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
  setVisible((style & WS_VISIBLE) != 0);
}

CFrameWnd* CEditView::GetParentFrame() const {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget())
    if (auto* frame = dynamic_cast<CFrameWnd*>(w)) return frame;
  return nullptr;
}

CSplitterWnd* CEditView::GetParentSplitter() const { return qobject_cast<CSplitterWnd*>(parentWidget()); }

std::string CEditView::GetWindowTextBytes() const { return text::PaneTextToBytes(document()->toRawText()); }

std::size_t CEditView::GetTextByteLength() const { return text::PaneTextByteLength(document()->toRawText()); }

void CEditView::SetWindowTextBytes(std::string_view bytes) {
  m_bSettingText = true;
  setPlainText(text::BytesToPaneText(bytes));
  m_bSettingText = false;
}

void CEditView::ReplaceWindowTextBytes(std::string_view bytes, bool bJoinPrevious) {
  m_bSettingText = true;
  QTextCursor cursor(document());
  if (bJoinPrevious)
    cursor.joinPreviousEditBlock();
  else
    cursor.beginEditBlock();
  cursor.select(QTextCursor::Document);
  cursor.insertText(text::BytesToPaneText(bytes));
  cursor.endEditBlock();
  m_bSettingText = false;
  // Where the framework's control leaves it after new text: at the start.
  QTextCursor start(document());
  setTextCursor(start);
}

void CEditView::SetPaneFont(const QFont& font) {
  m_bSettingText = true;
  setFont(font);
  // Tab stops every 32 dialog units, a dialog unit being a quarter of the
  // Latin average width: a CJK face's own average (its wide glyphs) would
  // double it.
  setTabStopDistance(32.0 * BaseUnitsFor(font).cx / 4.0);
  m_bSettingText = false;
}

std::size_t CEditView::BytesAfterInsert(QStringView add) const {
  // Cheap bound first: no UTF-16 unit takes more than 4 bytes.
  const auto units = static_cast<std::size_t>(document()->characterCount()) + static_cast<std::size_t>(add.size());
  if (4 * units <= kMaxTextBytes) return 4 * units;
  const std::size_t selected = text::PaneTextByteLength(textCursor().selectedText());
  return GetTextByteLength() - selected + text::PaneTextByteLength(add);
}

QString CEditView::FitToLimit(const QString& text) const {
  if (BytesAfterInsert(text) <= kMaxTextBytes) return text;
  const std::size_t used = GetTextByteLength() - text::PaneTextByteLength(textCursor().selectedText());
  std::size_t room = used < kMaxTextBytes ? kMaxTextBytes - used : 0;
  qsizetype end = 0;
  while (end < text.size()) {
    const qsizetype step = (text.at(end).isHighSurrogate() && end + 1 < text.size()) ? 2 : 1;
    const std::size_t need = text::PaneTextByteLength(QStringView(text).mid(end, step));
    if (need > room) break;
    room -= need;
    end += step;
  }
  return text.left(end);
}

bool CEditView::event(QEvent* e) {
  // Keys of the frame's accelerator table are commands, routed like menu
  // items, rather than the text widget's own shortcuts.
  if (e->type() == QEvent::ShortcutOverride) {
    CFrameWnd* frame = GetParentFrame();
    if (frame && frame->IsAcceleratorKey(static_cast<QKeyEvent*>(e)->keyCombination())) {
      e->ignore();
      return true;
    }
  }
  return QPlainTextEdit::event(e);
}

void CEditView::keyPressEvent(QKeyEvent* e) {
  const bool isReturn = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
  if (isReturn && !isReadOnly() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    // A line break is always CR LF, whatever modifier: never a bare LF.
    if (BytesAfterInsert(QString(QChar::ParagraphSeparator)) > kMaxTextBytes) {
      QApplication::beep();
      return;
    }
    textCursor().insertBlock();
    ensureCursorVisible();
    return;
  }
  const QString typed = e->text();
  const bool inserts = !typed.isEmpty() && (typed.at(0).isPrint() || typed.at(0) == QLatin1Char('\t')) &&
                       !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  if (inserts && BytesAfterInsert(typed) > kMaxTextBytes) {
    QApplication::beep();
    return;
  }
  QPlainTextEdit::keyPressEvent(e);
}

void CEditView::inputMethodEvent(QInputMethodEvent* e) {
  if (!e->commitString().isEmpty() && BytesAfterInsert(e->commitString()) > kMaxTextBytes) {
    QInputMethodEvent fitted(e->preeditString(), e->attributes());
    fitted.setCommitString(FitToLimit(e->commitString()), e->replacementStart(), e->replacementLength());
    QApplication::beep();
    QPlainTextEdit::inputMethodEvent(&fitted);
    return;
  }
  QPlainTextEdit::inputMethodEvent(e);
}

void CEditView::insertFromMimeData(const QMimeData* source) {
  if (!source || !source->hasText()) return;
  const QString all = source->text();
  const QString fitted = FitToLimit(all);
  if (fitted.size() != all.size()) QApplication::beep();
  if (!fitted.isEmpty()) textCursor().insertText(fitted);
  ensureCursorVisible();
}

void CEditView::focusInEvent(QFocusEvent* e) {
  QPlainTextEdit::focusInEvent(e);
  if (CFrameWnd* frame = GetParentFrame()) frame->SetActiveView(this, false);
}

void CEditView::OnEditUndo() { undo(); }
void CEditView::OnEditCut() { cut(); }
void CEditView::OnEditCopy() { copy(); }
void CEditView::OnEditPaste() { paste(); }

void CEditView::OnNextPane() {
  if (CSplitterWnd* splitter = GetParentSplitter()) splitter->ActivateNext(false);
}

void CEditView::OnPrevPane() {
  if (CSplitterWnd* splitter = GetParentSplitter()) splitter->ActivateNext(true);
}

void CEditView::OnUpdateEditUndo(CCmdUI* pCmdUI) { pCmdUI->Enable(document()->isUndoAvailable()); }
void CEditView::OnUpdateNeedSel(CCmdUI* pCmdUI) { pCmdUI->Enable(textCursor().hasSelection()); }
void CEditView::OnUpdateEditPaste(CCmdUI* pCmdUI) { pCmdUI->Enable(canPaste()); }

bool CEditView::OnOwnCmdMsg(unsigned nID, CCmdUI* pCmdUI) {
  static const CmdEntry<CEditView> table[] = {
      {ID_EDIT_UNDO, &CEditView::OnEditUndo, &CEditView::OnUpdateEditUndo},
      {ID_EDIT_CUT, &CEditView::OnEditCut, &CEditView::OnUpdateNeedSel},
      {ID_EDIT_COPY, &CEditView::OnEditCopy, &CEditView::OnUpdateNeedSel},
      {ID_EDIT_PASTE, &CEditView::OnEditPaste, &CEditView::OnUpdateEditPaste},
      {ID_NEXT_PANE, &CEditView::OnNextPane, nullptr},
      {ID_PREV_PANE, &CEditView::OnPrevPane, nullptr},
  };
  return DispatchCmdMsg(this, table, nID, pCmdUI);
}

bool CEditView::OnCmdMsg(unsigned nID, CCmdUI* pCmdUI) {
  if (OnOwnCmdMsg(nID, pCmdUI)) return true;
  return m_pDocument && m_pDocument->OnCmdMsg(nID, pCmdUI);
}

}  // namespace fw
