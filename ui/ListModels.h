// Models behind the report lists of the windows. Texts are code page 1251
// inside and converted only when a view asks for a cell.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "analysis/ResultRows.h"

namespace zvonar {

// The role that tells whether the find bar marks a row (a bool); a marked
// row is also painted on a background of its own.
inline constexpr int kFoundRowRole = Qt::UserRole + 1;

// The rows a model shows marked: none until a test is set.
class RowMarks {
 public:
  void Set(std::function<bool(int row)> marked) { marked_ = std::move(marked); }
  // What `row` gives for `role` when it is one of the marking roles, else
  // an invalid value.
  QVariant Data(int row, int role) const;

 private:
  std::function<bool(int)> marked_;
};

// A report list: column captions and cells; the view asks only for the rows
// it shows.
class CellTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit CellTableModel(QStringList captions, QObject* parent = nullptr);

  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  void SetCaption(int column, const QString& caption);
  QString Caption(int column) const { return captions_.value(column); }
  // Column alignment for display; left by default.
  void SetAlignment(int column, Qt::Alignment alignment);
  void SetRowMarks(std::function<bool(int row)> marked) { marks_.Set(std::move(marked)); }

 protected:
  virtual std::string_view CellText(int row, int column) const = 0;

 private:
  QStringList captions_;
  std::vector<Qt::Alignment> alignments_;
  RowMarks marks_;
};

// Rows of texts held by the model: lvStat and lvCounts.
class TextRowsModel : public CellTableModel {
  Q_OBJECT

 public:
  using CellTableModel::CellTableModel;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;

  // Replaces all rows at once (one reset for the view).
  void SetRows(std::vector<std::vector<std::string>> rows);
  const std::vector<std::vector<std::string>>& Rows() const { return rows_; }
  void SetCell(int row, int column, std::string text);

 protected:
  std::string_view CellText(int row, int column) const override;

 private:
  std::vector<std::vector<std::string>> rows_;
};

// The result list lvFilter.
class ResultRowsModel : public CellTableModel {
  Q_OBJECT

 public:
  using CellTableModel::CellTableModel;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;

  void SetRows(ResultRows rows);
  const ResultRows& Rows() const { return rows_; }

 protected:
  std::string_view CellText(int row, int column) const override;

 private:
  ResultRows rows_;
};

}  // namespace zvonar
