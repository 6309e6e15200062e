// The record grid's view of the detalization table: read-only, in the
// active index order, fetching only the pages of rows the view paints, each
// page under one short read hold of the table. Reading a row does not move
// the table's current record.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <string>
#include <vector>

#include "ui/ListModels.h"

namespace zvonar {

class Table;

class TableGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TableGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  // Follows `table` (the data source enabled), or nothing when null (the
  // data source disabled, so the grid ignores the table while it changes).
  // Detached, the grid keeps its columns and shows no rows. The columns are
  // replaced only when the field count changes, so a view keeps its column
  // widths across a detach and an attach.
  void Attach(Table* table);
  void Detach() { Attach(nullptr); }
  bool Attached() const { return table_ != nullptr; }
  // The table changed under the grid: fetch every row again.
  void Reset();

  void SetCaptions(const QStringList& captions);
  void SetRightAligned(std::vector<bool> rightAligned);
  void SetRowMarks(std::function<bool(int row)> marked) { marks_.Set(std::move(marked)); }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  const std::vector<std::string>& RowTexts(int row) const;
  void RetryLater() const;

  Table* table_ = nullptr;
  int rows_ = 0;
  int columns_ = 0;
  QStringList captions_;
  std::vector<bool> rightAligned_;
  RowMarks marks_;
  mutable int cachedFirst_ = -1;  // first row of the page read last
  mutable std::vector<std::vector<std::string>> cachedPage_;
  mutable bool retrying_ = false;
};

}  // namespace zvonar
