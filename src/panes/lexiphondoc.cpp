#include "panes/lexiphondoc.h"

#include "framework/editview.h"
#include "framework/fileio.h"
#include "panes/lexiphonview.h"

namespace panes {

CLexiphonDoc::CLexiphonDoc() = default;
CLexiphonDoc::~CLexiphonDoc() = default;

bool CLexiphonDoc::OnNewDocument() {
  if (!CDocument::OnNewDocument()) return false;
  m_bStoredForm = true;
  m_textFormat = {};
  // Undoable, with the reload of last.txt that follows as the same step.
  if (fw::CEditView* input = GetFirstView()) input->ReplaceWindowTextBytes({});
  return true;
}

void CLexiphonDoc::Serialize(fw::CArchive& ar) {
  fw::CEditView* input = GetFirstView();
  if (ar.IsStoring()) {
    const std::string text = input ? input->GetWindowTextBytes() : std::string();
    if (!m_bStoredForm) {
      // No 0x00 added and no mixed line ends: grep and editors still see a
      // text file.
      ar.Write(PaneToFile(text, m_textFormat));
      return;
    }
    ar.Write(text);
    ar.WriteString(m_strExtra);
    return;
  }
  // Loading reads back what storing writes: the text, then the empty extra
  // string's single 0x00 byte. Without that byte the file is plain text.
  std::string_view bytes = ar.Remaining();
  const bool stored = !bytes.empty() && bytes.back() == '\0';
  TextFormat format;
  std::string text;
  if (stored) {
    bytes.remove_suffix(1);
    text = bytes;
  } else {
    format = DetectTextFormat(bytes);
    text = FileToPane(bytes, format);
  }
  ar.Skip(ar.Remaining().size());
  // A refused file changes nothing, the form it would be stored in neither.
  if (text.size() > fw::CEditView::kMaxLoadBytes) throw fw::CFileException{fw::FileError::tooLarge};
  m_bStoredForm = stored;
  m_textFormat = format;
  if (input) input->ReplaceWindowTextBytes(text);
  // Save As from the pane then writes the file's own encoding back too.
  if (auto* view = dynamic_cast<CLexiphonView*>(input)) view->SetTextFormat(m_textFormat);
}

bool CLexiphonDoc::SaveModified() {
  // Closing, New and Open never ask: the input pane is kept in last.txt.
  return true;
}

}  // namespace panes
