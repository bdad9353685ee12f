// The cell commands on real widgets with real bitmap and wave files: image read, sound read,
// continue icon, frame delete and the cut command's clearing step.
#include <QFile>
#include <QImage>

#include "editor/cell_fixture.h"
#include "model/text.h"
#include "support/sprite_setup.h"

namespace kel::test {
namespace {

constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
const QString kNoObject = QStringLiteral("オブジェクトがありません。");
const QString kWrongCell = QStringLiteral("選択ｾﾙが違っています");
const QString kImageFailed = QStringLiteral("ｲﾒｰｼﾞﾌｧｲﾙの読み込みに失敗しました");
const QString kSoundFailed = QStringLiteral("ｻｳﾝﾄﾞﾌｧｲﾙの読み込みに失敗しました");

using Command = void (EditCommands::*)();

// ---- the common checks

struct NamedCommand {
  const char* name;
  Command command;
};

TEST_F(CellTest, EveryCellCommandWithoutAnObjectSaysSoAndAsksNothing) {
  const NamedCommand cases[] = {{"image read", &EditCommands::CmImageRead},
                                {"sound read", &EditCommands::CmSoundRead},
                                {"continue icon", &EditCommands::CmContIcon},
                                {"frame delete", &EditCommands::CmDelButton},
                                {"cell clear", &EditCommands::CmEditDelete}};
  for (const NamedCommand& c : cases) {
    SCOPED_TRACE(c.name);
    prompt.ClearHistory();
    (commands.get()->*c.command)();
    ASSERT_EQ(prompt.Messages().size(), 1u);
    EXPECT_EQ(prompt.Messages()[0].text, kNoObject);
    EXPECT_EQ(prompt.Messages()[0].caption, QStringLiteral("エラー"));
    EXPECT_EQ(prompt.Messages()[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(FileDialogsAsked(), 0);
    EXPECT_EQ(doc.Modified(), 0);
  }
}

struct WrongCellCase {
  const char* name;
  Command command;
  int row;
};

TEST_F(CellTest, ACommandOnACellOfTheWrongRowSaysSoAndChangesNothing) {
  ObSpriteData* s = ShowFrames(2);
  const WrongCellCase cases[] = {
      {"image read, sound row", &EditCommands::CmImageRead, 3},
      {"image read, X row", &EditCommands::CmImageRead, 4},
      {"image read, Y row", &EditCommands::CmImageRead, 5},
      {"sound read, image row", &EditCommands::CmSoundRead, 1},
      {"sound read, mask row", &EditCommands::CmSoundRead, 2},
      {"sound read, X row", &EditCommands::CmSoundRead, 4},
      {"sound read, Y row", &EditCommands::CmSoundRead, 5},
      {"continue icon, sound row", &EditCommands::CmContIcon, 3},
      {"continue icon, Y row", &EditCommands::CmContIcon, 5},
  };
  for (const WrongCellCase& c : cases) {
    SCOPED_TRACE(c.name);
    prompt.ClearHistory();
    SetActive(2, c.row);
    (commands.get()->*c.command)();
    ASSERT_EQ(prompt.Messages().size(), 1u);
    EXPECT_EQ(prompt.Messages()[0].text, kWrongCell);
    EXPECT_EQ(prompt.Messages()[0].flags, unsigned(MB_OK)) << "no icon";
    EXPECT_EQ(FileDialogsAsked(), 0);
    EXPECT_EQ(SlotKinds(*s), "II II");
    EXPECT_EQ(s->Sound(), nullptr);
    EXPECT_EQ(ActiveCell(), std::make_pair(2, c.row));
    EXPECT_EQ(doc.Modified(), 0);
  }
}

// ---- image read

TEST_F(CellTest, ImageReadAsksForABitmapAndFillsTheCellAndTheSizeGrows) {
  ObSpriteData* s = ShowFrames(1);
  dialog->SizeXEdit->setText("32");
  dialog->SizeYEdit->setText("100");
  SetActive(1, 1);
  Choose(Bitmap("pic.bmp", 64, 48));

  commands->CmImageRead();

  ASSERT_EQ(prompt.History().size(), 1u);
  const FileDialogRequest& req = prompt.History()[0].file;
  EXPECT_EQ(req.filter, PictureFileFilter());
  EXPECT_EQ(req.defaultExt, QStringLiteral("bmp"));
  EXPECT_TRUE(req.mustExist);
  EXPECT_TRUE(req.directory.isEmpty());
  EXPECT_TRUE(req.title.isEmpty());

  EXPECT_TRUE(prompt.Messages().empty());
  ASSERT_EQ(s->FrameCount(), 1);
  const ObBmpImage* image = s->GetImage(0).Image();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Width(), 64);
  EXPECT_EQ(image->Height(), 48);
  EXPECT_NE(image->Bitmap(), nullptr) << "the display bitmap is made for the grid";
  EXPECT_EQ(s->GetMask(0).Image()->Width(), 50) << "the mask stays";
  EXPECT_TRUE(dialog->Spread->SSHasPicture(1, 1));
  EXPECT_EQ(dialog->SizeXEdit->text(), "64");
  EXPECT_EQ(dialog->SizeYEdit->text(), "100") << "the fields only grow";
  EXPECT_EQ(ActiveCell(), std::make_pair(2, 1)) << "the next read goes to the next frame";
  EXPECT_EQ(doc.Modified(), 1);
}

TEST_F(CellTest, ImageReadIntoTheMaskRowReplacesTheMask) {
  ObSpriteData* s = ShowFrames(2);
  SetActive(2, 2);
  Choose(Bitmap("mask.bmp", 20, 8));
  commands->CmImageRead();

  EXPECT_EQ(s->GetMask(1).Image()->Width(), 20);
  EXPECT_EQ(s->GetImage(1).Image()->Width(), 11) << "the image stays";
  EXPECT_EQ(ActiveCell(), std::make_pair(3, 2));
  EXPECT_EQ(dialog->SizeXEdit->text(), "20");
  EXPECT_EQ(dialog->SizeYEdit->text(), "16");
  EXPECT_EQ(doc.Modified(), 1);
}

TEST_F(CellTest, ImageReadBeyondTheLastFrameAddsEmptyFrames) {
  ObSpriteData* s = ShowFrames(2);
  SetActive(5, 1);
  Choose(Bitmap("far.bmp", 12, 12));
  commands->CmImageRead();

  EXPECT_EQ(SlotKinds(*s), "II II -- -- I-");
  EXPECT_EQ(s->NumFrames(), 5);
  EXPECT_EQ(dialog->FramesEdit->text(), "5");
  for (int col = 1; col <= 5; ++col)
    for (int row = 1; row <= 5; ++row) EXPECT_EQ(Background(col, row), kGreen) << col << "," << row;
  EXPECT_EQ(Background(6, 1), kWhite);
  EXPECT_FALSE(dialog->Spread->SSHasPicture(3, 1));
  EXPECT_TRUE(dialog->Spread->SSHasPicture(5, 1));
}

TEST_F(CellTest, ConsecutiveImageReadsFillConsecutiveFrames) {
  auto sprite = NewSprite("空");
  EditParams(*sprite, [&](ObSpriteParams& p) { p.ImageSizeX = p.ImageSizeY = 1; });
  ObSpriteData* s = Add(std::move(sprite));
  Show(0);
  for (int w : {30, 31, 32}) {
    Choose(Bitmap("f" + std::to_string(w) + ".bmp", w, 4));
    commands->CmImageRead();
  }
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{30, 31, 32}));
  EXPECT_EQ(ActiveCell(), std::make_pair(4, 1));
  EXPECT_EQ(dialog->SizeXEdit->text(), "32");
}

TEST_F(CellTest, CancellingTheBitmapDialogChangesNothing) {
  ObSpriteData* s = ShowFrames(2);
  SetActive(3, 1);
  Choose(std::nullopt);
  commands->CmImageRead();

  EXPECT_EQ(FileDialogsAsked(), 1);
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(SlotKinds(*s), "II II");
  EXPECT_EQ(ActiveCell(), std::make_pair(3, 1));
  EXPECT_EQ(doc.Modified(), 0);
}

struct BadBitmap {
  const char* name;
  std::string bytes;
  const char* reason;  // part of the loader's reason that the message must carry
};

TEST_F(CellTest, ABitmapThatCannotBeLoadedIsReportedWithTheReasonAndChangesNothing) {
  ObSpriteData* s = ShowFrames(2);
  const std::string good = ReadFileBytes(Bitmap("good.bmp", 8, 8).toStdString());
  const BadBitmap cases[] = {
      {"empty", "", "ファイルが空です"},
      {"text", "this is no picture at all", "\"BM\""},
      {"truncated", good.substr(0, good.size() - 20), ""},
  };
  for (const BadBitmap& c : cases) {
    SCOPED_TRACE(c.name);
    prompt.ClearHistory();
    dialog->SizeXEdit->setText("16");
    SetActive(1, 1);
    const QString path = File(std::string(c.name) + ".bmp", c.bytes);
    Choose(path);
    commands->CmImageRead();

    ASSERT_EQ(prompt.Messages().size(), 1u);
    const QString text = prompt.Messages()[0].text;
    EXPECT_TRUE(text.startsWith(kImageFailed)) << text.toStdString();
    EXPECT_TRUE(text.contains(path)) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.reason))) << text.toStdString();
    ObBmpImage probe(QFile::encodeName(path).constData());
    ASSERT_FALSE(probe.LoadError().empty());
    EXPECT_TRUE(text.contains(QString::fromStdString(probe.LoadError()))) << text.toStdString();
    EXPECT_EQ(prompt.Messages()[0].flags, unsigned(MB_OK));
    EXPECT_EQ(ImageWidths(*s), (std::vector<int>{10, 11}));
    EXPECT_EQ(dialog->SizeXEdit->text(), "16");
    EXPECT_EQ(ActiveCell(), std::make_pair(1, 1));
    EXPECT_EQ(doc.Modified(), 0);
  }
}

TEST_F(CellTest, AnImageReadIntoAContinueFrameShowsTheEmptiedOtherSlot) {
  ObSpriteData* s = ShowFrames(2);
  s->AddImage(FrameSlot(ContinueMark), 1, 0);
  s->AddImage(FrameSlot(ContinueMark), 1, 1);
  Show(0);
  ASSERT_TRUE(dialog->Spread->SSHasPicture(2, 2)) << "the continue icon";

  SetActive(2, 1);
  Choose(Bitmap("new.bmp", 9, 9));
  commands->CmImageRead();

  EXPECT_EQ(SlotKinds(*s), "II I-");
  EXPECT_TRUE(dialog->Spread->SSHasPicture(2, 1));
  EXPECT_FALSE(dialog->Spread->SSHasPicture(2, 2))
      << "the mask cell still showed the continue icon";
}

TEST_F(CellTest, ReadImageWithoutAnObjectReturnsZero) {
  EXPECT_EQ(commands->ReadImage(1, 1, Bitmap("x.bmp", 4, 4).toUtf8().constData()), 0);
  EXPECT_TRUE(prompt.Messages().empty());
}

// ---- sound read

TEST_F(CellTest, SoundReadPutsTheWaveAtTheActiveColumnAndPlaysIt) {
  ObSpriteData* s = ShowFrames(4);
  const std::string wave = WaveBytes();
  const QString path = File("bell.wav", wave);
  SetActive(4, 3);
  Choose(path);
  const int started = port->SoundsStarted();

  commands->CmSoundRead();

  ASSERT_EQ(prompt.History().size(), 1u);
  const FileDialogRequest& req = prompt.History()[0].file;
  EXPECT_EQ(req.filter, QStringLiteral("Wave File(*.wav)|*.wav|"));
  EXPECT_EQ(req.defaultExt, QStringLiteral("wav"));
  EXPECT_TRUE(req.mustExist);

  ASSERT_NE(s->Sound(), nullptr);
  EXPECT_EQ(s->Sound()->Frame, 4);
  EXPECT_STREQ(s->Sound()->FileName.data(), path.toStdString().c_str());
  ASSERT_EQ(s->Sound()->Size, int32_t(wave.size()));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s->Sound()->WaveData()), wave.size()), wave);
  EXPECT_EQ(Cell(4, 3), "bell");
  ASSERT_TRUE(port->Available()) << "the dummy audio driver did not open";
  EXPECT_EQ(port->SoundsStarted(), started + 1);
  EXPECT_EQ(doc.Modified(), 1);
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(CellTest, ASecondSoundReplacesTheFirstAndItsName) {
  ObSpriteData* s = ShowFrames(5);
  SetActive(2, 3);
  Choose(File("first.wav", WaveBytes(100)));
  commands->CmSoundRead();
  SetActive(5, 3);
  Choose(File("second.wav", WaveBytes(300)));
  commands->CmSoundRead();

  EXPECT_EQ(Cell(2, 3), "");
  EXPECT_EQ(Cell(5, 3), "second");
  EXPECT_EQ(Cell(0, 3), "ｻｳﾝﾄﾞ") << "the row's header stays";
  ASSERT_NE(s->Sound(), nullptr);
  EXPECT_EQ(s->Sound()->Frame, 5);
  EXPECT_EQ(s->Sound()->Size, int32_t(WaveBytes(300).size()));
}

TEST_F(CellTest, ASoundPathIsStoredInCp932AndItsNameShownAsWritten) {
  ObSpriteData* s = ShowFrames(1);
  std::filesystem::create_directories(dir / "音");
  const QString path = File("音/鐘の音.wav", WaveBytes());
  SetActive(1, 3);
  Choose(path);
  commands->CmSoundRead();

  ASSERT_NE(s->Sound(), nullptr);
  EXPECT_EQ(std::string(s->Sound()->FileName.data()), Utf8ToCp932(path.toStdString()).value());
  EXPECT_GT(s->Sound()->Size, 0) << "the file is found again under its stored name";
  EXPECT_EQ(Cell(1, 3), QStringLiteral("鐘の音"));
}

struct BadSound {
  const char* name;
  std::string file;  // relative to the temporary folder
  std::string bytes;
  const char* reason;
};

// The object file stores 255 bytes of path and the zero after them: a path of 255 bytes is
// taken, one of 256 refused.
TEST_F(CellTest, ASoundPathOfTheLongestLengthTheFileStoresIsTaken) {
  const std::string base = (dir / "").string();
  for (const size_t total : {size_t(255), size_t(256)}) {
    SCOPED_TRACE(total);
    ObSpriteData* s = ShowFrames(1);
    SetSound(*s, nullptr);
    prompt.ClearHistory();
    // A folder and a name, each shorter than a name may be, making a path of total bytes.
    const size_t rest = total - base.size() - std::string("/.wav").size();
    const std::string folder(rest / 2, char('a' + total % 2));
    std::filesystem::create_directories(dir / folder);
    const QString path =
        File(folder + "/" + std::string(rest - rest / 2, 'n') + ".wav", WaveBytes());
    ASSERT_EQ(size_t(path.toUtf8().size()), total);
    SetActive(1, 3);
    Choose(path);
    commands->CmSoundRead();
    if (total == 255) {
      EXPECT_TRUE(prompt.Messages().empty());
      ASSERT_NE(s->Sound(), nullptr);
      EXPECT_EQ(std::string(s->Sound()->FileName.data()), path.toStdString());
    } else {
      ASSERT_EQ(prompt.Messages().size(), 1u);
      EXPECT_TRUE(prompt.Messages()[0].text.contains(QStringLiteral("256 バイト、255 バイトまで")))
          << prompt.Messages()[0].text.toStdString();
      EXPECT_EQ(s->Sound(), nullptr);
    }
  }
}

TEST_F(CellTest, ASoundFileThatCannotBeUsedIsRefusedAndTheOldSoundStays) {
  ObSpriteData* s = ShowFrames(3);
  SetSound(*s, NewSound("old.wav", 1));
  Show(0);
  doc.MarkSaved();
  // A folder name that makes the path longer than the 255 bytes the file can store.
  const std::string longDir(240, 'd');
  std::filesystem::create_directories(dir / longDir);
  const BadSound cases[] = {
      {"not a wave", "text.wav", "hello, this is text", "WAVE ファイルではありません"},
      {"empty", "empty.wav", "", "空のファイルです"},
      {"RIFF of another form", "avi.wav", std::string("RIFF\x04\0\0\0AVI ", 12),
       "WAVE ファイルではありません"},
      {"data chunk past the end", "cut.wav", WaveBytes().substr(0, 100),
       "WAVE ファイルが壊れています ('data' chunk at offset 36 claims 2205 bytes"},
      {"character CP932 lacks", "\xF0\x9F\x94\x94.wav", WaveBytes(), "保存できない文字"},
      {"path too long", longDir + "/" + std::string(20, 's') + ".wav", WaveBytes(), "長すぎます"},
  };
  for (const BadSound& c : cases) {
    SCOPED_TRACE(c.name);
    prompt.ClearHistory();
    SetActive(3, 3);
    const QString path = File(c.file, c.bytes);
    Choose(path);
    commands->CmSoundRead();

    ASSERT_EQ(prompt.Messages().size(), 1u);
    const QString text = prompt.Messages()[0].text;
    EXPECT_TRUE(text.startsWith(kSoundFailed)) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.reason))) << text.toStdString();
    ASSERT_NE(s->Sound(), nullptr);
    EXPECT_STREQ(s->Sound()->FileName.data(), "old.wav");
    EXPECT_EQ(s->Sound()->Frame, 1);
    EXPECT_EQ(Cell(1, 3), "old");
    EXPECT_EQ(Cell(3, 3), "");
    EXPECT_EQ(doc.Modified(), 0);
  }
}

TEST_F(CellTest, CancellingTheWaveDialogChangesNothing) {
  ObSpriteData* s = ShowFrames(2);
  SetSound(*s, NewSound("old.wav", 2));
  Show(0);
  doc.MarkSaved();
  SetActive(1, 3);
  Choose(std::nullopt);
  commands->CmSoundRead();
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(s->Sound()->Frame, 2);
  EXPECT_EQ(Cell(2, 3), "old");
  EXPECT_EQ(doc.Modified(), 0);
}

// ---- continue icon

TEST_F(CellTest, ContinueIconFromTheMaskCellMarksTheWholeFrameAndMovesOn) {
  ObSpriteData* s = ShowFrames(3);
  SetActive(2, 2);
  commands->CmContIcon();

  EXPECT_EQ(SlotKinds(*s), "II CC II");
  EXPECT_TRUE(dialog->Spread->SSHasPicture(2, 1));
  EXPECT_TRUE(dialog->Spread->SSHasPicture(2, 2));
  EXPECT_EQ(ActiveCell(), std::make_pair(3, 2));
  dialog->show();
  SetActive(4, 1);  // the image row in view, no active-cell frame on the cells compared
  const QImage icon = DrawnCell(2, 1);
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon, DrawnCell(2, 2)) << "the same continue icon in both";
  EXPECT_NE(icon, DrawnCell(1, 1)) << "not the picture of the frame before";
  EXPECT_EQ(doc.Modified(), 1);
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(CellTest, ContinueIconBeyondTheLastFrameAddsFrames) {
  ObSpriteData* s = ShowFrames(2);
  SetActive(4, 1);
  commands->CmContIcon();
  EXPECT_EQ(SlotKinds(*s), "II II -- CC");
  EXPECT_EQ(dialog->FramesEdit->text(), "4");
  EXPECT_EQ(Background(4, 5), kGreen);
  EXPECT_EQ(Background(5, 1), kWhite);
  EXPECT_EQ(ActiveCell(), std::make_pair(5, 1));
}

TEST_F(CellTest, TheFirstFrameCannotContinueAnything) {
  ObSpriteData* s = ShowFrames(2);
  for (int row : {1, 2}) {
    SCOPED_TRACE(row);
    prompt.ClearHistory();
    SetActive(1, row);
    commands->CmContIcon();
    ASSERT_EQ(prompt.Messages().size(), 1u);
    EXPECT_EQ(prompt.Messages()[0].caption, QStringLiteral("エラー"));
    EXPECT_EQ(SlotKinds(*s), "II II");
    EXPECT_EQ(ActiveCell(), std::make_pair(1, row));
    EXPECT_EQ(doc.Modified(), 0);
  }
}

// ---- frame delete

TEST_F(CellTest, DeletingAFrameMovesTheLaterFramesUp) {
  ObSpriteData* s = ShowFrames(4);
  SetActive(2, 4);  // any row
  commands->CmDelButton();

  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{10, 12, 13}));
  EXPECT_EQ(s->GetMask(1).Image()->Width(), 52);
  EXPECT_EQ(s->NumFrames(), 3);
  EXPECT_EQ(dialog->FramesEdit->text(), "3");
  EXPECT_EQ(Background(3, 1), kGreen);
  EXPECT_EQ(Background(4, 1), kWhite);
  EXPECT_FALSE(dialog->Spread->SSHasPicture(4, 1));
  EXPECT_EQ(Cell(0, 3), "ｻｳﾝﾄﾞ");
  EXPECT_EQ(doc.Modified(), 1);
  EXPECT_TRUE(prompt.Messages().empty());
}

struct SoundAtDelete {
  int soundFrame;
  int deleted;
  int frameAfter;  // 0: the sound is gone
};

TEST_F(CellTest, DeletingAFrameTakesItsSoundAndMovesALaterOneWithItsFrame) {
  const SoundAtDelete cases[] = {
      {2, 2, 0},  // the deleted frame's sound goes
      {4, 2, 3},  // a later frame's sound stays with its frame
      {1, 2, 1},  // an earlier one stays where it is
      {4, 4, 0},
  };
  for (const SoundAtDelete& c : cases) {
    SCOPED_TRACE(::testing::Message() << "sound " << c.soundFrame << ", delete " << c.deleted);
    doc.Reset({}, QString());
    ObSpriteData* s = ShowFrames(4);
    SetSound(*s, NewSound("drum.wav", int16_t(c.soundFrame)));
    Show(0);
    SetActive(c.deleted, 1);
    commands->CmDelButton();

    ASSERT_EQ(s->FrameCount(), 3);
    if (c.frameAfter == 0) {
      EXPECT_EQ(s->Sound(), nullptr);
      for (int col = 1; col <= 4; ++col) EXPECT_EQ(Cell(col, 3), "") << col;
    } else {
      ASSERT_NE(s->Sound(), nullptr);
      EXPECT_EQ(s->Sound()->Frame, c.frameAfter);
      EXPECT_EQ(Cell(c.frameAfter, 3), "drum");
    }
  }
}

TEST_F(CellTest, DeletingAFrameOfAFixedPositionObjectTakesItsLocation) {
  auto sprite = NewSprite("固定");
  EditParams(*sprite, [&](ObSpriteParams& p) {
    p.Behave = ObSpriteData::kFixedPosition;
    p.ImageSizeX = p.ImageSizeY = 8;
  });
  for (int i = 0; i < 3; ++i) {
    sprite->AddImage(FrameSlot(SolidImage(10 + i, 4, 8, {0})), int16_t(i), 0);
    sprite->AddLocation(TPoint{10 * (i + 1), 100 * (i + 1)});
  }
  ObSpriteData* s = Add(std::move(sprite));
  Show(0);
  ASSERT_TRUE(dialog->CommitLocation(3, 4, "33"));  // typed into the grid
  SetActive(1, 1);
  commands->CmDelButton();

  EXPECT_EQ(s->Locations(), (std::vector<TPoint>{{20, 200}, {33, 300}}));
  EXPECT_EQ(Cell(1, 4), "20");
  EXPECT_EQ(Cell(2, 5), "300");
  EXPECT_EQ(Cell(3, 4), "");
}

TEST_F(CellTest, ARefusedSaveIsReportedAndTheFrameIsDeletedAllTheSame) {
  ObSpriteData* s = ShowFrames(3);
  dialog->DepthEdit->setText("999");
  dialog->FramesEdit->setText("0");  // minus one would be no count of frames
  SetActive(3, 1);
  commands->CmDelButton();

  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_EQ(prompt.Messages()[0].text, QStringLiteral("深さの入力値が不正です"));
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{10, 11}));
  EXPECT_EQ(s->NumFrames(), 2);
  EXPECT_EQ(dialog->FramesEdit->text(), "2");
  EXPECT_EQ(s->Params().Depth, 1) << "the refused field was not stored";
  EXPECT_EQ(doc.Modified(), 1);
}

TEST_F(CellTest, DeletingAColumnWithoutAFrameChangesNoFrame) {
  ObSpriteData* s = ShowFrames(2);
  SetActive(3, 1);
  commands->CmDelButton();
  EXPECT_EQ(SlotKinds(*s), "II II");
  EXPECT_EQ(doc.Modified(), 0);
}

// ---- the clearing step of cut

struct ClearCase {
  const char* name;
  int col, row;
  std::string before, after;
};

TEST_F(CellTest, ClearingACellEmptiesItsSlot) {
  const ClearCase cases[] = {
      {"image", 2, 1, "II II II", "II -I II"},
      {"mask", 3, 2, "II II II", "II II I-"},
      {"continue frame", 2, 1, "II CC II", "II -- II"},
      {"sound row", 2, 3, "II II II", "II II II"},
      {"past the last frame", 5, 1, "II II II", "II II II"},
  };
  for (const ClearCase& c : cases) {
    SCOPED_TRACE(c.name);
    doc.Reset({}, QString());
    ObSpriteData* s = ShowFrames(3);
    if (c.before == "II CC II") {
      s->AddImage(FrameSlot(ContinueMark), 1, 0);
      s->AddImage(FrameSlot(ContinueMark), 1, 1);
      Show(0);
      doc.MarkSaved();
    }
    SetActive(c.col, c.row);
    commands->CmEditDelete();
    EXPECT_EQ(SlotKinds(*s), c.after);
    if (c.row <= 2 && c.col <= 3) {
      EXPECT_FALSE(dialog->Spread->SSHasPicture(c.col, c.row));
    }
  }
}

}  // namespace
}  // namespace kel::test
