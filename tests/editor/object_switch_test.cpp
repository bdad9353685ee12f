// Switching objects with the name drop-down: the shown object is stored first, and a refused
// store keeps it.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "editor/editor_fixture.h"
#include "editor/object_fixture.h"
#include "editor/updown.h"
#include "grid/spread.h"

namespace kel::test {
namespace {

// Three storable objects, the first one shown (the object commands' fixture).
class SwitchTest : public ThreeObjectsTest {};

TEST_F(SwitchTest, ChoosingAnotherNameStoresTheShownObjectAndShowsTheChosenOne) {
  dialog->PosXEdit->setText("77");
  dialog->ObjectCombo->setCurrentIndex(2);
  EXPECT_EQ(doc.Modified(), 1);
  EXPECT_EQ(list[0]->Params().PositionX, 77);
  EXPECT_EQ(doc.CurrentIndex(), 2);
  EXPECT_EQ(dialog->CurrentSprite(), list[2].get());
  EXPECT_EQ(dialog->ObjectCombo->currentText(), QStringLiteral("みっつ"));
  EXPECT_EQ(dialog->PosXEdit->text(), "200");
  EXPECT_EQ(dialog->FramesEdit->text(), "3");
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(SwitchTest, TheKeyboardSwitchesObjectsToo) {
  Activate();
  dialog->ObjectCombo->setFocus();
  QTest::keyClick(dialog->ObjectCombo, Qt::Key_Down);
  EXPECT_EQ(doc.CurrentIndex(), 1);
  EXPECT_EQ(dialog->CurrentSprite(), list[1].get());
  EXPECT_EQ(dialog->PosXEdit->text(), "100");
  QTest::keyClick(dialog->ObjectCombo, Qt::Key_Down);
  EXPECT_EQ(doc.CurrentIndex(), 2);
  EXPECT_EQ(dialog->ObjectCombo->currentText(), QStringLiteral("みっつ"));
  QTest::keyClick(dialog->ObjectCombo, Qt::Key_Up);
  EXPECT_EQ(doc.CurrentIndex(), 1);
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(SwitchTest, ARefusedFieldKeepsTheObjectWithTheFieldSelected) {
  Activate();
  dialog->PosXEdit->setText("9999");
  dialog->DepthEdit->setText("7");
  dialog->ObjectCombo->setCurrentIndex(1);
  EXPECT_EQ(prompt.MessageTexts(), QStringList{QStringLiteral("位置Xの入力値が不正です")});
  EXPECT_EQ(doc.CurrentIndex(), 0);
  EXPECT_EQ(dialog->CurrentSprite(), list[0].get());
  EXPECT_EQ(dialog->ObjectCombo->currentIndex(), 0);
  // The refused text stays for the user to correct, selected; the depth before it went in.
  EXPECT_EQ(dialog->PosXEdit->text(), "9999");
  EXPECT_EQ(dialog->PosXEdit->selectedText(), "9999");
  EXPECT_EQ(list[0]->Params().PositionX, 0);
  EXPECT_EQ(list[0]->Params().Depth, 7);
  EXPECT_EQ(doc.Modified(), 1);
}

TEST_F(SwitchTest, AnObjectWithoutFramesCannotBeLeft) {
  dialog->FramesEdit->setText("0");
  dialog->CommitField(ObKELDialog::kFrames);
  ASSERT_EQ(list[0]->FrameCount(), 0);
  dialog->ObjectCombo->setCurrentIndex(1);
  EXPECT_EQ(prompt.MessageTexts(),
            QStringList{QStringLiteral("イメージがありません.設定して下さい")});
  EXPECT_EQ(doc.CurrentIndex(), 0);
  EXPECT_EQ(dialog->ObjectCombo->currentIndex(), 0);
}

TEST_F(SwitchTest, ShowingAnObjectDoesNotCountAsASwitch) {
  doc.MarkSaved();
  doc.SetCurrent(1);
  dialog->DispSpriteData(dialog->CurrentSprite());
  EXPECT_EQ(doc.Modified(), 0);
  EXPECT_EQ(dialog->ObjectCombo->currentIndex(), 1);
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(DialogTest, WithoutObjectTheHandlersDoNothing) {
  dialog->RedrawDialogParam();
  dialog->BehaveCombo();
  dialog->CommitField(ObKELDialog::kFrames);
  dialog->SetBitmapToSpread();
  dialog->SetPointToSpread();
  dialog->RandomCheck();
  dialog->DepthUpDown->Step(1);
  dialog->PosXEdit->setText("5");
  dialog->CommitFields();
  // Without an object nothing is an edit: the document stays clean and the field empty.
  EXPECT_EQ(doc.Modified(), 0);
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(dialog->PosXEdit->text(), "");
  EXPECT_EQ(dialog->DepthEdit->text(), "");
}

}  // namespace
}  // namespace kel::test
