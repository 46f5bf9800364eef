#include "panes/lexiphondoc.h"

#include "framework/editview.h"
#include "framework/fileio.h"

namespace panes {

CLexiphonDoc::CLexiphonDoc() = default;
CLexiphonDoc::~CLexiphonDoc() = default;

bool CLexiphonDoc::OnNewDocument() {
  if (!CDocument::OnNewDocument()) return false;
  // Undoable, with the reload of last.txt that follows as the same step.
  if (fw::CEditView* input = GetFirstView()) input->ReplaceWindowTextBytes({});
  return true;
}

void CLexiphonDoc::Serialize(fw::CArchive& ar) {
  fw::CEditView* input = GetFirstView();
  if (ar.IsStoring()) {
    ar.Write(input ? input->GetWindowTextBytes() : std::string());
    ar.WriteString(m_strExtra);
    return;
  }
  // Loading reads back what storing writes: the text, then the empty extra
  // string's single 0x00 byte when it is there. Anything else the file holds
  // is text.
  std::string_view bytes = ar.Remaining();
  if (!bytes.empty() && bytes.back() == '\0') bytes.remove_suffix(1);
  if (bytes.size() > fw::CEditView::kMaxLoadBytes) throw fw::CFileException{fw::FileError::tooLarge};
  if (input) input->ReplaceWindowTextBytes(bytes);
  ar.Skip(ar.Remaining().size());
}

bool CLexiphonDoc::SaveModified() {
  // Closing, New and Open never ask: the input pane is kept in last.txt.
  return true;
}

}  // namespace panes
