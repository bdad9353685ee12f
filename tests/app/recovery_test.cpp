// Unsaved work outlives a program that dies: the copy follows the document, goes with a save
// and a normal end, and a copy left by a dead program is offered back at the next start.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStatusBar>
#include <QTest>
#include <cstdlib>

#include "app/frame_window.h"
#include "app/recovery.h"
#include "app_fixture.h"

namespace kel::test {
namespace {

class RecoveryTest : public AppTest {
 protected:
  QStringList Copies() const {
    return QDir(folder).entryList({QStringLiteral("*.kel")}, QDir::Files);
  }
  QString Original() const { return Q(dir / "loaded.kel"); }
  // A program that had loaded names, changed them and then died, leaving its copy in folder.
  void CopyOfADeadProgram(const std::vector<std::string>& names) {
    EXPECT_EXIT(
        {
          app->StartRecovery(folder);
          Load(names, 1);
          app->Recovering()->SaveNow();
          std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    ASSERT_EQ(Copies().size(), 1);
  }

  QString folder = Q(dir / "recovery");
};

TEST_F(RecoveryTest, TheCopyFollowsTheDocumentAndGoesWithASaveAndANormalEnd) {
  app->StartRecovery(folder);
  Recovery& recovery = *app->Recovering();
  Load({"a", "b"}, 0);
  EXPECT_TRUE(recovery.SaveNow());
  EXPECT_TRUE(Copies().isEmpty()) << "a clean document needs no copy";

  Load({"a", "b"}, 1);
  EXPECT_TRUE(recovery.SaveNow());
  ASSERT_EQ(Copies().size(), 1);
  EXPECT_EQ(NamesInFile(recovery.CopyPath().toStdString()), (std::vector<std::string>{"a", "b"}));
  QFile note(QString(recovery.CopyPath()).replace(QStringLiteral(".kel"), QStringLiteral(".json")));
  ASSERT_TRUE(note.open(QIODevice::ReadOnly));
  EXPECT_EQ(QJsonDocument::fromJson(note.readAll()).object().value("file").toString(), Original());

  // A later change reaches the copy; a save that makes the document clean removes it.
  Load({"b"}, 1);
  EXPECT_TRUE(recovery.SaveNow());
  EXPECT_EQ(NamesInFile(recovery.CopyPath().toStdString()), (std::vector<std::string>{"b"}));
  ASSERT_TRUE(app->CmFileSave());
  EXPECT_TRUE(Copies().isEmpty()) << "gone with the save, not at the next copy";

  // Changes given up go at once too.
  Load({"d"}, 1);
  recovery.SaveNow();
  prompt.Answer(IDNO);
  ASSERT_TRUE(app->CmFileNew());
  EXPECT_TRUE(Copies().isEmpty());

  // The normal end (the save-changes question answered No) takes the copy with it.
  Load({"c"}, 1);
  recovery.SaveNow();
  ASSERT_EQ(Copies().size(), 1);
  app.reset();
  EXPECT_TRUE(Copies().isEmpty());
}

TEST_F(RecoveryTest, TheTimersCopyWaitsForAPauseInTheWork) {
  app->StartRecovery(folder);
  Recovery& recovery = *app->Recovering();
  Load({"a"}, 1);
  EXPECT_TRUE(recovery.SaveWhenQuiet());
  EXPECT_TRUE(QFile::exists(recovery.CopyPath()));
  Load({"b"}, 1);  // the copy of "a" goes with the reset; "b" is changed
  QTest::keyClick(app->MainWindow(), Qt::Key_Shift);
  EXPECT_FALSE(recovery.SaveWhenQuiet()) << "the user has just typed";
  EXPECT_FALSE(QFile::exists(recovery.CopyPath()));
}

TEST_F(RecoveryTest, ACopyThatCannotBeWrittenIsSaidInTheStatusBar) {
  // The folder is a file: nothing can be written into it.
  QFile blocker(folder);
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  app->StartRecovery(folder);
  Load({"a"}, 1);
  EXPECT_FALSE(app->Recovering()->SaveNow());
  EXPECT_TRUE(app->MainWindow()->StatusBar->currentMessage().startsWith(
      QStringLiteral("変更内容を自動保存できませんでした")));
  EXPECT_TRUE(app->Doc().Modified()) << "the document is as it was";
}

TEST_F(RecoveryTest, ACopyADeadProgramLeftIsOfferedBack) {
  const struct {
    const char* what;
    int answer;
    bool restored, copyKept, unreadable = false;
  } cases[] = {
      {"restored", IDYES, true, false},
      {"discarded", IDNO, false, false},
      {"kept for the next start", IDCANCEL, false, true},
      // Cut short (a power failure while it was written): said, and not offered again.
      {"unreadable", IDYES, false, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    app.reset();
    QDir(folder).removeRecursively();
    app = std::make_unique<kelApp>(prompt);
    app->InitMainWindow();
    CopyOfADeadProgram({"x", "y"});
    if (c.unreadable) QFile::resize(QDir(folder).filePath(Copies().value(0)), 40);
    // The next start: an untitled document of its own.
    app = std::make_unique<kelApp>(prompt);
    app->InitMainWindow();
    app->StartRecovery(folder);
    prompt.ClearHistory();
    prompt.Answer(c.answer);
    EXPECT_EQ(app->OfferRecovery(), c.restored);
    ASSERT_EQ(prompt.Messages().size(), c.unreadable ? 2u : 1u);
    EXPECT_TRUE(prompt.Messages()[0].text.contains(QDir::toNativeSeparators(Original())));
    if (c.unreadable) {
      EXPECT_TRUE(
          prompt.Messages()[1].text.startsWith(QStringLiteral("変更を復元できませんでした")));
    }
    Document& doc = app->Doc();
    const std::vector<std::string> names =
        c.restored ? std::vector<std::string>{"x", "y"} : std::vector<std::string>();
    EXPECT_EQ(Names(doc.Objects()), names);
    // Restored work belongs to its file and is not saved yet; the copy now is this program's.
    EXPECT_EQ(doc.FileName(), c.restored ? Original() : QString::fromLatin1(Document::kUntitled));
    EXPECT_EQ(doc.Modified(), c.restored);
    const QStringList copies = Copies();
    if (c.restored)
      EXPECT_EQ(copies, QStringList{QFileInfo(app->Recovering()->CopyPath()).fileName()});
    else
      EXPECT_EQ(copies.size(), c.copyKept ? 1 : 0);
  }
}

TEST_F(RecoveryTest, TheCopyOfAProgramStillRunningIsNotOffered) {
  Document other;
  Recovery running(other, folder);
  SpriteList list;
  list.push_back(MakeSprite("z"));
  other.Reset(std::move(list), QString());
  other.MarkUnsaved();
  ASSERT_TRUE(running.SaveNow());
  app->StartRecovery(folder);
  EXPECT_TRUE(app->Recovering()->FindOrphans().empty());
  EXPECT_FALSE(app->OfferRecovery());
  EXPECT_TRUE(prompt.Messages().empty());
}

}  // namespace
}  // namespace kel::test
