#include "stage/stage_view.h"

#include <QPaintEvent>
#include <QPainter>

#include "document/document.h"
#include "stage/stage_player.h"

namespace kel {

StageView::StageView(StagePlayer& player, QWidget* parent) : QWidget(parent), player_(player) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  connect(&player_, &StagePlayer::pictureChanged, this, &StageView::PictureChanged);
  setFixedSize(player_.StageSize());
}

QSize StageView::sizeHint() const {
  return player_.StageSize();
}

void StageView::SetOutlines(bool on) {
  outlines_ = on;
  update();
}

void StageView::PictureChanged() {
  if (size() != player_.StageSize()) setFixedSize(player_.StageSize());
  // Outlines and names move with their objects and stand beyond the pictures: all of it again.
  if (outlines_)
    update();
  else
    update(player_.Changed());
}

void StageView::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  // The stage's pixels are opaque or see-through, never blended.
  p.setCompositionMode(QPainter::CompositionMode_Source);
  const QImage& picture = player_.Picture();
  for (const QRect& r : e->region()) p.drawImage(r.topLeft(), picture, r);
  if (!outlines_) return;
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  const SpriteList& list = player_.Doc().Objects();
  const auto& states = player_.State().States();
  p.setPen(QColor(255, 255, 0));
  for (size_t i = 0; i < list.size() && i < states.size(); ++i) {
    const MotionState& s = states[i];
    if (!s.visible || !player_.Shown(list[i].get())) continue;
    const ObSpriteParams params = list[i]->Params();
    const QRect box(int(s.x), int(s.y), int(BoxSide(params.ImageSizeX)),
                    int(BoxSide(params.ImageSizeY)));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    const QString name = ObjectName(*list[i]);
    p.drawText(box.topLeft() + QPoint(2, -3), name);
  }
}

}  // namespace kel
