// Switching objects with the name drop-down: the shown object is stored first, and a refused
// store keeps it.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "editor/editor_fixture.h"
#include "editor/object_fixture.h"
#include "grid/spread.h"

namespace kel::test {
namespace {

// Three storable objects, the first one shown (the object commands' fixture).
class SwitchTest : public ThreeObjectsTest {};

TEST_F(SwitchTest, ChoosingAnotherNameStoresTheShownObjectAndShowsTheChosenOne) {
  dialog->PosXEdit->setText("77");
  dialog->ObjectCombo->setCurrentIndex(2);
  EXPECT_EQ(dialog->Modified, 1);
  EXPECT_EQ(list[0]->PositionX, 77);
  EXPECT_EQ(dialog->CurrentIndex, 2);
  EXPECT_EQ(dialog->CurrentSprite, list[2].get());
  EXPECT_EQ(dialog->ObjectCombo->currentText(), QStringLiteral("みっつ"));
  EXPECT_EQ(dialog->PosXEdit->text(), "200");
  EXPECT_EQ(dialog->FramesEdit->text(), "3");
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(SwitchTest, TheKeyboardSwitchesObjectsToo) {
  Activate();
  dialog->ObjectCombo->setFocus();
  QTest::keyClick(dialog->ObjectCombo, Qt::Key_Down);
  EXPECT_EQ(dialog->CurrentIndex, 1);
  EXPECT_EQ(dialog->CurrentSprite, list[1].get());
  EXPECT_EQ(dialog->PosXEdit->text(), "100");
  QTest::keyClick(dialog->ObjectCombo, Qt::Key_Down);
  EXPECT_EQ(dialog->CurrentIndex, 2);
  EXPECT_EQ(dialog->ObjectCombo->currentText(), QStringLiteral("みっつ"));
  QTest::keyClick(dialog->ObjectCombo, Qt::Key_Up);
  EXPECT_EQ(dialog->CurrentIndex, 1);
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(SwitchTest, ARefusedStoreKeepsTheObjectWithItsStoredValues) {
  dialog->PosXEdit->setText("9999");
  dialog->DepthEdit->setText("7");
  dialog->ObjectCombo->setCurrentIndex(1);
  EXPECT_EQ(prompt.MessageTexts(), QStringList{QStringLiteral("位置Xの入力値が不正です")});
  EXPECT_EQ(dialog->CurrentIndex, 0);
  EXPECT_EQ(dialog->CurrentSprite, list[0].get());
  EXPECT_EQ(dialog->ObjectCombo->currentIndex(), 0);
  EXPECT_EQ(dialog->PosXEdit->text(), "0");
  EXPECT_EQ(dialog->DepthEdit->text(), "1");
  EXPECT_EQ(list[0]->Depth, 1);
  EXPECT_EQ(dialog->Modified, 1);
}

TEST_F(SwitchTest, AnObjectWithoutFramesCannotBeLeft) {
  dialog->FramesEdit->setText("0");
  dialog->ChangeImagePair();
  ASSERT_EQ(list[0]->FrameCount(), 0);
  dialog->ObjectCombo->setCurrentIndex(1);
  EXPECT_EQ(prompt.MessageTexts(),
            QStringList{QStringLiteral("イメージがありません.設定して下さい")});
  EXPECT_EQ(dialog->CurrentIndex, 0);
  EXPECT_EQ(dialog->ObjectCombo->currentIndex(), 0);
}

TEST_F(SwitchTest, ShowingAnObjectDoesNotCountAsASwitch) {
  dialog->Modified = 0;
  dialog->GetSpriteData(1);
  dialog->DispSpriteData(dialog->CurrentSprite);
  EXPECT_EQ(dialog->Modified, 0);
  EXPECT_EQ(dialog->ObjectCombo->currentIndex(), 1);
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(DialogTest, WithoutObjectTheHandlersDoNothing) {
  dialog->RedrawDialogParam();
  dialog->BehaveCombo();
  dialog->ChangeImagePair();
  dialog->SetBitmapToSpread();
  dialog->SetPointToSpread(3);
  dialog->GetPointFromSpread();
  EXPECT_EQ(dialog->Modified, 0);
  EXPECT_TRUE(prompt.Messages().empty());
  dialog->RandomCheck();  // the click alone still counts
  EXPECT_EQ(dialog->Modified, 1);
}

}  // namespace
}  // namespace kel::test
