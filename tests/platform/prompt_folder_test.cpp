// The folder of the last chosen file: both prompt ports remember it from every file dialog's
// answer, and the Qt dialogs asked for without a start folder open there.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <filesystem>

#include "platform/prompt.h"
#include "support/test_paths.h"
#include "test_app.h"

namespace kel {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::TestApp;
using test::WhenModal;

QString Native(const fs::path& p) {
  return QString::fromStdString(p.string());
}

QString Canonical(const QString& folder) {
  return QDir(folder).canonicalPath();
}

TEST(ScriptedPromptPortFolder, FollowsTheFilesChosenAndNotTheCancelledDialogs) {
  ScriptedPromptPort port;
  EXPECT_EQ(port.LastChosenFolder(), QString());
  const struct {
    bool save;
    std::optional<QString> answer;
    const char* folder;
  } steps[] = {
      {false, QStringLiteral("/data/art/walk.bmp"), "/data/art"},
      {false, std::nullopt, "/data/art"},
      {true, QStringLiteral("/home/u/new.kel"), "/home/u"},
      {true, std::nullopt, "/home/u"},
      {false, QStringLiteral("/snd/a.wav"), "/snd"},
  };
  for (const auto& s : steps) {
    port.Answer(s.answer);
    if (s.save)
      port.SaveFileName(nullptr, {});
    else
      port.OpenFileName(nullptr, {});
    EXPECT_EQ(port.LastChosenFolder(), QString::fromUtf8(s.folder));
  }
  // Messages and text input choose no file.
  port.Answer(QStringLiteral("/typed/name"));
  port.InputText(nullptr, {}, {}, {}, 0);
  port.MessageBox(nullptr, QStringLiteral("x"), {}, MB_OK);
  EXPECT_EQ(port.LastChosenFolder(), QStringLiteral("/snd"));
}

TEST(QtPromptPortFolder, TheNextDialogOpensWhereTheLastFileWasChosen) {
  TestApp();
  TempDir dir;
  fs::create_directory(dir / "art");
  fs::create_directory(dir / "other");
  test::WriteFileBytes(dir / "art" / "walk.bmp", "BM");
  QtPromptPort port;

  FileDialogRequest first;
  first.directory = Native(dir / "art");
  first.mustExist = true;
  {
    const auto answer = WhenModal<QFileDialog>([](QFileDialog* d) {
      d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("walk.bmp"));
      QMetaObject::invokeMethod(d, "accept");
    });
    ASSERT_TRUE(port.OpenFileName(nullptr, first).has_value());
  }
  EXPECT_EQ(Canonical(port.LastChosenFolder()), Canonical(Native(dir / "art")));

  // Without a start folder of its own the next dialog, open or save, opens there; with one it
  // opens where it is told. Cancelling changes nothing.
  const struct {
    bool save;
    QString directory;
    QString shown;
  } cases[] = {
      {false, {}, Native(dir / "art")},
      {true, {}, Native(dir / "art")},
      {false, Native(dir / "other"), Native(dir / "other")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.directory.toStdString());
    QString shown;
    const auto answer = WhenModal<QFileDialog>([&](QFileDialog* d) {
      shown = d->directory().absolutePath();
      d->reject();
    });
    FileDialogRequest req;
    req.directory = c.directory;
    const auto chosen = c.save ? port.SaveFileName(nullptr, req) : port.OpenFileName(nullptr, req);
    EXPECT_EQ(chosen, std::nullopt);
    EXPECT_EQ(Canonical(shown), Canonical(c.shown));
    EXPECT_EQ(Canonical(port.LastChosenFolder()), Canonical(Native(dir / "art")));
  }
}

}  // namespace
}  // namespace kel
