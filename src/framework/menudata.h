#pragma once
// The shapes of menu and accelerator resources, as the frame loads them.
#include <Qt>

#include <span>

namespace fw {

struct MenuItemData {
  unsigned nID;      // 0: a separator
  const char* text;  // UTF-8; a tab separates the accelerator hint
};

struct PopupData {
  const char* text;
  std::span<const MenuItemData> items;
};

struct AccelData {
  Qt::KeyboardModifiers modifiers;
  Qt::Key key;
  unsigned nID;
};

}  // namespace fw
