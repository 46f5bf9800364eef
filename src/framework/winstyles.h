#pragma once
// Window style bits the framework's create steps pass around. Only the bits
// that change what a window does here are interpreted (see CEditView).
#include <cstdint>

namespace fw {

constexpr std::uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr std::uint32_t WS_CHILD = 0x40000000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_BORDER = 0x00800000;
constexpr std::uint32_t WS_VSCROLL = 0x00200000;
constexpr std::uint32_t WS_HSCROLL = 0x00100000;
constexpr std::uint32_t ES_MULTILINE = 0x0004;
constexpr std::uint32_t ES_AUTOVSCROLL = 0x0040;
constexpr std::uint32_t ES_AUTOHSCROLL = 0x0080;
constexpr std::uint32_t ES_NOHIDESEL = 0x0100;
constexpr std::uint32_t FWS_ADDTOTITLE = 0x00008000;

// The edit view's default style: child, visible, border, both scroll bars,
// auto-scrolling both ways, multi-line, selection kept when unfocused.
constexpr std::uint32_t kEditViewDefaultStyle = 0x50B001C4;

struct CREATESTRUCT {
  std::uint32_t style = 0;
  int cx = 0;
  int cy = 0;
};

}  // namespace fw
