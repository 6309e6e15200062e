// The filter commands of the main window: "Filtering" reads the control
// panel into criteria and runs the filter over the table; the statistic and
// the activity counts are computed from the result rows or the table.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

#include "analysis/ActivityCounts.h"
#include "analysis/FilterEngine.h"
#include "analysis/FilterStatistic.h"
#include "app/MainForm.h"
#include "base/TextFile.h"
#include "import/NameValueList.h"
#include "import/TextUtils.h"
#include "store/DetalTable.h"
#include "store/Table.h"
#include "ui/Busy.h"
#include "ui/ListModels.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"
#include "ui/SplashForm.h"
#include "ui/TableGridModel.h"

using namespace zvonar;

namespace {

CalendarDate ToCalendar(const QDate& d) { return {d.year(), d.month(), d.day()}; }

}  // namespace

bool TMainForm::ReadFilterCriteria(FilterCriteria* c) {
  c->owner = chkbFilterOwner->isChecked();
  c->date = chkbFilterDate->isChecked();
  c->operCode = chkbFilterOperCode->isChecked();
  c->number = chkbFilterNumber->isChecked();
  c->code = chkbFilterCode->isChecked();
  c->type = chkbFilterType->isChecked();
  c->calls = chkbFilterCalls->isChecked();
  c->sms = chkbFilterSMS->isChecked();
  c->mms = chkbFilterMMS->isChecked();
  c->null = chkbFilterNull->isChecked();
  c->exclude = chkbFilterExclude->isChecked();
  c->dateBegin = ToCalendar(dtpDateBegin->date());
  c->dateEnd = ToCalendar(dtpDateEnd->date());
  c->callsId = settings_.callsId;
  c->smsId = settings_.smsId;
  c->mmsId = settings_.mmsId;
  c->phoneCodeTown = settings_.phoneCodeTown;
  c->simpleDbf = settings_.simpleDbf;
  const std::pair<QComboBox*, std::string*> boxes[] = {{edFilterOwner, &c->ownerText},
                                                       {cbFilterOperCode, &c->operCodeText},
                                                       {cbFilterNumber, &c->numberText},
                                                       {cbFilterCode, &c->codeText},
                                                       {cbFilterType, &c->typeText}};
  for (const auto& [box, text] : boxes) {
    QString error;
    if (!FromQt(box->currentText(), text, &error)) {
      prompts_->ShowError(error);
      return false;
    }
  }
  return true;
}

bool TMainForm::ReadFilterRun(FilterCriteria* criteria) {
  if (table_->FieldCount() < kDetalFieldCount) prompts_->ShowInfo(BaseNotCreatedText);
  if (!ReadFilterCriteria(criteria)) return false;
  // A refused run stops before the splash, the cursor or the grid change.
  const FilterOutcome check = CheckFilterRun(*table_, *criteria);
  if (check == FilterOutcome::NoIndexes) prompts_->ShowError(kAnyIndexesNotPresentText);
  return check == FilterOutcome::Done;
}

void TMainForm::ScanWithSplash(const std::function<void(const ProgressFn&)>& scan) {
  SplashScope splash(settings_.showSplash);
  splash.SetStage(1, 1);
  BusyCursorScope busy;
  gridModel_->Detach();
  scan(splash.Progress());
  gridModel_->Attach(table_.get());
}

void TMainForm::btnCheckedDataFilterClick() {
  FilterCriteria criteria;
  if (!ReadFilterRun(&criteria)) return;
  FilterResult result;
  ScanWithSplash([&](const ProgressFn& progress) { RunFilter(table_.get(), criteria, progress, &result); });
  // The rows found stay, also those of a scan that failed; only a finished
  // scan gets its statistic, its count and the grid laid out after the list.
  const std::size_t count = result.rows.RowCount();
  lvFilterModel->SetRows(std::move(result.rows));
  ForgetFilterSort();
  stFilterRecCount->setText("0");
  ResetCountsRow();
  if (result.outcome == FilterOutcome::Done) {
    if (ComputeStatistic()) stFilterRecCount->setText(QString::number(count));
    SetupGridColumns();
  }
  ShowRecNo();
}

Status TMainForm::StatisticOfList(std::vector<StatRow>* stat) const {
  *stat = zvonar::BuildStatRows(ComboItems(cbFilterCode), FromQtLossy(AllText));
  return ComputeFilterStatistic(lvFilterModel->Rows(), stat, FromQtLossy(AddedTextOf(AddedText::StatNoType)));
}

bool TMainForm::ComputeStatistic(QString* error) {
  std::vector<StatRow> stat;
  const Status s = StatisticOfList(&stat);
  ShowStatRows(std::move(stat));
  if (!s.ok() && error != nullptr) *error = QString::fromStdString(s.message());
  return s.ok();
}

void TMainForm::mnCountFilterStatisticClick() {
  if (lvFilterModel->Rows().Empty()) return;
  QString error;
  if (!ComputeStatistic(&error)) prompts_->ShowError(error);
}

NameValueList TMainForm::LoadAbonentsBookLines() const {
  std::vector<std::string> lines;
  (void)ReadTextLinesIfExists(JoinPath(programDir_, "abonents.dat"), &lines, kBookFileLimit);
  return NameValueList::FromLines(std::move(lines));
}

void TMainForm::ShowCounts(const CountsRow& row) {
  std::vector<std::string> cells(row.begin(), row.end());
  lvCountsModel->SetRows({std::move(cells)});
}

CountsRow TMainForm::CurrentCountsRow() const {
  CountsRow row;
  if (!lvCountsModel->Rows().empty()) {
    const auto& cells = lvCountsModel->Rows().front();
    for (std::size_t c = 0; c < row.size() && c < cells.size(); ++c) row[c] = cells[c];
  }
  return row;
}

void TMainForm::mnToCountAndFindMaxActivityClick() {
  if (!table_->IsOpen() || table_->RecordCount() == 0) return;
  const NameValueList book = LoadAbonentsBookLines();
  CountsRow row = CurrentCountsRow();
  Status s;
  {
    BusyCursorScope busy;
    gridModel_->Detach();
    s = CountActivityInTable(table_.get(), &book, &row);
    gridModel_->Attach(table_.get());
  }
  ShowRecNo();
  if (!s.ok()) {
    prompts_->ShowError(QString::fromStdString(s.message()));
    return;
  }
  ShowCounts(row);
}

void TMainForm::mnToCountAndFindMaxActivityFilterClick() {
  if (lvFilterModel->Rows().Empty()) return;
  const NameValueList book = LoadAbonentsBookLines();
  CountsRow row = CurrentCountsRow();
  const Status s = CountActivityInRows(lvFilterModel->Rows(), &book, &row);
  if (!s.ok()) {
    prompts_->ShowError(QString::fromStdString(s.message()));
    return;
  }
  ShowCounts(row);
}
