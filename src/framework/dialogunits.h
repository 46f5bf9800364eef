#pragma once
// Dialog templates are laid out in dialog units: a quarter of the dialog
// font's average character width across, an eighth of its height down.
#include <QFont>
#include <QRect>

namespace fw {

struct DialogBaseUnits {
  double cx = 0;  // average character width in pixels
  double cy = 0;  // character height in pixels
};

DialogBaseUnits BaseUnitsFor(const QFont& font);
QRect MapDialogRect(const DialogBaseUnits& units, const QRect& dlu);

// The dialog templates' font: `points` of 宋体, or the closest installed CJK
// face when that one is missing.
QFont DialogFont(int points);

// The first installed face of 宋体 / SimSun, else a CJK serif or sans face,
// else the application font's family.
QString ChineseFontFamily();

}  // namespace fw
