// What the application needs before its first widget: its pictures, Qt's Japanese texts and a
// font that shows Japanese.
#pragma once

#include <QString>

class QApplication;

namespace kel {

// Call once, after the QApplication exists and before any widget is made (widgets made earlier
// keep the old font and English texts). Registers the program's pictures, installs Qt's Japanese
// translation (button texts, file dialogs), makes Japanese the default locale, sets the
// application font and the window icon.
void SetupApplicationUi(QApplication& app);

// Makes the pictures (":/toolbox/25101.png", ":/bitmaps/25204.bmp", ...) available; safe to call
// more than once. SetupApplicationUi calls it.
void RegisterResources();

// The font family the program uses: IPA Gothic when installed, otherwise another family that
// writes Japanese, preferring fixed-pitch ones; empty when the machine has none.
QString JapaneseUiFontFamily();

// The size of the application font, in pixels: an even number, so that a full-width character is
// exactly two half-width ones wide, as in the fixed-pitch layouts the dialogs were made for.
inline constexpr int kUiFontPixelSize = 14;

}  // namespace kel
