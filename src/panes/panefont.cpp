#include "panes/panefont.h"

#include "framework/dialogunits.h"
#include "framework/editview.h"

namespace panes {

QFont CreatePaneFont() {
  QFont font(fw::ChineseFontFamily());
  // A 16-pixel cell is a 16-pixel em for 宋体, whose cell equals its em;
  // fallback faces keep the same glyph size.
  font.setPixelSize(16);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

bool PanePreCreateWindow(fw::CEditView& view, fw::CREATESTRUCT& cs) {
  const bool ok = view.fw::CEditView::PreCreateWindow(cs);
  cs.style &= kPaneStyleMask;
  return ok;
}

}  // namespace panes
