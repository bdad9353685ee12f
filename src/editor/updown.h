// TUpDown: a pair of arrow buttons attached to a number edit (its buddy). Each step reads the
// buddy's number, moves it by one within the range and writes it back as decimal text, so the
// edit stays the one place the number lives. The arrow keys in the buddy step it too.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace kel {

class TUpDown : public QWidget {
  Q_OBJECT
 public:
  explicit TUpDown(QWidget* parent = nullptr);

  void SetRange(int lo, int hi);
  int GetLower() const { return lo_; }
  int GetUpper() const { return hi_; }
  void SetBuddy(QLineEdit* buddy);
  QLineEdit* GetBuddy() const { return buddy_; }

  // One step up (+1) or down (-1), as a click on an arrow does.
  void Step(int delta);

  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

 signals:
  void Changed(int value);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QToolButton* up_;
  QToolButton* down_;
  QLineEdit* buddy_ = nullptr;
  int lo_ = 0;
  int hi_ = 100;
};

}  // namespace kel
