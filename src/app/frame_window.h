// ObFrameWindow: the main window. A fixed-size frame around the editor dialog with the menu bar,
// the speed bar at the top, the two-column tool box at the left and the status bar (hint texts
// and the CAPS / NUM / 上書 indicators), centred on the screen.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>

class QAction;
class QLabel;
class QMimeData;
class QStatusBar;
class QToolBar;

namespace kel {

class ObKELDialog;

class ObFrameWindow : public QMainWindow {
  Q_OBJECT
 public:
  // client: the editor dialog, which the frame takes as its central widget (and owns).
  // canClose: asked before the window closes (the dialog's save-changes prompt).
  ObFrameWindow(const QString& title, ObKELDialog* client, std::function<bool()> canClose);
  ~ObFrameWindow() override;

  // Sizes the frame to its client and decorations, fixes that size and centres it on the
  // screen's available area (above or left of it when the frame is larger).
  void SetupWindow();
  static QString GetClassName() { return QStringLiteral("KelClass"); }

  // One action per command id (the id is the action's data); issuing it calls route(id).
  QAction* AddCommand(int id, const QString& text, const std::function<void(int)>& route);
  QAction* Action(int id) const;  // null for an unknown id
  const std::map<int, QAction*>& Actions() const { return actions_; }

  // The status bar with the keyboard-mode indicators.
  QStatusBar* SetupStatusBar();
  // The two-column tool box at the left, with one button per (glyph, command) pair.
  QToolBar* SetupToolBox();

  // Another window realized its palette: the dialog realizes its own again, unless it was the
  // one that changed it.
  void EvPaletteChanged(QWidget* changer);
  // The frame comes to the front: the dialog realizes its palette. true when it did.
  bool EvQueryNewPalette();

  ObKELDialog* Client() const;
  QLabel* Indicator(int index) const { return indicators_[index]; }  // 0 CAPS, 1 NUM, 2 上書
  bool Overtype() const { return overtype_; }

  // Files dragged over the window: asked whether a drop at pos (the frame's coordinates) would
  // be taken (drop false), and to carry it out (drop true); unset, nothing is taken.
  std::function<bool(const QMimeData* data, QPoint pos, Qt::KeyboardModifiers modifiers, bool drop)>
      DropHandler;

  QToolBar* ToolBox = nullptr;
  QStatusBar* StatusBar = nullptr;
  QToolBar* SpeedBar = nullptr;
  int32_t FrameX = 0, FrameY = 0, FrameWidth = 0, FrameHeight = 0;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  // Shows the Caps Lock and Num Lock states the keyboard reports and the overtype mode.
  void UpdateIndicators();

  std::function<bool()> canClose_;
  std::map<int, QAction*> actions_;
  QLabel* indicators_[3] = {};
  bool overtype_ = false;  // the Insert key toggles between inserting and overtyping
};

}  // namespace kel
