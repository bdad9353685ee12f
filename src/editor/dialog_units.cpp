#include "editor/dialog_units.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>

namespace kel {

namespace {

// Rounded du x base / div, as the window system scales dialog coordinates.
int Scale(int du, int base, int div) {
  const long long n = (long long)du * base;
  return int(n >= 0 ? (n + div / 2) / div : -((-n + div / 2) / div));
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics fm(font);
  const int alphabet =
      fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  DialogBaseUnits base;
  base.x = (alphabet / 26 + 1) / 2;  // the average of 52 letters, rounded
  base.y = fm.height();
  if (base.x < 1) base.x = 1;
  if (base.y < 1) base.y = 1;
  return base;
}

QRect DialogUnitsToPixels(const QRect& du, DialogBaseUnits base) {
  const int left = Scale(du.x(), base.x, 4);
  const int top = Scale(du.y(), base.y, 8);
  const int right = Scale(du.x() + du.width(), base.x, 4);
  const int bottom = Scale(du.y() + du.height(), base.y, 8);
  return QRect(left, top, right - left, bottom - top);
}

}  // namespace kel
