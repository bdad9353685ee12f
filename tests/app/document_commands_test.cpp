// The file commands: New, Close, Open, Add, Save and Save As, with the save-changes prompt
// answered each way, on real files.
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QUndoView>
#include <cerrno>
#include <fstream>
#include <sstream>

#include "app/app_fixture.h"
#include "app/commands.h"
#include "app/frame_window.h"
#include "files/object_file.h"
#include "model/sound_port.h"
#include "model/system_error.h"
#include "support/sprite_setup.h"

namespace kel::test {
namespace {

using ::testing::IsEmpty;

const QString kUntitledCaption = QStringLiteral("オブジェクトエディタ - untitled.kel -");

QStringList ComboNames(ObKELDialog& d) {
  QStringList out;
  for (int i = 0; i < d.ObjectCombo->count(); ++i) out << d.ObjectCombo->itemText(i);
  return out;
}

TEST_F(AppTest, StartsUntitledCleanAndEmpty) {
  EXPECT_EQ(Caption(), kUntitledCaption);
  EXPECT_EQ(app->CurrentFileName(), QStringLiteral("untitled.kel"));
  EXPECT_EQ(app->Doc().Modified(), 0);
  EXPECT_TRUE(app->Doc().Objects().empty());
  EXPECT_EQ(Dialog().CurrentSprite(), nullptr);
}

TEST(MakeCaption, KeepsOnlyTheFileName) {
  const struct {
    const char* path;
    const char* caption;
  } cases[] = {
      {"untitled.kel", "オブジェクトエディタ - untitled.kel -"},
      {"/data/SAMPLE.KEL", "オブジェクトエディタ - SAMPLE.KEL -"},
      {"work/new.kel", "オブジェクトエディタ - new.kel -"},
      {"/home/u/名前 %1.kel", "オブジェクトエディタ - 名前 %1.kel -"},
      {"/tmp/noext", "オブジェクトエディタ - noext -"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(kelApp::MakeCaption(QString::fromUtf8(c.path)), QString::fromUtf8(c.caption))
        << c.path;
}

// ---- New and Close

TEST_F(AppTest, NewOfACleanDocumentAsksNothing) {
  Load({"a", "b"}, 0);
  for (auto command : {&kelApp::CmFileNew, &kelApp::CmFileClose}) {
    Load({"a", "b"}, 0);
    EXPECT_TRUE((app.get()->*command)());
    EXPECT_THAT(prompt.History(), IsEmpty());
    EXPECT_TRUE(app->Doc().Objects().empty());
    EXPECT_EQ(Dialog().CurrentSprite(), nullptr);
    EXPECT_EQ(Dialog().ObjectCombo->count(), 0);
    EXPECT_EQ(Caption(), kUntitledCaption);
    EXPECT_EQ(app->CurrentFileName(), QStringLiteral("untitled.kel"));
    EXPECT_EQ(app->Doc().Modified(), 0);
  }
}

// The save-changes prompt answered each way, before New. Yes saves under the current name.
TEST_F(AppTest, NewOfAModifiedDocumentAsks) {
  const struct {
    int answer;
    bool goesOn;
    bool written;
  } cases[] = {{IDYES, true, true}, {IDNO, true, false}, {IDCANCEL, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    Load({"a", "b"}, 1);
    const auto path = dir / "loaded.kel";
    WriteKel(path, {"old"});  // what is on disk before the prompt
    prompt.Answer(c.answer);
    EXPECT_EQ(app->CmFileNew(), c.goesOn);
    ASSERT_GE(prompt.Messages().size(), 1u);
    const auto& asked = prompt.Messages()[0];
    EXPECT_EQ(asked.text, SaveChangesText(Q(path)));
    EXPECT_EQ(asked.caption, QStringLiteral("警告"));
    EXPECT_EQ(asked.flags, unsigned(MB_YESNOCANCEL | MB_ICONEXCLAMATION));
    EXPECT_EQ(prompt.Messages().size(), 1u);
    const std::vector<std::string> expected =
        c.written ? std::vector<std::string>{"a", "b"} : std::vector<std::string>{"old"};
    EXPECT_EQ(NamesInFile(path), expected);
    if (c.goesOn) {
      EXPECT_TRUE(app->Doc().Objects().empty());
      EXPECT_EQ(Caption(), kUntitledCaption);
      EXPECT_EQ(app->Doc().Modified(), 0);
    } else {
      EXPECT_EQ(Names(app->Doc().Objects()), (std::vector<std::string>{"a", "b"}));
      EXPECT_EQ(Caption(), QStringLiteral("オブジェクトエディタ - loaded.kel -"));
      EXPECT_EQ(app->Doc().Modified(), 1);
    }
    prompt.ClearHistory();
  }
}

// A Yes whose save is refused or fails keeps the document: New must not discard what could
// not be saved.
TEST_F(AppTest, YesWithAFailedSaveStopsTheCommand) {
  struct Case {
    const char* what;
    std::function<void(AppTest&)> spoil;
    QString message;
  };
  const Case cases[] = {
      {"duplicate names",
       [](AppTest& t) { t.app->Doc().InsertObject(t.app->Doc().Count(), MakeSprite("a")); },
       kDuplicateText},
      {"no frames", [](AppTest& t) { t.app->Doc().Objects()[0]->SetNumFrames(0); },
       QStringLiteral("オブジェクトの設定の保存に失敗しました")},
      {"write error",
       [](AppTest& t) { t.app->Doc().SetFileName(Q(t.dir / "no-such-folder" / "x.kel")); },
       QStringLiteral("no-such-folder")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Load({"a", "b"}, 1);
    c.spoil(*this);
    const size_t count = app->Doc().Objects().size();
    const QString name = app->CurrentFileName();
    prompt.Answer(IDYES);
    EXPECT_FALSE(app->CmFileNew());
    EXPECT_EQ(app->Doc().Objects().size(), count);
    EXPECT_EQ(app->CurrentFileName(), name);
    EXPECT_EQ(app->Doc().Modified(), 1);
    ASSERT_GE(prompt.Messages().size(), 2u) << prompt.MessageTexts().join('|').toStdString();
    if (!c.message.isEmpty()) {
      EXPECT_TRUE(prompt.Messages().back().text.contains(c.message))
          << prompt.Messages().back().text.toStdString();
    }
    EXPECT_EQ(NamesInFile(dir / "loaded.kel"), (std::vector<std::string>{"a", "b"}));
    prompt.ClearHistory();
  }
}

// A field that cannot take what was typed stops the command before the question: the text stays
// selected for the user to correct, and nothing is dropped.
TEST_F(AppTest, ARefusedFieldStopsTheCommandBeforeTheQuestion) {
  Load({"a", "b"}, 0);
  Dialog().PosXEdit->setText(QStringLiteral("9999"));
  EXPECT_FALSE(app->CmFileNew());
  EXPECT_EQ(prompt.MessageTexts(), QStringList{QStringLiteral("位置Xの入力値が不正です")});
  EXPECT_EQ(app->Doc().Objects().size(), 2u);
  EXPECT_EQ(Dialog().PosXEdit->text(), QStringLiteral("9999"));
}

// ---- Open

TEST_F(AppTest, OpenShowsTheFirstObjectUnderTheFilesName) {
  const auto path = WriteKel(dir / "three.kel", {"one", "two", "three"});
  app->Doc().MarkSaved();
  prompt.Answer(Q(path));
  EXPECT_TRUE(app->CmFileOpen());
  ASSERT_EQ(prompt.History().size(), 1u);
  const FileDialogRequest& req = prompt.History()[0].file;
  EXPECT_EQ(prompt.History()[0].kind, ScriptedPromptPort::Asked::Open);
  EXPECT_EQ(req.filter, QStringLiteral("ｵﾌﾞｼﾞｪｸﾄﾌｧｲﾙ (*.kel)|*.kel|"));
  EXPECT_EQ(req.defaultExt, QStringLiteral("kel"));
  EXPECT_EQ(req.fileName, QStringLiteral("untitled.kel"));
  EXPECT_TRUE(req.mustExist);
  EXPECT_FALSE(req.overwritePrompt);

  EXPECT_EQ(Names(app->Doc().Objects()), (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(Dialog().CurrentSprite(), app->Doc().Objects()[0].get());
  EXPECT_EQ(app->Doc().CurrentIndex(), 0);
  EXPECT_EQ(ComboNames(Dialog()), (QStringList{"one", "two", "three"}));
  EXPECT_EQ(Dialog().FramesEdit->text(), QStringLiteral("1"));
  EXPECT_EQ(app->CurrentFileName(), Q(path));
  EXPECT_EQ(Caption(), QStringLiteral("オブジェクトエディタ - three.kel -"));
  EXPECT_EQ(app->Doc().Modified(), 0);
  // The next file dialog starts at the file now open.
  prompt.ClearHistory();
  prompt.Answer(std::nullopt);
  EXPECT_FALSE(app->CmFileOpen());
  EXPECT_EQ(prompt.History().at(0).file.fileName, Q(path));
}

TEST_F(AppTest, OpenOfAFileWithoutObjectsShowsTheEmptyForm) {
  Load({"a"}, 0);
  const auto path = WriteKel(dir / "empty.kel", {});
  prompt.Answer(Q(path));
  EXPECT_TRUE(app->CmFileOpen());
  EXPECT_TRUE(app->Doc().Objects().empty());
  EXPECT_EQ(Dialog().CurrentSprite(), nullptr);
  EXPECT_EQ(Dialog().ObjectCombo->count(), 0);
  EXPECT_EQ(Dialog().FramesEdit->text(), QString());
  EXPECT_EQ(Caption(), QStringLiteral("オブジェクトエディタ - empty.kel -"));
  EXPECT_EQ(app->Doc().Modified(), 0);
}

TEST_F(AppTest, OpenCancelledAtThePromptOrTheFileDialogChangesNothing) {
  Load({"a"}, 1);
  ObSpriteData* shown = Dialog().CurrentSprite();
  prompt.Answer(IDCANCEL);
  EXPECT_FALSE(app->CmFileOpen());
  // The question comes first; cancelled, no file dialog is shown.
  ASSERT_EQ(prompt.History().size(), 1u);
  EXPECT_EQ(prompt.History()[0].kind, ScriptedPromptPort::Asked::Box);
  prompt.ClearHistory();

  prompt.Answer(IDNO);
  prompt.Answer(std::nullopt);
  EXPECT_FALSE(app->CmFileOpen());
  EXPECT_EQ(prompt.History().size(), 2u);
  EXPECT_EQ(Dialog().CurrentSprite(), shown);
  EXPECT_EQ(Names(app->Doc().Objects()), std::vector<std::string>{"a"});
  EXPECT_EQ(app->Doc().Modified(), 1);
}

// A file that does not open or is not a valid object file changes nothing: the list, the object
// shown, the caption, the file name and the modified flag all stay; the message says why.
TEST_F(AppTest, FailedOpenKeepsTheDocument) {
  const auto valid = WriteKel(dir / "valid.kel", {"x", "y"});
  std::string bytes = ReadFileBytes(valid);
  std::string badMagic = bytes;
  badMagic[3] = '2';
  const struct {
    const char* what;
    std::string bytes;  // empty: no file at all
    const char* detail;
  } cases[] = {
      {"missing", {}, "を開けません"},
      {"wrong magic", badMagic, ""},
      {"truncated", bytes.substr(0, bytes.size() - 7), ""},
      {"header only", bytes.substr(0, 20), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Load({"a", "b"}, 1);
    ObSpriteData* shown = Dialog().CurrentSprite();
    const QString caption = Caption();
    const auto path = dir / (std::string(c.what) + ".kel");
    if (!c.bytes.empty()) WriteFileBytes(path, c.bytes);
    prompt.Answer(IDNO);
    prompt.Answer(Q(path));
    EXPECT_FALSE(app->CmFileOpen());
    EXPECT_EQ(Names(app->Doc().Objects()), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Dialog().CurrentSprite(), shown);
    EXPECT_EQ(ComboNames(Dialog()), (QStringList{"a", "b"}));
    EXPECT_EQ(Caption(), caption);
    EXPECT_EQ(app->CurrentFileName(), Q(dir / "loaded.kel"));
    EXPECT_EQ(app->Doc().Modified(), 1);
    ASSERT_EQ(prompt.Messages().size(), 2u);
    const QString text = prompt.Messages()[1].text;
    // The message, then on its own line what the reader found wrong and where.
    EXPECT_TRUE(text.startsWith(kInvalidFileText + QLatin1Char('\n'))) << text.toStdString();
    EXPECT_GT(text.size(), kInvalidFileText.size() + 1);
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.detail))) << text.toStdString();
    EXPECT_EQ(prompt.Messages()[1].caption, QString());
    prompt.ClearHistory();
  }
}

// A file that cannot be opened is reported with the system's reason as Qt words it for the
// user's language (the same as for a failed save), for Open and for Add.
TEST_F(AppTest, FileThatCannotBeOpenedGivesTheTranslatedReason) {
  const struct {
    const char* what;
    std::filesystem::path path;
  } cases[] = {
      {"missing", dir / "missing.kel"},
      {"in a missing folder", dir / "nowhere" / "a.kel"},
  };
  for (const auto& c : cases) {
    for (int openType : {int(kelApp::kOpenReplace), int(kelApp::kOpenAdd)}) {
      SCOPED_TRACE(std::string(c.what) + (openType == kelApp::kOpenAdd ? " (add)" : ""));
      ASSERT_FALSE(QFile::exists(Q(c.path)));
      const QString reason = QString::fromStdString(SystemErrorText(ENOENT));
      EXPECT_FALSE(app->OpenFile(Q(c.path), openType));
      EXPECT_TRUE(app->ReadError().contains(Q(c.path))) << app->ReadError().toStdString();
      EXPECT_TRUE(app->ReadError().endsWith(QStringLiteral("を開けません: ") + reason))
          << app->ReadError().toStdString();
      EXPECT_TRUE(app->Doc().Objects().empty());
    }
  }
  // Japanese, whatever language the C library and Qt write their reasons in.
  EXPECT_FALSE(app->OpenFile(Q(dir / "missing.kel"), kelApp::kOpenReplace));
  EXPECT_TRUE(app->ReadError().endsWith(QStringLiteral("ファイルまたはフォルダーが見つかりません")))
      << app->ReadError().toStdString();
  // The message box of Open carries it under the invalid-file text.
  prompt.Answer(Q(dir / "missing.kel"));
  EXPECT_FALSE(app->CmFileOpen());
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_EQ(prompt.Messages()[0].text, kInvalidFileText + QLatin1Char('\n') + app->ReadError());
}

// A folder, a named pipe or a device is no object file: it is refused at once (a pipe is not
// waited on) with a reason in Japanese, for Open and for Add.
TEST_F(AppTest, SpecialFilesAreRefusedWithoutWaiting) {
  std::filesystem::create_directory(dir / "folder.kel");
  ASSERT_EQ(::mkfifo((dir / "pipe.kel").c_str(), 0600), 0);
  const struct {
    const char* what;
    std::filesystem::path path;
    const char* reason;
  } cases[] = {
      {"a folder", dir / "folder.kel", "フォルダーです"},
      {"a named pipe", dir / "pipe.kel", "通常のファイルではありません"},
      {"a device", "/dev/null", "通常のファイルではありません"},
  };
  for (const auto& c : cases) {
    for (int openType : {int(kelApp::kOpenReplace), int(kelApp::kOpenAdd)}) {
      SCOPED_TRACE(std::string(c.what) + (openType == kelApp::kOpenAdd ? " (add)" : ""));
      EXPECT_FALSE(app->OpenFile(Q(c.path), openType));
      EXPECT_EQ(app->ReadError(), QStringLiteral("ファイル \"%1\" を開けません: %2")
                                      .arg(Q(c.path), QString::fromUtf8(c.reason)));
      EXPECT_TRUE(app->Doc().Objects().empty());
    }
  }
}

// ---- Add

TEST_F(AppTest, AddAppendsAndShowsTheFirstObjectOfTheWholeList) {
  Load({"a", "b"}, 0);
  const auto more = WriteKel(dir / "more.kel", {"c", "d"});
  prompt.Answer(Q(more));
  EXPECT_TRUE(app->CmFileAdd());
  EXPECT_EQ(Names(app->Doc().Objects()), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(Dialog().CurrentSprite(), app->Doc().Objects()[0].get());
  EXPECT_EQ(ComboNames(Dialog()), (QStringList{"a", "b", "c", "d"}));
  EXPECT_EQ(app->Doc().Modified(), 1);
  // The file stays the one that was open: a later Save writes the combined list there.
  EXPECT_EQ(app->CurrentFileName(), Q(dir / "loaded.kel"));
  EXPECT_EQ(Caption(), QStringLiteral("オブジェクトエディタ - loaded.kel -"));
  const FileDialogRequest& req = prompt.History().at(0).file;
  EXPECT_EQ(req.fileName, Q(dir / "loaded.kel"));
  EXPECT_TRUE(req.mustExist);
  EXPECT_EQ(req.defaultExt, QStringLiteral("kel"));
}

// Add is one step: undo takes every added object back out, redo brings them back.
TEST_F(AppTest, AddIsOneStepOfTheHistory) {
  Load({"a", "b"}, 0);
  prompt.Answer(Q(WriteKel(dir / "more.kel", {"c", "d"})));
  ASSERT_TRUE(app->CmFileAdd());
  ASSERT_EQ(app->Doc().History().count(), 1);
  EXPECT_TRUE(app->CmEditUndo());
  EXPECT_EQ(Names(app->Doc().Objects()), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(app->Doc().Modified(), 0);
  EXPECT_TRUE(app->CmEditRedo());
  EXPECT_EQ(Names(app->Doc().Objects()), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(ComboNames(Dialog()), (QStringList{"a", "b", "c", "d"}));
}

// New and Open start an empty history; an Open that fails keeps the document and its history.
TEST_F(AppTest, NewAndOpenEmptyTheHistoryAndAFailedOpenKeepsIt) {
  Load({"a", "b"}, 0);
  app->Commands()->CmDeleteObject();
  ASSERT_EQ(app->Doc().History().count(), 1);
  WriteFileBytes(dir / "bad.kel", "not an object file");
  prompt.Answer(IDNO);  // keep nothing: the question before the file dialog
  prompt.Answer(Q(dir / "bad.kel"));
  EXPECT_FALSE(app->CmFileOpen());
  EXPECT_EQ(app->Doc().History().count(), 1);
  EXPECT_EQ(Names(app->Doc().Objects()), (std::vector<std::string>{"b"}));
  EXPECT_TRUE(app->Doc().Modified());

  prompt.Answer(IDNO);
  prompt.Answer(Q(WriteKel(dir / "good.kel", {"x"})));
  EXPECT_TRUE(app->CmFileOpen());
  EXPECT_EQ(app->Doc().History().count(), 0);
  EXPECT_FALSE(app->MainWindow()->Action(CM_EDITUNDO)->isEnabled());

  app->Commands()->CmDeleteObject();
  prompt.Answer(IDNO);
  EXPECT_TRUE(app->CmFileNew());
  EXPECT_EQ(app->Doc().History().count(), 0);
  EXPECT_FALSE(app->Doc().Modified());
}

// The undo and redo items name the step they take and are greyed when there is none.
TEST_F(AppTest, UndoAndRedoNameTheirStep) {
  Load({"a"}, 0);
  QAction* undo = app->MainWindow()->Action(CM_EDITUNDO);
  QAction* redo = app->MainWindow()->Action(CM_EDITREDO);
  EXPECT_EQ(undo->text(), QStringLiteral("元に戻す(&U)"));
  app->Commands()->CmClearObject();
  EXPECT_EQ(undo->text(), QStringLiteral("元に戻す - オブジェクトのクリア(&U)"));
  EXPECT_TRUE(undo->isEnabled());
  EXPECT_FALSE(redo->isEnabled());
  EXPECT_TRUE(app->Command(CM_EDITUNDO));
  EXPECT_EQ(redo->text(), QStringLiteral("やり直し - オブジェクトのクリア(&R)"));
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_TRUE(app->Command(CM_EDITHISTORY));
  ASSERT_NE(app->HistoryWindow(), nullptr);
  EXPECT_EQ(app->HistoryWindow()->stack(), &app->Doc().History());
}

// A clash at the second object keeps the first appended: it is shown and the document becomes
// modified, as after any append. Two messages: the clash, then the invalid file with its detail.
TEST_F(AppTest, AddStoppedByANameClashShowsWhatWasAppended) {
  Load({"a", "b"}, 0);
  const auto clash = WriteKel(dir / "clash.kel", {"c", "b", "e"});
  prompt.Answer(Q(clash));
  EXPECT_FALSE(app->CmFileAdd());
  EXPECT_EQ(Names(app->Doc().Objects()), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(ComboNames(Dialog()), (QStringList{"a", "b", "c"}));
  EXPECT_EQ(Dialog().CurrentSprite(), app->Doc().Objects()[0].get());
  EXPECT_EQ(app->Doc().Modified(), 1);
  EXPECT_EQ(app->CurrentFileName(), Q(dir / "loaded.kel"));
  ASSERT_EQ(prompt.Messages().size(), 2u);
  EXPECT_EQ(prompt.Messages()[0].text, kDuplicateText);
  EXPECT_EQ(prompt.Messages()[0].caption, QStringLiteral("エラー"));
  EXPECT_EQ(prompt.Messages()[0].flags, unsigned(MB_ICONINFORMATION));
  EXPECT_TRUE(prompt.Messages()[1].text.startsWith(kInvalidFileText + QLatin1Char('\n')));
  EXPECT_TRUE(prompt.Messages()[1].text.contains(QStringLiteral("オブジェクト 2")));
}

TEST_F(AppTest, AddRefusedAtTheFirstObjectChangesNothing) {
  Load({"a", "b"}, 0);
  ObSpriteData* shown = Dialog().CurrentSprite();
  const auto clash = WriteKel(dir / "clash.kel", {"a", "z"});
  prompt.Answer(Q(clash));
  EXPECT_FALSE(app->CmFileAdd());
  EXPECT_EQ(Names(app->Doc().Objects()), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Dialog().CurrentSprite(), shown);
  EXPECT_EQ(app->Doc().Modified(), 0);
  EXPECT_EQ(prompt.Messages().size(), 2u);
}

// Names are compared as stored bytes: letter case makes them different.
TEST_F(AppTest, AddComparesNamesCaseSensitively) {
  Load({"abc"}, 0);
  prompt.Answer(Q(WriteKel(dir / "upper.kel", {"ABC", "Abc"})));
  EXPECT_TRUE(app->CmFileAdd());
  EXPECT_EQ(Names(app->Doc().Objects()), (std::vector<std::string>{"abc", "ABC", "Abc"}));
}

TEST_F(AppTest, AddAsksTheSameQuestionAndTakesWhatWasTypedFirst) {
  Load({"a"}, 1);
  Dialog().DepthEdit->setText(QStringLiteral("77"));
  prompt.Answer(IDCANCEL);
  EXPECT_FALSE(app->CmFileAdd());
  EXPECT_EQ(prompt.History().size(), 1u);
  EXPECT_EQ(app->Doc().Objects()[0]->Params().Depth, 77) << "what was typed is an edit of its own";
  prompt.ClearHistory();

  prompt.Answer(IDNO);
  prompt.Answer(std::nullopt);  // the file dialog cancelled: only the fields were stored
  EXPECT_FALSE(app->CmFileAdd());
  EXPECT_EQ(app->Doc().Objects()[0]->Params().Depth, 77);
  EXPECT_EQ(app->Doc().Objects().size(), 1u);
}

// ---- Save and Save As

// An untitled document has no file of its own: Save asks for a name, as Save As does, and never
// writes "untitled.kel" into the current folder.
TEST_F(AppTest, SaveOfAnUntitledDocumentGoesThroughSaveAs) {
  app->Doc().InsertObject(0, MakeSprite("u1"));
  app->Doc().InsertObject(1, MakeSprite("u2"));
  app->Doc().History().push(new QUndoCommand(QStringLiteral("test")));
  prompt.Answer(std::optional<QString>());  // the save dialog, cancelled
  EXPECT_FALSE(app->CmFileSave());
  EXPECT_FALSE(std::filesystem::exists(dir / "untitled.kel"));
  EXPECT_EQ(app->Doc().Modified(), 1);

  prompt.Answer(Q(dir / "named.kel"));
  EXPECT_TRUE(app->CmFileSave());
  EXPECT_FALSE(std::filesystem::exists(dir / "untitled.kel"));
  EXPECT_EQ(NamesInFile(dir / "named.kel"), (std::vector<std::string>{"u1", "u2"}));
  EXPECT_EQ(app->CurrentFileName(), Q(dir / "named.kel"));
  EXPECT_EQ(app->Doc().Modified(), 0);
}

TEST_F(AppTest, SaveStoresTheFieldsAndWritesTheOpenFile) {
  Load({"a", "b"}, 1);
  Dialog().DepthEdit->setText(QStringLiteral("42"));
  EXPECT_TRUE(app->CmFileSave());
  SpriteList reread;
  ASSERT_TRUE(ReadObjectFile((dir / "loaded.kel").string(), reread).ok);
  ASSERT_EQ(reread.size(), 2u);
  EXPECT_EQ(reread[0]->Params().Depth, 42);
  EXPECT_EQ(app->Doc().Modified(), 0);
  // Nothing is left beside the file.
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
  EXPECT_EQ(files, 1);
}

// Deleting every object and saving writes the empty list: the deletion reaches the file, and
// the save-changes question answered Yes lets the command go on.
TEST_F(AppTest, SaveOfAnEmptiedDocumentWritesTheEmptyList) {
  Load({"a"}, 0);
  app->Commands()->CmDeleteObject();
  ASSERT_TRUE(app->Doc().Objects().empty());
  ASSERT_EQ(app->Doc().Modified(), 1);
  EXPECT_TRUE(app->CmFileSave());
  EXPECT_THAT(prompt.History(), IsEmpty());
  EXPECT_EQ(std::filesystem::file_size(dir / "loaded.kel"), 34u);
  EXPECT_EQ(app->Doc().Modified(), 0);

  app->Doc().History().push(new QUndoCommand(QStringLiteral("test")));
  prompt.Answer(IDYES);
  EXPECT_TRUE(app->CmFileNew());
  EXPECT_EQ(prompt.MessageTexts().size(), 1);
  EXPECT_EQ(app->Doc().Modified(), 0);
}

// Refusals before anything is written: the file on disk and the modified flag stay.
TEST_F(AppTest, SaveRefusedWritesNothing) {
  struct Case {
    const char* what;
    std::function<void(AppTest&)> spoil;
    QStringList messages;
    QString caption;
  };
  const Case cases[] = {
      {"duplicate names",
       [](AppTest& t) { t.app->Doc().InsertObject(t.app->Doc().Count(), MakeSprite("b")); },
       {kDuplicateText},
       QString()},
      {"no frames",
       [](AppTest& t) { t.Dialog().CurrentSprite()->SetNumFrames(0); },
       {QStringLiteral("イメージがありません.設定して下さい"),
        QStringLiteral("オブジェクトの設定の保存に失敗しました")},
       QStringLiteral("エラー")},
  };
  for (const Case& c : cases) {
    for (bool saveAs : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (saveAs ? " (save as)" : " (save)"));
      Load({"a", "b"}, 1);
      const std::string before = ReadFileBytes(dir / "loaded.kel");
      c.spoil(*this);
      if (saveAs) prompt.Answer(Q(dir / "other.kel"));
      EXPECT_FALSE(saveAs ? app->CmFileSaveAs() : app->CmFileSave());
      EXPECT_EQ(prompt.MessageTexts(), c.messages);
      EXPECT_EQ(prompt.Messages().back().caption, c.caption);
      EXPECT_EQ(ReadFileBytes(dir / "loaded.kel"), before);
      EXPECT_FALSE(std::filesystem::exists(dir / "other.kel"));
      EXPECT_EQ(app->Doc().Modified(), 1);
      EXPECT_EQ(Caption(), QStringLiteral("オブジェクトエディタ - loaded.kel -"));
      prompt.ClearHistory();
    }
  }
}

TEST_F(AppTest, SaveAsNamesTheDocument) {
  Load({"a"}, 1);
  const auto target = dir / "NEW.KEL";
  prompt.Answer(Q(target));
  EXPECT_TRUE(app->CmFileSaveAs());
  ASSERT_EQ(prompt.History().size(), 1u);
  const FileDialogRequest& req = prompt.History()[0].file;
  EXPECT_EQ(prompt.History()[0].kind, ScriptedPromptPort::Asked::Save);
  EXPECT_EQ(req.fileName, Q(dir / "loaded.kel"));
  EXPECT_EQ(req.defaultExt, QStringLiteral("kel"));
  EXPECT_EQ(req.filter, QStringLiteral("ｵﾌﾞｼﾞｪｸﾄﾌｧｲﾙ (*.kel)|*.kel|"));
  EXPECT_TRUE(req.overwritePrompt);
  EXPECT_EQ(NamesInFile(target), std::vector<std::string>{"a"});
  EXPECT_EQ(Caption(), QStringLiteral("オブジェクトエディタ - NEW.KEL -"));
  EXPECT_EQ(app->CurrentFileName(), Q(target));
  EXPECT_EQ(app->Doc().Modified(), 0);
}

TEST_F(AppTest, SaveAsCancelledChangesNothing) {
  Load({"a"}, 1);
  prompt.Answer(std::nullopt);
  EXPECT_FALSE(app->CmFileSaveAs());
  EXPECT_EQ(prompt.MessageTexts(), QStringList());
  EXPECT_EQ(app->Doc().Modified(), 1);
  EXPECT_EQ(app->CurrentFileName(), Q(dir / "loaded.kel"));
}

}  // namespace
}  // namespace kel::test

namespace kel::test {
namespace {

// Notes the pointer shown when the shown object's sound starts, which happens while the
// opened file is being put on the screen.
class CursorProbe final : public SoundPort {
 public:
  void PlayAsync(const uint8_t*, size_t) override {
    const QCursor* c = QGuiApplication::overrideCursor();
    shapes.push_back(c ? int(c->shape()) : -1);
  }
  void Stop() override {}
  std::vector<int> shapes;
};

TEST_F(AppTest, ALargeFileIsReadUnderTheBusyCursor) {
  WriteFileBytes(dir / "bell.wav", std::string(64, 'w'));
  const struct {
    const char* name;
    int frames;
    int expected;  // the pointer while the file is put on the screen; -1: none of its own
  } cases[] = {{"small.kel", 1, -1}, {"large.kel", 40, int(Qt::BusyCursor)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SpriteList list;
    list.push_back(MakeSprite("s", c.frames, 128, 128));
    SetSound(*list[0], std::make_unique<ObSound>((dir / "bell.wav").c_str()));
    SetSoundFrame(*list[0], 1);
    std::ofstream out(dir / c.name, std::ios::binary);
    ASSERT_TRUE(WriteObjectFile(out, list));
    out.close();
    ASSERT_EQ(std::filesystem::file_size(dir / c.name) >= (1u << 20), c.frames > 1);
    CursorProbe probe;
    InstallSoundPort(&probe);
    OpenForTest(dir / c.name);
    InstallSoundPort(nullptr);
    EXPECT_EQ(probe.shapes, std::vector<int>{c.expected});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  }
}

// A file of a megabyte or more is read on a thread of its own, through the menu's commands: the
// event loop goes on meanwhile (a queued call runs before the document changes) and the document
// ends as a small file leaves it, every picture with its display bitmap; a faulty file leaves the
// document as it was, with the reader's message.
TEST_F(AppTest, ALargeFileIsReadWhileTheEventLoopGoesOn) {
  const struct {
    const char* what;
    int command;
    int side;     // 512: 4 MB
    bool faulty;  // bytes after the last object
    std::vector<std::string> names;
  } cases[] = {
      {"open, small", CM_FILEOPEN, 16, false, {"big", "tail"}},
      {"open, large", CM_FILEOPEN, 512, false, {"big", "tail"}},
      {"add, large", CM_FILEADD, 512, false, {"a", "big", "tail"}},
      {"open, large, faulty", CM_FILEOPEN, 512, true, {"a"}},
      {"add, large, faulty", CM_FILEADD, 512, true, {"a"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Load({"a"}, 0);
    SpriteList list;
    list.push_back(MakeSprite("big", 8, c.side, c.side));
    list.push_back(MakeSprite("tail"));
    std::ostringstream out;
    ASSERT_TRUE(WriteObjectFile(out, list));
    const std::string bytes = out.str();
    WriteFileBytes(dir / "f.kel", c.faulty ? bytes + "more" : bytes);
    int runBefore = 0;  // a call queued before the command, run while the file is read
    QObject probe;
    QMetaObject::invokeMethod(
        &probe, [&] { runBefore += app->Doc().Count() == 1; }, Qt::QueuedConnection);
    prompt.Answer(Q(dir / "f.kel"));
    app->MainWindow()->Action(c.command)->trigger();
    EXPECT_EQ(runBefore, c.side == 512 ? 1 : 0);
    EXPECT_EQ(Names(app->Doc().Objects()), c.names);
    EXPECT_EQ(Dialog().CurrentSprite(), app->Doc().Objects()[0].get());
    EXPECT_EQ(app->Doc().History().count(), c.names.size() == 3 ? 1 : 0);
    EXPECT_EQ(app->CurrentFileName(), Q(dir / (c.names.size() == 2 ? "f.kel" : "loaded.kel")));
    const QString fault =
        kInvalidFileText +
        QStringLiteral("\n最後のオブジェクトの後に余分なデータがあります (オフセット %1)")
            .arg(bytes.size());
    EXPECT_EQ(prompt.MessageTexts(), c.faulty ? QStringList{fault} : QStringList{});
    for (const auto& sprite : app->Doc().Objects())
      for (int16_t i = 0; i < sprite->FrameCount(); ++i)
        EXPECT_TRUE(sprite->GetImageHandle(i) && sprite->GetMaskHandle(i)) << i;
    prompt.ClearHistory();
  }
}

}  // namespace
}  // namespace kel::test

namespace kel::test {
namespace {

// Every command that may discard the document asks first; Yes saves and goes on, No goes on,
// Cancel stops before anything else is asked.
TEST_F(AppTest, EveryDiscardingCommandAsksFirst) {
  struct Command {
    const char* name;
    bool (kelApp::*run)();
    bool fileDialog;  // asks for a file after the question
  };
  const Command commands[] = {{"New", &kelApp::CmFileNew, false},
                              {"Close", &kelApp::CmFileClose, false},
                              {"Open", &kelApp::CmFileOpen, true},
                              {"Add", &kelApp::CmFileAdd, true}};
  const auto other = WriteKel(dir / "other.kel", {"o1", "o2"});
  for (const Command& c : commands) {
    for (int answer : {IDYES, IDNO, IDCANCEL}) {
      SCOPED_TRACE(std::string(c.name) + " " + std::to_string(answer));
      Load({"a"}, 1);
      Dialog().DepthEdit->setText(QStringLiteral("12"));  // an edit only Yes saves
      prompt.Answer(answer);
      if (c.fileDialog && answer != IDCANCEL) prompt.Answer(Q(other));
      EXPECT_EQ((app.get()->*c.run)(), answer != IDCANCEL);
      EXPECT_EQ(prompt.Messages().size(), 1u);
      EXPECT_EQ(prompt.History().size(), c.fileDialog && answer != IDCANCEL ? 2u : 1u);
      SpriteList saved;
      ASSERT_TRUE(ReadObjectFile((dir / "loaded.kel").string(), saved).ok);
      EXPECT_EQ(saved[0]->Params().Depth == 12, answer == IDYES);
      if (answer == IDCANCEL) {
        EXPECT_EQ(Names(app->Doc().Objects()), std::vector<std::string>{"a"});
        EXPECT_EQ(app->Doc().Modified(), 1);
      }
      prompt.ClearHistory();
    }
  }
}

}  // namespace
}  // namespace kel::test
