#include "framework/dialogunits.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QStringList>

#include <cmath>

namespace fw {

DialogBaseUnits BaseUnitsFor(const QFont& font) {
  const QFontMetricsF fm(font);
  // The average width of the Latin alphabet, as dialog templates assume.
  const double cx = fm.horizontalAdvance(QStringLiteral(
                        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                    52.0;
  return {cx, fm.height()};
}

QRect MapDialogRect(const DialogBaseUnits& u, const QRect& dlu) {
  const auto x = [&](int v) { return static_cast<int>(std::lround(v * u.cx / 4.0)); };
  const auto y = [&](int v) { return static_cast<int>(std::lround(v * u.cy / 8.0)); };
  return QRect(x(dlu.x()), y(dlu.y()), x(dlu.width()), y(dlu.height()));
}

QString ChineseFontFamily() {
  static const QString family = [] {
    const QStringList installed = QFontDatabase::families();
    for (const char* name : {"宋体", "SimSun", "NSimSun", "Noto Serif CJK SC", "Source Han Serif SC",
                             "AR PL UMing CN", "Noto Sans CJK SC", "Source Han Sans SC",
                             "WenQuanYi Micro Hei", "WenQuanYi Zen Hei"}) {
      const QString n = QString::fromUtf8(name);
      if (installed.contains(n, Qt::CaseInsensitive)) return n;
    }
    return QApplication::font().family();
  }();
  return family;
}

QFont DialogFont(int points) {
  QFont f(ChineseFontFamily());
  f.setPointSize(points);
  return f;
}

}  // namespace fw
