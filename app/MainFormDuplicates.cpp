// The Find Duplicates command of the File menu: the groups of equal records
// among those the filter's ticked criteria find, shown in their dialog;
// deleting all but the first of each group is one change of the history.
#include <QAction>
#include <QMenu>
#include <QTableView>

#include "analysis/Duplicates.h"
#include "app/DuplicatesForm.h"
#include "app/MainForm.h"
#include "store/DetalTable.h"
#include "ui/Busy.h"
#include "ui/ListModels.h"
#include "ui/TableGridModel.h"

using namespace zvonar;

void TMainForm::CreateDuplicatesCommand() {
  mnFindDuplicates = new QAction(AddedTextOf(AddedText::FindDuplicatesMenu), this);
  mnFindDuplicates->setObjectName("mnFindDuplicates");
  // Right after Undo, which takes a deletion back.
  const QList<QAction*> items = mnFile->actions();
  const qsizetype undoAt = items.indexOf(mnUndo);
  mnFile->insertAction(undoAt >= 0 && undoAt + 1 < items.size() ? items[undoAt + 1] : mnExit, mnFindDuplicates);
  connect(mnFindDuplicates, &QAction::triggered, this, Guarded(this, &TMainForm::mnFindDuplicatesClick, prompts_));
}

void TMainForm::mnFindDuplicatesClick() {
  FilterCriteria criteria;
  if (!ReadFilterRun(&criteria)) return;
  DuplicateGroups groups;
  ScanWithSplash([&](const ProgressFn& progress) { FindDuplicates(table_.get(), criteria, progress, &groups); });
  if (groups.outcome == FilterOutcome::Failed) return prompts_->ShowError(QString::fromStdString(groups.error));
  if (groups.GroupCount() == 0) return prompts_->ShowInfo(AddedTextOf(AddedText::NoDuplicates));
  QStringList captions;
  for (int i = 0; i < kResultColumns; ++i) captions << lvFilterModel->Caption(i);
  TDuplicatesForm form(
      groups, captions, [this](AddedText t) { return AddedTextOf(t); }, this);
  if (form.exec() != QDialog::Accepted || !form.DeleteChosen()) return;
  std::uint32_t deleted = 0;
  Status s;
  {
    BusyCursorScope busy;
    gridModel_->Detach();
    s = DeleteDuplicates(HistoryPlaceHere(), table_.get(), groups, &deleted);
    gridModel_->Attach(table_.get());
    gridModel_->Reset();
    UpdateCounters();
  }
  UpdateUndoEnabled();
  if (!s.ok()) return ShowTableError("", s);
  prompts_->ShowInfo(AddedTextOf(AddedText::DuplicatesDeleted).arg(deleted));
}
