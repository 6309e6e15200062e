// Commands of the File menu that read bills and their month summaries, and
// the undo of the last import.
#include <sys/stat.h>

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>

#include "app/MainForm.h"
#include "base/TextFile.h"
#include "config/AddedTexts.h"
#include "config/LanguageFile.h"
#include "import/BillImport.h"
#include "import/MemoForm.h"
#include "import/TextUtils.h"
#include "store/DetalTable.h"
#include "store/History.h"
#include "store/ImportJournal.h"
#include "store/Table.h"
#include "ui/QtLanguage.h"
#include "ui/Busy.h"
#include "ui/ListModels.h"
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
  QString dir = lastFolder_;
  if (dir.isEmpty() && settings_.saveAddDetalizationDir && !settings_.addDetalizationDir.empty())
    dir = QtPathFromStored(settings_.addDetalizationDir);
  const QFileInfo folder(dir);
  const QString dataDir = QFileInfo(QtPathFromNative(programDir_)).canonicalFilePath();
  const QString canonical = folder.canonicalFilePath();
  const bool inDataDir = !dataDir.isEmpty() && (canonical == dataDir || canonical.startsWith(dataDir + "/"));
  if (!dir.isEmpty() && folder.isDir() && !inDataDir) return dir;
  return QDir::homePath();
}

void TMainForm::RememberChooserFolder(const QString& file) {
  if (!file.isEmpty()) lastFolder_ = QFileInfo(file).absolutePath();
}

std::string TMainForm::ChooseExistingFile(const QString& dir, int filterIndex) {
  QString selected = OpenFilter(filterIndex);
  const QString chosen = prompts_->ChooseOpenFile(OpenFilters().join(";;"), dir, &selected);
  if (chosen.isEmpty()) return {};
  RememberChooserFolder(chosen);
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
  // The bills of both kinds come first. DefaultDetalExtID 1 (text bills,
  // the default) preselects them, as they include the text bills; another
  // value its own entry.
  QStringList filters = OpenFilters();
  filters.prepend(AddedTextOf(AddedText::BillsFilter));
  const int filterIndex = std::max(1, int{settings_.defaultDetalExtId});
  QString selected = filterIndex == 1 ? filters.front() : OpenFilter(filterIndex);
  const QStringList chosen = prompts_->ChooseOpenFiles(filters.join(";;"), BillDirectory(), &selected);
  std::vector<std::string> paths;
  for (const QString& file : chosen) paths.push_back(NativePathFromQt(file));
  ImportBills(std::move(paths), true);
}

void TMainForm::ImportBills(std::vector<std::string> chosen, bool remember) {
  // A name that is there in any form goes on to the import, which tells a
  // device or a FIFO by name instead of passing it over.
  std::vector<std::string> paths;
  for (std::string& path : chosen) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) paths.push_back(std::move(path));
  }
  if (paths.empty()) return;
  std::sort(paths.begin(), paths.end());
  if (remember) {
    RememberChooserFolder(QtPathFromNative(paths.front()));
    // The folder is remembered in settings.ini's code page; one it cannot
    // hold is used all the same in this run, just not remembered.
    (void)StoredPathFromNative(TextBeforeLast(paths.front(), '/'), &settings_.addDetalizationDir);
  }

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
  UpdateUndoEnabled();
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
  ShowImportMessages(name, result, s);
  if (!s.ok()) return QString::fromStdString(s.message());
  if (result.records.stop) return QString::fromStdString(StopMessage(*result.records.stop));
  if (result.skipped > 0)
    return AddedTextOf(AddedText::FileRecordsAddedKnownSkipped)
        .arg(name)
        .arg(result.records.recordsAdded)
        .arg(result.skipped);
  return AddedTextOf(AddedText::FileRecordsAdded).arg(name).arg(result.records.recordsAdded);
}

Status TMainForm::RunBillImport(const std::string& path, bool again, SplashScope& splash, ImportResult* result) {
  BusyCursorScope busy;
  // An import that changed nothing (a bill imported already, one that gave
  // no record, an error) leaves the grid where it was, and the owner box
  // and the dates as they are.
  const QModelIndex current = dbgDetaliz->currentIndex();
  const int scrolled = dbgDetaliz->verticalScrollBar()->value();
  const std::uint32_t position = table_->IsOpen() && table_->RecordCount() > 0 ? table_->Position() : 0;
  const QString ownerBefore = edFilterOwner->currentText();
  gridModel_->Detach();
  ImportRequest request{path, programDir_, settings_, registerFields_, again};
  request.skipKnown = [this, &path](const KnownRecordsFound& found) {
    const auto date = [](const std::string& text) {
      return QDate::fromString(QString::fromStdString(text), "yyyy.MM.dd").toString("dd.MM.yyyy");
    };
    const QString question =
        AddedTextOf(AddedText::KnownRecordsQuestion)
            .arg(found.known)
            .arg(found.records)
            .arg(QtPathFromNative(path.substr(path.rfind('/') + 1)), date(found.firstDate), date(found.lastDate));
    SetBusyCursor(false);
    const bool skip = prompts_->AskYesNo(question);
    SetBusyCursor(true);
    return skip;
  };
  const Status s = ImportBill(request, table_.get(), splash.Progress(), result);
  const bool unchanged = result->records.recordsAdded == 0 && result->droppedUncommitted == 0;
  if (unchanged) {
    gridModel_->Attach(table_.get());
    if (table_->IsOpen() && table_->RecordCount() > 0) (void)table_->GoToPosition(position);
    if (current.isValid()) dbgDetaliz->setCurrentIndex(gridModel_->index(current.row(), current.column()));
    dbgDetaliz->verticalScrollBar()->setValue(scrolled);
    UpdateCounters();
    return s;
  }
  if (table_->IsOpen() && table_->RecordCount() > 0) {
    ShowFirstRecord();
    (void)table_->Last();
  }
  // The bill's owner is shown, unless the user has chosen one.
  const std::vector<std::string>& owners = result->records.owners;
  if (ownerPicked_ || !owners.empty()) {
    const QSignalBlocker block(edFilterOwner);
    edFilterOwner->setEditText(ownerPicked_ ? ownerBefore : ToQt(owners.front()));
  }
  gridModel_->Attach(table_.get());
  SetupGridColumns();
  UpdateCounters();
  return s;
}

void TMainForm::ShowImportMessages(const QString& name, const ImportResult& result, const Status& s) {
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
  if (result.cutCells > 0) ShowCutCells(name, result);
  if (!s.ok()) ShowTableError("", s);
  if (records.stop) {
    prompts_->ShowError(QString::fromStdString(StopMessage(*records.stop)) + "\n" +
                        QString::fromStdString(records.stop->reason));
  }
}

void TMainForm::ShowCutCells(const QString& name, const ImportResult& result) {
  // The cells are named by the columns of the result list.
  const QString places = ToQt(CutCellPlaces(
      FromQtLossy(AddedTextOf(AddedText::CutCellPlace)), result.cutAt, result.cutCells, [this](int field) {
        return field < kResultColumns ? FromQtLossy(lvFilterModel->Caption(field)) : std::string();
      }));
  if (result.cutCells == 1)
    prompts_->ShowInfo(AddedTextOf(AddedText::CellCut).arg(name, places));
  else
    prompts_->ShowInfo(AddedTextOf(AddedText::CellsCutAt).arg(name, QString::number(result.cutCells), places));
}

void TMainForm::UpdateUndoEnabled() {
  UndoPreview preview;
  bool usable = table_ && table_->IsOpen() && !table_->ReadOnly();
  if (usable) {
    const TableReadHold read(*table_);
    usable = read.status().ok() && PreviewUndo(programDir_, table_.get(), &preview, false).ok();
  }
  // An import stopped before it stored its records leaves an entry whose
  // undo removes only the entry: offered too, so the one before comes next.
  const bool orphan = preview.entry && preview.entry->kind.empty() && preview.entry->last > table_->LastRecNo();
  mnUndo->setEnabled(usable && preview.entry && preview.possible && (preview.undoable > 0 || orphan));
}

HistoryPlace TMainForm::HistoryPlaceHere() const {
  return {programDir_, HistoryBoundsOf(settings_.historyChanges, settings_.historyMegabytes)};
}

QString TMainForm::ChangeCaption(const ImportEntry& entry) const {
  const std::pair<const char*, QAction*> commands[] = {{kChangeFillNames, mnFillNumberAbonents},
                                                       {kChangeFillCodes, mnFillCodesTypes},
                                                       {kChangeReturnCodes, mnReturnCodesTypes},
                                                       {kChangeCodeType, mnChangeCodesTypes}};
  for (const auto& [kind, action] : commands) {
    if (entry.kind != kind) continue;
    QString caption = ToQt(PlainCaption(FromQtLossy(action->text())));
    while (caption.endsWith('.')) caption.chop(1);
    return caption;
  }
  if (entry.kind == kChangeDelete) return AddedTextOf(AddedText::ChangeDeleteRecord);
  return ToQt(entry.kind);
}

void TMainForm::mnUndoClick() {
  UndoPreview preview;
  Status s = table_->IsOpen() ? PreviewUndo(programDir_, table_.get(), &preview) : Status::Ok();
  if (!s.ok()) return ShowTableError("", s);
  if (!preview.entry) return UpdateUndoEnabled();
  const ImportEntry& entry = *preview.entry;
  const QLocale locale = LocaleOfLanguage(settings_.language);
  const QString what = entry.kind.empty() ? QtPathFromNative(entry.file) : ChangeCaption(entry);
  if (!preview.possible)
    return prompts_->ShowInfo(AddedTextOf(AddedText::UndoImpossible).arg(what, ToQt(entry.when)));
  const bool orphan = entry.kind.empty() && entry.last > table_->LastRecNo();
  if (preview.undoable == 0 && !orphan) return UpdateUndoEnabled();
  const QString question =
      entry.kind.empty()
          ? AddedTextOf(AddedText::UndoImportQuestion).arg(preview.undoable).arg(what, ToQt(entry.when))
          : AddedTextOf(AddedText::UndoChangeQuestion)
                .arg(what, ToQt(entry.when), locale.toString(static_cast<qulonglong>(preview.undoable)));
  if (!prompts_->AskYesNo(question)) return;
  UndoOutcome done;
  {
    BusyCursorScope busy;
    gridModel_->Detach();
    s = UndoLatest(programDir_, table_.get(), {}, &done);
    // The current record may have been one of those removed: the last
    // record left is current instead.
    if (entry.kind.empty() && table_->IsOpen() && table_->RecordCount() > 0) (void)table_->Last();
    gridModel_->Attach(table_.get());
    SetupGridColumns();
    UpdateCounters();
  }
  if (s.ok()) {
    QString message = entry.kind.empty()
                          ? AddedTextOf(AddedText::ImportUndone).arg(what).arg(done.undone)
                          : AddedTextOf(AddedText::ChangeUndone)
                                .arg(what, ToQt(entry.when), locale.toString(static_cast<qulonglong>(done.undone)));
    if (done.kept > 0)
      message += "\n" + AddedTextOf(AddedText::UndoKept).arg(locale.toString(static_cast<qulonglong>(done.kept)));
    prompts_->ShowInfo(message);
  } else {
    ShowTableError("", s);
  }
  UpdateUndoEnabled();
}
