// The groups are shown through a model over DuplicateGroups itself, so a
// long list costs no copy: the view asks only for the rows it shows.
#include "app/DuplicatesForm.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/ListModels.h"

using namespace zvonar;

namespace {

// Group number, record number, then the twelve fields of each row.
class DuplicateRowsModel : public CellTableModel {
 public:
  DuplicateRowsModel(const DuplicateGroups& groups, QStringList captions, QObject* parent)
      : CellTableModel(std::move(captions), parent), groups_(groups) {
    for (std::size_t g = 0; g < groups.GroupCount(); ++g)
      groupOf_.insert(groupOf_.end(), groups.GroupEnd(g) - groups.starts[g], static_cast<std::uint32_t>(g + 1));
    SetAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    SetAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  }
  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(groups_.recnos.size());
  }

 protected:
  std::string_view CellText(int row, int column) const override {
    const auto r = static_cast<std::size_t>(row);
    if (column >= 2) return groups_.rows.Cell(r, column - 2);
    number_ = std::to_string(column == 0 ? groupOf_[r] : groups_.recnos[r]);
    return number_;  // read by the caller before the next cell
  }

 private:
  const DuplicateGroups& groups_;
  std::vector<std::uint32_t> groupOf_;
  mutable std::string number_;
};

}  // namespace

TDuplicatesForm::TDuplicatesForm(const DuplicateGroups& groups, const QStringList& fieldCaptions,
                                 const std::function<QString(AddedText)>& text, QWidget* parent)
    : QDialog(parent) {
  setObjectName("DuplicatesForm");
  setWindowTitle(text(AddedText::DuplicatesCaption));
  lDuplicatesSummary = new QLabel(
      text(AddedText::DuplicatesSummary).arg(groups.GroupCount()).arg(static_cast<qulonglong>(groups.Extra())), this);
  lDuplicatesSummary->setObjectName("lDuplicatesSummary");
  lDuplicatesSummary->setWordWrap(true);

  QStringList captions = {text(AddedText::DuplicatesGroup), text(AddedText::DuplicatesRecord)};
  captions += fieldCaptions;
  lvDuplicates = new QTableView(this);
  lvDuplicates->setObjectName("lvDuplicates");
  lvDuplicates->setModel(new DuplicateRowsModel(groups, captions, lvDuplicates));
  lvDuplicates->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvDuplicates->verticalHeader()->hide();
  lvDuplicates->verticalHeader()->setDefaultSectionSize(lvDuplicates->fontMetrics().height() + 6);
  lvDuplicates->resizeColumnsToContents();
  // A long name or roaming text does not push the numbers out of sight.
  for (int column = 0; column < lvDuplicates->model()->columnCount(); ++column)
    lvDuplicates->setColumnWidth(column, std::min(lvDuplicates->columnWidth(column), 220));

  auto* buttons = new QDialogButtonBox(this);
  btnDeleteDuplicates = buttons->addButton(text(AddedText::DuplicatesDelete), QDialogButtonBox::AcceptRole);
  btnDeleteDuplicates->setObjectName("btnDeleteDuplicates");
  btnDeleteDuplicates->setEnabled(groups.Extra() > 0);
  btnClose = buttons->addButton(QDialogButtonBox::Close);
  btnClose->setObjectName("btnClose");
  btnClose->setDefault(true);
  connect(btnDeleteDuplicates, &QPushButton::clicked, this, [this] {
    deleteChosen_ = true;
    accept();
  });
  connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lDuplicatesSummary);
  layout->addWidget(lvDuplicates, 1);
  layout->addWidget(buttons);
  resize(std::min(1100, lvDuplicates->horizontalHeader()->length() + 40), 480);
}
