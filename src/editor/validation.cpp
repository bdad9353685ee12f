// The parameter fields and the location cells: their checks, and committing what the user typed
// into the document as undo steps.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "document/edit_steps.h"
#include "editor/dialog.h"
#include "grid/spread.h"
#include "model/text.h"

namespace kel {

namespace {

struct FieldRule {
  int min, max;
  const char* message;  // the refusal
  const char* step;     // the history's name for an edit of the field
};

// In the order of ObKELDialog::Field, which is the order of the checks.
const FieldRule kFieldRules[] = {
    {0, ObKELDialog::kMaxDepth, "深さの入力値が不正です", "深さの変更"},
    {-2000, 2000, "位置Xの入力値が不正です", "位置Xの変更"},
    {-2000, 2000, "位置Yの入力値が不正です", "位置Yの変更"},
    {-1000, 1000, "速さXの入力値が不正です", "速度Xの変更"},
    {-1000, 1000, "速さYの入力値が不正です", "速度Yの変更"},
    {1, 2000, "イメージサイズXの入力値が不正です", "イメージサイズXの変更"},
    {1, 2000, "イメージサイズYの入力値が不正です", "イメージサイズYの変更"},
    {1, ObKELDialog::kMaxFrames, "フレーム数の入力値が不正です", "フレーム数の変更"},
};

const char kNotFixed[] = "位置は動作タイプが「指定位置」のオブジェクトにだけ設定できます。";
const char kBeyondFrames[] = "フレーム数を超えています．";

// Full-width digits, signs and blanks as their ASCII forms.
QString Halfwidth(const QString& text) {
  QString out = text;
  for (QChar& c : out) {
    const char16_t u = c.unicode();
    if (u >= u'０' && u <= u'９')
      c = QChar(char16_t(u'0' + (u - u'０')));
    else if (u == u'－' || u == u'−' || u == u'ー')
      c = QLatin1Char('-');
    else if (u == u'＋')
      c = QLatin1Char('+');
    else if (u == u'　')
      c = QLatin1Char(' ');
  }
  return out;
}

// Whether the text holds a number at all by the atol rule (blanks, a sign, then a digit).
bool HoldsNumber(const QString& text) {
  const std::string s = Halfwidth(text).toStdString();
  size_t i = s.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string::npos) return false;
  if (s[i] == '+' || s[i] == '-') ++i;
  return i < s.size() && s[i] >= '0' && s[i] <= '9';
}

}  // namespace

int ObKELDialog::CheckValue(const QString& text, int min, int max) {
  const int32_t value = FieldNumber(text);
  return value >= min && value <= max ? 1 : 0;
}

int32_t ObKELDialog::FieldNumber(const QString& text) {
  return AtolRule(Halfwidth(text).toStdString());
}

int ObKELDialog::CheckEdit() {
  const ObSpriteData* sprite = CurrentSprite();
  for (int f = 0; f < kFieldCount; ++f) {
    const FieldRule& rule = kFieldRules[f];
    QLineEdit* edit = FieldEdit(Field(f));
    // An object read with more frames than the grid shows keeps them: only a count the user
    // types is held to the grid's limit.
    if (f == kFrames && sprite && FieldNumber(edit->text()) == sprite->FrameCount() &&
        sprite->FrameCount() >= 1)
      continue;
    if (CheckValue(edit->text(), rule.min, rule.max)) continue;
    ShowError(QString::fromUtf8(rule.message));
    edit->setFocus();
    edit->setSelection(0, int(edit->text().size()));
    return 0;
  }
  return 1;
}

void ObKELDialog::PushParams(const ObSpriteParams& p, const QString& text, int mergeField) {
  ObSpriteData* sprite = CurrentSprite();
  if (!sprite || sprite->Params() == p) return;
  doc_.Push(new ParamsOp(doc_, sprite, p, mergeField, nullptr, text));
}

bool ObKELDialog::CommitField(Field field) {
  if (committing_) return true;
  QLineEdit* edit = FieldEdit(field);
  ObSpriteData* sprite = CurrentSprite();
  // Without an object nothing is an edit: the field goes back to empty.
  if (!sprite) {
    edit->clear();
    return true;
  }
  if (edit->text() == shown_[field]) return true;
  committing_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{committing_};

  const FieldRule& rule = kFieldRules[field];
  const QString text = QString::fromUtf8(rule.step);
  auto refuse = [&] {
    ShowError(QString::fromUtf8(rule.message));
    // The text stays for the user to correct, selected. Refused while the focus was leaving,
    // the field takes it back once the move is over.
    auto select = [edit] {
      edit->setFocus();
      edit->setSelection(0, int(edit->text().size()));
    };
    select();
    QMetaObject::invokeMethod(edit, select, Qt::QueuedConnection);
    return false;
  };

  if (field == kFrames) {
    // Only a typed number changes the count; an emptied field or a word shows the count again.
    if (!HoldsNumber(edit->text())) {
      edit->setText(shown_[field]);
      return true;
    }
    const int32_t count = FieldNumber(edit->text());
    // 0 empties the object; more than the grid's 128 frames could be neither shown nor saved.
    if (count < 0 || count > kMaxFrames) return refuse();
    if (count != sprite->FrameCount()) {
      const DocumentBatch batch(doc_);
      auto* step = new EditStep(doc_, text, sprite);
      ResizeFrames(step, count);
      doc_.Push(step);
    }
    WriteField(kFrames, sprite->FrameCount());
    return true;
  }

  const int32_t value = FieldNumber(edit->text());
  if (value < rule.min || value > rule.max) return refuse();
  ObSpriteParams p = sprite->Params();
  switch (field) {
    case kDepth:
      p.Depth = int16_t(value);
      break;
    case kPosX:
      p.PositionX = value;
      break;
    case kPosY:
      p.PositionY = value;
      break;
    case kSpeedX:
      p.SpeedX = value;
      break;
    case kSpeedY:
      p.SpeedY = value;
      break;
    case kSizeX:
      p.ImageSizeX = int16_t(value);
      break;
    case kSizeY:
      p.ImageSizeY = int16_t(value);
      break;
    default:
      break;
  }
  PushParams(p, text, field + 1);
  // The field shows the number stored ("12abc" becomes 12), also when nothing changed.
  WriteField(field, value);
  return true;
}

bool ObKELDialog::CommitFields() {
  for (int f = 0; f < kFieldCount; ++f) {
    QLineEdit* edit = FieldEdit(Field(f));
    if (edit->text() != shown_[size_t(f)] && !CommitField(Field(f))) return false;
  }
  return true;
}

void ObKELDialog::DiscardTyping() {
  for (int f = 0; f < kFieldCount; ++f) FieldEdit(Field(f))->setText(shown_[size_t(f)]);
}

bool ObKELDialog::CommitLocation(int col, int row, const QString& text) {
  ObSpriteData* sprite = CurrentSprite();
  auto restore = [this] { SetPointToSpread(); };
  if (!sprite) {
    Spread->SSClearDataRange(col, row, col, row);
    return false;
  }
  if (row == kRowSound) {
    // The sound row names the sound; a name typed there is no sound.
    ShowSoundName();
    return false;
  }
  if (row != kRowX && row != kRowY) return false;
  if (sprite->Params().Behave != ObSpriteData::kFixedPosition) {
    restore();
    ShowError(QString::fromUtf8(kNotFixed));
    return false;
  }
  if (col < 1 || col > sprite->FrameCount()) {
    restore();
    ShowError(QString::fromUtf8(kBeyondFrames));
    return false;
  }
  // A blank text changes nothing; any other is read by the atol rule.
  if (text.trimmed().isEmpty()) {
    restore();
    return false;
  }
  std::vector<TPoint> locations = sprite->Locations();
  // Every frame of a fixed-position object has a location; the missing ones are (0, 0).
  if (locations.size() < size_t(sprite->FrameCount()))
    locations.resize(size_t(sprite->FrameCount()));
  TPoint& p = locations[size_t(col - 1)];
  (row == kRowX ? p.X : p.Y) = FieldNumber(text);
  if (locations == sprite->Locations()) {
    restore();
    return true;
  }
  doc_.Push(
      new LocationsOp(doc_, sprite, std::move(locations), nullptr, QStringLiteral("位置の変更")));
  SetPointToSpread();
  SetActiveCell(col, row);
  return true;
}

int ObKELDialog::SaveSpriteData() {
  ObSpriteData* sprite = CurrentSprite();
  if (!sprite) return 0;
  if (!CommitFields()) return 0;
  if (sprite->FrameCount() == 0) {
    ShowError(QStringLiteral("イメージがありません.設定して下さい"));
    return 0;
  }
  return CheckEdit();
}

bool ObKELDialog::Save() {
  // An empty document has no object to store, and saving it is how deleting the last object
  // reaches the file: it is written as a list of none.
  if (!CurrentSprite()) return true;
  if (SaveSpriteData()) return true;
  ShowError(QStringLiteral("オブジェクトの設定の保存に失敗しました"));
  return false;
}

void ObKELDialog::BehaveCombo() {
  ObSpriteData* sprite = CurrentSprite();
  const int index = BehaveTypeCombo->currentIndex();
  if (!sprite || index < 0) return;
  ObSpriteParams p = sprite->Params();
  if (p.Behave == index) return;
  p.Behave = index;
  const DocumentBatch batch(doc_);
  auto* step = new EditStep(doc_, QStringLiteral("動作タイプの変更"), sprite);
  step->Do(new ParamsOp(doc_, sprite, p, 0, step));
  FillLocations(step);  // what the rows show is what the file then holds
  doc_.Push(step);
}

void ObKELDialog::RandomCheck() {
  CheckBoxEdit(RandomCheckBox, &ObSpriteParams::RandomStart, QStringLiteral("ランダムの変更"));
}

void ObKELDialog::AutoRepeatCheck() {
  CheckBoxEdit(AutoRepeatCheckBox, &ObSpriteParams::AutoRepeat,
               QStringLiteral("オートリピートの変更"));
}

void ObKELDialog::CheckBoxEdit(QCheckBox* box, int32_t ObSpriteParams::*flag, const QString& text) {
  ObSpriteData* sprite = CurrentSprite();
  // Without an object nothing is an edit: the box shows what a new object has.
  if (!sprite) {
    box->setChecked(true);
    return;
  }
  ObSpriteParams p = sprite->Params();
  p.*flag = box->isChecked() ? 1 : 0;
  PushParams(p, text, 0);
}

void ObKELDialog::RedrawDialogParam() {
  const int index = ObjectCombo->currentIndex();
  if (!CurrentSprite() || index < 0 || index == doc_.CurrentIndex()) return;
  // The present object stays while it cannot be left: its entry comes back in the drop-down.
  if (!SaveSpriteData()) {
    ShowObjectNames();
    return;
  }
  doc_.SetCurrent(index);
}

bool ObKELDialog::ShowObjectAt(int index, GridCell cell) {
  if (index < 0 || index >= doc_.Count()) return false;
  if (index != doc_.CurrentIndex() && !SaveSpriteData()) return false;
  doc_.Reveal(doc_.Objects()[size_t(index)].get(), cell);
  return true;
}

}  // namespace kel
