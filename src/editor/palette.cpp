// Realizing the shown object's palette. On a palette display the grid's pictures show their own
// colours only while a fitting palette is realized; the object's first frame image decides.
#include "editor/dialog.h"
#include "model/display.h"

namespace kel {

bool ObKELDialog::SelectRealizePalette() {
  if (!CurrentSprite()) return false;
  const FrameSlot& first = CurrentSprite()->GetImage(0);
  const LogPalette* palette = first.IsImage() ? first.Image()->Palette() : nullptr;
  if (palette) {
    dc_->RealizePalette(*palette, false);
    foreground_ = first.Image()->GetImageData()->Palette;
    // The surface then gets back the palette it had: the display's default, whose background
    // realization changes no entry, so there is nothing more to realize.
  }
  return true;
}

void ObKELDialog::EvActivate(unsigned active, bool /*minimized*/, QWidget* /*other*/) {
  if (active == 0) return;
  SelectRealizePalette();
  emit PaletteChanged(this);
}

bool ObKELDialog::EvQueryNewPalette() {
  return SelectRealizePalette();
}

bool ObKELDialog::UpdatePalette(const LogPalette* palette, bool forceRepaint) {
  if (!palette) return false;
  const int changed = dc_->RealizePalette(*palette, true);
  if (forceRepaint || changed > 0) update();  // repaint without erasing first
  return true;
}

}  // namespace kel
