// The parameter fields: the number rule, the checks before storing with their messages, focus
// and selection, the random-start box and the frame-count field.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "editor/editor_fixture.h"
#include "editor/updown.h"
#include "grid/spread.h"
#include "support/sprite_setup.h"

namespace kel::test {
namespace {

struct CheckValueCase {
  const char* text;
  int min, max;
  int expected;
};

TEST(CheckValue, ReadsTheNumberByTheAtolRuleAndComparesInclusively) {
  const CheckValueCase cases[] = {
      {"0", 0, 128, 1},
      {"128", 0, 128, 1},
      {"129", 0, 128, 0},
      {"-1", 0, 128, 0},
      {"-2000", -2000, 2000, 1},
      {"-2001", -2000, 2000, 0},
      {"abc", -2000, 2000, 1},  // no digits: 0
      {"12abc", 0, 20, 1},
      {"12abc", 0, 11, 0},
      {"", 1, 2000, 0},
      {"  +7", 1, 7, 1},
      {"\t-3", -3, 0, 1},
      {"1 2", 1, 1, 1},
      {"99999999999", -2000, 2000, 0},  // far beyond 32 bits stays out of range
      {"-99999999999", -2000, 2000, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ObKELDialog::CheckValue(QString::fromUtf8(c.text), c.min, c.max), c.expected)
        << '"' << c.text << "\" in " << c.min << ".." << c.max;
}

class FieldsTest : public DialogTest {
 protected:
  FieldsTest() {
    auto s = NewSprite("ﾃｽﾄ");
    s->AddImage(FrameSlot(SolidImage(8, 8, 8, {0xff0000})), 0, 0);
    s->AddImage(FrameSlot(SolidImage(8, 8, 8, {0x00ff00})), 1, 0);
    EditParams(*s, [&](ObSpriteParams& p) {
      p.Depth = 3;
      p.PositionX = 10;
      p.PositionY = 20;
      p.SpeedX = 1;
      p.SpeedY = 2;
      p.ImageSizeX = 32;
      p.ImageSizeY = 24;
    });
    sprite = Add(std::move(s));
    Show(0);
  }
  QLineEdit* Field(int i) const {
    QLineEdit* const fields[] = {dialog->DepthEdit,  dialog->PosXEdit,   dialog->PosYEdit,
                                 dialog->SpeedXEdit, dialog->SpeedYEdit, dialog->SizeXEdit,
                                 dialog->SizeYEdit,  dialog->FramesEdit};
    return fields[i];
  }
  ObSpriteData* sprite = nullptr;
};

struct BadField {
  int field;  // order of the check
  const char* text;
  const char* message;
};

// The first field in the check order that fails is reported, with the focus on it and its whole
// text selected, and nothing is stored.
TEST_F(FieldsTest, EachBadFieldIsReportedWithFocusAndSelection) {
  const BadField cases[] = {
      {0, "129", "深さの入力値が不正です"},
      {0, "-1", "深さの入力値が不正です"},
      {1, "-2001", "位置Xの入力値が不正です"},
      {1, "2001", "位置Xの入力値が不正です"},
      {2, "3000 px", "位置Yの入力値が不正です"},
      {3, "-1001", "速さXの入力値が不正です"},
      {4, "1001", "速さYの入力値が不正です"},
      {5, "0", "イメージサイズXの入力値が不正です"},
      {5, "", "イメージサイズXの入力値が不正です"},
      {6, "2001", "イメージサイズYの入力値が不正です"},
      {7, "129", "フレーム数の入力値が不正です"},
  };
  Activate();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.message) + " for \"" + c.text + "\"");
    dialog->DispSpriteData(sprite);  // every field valid again
    dialog->ObjectCombo->setFocus();
    prompt.ClearHistory();
    QLineEdit* edit = Field(c.field);
    edit->setText(QString::fromUtf8(c.text));

    EXPECT_EQ(dialog->SaveSpriteData(), 0);
    ASSERT_EQ(prompt.Messages().size(), 1u);
    EXPECT_EQ(prompt.Messages()[0].text, QString::fromUtf8(c.message));
    EXPECT_EQ(prompt.Messages()[0].caption, QStringLiteral("エラー"));
    EXPECT_EQ(prompt.Messages()[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(edit->selectionStart(), edit->text().isEmpty() ? -1 : 0);
    EXPECT_EQ(edit->selectedText(), edit->text());
    // Nothing was stored.
    EXPECT_EQ(sprite->Params().Depth, 3);
    EXPECT_EQ(sprite->Params().PositionX, 10);
    EXPECT_EQ(sprite->Params().ImageSizeX, 32);
    EXPECT_EQ(sprite->FrameCount(), 2);
  }
}

TEST_F(FieldsTest, OnlyTheFirstBadFieldInTheCheckOrderIsReported) {
  Activate();
  dialog->FramesEdit->setText("0");
  dialog->SizeXEdit->setText("0");
  dialog->PosYEdit->setText("9999");
  EXPECT_EQ(dialog->CheckEdit(), 0);
  EXPECT_EQ(prompt.MessageTexts(), QStringList{QStringLiteral("位置Yの入力値が不正です")});
  EXPECT_EQ(QApplication::focusWidget(), dialog->PosYEdit);

  prompt.ClearHistory();
  dialog->PosYEdit->setText("5");
  EXPECT_EQ(dialog->CheckEdit(), 0);
  EXPECT_EQ(prompt.MessageTexts(),
            QStringList{QStringLiteral("イメージサイズXの入力値が不正です")});
}

struct Boundary {
  int field;
  const char* text;
};

TEST_F(FieldsTest, ValuesAtTheEndsOfEachRangeAreAccepted) {
  const Boundary cases[] = {{0, "0"},    {0, "128"},   {1, "-2000"}, {1, "2000"},  {2, "-2000"},
                            {2, "2000"}, {3, "-1000"}, {3, "1000"},  {4, "-1000"}, {4, "1000"},
                            {5, "1"},    {5, "2000"},  {6, "1"},     {6, "2000"},  {7, "1"},
                            {7, "128"},  {1, "abc"},   {2, "12abc"}};
  for (const auto& c : cases) {
    dialog->DispSpriteData(sprite);
    Field(c.field)->setText(QString::fromUtf8(c.text));
    EXPECT_EQ(dialog->CheckEdit(), 1) << c.field << " \"" << c.text << '"';
  }
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(FieldsTest, TheRandomStartBoxFollowsTheBehaviour) {
  struct Case {
    int behave;
    bool enabled;
  };
  const Case cases[] = {{1, true}, {2, false}, {3, true}, {4, false}, {0, true}};
  EditParams(*sprite, [&](ObSpriteParams& p) { p.RandomStart = 0; });
  dialog->DispSpriteData(sprite);
  for (const auto& c : cases) {
    dialog->RandomCheckBox->setChecked(true);  // what the user ticked, not yet stored
    doc.MarkSaved();
    dialog->BehaveTypeCombo->setCurrentIndex(c.behave);
    EXPECT_EQ(dialog->RandomCheckBox->isEnabled(), c.enabled) << c.behave;
    // The check mark comes back from the stored object.
    EXPECT_FALSE(dialog->RandomCheckBox->isChecked()) << c.behave;
    EXPECT_EQ(doc.Modified(), 1) << c.behave;
  }
  // The behaviour is stored only on saving.
  EXPECT_EQ(sprite->Params().Behave, 0);
}

TEST_F(FieldsTest, AGreyedRandomStartBoxKeepsItsMarkAndIsStoredAsItIs) {
  EditParams(*sprite, [&](ObSpriteParams& p) { p.RandomStart = 1; });
  dialog->DispSpriteData(sprite);
  dialog->BehaveTypeCombo->setCurrentIndex(2);
  ASSERT_FALSE(dialog->RandomCheckBox->isEnabled());
  EXPECT_TRUE(dialog->RandomCheckBox->isChecked());
  ASSERT_EQ(dialog->SaveSpriteData(), 1);
  EXPECT_EQ(sprite->Params().Behave, 2);
  EXPECT_EQ(sprite->Params().RandomStart, 1);
}

TEST_F(FieldsTest, ClickingTheRandomStartBoxIsAnEdit) {
  Activate();
  doc.MarkSaved();
  QTest::mouseClick(dialog->RandomCheckBox, Qt::LeftButton);
  EXPECT_EQ(doc.Modified(), 1);
  EXPECT_FALSE(dialog->RandomCheckBox->isChecked());
  EXPECT_EQ(sprite->Params().RandomStart, 0);
  EXPECT_EQ(doc.History().undoText(), QStringLiteral("ランダムの変更"));
}

// A field goes into the document when the user leaves it: one step for each field left, none
// while typing. The program's own writes into the fields change nothing.
TEST_F(FieldsTest, AFieldIsAnEditWhenItIsLeft) {
  Activate();
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    doc.History().clear();
    doc.MarkSaved();
    Field(i)->setFocus();
    Field(i)->selectAll();
    QTest::keyClicks(Field(i), "4");
    EXPECT_EQ(doc.Modified(), 0) << "typing alone";
    QTest::keyClicks(Field(i), "5");
    dialog->ObjectCombo->setFocus();  // left
    EXPECT_EQ(doc.Modified(), 1);
    EXPECT_EQ(doc.History().count(), 1) << "the typing is one step";
    EXPECT_EQ(Field(i)->text(), "45");
  }
  doc.MarkSaved();
  QTest::mouseClick(dialog->DepthUpDown->UpButton(), Qt::LeftButton);
  EXPECT_EQ(doc.Modified(), 1);
  EXPECT_EQ(sprite->Params().Depth, 46);
}

TEST_F(FieldsTest, TypingIntoALocationCellIsAnEdit) {
  Activate();
  dialog->BehaveTypeCombo->setCurrentIndex(ObSpriteData::kFixedPosition);
  doc.MarkSaved();
  dialog->Spread->SSSetData(1, ObKELDialog::kRowX, QStringLiteral("5"));
  EXPECT_EQ(doc.Modified(), 0);
  dialog->Spread->setFocus();
  ASSERT_TRUE(dialog->Spread->SSSetActiveCell(2, ObKELDialog::kRowX));
  QTest::keyClick(dialog->Spread, Qt::Key_1);
  QWidget* editor = QApplication::focusWidget();
  ASSERT_TRUE(qobject_cast<QLineEdit*>(editor));
  QTest::keyClicks(editor, "2");
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();  // the view commits the editor's text from its event queue
  QApplication::processEvents();  // and the form takes it into the document
  EXPECT_EQ(dialog->Spread->SSGetData(2, ObKELDialog::kRowX), QStringLiteral("12"));
  EXPECT_EQ(doc.Modified(), 1);
  EXPECT_EQ(sprite->Locations().at(1), (TPoint{12, 0}));
  EXPECT_EQ(dialog->Spread->SSGetData(1, ObKELDialog::kRowX), QStringLiteral("0"))
      << "what the grid shows is what the file holds";
}

// A frame count typed and stored without leaving the field: the grid shows the stored frames.
TEST_F(FieldsTest, StoringANewFrameCountShowsItInTheGrid) {
  COLORREF bg = 0, fg = 0;
  dialog->Spread->SSGetColor(2, 1, &bg, &fg);
  ASSERT_EQ(bg, RGB(0, 128, 0));
  dialog->FramesEdit->setText(QStringLiteral("1"));
  ASSERT_EQ(dialog->SaveSpriteData(), 1);
  EXPECT_EQ(sprite->FrameCount(), 1);
  dialog->Spread->SSGetColor(2, 1, &bg, &fg);
  EXPECT_EQ(bg, RGB(255, 255, 255));
  EXPECT_FALSE(dialog->Spread->SSHasPicture(2, 1));
  EXPECT_TRUE(dialog->Spread->SSHasPicture(1, 1));
}

// Leaving the frame-count field resizes the frame list at once.
class FrameCountTest : public FieldsTest {
 protected:
  void Leave(const char* text) {
    dialog->FramesEdit->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), dialog->FramesEdit);
    dialog->FramesEdit->setText(QString::fromUtf8(text));
    dialog->PosXEdit->setFocus();  // the focus moves on (and comes back after a refusal)
    QApplication::processEvents();
  }
};

TEST_F(FrameCountTest, LeavingTheFieldResizesTheFrameList) {
  struct Case {
    const char* text;
    int frames;
  };
  const Case cases[] = {{"5", 5}, {"1", 1}, {"128", 128}, {"3x", 3}, {"0", 0}};
  Activate();
  for (const auto& c : cases) {
    doc.MarkSaved();
    Leave(c.text);
    EXPECT_EQ(sprite->FrameCount(), c.frames) << c.text;
    EXPECT_EQ(sprite->NumFrames(), c.frames) << c.text;
    EXPECT_EQ(dialog->FramesEdit->text(), QString::number(c.frames));
    EXPECT_EQ(doc.Modified(), 1);
    for (int col : {1, c.frames, c.frames + 1, 128}) {
      if (col < 1 || col > 128) continue;
      EXPECT_EQ(Background(col, 5), col <= c.frames ? RGB(0, 128, 0) : RGB(255, 255, 255))
          << c.text << " column " << col;
    }
  }
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(FrameCountTest, ACountBeyondTheGridIsRefusedAndTheFramesStay) {
  Activate();
  for (const char* text : {"129", "65535", "65538", "-1"}) {
    prompt.ClearHistory();
    doc.MarkSaved();
    Leave(text);
    EXPECT_EQ(prompt.MessageTexts(), QStringList{QStringLiteral("フレーム数の入力値が不正です")})
        << text;
    ASSERT_EQ(prompt.Messages().size(), 1u);
    EXPECT_EQ(prompt.Messages()[0].caption, QStringLiteral("エラー"));
    EXPECT_EQ(prompt.Messages()[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(sprite->FrameCount(), 2) << text;
    // The text stays for the user to correct, selected.
    EXPECT_EQ(QApplication::focusWidget(), dialog->FramesEdit);
    EXPECT_EQ(dialog->FramesEdit->selectedText(), QString::fromUtf8(text));
    EXPECT_EQ(doc.Modified(), 0);
    EXPECT_EQ(Background(2, 1), RGB(0, 128, 0));
  }
}

TEST_F(FrameCountTest, ShrinkingKeepsThePicturesOfTheRemainingFrames) {
  Activate();
  ObBmpImage* first = sprite->GetImage(0).Image();
  Leave("1");
  ASSERT_EQ(sprite->FrameCount(), 1);
  EXPECT_EQ(sprite->GetImage(0).Image(), first);
  EXPECT_TRUE(dialog->Spread->SSHasPicture(1, 1));
  EXPECT_FALSE(dialog->Spread->SSHasPicture(2, 1));
}

TEST_F(FrameCountTest, LocationsTypedIntoTheGridSurviveLeavingTheField) {
  EditParams(*sprite, [&](ObSpriteParams& p) { p.Behave = ObSpriteData::kFixedPosition; });
  sprite->AddLocation({7, 8});
  sprite->AddLocation({9, 10});
  SetSound(*sprite, NewSound("C:\\snd\\bell.wav", 2));
  dialog->DispSpriteData(sprite);
  Activate();
  ASSERT_TRUE(dialog->CommitLocation(2, 4, "33"));  // typed into the grid

  Leave("3");
  EXPECT_EQ(Cell(1, 4), "7");
  EXPECT_EQ(Cell(1, 5), "8");
  EXPECT_EQ(Cell(2, 4), "33");
  EXPECT_EQ(Cell(2, 5), "10");
  EXPECT_EQ(Cell(2, 3), "bell");
  Leave("1");
  EXPECT_EQ(Cell(1, 4), "7");
  EXPECT_EQ(Cell(2, 4), "");  // beyond the last frame
  EXPECT_EQ(Cell(2, 3), "bell");

  // The object has what the grid shows.
  ASSERT_EQ(sprite->Locations().size(), 1u);
  EXPECT_EQ(sprite->Locations()[0], (TPoint{7, 8}));
}

TEST_F(FrameCountTest, AFocusChangeWithoutTheFieldChangesNothing) {
  Activate();
  dialog->PosXEdit->setFocus();
  doc.MarkSaved();
  dialog->PosYEdit->setFocus();
  EXPECT_EQ(doc.Modified(), 0);
  EXPECT_EQ(sprite->FrameCount(), 2);
}

}  // namespace
}  // namespace kel::test
