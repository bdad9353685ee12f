// The dialog as the template lays it out: positions in dialog units, texts, the depth up-down,
// and a picture of the dialog for a person to look at.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "editor/dialog_units.h"
#include "editor/editor_fixture.h"
#include "editor/updown.h"
#include "grid/spread.h"
#include "support/sprite_setup.h"
#include "support/test_paths.h"

namespace kel::test {
namespace {

TEST(DialogUnits, ConvertEdgesWithTheFontsBaseUnits) {
  struct Case {
    DialogBaseUnits base;
    QRect du, px;
  };
  const Case cases[] = {
      {{8, 16}, {16, 8, 48, 8}, {32, 16, 96, 16}},
      {{8, 16}, {0, 92, 276, 84}, {0, 184, 552, 168}},
      {{7, 15}, {185, 34, 29, 11}, {324, 64, 51, 20}},  // edges rounded, not sizes
      {{6, 13}, {0, 0, 278, 178}, {0, 0, 417, 289}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DialogUnitsToPixels(c.du, c.base), c.px)
        << c.du.x() << ',' << c.du.y() << ' ' << c.base.x << 'x' << c.base.y;
}

TEST(DialogUnits, BaseUnitsComeFromTheFontsLettersAndHeight) {
  App();
  const QFont font = QApplication::font();
  const DialogBaseUnits base = BaseUnitsOf(font);
  const QFontMetrics fm(font);
  EXPECT_EQ(base.y, fm.height());
  const double average =
      fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0;
  EXPECT_LE(std::abs(base.x - average), 0.5 + 1e-9);
  // A bigger font gives bigger units: the layout grows with it.
  QFont big = font;
  if (font.pointSize() > 0)
    big.setPointSize(font.pointSize() * 2);
  else
    big.setPixelSize(font.pixelSize() * 2);
  EXPECT_GT(BaseUnitsOf(big).x, base.x);
  EXPECT_GT(BaseUnitsOf(big).y, base.y);
}

TEST_F(DialogTest, ControlsStandWhereTheTemplatePutsThem) {
  struct Place {
    const char* name;
    QRect du;
  };
  const Place places[] = {
      {"NameFrame", {8, 4, 128, 18}},        {"ObjectLabel", {16, 8, 48, 8}},
      {"ObjectCombo", {64, 8, 64, 12}},  // the closed box; the list drops below it
      {"DepthLabel", {168, 12, 18, 8}},      {"DepthEdit", {184, 8, 24, 12}},
      {"DepthUpDown", {208, 8, 9, 12}},      {"BehaveGroup", {11, 24, 89, 40}},
      {"BehaveTypeCombo", {24, 36, 60, 12}}, {"AutoRepeatCheckBox", {24, 48, 43, 12}},
      {"StartGroup", {112, 24, 149, 40}},    {"RandomCheckBox", {120, 32, 33, 12}},
      {"PositionLabel", {156, 36, 18, 8}},   {"PosXEdit", {185, 34, 29, 11}},
      {"PosYEdit", {225, 34, 29, 11}},       {"SpeedLabel", {156, 51, 17, 8}},
      {"SpeedXEdit", {185, 49, 29, 11}},     {"SpeedYEdit", {225, 49, 29, 11}},
      {"SizeLabel", {14, 76, 36, 8}},        {"SizeXEdit", {56, 72, 32, 12}},
      {"SizeTimesLabel", {88, 74, 9, 8}},    {"SizeYEdit", {96, 72, 30, 12}},
      {"FramesLabel", {164, 76, 27, 8}},     {"FramesEdit", {196, 72, 30, 12}},
      {"Spread", {0, 92, 276, 84}},
  };
  const DialogBaseUnits base = BaseUnitsOf(dialog->font());
  for (const auto& p : places) {
    auto* w = dialog->findChild<QWidget*>(QString::fromLatin1(p.name));
    ASSERT_NE(w, nullptr) << p.name;
    EXPECT_EQ(w->parentWidget(), dialog.get()) << p.name;
    EXPECT_EQ(w->geometry(), DialogUnitsToPixels(p.du, base)) << p.name;
  }
  EXPECT_EQ(dialog->size(), DialogUnitsToPixels(QRect(0, 0, 278, 178), base).size());
  EXPECT_EQ(dialog->findChild<TSpread*>("Spread"), dialog->Spread);
  EXPECT_EQ(dialog->findChild<QLineEdit*>("DepthEdit"), dialog->DepthEdit);
  EXPECT_EQ(dialog->findChild<QComboBox*>("ObjectCombo"), dialog->ObjectCombo);
}

TEST_F(DialogTest, EveryTextIsTheTemplatesOwn) {
  QStringList labels;
  for (auto* l : dialog->findChildren<QLabel*>()) labels << l->text();
  for (const char* text :
       {"ｵﾌﾞｼﾞｪｸﾄ名", "深さ", "位置", "X:", "Y:", "速度", "ｲﾒｰｼﾞｻｲｽﾞ", "×", "ﾌﾚｰﾑ数"})
    EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
  EXPECT_EQ(labels.count("X:"), 2);
  EXPECT_EQ(labels.count("Y:"), 2);
  EXPECT_EQ(dialog->findChild<QGroupBox*>("BehaveGroup")->title(), QStringLiteral("動作ﾀｲﾌﾟ"));
  EXPECT_EQ(dialog->findChild<QGroupBox*>("StartGroup")->title(), QStringLiteral("ｽﾀｰﾄﾀｲﾌﾟ"));
  EXPECT_EQ(dialog->AutoRepeatCheckBox->text(), QStringLiteral("ｵｰﾄﾘﾋﾟｰﾄ"));
  EXPECT_EQ(dialog->RandomCheckBox->text(), QStringLiteral("ﾗﾝﾀﾞﾑ"));
}

TEST_F(DialogTest, EditsTakeUpTo255CharactersAndDepthOnlyDigits) {
  for (auto* e : dialog->findChildren<QLineEdit*>()) {
    if (e->parentWidget() != dialog.get()) continue;  // the combo boxes' own
    EXPECT_EQ(e->maxLength(), 255) << e->objectName().toStdString();
  }
  Activate();
  dialog->DepthEdit->setFocus();
  QTest::keyClicks(dialog->DepthEdit, "1a-2 3");
  EXPECT_EQ(dialog->DepthEdit->text(), "123");
  dialog->PosXEdit->setFocus();
  QTest::keyClicks(dialog->PosXEdit, "-1a");
  EXPECT_EQ(dialog->PosXEdit->text(), "-1a");  // the others take any text; saving checks it
}

TEST_F(DialogTest, TheUpDownStepsTheDepthFieldWithinItsRange) {
  TUpDown* updown = dialog->DepthUpDown;
  EXPECT_EQ(updown->GetLower(), 0);
  EXPECT_EQ(updown->GetUpper(), 128);
  EXPECT_EQ(updown->GetBuddy(), dialog->DepthEdit);
  struct Case {
    const char* before;
    bool up;
    const char* after;
  };
  const Case cases[] = {{"5", true, "6"},  {"5", false, "4"},    {"128", true, "128"},
                        {"0", false, "0"}, {"127", true, "128"}, {"300", false, "127"},
                        {"", true, "1"},   {"", false, "0"}};
  Add(NewSprite("深さ"));
  Show(0);
  Activate();
  for (const auto& c : cases) {
    dialog->DepthEdit->setText(c.before);
    QTest::mouseClick(c.up ? updown->UpButton() : updown->DownButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->DepthEdit->text(), c.after) << c.before << (c.up ? " up" : " down");
  }
  // The arrow keys in the field step it as well.
  dialog->DepthEdit->setFocus();
  dialog->DepthEdit->setText("10");
  QTest::keyClick(dialog->DepthEdit, Qt::Key_Up);
  EXPECT_EQ(dialog->DepthEdit->text(), "11");
  QTest::keyClick(dialog->DepthEdit, Qt::Key_Down);
  QTest::keyClick(dialog->DepthEdit, Qt::Key_Down);
  EXPECT_EQ(dialog->DepthEdit->text(), "9");
}

TEST_F(DialogTest, TabMovesThroughTheControlsInTemplateOrder) {
  QWidget* const order[] = {dialog->ObjectCombo,     dialog->DepthEdit,
                            dialog->BehaveTypeCombo, dialog->AutoRepeatCheckBox,
                            dialog->RandomCheckBox,  dialog->PosXEdit,
                            dialog->PosYEdit,        dialog->SpeedXEdit,
                            dialog->SpeedYEdit,      dialog->SizeXEdit,
                            dialog->SizeYEdit,       dialog->FramesEdit,
                            dialog->Spread};
  for (size_t i = 1; i < std::size(order); ++i) {
    QWidget* next = order[i - 1]->nextInFocusChain();
    while (next && next != order[i] && !(next->focusPolicy() & Qt::TabFocus))
      next = next->nextInFocusChain();
    EXPECT_EQ(next, order[i]) << order[i - 1]->objectName().toStdString();
  }
}

// The behaviour drop-down opens on all five behaviours, without a scroll bar.
TEST_F(DialogTest, TheBehaviourListShowsEveryEntry) {
  ASSERT_EQ(dialog->BehaveTypeCombo->count(), ObSpriteData::kBehaveCount);
  EXPECT_GE(dialog->BehaveTypeCombo->maxVisibleItems(), dialog->BehaveTypeCombo->count());
}

// Tab and Shift+Tab leave the grid (its cells are reached with the arrow keys).
TEST_F(DialogTest, TabLeavesTheGrid) {
  Add(NewSprite("タブ"));
  Show(0);
  Activate();
  dialog->Spread->setFocus();
  QTest::keyClick(dialog->Spread, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), dialog->FramesEdit);
  dialog->Spread->setFocus();
  QTest::keyClick(dialog->Spread, Qt::Key_Tab);
  EXPECT_NE(QApplication::focusWidget(), dialog->Spread);
  dialog->Spread->setFocus();
  QTest::keyClick(dialog->Spread, Qt::Key_Right);
  EXPECT_EQ(QApplication::focusWidget(), dialog->Spread);
  EXPECT_EQ(dialog->Spread->currentIndex().column(), 1) << "the arrows move inside it";
}

// A picture of the dialog showing a sample object, for a person to look at.
TEST_F(DialogTest, RendersASampleObjectToAPicture) {
  auto s = NewSprite("ｻﾝﾌﾟﾙ");
  const std::vector<uint32_t> ramp = {0xE03030, 0xF0A020, 0xF0E040, 0x40C040, 0x3070E0, 0x8040C0};
  for (int i = 0; i < 5; ++i) {
    std::vector<uint32_t> colors(ramp.begin() + i, ramp.end());
    colors.insert(colors.end(), ramp.begin(), ramp.begin() + i);
    s->AddImage(FrameSlot(SolidImage(48, 40, 8, colors, true)), int16_t(i), 0);
    s->AddImage(FrameSlot(SolidImage(48, 40, 1, {0x000000, 0xFFFFFF}, true)), int16_t(i), 1);
  }
  s->AddImage(FrameSlot(ContinueMark), 5, 0);
  s->AddImage(FrameSlot(ContinueMark), 5, 1);
  s->AddImage(FrameSlot(SolidImage(48, 40, 24, {0x2080FF})), 7, 0);
  EditParams(*s, [&](ObSpriteParams& p) { p.Behave = ObSpriteData::kFixedPosition; });
  for (int i = 0; i < 8; ++i) s->AddLocation({i * 40, 100 - i * 10});
  SetSound(*s, NewSound("C:\\sounds\\bell.wav", 3));
  EditParams(*s, [&](ObSpriteParams& p) {
    p.Depth = 12;
    p.ImageSizeX = 48;
    p.ImageSizeY = 40;
    p.SpeedX = 4;
  });
  Add(std::move(s));
  Add(NewSprite("two"))->SetNumFrames(1);
  Show(0);
  dialog->show();
  QApplication::processEvents();

  const QImage picture = dialog->grab().toImage();
  const std::filesystem::path path = BinaryDir() / "dialog.png";
  ASSERT_TRUE(picture.save(QString::fromStdString(path.string())));
  const QImage back(QString::fromStdString(path.string()));
  EXPECT_EQ(back.size(), dialog->size());
}

}  // namespace
}  // namespace kel::test
