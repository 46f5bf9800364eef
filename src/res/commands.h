#pragma once
// The command vocabulary as data: menu 128, accelerator table 128 and each
// command's toolbar image. Toolbar 128's slots are in resource.h.
#include "framework/menudata.h"

#include <QString>

namespace res {

using fw::AccelData;
using fw::MenuItemData;
using fw::PopupData;

std::span<const PopupData> MainMenu();
std::span<const AccelData> MainAccelerators();

// The resource path of a command's toolbar image, or empty.
QString CommandIconPath(unsigned nID);

}  // namespace res
