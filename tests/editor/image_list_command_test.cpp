// Reading an image list into the shown object on real widgets, with real list and bitmap files
// on disk: which slots are filled, what stays, and what the user is told when a list or an entry
// cannot be used.
#include <QFile>
#include <QRegularExpression>
#include <filesystem>

#include "editor/cell_fixture.h"

namespace kel::test {
namespace {

const QString kNoObject = QStringLiteral("オブジェクトがありません。");
const QString kListInvalid = QStringLiteral("ﾘｽﾄﾌｧｲﾙが存在しないか，異常なﾌｧｲﾙです.");

class ImageListTest : public CellTest {
 protected:
  // Writes the list file and answers the next file dialog with it.
  QString ChooseList(const std::string& name, const std::string& bytes) {
    const QString path = File(name, bytes);
    Choose(path);
    return path;
  }
  // Bitmaps i<w>.bmp for each width, in the temporary folder.
  void Bitmaps(std::initializer_list<int> widths) {
    for (int w : widths) Bitmap("i" + std::to_string(w) + ".bmp", w, 4);
  }
};

TEST_F(ImageListTest, WithoutAnObjectItSaysSoAndAsksNothing) {
  commands->CmImageListRead();
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_EQ(prompt.Messages()[0].text, kNoObject);
  EXPECT_EQ(prompt.Messages()[0].caption, QStringLiteral("エラー"));
  EXPECT_EQ(prompt.Messages()[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(FileDialogsAsked(), 0);
  EXPECT_EQ(commands->ReadImageList("/nonexistent.lst"), 0);
}

TEST_F(ImageListTest, AsksForAListFileAndCancelChangesNothing) {
  ObSpriteData* s = ShowFrames(2);
  SetActive(2, 2);
  Choose(std::nullopt);
  commands->CmImageListRead();

  ASSERT_EQ(prompt.History().size(), 1u);
  const FileDialogRequest& req = prompt.History()[0].file;
  EXPECT_EQ(req.filter, QStringLiteral("ｲﾒｰｼﾞﾘｽﾄﾌｧｲﾙ (*.lst)|*.lst|"));
  EXPECT_EQ(req.defaultExt, QStringLiteral("lst"));
  EXPECT_TRUE(req.mustExist);
  EXPECT_TRUE(req.directory.isEmpty());
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(SlotKinds(*s), "II II");
  EXPECT_EQ(ActiveCell(), std::make_pair(2, 2));
  EXPECT_EQ(doc.Modified(), 0);
}

TEST_F(ImageListTest, ImagesOnlyFillTheImagesAndLeaveTheMasks) {
  ObSpriteData* s = ShowFrames(3);
  Bitmaps({21, 22, 23});
  SetActive(3, 2);
  ChooseList("walk.lst",
             "[Image List]\r\nNumFrames=3\r\nI1=i21.bmp\r\nI2=i22.bmp\r\nI3=i23.bmp\r\n");
  commands->CmImageListRead();

  EXPECT_TRUE(prompt.Messages().empty()) << prompt.MessageTexts().join("|").toStdString();
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{21, 22, 23}));
  EXPECT_EQ(MaskWidths(*s), (std::vector<int>{50, 51, 52}));
  EXPECT_NE(s->GetImage(2).Image()->Bitmap(), nullptr) << "display bitmaps made";
  for (int col = 1; col <= 3; ++col) EXPECT_TRUE(dialog->Spread->SSHasPicture(col, 1)) << col;
  EXPECT_EQ(ActiveCell(), std::make_pair(1, 1));
  EXPECT_EQ(dialog->SizeXEdit->text(), "23") << "the size field grows to the widest picture";
  EXPECT_EQ(doc.Modified(), 1);
}

TEST_F(ImageListTest, EntriesAfterTheCountAreIgnored) {
  ObSpriteData* s = ShowFrames(1);
  Bitmaps({21, 22, 23});
  ChooseList("two.lst", "[Image List]\nNumFrames=2\nI1=i21.bmp\nI2=i22.bmp\nI3=i23.bmp\n");
  commands->CmImageListRead();

  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{21, 22}));
  EXPECT_EQ(SlotKinds(*s), "II I-");
  EXPECT_EQ(dialog->FramesEdit->text(), "2");
}

TEST_F(ImageListTest, AShortObjectGrowsALongOneKeepsItsLaterFrames) {
  Bitmaps({21, 22, 23, 24, 25, 71, 75});
  const std::string list =
      "[Image List]\nNumFrames=5\nI1=i21.bmp\nI2=i22.bmp\nI3=i23.bmp\nI4=i24.bmp\nI5=i25.bmp\n"
      "M1=i71.bmp\nM5=i75.bmp\n";

  ObSpriteData* shortOne = ShowFrames(2);
  ChooseList("five.lst", list);
  commands->CmImageListRead();
  EXPECT_EQ(SlotKinds(*shortOne), "II II I- I- II");
  EXPECT_EQ(ImageWidths(*shortOne), (std::vector<int>{21, 22, 23, 24, 25}));
  EXPECT_EQ(MaskWidths(*shortOne), (std::vector<int>{71, 51, 0, 0, 75}));
  EXPECT_EQ(shortOne->NumFrames(), 5);
  EXPECT_EQ(dialog->FramesEdit->text(), "5");

  ObSpriteData* longOne = ShowFrames(8);
  Choose(File("five.lst", list));
  commands->CmImageListRead();
  EXPECT_EQ(ImageWidths(*longOne), (std::vector<int>{21, 22, 23, 24, 25, 15, 16, 17}));
  EXPECT_EQ(MaskWidths(*longOne), (std::vector<int>{71, 51, 52, 53, 75, 55, 56, 57}));
  EXPECT_EQ(dialog->FramesEdit->text(), "8");
  EXPECT_TRUE(dialog->Spread->SSHasPicture(8, 2));
}

TEST_F(ImageListTest, KeysInOtherLetterCaseAreFound) {
  ObSpriteData* s = ShowFrames(1);
  Bitmaps({21, 71});
  ChooseList("lower.lst", "[image list]\nnumframes=1\ni1=i21.bmp\nm1=\"i71.bmp\"\n");
  commands->CmImageListRead();
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{21}));
  EXPECT_EQ(MaskWidths(*s), (std::vector<int>{71}));
}

TEST_F(ImageListTest, AContinueFrameKeepsOnlyTheLoadedSlot) {
  ObSpriteData* s = ShowFrames(2);
  s->AddImage(FrameSlot(ContinueMark), 1, 0);
  s->AddImage(FrameSlot(ContinueMark), 1, 1);
  Show(0);
  doc.MarkSaved();
  Bitmaps({22});
  ChooseList("cont.lst", "[Image List]\nNumFrames=2\nI2=i22.bmp\n");
  commands->CmImageListRead();
  EXPECT_EQ(SlotKinds(*s), "II I-");
  EXPECT_FALSE(dialog->Spread->SSHasPicture(2, 2)) << "no continue icon left in the mask cell";
}

struct UnusableCase {
  const char* name;
  std::string bytes;
  bool missing;  // no file at all
  const char* detail;
};

TEST_F(ImageListTest, AListThatCannotBeUsedIsReportedAndChangesNothing) {
  ObSpriteData* s = ShowFrames(2);
  Bitmaps({21});
  const UnusableCase cases[] = {
      {"missing file", "", true, "開けません"},
      {"empty file", "", false, "[Image List]"},
      {"no section", "NumFrames=1\nI1=i21.bmp\n", false, "[Image List]"},
      {"no count", "[Image List]\nI1=i21.bmp\n", false, "NumFrames"},
      {"count 0", "[Image List]\nNumFrames=0\nI1=i21.bmp\n", false, "NumFrames が 0"},
      {"negative count", "[Image List]\nNumFrames=-1\nI1=i21.bmp\n", false, "-1"},
      {"no entries", "[Image List]\nNumFrames=2\nX1=i21.bmp\n", false, "書かれていません"},
  };
  for (const UnusableCase& c : cases) {
    SCOPED_TRACE(c.name);
    prompt.ClearHistory();
    dialog->SizeXEdit->setText("16");
    SetActive(2, 2);
    const QString path =
        c.missing ? QString::fromStdString((dir / "none.lst").string()) : File("bad.lst", c.bytes);
    Choose(path);
    commands->CmImageListRead();

    ASSERT_EQ(prompt.Messages().size(), 1u);
    const ScriptedPromptPort::Message& m = prompt.Messages()[0];
    EXPECT_TRUE(m.text.startsWith(kListInvalid)) << m.text.toStdString();
    EXPECT_TRUE(m.text.contains(path)) << m.text.toStdString();
    EXPECT_TRUE(m.text.contains(QString::fromUtf8(c.detail))) << m.text.toStdString();
    EXPECT_EQ(m.caption, QStringLiteral("エラー"));
    EXPECT_EQ(m.flags, unsigned(MB_OK));
    EXPECT_EQ(ImageWidths(*s), (std::vector<int>{10, 11}));
    EXPECT_EQ(MaskWidths(*s), (std::vector<int>{50, 51}));
    EXPECT_EQ(dialog->SizeXEdit->text(), "16");
    EXPECT_EQ(ActiveCell(), std::make_pair(2, 2));
    EXPECT_EQ(doc.Modified(), 0);
    EXPECT_EQ(commands->ReadImageList(QFile::encodeName(path).constData()), 0);
  }
}

TEST_F(ImageListTest, EntriesThatFailAreNamedTogetherAndTheOthersLoad) {
  ObSpriteData* s = ShowFrames(3);
  Bitmaps({21, 23, 73});
  File("junk.bmp", "this is no picture");
  ChooseList("mixed.lst",
             "[Image List]\nNumFrames=3\nI1=i21.bmp\nI2=gone.bmp\nM2=junk.bmp\nI3=i23.bmp\n"
             "M3=i73.bmp\n" +
                 std::string("M1=i73.bmp\0.old\n", 16));
  commands->CmImageListRead();

  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{21, 11, 23})) << "failed slots keep their picture";
  EXPECT_EQ(MaskWidths(*s), (std::vector<int>{50, 51, 73}));
  EXPECT_EQ(doc.Modified(), 1);
  EXPECT_EQ(ActiveCell(), std::make_pair(1, 1));

  ASSERT_EQ(prompt.Messages().size(), 1u);
  const ScriptedPromptPort::Message& m = prompt.Messages()[0];
  EXPECT_EQ(m.caption, QStringLiteral("エラー"));
  EXPECT_EQ(m.flags, unsigned(MB_OK | MB_ICONINFORMATION));
  const QString gone = QString::fromStdString((dir / "gone.bmp").string());
  const QString junk = QString::fromStdString((dir / "junk.bmp").string());
  EXPECT_TRUE(m.text.contains(QStringLiteral("フレーム 2 のイメージ: ") + gone))
      << m.text.toStdString();
  EXPECT_TRUE(m.text.contains(QStringLiteral("フレーム 2 のマスク: ") + junk))
      << m.text.toStdString();
  const std::string reason = ObBmpImage((dir / "junk.bmp").c_str()).LoadError();
  ASSERT_FALSE(reason.empty());
  EXPECT_TRUE(m.text.contains(QString::fromStdString(reason))) << m.text.toStdString();
  EXPECT_TRUE(m.text.contains(QStringLiteral("フレーム 1 のマスク")))
      << "a path cut by a zero byte";
  EXPECT_FALSE(m.text.contains(QStringLiteral("i21.bmp"))) << "only the failures are named";
}

TEST_F(ImageListTest, WhenNoEntryLoadsNothingChangesAndTheEntriesAreNamed) {
  ObSpriteData* s = ShowFrames(2);
  SetActive(2, 1);
  ChooseList("none.lst", "[Image List]\nNumFrames=3\nI1=gone1.bmp\nM3=gone3.bmp\n");
  commands->CmImageListRead();

  EXPECT_EQ(SlotKinds(*s), "II II") << "no frame added for an entry that did not load";
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{10, 11}));
  EXPECT_EQ(doc.Modified(), 0);
  EXPECT_EQ(ActiveCell(), std::make_pair(2, 1));
  ASSERT_EQ(prompt.Messages().size(), 1u);
  const QString text = prompt.Messages()[0].text;
  EXPECT_TRUE(text.contains(QStringLiteral("フレーム 1 のイメージ"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("フレーム 3 のマスク"))) << text.toStdString();
}

TEST_F(ImageListTest, TheFailureMessageNamesTenEntriesAndCountsTheRest) {
  ShowFrames(1);
  Bitmaps({21});
  std::string list = "[Image List]\nNumFrames=15\nI1=i21.bmp\n";
  for (int k = 1; k <= 15; ++k) list += "M" + std::to_string(k) + "=gone.bmp\n";
  ChooseList("many.lst", list);
  commands->CmImageListRead();

  ASSERT_EQ(prompt.Messages().size(), 1u);
  const QString text = prompt.Messages()[0].text;
  EXPECT_EQ(text.count(QStringLiteral("のマスク")), 10) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("フレーム 10 のマスク")));
  EXPECT_FALSE(text.contains(QStringLiteral("フレーム 11 のマスク")));
  EXPECT_TRUE(text.contains(QStringLiteral("ほか 5 件"))) << text.toStdString();
}

TEST_F(ImageListTest, AHugeCountStopsAtTheLastColumnAndNamesWhatLiesBeyond) {
  ObSpriteData* s = ShowFrames(1);
  Bitmaps({21, 28, 29});
  ChooseList("huge.lst",
             "[Image List]\nNumFrames=4294967295\nI1=i21.bmp\nI128=i28.bmp\nI129=i29.bmp\n");
  commands->CmImageListRead();

  ASSERT_EQ(s->FrameCount(), ObKELDialog::kMaxFrames);
  EXPECT_EQ(s->GetImage(0).Image()->Width(), 21);
  EXPECT_EQ(s->GetImage(127).Image()->Width(), 28);
  EXPECT_EQ(dialog->FramesEdit->text(), "128");
  EXPECT_EQ(doc.Modified(), 1);
  ASSERT_EQ(prompt.Messages().size(), 1u);
  const QString text = prompt.Messages()[0].text;
  EXPECT_TRUE(text.endsWith(
      QStringLiteral("フレームは 128 までのため、次のエントリは読み込みませんでした:\nI129")))
      << text.toStdString();
}

TEST_F(ImageListTest, EveryEntryPastTheLastColumnIsNamedBesideTheCountedFailures) {
  ShowFrames(1);
  Bitmaps({21});
  std::string list = "[Image List]\nNumFrames=200\nI1=i21.bmp\n";
  for (int k = 1; k <= 15; ++k) list += "M" + std::to_string(k) + "=gone.bmp\n";
  for (int k = 129; k <= 153; ++k) list += "I" + std::to_string(k) + "=late.bmp\n";
  list += "M200=late.bmp\n";
  ChooseList("late.lst", list);
  commands->CmImageListRead();

  ASSERT_EQ(prompt.Messages().size(), 1u);
  const QString text = prompt.Messages()[0].text;
  EXPECT_EQ(text.count(QStringLiteral("のマスク")), 10) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("ほか 5 件"))) << text.toStdString();
  const QString beyond = text.section(QStringLiteral("読み込みませんでした:\n"), 1);
  QStringList keys;
  for (int k = 129; k <= 153; ++k) keys << QStringLiteral("I%1").arg(k);
  keys << QStringLiteral("M200");
  EXPECT_EQ(beyond.split(QRegularExpression(QStringLiteral(",\\s*|\\n"))), keys)
      << text.toStdString();
}

TEST_F(ImageListTest, RelativePathsLeadFromTheListsFolderNotTheCurrentOne) {
  ObSpriteData* s = ShowFrames(2);
  std::filesystem::create_directories(dir / "anim" / "img");
  std::filesystem::create_directories(dir / "elsewhere" / "anim" / "img");
  Bitmap("anim/img/a.bmp", 31, 4);
  Bitmap("anim/b.bmp", 32, 4);
  Bitmap("elsewhere/anim/img/a.bmp", 99, 4);  // what the current folder would have given
  const std::string absolute = (dir / "anim" / "b.bmp").string();
  ChooseList("anim/walk.lst",
             "[Image List]\nNumFrames=2\nI1=img\\a.bmp\nI2=..\\anim\\b.bmp\nM2=" + absolute + "\n");

  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir / "elsewhere");
  commands->CmImageListRead();
  std::filesystem::current_path(before);

  EXPECT_TRUE(prompt.Messages().empty()) << prompt.MessageTexts().join("|").toStdString();
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{31, 32}));
  EXPECT_EQ(MaskWidths(*s), (std::vector<int>{50, 32}));
}

TEST_F(ImageListTest, Cp932AndUtf8ListsNameJapaneseFiles) {
  ObSpriteData* s = ShowFrames(1);
  std::filesystem::create_directories(dir / "表");
  Bitmap("表/画像.bmp", 41, 4);  // 表 ends in the byte 0x5C in CP932
  Bitmap("ﾏｽｸ.bmp", 42, 4);
  struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"CP932",
       "[Image List]\r\nNumFrames=1\r\nI1=\x95\x5C\\\x89\xE6\x91\x9C.bmp\r\n"
       "M1=\xCF\xBD\xB8.bmp\r\n"},
      {"UTF-8", "[Image List]\nNumFrames=1\nI1=表\\画像.bmp\nM1=ﾏｽｸ.bmp\n"},
      {"UTF-8 with a mark", "\xEF\xBB\xBF[Image List]\nNumFrames=1\nI1=表/画像.bmp\nM1=ﾏｽｸ.bmp\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    s->AddImage(FrameSlot(), 0, 0);
    s->AddImage(FrameSlot(), 0, 1);
    prompt.ClearHistory();
    ChooseList("jp.lst", c.bytes);
    commands->CmImageListRead();
    EXPECT_TRUE(prompt.Messages().empty()) << prompt.MessageTexts().join("|").toStdString();
    EXPECT_EQ(ImageWidths(*s), (std::vector<int>{41}));
    EXPECT_EQ(MaskWidths(*s), (std::vector<int>{42}));
  }
}

TEST_F(ImageListTest, APathLongerThan258CharactersIsUsedWhole) {
  ObSpriteData* s = ShowFrames(1);
  const std::string a(120, 'a'), b(120, 'b');
  std::filesystem::create_directories(dir / a / b);
  // The same path cut after 258 characters names another bitmap, which must not be loaded.
  const std::string whole = a + "/" + b + "/" + std::string(40, 'c') + ".bmp";
  ASSERT_GT(whole.size(), 258u);
  Bitmap(whole, 43, 4);
  Bitmap(whole.substr(0, 258), 99, 4);
  ChooseList("long.lst", "[Image List]\nNumFrames=1\nI1=" + whole + "\n");
  commands->CmImageListRead();
  EXPECT_TRUE(prompt.Messages().empty()) << prompt.MessageTexts().join("|").toStdString();
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{43}));
}

}  // namespace
}  // namespace kel::test
