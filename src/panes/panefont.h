#pragma once
// What both text panes share: their font and their creation style.
#include "framework/winstyles.h"

#include <QFont>

namespace fw {
class CEditView;
}

namespace panes {

// 16-pixel 宋体 at normal weight, or the installed CJK face closest to it.
QFont CreatePaneFont();

// The edit view's style without the horizontal scroll bar and horizontal
// auto-scrolling: lines wrap at the pane's edge.
constexpr std::uint32_t kPaneStyleMask = 0xFFEFFF7F;
bool PanePreCreateWindow(fw::CEditView& view, fw::CREATESTRUCT& cs);

}  // namespace panes
