// Commands of the File menu that read bills and their month summaries.
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>

#include "app/MainForm.h"
#include "base/TextFile.h"
#include "config/AddedTexts.h"
#include "config/LanguageFile.h"
#include "import/BillImport.h"
#include "import/MemoForm.h"
#include "import/TextUtils.h"
#include "store/DetalTable.h"
#include "store/Table.h"
#include "ui/Busy.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"
#include "ui/SplashForm.h"
#include "ui/TableGridModel.h"

using namespace zvonar;

namespace {

// The file types of the open dialog, in the order the DefaultDetalExtID
// setting counts them from 1.
const QStringList kOpenFilters = {"Text File (*.txt)", "HTML File (*.html)", "Data (*.dat)",
                                  "Filter (*.fil)",    "Summary (*.sum)",    "All (*)"};

QString OpenFilter(int oneBasedIndex) { return kOpenFilters.value(oneBasedIndex - 1, kOpenFilters.front()); }

}  // namespace

QString TMainForm::BillDirectory() const {
  if (settings_.saveAddDetalizationDir && !settings_.addDetalizationDir.empty())
    return ToQt(settings_.addDetalizationDir);
  return ToQt(programDir_);
}

std::string TMainForm::ChooseExistingFile(const QString& dir, int filterIndex) {
  QString selected = OpenFilter(filterIndex);
  const QString chosen = prompts_->ChooseOpenFile(kOpenFilters.join(";;"), dir, &selected);
  if (chosen.isEmpty()) return {};
  std::string path;
  QString error;
  if (!FromQt(chosen, &path, &error)) {
    // The program keeps texts in code page 1251; a name outside it cannot
    // be passed on.
    prompts_->ShowError(error);
    return {};
  }
  return FileExists(path) ? path : std::string();
}

void TMainForm::mnShowMonthSummaryClick() {
  const std::string path = ChooseExistingFile(BillDirectory(), 5);
  if (path.empty()) return;
  QString caption;
  LanguageFile lang;
  if (!settings_.language.empty() &&
      LanguageFile::Load(LanguageFilePath(programDir_, settings_.language), &lang).ok() && lang.HasGroup(111))
    caption = ToQt(PlainCaption(lang.Line(110)));
  ShowMemo(this, caption, path);
}

void TMainForm::mnAddDetalizationClick() {
  if (table_->FieldCount() < kDetalFieldCount) prompts_->ShowInfo(BaseNotCreatedText);
  const std::string path = ChooseExistingFile(BillDirectory(), std::max(1, int{settings_.defaultDetalExtId}));
  if (path.empty()) return;
  settings_.addDetalizationDir = TextBeforeLast(path, '/');

  ImportResult result;
  Status s;
  {
    SplashScope splash(settings_.showSplash);
    splash.SetStage(1, 1);
    BusyCursorScope busy;
    gridModel_->Detach();
    s = ImportBill({path, programDir_, settings_, registerFields_}, table_.get(), splash.Progress(), &result);
    if (table_->IsOpen() && table_->RecordCount() > 0) {
      ShowFirstRecord();
      (void)table_->Last();
    }
    gridModel_->Attach(table_.get());
    SetupGridColumns();
    UpdateCounters();
  }
  const DetalizationResult& records = result.records;
  if (records.typeLegend) lType->setText(ToQt(*records.typeLegend));
  if (records.codeLegend) lCode->setText(ToQt(*records.codeLegend));
  std::vector<std::string> owners = ComboItems(edFilterOwner);
  if (MergeOwners(records.owners, &owners) > 0) {
    QStringList items;
    for (const std::string& owner : owners) items << ToQt(owner);
    SetComboItemsKeepText(edFilterOwner, items);
  }
  for (const RejectedLine& line : records.rejected) prompts_->ShowInfo(ToQt(RejectedMessage(line)));
  if (!result.summaryError.empty()) prompts_->ShowError(QString::fromStdString(result.summaryError));
  if (result.droppedUncommitted > 0)
    ShowAddedInfo(AddedText::UncommittedDropped, static_cast<qulonglong>(result.droppedUncommitted));
  if (result.cutCells > 0) ShowAddedInfo(AddedText::CellsCut, static_cast<qulonglong>(result.cutCells));
  if (!s.ok()) ShowTableError("", s);
  if (records.stop) {
    prompts_->ShowError(QString::fromStdString(StopMessage(*records.stop)) + "\n" +
                        QString::fromStdString(records.stop->reason));
  }
}
