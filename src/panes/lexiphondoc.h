#pragma once
// The one document: its stored form is the input pane's bytes followed by
// the archive string of m_strExtra (always empty, so one 0x00 byte).
#include "framework/document.h"

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
};

}  // namespace panes
