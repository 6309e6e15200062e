// The main window: the control panel of filter criteria on the right, the
// record grid, the result list, the status panel and the counts row on the
// left, and the menus of every command. It owns the settings of the run, the
// register fields and the detalization table.
#pragma once

#include <QMainWindow>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ActivityCounts.h"
#include "analysis/CsvExport.h"
#include "analysis/FilterStatistic.h"
#include "base/InstanceLock.h"
#include "base/Progress.h"
#include "base/Status.h"
#include "config/AddedTexts.h"
#include "config/MainSettings.h"
#include "config/RegisterFields.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QTableView;
class QTreeView;
class QUrl;

namespace zvonar {
class Prompts;
class Table;
class TableGridModel;
class ResultRowsModel;
class TextRowsModel;
class LanguageFile;
class NameValueList;
class SplashScope;
class FindBar;
class FindRows;
struct ImportResult;
struct ImportEntry;
struct HistoryPlace;
struct FilterCriteria;
struct ReportPage;
struct ReportWords;
struct BookFieldWidths;
struct LeftRecords;
}  // namespace zvonar

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  // `programDir` is the data directory, ending with "/"; `prompts` answers
  // every message box and file chooser (the window does not own it).
  TMainForm(std::string programDir, zvonar::Prompts* prompts, QWidget* parent = nullptr);
  ~TMainForm() override;

  const zvonar::MainSettings& Settings() const { return settings_; }
  // True when another window holds the data directory: this one has told
  // the user, read nothing but the language, writes nothing and must not
  // be shown.
  bool DataDirInUse() const { return dataDirInUse_; }
  const std::string& ProgramDir() const { return programDir_; }

  // Applies the main window's lines of a language file; false when the file
  // could not be read.
  bool LoadLanguage(const std::string& path);

  // Writes fields.dat, Tellura.dat and settings.ini, as the window does when
  // it closes. Called once; later calls do nothing.
  void SaveOnExit();

  // The texts the language file gives.
  QString NoNameText;
  QString AllText = "All";
  QString BaseNotCreatedText = "Base not Created! Reload the Program!";

  // Control panel.
  QGroupBox* gbControl;
  QGroupBox* gbFilterOwner;
  QPushButton* btnSortFilterOwner;
  QComboBox* edFilterOwner;
  QGroupBox* gbFilterDate;
  QLabel* lDateBegin;
  QLabel* lDateEnd;
  QDateEdit* dtpDateBegin;
  QDateEdit* dtpDateEnd;
  QGroupBox* gbFilterNumber;
  QComboBox* cbFilterOperCode;
  QComboBox* cbFilterNumber;
  QGroupBox* gbFilterCodeType;
  QCheckBox* chkbFilterCode;
  QCheckBox* chkbFilterType;
  QComboBox* cbFilterCode;
  QComboBox* cbFilterType;
  QLabel* lFilterCode;
  QLabel* lFilterType;
  QGroupBox* gbFilter;
  QCheckBox* chkbFilterOwner;
  QCheckBox* chkbFilterNull;
  QCheckBox* chkbFilterDate;
  QCheckBox* chkbFilterOperCode;
  QCheckBox* chkbFilterCalls;
  QCheckBox* chkbFilterNumber;
  QCheckBox* chkbFilterSMS;
  QCheckBox* chkbFilterMMS;
  QCheckBox* chkbFilterExclude;
  QPushButton* btnCheckedDataFilter;
  QLabel* imgTelluraLogo;
  QLabel* lType;
  QLabel* lCode;
  QTreeView* lvStat;

  // Left-hand area.
  QWidget* panelMain;
  QTableView* dbgDetaliz;
  QSplitter* panSplitterMiddle;
  QTreeView* lvFilter;
  QFrame* Panel;
  QLabel* stFilterRecCount;
  QLabel* stRecCount;
  QLabel* stRecNo;
  QTreeView* lvCounts;
  QFrame* panSplitterRight;

  // Menus.
  QMenu* mnFile;
  QAction* mnAddDetalization;
  QAction* mnShowMonthSummary;
  // Enabled while the import journal's last entry has records to take back.
  QAction* mnUndo;
  QAction* mnLoadFiltered;
  QAction* mnSaveFiltered;
  QAction* mnPrintFilter;
  QAction* mnPrintFilterStat;
  QAction* mnCharts;
  QAction* mnFindDuplicates;
  QAction* mnExit;
  QMenu* mnAbonents;
  QAction* mnAbonentsBook;
  QAction* mnCodesTypes;
  QAction* mnAddNoNameNumbersToAbonBook;
  QAction* mnAddNoNameNumbersToAbonBookFromFilter;
  QAction* mnFillNumberAbonents;
  QAction* mnFillNumberAbonentsFilter;
  QAction* mnFillCodesTypes;
  QAction* mnReturnCodesTypes;
  QAction* mnChangeCodesTypes;
  QAction* mnToCountAndFindMaxActivity;
  QAction* mnToCountAndFindMaxActivityFilter;
  QAction* mnCountFilterStatistic;
  QMenu* mnService;
  QAction* mnSettings;
  QAction* mnServicesID;
  QAction* mnRegisterFields;
  QAction* mnDBFields;
  QAction* mnDBReCreate;
  QAction* mnDBReOpen;
  QAction* mnDBIndexReCreate;
  QAction* mnLoadOldDetalizationBase;
  QMenu* mnQuestion;
  QAction* mnSetupBDE;
  QAction* mnAbout;
  QAction* mnAddPhoneNumberToFilterNumber;
  QAction* mnPhoneNumberToClipboard;

  // Models of the lists.
  zvonar::ResultRowsModel* lvFilterModel;
  zvonar::TextRowsModel* lvStatModel;
  zvonar::TextRowsModel* lvCountsModel;

  // Check-box handlers: enabled states of the value boxes and the index rule.
  void chkbFilterOwnerClick();
  void chkbFilterDateClick();
  void chkbFilterNumberClick();
  void chkbFilterCodeClick();
  void chkbFilterTypeClick();
  void chkbFilterOperCodeClick();
  void chkbFilterExcludeClick();
  void edFilterOwnerChange();
  void dtpDateBeginChange();
  void dtpDateEndChange();
  void btnSortFilterOwnerClick();
  void mnExitClick();
  void mnAboutClick();
  void mnSetupBDEClick();
  void mnDBReOpenClick();
  void mnShowMonthSummaryClick();
  void mnAddDetalizationClick();
  void mnUndoClick();
  // Enables Undo Last Import when the journal's last import still has live,
  // unchanged records.
  void UpdateUndoEnabled();
  // Where the window's changes are recorded, within the settings' bounds.
  zvonar::HistoryPlace HistoryPlaceHere() const;
  // The name of a change in the history: its command's caption.
  QString ChangeCaption(const zvonar::ImportEntry& entry) const;
  void btnCheckedDataFilterClick();
  void mnCountFilterStatisticClick();
  void mnToCountAndFindMaxActivityClick();
  void mnToCountAndFindMaxActivityFilterClick();
  void mnDBIndexReCreateClick();
  // The codes/types commands of the Abonents menu.
  void mnCodesTypesClick();
  void mnFillCodesTypesClick();
  void mnReturnCodesTypesClick();
  void mnChangeCodesTypesClick();
  void mnAbonentsBookClick();
  void mnAddNoNameNumbersToAbonBookClick();
  void mnAddNoNameNumbersToAbonBookFromFilterClick();
  void mnFillNumberAbonentsClick();
  void mnFillNumberAbonentsFilterClick();
  void mnSettingsClick();
  void mnServicesIDClick();
  void mnRegisterFieldsClick();
  void mnDBFieldsClick();
  // The list commands (MainFormLists.cpp): filtered-list files, the CSV
  // export, the old base, the result list's order and the context menu.
  QAction* mnExportFilteredCsv = nullptr;
  void mnSaveFilteredClick();
  void mnLoadFilteredClick();
  void mnExportFilteredCsvClick();
  // The result list, its statistic and the panel's criteria as an .xlsx
  // file.
  QAction* mnExportFilteredXlsx = nullptr;
  void mnExportFilteredXlsxClick();
  // The file an export of the result list writes, chosen with `typeFilter`
  // first and given `extension` when it has none; empty when the user
  // cancelled or the name was refused (after telling the user).
  std::string ChooseExportFile(const QString& typeFilter, std::string_view extension);
  // The result list's column titles as the list shows them.
  zvonar::ColumnTitles ListTitles() const;
  void mnLoadOldDetalizationBaseClick();
  // Sorts lvFilter by the column last clicked.
  void lvFilterColumnClick();
  // Rows in an order of their own (a filter run, a loaded list): no column's
  // sort indicator stands over them.
  void ForgetFilterSort();
  void mnAddPhoneNumberToFilterNumberClick();
  void mnPhoneNumberToClipboardClick();
  void dbgDetalizCellClick();
  // The Delete key released in the grid: deletes the current record, after
  // asking when ConfirmDelete is on.
  void dbgDetalizKeyUp();
  // The print commands: the result list (and its statistic) or the
  // statistic alone, in the report preview.
  void mnPrintFilterClick();
  void mnPrintFilterStatClick();
  // Opens the chart window over the figures of lvFilter.
  void mnChartsClick();
  void mnFindDuplicatesClick();

  // The welcome over the result list while the table has no records and
  // lvFilter no rows (MainFormWelcome.cpp): what the program does, Add
  // Detalization and the import of the shipped example bills.
  QFrame* frWelcome = nullptr;
  QLabel* lWelcome = nullptr;
  QPushButton* btnWelcomeAddDetalization = nullptr;
  QPushButton* btnWelcomeExamples = nullptr;
  // Copies the shipped example bills and their books into the data
  // directory and imports the bills as Add Detalization does.
  void btnWelcomeExamplesClick();
  // Shows or hides the welcome after the record count or the result list.
  void UpdateWelcome();
  // Imports bills dropped onto the window (local file URLs) as Add
  // Detalization imports chosen files; other URLs are passed over.
  void ImportDroppedFiles(const QList<QUrl>& urls);

  // The find bars atop the result list and the grid (MainFormFind.cpp),
  // and the Ctrl+F command that opens one of them.
  zvonar::FindBar* lvFilterFind = nullptr;
  zvonar::FindBar* dbgDetalizFind = nullptr;
  QAction* mnFind = nullptr;
  void mnFindClick();

  // Fills the owner box from the owners file and shows the first record's
  // owner and date.
  void LoadOwners(const std::string& path, bool showCounts, bool showSplash);
  // Grid column titles, alignments and widths after lvFilter's columns.
  void SetupGridColumns();

  // Font size of the grid, the lists and the owner box; height of the
  // counts row.
  void ApplyFontAndCountsHeight(int fontSize, int countsHeight, bool setCountsHeight);
  // One empty row in the counts list.
  void ResetCountsRow();
  // Rows of lvStat: one per item of cbFilterCode, then the AllText row.
  void BuildStatRows();
  void ShowStatRows(std::vector<zvonar::StatRow> stat);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Coming to the front looks for other programs' changes of the table.
  void changeEvent(QEvent* event) override;

 private:
  void CreateControlPanel();
  void CreateMainArea();
  void CreateMenus();
  void ConnectHandlers();
  void ConnectListCommands();
  void ApplyListTexts(const zvonar::LanguageFile& lang);
  void CreateWelcome();
  void CreateFindBars();
  void ApplyFindTexts(const zvonar::LanguageFile& lang);
  // The grid's rows as the find bar searches them, read from the table with
  // the splash when it is large; none while the grid is detached.
  zvonar::Status ReadGridFindRows(zvonar::FindRows* rows);
  void ApplyWelcomeTexts(const zvonar::LanguageFile& lang);
  // Imports `paths` one by one as chosen in Add Detalization, asking before
  // a bill imported already; with `remember` their folder becomes the one
  // the file choosers start in.
  void ImportBills(std::vector<std::string> paths, bool remember);
  // Makes the grid's current row the table's current record; true when the
  // table has a current record.
  bool CurrentGridRecord();
  // The phone number of the context menu: the grid's current record's,
  // replaced by that of the selected lvFilter row (whose selection is then
  // cleared); false when there is neither.
  bool PhoneNumberFromViews(QString* number);
  // The File menu's Charts command, enabled while lvFilter has rows.
  void CreateChartsCommand();
  // Find Duplicates in the File menu (MainFormDuplicates.cpp).
  void CreateDuplicatesCommand();
  void ReadSettings(bool fileExists);
  // Window size, grid height and column widths from the settings, and the
  // least sizes that keep the control panel and the lists readable in the
  // fonts in use.
  void ApplyStoredSizes();
  // The sizes back into the settings: those the user changed as pixels,
  // the others as they were read.
  void StoreSizes();
  void LoadReferenceFiles();
  void ApplyLanguageGroups(const zvonar::LanguageFile& lang);
  void WriteControlsToSettings();
  void ApplyIndexRule();
  void FirstActivation();
  // Takes the data directory's lock; false when another window holds it.
  bool TakeInstanceLock();
  // Month names of the date pickers and Qt's own texts in the language of
  // the language file `languageBaseName`.
  void UseLanguageLocale(std::string_view languageBaseName);
  // The control panel as filter criteria; false (after telling the user)
  // when a box holds a character the program cannot keep.
  bool ReadFilterCriteria(zvonar::FilterCriteria* criteria);
  // ReadFilterCriteria, then whether a run may start: false, told to the
  // user where it must be, when the criteria or the table refuse it.
  bool ReadFilterRun(zvonar::FilterCriteria* criteria);
  // Runs `scan` over the table with the splash, the hourglass and the grid
  // detached; `scan` gets the splash's progress.
  void ScanWithSplash(const std::function<void(const zvonar::ProgressFn&)>& scan);
  // Rebuilds lvStat from cbFilterCode and computes it over lvFilter.
  bool ComputeStatistic(QString* error = nullptr);
  // The statistic of lvFilter's rows with the captions of cbFilterCode.
  zvonar::Status StatisticOfList(std::vector<zvonar::StatRow>* stat) const;
  zvonar::NameValueList LoadAbonentsBookLines() const;
  // Writes the collected no-name lines into the book, refills the number
  // filter's list from it and says how many numbers were added.
  void AddNoNameLines(const std::vector<std::string>& lines);
  zvonar::CountsRow CurrentCountsRow() const;
  void ShowCounts(const zvonar::CountsRow& row);
  // Where the file choosers start: the last folder used (this run's, else
  // the remembered Add Detalization folder when it is kept), else the home
  // folder; never the data directory or a folder inside it.
  QString BillDirectory() const;
  // The folder of `file` becomes the one the file choosers start in.
  void RememberChooserFolder(const QString& file);
  // The native path of a file the user picks in the open dialog (filter
  // entry 1-based), or empty when cancelled or missing.
  std::string ChooseExistingFile(const QString& dir, int filterIndex);
  // Imports one bill of an Add Detalization choice under `splash`, asking
  // before a bill the journal holds, and shows its own messages; returns
  // the line for the closing list ("FILE: N records added", "FILE:
  // skipped" or where it stopped).
  QString ImportOneBill(const std::string& path, zvonar::SplashScope& splash);
  // One run of the import with the grid detached and the counters updated.
  zvonar::Status RunBillImport(const std::string& path, bool again, zvonar::SplashScope& splash,
                               zvonar::ImportResult* result);
  // The messages of one finished import of the bill `name`.
  void ShowImportMessages(const QString& name, const zvonar::ImportResult& result, const zvonar::Status& s);
  // Which text cells of the bill `name` were cut, by line and column.
  void ShowCutCells(const QString& name, const zvonar::ImportResult& result);
  void ShowFirstRecord();
  void UpdateCounters();
  // stRecNo: the current record's number, 1 to the record count, or 0.
  void ShowRecNo();
  void CloseTable();
  // The table is locked only while the window reads or writes it, and
  // other programs' changes found by a read are shown after it.
  void ShareTableWithWriters();
  // Takes the table for a moment, so that changes of other programs show.
  void LookForOthersChanges();
  void ShowOthersChanges();
  // An added text as the language file gives it.
  QString AddedTextOf(zvonar::AddedText t) const;
  // An error box for a failed table command: the language's "in use" text
  // when another program keeps the table, else `message` and the reason.
  void ShowTableError(const QString& message, const zvonar::Status& s);
  // An information box with added text `t`, its %1 replaced by `count`.
  void ShowAddedInfo(zvonar::AddedText t, qulonglong count);
  // The code and type filter lists, and the captions of the statistic rows
  // there are, from codetype.dat when it exists.
  void RefreshCodeTypeBoxes();
  // Runs a rewrite of fields of every record with the hourglass, the splash
  // (created when `showSplash`) and stRecNo following it, the grid detached
  // meanwhile. Returns how many records it changed, or nothing after it
  // showed why it failed.
  std::optional<std::uint32_t> RewriteRecords(
      const std::function<zvonar::Status(const zvonar::ProgressFn&, std::uint32_t*)>& rewrite, bool showSplash);
  // Fill (markers to texts) or return (texts to markers) with codetype.dat.
  void RewriteWithCodeTypes(bool fill);
  // The widths of Abonent, Code and Type: of the open table, else those the
  // DB Fields settings would create it with.
  zvonar::BookFieldWidths BookWidths() const;
  // The closing message of a command that changed records: `done`, then
  // how many records a fill left because a text did not fit.
  void ReportRewrite(const QString& done, const zvonar::LeftRecords& left);
  // Whether abonents.dat is there; when not, says so.
  bool HasAbonentsBook();

  // The report header: the owner box's text and the period of the date
  // boxes, "yyyy.mm.dd - yyyy.mm.dd".
  std::string ReportOwner() const;
  std::string ReportPeriod() const;
  zvonar::ReportWords ReportWordsInUse() const;
  void ShowReport(const std::vector<zvonar::ReportPage>& pages);

  std::string programDir_;
  zvonar::Prompts* prompts_;
  zvonar::MainSettings settings_;
  // The parser's markers, as read at start; the Register Fields dialog
  // edits the lines written back at exit, which the parser reads at the
  // next start.
  zvonar::RegisterFields registerFields_;
  zvonar::RegisterFields registerFieldsFile_;
  // The table's file type as read at start; a new DB_Type names the table
  // from the next start on.
  std::string tableDbType_;
  std::unique_ptr<zvonar::Table> table_;
  zvonar::TableGridModel* gridModel_ = nullptr;
  QLabel* panelCaption_ = nullptr;
  zvonar::InstanceLock instanceLock_;
  bool dataDirInUse_ = false;
  bool othersChangesPending_ = false;  // ShowOthersChanges is queued
  bool activated_ = false;
  // The sizes ApplyStoredSizes gave, to tell the user's changes at exit.
  QSize appliedSize_;
  std::array<int, 12> appliedFilterCols_{};
  std::array<int, 4> appliedStatCols_{};
  bool saved_ = false;
  // A file that could not be read is not written over at exit.
  bool settingsUnreadable_ = false;
  bool fieldsUnreadable_ = false;
  bool ownersUnreadable_ = false;  // Tellura.dat is then not written over at exit
  // The folder of the last file chosen or dropped in this run (UTF-8).
  QString lastFolder_;
  // The user has chosen or typed an owner in edFilterOwner: an import then
  // leaves the box alone.
  bool ownerPicked_ = false;
  // The lvFilter column last clicked (0 = Owner), and whether a second
  // click on it turned the order round.
  int sortColumn_ = 0;
  bool sortDescending_ = false;
};
