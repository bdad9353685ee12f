// The paint program hand-over: a double-click on a picture cell writes the picture as a
// numbered bitmap file and starts the paint program through a scripted launcher; real widgets,
// real files in a temporary folder.
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTest>
#include <csignal>
#include <filesystem>

#include "editor/cell_fixture.h"
#include "platform/launcher.h"
#include "support/sprite_setup.h"

namespace kel::test {
namespace {

namespace fs = std::filesystem;

const QString kNoObject = QStringLiteral("オブジェクトがありません。");
const QString kNoDib = QStringLiteral("DIBが取得できません");
const QString kWriteFailed = QStringLiteral("テンポラリファイルの書き込みに失敗しました。");

QString Native(const fs::path& p) {
  return QString::fromStdString(p.string());
}

class PaintToolTest : public CellTest {
 protected:
  PaintToolTest() {
    EditCommands::PaintFileCounter = 0;
    commands->Launcher = launcher;
    // The document lies in the temporary folder; no file has been chosen in a dialog yet.
    doc.SetFileName(Native(dir / "doc.kel"));
  }

  // The launcher's requests so far as "command line @ folder".
  std::vector<std::string> Launched() const {
    std::vector<std::string> out;
    for (const auto& r : launcher->Requests())
      out.push_back(r.commandLine.toStdString() + " @ " + r.folder.toStdString());
    return out;
  }
  std::string InDir(const std::string& command) const {
    return command + " @ " + dir.Path().string();
  }

  void ExpectOneError(const QString& text) {
    ASSERT_EQ(prompt.Messages().size(), 1u);
    EXPECT_EQ(prompt.Messages()[0].text, text);
    EXPECT_EQ(prompt.Messages()[0].caption, QStringLiteral("エラー"));
    EXPECT_EQ(prompt.Messages()[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
  }

  std::shared_ptr<ScriptedLaunchPort> launcher = std::make_shared<ScriptedLaunchPort>();
};

TEST_F(PaintToolTest, DoubleClickOnAPictureCellWritesItAndStartsThePaintProgram) {
  ShowFrames(2);
  TSpread& grid = *dialog->Spread;
  dialog->show();
  grid.setFocus();
  // A real double-click on the image cell of frame 1.
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                     grid.visualRect(grid.model()->index(0, 0)).center());

  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(Launched(), std::vector<std::string>{InDir("PBRUSH pebbl000.bmp")});
  ASSERT_EQ(launcher->Requests().size(), 1u);
  EXPECT_EQ(launcher->Requests()[0].file, Native(dir / "pebbl000.bmp"));
  EXPECT_TRUE(fs::is_regular_file(dir / "pebbl000.bmp"));
  EXPECT_EQ(EditCommands::PaintFileCounter, 1);

  // The next one, on any picture, takes the next name.
  EXPECT_EQ(commands->EvDblClick(2, ObKELDialog::kRowMask), 1);
  EXPECT_EQ(Launched().back(), InDir("PBRUSH pebbl001.bmp"));
  EXPECT_TRUE(fs::is_regular_file(dir / "pebbl001.bmp"));
  EXPECT_EQ(EditCommands::PaintFileCounter, 2);
}

TEST_F(PaintToolTest, NamesWrapAfterTheLastNumberAndSkipNamesInUse) {
  ShowFrames(2);
  const struct {
    const char* what;
    int32_t counter;
    std::vector<const char*> existing;  // names left by an earlier run
    const char* name;
    int32_t after;
  } cases[] = {
      {"free name", 997, {}, "pebbl997.bmp", 998},
      {"the last name", 998, {}, "pebbl998.bmp", 999},
      {"wraps, pebbl999.bmp never occurs", 999, {}, "pebbl000.bmp", 1},
      {"out of range", 5000, {}, "pebbl000.bmp", 1},
      {"names in use are skipped", 0, {"pebbl000.bmp", "pebbl001.bmp"}, "pebbl002.bmp", 3},
      {"skipping wraps", 998, {"pebbl998.bmp", "pebbl000.bmp"}, "pebbl001.bmp", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const fs::directory_entry& e : fs::directory_iterator(dir.Path()))
      if (e.path().filename().string().rfind("pebbl", 0) == 0) fs::remove(e.path());
    for (const char* name : c.existing) WriteFileBytes(dir / name, "user's picture");
    EditCommands::PaintFileCounter = c.counter;
    EXPECT_EQ(commands->EvDblClick(1, ObKELDialog::kRowImage), 1);
    EXPECT_EQ(Launched().back(), InDir(std::string("PBRUSH ") + c.name));
    EXPECT_TRUE(fs::is_regular_file(dir / c.name));
    EXPECT_EQ(EditCommands::PaintFileCounter, c.after);
    for (const char* name : c.existing) EXPECT_EQ(ReadFileBytes(dir / name), "user's picture");
  }
  EXPECT_FALSE(fs::exists(dir / "pebbl999.bmp"));
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(PaintToolTest, WhenEveryNameIsInUseNothingIsWrittenAndTheMessageNamesTheFolder) {
  ShowFrames(1);
  for (int i = 0; i < 999; ++i)
    WriteFileBytes(dir / QString::asprintf("pebbl%03d.bmp", i).toStdString(), "x");
  EditCommands::PaintFileCounter = 500;
  EXPECT_EQ(commands->EvDblClick(1, ObKELDialog::kRowImage), 0);
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_TRUE(prompt.Messages()[0].text.startsWith(QStringLiteral("フォルダー \"") +
                                                   Native(dir.Path()) + QStringLiteral("\" の")))
      << prompt.Messages()[0].text.toStdString();
  EXPECT_TRUE(launcher->Requests().empty());
  EXPECT_EQ(ReadFileBytes(dir / "pebbl500.bmp"), "x");
}

TEST_F(PaintToolTest, CellsWithoutAPictureOfTheirOwnSayNoDib) {
  ObSpriteData* s = ShowFrames(2);
  s->AddImage(FrameSlot(ContinueMark), 1, 0);
  s->AddImage(FrameSlot(ContinueMark), 1, 1);
  s->AddImage(FrameSlot(), 0, 1);  // frame 1 without its mask
  const struct {
    const char* name;
    int col, row;
  } cases[] = {
      {"continue frame, image", 2, ObKELDialog::kRowImage},
      {"continue frame, mask", 2, ObKELDialog::kRowMask},
      {"empty mask", 1, ObKELDialog::kRowMask},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    prompt.ClearHistory();
    EXPECT_EQ(commands->EvDblClick(c.col, c.row), 0);
    ExpectOneError(kNoDib);
  }
  EXPECT_TRUE(launcher->Requests().empty());
  EXPECT_EQ(EditCommands::PaintFileCounter, 0);
  EXPECT_TRUE(fs::is_empty(dir.Path()));
}

TEST_F(PaintToolTest, OtherCellsDoNothing) {
  ShowFrames(2);
  const struct {
    const char* name;
    int col, row;
  } cases[] = {
      {"sound row", 1, ObKELDialog::kRowSound},
      {"X row", 1, ObKELDialog::kRowX},
      {"Y row", 2, ObKELDialog::kRowY},
      {"row header", 0, ObKELDialog::kRowImage},
      {"column header", 1, 0},
      {"beyond the last frame, image", 3, ObKELDialog::kRowImage},
      {"beyond the last frame, mask", 128, ObKELDialog::kRowMask},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(commands->EvDblClick(c.col, c.row), 0);
  }
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_TRUE(launcher->Requests().empty());
  EXPECT_EQ(EditCommands::PaintFileCounter, 0);
  EXPECT_TRUE(fs::is_empty(dir.Path()));
}

TEST_F(PaintToolTest, WithoutAnObjectEveryCellSaysSo) {
  for (int row : {0, 1, 2, 3, 5}) {
    SCOPED_TRACE(row);
    prompt.ClearHistory();
    EXPECT_EQ(commands->EvDblClick(1, row), 0);
    ExpectOneError(kNoObject);
  }
  EXPECT_TRUE(launcher->Requests().empty());
}

TEST_F(PaintToolTest, TheWrittenFileReadsBackWithTheSamePixelsAndTheObjectStaysAsItWas) {
  auto sprite = NewSprite("絵");
  EditParams(*sprite, [&](ObSpriteParams& p) {
    p.ImageSizeX = 16;
    p.ImageSizeY = 16;
  });
  // Odd widths at every depth, so that row padding and colour tables are part of the file.
  const int depths[] = {1, 4, 8, 24};
  for (int i = 0; i < 4; ++i)
    sprite->AddImage(
        FrameSlot(SolidImage(5 + 2 * i, 3 + i, depths[i], {0x102030, 0xFF8000, 0x00FF00}, true)),
        int16_t(i), 0);
  ObSpriteData* s = Add(std::move(sprite));
  Show(0);
  doc.MarkSaved();
  const ObBmpImage* before[4];
  for (int i = 0; i < 4; ++i) before[i] = s->GetImage(int16_t(i)).Image();

  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(depths[i]);
    ASSERT_EQ(commands->EvDblClick(i + 1, ObKELDialog::kRowImage), 1);
    const fs::path written = dir / QString::asprintf("pebbl%03d.bmp", i).toStdString();
    // Read back as the image-read command reads it, into the mask of the same frame.
    std::string error;
    ASSERT_EQ(commands->ReadImage(i + 1, ObKELDialog::kRowMask, written.c_str(), &error), 1)
        << error;
    // Same size, depth, colours and pixel rows; the reader fills in the colour count the
    // header may leave 0, so the headers are compared field by field.
    const ObBmpImage* reread = s->GetMask(int16_t(i)).Image();
    ASSERT_NE(reread, nullptr);
    const PackedDib& a = *before[i]->Dib();
    const PackedDib& b = *reread->Dib();
    EXPECT_EQ(reread->Width(), before[i]->Width());
    EXPECT_EQ(reread->Height(), before[i]->Height());
    EXPECT_EQ(reread->BitCount(), depths[i]);
    ASSERT_EQ(b.NumColors(), a.NumColors());
    ASSERT_EQ(b.Size(), a.Size());
    const auto bytes = [](const PackedDib& d) {
      return std::string(reinterpret_cast<const char*>(d.Colors()),
                         d.Size() - size_t(d.Colors() - d.Data()));
    };
    EXPECT_EQ(bytes(b), bytes(a));
    // Nothing else of the object moved: the frame's picture is the one it had.
    EXPECT_EQ(s->GetImage(int16_t(i)).Image(), before[i]);
  }
  EXPECT_EQ(s->FrameCount(), 4);
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(PaintToolTest, DoubleClickChangesNeitherTheObjectNorTheModifiedFlag) {
  ObSpriteData* s = ShowFrames(3);
  const ObBmpImage* image = s->GetImage(1).Image();
  const ObBmpImage* mask = s->GetMask(1).Image();
  const std::string dib(reinterpret_cast<const char*>(image->Dib()->Data()), image->Dib()->Size());
  ASSERT_EQ(commands->EvDblClick(2, ObKELDialog::kRowImage), 1);
  ASSERT_EQ(commands->EvDblClick(2, ObKELDialog::kRowMask), 1);
  EXPECT_EQ(doc.Modified(), 0);
  EXPECT_EQ(SlotKinds(*s), "II II II");
  EXPECT_EQ(s->NumFrames(), 3);
  EXPECT_EQ(s->GetImage(1).Image(), image);
  EXPECT_EQ(s->GetMask(1).Image(), mask);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(image->Dib()->Data()), image->Dib()->Size()),
            dib);
  EXPECT_EQ(dialog->FramesEdit->text(), QStringLiteral("3"));
}

TEST_F(PaintToolTest, AFileThatCannotBeWrittenIsReportedWithItsFolderAndNothingStarts) {
  ShowFrames(1);
  // A full disk, made with a file size limit in a child process.
  const int code = InChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16, 16};
    setrlimit(RLIMIT_FSIZE, &limit);
    int result = 0;
    if (commands->EvDblClick(1, ObKELDialog::kRowImage) != 0) result |= 1;
    if (prompt.MessageTexts() !=
        QStringList{kWriteFailed + QStringLiteral("\n\nフォルダー: ") + Native(dir.Path())})
      result |= 2;
    if (!launcher->Requests().empty()) result |= 4;
    if (EditCommands::PaintFileCounter != 0) result |= 8;
    if (fs::exists(dir / "pebbl000.bmp")) result |= 16;
    return result;
  });
  EXPECT_EQ(code, 0) << "1 succeeded, 2 other message, 4 started, 8 counter moved, 16 file left";

  // The next try uses the same name.
  EXPECT_EQ(commands->EvDblClick(1, ObKELDialog::kRowImage), 1);
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(Launched(), std::vector<std::string>{InDir("PBRUSH pebbl000.bmp")});
  EXPECT_TRUE(fs::is_regular_file(dir / "pebbl000.bmp"));
}

TEST_F(PaintToolTest, AProgramThatDoesNotStartIsReportedAndTheFileStays) {
  ShowFrames(1);
  launcher->Answer(false);
  EXPECT_EQ(commands->EvDblClick(1, ObKELDialog::kRowImage), 0);
  ASSERT_EQ(prompt.Messages().size(), 1u);
  const ScriptedPromptPort::Message& m = prompt.Messages()[0];
  EXPECT_TRUE(m.text.startsWith(QStringLiteral("ペイントプログラムを起動できませんでした。")))
      << m.text.toStdString();
  // The user is told where the picture is, to open it by hand.
  EXPECT_TRUE(m.text.endsWith(Native(dir / "pebbl000.bmp"))) << m.text.toStdString();
  EXPECT_EQ(m.caption, QStringLiteral("エラー"));
  EXPECT_EQ(m.flags, unsigned(MB_OK | MB_ICONINFORMATION));
  EXPECT_TRUE(fs::is_regular_file(dir / "pebbl000.bmp"));
  // Its name is used up: the next double-click does not overwrite it.
  EXPECT_EQ(commands->EvDblClick(1, ObKELDialog::kRowImage), 1);
  EXPECT_EQ(launcher->Requests().back().commandLine, QStringLiteral("PBRUSH pebbl001.bmp"));
}

TEST_F(PaintToolTest, TheFileGoesWhereTheLastFileWasChosen) {
  ShowFrames(1);
  // Before any file dialog: the document's folder.
  ASSERT_EQ(commands->EvDblClick(1, ObKELDialog::kRowImage), 1);
  EXPECT_TRUE(fs::is_regular_file(dir / "pebbl000.bmp"));

  // A bitmap read from another folder: the next picture goes there.
  fs::create_directory(dir / "art");
  const QString chosen = Bitmap("art/walk.bmp", 8, 8);
  SetActive(2, ObKELDialog::kRowImage);
  Choose(chosen);
  commands->CmImageRead();
  ASSERT_EQ(commands->EvDblClick(2, ObKELDialog::kRowImage), 1);
  EXPECT_TRUE(fs::is_regular_file(dir / "art" / "pebbl001.bmp"));
  EXPECT_EQ(launcher->Requests().back().folder, Native(dir / "art"));
  EXPECT_EQ(launcher->Requests().back().file, Native(dir / "art" / "pebbl001.bmp"));

  // A cancelled dialog changes nothing.
  Choose(std::nullopt);
  commands->CmImageRead();
  ASSERT_EQ(commands->EvDblClick(1, ObKELDialog::kRowImage), 1);
  EXPECT_TRUE(fs::is_regular_file(dir / "art" / "pebbl002.bmp"));
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(PaintToolTest, AnUntitledDocumentPutsTheFileInTheHomeFolder) {
  ShowFrames(1);
  const QByteArray oldHome = qgetenv("HOME");
  qputenv("HOME", dir.Path().c_str());
  doc.SetFileName(QStringLiteral("無題.kel"));
  const QString folder = commands->PaintFolder();
  qputenv("HOME", oldHome);
  EXPECT_EQ(folder, Native(dir.Path()));
  // A document in a folder that is gone does not count either.
  doc.SetFileName(Native(dir / "gone" / "doc.kel"));
  EXPECT_EQ(commands->PaintFolder(), QDir::homePath());
}

}  // namespace
}  // namespace kel::test
