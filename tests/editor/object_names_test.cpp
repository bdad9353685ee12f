// Object names: the byte limit of the name input, the duplicate check, and lists read from
// files that already hold a name twice.
#include <QComboBox>
#include <QLineEdit>
#include <fstream>

#include "editor/object_fixture.h"
#include "files/object_file.h"
#include "support/sprite_setup.h"
#include "support/test_paths.h"

namespace kel::test {
namespace {

const QString kDuplicate = QStringLiteral("重複するオブジェクト名があります");
const QString kTooLong =
    QStringLiteral("オブジェクト名が長すぎます。半角11文字（全角5文字）以内で入力してください。");

// The input dialog's field never lets the user type beyond its byte limit, and the scripted
// port holds to that too. This port hands the scripted answers over whatever their length, as
// any other source of the text might, and notes the limit each input was asked with.
class UnlimitedInputPort final : public PromptPort {
 public:
  explicit UnlimitedInputPort(ScriptedPromptPort& script) : script_(script) {}
  int MessageBox(QWidget* owner, const QString& text, const QString& caption,
                 unsigned flags) override {
    return script_.MessageBox(owner, text, caption, flags);
  }
  std::optional<QString> OpenFileName(QWidget* owner, const FileDialogRequest& req) override {
    return script_.OpenFileName(owner, req);
  }
  std::optional<QString> SaveFileName(QWidget* owner, const FileDialogRequest& req) override {
    return script_.SaveFileName(owner, req);
  }
  std::optional<QString> InputText(QWidget* owner, const QString& caption, const QString& prompt,
                                   const QString& initial, int byteLimit) override {
    limits.push_back(byteLimit);
    return script_.InputText(owner, caption, prompt, initial, 0);
  }
  std::vector<int> limits;

 private:
  ScriptedPromptPort& script_;
};

using ObjectNamesTest = ThreeObjectsTest;

TEST_F(ObjectNamesTest, NamesLongerThanElevenBytesAreRefusedAndAskedAgain) {
  const struct Case {
    const char* what;
    bool rename;
    QString tooLong;
    QString accepted;
  } cases[] = {
      {"new, 12 Latin letters", false, "abcdefghijkl", "abcdefghijk"},
      {"new, six kanji", false, "漢字六文字字", "漢字五文字"},
      {"rename, five kanji and two letters", true, "漢字五文字ab", "漢字五文字a"},
      {"rename, 30 half-width katakana", true, QString(30, QChar(0xFF71)), "ｱｱｱｱｱｱｱｱｱｱｱ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    while (doc.Count() > 3) doc.TakeObject(doc.Count() - 1);
    UnlimitedInputPort port(prompt);
    ObKELDialog form(doc, port);
    EditCommands d(doc, form, port);
    doc.SetCurrent(1);
    prompt.ClearHistory();
    Script(prompt, {c.tooLong, kOk, c.accepted});

    if (c.rename)
      d.CmRenameObject();
    else
      d.CmNewObject();

    EXPECT_TRUE(prompt.ScriptEmpty());
    EXPECT_EQ(port.limits, (std::vector<int>{11, 11}));
    EXPECT_EQ(prompt.MessageTexts(), QStringList{kTooLong});
    ASSERT_EQ(prompt.History().size(), 3u);
    EXPECT_EQ(prompt.History()[2].initial, c.tooLong) << "the input comes back with the text";
    const ObSpriteData& named = c.rename ? *list[1] : *list.back();
    EXPECT_EQ(list.size(), c.rename ? 3u : 4u);
    EXPECT_EQ(named.Name(), Utf8ToCp932(c.accepted.toStdString()).value());
    EXPECT_LE(named.Name().size(), 11u);
    EXPECT_EQ(form.ObjectCombo->currentText(), c.accepted);
  }
}

TEST_F(ObjectNamesTest, CheckNameComparesStoredBytesExactly) {
  const struct Case {
    std::string name;
    int expected;
  } cases[] = {
      {Cp932("ひとつ"), 0}, {"Bird", 0},  {Cp932("みっつ"), 0}, {"bird", 1},
      {"Bird ", 1},         {" Bird", 1}, {"Bir", 1},           {"", 1},
      {Cp932("ﾋﾄﾂ"), 1},  // half-width katakana are other characters
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompt.ClearHistory();
    EXPECT_EQ(commands->CheckName(c.name), c.expected);
    if (c.expected) {
      EXPECT_TRUE(prompt.Messages().empty());
    } else {
      ASSERT_EQ(prompt.Messages().size(), 1u);
      EXPECT_EQ(prompt.Messages()[0].text, kDuplicate);
      EXPECT_EQ(prompt.Messages()[0].caption, QStringLiteral("エラー"));
      EXPECT_EQ(prompt.Messages()[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
    }
  }
}

TEST_F(ObjectNamesTest, AnEmptyNameIsOneNameLikeAnyOther) {
  prompt.Answer(QString());
  commands->CmNewObject();
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[3]->Name(), "");
  EXPECT_EQ(commands->CheckRepeatedName(), 1);
  // A second empty name is a duplicate.
  prompt.ClearHistory();
  dialog->FramesEdit->setText("1");
  dialog->CommitField(ObKELDialog::kFrames);
  dialog->SizeXEdit->setText("8");
  dialog->SizeYEdit->setText("8");
  Script(prompt, {"", kOk, kCancel});
  commands->CmNewObject();
  EXPECT_TRUE(prompt.ScriptEmpty());
  EXPECT_EQ(prompt.MessageTexts(), QStringList{kDuplicate});
  EXPECT_EQ(list.size(), 4u);
}

// A file written by another program may hold a name twice; reading it is allowed, saving the
// list is not until one of the two is renamed or deleted.
TEST_F(DialogTest, CheckRepeatedNameFindsDuplicatesReadFromAFile) {
  TempDir dir;
  const auto path = dir / "twice.kel";
  {
    SpriteList written;
    for (const char* name : {"同じ", "別", "同じ"}) {
      auto s = NewSprite(name);
      s->SetNumFrames(1);
      written.push_back(std::move(s));
    }
    std::ofstream out(path, std::ios::binary);
    ASSERT_TRUE(WriteObjectFile(out, written));
  }
  SpriteList read;
  ASSERT_TRUE(ReadObjectFile(path.string(), read).ok);
  doc.Reset(std::move(read), QString());
  ASSERT_EQ(list.size(), 3u);
  Show(0);

  EXPECT_EQ(commands->CheckRepeatedName(), 0);
  EXPECT_TRUE(prompt.Messages().empty()) << "the caller reports it";

  // Renaming the first to a free name makes the list saveable.
  prompt.Answer(QStringLiteral("違う"));
  commands->CmRenameObject();
  ASSERT_EQ(list[0]->Name(), Cp932("違う"));
  EXPECT_EQ(commands->CheckRepeatedName(), 1);

  // So does deleting one of the two.
  SetName(*list[0], Cp932("同じ"));
  EXPECT_EQ(commands->CheckRepeatedName(), 0);
  doc.SetCurrent(2);
  dialog->DispSpriteData(dialog->CurrentSprite());
  commands->CmDeleteObject();
  EXPECT_EQ(commands->CheckRepeatedName(), 1);
}

TEST_F(ObjectNamesTest, CheckRepeatedNameLooksAtEveryPair) {
  const struct Case {
    std::vector<std::string> names;
    int expected;
  } cases[] = {
      {{}, 1},
      {{"a"}, 1},
      {{"a", "A"}, 1},
      {{"a", "b", "c", "d"}, 1},
      {{"a", "a"}, 0},
      {{"a", "b", "c", "a"}, 0},
      {{"x", "b", "c", "c"}, 0},
      {{"", ""}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.names));
    doc.Reset({}, QString());
    for (const auto& n : c.names) {
      auto s = std::make_unique<ObSpriteData>();
      SetName(*s, n);
      Add(std::move(s));
    }
    EXPECT_EQ(commands->CheckRepeatedName(), c.expected);
  }
  EXPECT_TRUE(prompt.Messages().empty());
}

}  // namespace
}  // namespace kel::test
