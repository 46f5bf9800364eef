#pragma once
// What each command looks like wherever it appears: its toolbar image.
#include <QString>

namespace res {

// The resource path of a command's toolbar image, or empty.
QString CommandIconPath(unsigned nID);

}  // namespace res
