// Realizing the shown object's palette: which frame decides, and what the handlers answer.
#include <QSignalSpy>
#include <functional>

#include "editor/editor_fixture.h"
#include "model/display.h"

namespace kel::test {
namespace {

TEST_F(DialogTest, WithoutObjectNothingIsRealized) {
  EXPECT_FALSE(dialog->SelectRealizePalette());
  EXPECT_FALSE(dialog->EvQueryNewPalette());
  EXPECT_EQ(dialog->RealizedPalette(), nullptr);
}

TEST_F(DialogTest, TheFirstFramesPaletteIsRealized) {
  auto s = NewSprite("p");
  s->AddImage(FrameSlot(SolidImage(4, 4, 8, {0x102030, 0x405060})), 0, 0);
  s->AddImage(FrameSlot(SolidImage(4, 4, 8, {0xA0B0C0})), 1, 0);
  ObSpriteData* sprite = Add(std::move(s));
  Show(0);
  const LogPalette* first = sprite->GetImage(0).Image()->Palette();
  ASSERT_NE(first, nullptr);
  // Showing the object realized it already.
  EXPECT_EQ(dialog->RealizedPalette(), first);
  EXPECT_TRUE(dialog->SelectRealizePalette());
  EXPECT_TRUE(dialog->EvQueryNewPalette());
  ASSERT_NE(dialog->RealizedPalette(), nullptr);
  EXPECT_EQ(dialog->RealizedPalette()->entries[1], (PaletteEntry{0x40, 0x50, 0x60, 0}));
}

TEST_F(DialogTest, AFirstFrameWithoutPaletteRealizesNothingButStillAnswersTrue) {
  struct Case {
    const char* what;
    std::function<void(ObSpriteData&)> fill;
  };
  const Case cases[] = {
      {"24-bit",
       [](ObSpriteData& s) { s.AddImage(FrameSlot(SolidImage(4, 4, 24, {0x112233})), 0, 0); }},
      {"continue",
       [](ObSpriteData& s) {
         s.AddImage(FrameSlot(ContinueMark), 0, 0);
         s.AddImage(FrameSlot(ContinueMark), 0, 1);
       }},
      {"empty", [](ObSpriteData& s) { s.AddImage(FrameSlot(SolidImage(4, 4, 8, {1})), 0, 1); }},
  };
  for (const auto& c : cases) {
    doc.Reset({}, QString());
    commands.reset();
    dialog = std::make_unique<ObKELDialog>(doc, prompt);
    commands = std::make_unique<EditCommands>(doc, *dialog, prompt);
    auto s = NewSprite(c.what);
    c.fill(*s);
    Add(std::move(s));
    Show(0);
    EXPECT_TRUE(dialog->SelectRealizePalette()) << c.what;
    EXPECT_TRUE(dialog->EvQueryNewPalette()) << c.what;
    EXPECT_EQ(dialog->RealizedPalette(), nullptr) << c.what;
  }
}

TEST_F(DialogTest, ActivationRealizesAndTellsTheOtherWindows) {
  auto s = NewSprite("p");
  s->AddImage(FrameSlot(SolidImage(4, 4, 8, {0x102030})), 0, 0);
  ObSpriteData* sprite = Add(std::move(s));
  sprite->MakeDDB(dialog->DC());
  doc.SetCurrent(0);
  QSignalSpy spy(dialog.get(), &ObKELDialog::PaletteChanged);

  dialog->EvActivate(0, false, nullptr);  // deactivation
  EXPECT_EQ(spy.count(), 0);
  EXPECT_EQ(dialog->RealizedPalette(), nullptr);

  for (unsigned state : {1u, 2u}) {  // active, click-active
    dialog->EvActivate(state, false, nullptr);
    EXPECT_EQ(dialog->RealizedPalette(), sprite->GetImage(0).Image()->Palette());
  }
  ASSERT_EQ(spy.count(), 2);
  EXPECT_EQ(spy[0][0].value<QWidget*>(), dialog.get());

  // A real activation of the window does the same.
  spy.clear();
  Activate();
  EXPECT_GE(spy.count(), 1);
}

TEST_F(DialogTest, UpdatePaletteNeedsAPalette) {
  EXPECT_FALSE(dialog->UpdatePalette(nullptr, true));
  LogPalette palette;
  palette.entries.resize(16);
  EXPECT_TRUE(dialog->UpdatePalette(&palette, false));
  EXPECT_TRUE(dialog->UpdatePalette(&palette, true));
}

}  // namespace
}  // namespace kel::test
