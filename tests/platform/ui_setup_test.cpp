// Application set-up: Japanese font, Qt's Japanese texts, locale and window icon.
#include "platform/ui_setup.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include "test_app.h"

namespace kel {
namespace {

using test::TestApp;

class UiSetupTest : public ::testing::Test {
 protected:
  void SetUp() override { SetupApplicationUi(TestApp()); }
};

TEST_F(UiSetupTest, ApplicationFontWritesJapanese) {
  const QString family = JapaneseUiFontFamily();
  ASSERT_FALSE(family.isEmpty()) << "no font on this machine writes Japanese";
  if (QFontDatabase::families().contains(QStringLiteral("IPAGothic"))) {
    EXPECT_EQ(family, QStringLiteral("IPAGothic"));
  }
  const QFont font = QApplication::font();
  EXPECT_EQ(font.family(), family);
  EXPECT_EQ(font.pixelSize(), kUiFontPixelSize);
  // The font really found, not a stand-in.
  EXPECT_EQ(QFontInfo(font).family(), family);
  const QFontMetrics fm(font);
  for (char16_t c : {u'A', u'あ', u'ｱ', u'ﾞ', u'漢', u'ー', u'，', u'．'})
    EXPECT_TRUE(fm.inFont(QChar(c))) << "U+" << std::hex << unsigned(c);
}

TEST_F(UiSetupTest, ApplicationFontIsFixedPitchWhenIpaGothicIsThere) {
  if (JapaneseUiFontFamily() != QStringLiteral("IPAGothic"))
    GTEST_SKIP() << "IPA Gothic is not installed";
  const QFontMetrics fm(QApplication::font());
  EXPECT_EQ(fm.horizontalAdvance(QLatin1Char('i')), fm.horizontalAdvance(QLatin1Char('W')));
  // A full-width character is two half-width ones, as the dialog layouts assume.
  EXPECT_EQ(fm.horizontalAdvance(QChar(u'あ')), 2 * fm.horizontalAdvance(QChar(u'ｱ')));
}

TEST_F(UiSetupTest, QtsOwnButtonsAndDialogsSpeakJapanese) {
  QMessageBox box;
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("はい")))
      << box.button(QMessageBox::Yes)->text().toStdString();
  EXPECT_TRUE(box.button(QMessageBox::No)->text().startsWith(QStringLiteral("いいえ")))
      << box.button(QMessageBox::No)->text().toStdString();
  EXPECT_TRUE(box.button(QMessageBox::Cancel)->text().startsWith(QStringLiteral("キャンセル")))
      << box.button(QMessageBox::Cancel)->text().toStdString();

  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  auto* label = dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
  ASSERT_NE(label, nullptr);
  EXPECT_NE(label->text(), QStringLiteral("File &name:"));
  EXPECT_FALSE(label->text().isEmpty());
}

TEST_F(UiSetupTest, RunningItAgainInstallsNothingTwice) {
  SetupApplicationUi(TestApp());
  SetupApplicationUi(TestApp());
  EXPECT_EQ(TestApp().findChildren<QTranslator*>(Qt::FindDirectChildrenOnly).size(), 1);
  EXPECT_EQ(QApplication::font().family(), JapaneseUiFontFamily());
}

TEST_F(UiSetupTest, JapaneseLocaleAndProgramIcon) {
  EXPECT_EQ(QLocale().language(), QLocale::Japanese);
  const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
  for (int n : {16, 32, 48, 64, 128, 256}) EXPECT_TRUE(sizes.contains(QSize(n, n))) << n;
}

}  // namespace
}  // namespace kel
