#include "ui/ListModels.h"

#include <QBrush>
#include <QColor>

#include "ui/QtText.h"

namespace zvonar {

QVariant RowMarks::Data(int row, int role) const {
  if ((role != kFoundRowRole && role != Qt::BackgroundRole) || !marked_) return QVariant();
  const bool marked = marked_(row);
  if (role == kFoundRowRole) return marked;
  return marked ? QVariant(QBrush(QColor(255, 232, 140))) : QVariant();
}

CellTableModel::CellTableModel(QStringList captions, QObject* parent)
    : QAbstractTableModel(parent),
      captions_(std::move(captions)),
      alignments_(static_cast<std::size_t>(captions_.size()), Qt::AlignLeft | Qt::AlignVCenter) {}

int CellTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(captions_.size());
}

QVariant CellTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return captions_.value(section);
  return QVariant();
}

QVariant CellTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  if (role == Qt::DisplayRole) return ToQt(CellText(index.row(), index.column()));
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(alignments_[static_cast<std::size_t>(index.column())]);
  return marks_.Data(index.row(), role);
}

void CellTableModel::SetCaption(int column, const QString& caption) {
  if (column < 0 || column >= captions_.size()) return;
  captions_[column] = caption;
  emit headerDataChanged(Qt::Horizontal, column, column);
}

void CellTableModel::SetAlignment(int column, Qt::Alignment alignment) {
  if (column < 0 || column >= captions_.size()) return;
  alignments_[static_cast<std::size_t>(column)] = alignment;
}

int TextRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

void TextRowsModel::SetRows(std::vector<std::vector<std::string>> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

void TextRowsModel::SetCell(int row, int column, std::string text) {
  auto& cells = rows_.at(static_cast<std::size_t>(row));
  if (cells.size() <= static_cast<std::size_t>(column)) cells.resize(static_cast<std::size_t>(column) + 1);
  cells[static_cast<std::size_t>(column)] = std::move(text);
  emit dataChanged(index(row, column), index(row, column));
}

std::string_view TextRowsModel::CellText(int row, int column) const {
  const auto& cells = rows_[static_cast<std::size_t>(row)];
  return static_cast<std::size_t>(column) < cells.size() ? std::string_view(cells[static_cast<std::size_t>(column)])
                                                          : std::string_view();
}

int ResultRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.RowCount());
}

void ResultRowsModel::SetRows(ResultRows rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

std::string_view ResultRowsModel::CellText(int row, int column) const {
  return rows_.Cell(static_cast<std::size_t>(row), column);
}

}  // namespace zvonar
