// The Abonents menu's commands on the abonents book: the book dialog, the
// numbers without a name added to the book from the table or from the
// result list (after which the number filter's list is the book's numbers),
// and the book's names filled into the records or into the result list.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTreeView>

#include "app/MainForm.h"
#include "base/TextFile.h"
#include "books/AbonentsBook.h"
#include "books/AbonentsBookForm.h"
#include "books/NoNameNumbers.h"
#include "import/NameValueList.h"
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

NoNameRules RulesOf(const MainSettings& settings, const QString& noNameText) {
  return {6, settings.modePhoneCode, settings.phoneCodeTown, FromQtLossy(noNameText)};
}

}  // namespace

void TMainForm::mnAbonentsBookClick() {
  ShowAbonentsBook(programDir_, settings_, prompts_, this);
}

void TMainForm::mnAddNoNameNumbersToAbonBookClick() {
  if (!table_->IsOpen() || table_->RecordCount() == 0) return;
  const NameValueList book = LoadAbonentsBookLines();
  NoNameCollector collector(&book, RulesOf(settings_, NoNameText));
  Status s;
  {
    BusyCursorScope busy;
    SplashScope splash(settings_.showSplash);
    if (CurrentSplash() != nullptr) splash.SetStage(1, 1);
    gridModel_->Detach();
    s = CollectNoNamesFromTable(table_.get(), &collector, splash.Progress());
    gridModel_->Attach(table_.get());
  }
  if (!s.ok()) {
    prompts_->ShowError(QString::fromStdString(s.message()));
    return;
  }
  AddNoNameLines(collector.Lines());
}

void TMainForm::mnAddNoNameNumbersToAbonBookFromFilterClick() {
  if (lvFilterModel->Rows().Empty()) return;
  const NameValueList book = LoadAbonentsBookLines();
  NoNameCollector collector(&book, RulesOf(settings_, NoNameText));
  CollectNoNamesFromRows(lvFilterModel->Rows(), &collector);
  AddNoNameLines(collector.Lines());
}

void TMainForm::mnFillNumberAbonentsClick() {
  if (!FileExists(AbonentsBookPath(programDir_)) || !table_->IsOpen()) return;
  const NameValueList book = LoadAbonentsBookLines();
  // The run goes in date order when the filter would use it; afterwards the
  // table is back in file order.
  const bool dateOrder = settings_.forceDateIndex || chkbFilterDate->isChecked();
  if (dateOrder) (void)table_->SetActiveIndex(kDateTimeIndex);
  LeftRecords left;
  RewriteRecords(
      [&](const ProgressFn& progress, std::uint32_t* changed) {
        return FillNamesInTable(table_.get(), book, settings_.phoneCodeTown, settings_.modePhoneCode, progress, changed,
                                &left);
      },
      settings_.showSplash);
  if (dateOrder) (void)table_->SetActiveIndex("");
  gridModel_->Reset();
  ReportLeftRecords(left);
}

void TMainForm::mnFillNumberAbonentsFilterClick() {
  // Only the list changes; the table's records stay as they are.
  const NameValueList book = LoadAbonentsBookLines();
  ResultRows filled;
  BusyCursorScope busy;
  if (FillNamesInRows(lvFilterModel->Rows(), book, settings_.phoneCodeTown, settings_.modePhoneCode, &filled) > 0)
    lvFilterModel->SetRows(std::move(filled));
}

void TMainForm::AddNoNameLines(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  std::vector<std::string> keys;
  const Status s = zvonar::AddNoNameLines(AbonentsBookPath(programDir_), lines, &keys);
  if (!s.ok()) {
    prompts_->ShowError(QString::fromStdString(s.message()));
    return;
  }
  QStringList numbers;
  for (const std::string& key : keys) numbers << ToQt(key);
  SetComboItemsKeepText(cbFilterNumber, numbers);
}
