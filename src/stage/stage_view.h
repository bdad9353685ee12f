// StageView: a widget showing a StagePlayer's picture one to one, with an outline and the name
// over each object on request. It repaints only what a tick changed.
#pragma once

#include <QWidget>

namespace kel {

class StagePlayer;

class StageView : public QWidget {
  Q_OBJECT
 public:
  StageView(StagePlayer& player, QWidget* parent = nullptr);

  // An outline of each shown object's box (its image size at its place) and its name above it.
  void SetOutlines(bool on);
  bool Outlines() const { return outlines_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  void PictureChanged();

  StagePlayer& player_;
  bool outlines_ = false;
};

}  // namespace kel
