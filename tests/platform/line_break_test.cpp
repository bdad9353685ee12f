// Lines of a message box: long lines broken evenly, never leaving a stub of one or two
// characters, and never where Japanese text or a Latin word must stay together.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "platform/line_break.h"
#include "platform/prompt.h"
#include "test_app.h"

namespace kel::test {
namespace {

TEST(BreakMessageLines, BreaksLongLinesEvenlyWhereTheRulesAllow) {
  TestApp();
  const QFontMetrics fm(QApplication::font());
  const int em = fm.horizontalAdvance(QChar(0x3042));  // あ
  const struct {
    QString text;
    int maxChars;      // the width, in full-width characters
    QString mustStay;  // a piece no break may split (empty: none)
  } cases[] = {
      // 27 characters in 25: two lines of about 13, not 25 and 2.
      {QStringLiteral("このオブジェクトファイルは変更されています。保存しますか"), 25, {}},
      {QStringLiteral("イメージファイルを読み込めませんでした。ファイルが壊れています。"), 20, {}},
      // Punctuation and closing brackets do not start a line; opening ones do not end it.
      {QStringLiteral("あいうえおかきくけこさしすせそ、「たちつてと」なにぬねのはひふへほ。"),
       8,
       {}},
      // A Latin word or a number is not split when there is room for it.
      {QStringLiteral("ファイルのサイズは 123456789 バイトで、上限を超えています"), 12,
       QStringLiteral("123456789")},
      {QStringLiteral("ファイル \"/home/user/objects/ball.kel\" を開けません"), 14, {}},
      // A quoted name keeps both its quotes.
      {QStringLiteral("オブジェクトファイルの識別子 \"KE--1.00\" がありません（オフセット 0）"), 22,
       QStringLiteral("\"KE--1.00\"")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    const int max = c.maxChars * em;
    const QString broken = BreakMessageLines(c.text, fm, max);
    const QStringList lines = broken.split(QLatin1Char('\n'));
    ASSERT_GT(lines.size(), 1);
    EXPECT_EQ(QString(broken).remove(QLatin1Char('\n')).remove(QLatin1Char(' ')),
              QString(c.text).remove(QLatin1Char(' ')));
    int narrowest = max, widest = 0;
    for (const QString& line : lines) {
      EXPECT_LE(fm.horizontalAdvance(line), max) << line.toStdString();
      narrowest = std::min(narrowest, fm.horizontalAdvance(line));
      widest = std::max(widest, fm.horizontalAdvance(line));
      ASSERT_FALSE(line.isEmpty());
      EXPECT_FALSE(QStringLiteral("、。」）").contains(line.front())) << line.toStdString();
      EXPECT_FALSE(QStringLiteral("「（").contains(line.back())) << line.toStdString();
    }
    // Even lines: the shortest is at least half the longest (no stub of a character or two).
    EXPECT_GE(narrowest * 2, widest);
    if (!c.mustStay.isEmpty()) {
      EXPECT_EQ(lines.filter(c.mustStay).size(), 1) << broken.toStdString();
    }
  }
}

TEST(BreakMessageLines, KeepsLinesThatFitAndTheUsersOwnBreaks) {
  TestApp();
  const QFontMetrics fm(QApplication::font());
  const QString text = QStringLiteral("短い行\n\n変更結果を保存しますか？");
  EXPECT_EQ(BreakMessageLines(text, fm, 1000), text);
  // A piece wider than the box with no allowed break is cut where it must be.
  const QString word(40, QLatin1Char('x'));
  const QString broken = BreakMessageLines(word, fm, fm.horizontalAdvance(word) / 3);
  EXPECT_EQ(QString(broken).remove(QLatin1Char('\n')), word);
  EXPECT_GE(broken.count(QLatin1Char('\n')), 2);
}

TEST(QtPromptPortMessageBox, LongMessageShowsEvenLinesTheBoxDoesNotWrapAgain) {
  TestApp();
  const QString text = QStringLiteral(
      "ビットマップファイルではありません。ファイルの形式を確かめて、もう一度読み込んでください。"
      "ほかのプログラムで保存し直すと読み込める場合があります。");
  QStringList shown;
  bool wraps = true;
  const auto answer = WhenModal<QMessageBox>([&](QMessageBox* box) {
    auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label) {
      shown = label->text().split(QLatin1Char('\n'));
      wraps = label->wordWrap();
    }
    box->button(QMessageBox::Ok)->click();
  });
  QtPromptPort().MessageBox(nullptr, text, QStringLiteral("エラー"), MB_OK);
  ASSERT_GT(shown.size(), 1);
  EXPECT_FALSE(wraps);
  for (const QString& line : shown) EXPECT_GT(line.size(), 2) << line.toStdString();
}

}  // namespace
}  // namespace kel::test
