// The grid's keys: pressed on the real grid, they post the menu's commands along the command
// route (the dialog's handlers first, as the application routes them), and Enter in a field
// leaves the dialog as it was.
#include <QCoreApplication>
#include <QTest>

#include "app/dialog_routes.h"
#include "editor/cell_fixture.h"
#include "model/text.h"
#include "support/sprite_setup.h"

namespace kel::test {
namespace {

class CellKeysTest : public CellTest {
 protected:
  CellKeysTest() {
    // The command route as the application builds it: the dialog's own handlers; every id
    // sent is recorded, handled or not.
    routes = DialogResponseTable(*commands);
    commands->SendCommand = [this](int id) {
      sent.push_back(id);
      const auto it = routes.find(id);
      return it != routes.end() && it->second();
    };
  }

  // Presses the key in the grid and lets the posted command run.
  void Press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(dialog->Spread, Qt::Key(key), mods);
    QCoreApplication::processEvents();
  }

  std::map<int, std::function<bool()>> routes;
  std::vector<int> sent;
};

struct KeyCase {
  const char* name;
  int key;
  Qt::KeyboardModifiers mods;
  std::vector<int> sent;
};

TEST_F(CellKeysTest, EachKeyPostsItsCommandAndNoOtherKeyPostsAny) {
  const KeyCase cases[] = {
      {"Delete", Qt::Key_Delete, Qt::NoModifier, {CM_DELFRAME}},
      {"Ctrl+Delete", Qt::Key_Delete, Qt::ControlModifier, {CM_CLEAROBJECT}},
      {"Ctrl+X", Qt::Key_X, Qt::ControlModifier, {CM_EDITCUT}},
      {"Ctrl+C", Qt::Key_C, Qt::ControlModifier, {CM_EDITCOPY}},
      {"Ctrl+V", Qt::Key_V, Qt::ControlModifier, {CM_EDITPASTE}},
      {"Shift+Delete", Qt::Key_Delete, Qt::ShiftModifier, {}},
      {"Ctrl+Shift+Delete", Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier, {}},
      {"Alt+Delete", Qt::Key_Delete, Qt::AltModifier, {}},
      {"X alone", Qt::Key_X, Qt::NoModifier, {}},
      {"Ctrl+Z", Qt::Key_Z, Qt::ControlModifier, {}},
      {"Backspace", Qt::Key_Backspace, Qt::NoModifier, {}},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    // An object without frames: the commands the keys reach change nothing that matters here.
    doc.Reset({}, QString());
    Add(NewSprite("鍵"));
    Show(0);
    sent.clear();
    Press(c.key, c.mods);
    EXPECT_EQ(sent, c.sent);
  }
}

TEST_F(CellKeysTest, DeleteInTheGridDeletesTheActiveFrame) {
  ObSpriteData* s = ShowFrames(3);
  SetActive(2, 1);
  dialog->Spread->setFocus();
  Press(Qt::Key_Delete);
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{10, 12}));
  EXPECT_EQ(doc.Modified(), 1);
}

TEST_F(CellKeysTest, CtrlDeleteInTheGridClearsTheObject) {
  ObSpriteData* s = ShowFrames(3);
  EditParams(*s, [&](ObSpriteParams& p) { p.PositionX = 77; });
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(s->FrameCount(), 0);
  EXPECT_EQ(s->Params().PositionX, 0);
  EXPECT_EQ(s->Name(), Utf8ToCp932("セル").value());
  EXPECT_EQ(doc.Modified(), 1);
}

TEST_F(CellKeysTest, AKeyWhoseCommandHasNoHandlerChangesNothing) {
  ObSpriteData* s = ShowFrames(2);
  // Cut, copy and paste are routed on; a route without handlers for them changes nothing.
  for (int id : {CM_EDITCUT, CM_EDITCOPY, CM_EDITPASTE}) routes.erase(id);
  for (int key : {Qt::Key_X, Qt::Key_C, Qt::Key_V}) Press(key, Qt::ControlModifier);
  EXPECT_EQ(sent.size(), 3u);
  EXPECT_EQ(SlotKinds(*s), "II II");
  // A dialog without a route at all (no application): the key is dropped.
  commands->SendCommand = nullptr;
  Press(Qt::Key_Delete);
  EXPECT_EQ(SlotKinds(*s), "II II");
  EXPECT_EQ(doc.Modified(), 0);
}

TEST_F(CellKeysTest, APostedCommandIsDroppedWhenTheDialogGoesFirst) {
  ShowFrames(2);
  QTest::keyClick(dialog->Spread, Qt::Key_Delete);
  commands.reset();
  dialog.reset();
  doc.Reset({}, QString());
  QCoreApplication::processEvents();  // the posted command must not reach a dialog that is gone
  EXPECT_TRUE(sent.empty());
}

TEST_F(CellKeysTest, EnterInAFieldStoresItAndLeavesTheDialogAsItWas) {
  ObSpriteData* s = ShowFrames(2);
  dialog->show();
  dialog->PosXEdit->setText("12");  // typed, not yet stored
  for (QLineEdit* e :
       {dialog->DepthEdit, dialog->PosXEdit, dialog->PosYEdit, dialog->SpeedXEdit,
        dialog->SpeedYEdit, dialog->SizeXEdit, dialog->SizeYEdit, dialog->FramesEdit}) {
    SCOPED_TRACE(e->objectName().toStdString());
    QTest::keyClick(e, Qt::Key_Return);
    QTest::keyClick(e, Qt::Key_Enter, Qt::KeypadModifier);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog->isVisible());
  }
  commands->CmOk();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->PosXEdit->text(), "12");
  EXPECT_EQ(s->Params().PositionX, 12) << "Enter stores the field";
  EXPECT_EQ(dialog->FramesEdit->text(), "2");
  EXPECT_EQ(SlotKinds(*s), "II II");
  EXPECT_TRUE(sent.empty());
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(doc.History().count(), 1);
}

}  // namespace
}  // namespace kel::test
