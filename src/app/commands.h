// The program's commands: their ids (kept with each QAction), hint texts, the menu bar, the
// accelerators and the glyphs of the speed bar and the tool box.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <vector>

#include "document/command_ids.h"

namespace kel {

// Every command that has an action, in the order the actions are made.
const std::vector<int>& AllCommands();

// The hint shown in the status bar while the command's menu item is highlighted or the mouse
// rests on its button; empty for a command without one.
QString HintText(int id);

// One entry of a popup menu: a command, or a separator (id 0).
struct MenuEntry {
  int id;
  const char* text;  // with its "&" mnemonic
};
struct MenuPopup {
  const char* title;
  std::vector<MenuEntry> entries;
};
// The menu bar, popup by popup.
const std::vector<MenuPopup>& MenuBar();

// The keys of a command: the first is the one the menu shows; every one of them issues it.
QList<QKeySequence> CommandKeys(int id);

// Whether the key is the accelerator of a command that a text field does for its own text
// (Del, Ctrl+Del, cut, copy, paste, undo, redo): while a field is being typed in, the key edits
// the text.
bool IsTextEditingKey(QKeyCombination key);

// The speed bar: commands in order, 0 for a separator; glyphs ":/speedbar/<id>.png", 20 x 20.
const std::vector<int>& SpeedBarCommands();
inline constexpr int kSpeedBarGlyph = 20;

// The tool box, filled row by row in two columns; glyphs ":/toolbox/<glyph>.png", 32 x 32.
struct ToolBoxButton {
  int glyph;
  int id;
};
const std::vector<ToolBoxButton>& ToolBoxButtons();
inline constexpr int kToolBoxColumns = 2;
inline constexpr int kToolBoxGlyph = 32;

// The picture of a command's button, or an empty name when it has none.
QString GlyphPath(int id);

}  // namespace kel
