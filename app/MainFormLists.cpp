// The main window's list commands: filtered-list files saved and loaded,
// the result list exported for spreadsheets as CSV or as an .xlsx file, the
// old base imported, the
// result list sorted by a column, the grid and the counts row following
// the list's column widths, the phone number of the views' context menu,
// and the record grid's record number and Delete key.
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QTreeView>

#include "analysis/CsvExport.h"
#include "analysis/ListFiles.h"
#include "analysis/OldBase.h"
#include "analysis/ResultOrder.h"
#include "analysis/XlsxExport.h"
#include "app/MainForm.h"
#include "base/OutputFile.h"
#include "base/TextFile.h"
#include "config/LanguageFile.h"
#include "import/BillImport.h"
#include "import/TextUtils.h"
#include "store/DetalTable.h"
#include "store/History.h"
#include "store/Table.h"
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

QStringList SaveFilters() {
  return {FileTypeFilter(AddedText::FileTypeText, "*.txt"), FileTypeFilter(AddedText::FileTypeData, "*.dat"),
          FileTypeFilter(AddedText::FileTypeFilter, "*.fil"), FileTypeFilter(AddedText::FileTypeAll, "*.*")};
}

const QString kCsvFilter = "CSV (*.csv)";

// Runs `handler` when a key is released over the watched widget.
class KeyUpFilter : public QObject {
 public:
  KeyUpFilter(QObject* parent, std::function<void(int)> handler) : QObject(parent), handler_(std::move(handler)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyRelease) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (!key->isAutoRepeat()) handler_(key->key());
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void(int)> handler_;
};

// A chosen file name without an extension gets `extension`, as a save
// dialog with a default extension gives it.
std::string WithDefaultExtension(std::string path, std::string_view extension) {
  if (TextAfterLast(path, '/').find('.') == std::string::npos) {
    path += '.';
    path += extension;
  }
  return path;
}

// The date part of a DateTime text "yyyy.mm.dd[ hh:mm:ss]".
QDate DateOf(std::string_view text) {
  return QDate::fromString(ToQt(text.substr(0, 10)), "yyyy.MM.dd");
}

}  // namespace

void TMainForm::ConnectListCommands() {
  mnExportFilteredCsv = new QAction(QString::fromUtf8(EnglishText(AddedText::ExportCsvCaption)), this);
  mnExportFilteredCsv->setObjectName("mnExportFilteredCsv");
  const QList<QAction*> items = mnFile->actions();
  const qsizetype save = items.indexOf(mnSaveFiltered);
  mnFile->insertAction(items.value(save + 1), mnExportFilteredCsv);
  mnExportFilteredXlsx = new QAction(QString::fromUtf8(EnglishText(AddedText::ExportXlsxCaption)), this);
  mnExportFilteredXlsx->setObjectName("mnExportFilteredXlsx");
  mnFile->insertAction(items.value(save + 1), mnExportFilteredXlsx);

  const auto on = [this](QAction* action, void (TMainForm::*handler)()) {
    connect(action, &QAction::triggered, this, Guarded(this, handler, prompts_));
  };
  on(mnSaveFiltered, &TMainForm::mnSaveFilteredClick);
  on(mnLoadFiltered, &TMainForm::mnLoadFilteredClick);
  on(mnExportFilteredCsv, &TMainForm::mnExportFilteredCsvClick);
  on(mnExportFilteredXlsx, &TMainForm::mnExportFilteredXlsxClick);
  on(mnLoadOldDetalizationBase, &TMainForm::mnLoadOldDetalizationBaseClick);
  on(mnAddPhoneNumberToFilterNumber, &TMainForm::mnAddPhoneNumberToFilterNumberClick);
  on(mnPhoneNumberToClipboard, &TMainForm::mnPhoneNumberToClipboardClick);

  const auto sort = Guarded(this, &TMainForm::lvFilterColumnClick, prompts_);
  connect(lvFilter->header(), &QHeaderView::sectionClicked, this, [this, sort](int column) {
    // The same header again turns the order round; another starts ascending.
    const bool shown = lvFilter->header()->isSortIndicatorShown();
    sortDescending_ = shown && column == sortColumn_ && !sortDescending_;
    sortColumn_ = column;
    sort();
  });
  lvFilter->header()->setSectionsClickable(true);
  // The grid's columns stand under the list's: the first 12 pixels
  // narrower, every other one 1 pixel.
  connect(lvFilter->header(), &QHeaderView::sectionResized, dbgDetaliz, [this](int column, int, int width) {
    dbgDetaliz->setColumnWidth(column, std::max(8, width - (column == 0 ? 12 : 1)));
  });
  connect(dbgDetaliz, &QTableView::clicked, this, Guarded(this, &TMainForm::dbgDetalizCellClick, prompts_));
  const auto keyUp = Guarded(this, &TMainForm::dbgDetalizKeyUp, prompts_);
  dbgDetaliz->installEventFilter(new KeyUpFilter(dbgDetaliz, [keyUp](int key) {
    if (key == Qt::Key_Delete) keyUp();
  }));
}

void TMainForm::ApplyListTexts(const LanguageFile& lang) {
  mnExportFilteredCsv->setText(QtCaption(TextOf(lang, AddedText::ExportCsvCaption)));
  mnExportFilteredXlsx->setText(QtCaption(TextOf(lang, AddedText::ExportXlsxCaption)));
}

void TMainForm::mnSaveFilteredClick() {
  const ResultRows& rows = lvFilterModel->Rows();
  if (rows.Empty()) return;
  const QStringList filters = SaveFilters();
  QString selected = filters[2];
  const QString proposal = BillDirectory() + "/" + ToQt(rows.Cell(0, 0)) + "." + kListFileExtension;
  const QString chosen = prompts_->ChooseSaveFile(filters.join(";;"), proposal, &selected);
  if (chosen.isEmpty()) return;
  RememberChooserFolder(chosen);
  const std::string path = WithDefaultExtension(NativePathFromQt(chosen), kListFileExtension);
  const Status refused = CheckOutputPath(NativePathFromQt(chosen), path, programDir_);
  if (!refused.ok()) return prompts_->ShowError(QString::fromStdString(refused.message()));
  const ListPath parts = SplitListPath(path);
  std::size_t replaced = 0;
  Status s;
  {
    BusyCursorScope busy;
    s = SaveListFile(rows, parts.folder, parts.baseName, false, settings_.saveAbonentNameInDetalizationFile,
                     parts.extension, &replaced);
  }
  if (!s.ok())
    prompts_->ShowError(QString::fromStdString(s.message()));
  else if (replaced > 0)
    prompts_->ShowInfo(AddedTextOf(AddedText::ListCellsReplaced).arg(replaced));
}

void TMainForm::mnLoadFilteredClick() {
  const std::string path = ChooseExistingFile(BillDirectory(), 4);
  if (!path.empty()) {
    const ListPath parts = SplitListPath(path);
    LoadListOptions options;
    // The owner is the file's name as a text of the table.
    options.owner = FromQtLossy(QString::fromUtf8(parts.baseName));
    ResultRows rows;
    Status s;
    {
      SplashScope splash(settings_.showSplash);
      splash.SetStage(1, 1);
      options.progress = splash.CompactProgress();
      BusyCursorScope busy;
      s = LoadListFile(parts.folder, parts.baseName, parts.extension, options, &rows);
    }
    if (!rows.Empty()) {
      lvFilterModel->SetRows(std::move(rows));
      ForgetFilterSort();
    }
    if (!s.ok()) prompts_->ShowError(QString::fromStdString(s.message()));
  }
  stFilterRecCount->setText(QString::number(lvFilterModel->Rows().RowCount()));
}

std::string TMainForm::ChooseExportFile(const QString& typeFilter, std::string_view extension) {
  QString selected = typeFilter;
  const QString proposal =
      BillDirectory() + "/" + ToQt(lvFilterModel->Rows().Cell(0, 0)) + "." + QString::fromUtf8(extension);
  const QString chosen =
      prompts_->ChooseSaveFile(typeFilter + ";;" + FileTypeFilter(AddedText::FileTypeAll, "*.*"), proposal, &selected);
  if (chosen.isEmpty()) return {};
  RememberChooserFolder(chosen);
  const std::string path = WithDefaultExtension(NativePathFromQt(chosen), extension);
  const Status refused = CheckOutputPath(NativePathFromQt(chosen), path, programDir_);
  if (refused.ok()) return path;
  prompts_->ShowError(QString::fromStdString(refused.message()));
  return {};
}

ColumnTitles TMainForm::ListTitles() const {
  ColumnTitles titles;
  for (int c = 0; c < kResultColumns; ++c) titles[static_cast<std::size_t>(c)] = FromQtLossy(lvFilterModel->Caption(c));
  return titles;
}

void TMainForm::mnExportFilteredCsvClick() {
  const ResultRows& rows = lvFilterModel->Rows();
  if (rows.Empty()) return;
  const std::string path = ChooseExportFile(kCsvFilter, "csv");
  if (path.empty()) return;
  const ColumnTitles titles = ListTitles();
  BusyCursorScope busy;
  const Status s = ExportCsv(path, rows, titles);
  if (!s.ok()) prompts_->ShowError(QString::fromStdString(s.message()));
}

void TMainForm::mnExportFilteredXlsxClick() {
  const ResultRows& rows = lvFilterModel->Rows();
  if (rows.Empty()) return;
  XlsxContent content;
  if (!ReadFilterCriteria(&content.criteria)) return;
  const std::string path = ChooseExportFile(FileTypeFilter(AddedText::XlsxFileType, "*.xlsx"), "xlsx");
  if (path.empty()) return;
  // The list's own titles and the window's language, as the list shows them.
  content.rows = &rows;
  content.titles = ListTitles();
  LanguageFile lang;
  if (!settings_.language.empty()) (void)LanguageFile::Load(LanguageFilePath(programDir_, settings_.language), &lang);
  content.words = XlsxWordsOf(lang);
  const Status counted = StatisticOfList(&content.statistic);
  if (!counted.ok()) {
    content.statistic.clear();
    content.statisticError = counted.message();
  }
  content.exportedAt = LocalDateTimeNow();
  XlsxOutcome outcome;
  Status s;
  {
    BusyCursorScope busy;
    s = ExportXlsx(path, content, &outcome);
  }
  if (!s.ok()) return prompts_->ShowError(QString::fromStdString(s.message()));
  QString said = AddedTextOf(AddedText::XlsxWritten).arg(outcome.rows).arg(QtPathFromNative(path));
  if (outcome.textCells > 0) said += "\n" + AddedTextOf(AddedText::XlsxTextCells).arg(outcome.textCells);
  if (!counted.ok()) said += "\n" + AddedTextOf(AddedText::XlsxNoStatistic).arg(QString::fromStdString(counted.message()));
  prompts_->ShowInfo(said);
}

void TMainForm::mnLoadOldDetalizationBaseClick() {
  OldBaseOptions options;
  options.namesInFiles = settings_.saveAbonentNameInDetalizationFile;
  options.fillCodesTypes = settings_.fillCodesTypesOnAddDetalization;
  options.modePhoneCode = settings_.modePhoneCode;
  options.phoneCodeTown = settings_.phoneCodeTown;
  // The closing message, shown once the splash is gone: an error, or what
  // was done; none when the user declined a second load.
  bool failed = true;
  const QString outcome = [&]() -> QString {
    SplashScope splash(true);
    BusyCursorScope busy;
    // The work list of the import; the views show none of it.
    ResultRows rows;
    const std::vector<std::string> known = ComboItems(edFilterOwner);
    std::vector<std::string> owners = known;
    OldBaseFound found;
    const Status loaded = LoadOldBase(
        programDir_, JoinPath(programDir_, kOldBaseOwnersFile), options,
        [&splash](int stage, int stages) { splash.SetCompactStage(stage, stages); }, splash.CompactProgress(), &owners,
        &rows, &found);
    // A base read in part is not copied: it is stored whole or not at all.
    if (!loaded.ok()) return AddedTextOf(AddedText::OldBaseLoadError) + "\n" + QString::fromStdString(loaded.message());
    if (found.ownerFiles == 0) {
      failed = false;
      return AddedTextOf(AddedText::OldBaseNotFound).arg(QtPathFromNative(programDir_));
    }
    std::optional<ImportEntry> previous;
    const Status looked = FindOldBaseLoad(programDir_, table_.get(), found.fingerprint, &previous);
    if (!looked.ok()) return QString::fromStdString(looked.message());
    failed = false;
    if (previous && !prompts_->AskYesNoDefaultNo(
                        AddedTextOf(AddedText::OldBaseReloadQuestion).arg(ToQt(previous->when)).arg(previous->count)))
      return QString();
    if (found.ownersListRead) {
      // The base's owners lead the box; the owners it knew stay after them,
      // since the box is what Tellura.dat keeps at exit.
      std::vector<std::string> items = owners;
      MergeOwners(known, &items);
      const QSignalBlocker block(edFilterOwner);
      edFilterOwner->clear();
      for (const std::string& owner : items) edFilterOwner->addItem(ToQt(owner));
    }
    if (!rows.Empty()) {
      const QSignalBlocker blockOwner(edFilterOwner);
      edFilterOwner->setEditText(ToQt(rows.Cell(0, 0)));
      const QDate first = DateOf(rows.Cell(0, 1));
      if (first.isValid()) dtpDateBegin->setDate(first);
    }
    splash.SetState(AddedTextOf(AddedText::ProgramCopying));
    splash.SetProgress(1, 1);
    gridModel_->Detach();
    std::size_t appended = 0;
    const Status copied =
        CopyListToTable(rows, table_.get(), splash.Progress(), &appended, programDir_, found.fingerprint);
    gridModel_->Attach(table_.get());
    UpdateCounters();
    UpdateUndoEnabled();
    failed = !copied.ok();
    if (failed) return AddedTextOf(AddedText::OldBaseCopyError) + "\n" + QString::fromStdString(copied.message());
    return AddedTextOf(AddedText::OldBaseLoaded).arg(appended);
  }();
  if (outcome.isEmpty()) return;
  if (failed)
    prompts_->ShowError(outcome);
  else
    prompts_->ShowInfo(outcome);
}

void TMainForm::lvFilterColumnClick() {
  QHeaderView* header = lvFilter->header();
  header->setSortIndicatorShown(true);
  header->setSortIndicator(sortColumn_, sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
  if (lvFilterModel->Rows().RowCount() < 2) return;
  BusyCursorScope busy;
  lvFilterModel->SetRows(SortedByColumn(lvFilterModel->Rows(), sortColumn_, sortDescending_));
}

void TMainForm::ForgetFilterSort() {
  lvFilter->header()->setSortIndicatorShown(false);
  sortDescending_ = false;
}

bool TMainForm::PhoneNumberFromViews(QString* number) {
  bool found = false;
  if (CurrentGridRecord()) {
    *number = ToQt(table_->FieldText(kNumberField));
    found = true;
  }
  const QModelIndexList selected = lvFilter->selectionModel()->selectedRows();
  if (!selected.isEmpty()) {
    *number = ToQt(lvFilterModel->Rows().Cell(static_cast<std::size_t>(selected.front().row()), kNumberField));
    lvFilter->clearSelection();
    found = true;
  }
  return found;
}

void TMainForm::mnAddPhoneNumberToFilterNumberClick() {
  QString number;
  if (PhoneNumberFromViews(&number)) cbFilterNumber->setEditText(number);
}

void TMainForm::mnPhoneNumberToClipboardClick() {
  QString number;
  if (PhoneNumberFromViews(&number)) QGuiApplication::clipboard()->setText(number);
}

bool TMainForm::CurrentGridRecord() {
  if (!table_->IsOpen() || !gridModel_->Attached()) return false;
  const QModelIndex current = dbgDetaliz->currentIndex();
  if (current.isValid()) {
    const Status s = table_->GoToPosition(static_cast<std::uint32_t>(current.row()));
    // Another program changed the table and the grid's rows are not yet
    // shown again: the row the user picked may now be another record.
    if (othersChangesPending_) return false;
    if (!s.ok()) throw std::runtime_error(s.message());
  }
  return table_->RecNo() > 0;
}

void TMainForm::dbgDetalizCellClick() {
  (void)CurrentGridRecord();
  UpdateCounters();
}

void TMainForm::dbgDetalizKeyUp() {
  if (!CurrentGridRecord()) return;
  if (settings_.confirmDelete && !prompts_->AskYesNo(AddedTextOf(AddedText::ConfirmDeleteRecord))) return;
  const int row = dbgDetaliz->currentIndex().row();
  const Status s = RecordChange(HistoryPlaceHere(), table_.get(), kChangeDelete, {},
                                [this](const Table::ChangedRecordFn& note) { return table_->Delete(note); });
  gridModel_->Reset();
  const int rows = gridModel_->rowCount();
  if (rows > 0) dbgDetaliz->setCurrentIndex(gridModel_->index(std::clamp(row, 0, rows - 1), 0));
  UpdateCounters();
  UpdateUndoEnabled();
  if (!s.ok()) ShowTableError("", s);
}
