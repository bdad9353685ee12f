// StageWindow ("ステージ"): every object of the document, or the ones ticked in the list beside
// it, moving on a stage as the player moves them. The stage's size, its background (a colour or
// a picture), play, pause, one step, restart, the speed, the seed, the tick count and outlines
// with names are the window's own settings; the objects are the document's, followed live.
#pragma once

#include <QWidget>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace kel {

class Document;
class PromptPort;
class StagePlayer;
class StageView;

class StageWindow : public QWidget {
  Q_OBJECT
 public:
  // The stage sizes offered, the screen's own last.
  static const std::vector<QSize>& FixedSizes();
  // The speeds offered, x1/4 to x4.
  static const std::vector<double>& Speeds();

  StageWindow(Document& doc, PromptPort& prompt, QWidget* parent = nullptr);
  ~StageWindow() override;

  StagePlayer& Player() const { return *player_; }
  StageView& View() const { return *view_; }

  QComboBox* SizeBox = nullptr;
  QPushButton* ColourButton = nullptr;
  QPushButton* PictureButton = nullptr;
  QPushButton* NoPictureButton = nullptr;
  QPushButton* PlayButton = nullptr;
  QPushButton* StepButton = nullptr;
  QPushButton* RestartButton = nullptr;
  QComboBox* SpeedBox = nullptr;
  QSpinBox* SeedBox = nullptr;
  QPushButton* NewSeedButton = nullptr;
  QLabel* TickLabel = nullptr;
  QCheckBox* OutlineBox = nullptr;
  QListWidget* ObjectList = nullptr;

  // Loads a picture file as the background; false (after a message) when it cannot be read.
  bool LoadBackground(const QString& path);

 protected:
  void hideEvent(QHideEvent* e) override;

 private:
  void FillObjectList();
  void ShowTick();
  void ChooseColour();
  void ChoosePicture();

  Document& doc_;
  PromptPort& prompt_;
  StagePlayer* player_ = nullptr;
  StageView* view_ = nullptr;
};

}  // namespace kel
