// The problems check's window: it lists the document's problems, follows its edits and shows the
// object and cell of an entry that is clicked.
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "document/edit_steps.h"
#include "editor/editor_fixture.h"
#include "editor/problems_window.h"
#include "support/sprite_setup.h"

namespace kel::test {
namespace {

class ProblemsWindowTest : public DialogTest {
 protected:
  ProblemsWindowTest() {
    // "good": one frame with image and mask. "bad": frame 2 has an image but no mask, and its
    // sound is at frame 5, past its last frame.
    for (const char* name : {"good", "bad"}) {
      ObSpriteData* s = Add(NewSprite(name));
      ResizeForTest(*s, 2);
      for (int16_t f = 0; f < 2; ++f) {
        SetSlot(*s, f, false, FrameSlot(SolidImage(8, 8, 8, {0xFFFFFF})));
        if (std::string(name) == "good" || f == 0)
          SetSlot(*s, f, true, FrameSlot(SolidImage(8, 8, 8, {0})));
      }
      if (std::string(name) == "bad") SetSound(*s, NewSound("a.wav", 5));
    }
    Show(0);
    window = std::make_unique<ProblemsWindow>(doc, *dialog, nullptr);
    window->show();
  }
  static void ResizeForTest(ObSpriteData& s, int frames) {
    EditParams(s, [&](ObSpriteParams& p) { p.ImageSizeX = p.ImageSizeY = 8; });
    s.SetNumFrames(uint16_t(frames));
  }
  QString Entry(int i, int column) const { return window->List()->topLevelItem(i)->text(column); }

  std::unique_ptr<ProblemsWindow> window;
};

TEST_F(ProblemsWindowTest, ListsEachProblemWithItsObjectAndFrame) {
  ASSERT_EQ(window->List()->topLevelItemCount(), 2);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(Entry(i, 0), QStringLiteral("bad"));
  EXPECT_EQ(Entry(0, 1), QStringLiteral("2"));
  EXPECT_EQ(Entry(1, 1), QStringLiteral("5"));
  EXPECT_TRUE(window->Summary()->text().startsWith(QStringLiteral("2 件")));
}

TEST_F(ProblemsWindowTest, ClickingAnEntryShowsItsObjectAndCell) {
  const struct {
    int entry;
    int col, row;
  } cases[] = {{0, 2, kRowMask}, {1, 5, kRowSound}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    dialog->SetActiveCell(1, kRowImage);
    QTreeWidgetItem* item = window->List()->topLevelItem(c.entry);
    QTest::mouseClick(window->List()->viewport(), Qt::LeftButton, {},
                      window->List()->visualItemRect(item).center());
    EXPECT_EQ(doc.CurrentIndex(), 1);
    int col = 0, row = 0;
    dialog->ActiveCell(col, row);
    EXPECT_EQ(col, c.col);
    EXPECT_EQ(row, c.row);
  }
}

TEST_F(ProblemsWindowTest, FollowsTheDocumentsEdits) {
  // A mask for frame 2 mends the first problem; undo brings it back.
  ObSpriteData* bad = list[1].get();
  auto* step = new EditStep(doc, QStringLiteral("mask"), bad);
  step->Do(new SlotOp(doc, bad, 1, true, FrameSlot(SolidImage(8, 8, 8, {0})), step));
  doc.Push(step);
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->List()->topLevelItemCount() == 1; }));
  doc.History().undo();
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->List()->topLevelItemCount() == 2; }));
}

TEST_F(ProblemsWindowTest, AnObjectThatCannotBeLeftStaysShown) {
  // The shown object's frame count typed out of range: leaving it is refused with a message.
  dialog->FramesEdit->setText(QStringLiteral("999"));
  EXPECT_FALSE(window->ShowEntry(0));
  EXPECT_EQ(doc.CurrentIndex(), 0);
  EXPECT_FALSE(prompt.Messages().empty());
}

}  // namespace
}  // namespace kel::test
