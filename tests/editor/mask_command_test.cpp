// The mask command on the grid's active cell: the mask it stores, the grid after it, where the
// active cell goes, and the messages of the cases that make no mask.
#include <memory>

#include "editor/editor_fixture.h"
#include "grid/spread.h"
#include "support/dib_builder.h"
#include "support/sprite_setup.h"

namespace kel::test {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0xFF0000;

// An object with three frames: frame 0 an 8-bit picture whose entry 7 is black, frame 1 a
// continue frame, frame 2 empty.
class MaskCommandTest : public DialogTest {
 protected:
  MaskCommandTest() {
    auto s = NewSprite("mask");
    EditParams(*s, [&](ObSpriteParams& p) {
      p.ImageSizeX = 4;
      p.ImageSizeY = 2;
    });
    // Top row: index 7 (black) then 0 (white); bottom row: 1 (red) then 7.
    auto dib = MakeDib(
        {.width = 4, .height = 2, .bits = 8, .colors = {kWhite, kRed, 0, 0, 0, 0, 0, kBlack}},
        [](int x, int y) { return y == 0 ? (x < 2 ? 7u : 0u) : (x < 2 ? 1u : 7u); });
    s->AddImage(FrameSlot(std::make_unique<ObBmpImage>(dib)), 0, 0);
    s->AddImage(FrameSlot(ContinueMark), 1, 0);
    s->AddImage(FrameSlot(ContinueMark), 1, 1);
    s->SetNumFrames(3);
    sprite = Add(std::move(s));
    Show(0);
    doc.MarkSaved();
    prompt.ClearHistory();
  }

  void Activate(int col, int row) { ASSERT_TRUE(dialog->Spread->SSSetActiveCell(col, row)); }
  std::pair<int, int> ActiveCell() const {
    int col = 0, row = 0;
    dialog->Spread->SSGetActiveCell(&col, &row);
    return {col, row};
  }
  // The mask of frame i as rows of '1' (background) and '0', top row first.
  std::vector<std::string> MaskOf(int i) const {
    const ObBmpImage* m = sprite->GetMask(int16_t(i)).Image();
    if (!m || !m->Dib()) return {};
    const PackedDib& dib = *m->Dib();
    const BitmapInfoHeader h = dib.Header();
    std::vector<std::string> rows;
    for (int y = 0; y < h.biHeight; ++y) {
      const uint8_t* r = dib.Bits() + size_t(h.biHeight - 1 - y) * m->LineBytes();
      std::string s;
      for (int x = 0; x < h.biWidth; ++x) s += ((r[x / 8] >> (7 - x % 8)) & 1) ? '1' : '0';
      rows.push_back(s);
    }
    return rows;
  }

  ObSpriteData* sprite = nullptr;
};

TEST_F(MaskCommandTest, StoresTheMaskShowsItAndMovesOn) {
  // Any row of the column will do: the command works on the frame's image.
  for (int row : {ObKELDialog::kRowImage, ObKELDialog::kRowSound}) {
    SCOPED_TRACE(row);
    sprite->AddImage(FrameSlot(), 0, 1);
    dialog->SetBitmapToSpread();
    doc.MarkSaved();
    EXPECT_FALSE(dialog->Spread->SSHasPicture(1, ObKELDialog::kRowMask));
    Activate(1, row);
    commands->CmMakeMask();
    EXPECT_TRUE(prompt.Messages().empty());
    EXPECT_EQ(MaskOf(0), (std::vector<std::string>{"1100", "0011"}));
    const ObBmpImage* mask = sprite->GetMask(0).Image();
    ASSERT_NE(mask, nullptr);
    EXPECT_NE(mask->Bitmap(), nullptr) << "made ready to be shown";
    EXPECT_NE(mask->Palette(), nullptr);
    EXPECT_TRUE(dialog->Spread->SSHasPicture(1, ObKELDialog::kRowMask));
    EXPECT_TRUE(sprite->GetImage(0).IsImage()) << "the image stays";
    EXPECT_EQ(ActiveCell(), std::make_pair(2, row));
    EXPECT_EQ(doc.Modified(), 1);
    EXPECT_EQ(sprite->FrameCount(), 3);
  }
}

TEST_F(MaskCommandTest, RunningAgainReplacesTheMask) {
  Activate(1, ObKELDialog::kRowMask);
  commands->CmMakeMask();
  const ObBmpImage* first = sprite->GetMask(0).Image();
  ASSERT_NE(first, nullptr);
  // The picture changes: every pixel white now, so the new mask is all sprite.
  sprite->AddImage(FrameSlot(SolidImage(4, 2, 8, {kWhite})), 0, 0);
  Activate(1, ObKELDialog::kRowMask);
  commands->CmMakeMask();
  EXPECT_EQ(MaskOf(0), (std::vector<std::string>{"0000", "0000"}));
}

TEST_F(MaskCommandTest, OnTheLastFrameTheActiveCellMovesIntoTheEmptyColumn) {
  sprite->AddImage(FrameSlot(SolidImage(4, 2, 24, {kBlack})), 2, 0);
  Activate(3, ObKELDialog::kRowImage);
  commands->CmMakeMask();
  EXPECT_EQ(MaskOf(2), (std::vector<std::string>{"1111", "1111"}));
  EXPECT_EQ(ActiveCell(), std::make_pair(4, int(ObKELDialog::kRowImage)));
}

TEST_F(MaskCommandTest, BeyondTheFramesOnlyTheActiveCellMoves) {
  Activate(5, ObKELDialog::kRowMask);
  commands->CmMakeMask();
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(ActiveCell(), std::make_pair(6, int(ObKELDialog::kRowMask)));
  EXPECT_EQ(sprite->FrameCount(), 3);
  EXPECT_EQ(doc.Modified(), 0) << "moving the cursor is no edit";
}

// A mask slot holding the continue marker alone (as a file may have it): the image the mask is
// made from stays in its slot.
TEST_F(MaskCommandTest, AContinueMarkInTheMaskSlotAloneKeepsTheImage) {
  sprite->AddImage(FrameSlot(), 0, 1);
  SetSlot(*sprite, 0, true, FrameSlot(ContinueMark));
  const ObBmpImage* image = sprite->GetImage(0).Image();
  Activate(1, ObKELDialog::kRowImage);
  commands->CmMakeMask();
  EXPECT_EQ(sprite->GetImage(0).Image(), image);
  EXPECT_EQ(MaskOf(0), (std::vector<std::string>{"1100", "0011"}));
  EXPECT_TRUE(dialog->Spread->SSHasPicture(1, ObKELDialog::kRowImage));
}

struct Refusal {
  const char* name;
  int col;
  const char* message;
  const char* caption;
  unsigned flags;
};

class MaskCommandRefusal : public MaskCommandTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(MaskCommandRefusal, ShowsItsMessageAndChangesNothing) {
  const Refusal& r = GetParam();
  std::unique_ptr<ObSpriteData> held;  // the object taken out of the document for "no object"
  // Frame 0's image loses its DIB for the case that asks for it.
  if (r.col == 0) {
    sprite->AddImage(FrameSlot(std::make_unique<ObBmpImage>()), 0, 0);
    Activate(1, ObKELDialog::kRowImage);
  } else if (r.col < 0) {
    Activate(1, ObKELDialog::kRowImage);
    held = doc.TakeObject(0);
  } else {
    Activate(r.col, ObKELDialog::kRowMask);
  }
  const auto before = ActiveCell();
  commands->CmMakeMask();
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_EQ(prompt.Messages()[0].text, QString::fromUtf8(r.message));
  EXPECT_EQ(prompt.Messages()[0].caption, QString::fromUtf8(r.caption));
  EXPECT_EQ(prompt.Messages()[0].flags, r.flags);
  EXPECT_EQ(ActiveCell(), before);
  EXPECT_EQ(doc.Modified(), 0);
  EXPECT_TRUE(sprite->GetMask(0).IsEmpty());
  EXPECT_TRUE(sprite->GetMask(1).IsContinue());
  EXPECT_TRUE(sprite->GetMask(2).IsEmpty());
}

// col: the active column; 0 stands for frame 1 with a picture that has no DIB, -1 for no object.
const Refusal kRefusals[] = {
    {"NoObject", -1, "オブジェクトがありません。", "エラー", MB_ICONINFORMATION},
    {"ContinueFrame", 2, "連続アイコンには適用できません", "", MB_OK},
    {"EmptyFrame", 3, "マスクの作成に失敗しました", "", MB_OK},
    {"ImageWithoutDib", 0, "マスクの作成に失敗しました", "", MB_OK},
};

INSTANTIATE_TEST_SUITE_P(Cases, MaskCommandRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kel::test
