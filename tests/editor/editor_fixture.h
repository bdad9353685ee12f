// What the editor dialog tests share: the application with its font and translation, pictures
// made in memory, sample objects, and a dialog over a real object list with scripted prompts.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/document.h"
#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "grid/colorref.h"
#include "model/sprite.h"
#include "platform/prompt.h"

class QApplication;
class QImage;

namespace kel::test {

inline void PutLe(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += char((v >> (8 * i)) & 0xFF);
}

// A mono PCM wave file of the given sample width and rate around the sample bytes.
inline std::string MonoPcmWave(uint16_t bits, uint32_t rate, const std::string& data) {
  const uint16_t blockAlign = uint16_t(bits / 8);
  std::string w = "RIFF";
  PutLe(w, uint32_t(36 + data.size()), 4);
  w += "WAVEfmt ";
  PutLe(w, 16, 4);
  PutLe(w, 1, 2);  // PCM
  PutLe(w, 1, 2);  // mono
  PutLe(w, rate, 4);
  PutLe(w, rate * blockAlign, 4);
  PutLe(w, blockAlign, 2);
  PutLe(w, bits, 2);
  w += "data";
  PutLe(w, uint32_t(data.size()), 4);
  return w + data;
}

// The one QApplication of the test program, set up as the editor sets it up.
QApplication& App();

// A w x h DIB of the given depth (1, 4, 8 or 24) filled with colour index 0 (for 24 bits with
// colors[0]); colors are 0x00RRGGBB. pattern: when true, index (x + y) % colors.size() instead.
std::shared_ptr<PackedDib> SolidDib(int w, int h, int bits, std::vector<uint32_t> colors,
                                    bool pattern = false);
std::unique_ptr<ObBmpImage> SolidImage(int w, int h, int bits, std::vector<uint32_t> colors,
                                       bool pattern = false);

// An object named name (UTF-8, stored as CP932) with the given parameters and no frames.
std::unique_ptr<ObSpriteData> NewSprite(const std::string& name);

// A sound clip with the given stored path (CP932 bytes) at frame.
std::unique_ptr<ObSound> NewSound(const std::string& cp932Path, int16_t frame);

class DialogTest : public ::testing::Test {
 protected:
  DialogTest();
  ~DialogTest() override;

  // Appends an object to the document (not as an edit) and returns it.
  ObSpriteData* Add(std::unique_ptr<ObSpriteData> sprite);
  // Makes object index current and shows it, as opening a file does (pictures made first); the
  // document is then clean with an empty history.
  void Show(int index);
  // The object file bytes of the document as it is now.
  std::string FileBytes() const;
  // Puts the dialog in an active window, so that focus moves like on the desktop.
  void Activate();

  QString Cell(int col, int row) const;
  COLORREF Background(int col, int row) const;
  // A grid cell as drawn on screen, and the pixel at its centre (0x00RRGGBB).
  QImage DrawnCell(int col, int row);
  uint32_t DrawnCellPixel(int col, int row);

  Document doc;
  const SpriteList& list = doc.Objects();
  ScriptedPromptPort prompt;
  std::unique_ptr<ObKELDialog> dialog;
  std::unique_ptr<EditCommands> commands;
};

}  // namespace kel::test
