#include "platform/line_break.h"

#include <QFontMetrics>
#include <QStringList>
#include <cmath>

namespace kel {

namespace {

// Characters a line does not start with: closing brackets, punctuation, small kana and the
// prolonged sound mark; and straight quotes, which close as often as they open, so a quoted name
// keeps both of its quotes.
bool NoLineStart(QChar c) {
  static const QString chars = QStringLiteral(
      "、。，．・：；？！ー－）」』】〕｝〉》ゝゞヽヾ々ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ"
      "ｧｨｩｪｫｬｭｮｯｰ｡｣､･ﾞﾟ,.:;?!)]}%\"'");
  return chars.contains(c);
}

// Characters a line does not end with: opening brackets.
bool NoLineEnd(QChar c) {
  static const QString chars = QStringLiteral("（「『【〔｛〈《｢([{\"'");
  return chars.contains(c);
}

bool WordChar(QChar c) {
  return c.unicode() < 0x80 && (c.isLetterOrNumber() || c == QLatin1Char('_') ||
                                c == QLatin1Char('-') || c == QLatin1Char('.'));
}

// Whether a line may break between line[i - 1] and line[i].
bool CanBreak(const QString& line, int i) {
  const QChar before = line[i - 1], after = line[i];
  if (after.isSpace()) return false;  // the space ends the line before the break
  if (NoLineStart(after) || NoLineEnd(before)) return false;
  if (after.isLowSurrogate()) return false;
  return !(WordChar(before) && WordChar(after));
}

QStringList BreakLine(const QString& line, const QFontMetrics& fm, int maxWidth) {
  QStringList lines;
  QString rest = line;
  while (fm.horizontalAdvance(rest) > maxWidth) {
    // As many lines as the width needs, each about the same width: the last one is not a stub.
    const int width = fm.horizontalAdvance(rest);
    const int count = int(std::ceil(double(width) / maxWidth));
    const int target = (width + count - 1) / count;
    // The allowed break nearest the target; without one, as much as fits.
    int best = -1, bestDistance = 0, fallback = 1;
    for (int i = 1; i < rest.size(); ++i) {
      const int w = fm.horizontalAdvance(rest.left(i));
      if (w > maxWidth) break;
      fallback = i;
      if (!CanBreak(rest, i)) continue;
      const int distance = std::abs(w - target);
      if (best < 0 || distance < bestDistance) {
        best = i;
        bestDistance = distance;
      }
    }
    const int at = best > 0 ? best : fallback;
    lines << rest.left(at);
    rest = rest.mid(at);
    // A space at the break goes with it.
    while (!rest.isEmpty() && rest[0] == QLatin1Char(' ')) rest.remove(0, 1);
  }
  lines << rest;
  return lines;
}

}  // namespace

QString BreakMessageLines(const QString& text, const QFontMetrics& fm, int maxWidth) {
  if (maxWidth <= 0) return text;
  QStringList out;
  for (const QString& line : text.split(QLatin1Char('\n'))) out << BreakLine(line, fm, maxWidth);
  return out.join(QLatin1Char('\n'));
}

}  // namespace kel
