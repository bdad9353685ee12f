#include "editor/updown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

namespace kel {

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  for (QToolButton* b : {up_, down_}) {
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);  // the buddy keeps the focus, as with a spin control
  }
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  up_->setObjectName(QStringLiteral("UpButton"));
  down_->setObjectName(QStringLiteral("DownButton"));
  connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::SetRange(int lo, int hi) {
  lo_ = std::min(lo, hi);
  hi_ = std::max(lo, hi);
}

void TUpDown::SetBuddy(QLineEdit* buddy) {
  if (buddy_) buddy_->removeEventFilter(this);
  buddy_ = buddy;
  if (buddy_) buddy_->installEventFilter(this);
}

void TUpDown::Step(int delta) {
  // The buddy's number is the position; an empty field or one holding no number starts from
  // the lower end, and a number out of range from the nearer end.
  int value = lo_;
  if (buddy_) {
    bool isNumber = false;
    const int typed = buddy_->text().trimmed().toInt(&isNumber);
    if (isNumber) value = typed;
  }
  value = std::clamp(value, lo_, hi_);
  value = std::clamp(value + delta, lo_, hi_);
  if (buddy_) buddy_->setText(QString::number(value));
  emit Changed(value);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == buddy_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
      if (key->key() == Qt::Key_Up) {
        Step(+1);
        return true;
      }
      if (key->key() == Qt::Key_Down) {
        Step(-1);
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TUpDown::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int h = height() / 2;
  up_->setGeometry(0, 0, width(), h);
  down_->setGeometry(0, h, width(), height() - h);
}

}  // namespace kel
