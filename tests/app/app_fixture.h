// What the application tests share: the one QApplication, object files written to disk, and an
// application with its main window built over scripted prompts.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QString>
#include <QUndoCommand>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/kel_app.h"
#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "model/sprite.h"
#include "platform/prompt.h"
#include "support/test_paths.h"

class QApplication;

namespace kel::test {

QApplication& App();

// An object named name (stored bytes) with frames frames, each an 8-bit w x h image and mask.
std::unique_ptr<ObSpriteData> MakeSprite(const std::string& name, int frames = 1, int w = 4,
                                         int h = 4);
// Writes an object file holding objects of these names (one frame each); returns its path.
std::filesystem::path WriteKel(const std::filesystem::path& path,
                               const std::vector<std::string>& names);
// The names of the objects of an object file, in order (empty when it does not read).
std::vector<std::string> NamesInFile(const std::filesystem::path& path);
// The names of the objects of a list, in order.
std::vector<std::string> Names(const SpriteList& list);

QString Q(const std::filesystem::path& p);

inline const QString kInvalidFileText =
    QStringLiteral("ｵﾌﾞｼﾞｪｸﾄﾌｧｲﾙが存在しないか，異常なﾌｧｲﾙです．");
inline const QString kDuplicateText = QStringLiteral("重複するオブジェクト名があります");
QString SaveChangesText(const QString& fileName);

class AppTest : public ::testing::Test {
 public:
  AppTest();
  ~AppTest() override;

  ObKELDialog& Dialog() { return *app->Dialog(); }
  QString Caption() const;
  // Opens a file the way the Open command does with the file dialog answered.
  void OpenForTest(const std::filesystem::path& path);
  // Puts objects of these names into the document as an opened file would, modified or not.
  void Load(const std::vector<std::string>& names, int modified);

  TempDir dir;
  ScriptedPromptPort prompt;
  std::unique_ptr<kelApp> app;

 private:
  std::filesystem::path oldCwd_;
};

}  // namespace kel::test
