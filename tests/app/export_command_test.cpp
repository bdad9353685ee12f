// "エクスポート...": the object shown, written to the file chosen in the save dialog, with the
// document unchanged; the refusals, each with its message and no file.
#include <QImageReader>

#include "app/frame_window.h"
#include "app_fixture.h"
#include "document/command_ids.h"

namespace kel::test {
namespace {

TEST_F(AppTest, ExportWritesTheObjectShownToTheChosenFile) {
  Load({"walk"}, 0);
  prompt.Answer(Q(dir / "walk.webp"));
  app->MainWindow()->Action(CM_FILEEXPORT)->trigger();
  ASSERT_EQ(prompt.History().size(), 1u);
  const ScriptedPromptPort::Asked& asked = prompt.History()[0];
  EXPECT_EQ(asked.kind, ScriptedPromptPort::Asked::Save);
  EXPECT_EQ(asked.file.fileName, QStringLiteral("walk.gif"));
  EXPECT_EQ(asked.file.directory, Q(dir.Path()));
  EXPECT_EQ(QtNameFilters(asked.file.filter).size(), 3);

  QImageReader reader(Q(dir / "walk.webp"));
  EXPECT_EQ(reader.format(), "webp");
  EXPECT_EQ(reader.imageCount(), 1);
  EXPECT_EQ(reader.size(), QSize(4, 4));
  EXPECT_EQ(app->Doc().Modified(), 0);
  EXPECT_EQ(app->Doc().History().count(), 0);
}

TEST_F(AppTest, ExportRefusalsSayWhyAndWriteNothing) {
  struct Case {
    const char* name;
    std::optional<QString> answer;  // the save dialog's; nullopt: Cancel
    QString message;                // the start of the one message; empty: none
  } cases[] = {
      {"cancel", std::nullopt, {}},
      {"extension", Q(dir / "walk.bmp"), QStringLiteral("ファイル名の拡張子を .gif、.webp、.png")},
      {"folder", Q(dir / "missing" / "walk.gif"),
       QStringLiteral("ファイル \"%1\" を保存できませんでした。\n")
           .arg(Q(dir / "missing" / "walk.gif"))},
  };
  Load({"walk"}, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompt.ClearHistory();
    prompt.Answer(c.answer);
    EXPECT_FALSE(app->Command(CM_FILEEXPORT));
    const QStringList texts = prompt.MessageTexts();
    if (c.message.isEmpty()) {
      EXPECT_TRUE(texts.isEmpty()) << texts.join("|").toStdString();
    } else {
      ASSERT_EQ(texts.size(), 1);
      EXPECT_TRUE(texts[0].startsWith(c.message)) << texts[0].toStdString();
    }
  }
  EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{"loaded.kel"}));

  prompt.ClearHistory();
  app->Command(CM_FILENEW);
  EXPECT_FALSE(app->Command(CM_FILEEXPORT));
  EXPECT_EQ(prompt.MessageTexts(), QStringList{QStringLiteral("オブジェクトがありません。")});
}

}  // namespace
}  // namespace kel::test
