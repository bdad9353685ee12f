// Undo and redo of every kind of edit: each edit is one step, undoing it gives back the object file
// bytes from before it, redoing it the bytes from after it, and both show the object it changed.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <fstream>
#include <functional>

#include "editor/updown.h"
#include "grid/spread.h"
#include "platform/clipboard.h"
#include "support/sprite_setup.h"
#include "support/test_paths.h"

#include "editor/editor_fixture.h"
#include "platform/busy_work.h"

namespace kel::test {
namespace {

class UndoTest : public DialogTest {
 protected:
  UndoTest() {
    // A fixed-position object of three frames with a sound at frame 3, and a plain one.
    auto a = NewSprite("あ");
    EditParams(*a, [&](ObSpriteParams& p) {
      p.Behave = ObSpriteData::kFixedPosition;
      p.ImageSizeX = p.ImageSizeY = 16;
    });
    for (int i = 0; i < 3; ++i) {
      a->AddImage(FrameSlot(SolidImage(10 + i, 8, 8, {0x102030})), int16_t(i), 0);
      a->AddImage(FrameSlot(SolidImage(10 + i, 8, 1, {0, 0xFFFFFF})), int16_t(i), 1);
      a->AddLocation({10 * i, 20 * i});
    }
    SetSound(*a, NewSound("bell.wav", 3));
    Add(std::move(a));
    auto b = NewSprite("い");
    EditParams(*b, [&](ObSpriteParams& p) { p.ImageSizeX = p.ImageSizeY = 8; });
    b->AddImage(FrameSlot(SolidImage(4, 4, 8, {0x405060})), 0, 0);
    b->AddImage(FrameSlot(SolidImage(4, 4, 8, {0x405060})), 1, 0);
    Add(std::move(b));
    Show(0);

    // Large enough to be read beside the window, as a long wave is.
    const std::string wave = MonoPcmWave(8, 8000, std::string(kBusyBytes, '\x80'));
    std::ofstream(dir / "bell.wav", std::ios::binary)
        .write(wave.data(), std::streamsize(wave.size()));
    SolidImage(24, 20, 8, {0xFF0000})->Write((dir / "big.bmp").c_str());
    SolidImage(6, 6, 8, {0x00FF00})->Write((dir / "small.bmp").c_str());
    std::ofstream(dir / "list.lst") << "[Image List]\nNumFrames=2\nI1=big.bmp\nM1=small.bmp\n"
                                       "I2=small.bmp\n";
  }

  void Type(QLineEdit* edit, const char* text) {
    edit->setText(QString::fromUtf8(text));
    ASSERT_TRUE(dialog->CommitFields());
  }
  QString Path(const char* name) const { return QString::fromStdString((dir / name).string()); }

  TempDir dir;
};

struct EditCase {
  const char* name;
  std::function<void()> edit;
  int shownAfterUndo;  // the object shown after undo: the one the edit changed
};

TEST_F(UndoTest, EveryEditIsOneStepThatUndoAndRedoTakeBackAndForth) {
  const EditCase cases[] = {
      {"depth", [this] { this->Type(this->dialog->DepthEdit, "7"); }, 0},
      {"position X", [this] { this->Type(this->dialog->PosXEdit, "-50"); }, 0},
      {"position Y", [this] { this->Type(this->dialog->PosYEdit, "１２"); }, 0},
      {"speed X", [this] { this->Type(this->dialog->SpeedXEdit, "4"); }, 0},
      {"speed Y", [this] { this->Type(this->dialog->SpeedYEdit, "-2"); }, 0},
      {"image width", [this] { this->Type(this->dialog->SizeXEdit, "100"); }, 0},
      {"image height", [this] { this->Type(this->dialog->SizeYEdit, "200"); }, 0},
      {"frame count down", [this] { this->Type(this->dialog->FramesEdit, "1"); }, 0},
      {"frame count 0", [this] { this->Type(this->dialog->FramesEdit, "0"); }, 0},
      {"frame count up", [this] { this->Type(this->dialog->FramesEdit, "5"); }, 0},
      {"behaviour", [this] { this->dialog->BehaveTypeCombo->setCurrentIndex(1); }, 0},
      {"random start",
       [this] {
         this->doc.SetCurrent(1);
         this->dialog->RandomCheckBox->click();
       },
       1},
      {"auto repeat", [this] { this->dialog->AutoRepeatCheckBox->click(); }, 0},
      {"depth arrows", [this] { this->dialog->DepthUpDown->Step(1); }, 0},
      {"location typed", [this] { ASSERT_TRUE(this->dialog->CommitLocation(2, kRowY, "９９")); },
       0},
      {"image read",
       [this] {
         this->dialog->SetActiveCell(2, kRowImage);
         this->prompt.Answer(this->Path("big.bmp"));
         this->commands->CmImageRead();
       },
       0},
      {"mask read past the last frame",
       [this] {
         this->dialog->SetActiveCell(6, kRowMask);
         this->prompt.Answer(this->Path("small.bmp"));
         this->commands->CmImageRead();
       },
       0},
      {"sound read",
       [this] {
         this->dialog->SetActiveCell(1, kRowSound);
         this->prompt.Answer(this->Path("bell.wav"));
         this->commands->CmSoundRead();
       },
       0},
      {"continue icon",
       [this] {
         this->dialog->SetActiveCell(2, kRowImage);
         this->commands->CmContIcon();
       },
       0},
      {"frame delete",
       [this] {
         this->dialog->SetActiveCell(1, kRowMask);
         this->commands->CmDelButton();
       },
       0},
      {"frame delete with its sound",
       [this] {
         this->dialog->SetActiveCell(3, kRowImage);
         this->commands->CmDelButton();
       },
       0},
      {"mask made",
       [this] {
         this->dialog->SetActiveCell(1, kRowImage);
         this->commands->CmMakeMask();
       },
       0},
      {"cut",
       [this] {
         this->dialog->SetActiveCell(2, kRowMask);
         this->commands->CmEditCut();
       },
       0},
      {"picture pasted",
       [this] {
         ASSERT_TRUE(Clipboard().PutPicture(*SolidDib(30, 5, 24, {0x808080})));
         this->dialog->SetActiveCell(3, kRowImage);
         this->commands->CmEditPaste();
       },
       0},
      {"number pasted",
       [this] {
         QGuiApplication::clipboard()->setText(QStringLiteral("-8"));
         this->dialog->SetActiveCell(1, kRowX);
         this->commands->CmEditPaste();
       },
       0},
      {"image list",
       [this] {
         this->prompt.Answer(this->Path("list.lst"));
         this->commands->CmImageListRead();
       },
       0},
      {"new object",
       [this] {
         this->prompt.Answer(QStringLiteral("う"));
         this->commands->CmNewObject();
       },
       0},
      {"rename",
       [this] {
         this->prompt.Answer(QStringLiteral("改名"));
         this->commands->CmRenameObject();
       },
       0},
      {"delete object", [this] { this->commands->CmDeleteObject(); }, 0},
      {"delete the other object",
       [this] {
         this->doc.SetCurrent(1);
         this->commands->CmDeleteObject();
       },
       1},
      {"clear object", [this] { this->commands->CmClearObject(); }, 0},
  };
  ASSERT_GE(std::size(cases), 25u);
  const std::string original = FileBytes();
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    // Every case starts from the same document, shown at its first object.
    while (doc.History().canUndo()) doc.History().undo();
    ASSERT_EQ(FileBytes(), original);
    doc.History().clear();
    Show(0);
    prompt.ClearHistory();

    c.edit();
    ASSERT_TRUE(prompt.ScriptEmpty());
    EXPECT_TRUE(prompt.Messages().empty()) << prompt.MessageTexts().join('|').toStdString();
    ASSERT_EQ(doc.History().count(), 1) << "one step";
    EXPECT_FALSE(doc.History().text(0).isEmpty()) << "the step has a name";
    EXPECT_TRUE(doc.Modified());
    const std::string after = FileBytes();
    EXPECT_NE(after, original);

    doc.SetCurrent(doc.Count() > 1 && c.shownAfterUndo == 0 ? 1 : 0);  // look elsewhere first
    doc.History().undo();
    EXPECT_EQ(FileBytes(), original);
    EXPECT_FALSE(doc.Modified()) << "back at the saved state";
    EXPECT_EQ(doc.CurrentIndex(), c.shownAfterUndo);
    EXPECT_EQ(dialog->ObjectCombo->currentIndex(), c.shownAfterUndo);

    doc.History().redo();
    EXPECT_EQ(FileBytes(), after);
    EXPECT_TRUE(doc.Modified());
  }
}

TEST_F(UndoTest, UndoShowsTheObjectAndMakesTheChangedCellActive) {
  dialog->SetActiveCell(2, kRowImage);
  prompt.Answer(Path("big.bmp"));
  commands->CmImageRead();
  ASSERT_EQ(dialog->Spread->currentIndex().column(), 2);  // the next read goes to frame 3
  doc.SetCurrent(1);
  doc.History().undo();
  int col = 0, row = 0;
  dialog->ActiveCell(col, row);
  EXPECT_EQ(doc.CurrentIndex(), 0);
  EXPECT_EQ(std::make_pair(col, row), std::make_pair(2, int(kRowImage)));
  EXPECT_EQ(dialog->SizeXEdit->text(), "16") << "the form shows the object as it is again";
  doc.History().redo();
  EXPECT_EQ(dialog->SizeXEdit->text(), "24");
}

// Typing in one field, left and entered again, is one step; another field is another step.
TEST_F(UndoTest, TypingInOneFieldMergesIntoOneStep) {
  Type(dialog->PosXEdit, "1");
  Type(dialog->PosXEdit, "12");
  dialog->DepthUpDown->Step(1);
  dialog->DepthUpDown->Step(1);
  ASSERT_EQ(doc.History().count(), 2);
  EXPECT_EQ(doc.History().text(0), QStringLiteral("位置Xの変更"));
  EXPECT_EQ(doc.History().text(1), QStringLiteral("深さの変更"));
  doc.History().undo();
  doc.History().undo();
  EXPECT_EQ(list[0]->Params().PositionX, 0);
  EXPECT_EQ(list[0]->Params().Depth, 1);
  // Typed back to where it started, the step is no step.
  Type(dialog->SpeedXEdit, "9");
  Type(dialog->SpeedXEdit, "0");
  EXPECT_EQ(doc.History().count(), 0);
  EXPECT_FALSE(doc.Modified());
}

TEST_F(UndoTest, TheCleanStateFollowsSavesAndUndo) {
  Type(dialog->PosXEdit, "5");
  doc.MarkSaved();  // saved here
  EXPECT_FALSE(doc.Modified());
  Type(dialog->PosYEdit, "6");
  EXPECT_TRUE(doc.Modified());
  doc.History().undo();
  EXPECT_FALSE(doc.Modified()) << "undone back to the saved state";
  doc.History().undo();
  EXPECT_TRUE(doc.Modified()) << "undone past it";
  doc.History().redo();
  EXPECT_FALSE(doc.Modified());
}

// Pictures move between the object and the history; they are never copied.
TEST_F(UndoTest, PicturesMoveIntoAndOutOfTheHistory) {
  const ObBmpImage* first = list[0]->GetImage(0).Image();
  commands->CmClearObject();
  doc.History().undo();
  EXPECT_EQ(list[0]->GetImage(0).Image(), first);
  dialog->SetActiveCell(1, kRowImage);
  commands->CmDelButton();
  doc.History().undo();
  EXPECT_EQ(list[0]->GetImage(0).Image(), first);
}

TEST_F(UndoTest, AnObjectWithMoreFramesThanTheGridIsShownAndKeptAsItIs) {
  auto big = NewSprite("多い");
  EditParams(*big, [&](ObSpriteParams& p) { p.ImageSizeX = p.ImageSizeY = 8; });
  big->SetNumFrames(130);
  big->AddImage(FrameSlot(SolidImage(4, 4, 8, {0})), 0, 0);
  Add(std::move(big));
  Show(2);
  EXPECT_EQ(dialog->FramesEdit->text(), "130");
  // It can be left and saved as it is; only a count the user types is held to 128.
  EXPECT_EQ(dialog->SaveSpriteData(), 1);
  dialog->ObjectCombo->setCurrentIndex(0);
  EXPECT_EQ(doc.CurrentIndex(), 0);
  EXPECT_TRUE(prompt.Messages().empty());
  doc.SetCurrent(2);
  dialog->FramesEdit->setText("131");
  EXPECT_FALSE(dialog->CommitFields());
  EXPECT_EQ(list[2]->FrameCount(), 130);
}

// An emptied or worded frame-count field changes nothing; only a typed number does.
TEST_F(UndoTest, OnlyATypedNumberChangesTheFrameCount) {
  for (const char* text : {"", "  ", "abc", "－"}) {
    SCOPED_TRACE(text);
    dialog->FramesEdit->setText(QString::fromUtf8(text));
    EXPECT_TRUE(dialog->CommitFields());
    EXPECT_EQ(list[0]->FrameCount(), 3);
    EXPECT_EQ(dialog->FramesEdit->text(), "3");
  }
  EXPECT_FALSE(doc.Modified());
  EXPECT_TRUE(prompt.Messages().empty());
}

// Full-width digits are digits; after storing, a field shows the number stored.
TEST_F(UndoTest, FieldsShowTheNumberStored) {
  const struct {
    QLineEdit* ObKELDialog::*field;
    const char* typed;
    const char* shown;
  } cases[] = {
      {&ObKELDialog::PosXEdit, "１２３", "123"}, {&ObKELDialog::PosYEdit, "12abc", "12"},
      {&ObKELDialog::SpeedXEdit, "－４", "-4"},  {&ObKELDialog::SpeedYEdit, "　７", "7"},
      {&ObKELDialog::DepthEdit, "０８", "8"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    Type((*dialog).*c.field, c.typed);
    EXPECT_EQ(((*dialog).*c.field)->text(), QString::fromUtf8(c.shown));
  }
  EXPECT_EQ(list[0]->Params().PositionX, 123);
  EXPECT_EQ(list[0]->Params().PositionY, 12);
  EXPECT_EQ(list[0]->Params().SpeedX, -4);
  EXPECT_EQ(list[0]->Params().SpeedY, 7);
  EXPECT_EQ(list[0]->Params().Depth, 8);
}

// Choosing fixed position gives every frame a location, shown in the grid and saved as shown.
TEST_F(UndoTest, ChoosingFixedPositionFillsTheLocationRows) {
  doc.SetCurrent(1);
  dialog->BehaveTypeCombo->setCurrentIndex(ObSpriteData::kFixedPosition);
  EXPECT_EQ(list[1]->Locations(), (std::vector<TPoint>{{0, 0}, {0, 0}}));
  EXPECT_EQ(Cell(2, kRowX), "0");
  EXPECT_EQ(Cell(2, kRowY), "0");
  // Only X typed: the frame's Y is the 0 the grid shows.
  ASSERT_TRUE(dialog->CommitLocation(1, kRowX, "30"));
  EXPECT_EQ(list[1]->Locations()[0], (TPoint{30, 0}));
  EXPECT_EQ(Cell(1, kRowY), "0");
}

}  // namespace
}  // namespace kel::test
