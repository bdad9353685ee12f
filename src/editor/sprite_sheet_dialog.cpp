#include "editor/sprite_sheet_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace kel {

namespace {

// The preview's largest size on the screen; a small picture is shown enlarged up to it.
constexpr int kPreviewWidth = 360;
constexpr int kPreviewHeight = 240;
constexpr int kMaxZoom = 8;

QSpinBox* SizeBox(int value, int maximum) {
  auto* box = new QSpinBox;
  box->setRange(1, maximum);
  box->setValue(std::clamp(value, 1, maximum));
  return box;
}

}  // namespace

SheetGrid SheetGridOf(QSize picture, const SheetSplit& split) {
  int w = split.cellWidth, h = split.cellHeight;
  if (!split.byCellSize) {
    if (split.columns < 1 || split.rows < 1) return {};
    w = picture.width() / split.columns;
    h = picture.height() / split.rows;
  }
  if (w < 1 || h < 1 || picture.width() < w || picture.height() < h) return {};
  return {QSize(w, h), picture.width() / w, picture.height() / h};
}

std::vector<QRect> SheetCells(QSize picture, const SheetSplit& split, size_t limit) {
  const SheetGrid grid = SheetGridOf(picture, split);
  const int w = grid.cell.width(), h = grid.cell.height();
  const size_t n = size_t(std::min<uint64_t>(uint64_t(grid.Count()), limit));
  std::vector<QRect> cells;
  cells.reserve(n);
  for (size_t k = 0; k < n; ++k)
    cells.emplace_back(int(k % size_t(grid.columns)) * w, int(k / size_t(grid.columns)) * h, w, h);
  return cells;
}

SpriteSheetDialog::SpriteSheetDialog(const QImage& picture, QWidget* parent)
    : QDialog(parent), picture_(picture) {
  setWindowTitle(QStringLiteral("スプライトシートの読み込み"));
  const int side = std::min(picture.width(), picture.height());
  BySize = new QRadioButton(QStringLiteral("セルの大きさで分割(&S)"));
  ByGrid = new QRadioButton(QStringLiteral("行数と列数で分割(&G)"));
  BySize->setChecked(true);
  CellWidth = SizeBox(side, std::max(1, picture.width()));
  CellHeight = SizeBox(side, std::max(1, picture.height()));
  Rows = SizeBox(1, std::max(1, picture.height()));
  Columns = SizeBox(1, std::max(1, picture.width()));

  auto* choices = new QGridLayout;
  choices->addWidget(BySize, 0, 0, 1, 4);
  choices->addWidget(new QLabel(QStringLiteral("幅:")), 1, 0);
  choices->addWidget(CellWidth, 1, 1);
  choices->addWidget(new QLabel(QStringLiteral("高さ:")), 1, 2);
  choices->addWidget(CellHeight, 1, 3);
  choices->addWidget(ByGrid, 2, 0, 1, 4);
  choices->addWidget(new QLabel(QStringLiteral("行数:")), 3, 0);
  choices->addWidget(Rows, 3, 1);
  choices->addWidget(new QLabel(QStringLiteral("列数:")), 3, 2);
  choices->addWidget(Columns, 3, 3);

  Preview = new QLabel;
  Preview->setAlignment(Qt::AlignCenter);
  Preview->setMinimumSize(kPreviewWidth, kPreviewHeight);
  Count = new QLabel;
  Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(choices);
  layout->addWidget(Preview);
  layout->addWidget(Count);
  layout->addWidget(Buttons);

  for (QSpinBox* box : {CellWidth, CellHeight, Rows, Columns})
    connect(box, &QSpinBox::valueChanged, this, [this] { UpdatePreview(); });
  connect(BySize, &QRadioButton::toggled, this, [this] { UpdatePreview(); });
  UpdatePreview();
}

SheetSplit SpriteSheetDialog::Split() const {
  SheetSplit split;
  split.byCellSize = BySize->isChecked();
  split.cellWidth = CellWidth->value();
  split.cellHeight = CellHeight->value();
  split.rows = Rows->value();
  split.columns = Columns->value();
  return split;
}

void SpriteSheetDialog::UpdatePreview() {
  const bool bySize = BySize->isChecked();
  CellWidth->setEnabled(bySize);
  CellHeight->setEnabled(bySize);
  Rows->setEnabled(!bySize);
  Columns->setEnabled(!bySize);

  const SheetGrid grid = SheetGridOf(picture_.size(), Split());
  // Small sprites are enlarged by whole steps, so each pixel stays a square.
  const double fit = std::min(double(kPreviewWidth) / std::max(1, picture_.width()),
                              double(kPreviewHeight) / std::max(1, picture_.height()));
  const double scale = fit >= 1 ? std::min<double>(kMaxZoom, int(fit)) : fit;
  QPixmap shown(QSize(std::max(1, int(picture_.width() * scale)),
                      std::max(1, int(picture_.height() * scale))));
  shown.fill(Qt::darkGray);
  {
    QPainter painter(&shown);
    painter.drawImage(shown.rect(), picture_);
    painter.setPen(QPen(Qt::red, 1));
    // Each cell is framed on its own first and last pixels, so neighbours show a double line: a
    // line at each edge of every column and row of cells, across the whole cut. Lines less than
    // a pixel apart would cover the same pixels, so a cut finer than the preview draws at most a
    // line per pixel.
    const double cw = grid.cell.width() * scale, ch = grid.cell.height() * scale;
    const double right = grid.columns * cw - 1, bottom = grid.rows * ch - 1;
    const auto edges = [](int count, double size, const auto& draw) {
      double last = -1;
      for (int k = 0; k < count; ++k)
        for (const double at : {k * size, (k + 1) * size - 1})
          if (at - last >= 1) draw(last = at);
    };
    edges(grid.columns, cw, [&](double x) { painter.drawLine(QLineF(x, 0, x, bottom)); });
    edges(grid.rows, ch, [&](double y) { painter.drawLine(QLineF(0, y, right, y)); });
  }
  Preview->setPixmap(shown);
  Count->setText(grid.Count() == 0 ? QStringLiteral("切り出せるフレームがありません")
                                   : QStringLiteral("%1 フレーム（%2 × %3）")
                                         .arg(grid.Count())
                                         .arg(grid.cell.width())
                                         .arg(grid.cell.height()));
  Buttons->button(QDialogButtonBox::Ok)->setEnabled(grid.Count() > 0);
}

}  // namespace kel
