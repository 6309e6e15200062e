// A view paints a row column by column, so the texts of the last row read
// are kept; a row is found by its position in the active order, which the
// table resolves in logarithmic time.
#include "ui/TableGridModel.h"

#include "store/Table.h"
#include "ui/QtText.h"

namespace zvonar {

void TableGridModel::Attach(Table* table) {
  const bool open = table != nullptr && table->IsOpen();
  const int rows = open ? static_cast<int>(table->RecordCount()) : 0;
  const int columns = table == nullptr ? columns_ : (open ? table->FieldCount() : 0);
  cachedRow_ = -1;
  if (columns != columns_) {
    beginResetModel();
    table_ = table;
    rows_ = rows;
    columns_ = columns;
    endResetModel();
    return;
  }
  // Same columns: only the rows go and come, so the header stays as it is.
  if (rows_ > 0) {
    beginRemoveRows(QModelIndex(), 0, rows_ - 1);
    table_ = nullptr;
    rows_ = 0;
    endRemoveRows();
  }
  table_ = table;
  if (rows > 0) {
    beginInsertRows(QModelIndex(), 0, rows - 1);
    rows_ = rows;
    endInsertRows();
  }
}

void TableGridModel::Reset() { Attach(table_); }

void TableGridModel::SetCaptions(const QStringList& captions) {
  captions_ = captions;
  emit headerDataChanged(Qt::Horizontal, 0, std::max(0, columnCount() - 1));
}

void TableGridModel::SetRightAligned(std::vector<bool> rightAligned) { rightAligned_ = std::move(rightAligned); }

int TableGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int TableGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant TableGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QVariant();
  if (orientation == Qt::Vertical) return section + 1;
  return section < captions_.size() ? captions_[section] : QVariant();
}

QVariant TableGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || table_ == nullptr || !table_->IsOpen()) return QVariant();
  if (role == Qt::TextAlignmentRole) {
    const auto c = static_cast<std::size_t>(index.column());
    const bool right = c < rightAligned_.size() && rightAligned_[c];
    return QVariant::fromValue(Qt::Alignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
  }
  if (role != Qt::DisplayRole) return QVariant();
  const auto& texts = RowTexts(index.row());
  const auto c = static_cast<std::size_t>(index.column());
  return c < texts.size() ? ToQt(texts[c]) : QString();
}

const std::vector<std::string>& TableGridModel::RowTexts(int row) const {
  if (row == cachedRow_) return cachedTexts_;
  cachedTexts_.clear();
  cachedRow_ = row;
  const std::uint32_t keep = table_->Position();
  const bool hadRecord = table_->RecordCount() > 0 && !table_->Eof();
  if (table_->GoToPosition(static_cast<std::uint32_t>(row)).ok()) {
    for (int f = 0; f < table_->FieldCount(); ++f) cachedTexts_.push_back(table_->FieldText(f));
  }
  if (hadRecord) (void)table_->GoToPosition(keep);
  return cachedTexts_;
}

}  // namespace zvonar
