#include "grid/spread_model.h"

#include <QColor>
#include <algorithm>

namespace kel {

QColor ColorOf(COLORREF c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

SpreadModel::SpreadModel(int cols, int rows, QObject* parent)
    : QAbstractTableModel(parent),
      cols_(cols),
      rows_(rows),
      cells_(size_t(cols + 1) * size_t(rows + 1)),
      pictures_(size_t(rows + 1)) {}

void SpreadModel::Resize(int cols, int rows) {
  // Rows and columns come and go with their own signals, even while repainting is off: the views
  // must always agree with the model on its size. Sections that stay keep their sizes. Each step
  // leaves the cells and the counts matching, since views read the model between the signals.
  if (rows < rows_) {
    beginRemoveRows({}, rows, rows_ - 1);
    rows_ = rows;
    cells_.resize(size_t(cols_ + 1) * size_t(rows_ + 1));
    pictures_.resize(size_t(rows_ + 1));
    endRemoveRows();
  }
  if (cols != cols_) {
    std::vector<SpreadCell> next(size_t(cols + 1) * size_t(rows_ + 1));
    for (int r = 0; r <= rows_; ++r) {
      pictures_[size_t(r)] = 0;
      for (int c = 0; c <= std::min(cols, cols_); ++c) {
        pictures_[size_t(r)] += cells_[Offset(c, r)].picture;
        next[size_t(r) * size_t(cols + 1) + size_t(c)] = std::move(cells_[Offset(c, r)]);
      }
    }
    if (cols < cols_) {
      beginRemoveColumns({}, cols, cols_ - 1);
    } else {
      beginInsertColumns({}, cols_, cols - 1);
    }
    const bool removing = cols < cols_;
    cells_ = std::move(next);
    cols_ = cols;
    if (removing) {
      endRemoveColumns();
    } else {
      endInsertColumns();
    }
  }
  if (rows > rows_) {
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    cells_.resize(size_t(cols_ + 1) * size_t(rows_ + 1));
    pictures_.resize(size_t(rows_ + 1));
    endInsertRows();
  }
}

void SpreadModel::Changed(int col, int row, int col2, int row2) {
  if (suspended_) return;
  col2 = std::min(col2, cols_);
  row2 = std::min(row2, rows_);
  const int c1 = std::max(col, 1), r1 = std::max(row, 1);
  if (row <= 0 && c1 <= col2) emit headerDataChanged(Qt::Horizontal, c1 - 1, col2 - 1);
  if (col <= 0 && r1 <= row2) emit headerDataChanged(Qt::Vertical, r1 - 1, row2 - 1);
  if (c1 <= col2 && r1 <= row2) emit dataChanged(index(r1 - 1, c1 - 1), index(row2 - 1, col2 - 1));
}

void SpreadModel::SetSuspended(bool suspended) {
  if (suspended_ == suspended) return;
  suspended_ = suspended;
  if (!suspended_) ChangedAll();
}

int SpreadModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int SpreadModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : cols_;
}

QVariant SpreadModel::CellData(const SpreadCell& cell, int role) const {
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return cell.picture ? QVariant() : QVariant(cell.text);
    case Qt::BackgroundRole:
      return cell.background == kDefaultColor ? QVariant() : QVariant(ColorOf(cell.background));
    case Qt::ForegroundRole:
      return cell.foreground == kDefaultColor ? QVariant() : QVariant(ColorOf(cell.foreground));
    case kPictureRole:
      return cell.picture;
    default:
      return {};
  }
}

QVariant SpreadModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !Contains(index.column() + 1, index.row() + 1)) return {};
  return CellData(Cell(index.column() + 1, index.row() + 1), role);
}

bool SpreadModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid()) return false;
  const int col = index.column() + 1, row = index.row() + 1;
  if (!Contains(col, row) || Cell(col, row).picture) return false;
  const QString text = value.toString();
  if (Cell(col, row).text == text) return true;
  Edit(col, row).text = text;
  Changed(col, row, col, row);
  emit CellEdited(col, row);
  return true;
}

Qt::ItemFlags SpreadModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || !Contains(index.column() + 1, index.row() + 1)) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (!Cell(index.column() + 1, index.row() + 1).picture) f |= Qt::ItemIsEditable;
  return f;
}

QVariant SpreadModel::headerData(int section, Qt::Orientation orientation, int role) const {
  const int col = orientation == Qt::Horizontal ? section + 1 : 0;
  const int row = orientation == Qt::Horizontal ? 0 : section + 1;
  if (section < 0 || !Contains(col, row)) return {};
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
  return CellData(Cell(col, row), role);
}

}  // namespace kel
