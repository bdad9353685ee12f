// Showing an object in the dialog and storing the dialog's fields back into it.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "editor/editor_fixture.h"
#include "grid/spread.h"
#include "model/text.h"
#include "support/sprite_setup.h"

namespace kel::test {
namespace {

constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST_F(DialogTest, AnEmptyListGivesTheEmptyState) {
  EXPECT_EQ(dialog->CurrentSprite(), nullptr);
  EXPECT_EQ(doc.CurrentIndex(), -1);
  EXPECT_EQ(doc.Modified(), 0);
  EXPECT_EQ(dialog->ObjectCombo->count(), 0);
  EXPECT_EQ(dialog->ObjectCombo->currentText(), "");
  for (QLineEdit* e :
       {dialog->DepthEdit, dialog->PosXEdit, dialog->PosYEdit, dialog->SpeedXEdit,
        dialog->SpeedYEdit, dialog->SizeXEdit, dialog->SizeYEdit, dialog->FramesEdit})
    EXPECT_EQ(e->text(), "") << e->objectName().toStdString();
  EXPECT_TRUE(dialog->RandomCheckBox->isChecked());
  EXPECT_TRUE(dialog->RandomCheckBox->isEnabled());
  EXPECT_TRUE(dialog->AutoRepeatCheckBox->isChecked());
  ASSERT_EQ(dialog->BehaveTypeCombo->count(), 5);
  EXPECT_EQ(dialog->BehaveTypeCombo->currentIndex(), 0);
  EXPECT_EQ(dialog->BehaveTypeCombo->currentText(), QStringLiteral("流れ"));
  const char* const behaviours[] = {"流れ", "ﾊﾞｳﾝﾄﾞ", "１ｼｮｯﾄ", "ﾗﾝﾀﾞﾑｳｫｰｸ", "指定位置"};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(dialog->BehaveTypeCombo->itemText(i), QString::fromUtf8(behaviours[i]));

  EXPECT_EQ(dialog->Spread->SSGetMaxRows(), 5);
  EXPECT_EQ(dialog->Spread->SSGetMaxCols(), 128);
  for (int col : {1, 2, 64, 128})
    for (int row = 1; row <= 5; ++row) {
      // No frame columns: the grid's own (white) background.
      const COLORREF back = Background(col, row);
      EXPECT_TRUE(back == kWhite || back == kDefaultColor) << col << ',' << row << ' ' << back;
      EXPECT_EQ(Cell(col, row), "");
    }
  EXPECT_FALSE(dialog->Spread->SSHasPicture(1, 1));
  EXPECT_TRUE(dialog->Spread->SSIsPictureCell(1, 1));
  EXPECT_TRUE(dialog->Spread->SSIsPictureCell(128, 2));
  EXPECT_FALSE(dialog->Spread->SSIsPictureCell(1, 3));
}

TEST_F(DialogTest, GridHeadersNameTheRowsAndNumberTheFrames) {
  const char* const rows[] = {"ﾌﾚｰﾑ", "ｲﾒｰｼﾞ", "ﾏｽｸ", "ｻｳﾝﾄﾞ", "X", "Y"};
  for (int r = 0; r <= 5; ++r) EXPECT_EQ(Cell(0, r), QString::fromUtf8(rows[r]));
  for (int c = 1; c <= 128; ++c) EXPECT_EQ(Cell(c, 0), QString::number(c));
}

// Frames: 1 picture and mask, 2 continue, 3 empty, 4 picture without mask.
class SlotsTest : public DialogTest {
 protected:
  SlotsTest() {
    auto s = NewSprite("ｻﾝﾌﾟﾙ");
    s->AddImage(FrameSlot(SolidImage(16, 12, 8, {0xC81E28})), 0, 0);
    s->AddImage(FrameSlot(SolidImage(16, 12, 1, {0x000000, 0xffffff})), 0, 1);
    s->AddImage(FrameSlot(ContinueMark), 1, 0);
    s->AddImage(FrameSlot(ContinueMark), 1, 1);
    s->AddImage(FrameSlot(SolidImage(16, 12, 24, {0x1040F0})), 3, 0);
    EditParams(*s, [&](ObSpriteParams& p) {
      p.Depth = -5;
      p.Behave = 3;
      p.AutoRepeat = 0;
      p.RandomStart = 0;
      p.PositionX = -2000;
      p.PositionY = 1999;
      p.SpeedX = -1;
      p.SpeedY = 1000;
      p.ImageSizeX = -1;  // stored 0xFFFF: the field shows it unsigned
      p.ImageSizeY = 480;
    });
    sprite = Add(std::move(s));
    Show(0);
  }
  ObSpriteData* sprite = nullptr;
};

TEST_F(SlotsTest, TheFieldsShowTheStoredParameters) {
  EXPECT_EQ(dialog->CurrentSprite(), sprite);
  EXPECT_EQ(dialog->ObjectCombo->count(), 1);
  EXPECT_EQ(dialog->ObjectCombo->currentText(), QStringLiteral("ｻﾝﾌﾟﾙ"));
  EXPECT_EQ(dialog->BehaveTypeCombo->currentText(), QStringLiteral("ﾗﾝﾀﾞﾑｳｫｰｸ"));
  EXPECT_TRUE(dialog->RandomCheckBox->isEnabled());
  EXPECT_FALSE(dialog->RandomCheckBox->isChecked());
  EXPECT_FALSE(dialog->AutoRepeatCheckBox->isChecked());
  EXPECT_EQ(dialog->DepthEdit->text(), "-5");
  EXPECT_EQ(dialog->PosXEdit->text(), "-2000");
  EXPECT_EQ(dialog->PosYEdit->text(), "1999");
  EXPECT_EQ(dialog->SpeedXEdit->text(), "-1");
  EXPECT_EQ(dialog->SpeedYEdit->text(), "1000");
  EXPECT_EQ(dialog->SizeXEdit->text(), "65535");
  EXPECT_EQ(dialog->SizeYEdit->text(), "480");
  EXPECT_EQ(dialog->FramesEdit->text(), "4");
}

TEST_F(SlotsTest, EverySlotKindShowsInItsCell) {
  struct Case {
    int col, row;
    bool picture;
  };
  const Case cases[] = {{1, 1, true},  {1, 2, true},  {2, 1, true},   {2, 2, true},
                        {3, 1, false}, {3, 2, false}, {4, 1, true},   {4, 2, false},
                        {5, 1, false}, {5, 2, false}, {128, 1, false}};
  for (const auto& c : cases)
    EXPECT_EQ(dialog->Spread->SSHasPicture(c.col, c.row), c.picture) << c.col << ',' << c.row;
}

TEST_F(SlotsTest, ColumnsOfExistingFramesAreGreenAndTheRestWhite) {
  for (int col = 1; col <= 128; ++col)
    for (int row = 1; row <= 5; ++row)
      ASSERT_EQ(Background(col, row), col <= 4 ? kGreen : kWhite) << col << ',' << row;
}

TEST_F(SlotsTest, PicturesAreDrawnInTheirOwnColours) {
  dialog->show();
  // The 8-bit picture in the colour of its palette, the 24-bit one in its own.
  EXPECT_EQ(DrawnCellPixel(1, 1), 0xC81E28u);
  EXPECT_EQ(DrawnCellPixel(4, 1), 0x1040F0u);
  EXPECT_EQ(DrawnCellPixel(1, 2), 0x000000u);
}

TEST_F(SlotsTest, AContinueFrameShowsTheContinueIconInBothCells) {
  ASSERT_TRUE(dialog->ContIconImage->HasDib());
  EXPECT_EQ(dialog->ContIconImage->Width(), 32);
  EXPECT_EQ(dialog->ContIconImage->Height(), 32);
  EXPECT_EQ(dialog->ContIconImage->BitCount(), 4);
  dialog->show();
  const QImage image = DrawnCell(2, 1);
  EXPECT_EQ(image, DrawnCell(2, 2));
  EXPECT_NE(image, DrawnCell(3, 1));  // an empty cell looks otherwise
  // The empty frame's cell, given the icon itself, looks the same.
  dialog->SetImageToCell(3, 1, dialog->ContIconImage.get());
  EXPECT_EQ(image, DrawnCell(3, 1));
}

TEST_F(DialogTest, TheSoundNameStandsInTheSoundsColumn) {
  struct Case {
    std::string path;  // as stored (CP932)
    int16_t frame;
    const char* shown;
  };
  const Case cases[] = {
      {"C:\\WINDOWS\\MEDIA\\bell.wav", 4, "bell"},   {"bell.wav", 1, "bell"},
      {"/home/kel/sounds/chime.WAV", 2, "chime"},    {"D:\\a.b\\no_ext", 3, "no_ext"},
      {*Utf8ToCp932("C:\\音\\表示.wav"), 2, "表示"},  // 表 ends in byte 0x5C
      {"C:\\x\\long.name.wav", 128, "long.name"},
  };
  for (const auto& c : cases) {
    doc.Reset({}, QString());
    auto s = NewSprite("obj");
    s->SetNumFrames(2);
    SetSound(*s, NewSound(c.path, c.frame));
    Add(std::move(s));
    Show(0);
    for (int col = 1; col <= 128; ++col)
      ASSERT_EQ(Cell(col, 3), col == c.frame ? QString::fromUtf8(c.shown) : QString())
          << c.shown << " column " << col;
    EXPECT_EQ(Cell(0, 3), QStringLiteral("ｻｳﾝﾄﾞ"));
  }
}

TEST_F(DialogTest, ASoundWithoutFrameLeavesTheRowHeaderAlone) {
  auto s = NewSprite("obj");
  s->SetNumFrames(1);
  SetSound(*s, NewSound("C:\\bell.wav", 0));
  Add(std::move(s));
  Show(0);
  EXPECT_EQ(Cell(0, 3), QStringLiteral("ｻｳﾝﾄﾞ"));
  for (int col = 1; col <= 128; ++col) ASSERT_EQ(Cell(col, 3), "");
}

TEST_F(DialogTest, LocationsShowOnlyForTheFixedPositionBehaviour) {
  for (int behave = 0; behave < ObSpriteData::kBehaveCount; ++behave) {
    doc.Reset({}, QString());
    auto s = NewSprite("obj");
    s->SetNumFrames(3);
    EditParams(*s, [&](ObSpriteParams& p) { p.Behave = behave; });
    s->AddLocation({-10, 20});
    s->AddLocation({300, -400});
    ObSpriteData* sprite = Add(std::move(s));
    Show(0);
    if (behave == ObSpriteData::kFixedPosition) {
      EXPECT_EQ(Cell(1, 4), "-10");
      EXPECT_EQ(Cell(1, 5), "20");
      EXPECT_EQ(Cell(2, 4), "300");
      EXPECT_EQ(Cell(2, 5), "-400");
      // A frame without a location shows none: the file holds none for it.
      EXPECT_EQ(Cell(3, 4), "");
      EXPECT_EQ(Cell(3, 5), "");
      EXPECT_EQ(sprite->Locations().size(), 2u);
    } else {
      for (int col = 1; col <= 3; ++col) {
        EXPECT_EQ(Cell(col, 4), "") << behave;
        EXPECT_EQ(Cell(col, 5), "") << behave;
      }
      EXPECT_EQ(sprite->Locations().size(), 2u);
    }
  }
}

TEST_F(DialogTest, ShowingAnotherObjectReplacesEverythingOfTheFirst) {
  auto a = NewSprite("a");
  a->SetNumFrames(5);
  EditParams(*a, [&](ObSpriteParams& p) { p.Behave = 4; });
  SetLocations(*a, std::vector<TPoint>(5));
  SetSound(*a, NewSound("x\\first.wav", 5));
  Add(std::move(a));
  auto b = NewSprite("b");
  b->SetNumFrames(2);
  Add(std::move(b));
  Show(0);
  ASSERT_EQ(Cell(5, 3), "first");
  ASSERT_EQ(Cell(5, 4), "0");
  Show(1);
  EXPECT_EQ(doc.CurrentIndex(), 1);
  EXPECT_EQ(dialog->ObjectCombo->currentText(), "b");
  EXPECT_EQ(Cell(5, 3), "");
  EXPECT_EQ(Cell(5, 4), "");
  EXPECT_EQ(Background(3, 1), kWhite);
  EXPECT_EQ(Background(2, 1), kGreen);
  int col = 0, row = 0;
  dialog->Spread->SSGetActiveCell(&col, &row);
  EXPECT_EQ(col, 1);
  EXPECT_EQ(row, 1);
}

TEST_F(DialogTest, ObjectNamesAreShownFromTheirStoredBytes) {
  Add(NewSprite("ｵﾌﾞｼﾞｪｸﾄ1"));
  Add(NewSprite("表示"));
  auto broken = std::make_unique<ObSpriteData>();
  SetName(*broken, std::string("ab\x81", 3));  // a lead byte without its trail byte
  Add(std::move(broken));
  for (auto& s : list) s->SetNumFrames(1);
  Show(1);
  ASSERT_EQ(dialog->ObjectCombo->count(), 3);
  EXPECT_EQ(dialog->ObjectCombo->itemText(0), QStringLiteral("ｵﾌﾞｼﾞｪｸﾄ1"));
  EXPECT_EQ(dialog->ObjectCombo->itemText(1), QStringLiteral("表示"));
  EXPECT_TRUE(dialog->ObjectCombo->itemText(2).startsWith("ab"));
  EXPECT_EQ(dialog->ObjectCombo->currentIndex(), 1);
}

// ---- storing

class StoreTest : public DialogTest {
 protected:
  StoreTest() {
    auto s = NewSprite("s");
    s->SetNumFrames(2);
    EditParams(*s, [&](ObSpriteParams& p) {
      p.ImageSizeX = 32;
      p.ImageSizeY = 32;
    });
    sprite = Add(std::move(s));
    Show(0);
  }
  ObSpriteData* sprite = nullptr;
};

TEST_F(StoreTest, FieldsAreStoredWithTheirWidths) {
  dialog->DepthEdit->setText("128");
  dialog->PosXEdit->setText("-2000");
  dialog->PosYEdit->setText("12abc");
  dialog->SpeedXEdit->setText("abc");
  dialog->SpeedYEdit->setText("  -1000");
  dialog->SizeXEdit->setText("2000");
  dialog->SizeYEdit->setText("+1");
  dialog->FramesEdit->setText("4");
  dialog->BehaveTypeCombo->setCurrentIndex(1);
  dialog->RandomCheckBox->click();
  dialog->AutoRepeatCheckBox->click();

  ASSERT_EQ(dialog->SaveSpriteData(), 1);
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(sprite->Params().Depth, 128);
  EXPECT_EQ(sprite->Params().PositionX, -2000);  // sign-extended from 16 bits
  EXPECT_EQ(sprite->Params().PositionY, 12);
  EXPECT_EQ(sprite->Params().SpeedX, 0);
  EXPECT_EQ(sprite->Params().SpeedY, -1000);
  EXPECT_EQ(uint16_t(sprite->Params().ImageSizeX), 2000);
  EXPECT_EQ(uint16_t(sprite->Params().ImageSizeY), 1);
  EXPECT_EQ(sprite->FrameCount(), 4);
  EXPECT_EQ(sprite->NumFrames(), 4);
  EXPECT_EQ(sprite->Params().Behave, 1);
  EXPECT_EQ(sprite->Params().RandomStart, 0);
  EXPECT_EQ(sprite->Params().AutoRepeat, 0);
  EXPECT_TRUE(sprite->Locations().empty());  // not a fixed-position object
}

TEST_F(StoreTest, StoringShortensTheFrameList) {
  sprite->AddImage(FrameSlot(SolidImage(4, 4, 8, {0x123456})), 1, 0);
  dialog->DispSpriteData(sprite);
  dialog->FramesEdit->setText("1");
  ASSERT_EQ(dialog->SaveSpriteData(), 1);
  EXPECT_EQ(sprite->FrameCount(), 1);
}

TEST_F(StoreTest, AnObjectWithoutFramesIsRefused) {
  sprite->SetNumFrames(0);
  dialog->DepthEdit->setText("9");
  EXPECT_EQ(dialog->SaveSpriteData(), 0);
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_EQ(prompt.Messages()[0].text, QStringLiteral("イメージがありません.設定して下さい"));
  EXPECT_EQ(prompt.Messages()[0].caption, QStringLiteral("エラー"));
  EXPECT_EQ(prompt.Messages()[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(sprite->Params().Depth, 9) << "the typed field is an edit of its own";
}

TEST_F(StoreTest, SaveReportsARefusal) {
  dialog->SpeedXEdit->setText("5000");
  EXPECT_FALSE(dialog->Save());
  EXPECT_EQ(prompt.MessageTexts(),
            (QStringList{QStringLiteral("速さXの入力値が不正です"),
                         QStringLiteral("オブジェクトの設定の保存に失敗しました")}));
  EXPECT_EQ(prompt.Messages()[1].caption, QStringLiteral("エラー"));
  prompt.ClearHistory();
  dialog->SpeedXEdit->setText("5");
  EXPECT_TRUE(dialog->Save());
  EXPECT_EQ(sprite->Params().SpeedX, 5);
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(DialogTest, GetSpriteDataMakesAnElementCurrent) {
  doc.SetCurrent(0);
  EXPECT_EQ(dialog->CurrentSprite(), nullptr);  // empty list
  Add(NewSprite("a"));
  Add(NewSprite("b"));
  doc.SetCurrent(1);
  EXPECT_EQ(doc.CurrentIndex(), 1);
  EXPECT_EQ(dialog->CurrentSprite(), list[1].get());
}

TEST_F(DialogTest, MakeSpriteDataDDBMakesEveryPictureDrawable) {
  for (int k = 0; k < 2; ++k) {
    auto s = NewSprite(k ? "b" : "a");
    s->AddImage(FrameSlot(SolidImage(8, 8, 8, {0x112233})), 0, 0);
    s->AddImage(FrameSlot(SolidImage(8, 8, 1, {0, 0xffffff})), 0, 1);
    s->AddImage(FrameSlot(SolidImage(8, 8, 24, {0x445566})), 1, 0);
    Add(std::move(s));
  }
  dialog->MakeSpriteDataDDB();
  for (auto& s : list) {
    ASSERT_NE(s->GetImage(0).Image()->Bitmap(), nullptr);
    EXPECT_NE(s->GetImage(0).Image()->Palette(), nullptr);
    EXPECT_NE(s->GetMask(0).Image()->Bitmap(), nullptr);
    EXPECT_NE(s->GetImage(1).Image()->Bitmap(), nullptr);
    EXPECT_EQ(s->GetImage(1).Image()->Palette(), nullptr);  // 24 bits: no palette
    EXPECT_EQ(s->GetImage(0).Image()->Bitmap()->PixelRgb(3, 3), 0x112233u);
  }
}

TEST_F(DialogTest, InitWindowReturnsToTheEmptyState) {
  auto s = NewSprite("a");
  s->SetNumFrames(3);
  EditParams(*s, [&](ObSpriteParams& p) { p.Behave = 4; });
  Add(std::move(s));
  Show(0);
  doc.Reset({}, QString());
  dialog->InitWindow();
  EXPECT_EQ(dialog->CurrentSprite(), nullptr);
  EXPECT_EQ(dialog->ObjectCombo->count(), 0);
  EXPECT_EQ(dialog->FramesEdit->text(), "");
  EXPECT_EQ(dialog->BehaveTypeCombo->currentIndex(), 0);
  EXPECT_TRUE(dialog->RandomCheckBox->isEnabled());
  EXPECT_EQ(Cell(1, 0), "1");
  EXPECT_EQ(Cell(0, 1), QStringLiteral("ｲﾒｰｼﾞ"));
  EXPECT_FALSE(dialog->Spread->SSHasPicture(1, 1));
}

}  // namespace
}  // namespace kel::test
