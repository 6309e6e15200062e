// Creation and destruction of the main window in their fixed order: the
// data directory's lock is taken (a second window on the same directory
// says so and stops there), the settings are read and applied, the language
// file, the reference files (codetype.dat, abonents.dat, opercode.dat) and
// fields.dat are loaded into the boxes, and the check-box handlers run. At
// exit fields.dat, Tellura.dat and the whole settings.ini are written back.
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableView>
#include <QTreeView>

#include "analysis/FilterStatistic.h"
#include "app/MainForm.h"
#include "config/OwnersFile.h"
#include "base/TextFile.h"
#include "config/AddedTexts.h"
#include "config/IniFile.h"
#include "config/LanguageFile.h"
#include "config/ShippedFiles.h"
#include "import/TextUtils.h"
#include "ui/ListModels.h"
#include "ui/Prompts.h"
#include "ui/QtLanguage.h"
#include "store/Table.h"
#include "ui/QtText.h"

using namespace zvonar;

namespace {

QStringList ToQtList(const std::vector<std::string>& items) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(items.size()));
  for (const std::string& item : items) list << ToQt(item);
  return list;
}

}  // namespace

TMainForm::TMainForm(std::string programDir, Prompts* prompts, QWidget* parent)
    : QMainWindow(parent),
      programDir_(std::move(programDir)),
      prompts_(prompts),
      table_(std::make_unique<Table>()) {
  setObjectName("MainForm");
  setWindowTitle(ProgramTitle());
  CreateControlPanel();
  CreateMainArea();
  CreateMenus();
  ConnectHandlers();
  ConnectListCommands();
  CreateFindBars();
  CreateChartsCommand();
  CreateDuplicatesCommand();
  CreateWelcome();
  if (!TakeInstanceLock()) return;
  ShareTableWithWriters();

  ResetCountsRow();
  const QDate today = QDate::currentDate();
  dtpDateBegin->setDate(today);
  dtpDateEnd->setDate(today);

  // Anything of the name counts, so that a settings.ini that is no regular
  // file is told and kept rather than taken for a missing one.
  const std::string settingsPath = JoinPath(programDir_, "settings.ini");
  struct stat settingsStat {};
  const bool settingsExist = ::stat(settingsPath.c_str(), &settingsStat) == 0;
  ReadSettings(settingsExist);
  // A first start speaks the language of the desktop.
  if (!settingsExist) settings_.language = LanguageOfSystemLocale();

  UseLanguageLocale({});
  UseLanguageTexts({});
  setWindowTitle(ProgramTitle());
  if (!settings_.language.empty()) {
    const std::string path = LanguageFilePath(programDir_, settings_.language);
    if (FileExists(path) && !LoadLanguage(path)) prompts_->ShowError(LanguageText(AddedText::LanguageFileError));
  }
  // The font first: the default column widths fit the texts in it.
  ApplyFontAndCountsHeight(settings_.fontSize, settings_.countsHeight, settings_.setCountsHeight);
  ApplyStoredSizes();

  LoadReferenceFiles();
  if (settingsExist) {
    cbFilterCode->setEditText(ToQt(settings_.filterCodeText));
    cbFilterType->setEditText(ToQt(settings_.filterTypeText));
  }
  chkbFilterOwnerClick();
  chkbFilterDateClick();
  chkbFilterNumberClick();
  chkbFilterCodeClick();
  chkbFilterTypeClick();
  chkbFilterOperCodeClick();
}

TMainForm::~TMainForm() { SaveOnExit(); }

void TMainForm::ReadSettings(bool fileExists) {
  if (fileExists) {
    const Status s = LoadMainSettings(JoinPath(programDir_, "settings.ini"), &settings_);
    if (!s.ok()) {
      // An unreadable settings.ini is kept as it is: the run goes on with
      // the defaults and the file is not written over at exit.
      settingsUnreadable_ = true;
      prompts_->ShowError(QString::fromStdString(s.message()));
    }
  }
  tableDbType_ = settings_.dbType;
  if (settings_.mainWindowState == "Maximized") setWindowState(Qt::WindowMaximized);

  chkbFilterOwner->setChecked(settings_.filterOwner);
  chkbFilterDate->setChecked(settings_.filterDate);
  chkbFilterOperCode->setChecked(settings_.filterOperCode);
  chkbFilterNumber->setChecked(settings_.filterNumber);
  chkbFilterCode->setChecked(settings_.filterCode);
  chkbFilterType->setChecked(settings_.filterType);
  chkbFilterCalls->setChecked(settings_.filterCalls);
  chkbFilterSMS->setChecked(settings_.filterSms);
  chkbFilterMMS->setChecked(settings_.filterMms);
  chkbFilterNull->setChecked(settings_.filterNull);
  chkbFilterExclude->setChecked(settings_.filterExclude);
  chkbFilterExcludeClick();
  cbFilterOperCode->setEditText(ToQt(settings_.operCodeId));

  const bool statistic = settings_.countFilterStatistic;
  lvStat->setVisible(statistic);
  mnPrintFilterStat->setEnabled(statistic);
  mnCountFilterStatistic->setEnabled(statistic);
  lType->setVisible(!statistic);
  lCode->setVisible(!statistic);

  if (settings_.saveTypeCodeDecryption) {
    lType->setText(ToQt(settings_.types));
    lCode->setText(ToQt(settings_.codes));
  }
}

void TMainForm::LoadReferenceFiles() {
  // A missing list leaves its box empty; one that is there but cannot be
  // read (no regular file, too large) is told.
  QStringList failures;
  const auto told = [&failures](const Status& s) {
    if (s.kind() != StatusKind::NotFound && !s.ok()) failures << QString::fromStdString(s.message());
    return s.ok();
  };
  std::vector<std::string> lines;
  if (told(ReadTextLines(JoinPath(programDir_, "codetype.dat"), &lines, kBookFileLimit))) {
    QStringList texts;
    for (const std::string& line : lines) texts << ToQt(TextAfterFirst(line, '='));
    SetComboItemsKeepText(cbFilterCode, texts);
    SetComboItemsKeepText(cbFilterType, texts);
    BuildStatRows();
  }
  const std::string abonents = JoinPath(programDir_, "abonents.dat");
  struct stat bookStat {};
  IniFile book;
  if (::stat(abonents.c_str(), &bookStat) == 0 && told(IniFile::Load(abonents, &book)))
    SetComboItemsKeepText(cbFilterNumber, ToQtList(book.ReadSectionKeys("Abonents")));
  if (told(ReadTextLines(JoinPath(programDir_, "opercode.dat"), &lines, kSettingsFileLimit)))
    SetComboItemsKeepText(cbFilterOperCode, ToQtList(lines));
  if (!failures.isEmpty()) prompts_->ShowError(failures.join("\n"));
  const Status s = RegisterFields::Load(JoinPath(programDir_, "fields.dat"), &registerFields_);
  registerFieldsFile_ = registerFields_;
  if (!s.ok()) {
    fieldsUnreadable_ = true;
    prompts_->ShowError(QString::fromStdString(s.message()));
  }
}

void TMainForm::ApplyFontAndCountsHeight(int fontSize, int countsHeight, bool setCountsHeight) {
  for (QWidget* w : {static_cast<QWidget*>(dbgDetaliz), static_cast<QWidget*>(lvFilter),
                     static_cast<QWidget*>(lvCounts), static_cast<QWidget*>(edFilterOwner)}) {
    QFont f = w->font();
    f.setPointSize(std::max(1, fontSize));
    w->setFont(f);
  }
  // Grid rows are as high as the grid's text.
  dbgDetaliz->verticalHeader()->setDefaultSectionSize(dbgDetaliz->fontMetrics().height() + 4);
  lvCounts->setFixedHeight(setCountsHeight ? countsHeight : (fontSize < 9 ? 36 : fontSize + 32));
}

void TMainForm::ResetCountsRow() {
  lvCountsModel->SetRows({std::vector<std::string>(12)});
}

void TMainForm::BuildStatRows() { ShowStatRows(zvonar::BuildStatRows(ComboItems(cbFilterCode), FromQtLossy(AllText))); }

void TMainForm::ShowStatRows(std::vector<StatRow> stat) {
  std::vector<std::vector<std::string>> rows;
  for (StatRow& r : stat) rows.push_back({std::move(r.caption), std::move(r.sec), std::move(r.min), std::move(r.cost)});
  lvStatModel->SetRows(std::move(rows));
}

void TMainForm::WriteControlsToSettings() {
  settings_.mainWindowState = isMaximized() ? "Maximized" : "Normal";
  StoreSizes();

  settings_.filterOwner = chkbFilterOwner->isChecked();
  settings_.filterDate = chkbFilterDate->isChecked();
  settings_.filterOperCode = chkbFilterOperCode->isChecked();
  settings_.filterNumber = chkbFilterNumber->isChecked();
  settings_.filterCode = chkbFilterCode->isChecked();
  settings_.filterType = chkbFilterType->isChecked();
  settings_.filterCalls = chkbFilterCalls->isChecked();
  settings_.filterSms = chkbFilterSMS->isChecked();
  settings_.filterMms = chkbFilterMMS->isChecked();
  settings_.filterNull = chkbFilterNull->isChecked();
  settings_.filterExclude = chkbFilterExclude->isChecked();
  settings_.operCodeId = FromQtLossy(cbFilterOperCode->currentText());
  settings_.filterCodeText = FromQtLossy(cbFilterCode->currentText());
  settings_.filterTypeText = FromQtLossy(cbFilterType->currentText());
  settings_.types = FromQtLossy(lType->text());
  settings_.codes = FromQtLossy(lCode->text());
}

void TMainForm::SaveOnExit() {
  if (saved_) return;
  saved_ = true;
  CloseTable();
  WriteControlsToSettings();
  // Each file is written on its own, so one failure does not cost the others.
  QStringList failures;
  if (!fieldsUnreadable_) {
    const Status s = registerFieldsFile_.Save(JoinPath(programDir_, "fields.dat"));
    if (!s.ok()) failures << QString::fromStdString(s.message());
  }
  if (!ownersUnreadable_) {
    const Status owners = WriteOwnersFile(JoinPath(programDir_, "Tellura.dat"), ComboItems(edFilterOwner));
    if (!owners.ok()) failures << QString::fromStdString(owners.message());
  }
  if (!settingsUnreadable_) {
    const Status s = SaveMainSettings(JoinPath(programDir_, "settings.ini"), settings_);
    if (!s.ok()) failures << QString::fromStdString(s.message());
  }
  if (!failures.isEmpty()) prompts_->ShowError(failures.join("\n"));
}

void TMainForm::closeEvent(QCloseEvent* event) {
  SaveOnExit();
  event->accept();
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!activated_) {
    activated_ = true;
    FirstActivation();
  }
}

bool TMainForm::TakeInstanceLock() {
  const Status s = instanceLock_.Acquire(programDir_);
  // A directory that cannot hold the lock file (read-only media) is worked
  // on unguarded rather than refused.
  if (s.kind() != StatusKind::InUse) return true;
  // Another window works on this directory: this one reads only the
  // language for its message, writes nothing and is never activated.
  dataDirInUse_ = true;
  saved_ = true;
  activated_ = true;
  // The message speaks the language the first window does.
  MainSettings settings;
  const std::string settingsPath = JoinPath(programDir_, "settings.ini");
  if (!FileExists(settingsPath))
    settings.language = LanguageOfSystemLocale();
  else if (!LoadMainSettings(settingsPath, &settings).ok())
    settings.language.clear();
  LanguageFile lang;
  if (!settings.language.empty() && LanguageFile::Load(LanguageFilePath(programDir_, settings.language), &lang).ok())
    UseLanguageLocale(settings.language);
  UseLanguageTexts(lang);
  prompts_->ShowError(ToQt(TextOf(lang, AddedText::AlreadyRunning)));
  return false;
}
