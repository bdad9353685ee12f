// What the cell command tests share: an object shown in the dialog whose frames hold pictures of
// known widths, real bitmap and wave files in a temporary folder, the active cell, and the
// sound played through SDL's dummy audio driver.
#pragma once

#include <QLineEdit>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "editor/editor_fixture.h"
#include "grid/spread.h"
#include "platform/sdl_sound.h"
#include "support/sprite_setup.h"
#include "support/test_paths.h"

namespace kel::test {

// A mono 8-bit PCM wave file of n samples.
inline std::string WaveBytes(uint32_t n = 2205) {
  std::string data;
  for (uint32_t i = 0; i < n; ++i) data += char(uint8_t(128 + (i % 32) * 4 - 64));
  return MonoPcmWave(8, 22050, data);
}

// The frame's slot kinds at a glance: "I" picture, "C" continue, "-" empty; image then mask.
inline std::string SlotKinds(const ObSpriteData& s) {
  std::string out;
  auto kind = [](const FrameSlot& slot) {
    return slot.IsContinue() ? 'C' : slot.IsImage() ? 'I' : '-';
  };
  for (int i = 0; i < s.FrameCount(); ++i) {
    if (i) out += ' ';
    out += kind(s.GetImage(int16_t(i)));
    out += kind(s.GetMask(int16_t(i)));
  }
  return out;
}

class CellTest : public DialogTest {
 protected:
  CellTest() {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    port = std::make_unique<SdlSoundPort>();
    InstallSoundPort(port.get());
  }
  ~CellTest() override {
    dialog.reset();
    doc.Reset({}, QString());
    InstallSoundPort(nullptr);
    port->Stop();
  }

  // Shows an object of the given number of frames, frame i holding an image 10 + i pixels wide
  // and a mask 50 + i pixels wide, with a size the fields accept; Modified back to 0.
  ObSpriteData* ShowFrames(int frames) {
    auto s = NewSprite("セル");
    EditParams(*s, [&](ObSpriteParams& p) {
      p.ImageSizeX = 16;
      p.ImageSizeY = 16;
    });
    for (int i = 0; i < frames; ++i) {
      s->AddImage(FrameSlot(SolidImage(10 + i, 8, 8, {0x102030})), int16_t(i), 0);
      s->AddImage(FrameSlot(SolidImage(50 + i, 8, 1, {0, 0xFFFFFF})), int16_t(i), 1);
    }
    ObSpriteData* sprite = Add(std::move(s));
    Show(int(list.size()) - 1);
    doc.MarkSaved();
    return sprite;
  }

  // The widths of the frames' images (or masks), 0 for a slot without a picture: which frame
  // went where.
  static std::vector<int> SlotWidths(const ObSpriteData& s, bool mask) {
    std::vector<int> w;
    for (int i = 0; i < s.FrameCount(); ++i) {
      const ObBmpImage* p = (mask ? s.GetMask(int16_t(i)) : s.GetImage(int16_t(i))).Image();
      w.push_back(p ? p->Width() : 0);
    }
    return w;
  }
  static std::vector<int> ImageWidths(const ObSpriteData& s) { return SlotWidths(s, false); }
  static std::vector<int> MaskWidths(const ObSpriteData& s) { return SlotWidths(s, true); }

  void SetActive(int col, int row) { ASSERT_TRUE(dialog->Spread->SSSetActiveCell(col, row)); }
  std::pair<int, int> ActiveCell() const {
    int col = 0, row = 0;
    dialog->Spread->SSGetActiveCell(&col, &row);
    return {col, row};
  }

  // A bitmap file of w x h pixels, 8 bits, in the temporary folder; its path as the file
  // dialog answers it.
  QString Bitmap(const std::string& name, int w, int h) {
    const std::filesystem::path p = dir / name;
    EXPECT_TRUE(SolidImage(w, h, 8, {0x00FF00, 0xFF0000}, true)->Write(p.c_str()));
    return QString::fromStdString(p.string());
  }
  QString File(const std::string& name, const std::string& bytes) {
    const std::filesystem::path p = dir / name;
    WriteFileBytes(p, bytes);
    return QString::fromStdString(p.string());
  }

  // Answers the next file dialog with path (nullopt: Cancel).
  void Choose(std::optional<QString> path) { prompt.Answer(std::move(path)); }

  int FileDialogsAsked() const {
    int n = 0;
    for (const auto& a : prompt.History()) n += a.kind == ScriptedPromptPort::Asked::Open;
    return n;
  }

  TempDir dir;
  std::unique_ptr<SdlSoundPort> port;
};

}  // namespace kel::test
