#pragma once
// The one document: its stored form is the input pane's bytes followed by
// the archive string of m_strExtra (always empty, so one 0x00 byte). A file
// without that byte is a text file from elsewhere and stays one.
#include "framework/document.h"
#include "panes/textfile.h"

#include <string>

namespace panes {

class CLexiphonDoc : public fw::CDocument {
 public:
  CLexiphonDoc();
  ~CLexiphonDoc() override;

  bool OnNewDocument() override;
  void Serialize(fw::CArchive& ar) override;
  bool SaveModified() override;

  std::string m_strExtra;
  // False for a plain text file opened as a document: storing writes it back
  // as text, in the format it came in, without the archive string.
  bool m_bStoredForm = true;
  TextFormat m_textFormat;
};

}  // namespace panes
