// Lines of a message for a message box: a line too wide for the box is broken into lines of
// about equal width, so no line ends up holding one or two characters, and never before a
// closing bracket or punctuation, after an opening bracket, or inside a word of Latin letters
// and digits.
#pragma once

#include <QString>

class QFontMetrics;

namespace kel {

// text with its lines wider than maxWidth (pixels in fm's font) broken at the places the rules
// above allow; the lines that fit stay as they are.
QString BreakMessageLines(const QString& text, const QFontMetrics& fm, int maxWidth);

}  // namespace kel
