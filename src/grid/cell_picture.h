// The small picture a grid cell keeps of the bitmap it was given: made once, at cell size, so
// that the grid never holds (or needs) the full-size bitmap to repaint.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include "model/display.h"

namespace kel {

// Pictures are shrunk to fit their cell but grow at most to twice their size: a small icon
// stays recognisable without turning into blocks.
inline constexpr double kMaxPictureScale = 2.0;
// Room kept free around a picture inside its cell, for the grid lines and the active-cell frame.
inline constexpr int kPictureMargin = 3;

// The cell picture of a bitmap for a cell of the given size, grown at most maxScale times (the
// grid's zoom times kMaxPictureScale); null when nothing fits.
QImage MakeCellPicture(const DisplayBitmap& bitmap, QSize cell, double maxScale);
// The box a cell's picture must fit.
QSize PictureBox(QSize cell);
// Where a picture of that size goes in the cell: centred.
QRect PicturePlace(const QRect& cell, QSize picture);

}  // namespace kel
