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
#include "ui/NativePath.h"
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
  if (!table_->IsOpen()) return prompts_->ShowInfo(AddedTextOf(AddedText::TableNotOpen));
  if (table_->RecordCount() == 0) return prompts_->ShowInfo(AddedTextOf(AddedText::TableEmpty));
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
  if (lvFilterModel->Rows().Empty()) return prompts_->ShowInfo(AddedTextOf(AddedText::ListEmpty));
  const NameValueList book = LoadAbonentsBookLines();
  NoNameCollector collector(&book, RulesOf(settings_, NoNameText));
  CollectNoNamesFromRows(lvFilterModel->Rows(), &collector);
  AddNoNameLines(collector.Lines());
}

bool TMainForm::HasAbonentsBook() {
  const std::string path = AbonentsBookPath(programDir_);
  if (FileExists(path)) return true;
  prompts_->ShowInfo(AddedTextOf(AddedText::NoAbonentsBook).arg(QtPathFromNative(path)));
  return false;
}

void TMainForm::mnFillNumberAbonentsClick() {
  if (!table_->IsOpen()) return prompts_->ShowInfo(AddedTextOf(AddedText::TableNotOpen));
  if (!HasAbonentsBook()) return;
  const NameValueList book = LoadAbonentsBookLines();
  // The run goes in date order when the filter would use it; afterwards the
  // table is back in file order.
  const bool dateOrder = settings_.forceDateIndex || chkbFilterDate->isChecked();
  if (dateOrder) (void)table_->SetActiveIndex(kDateTimeIndex);
  LeftRecords left;
  const std::optional<std::uint32_t> changed = RewriteRecords(
      [&](const ProgressFn& progress, std::uint32_t* count) {
        return FillNamesInTable(table_.get(), book, settings_.phoneCodeTown, settings_.modePhoneCode, progress, count,
                                &left, HistoryPlaceHere());
      },
      settings_.showSplash);
  if (dateOrder) (void)table_->SetActiveIndex("");
  gridModel_->Reset();
  if (changed) ReportRewrite(AddedTextOf(AddedText::NamesFilled).arg(*changed), left);
}

void TMainForm::mnFillNumberAbonentsFilterClick() {
  // Only the list changes; the table's records stay as they are.
  if (lvFilterModel->Rows().Empty()) return prompts_->ShowInfo(AddedTextOf(AddedText::ListEmpty));
  if (!HasAbonentsBook()) return;
  const NameValueList book = LoadAbonentsBookLines();
  ResultRows filled;
  std::size_t changed = 0;
  {
    BusyCursorScope busy;
    changed = FillNamesInRows(lvFilterModel->Rows(), book, settings_.phoneCodeTown, settings_.modePhoneCode, &filled);
    if (changed > 0) lvFilterModel->SetRows(std::move(filled));
  }
  prompts_->ShowInfo(AddedTextOf(AddedText::NamesFilledInList).arg(changed));
}

void TMainForm::AddNoNameLines(const std::vector<std::string>& lines) {
  if (lines.empty()) return prompts_->ShowInfo(AddedTextOf(AddedText::NoNamesNone));
  std::vector<std::string> keys;
  std::size_t added = 0;
  const Status s = zvonar::AddNoNameLines(AbonentsBookPath(programDir_), lines, &keys, &added);
  if (!s.ok()) {
    prompts_->ShowError(QString::fromStdString(s.message()));
    return;
  }
  QStringList numbers;
  for (const std::string& key : keys) numbers << ToQt(key);
  SetComboItemsKeepText(cbFilterNumber, numbers);
  prompts_->ShowInfo(AddedTextOf(AddedText::NoNamesAdded).arg(added));
}
