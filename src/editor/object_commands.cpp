// Switching between the objects of the list with the name drop-down.
#include <QComboBox>

#include "editor/dialog.h"

namespace kel {

void ObKELDialog::RedrawDialogParam() {
  if (!CurrentSprite) return;
  Modified = 1;
  if (!SaveSpriteData(CurrentSprite)) {
    // The present object stays: its stored values and its entry in the drop-down come back.
    GetSpriteData(CurrentIndex);
    DispSpriteData(CurrentSprite);
    return;
  }
  const int index = ObjectCombo->currentIndex();
  if (index < 0) return;
  CurrentIndex = index;
  GetSpriteData(CurrentIndex);
  DispSpriteData(CurrentSprite);
}

}  // namespace kel
