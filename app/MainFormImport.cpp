// Commands of the File menu that read bills and their month summaries, and
// the undo of the last import.
#include <sys/stat.h>

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
#include "store/ImportJournal.h"
#include "store/Table.h"
#include "ui/Busy.h"
#include "ui/NativePath.h"
#include "ui/Prompts.h"
#include "ui/QtLanguage.h"
#include "ui/QtText.h"
#include "ui/SplashForm.h"
#include "ui/TableGridModel.h"

using namespace zvonar;

namespace {

// The file types of the open dialog, in the order the DefaultDetalExtID
// setting counts them from 1.
QStringList OpenFilters() {
  return {FileTypeFilter(AddedText::FileTypeText, "*.txt"),   FileTypeFilter(AddedText::FileTypeHtml, "*.html"),
          FileTypeFilter(AddedText::FileTypeData, "*.dat"),   FileTypeFilter(AddedText::FileTypeFilter, "*.fil"),
          FileTypeFilter(AddedText::FileTypeSummary, "*.sum"), FileTypeFilter(AddedText::FileTypeAll, "*.*")};
}

QString OpenFilter(int oneBasedIndex) {
  const QStringList filters = OpenFilters();
  return filters.value(oneBasedIndex - 1, filters.front());
}

}  // namespace

QString TMainForm::BillDirectory() const {
  if (settings_.saveAddDetalizationDir && !settings_.addDetalizationDir.empty())
    return QtPathFromStored(settings_.addDetalizationDir);
  return QtPathFromNative(programDir_);
}

std::string TMainForm::ChooseExistingFile(const QString& dir, int filterIndex) {
  QString selected = OpenFilter(filterIndex);
  const QString chosen = prompts_->ChooseOpenFile(OpenFilters().join(";;"), dir, &selected);
  if (chosen.isEmpty()) return {};
  const std::string path = NativePathFromQt(chosen);
  return FileExists(path) ? path : std::string();
}

void TMainForm::mnShowMonthSummaryClick() {
  const std::string path = ChooseExistingFile(BillDirectory(), 5);
  if (path.empty()) return;
  QString caption;
  LanguageFile lang;
  if (!settings_.language.empty() &&
      LanguageFile::Load(LanguageFilePath(programDir_, settings_.language), &lang).ok() && lang.HasGroup(111))
    caption = QtPlain(lang.Line(110));
  const Status s = ShowMemo(this, caption, path);
  if (!s.ok()) prompts_->ShowError(QString::fromStdString(s.message()));
}

void TMainForm::mnAddDetalizationClick() {
  if (table_->FieldCount() < kDetalFieldCount) prompts_->ShowInfo(BaseNotCreatedText);
  const int filterIndex = std::max(1, int{settings_.defaultDetalExtId});
  QString selected = OpenFilter(filterIndex);
  const QStringList chosen = prompts_->ChooseOpenFiles(OpenFilters().join(";;"), BillDirectory(), &selected);
  // A chosen name that is there in any form goes on to the import, which
  // tells a device or a FIFO by name instead of passing it over.
  std::vector<std::string> paths;
  for (const QString& file : chosen) {
    const std::string path = NativePathFromQt(file);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) paths.push_back(path);
  }
  if (paths.empty()) return;
  std::sort(paths.begin(), paths.end());
  // The directory is remembered in settings.ini's code page; one it cannot
  // hold is used all the same, just not remembered.
  (void)StoredPathFromNative(TextBeforeLast(paths.front(), '/'), &settings_.addDetalizationDir);

  QStringList outcomes;
  {
    SplashScope splash(settings_.showSplash);
    for (std::size_t i = 0; i < paths.size(); ++i) {
      if (paths.size() == 1)
        splash.SetStage(1, 1);
      else
        splash.SetStageText(AddedTextOf(AddedText::FileStage).arg(i + 1).arg(paths.size()));
      outcomes << ImportOneBill(paths[i], splash);
    }
  }
  if (paths.size() > 1) prompts_->ShowInfo(outcomes.join("\n"));
  UpdateUndoImportEnabled();
}

QString TMainForm::ImportOneBill(const std::string& path, SplashScope& splash) {
  const QString name = QString::fromStdString(path.substr(path.rfind('/') + 1));
  ImportResult result;
  Status s = RunBillImport(path, false, splash, &result);
  if (s.ok() && result.previous) {
    const QString question =
        AddedTextOf(AddedText::ReimportQuestion).arg(ToQt(result.previous->when)).arg(result.previous->count);
    if (!prompts_->AskYesNoDefaultNo(question)) return AddedTextOf(AddedText::FileSkipped).arg(name);
    s = RunBillImport(path, true, splash, &result);
  }
  if (result.vanished)
    prompts_->ShowInfo(AddedTextOf(AddedText::ImportedAgain).arg(name, ToQt(result.vanished->when)));
  // An error names the bill, as the outcome list of several bills does.
  if (!s.ok() && s.kind() != StatusKind::InUse) s = Status::Error(s.kind(), name.toStdString() + ": " + s.message());
  ShowImportMessages(result, s);
  if (!s.ok()) return QString::fromStdString(s.message());
  if (result.records.stop) return QString::fromStdString(StopMessage(*result.records.stop));
  return AddedTextOf(AddedText::FileRecordsAdded).arg(name).arg(result.records.recordsAdded);
}

Status TMainForm::RunBillImport(const std::string& path, bool again, SplashScope& splash, ImportResult* result) {
  BusyCursorScope busy;
  gridModel_->Detach();
  const Status s =
      ImportBill({path, programDir_, settings_, registerFields_, again}, table_.get(), splash.Progress(), result);
  if (table_->IsOpen() && table_->RecordCount() > 0) {
    ShowFirstRecord();
    (void)table_->Last();
  }
  gridModel_->Attach(table_.get());
  SetupGridColumns();
  UpdateCounters();
  return s;
}

void TMainForm::ShowImportMessages(const ImportResult& result, const Status& s) {
  const DetalizationResult& records = result.records;
  if (records.typeLegend) lType->setText(ToQt(*records.typeLegend));
  if (records.codeLegend) lCode->setText(ToQt(*records.codeLegend));
  std::vector<std::string> owners = ComboItems(edFilterOwner);
  if (MergeOwners(records.owners, &owners) > 0) {
    QStringList items;
    for (const std::string& owner : owners) items << ToQt(owner);
    SetComboItemsKeepText(edFilterOwner, items);
  }
  if (result.replacedChars > 0) ShowAddedInfo(AddedText::CharsReplaced, static_cast<qulonglong>(result.replacedChars));
  if (!records.rejected.empty()) {
    // One box for the whole bill, however many lines it rejected.
    QStringList lines;
    const std::string heading = FromQtLossy(AddedTextOf(AddedText::NotStoredHeading));
    for (const RejectedLine& line : records.rejected)
      lines << ToQt(RejectedMessage(line, heading)).replace("\r\n", "\n");
    prompts_->ShowInfoDetails(AddedTextOf(AddedText::LinesNotStored).arg(records.rejected.size()), lines.join("\n"));
  }
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

void TMainForm::UpdateUndoImportEnabled() {
  std::optional<ImportEntry> last;
  std::uint32_t undoable = 0;
  const bool usable =
      table_ && table_->IsOpen() && !table_->ReadOnly() && LastImport(programDir_, table_.get(), &last, &undoable).ok();
  mnUndoLastImport->setEnabled(usable && last && undoable > 0);
}

void TMainForm::mnUndoLastImportClick() {
  std::optional<ImportEntry> last;
  std::uint32_t undoable = 0;
  Status s = table_->IsOpen() ? LastImport(programDir_, table_.get(), &last, &undoable) : Status::Ok();
  if (!s.ok()) return ShowTableError("", s);
  if (!last || undoable == 0) return UpdateUndoImportEnabled();
  const QString file = QtPathFromNative(last->file);
  if (!prompts_->AskYesNo(AddedTextOf(AddedText::UndoImportQuestion).arg(undoable).arg(file, ToQt(last->when)))) return;
  ImportEntry undone;
  std::uint32_t removed = 0;
  {
    BusyCursorScope busy;
    gridModel_->Detach();
    s = UndoLastImport(programDir_, table_.get(), &undone, &removed);
    gridModel_->Attach(table_.get());
    SetupGridColumns();
    UpdateCounters();
  }
  if (s.ok())
    prompts_->ShowInfo(AddedTextOf(AddedText::ImportUndone).arg(file).arg(removed));
  else
    ShowTableError("", s);
  UpdateUndoImportEnabled();
}
