// Dialog units: the dialog's layout is written in units of the dialog font, a quarter of its
// average character width across and an eighth of its height down, so the window keeps its
// proportions whatever font size the desktop gives it.
#pragma once

#include <QRect>

class QFont;

namespace kel {

struct DialogBaseUnits {
  int x = 8;   // average character width in pixels
  int y = 16;  // character height in pixels
};

// The base units of a font: the average width of the 52 Latin letters (rounded) and the line
// height, measured as a dialog measures its font.
DialogBaseUnits BaseUnitsOf(const QFont& font);

// The one conversion from dialog units to pixels: x px = du x baseX / 4, y px = du x baseY / 8.
// Edges are converted (not sizes), so neighbouring controls meet exactly as in the template.
QRect DialogUnitsToPixels(const QRect& du, DialogBaseUnits base);

}  // namespace kel
