// The object commands: new, rename, delete and clear, on real controls with scripted input.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "editor/object_fixture.h"
#include "grid/spread.h"
#include "support/sprite_setup.h"

namespace kel::test {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
const QString kNoObject = QStringLiteral("オブジェクトがありません。");
const QString kDuplicate = QStringLiteral("重複するオブジェクト名があります");

using ObjectCommandsTest = ThreeObjectsTest;

// ---- new object

TEST_F(ObjectCommandsTest, NewObjectComesEmptyAtTheEndAndIsShown) {
  dialog->PosXEdit->setText("55");  // typed into the shown object, not yet stored
  doc.MarkSaved();
  prompt.Answer(QStringLiteral("よっつ"));
  commands->CmNewObject();

  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0]->Params().PositionX, 55) << "the shown object is stored first";
  ObSpriteData* created = list[3].get();
  EXPECT_EQ(created->Name(), Cp932("よっつ"));
  EXPECT_EQ(created->FrameCount(), 0);
  EXPECT_EQ(created->NumFrames(), 0);
  EXPECT_EQ(created->Sound(), nullptr);
  EXPECT_EQ(doc.CurrentIndex(), 3);
  EXPECT_EQ(dialog->CurrentSprite(), created);
  EXPECT_EQ(ComboItems(), (QStringList{"ひとつ", "Bird", "みっつ", "よっつ"}));
  EXPECT_EQ(dialog->ObjectCombo->currentIndex(), 3);
  EXPECT_EQ(dialog->FramesEdit->text(), "0");
  EXPECT_EQ(dialog->PosXEdit->text(), "0");
  EXPECT_EQ(dialog->DepthEdit->text(), "1");
  int col = 0, row = 0;
  dialog->Spread->SSGetActiveCell(&col, &row);
  EXPECT_EQ(col, 1);
  EXPECT_EQ(row, 1);
  EXPECT_EQ(Background(1, 1), kWhite);
  EXPECT_EQ(doc.Modified(), 1);
  // Showing the new object is no switch: nothing tried to store the frameless object.
  EXPECT_TRUE(prompt.Messages().empty());

  const auto inputs = Inputs();
  ASSERT_EQ(inputs.size(), 1u);
  EXPECT_EQ(inputs[0].caption, QStringLiteral("新規オブジェクト名の入力"));
  EXPECT_EQ(inputs[0].text, QStringLiteral("オブジェクト名を入力してください。"));
  EXPECT_EQ(inputs[0].initial, "");
  EXPECT_EQ(inputs[0].byteLimit, 11);
}

TEST_F(DialogTest, NewObjectInAnEmptyDocumentBecomesTheFirst) {
  prompt.Answer(QStringLiteral("最初"));
  commands->CmNewObject();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0]->Name(), Utf8ToCp932("最初").value());
  EXPECT_EQ(doc.CurrentIndex(), 0);
  EXPECT_EQ(dialog->CurrentSprite(), list[0].get());
  EXPECT_EQ(dialog->ObjectCombo->count(), 1);
  EXPECT_EQ(dialog->ObjectCombo->currentText(), QStringLiteral("最初"));
  EXPECT_TRUE(prompt.Messages().empty());
}

// What the name input answers, and what comes of it.
TEST_F(ObjectCommandsTest, NewObjectNameIsAskedUntilAcceptedOrCancelled) {
  const struct Case {
    const char* what;
    std::vector<Step> answers;
    QStringList messages;
    QStringList initials;  // the text each input dialog started with
    std::optional<QString> created;
  } cases[] = {
      {"cancelled at once", {kCancel}, {}, {""}, std::nullopt},
      {"a name of the list, then cancel", {"Bird", kOk, kCancel}, {kDuplicate}, {"", "Bird"}, {}},
      {"two taken names, then a free one",
       {"ひとつ", kOk, "みっつ", kOk, "いつつ"},
       {kDuplicate, kDuplicate},
       {"", "ひとつ", "みっつ"},
       QStringLiteral("いつつ")},
      {"another letter case is another name", {"bird"}, {}, {""}, QStringLiteral("bird")},
      {"all capitals", {"BIRD"}, {}, {""}, QStringLiteral("BIRD")},
      {"empty", {""}, {}, {""}, QStringLiteral("")},
      {"11 Latin letters", {"abcdefghijk"}, {}, {""}, QStringLiteral("abcdefghijk")},
      {"five kanji and a letter: 11 bytes",
       {"漢字五文字a"},
       {},
       {""},
       QStringLiteral("漢字五文字a")},
      {"half-width katakana take a byte each", {"ｵﾌﾞｼﾞｪｸﾄ"}, {}, {""}, QStringLiteral("ｵﾌﾞｼﾞｪｸﾄ")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    while (doc.Count() > 3) doc.TakeObject(doc.Count() - 1);
    Show(0);
    prompt.ClearHistory();
    doc.MarkSaved();
    Script(prompt, c.answers);

    commands->CmNewObject();

    EXPECT_TRUE(prompt.ScriptEmpty());
    EXPECT_EQ(prompt.MessageTexts(), c.messages);
    ExpectErrorBoxes();
    EXPECT_EQ(InputInitials(), c.initials);
    EXPECT_EQ(doc.Modified(), c.created.has_value()) << "a cancelled dialog is no change";
    if (c.created) {
      ASSERT_EQ(list.size(), 4u);
      EXPECT_EQ(list[3]->Name(), Utf8ToCp932(c.created->toStdString()).value());
      EXPECT_EQ(doc.CurrentIndex(), 3);
      EXPECT_EQ(dialog->ObjectCombo->currentText(), *c.created);
    } else {
      EXPECT_EQ(list.size(), 3u);
      EXPECT_EQ(doc.CurrentIndex(), 0);
      EXPECT_EQ(dialog->CurrentSprite(), list[0].get());
      EXPECT_EQ(dialog->ObjectCombo->count(), 3);
    }
  }
}

TEST_F(ObjectCommandsTest, NewObjectIsRefusedWhileTheShownOneCannotBeStored) {
  const struct Case {
    const char* what;
    const char* frames;  // left in the frame-count field (the list is resized on leaving it)
    QLineEdit* ObKELDialog::*field;
    const char* text;
    QString message;
  } cases[] = {
      {"depth out of range", "1", &ObKELDialog::DepthEdit, "129",
       QStringLiteral("深さの入力値が不正です")},
      {"image width 0", "1", &ObKELDialog::SizeXEdit, "0",
       QStringLiteral("イメージサイズXの入力値が不正です")},
      {"no frames", "0", &ObKELDialog::PosXEdit, "0",
       QStringLiteral("イメージがありません.設定して下さい")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Show(0);
    dialog->FramesEdit->setText(c.frames);
    dialog->CommitField(ObKELDialog::kFrames);
    (dialog.get()->*c.field)->setText(c.text);
    prompt.ClearHistory();
    doc.MarkSaved();

    commands->CmNewObject();  // the script has no name: asking for one would cancel

    EXPECT_EQ(prompt.MessageTexts(), QStringList{c.message});
    EXPECT_TRUE(Inputs().empty()) << "no name is asked for";
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(dialog->CurrentSprite(), list[0].get());
    EXPECT_FALSE(doc.Modified()) << "a refusal changes nothing";
    list[0]->SetNumFrames(1);
  }
}

TEST_F(ObjectCommandsTest, AFreshObjectNeedsFramesBeforeAnotherCanBeMade) {
  prompt.Answer(QStringLiteral("よっつ"));
  commands->CmNewObject();
  ASSERT_EQ(list.size(), 4u);
  prompt.ClearHistory();
  commands->CmNewObject();
  EXPECT_EQ(prompt.MessageTexts(),
            QStringList{QStringLiteral("イメージがありません.設定して下さい")});
  EXPECT_EQ(list.size(), 4u);
  EXPECT_EQ(doc.CurrentIndex(), 3);
}

// ---- rename

TEST_F(ObjectCommandsTest, RenameReplacesTheNameInPlace) {
  doc.SetCurrent(1);
  dialog->DispSpriteData(dialog->CurrentSprite());
  doc.MarkSaved();
  ObSpriteData* renamed = list[1].get();
  prompt.Answer(QStringLiteral("Fish"));
  commands->CmRenameObject();

  EXPECT_EQ(renamed->Name(), "Fish");
  EXPECT_EQ(list[1].get(), renamed);
  EXPECT_EQ(ListNames(), (QStringList{"ひとつ", "Fish", "みっつ"}));
  EXPECT_EQ(ComboItems(), ListNames());
  EXPECT_EQ(dialog->ObjectCombo->currentIndex(), 1);
  EXPECT_EQ(doc.CurrentIndex(), 1);
  EXPECT_EQ(dialog->CurrentSprite(), renamed);
  EXPECT_EQ(doc.Modified(), 1);
  EXPECT_TRUE(prompt.Messages().empty());
  const auto inputs = Inputs();
  ASSERT_EQ(inputs.size(), 1u);
  EXPECT_EQ(inputs[0].caption, QStringLiteral("オブジェクト名の変更"));
  EXPECT_EQ(inputs[0].text, QStringLiteral("新しいオブジェクト名を入力してください。"));
  EXPECT_EQ(inputs[0].initial, "Bird");
  EXPECT_EQ(inputs[0].byteLimit, 11);
}

TEST_F(ObjectCommandsTest, RenameRefusalsBringTheInputBackWithTheText) {
  const QString notStorable =
      QStringLiteral("この名前はオブジェクトファイルに保存できない文字を含んでいます。");
  const struct Case {
    const char* what;
    std::vector<Step> answers;
    QStringList messages;
    QStringList initials;
    QString finalName;
  } cases[] = {
      {"its own name", {"Bird", kOk, kCancel}, {kDuplicate}, {"Bird", "Bird"}, "Bird"},
      {"another object's name, then its own, then a free one",
       {"ひとつ", kOk, "Bird", kOk, "Cat"},
       {kDuplicate, kDuplicate},
       {"Bird", "ひとつ", "Bird"},
       "Cat"},
      {"another letter case", {"BIRD"}, {}, {"Bird"}, "BIRD"},
      {"Hangul has no CP932 code", {"새", kOk, "Bird2"}, {notStorable}, {"Bird", "새"}, "Bird2"},
      {"an emoji, then cancel", {"🐦", kOk, kCancel}, {notStorable}, {"Bird", "🐦"}, "Bird"},
      {"a zero inside would end the stored name",
       {QString("Bi") + QChar(0) + "rd", kOk, kCancel},
       {notStorable},
       {"Bird", QString("Bi") + QChar(0) + "rd"},
       "Bird"},
      {"cancelled at once", {kCancel}, {}, {"Bird"}, "Bird"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetName(*list[1], "Bird");
    doc.SetCurrent(1);
    dialog->DispSpriteData(dialog->CurrentSprite());
    prompt.ClearHistory();
    doc.MarkSaved();
    Script(prompt, c.answers);

    commands->CmRenameObject();

    EXPECT_TRUE(prompt.ScriptEmpty());
    EXPECT_EQ(prompt.MessageTexts(), c.messages);
    ExpectErrorBoxes();
    EXPECT_EQ(InputInitials(), c.initials);
    EXPECT_EQ(QString::fromStdString(Cp932ToUtf8Lossy(list[1]->Name())), c.finalName);
    EXPECT_EQ(dialog->ObjectCombo->itemText(1), c.finalName);
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(doc.CurrentIndex(), 1);
    EXPECT_EQ(doc.Modified(), c.finalName != "Bird") << "a cancelled rename is no change";
  }
}

TEST_F(ObjectCommandsTest, DeleteShowsTheObjectThatTakesTheDeletedOnesPlace) {
  const struct Case {
    int shown;
    int current;  // afterwards
    QStringList remaining;
  } cases[] = {
      {2, 1, {"ひとつ", "Bird"}},    // the last: the one before it
      {0, 0, {"Bird", "みっつ"}},    // the first: the former second, now first
      {1, 1, {"ひとつ", "みっつ"}},  // a middle one: the one after it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    doc.Reset({}, QString());
    for (const char* name : kThreeNames) {
      auto s = NewSprite(name);
      s->SetNumFrames(uint16_t(list.size() + 1));
      EditParams(*s, [&](ObSpriteParams& p) { p.PositionX = int32_t(list.size()) * 100; });
      Add(std::move(s));
    }
    Show(c.shown);
    const ObSpriteData* expected = list[size_t(c.shown == 2 ? 1 : c.shown + 1)].get();
    doc.MarkSaved();

    commands->CmDeleteObject();

    EXPECT_EQ(ListNames(), c.remaining);
    EXPECT_EQ(ComboItems(), c.remaining);
    EXPECT_EQ(doc.CurrentIndex(), c.current);
    EXPECT_EQ(dialog->CurrentSprite(), expected);
    EXPECT_EQ(dialog->ObjectCombo->currentIndex(), c.current);
    EXPECT_EQ(dialog->PosXEdit->text(), QString::number(expected->Params().PositionX));
    EXPECT_EQ(dialog->FramesEdit->text(), QString::number(expected->FrameCount()));
    EXPECT_EQ(doc.Modified(), 1);
    EXPECT_TRUE(prompt.History().empty()) << "no question and no message";
  }
}

TEST_F(ObjectCommandsTest, DeleteIgnoresTheFieldsOfTheObjectItRemoves) {
  // Taking the entry out of the drop-down must not count as the user's switch, which would
  // first try to store the invalid fields.
  dialog->DepthEdit->setText("999");
  commands->CmDeleteObject();
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(ListNames(), (QStringList{"Bird", "みっつ"}));
  EXPECT_EQ(dialog->CurrentSprite(), list[0].get());
  EXPECT_EQ(dialog->DepthEdit->text(), "1");
}

TEST_F(DialogTest, DeletingTheOnlyObjectEmptiesTheDialog) {
  auto s = NewSprite("だけ");
  s->AddImage(FrameSlot(SolidImage(8, 8, 8, {0x336699})), 0, 0);
  s->AddImage(FrameSlot(SolidImage(8, 8, 8, {0x336699})), 1, 0);
  EditParams(*s, [&](ObSpriteParams& p) { p.Behave = ObSpriteData::kFixedPosition; });
  s->AddLocation({5, 6});
  SetSound(*s, NewSound("bell.wav", 2));
  Add(std::move(s));
  Show(0);
  ASSERT_TRUE(dialog->Spread->SSHasPicture(1, 1));
  ASSERT_EQ(Cell(2, 3), "bell");

  commands->CmDeleteObject();

  EXPECT_TRUE(list.empty());
  EXPECT_EQ(dialog->CurrentSprite(), nullptr);
  EXPECT_EQ(doc.CurrentIndex(), -1);
  EXPECT_EQ(doc.Modified(), 1);
  EXPECT_EQ(dialog->ObjectCombo->count(), 0);
  for (QLineEdit* e :
       {dialog->DepthEdit, dialog->PosXEdit, dialog->PosYEdit, dialog->SpeedXEdit,
        dialog->SpeedYEdit, dialog->SizeXEdit, dialog->SizeYEdit, dialog->FramesEdit})
    EXPECT_EQ(e->text(), "") << e->objectName().toStdString();
  EXPECT_EQ(dialog->BehaveTypeCombo->currentIndex(), 0);
  EXPECT_TRUE(dialog->RandomCheckBox->isEnabled());
  for (int col : {1, 2}) {
    EXPECT_FALSE(dialog->Spread->SSHasPicture(col, 1)) << col;
    for (int row = 3; row <= 5; ++row) EXPECT_EQ(Cell(col, row), "") << col << ',' << row;
    const COLORREF back = Background(col, 1);
    EXPECT_TRUE(back == kWhite || back == kDefaultColor) << col << ' ' << back;
  }
  EXPECT_TRUE(prompt.Messages().empty());
}

// ---- clear

TEST_F(ObjectCommandsTest, ClearKeepsNameAndPlaceAndResetsEverythingElse) {
  ObSpriteData* s = list[1].get();
  s->AddImage(FrameSlot(SolidImage(8, 8, 8, {0x336699})), 0, 0);
  s->AddImage(FrameSlot(SolidImage(8, 8, 1, {0, 0xffffff})), 0, 1);
  s->AddImage(FrameSlot(ContinueMark), 1, 0);
  s->AddImage(FrameSlot(ContinueMark), 1, 1);
  SetSound(*s, NewSound("bell.wav", 1));
  EditParams(*s, [&](ObSpriteParams& p) { p.Behave = ObSpriteData::kFixedPosition; });
  SetLocations(*s, {});
  s->AddLocation({10, 20});
  s->AddLocation({30, 40});
  EditParams(*s, [&](ObSpriteParams& p) {
    p.Depth = 7;
    p.AutoRepeat = 0;
    p.RandomStart = 0;
    p.PositionX = 5;
    p.PositionY = -6;
    p.SpeedX = 3;
    p.SpeedY = -4;
    p.ImageSizeX = 320;
    p.ImageSizeY = 240;
  });
  Show(1);
  ASSERT_EQ(Cell(1, 4), "10");
  ASSERT_EQ(Cell(1, 3), "bell");
  doc.MarkSaved();

  commands->CmClearObject();

  EXPECT_EQ(list[1].get(), s);
  EXPECT_EQ(s->Name(), "Bird");
  EXPECT_EQ(ListNames(), (QStringList{"ひとつ", "Bird", "みっつ"}));
  EXPECT_EQ(ComboItems(), ListNames());
  EXPECT_EQ(dialog->ObjectCombo->currentIndex(), 1);
  EXPECT_EQ(doc.CurrentIndex(), 1);
  EXPECT_EQ(dialog->CurrentSprite(), s);

  EXPECT_EQ(s->FrameCount(), 0);
  EXPECT_EQ(s->NumFrames(), 0);
  EXPECT_EQ(s->Sound(), nullptr);
  EXPECT_TRUE(s->Locations().empty());
  EXPECT_EQ(s->Params().Depth, 1);
  EXPECT_EQ(s->Params().Behave, 0);
  EXPECT_EQ(s->Params().AutoRepeat, 1);
  EXPECT_EQ(s->Params().RandomStart, 1);
  EXPECT_EQ(s->Params().PositionX, 0);
  EXPECT_EQ(s->Params().PositionY, 0);
  EXPECT_EQ(s->Params().SpeedX, 0);
  EXPECT_EQ(s->Params().SpeedY, 0);
  EXPECT_EQ(s->Params().ImageSizeX, 0);
  EXPECT_EQ(s->Params().ImageSizeY, 0);

  EXPECT_EQ(dialog->FramesEdit->text(), "0");
  EXPECT_EQ(dialog->DepthEdit->text(), "1");
  EXPECT_EQ(dialog->PosYEdit->text(), "0");
  EXPECT_EQ(dialog->SizeXEdit->text(), "0");
  EXPECT_EQ(dialog->BehaveTypeCombo->currentIndex(), 0);
  EXPECT_TRUE(dialog->RandomCheckBox->isChecked());
  EXPECT_TRUE(dialog->AutoRepeatCheckBox->isChecked());
  for (int col : {1, 2}) {
    EXPECT_FALSE(dialog->Spread->SSHasPicture(col, 1)) << col;
    EXPECT_FALSE(dialog->Spread->SSHasPicture(col, 2)) << col;
    for (int row = 3; row <= 5; ++row) EXPECT_EQ(Cell(col, row), "") << col << ',' << row;
    EXPECT_EQ(Background(col, 1), kWhite) << col;
  }
  EXPECT_EQ(doc.Modified(), 1);
  EXPECT_TRUE(prompt.History().empty()) << "no question and no message";
  // The other objects are untouched.
  EXPECT_EQ(list[0]->FrameCount(), 1);
  EXPECT_EQ(list[2]->FrameCount(), 3);
  EXPECT_EQ(list[2]->Params().PositionX, 200);
}

TEST_F(ObjectCommandsTest, ClearDropsFieldsTypedButNotStored) {
  dialog->PosXEdit->setText("abc-typed");
  commands->CmClearObject();
  EXPECT_EQ(dialog->PosXEdit->text(), "0");
  EXPECT_EQ(list[0]->Name(), Cp932("ひとつ"));
}

// ---- without an object

TEST_F(DialogTest, WithoutObjectRenameDeleteAndClearReportIt) {
  const struct Case {
    const char* what;
    void (EditCommands::*command)();
  } cases[] = {
      {"rename", &EditCommands::CmRenameObject},
      {"delete", &EditCommands::CmDeleteObject},
      {"clear", &EditCommands::CmClearObject},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    prompt.ClearHistory();
    (commands.get()->*c.command)();
    ASSERT_EQ(prompt.History().size(), 1u) << "one message, no input";
    const auto& m = prompt.History()[0];
    EXPECT_EQ(m.kind, ScriptedPromptPort::Asked::Box);
    EXPECT_EQ(m.text, kNoObject);
    EXPECT_EQ(m.caption, QStringLiteral("エラー"));
    EXPECT_EQ(m.flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(doc.Modified(), 0);
    EXPECT_TRUE(list.empty());
  }
}

TEST_F(ObjectCommandsTest, AfterTheLastObjectIsDeletedOnlyNewWorks) {
  for (int i = 0; i < 3; ++i) commands->CmDeleteObject();
  ASSERT_TRUE(list.empty());
  ASSERT_TRUE(prompt.Messages().empty());
  commands->CmDeleteObject();
  commands->CmClearObject();
  commands->CmRenameObject();
  EXPECT_EQ(prompt.MessageTexts(), (QStringList{kNoObject, kNoObject, kNoObject}));

  prompt.ClearHistory();
  prompt.Answer(QStringLiteral("ひとつ"));  // the name is free again
  commands->CmNewObject();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0]->Name(), Cp932("ひとつ"));
  EXPECT_EQ(dialog->CurrentSprite(), list[0].get());
  EXPECT_TRUE(prompt.Messages().empty());
}

}  // namespace
}  // namespace kel::test
