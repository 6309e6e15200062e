// A view paints a row column by column and a screen row by row, so the
// texts of a page of rows around the last row asked for are kept; a row is
// found by its position in the active order, which the table resolves in
// logarithmic time. While another program writes the table, a page is not
// waited for long: its rows show empty and are asked again a moment later.
#include "ui/TableGridModel.h"

#include <QTimer>

#include "store/Table.h"
#include "ui/QtText.h"

namespace zvonar {
namespace {

constexpr int kPageRows = 64;
constexpr std::chrono::milliseconds kPageWait{200};
constexpr int kRetryMs = 500;

const std::vector<std::string> kNoTexts;

}  // namespace

void TableGridModel::Attach(Table* table) {
  const bool open = table != nullptr && table->IsOpen();
  const int rows = open ? static_cast<int>(table->RecordCount()) : 0;
  const int columns = table == nullptr ? columns_ : (open ? table->FieldCount() : 0);
  cachedFirst_ = -1;
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
  if (role != Qt::DisplayRole) return marks_.Data(index.row(), role);
  const auto& texts = RowTexts(index.row());
  const auto c = static_cast<std::size_t>(index.column());
  return c < texts.size() ? ToQt(texts[c]) : QString();
}

const std::vector<std::string>& TableGridModel::RowTexts(int row) const {
  if (cachedFirst_ >= 0 && row >= cachedFirst_ && row - cachedFirst_ < static_cast<int>(cachedPage_.size()))
    return cachedPage_[static_cast<std::size_t>(row - cachedFirst_)];
  cachedFirst_ = -1;
  cachedPage_.clear();
  const TableReadHold read(*table_, kPageWait);
  if (!read.status().ok()) {
    RetryLater();
    return kNoTexts;
  }
  const int first = row / kPageRows * kPageRows;
  const std::uint32_t keep = table_->Position();
  const bool hadRecord = table_->RecordCount() > 0 && !table_->Eof();
  for (int r = first; r < first + kPageRows && r < rows_; ++r) {
    std::vector<std::string>& texts = cachedPage_.emplace_back();
    if (!table_->GoToPosition(static_cast<std::uint32_t>(r)).ok()) continue;
    for (int f = 0; f < table_->FieldCount(); ++f) texts.push_back(table_->FieldText(f));
  }
  if (hadRecord && keep < table_->RecordCount()) (void)table_->GoToPosition(keep);
  cachedFirst_ = first;
  const auto at = static_cast<std::size_t>(row - first);
  return at < cachedPage_.size() ? cachedPage_[at] : kNoTexts;
}

void TableGridModel::RetryLater() const {
  if (retrying_) return;
  retrying_ = true;
  auto* self = const_cast<TableGridModel*>(this);
  QTimer::singleShot(kRetryMs, self, [self] {
    self->retrying_ = false;
    self->cachedFirst_ = -1;
    if (self->rows_ > 0 && self->columns_ > 0)
      emit self->dataChanged(self->index(0, 0), self->index(self->rows_ - 1, self->columns_ - 1));
  });
}

}  // namespace zvonar
