// The test display command: it stores the fields, opens a preview of the object that plays its
// frames once and stays open, and the previews of objects that go are closed before they could
// draw them.
#include <QPointer>
#include <QSignalSpy>

#include "app/dialog_routes.h"
#include "editor/cell_fixture.h"
#include "preview/test_window.h"

namespace kel::test {
namespace {

class CellPreviewTest : public CellTest {
 protected:
  QList<ObTestWindow*> Previews() const {
    return dialog->findChildren<ObTestWindow*>(Qt::FindDirectChildrenOnly);
  }
  // The previews not closed yet (a closed one deletes itself a little later).
  std::vector<ObTestWindow*> OpenPreviews() const {
    std::vector<ObTestWindow*> open;
    for (ObTestWindow* p : Previews())
      if (p->isVisible()) open.push_back(p);
    return open;
  }
};

TEST_F(CellPreviewTest, TheTestCommandStoresTheFieldsAndPlaysTheObjectOnce) {
  ObSpriteData* s = ShowFrames(3);
  dialog->PosXEdit->setText("42");  // typed, stored by the command

  commands->CmTstButton();

  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(s->Params().PositionX, 42);
  const auto previews = OpenPreviews();
  ASSERT_EQ(previews.size(), 1u);
  ObTestWindow* preview = previews[0];
  EXPECT_EQ(preview->windowTitle(), QStringLiteral("テスト表示"));
  EXPECT_EQ(preview->Sprite, s);
  EXPECT_TRUE(preview->isWindow());
  EXPECT_EQ(preview->LastFrame, 2);
  EXPECT_TRUE(preview->Playing());
  EXPECT_EQ(preview->FrameEdit->text(), "1");

  QSignalSpy finished(preview, &ObTestWindow::TestFinished);
  ASSERT_TRUE(finished.wait(3000));
  EXPECT_EQ(preview->FrameEdit->text(), "3") << "the last frame stays";
  EXPECT_TRUE(preview->isVisible()) << "the preview stays open after its run";
}

TEST_F(CellPreviewTest, EachTestCommandOpensAPreviewOfItsOwn) {
  ShowFrames(2);
  commands->CmTstButton();
  commands->CmTstButton();
  commands->CmTstButton();
  const auto open = OpenPreviews();
  ASSERT_EQ(open.size(), 3u);
  // Each stands a step down and to the right of the one before: none hides another.
  EXPECT_EQ(open[1]->pos() - open[0]->pos(), QPoint(24, 24));
  EXPECT_EQ(open[2]->pos() - open[1]->pos(), QPoint(24, 24));
}

struct Refusal {
  const char* name;
  int frames;  // -1: no object at all
  const char* depth;
  const char* message;
};

TEST_F(CellPreviewTest, AnObjectThatCannotBeStoredOpensNoPreview) {
  const Refusal cases[] = {
      {"no object", -1, "1", "オブジェクトがありません。"},
      {"no frames", 0, "1", "イメージがありません.設定して下さい"},
      {"invalid depth", 2, "500", "深さの入力値が不正です"},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.name);
    prompt.ClearHistory();
    doc.Reset({}, QString());
    doc.SetCurrent(0);
    if (c.frames >= 0) ShowFrames(c.frames);
    dialog->DepthEdit->setText(QString::fromUtf8(c.depth));

    commands->CmTstButton();

    ASSERT_EQ(prompt.Messages().size(), 1u);
    EXPECT_EQ(prompt.Messages()[0].text, QString::fromUtf8(c.message));
    EXPECT_TRUE(OpenPreviews().empty());
    if (c.frames > 0) {
      EXPECT_EQ(dialog->CurrentSprite()->Params().Depth, 1) << "nothing was stored";
    }
  }
}

TEST_F(CellPreviewTest, TheTestCommandIsOnTheCommandRoute) {
  ShowFrames(1);
  auto routes = DialogResponseTable(*commands);
  ASSERT_EQ(routes.count(CM_TEST), 1u);
  EXPECT_TRUE(routes[CM_TEST]());
  EXPECT_EQ(OpenPreviews().size(), 1u);
}

TEST_F(CellPreviewTest, DeletingAnObjectClosesItsPreviewsAndKeepsTheOthers) {
  ObSpriteData* first = ShowFrames(2);
  commands->CmTstButton();
  ShowFrames(3);
  commands->CmTstButton();
  ASSERT_EQ(OpenPreviews().size(), 2u);

  commands->CmDeleteObject();  // the second, shown

  const auto open = OpenPreviews();
  ASSERT_EQ(open.size(), 1u);
  EXPECT_EQ(open[0]->Sprite, first);
  for (ObTestWindow* p : Previews())
    if (p != open[0]) {
      EXPECT_EQ(p->Sprite, nullptr) << "the deleted object's preview forgot it";
    }
}

TEST_F(CellPreviewTest, ThePreviewsGoWhenTheListIsEmptiedOrReplaced) {
  // Emptied, as New and Close leave it: the empty form is shown next.
  ShowFrames(2);
  commands->CmTstButton();
  QPointer<ObTestWindow> emptied = OpenPreviews().at(0);
  doc.Reset({}, QString());
  dialog->InitWindow();
  ASSERT_TRUE(emptied);
  EXPECT_FALSE(emptied->isVisible());
  EXPECT_EQ(emptied->Sprite, nullptr);

  // Replaced, as opening a file replaces it: the first object is taken next.
  ShowFrames(2);
  commands->CmTstButton();
  QPointer<ObTestWindow> replaced = OpenPreviews().at(0);
  kel::SpriteList fresh;
  fresh.push_back(NewSprite("別"));
  doc.Reset(std::move(fresh), QString());
  ASSERT_TRUE(replaced);
  EXPECT_FALSE(replaced->isVisible());
  EXPECT_EQ(replaced->Sprite, nullptr);

  // A closed preview deletes itself.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(emptied);
  EXPECT_FALSE(replaced);
}

TEST_F(CellPreviewTest, APreviewFollowsItsObjectThroughClearAndUndo) {
  ShowFrames(3);
  commands->CmTstButton();
  ASSERT_EQ(OpenPreviews().size(), 1u);
  ObTestWindow* preview = OpenPreviews()[0];
  commands->CmClearObject();
  EXPECT_EQ(preview->LastFrame, -1);
  EXPECT_TRUE(preview->Picture().isNull());
  doc.History().undo();
  EXPECT_EQ(preview->LastFrame, 2);
  EXPECT_FALSE(preview->Picture().isNull());
}

TEST_F(CellPreviewTest, SwitchingObjectsLeavesThePreviewsOpen) {
  ObSpriteData* first = ShowFrames(2);
  commands->CmTstButton();
  ShowFrames(2);
  doc.SetCurrent(0);
  const auto open = OpenPreviews();
  ASSERT_EQ(open.size(), 1u);
  EXPECT_EQ(open[0]->Sprite, first);
}

}  // namespace
}  // namespace kel::test
