// The detalization table in the main window: opening or creating it at the
// first activation, the owner box filled from Tellura.dat and the first
// record, the grid's columns, the counters, and the maintenance commands
// DB Re-Open and DB-Index Re-Create.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTreeView>

#include "analysis/FilterEngine.h"
#include "app/MainForm.h"
#include "base/TextFile.h"
#include "config/AddedTexts.h"
#include "config/LanguageFile.h"
#include "config/OwnersFile.h"
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

DetalWidths WidthsOf(const MainSettings& settings) {
  DetalWidths widths{};
  for (std::size_t i = 0; i < widths.size(); ++i) widths[i] = settings.fieldWidths[i];
  return widths;
}

// The date part of a DateTime text "yyyy.mm.dd[ hh:mm:ss]".
QDate DatePart(const std::string& text) { return QDate::fromString(ToQt(text.substr(0, 10)), "yyyy.MM.dd"); }

QString WithDetail(const QString& message, const Status& s) {
  if (message.isEmpty()) return QString::fromStdString(s.message());
  return s.message().empty() ? message : QString("%1\n%2").arg(message, QString::fromStdString(s.message()));
}

}  // namespace

QString TMainForm::AddedTextOf(AddedText t) const {
  LanguageFile lang;
  if (!settings_.language.empty()) (void)LanguageFile::Load(LanguageFilePath(programDir_, settings_.language), &lang);
  return ToQt(TextOf(lang, t));
}

void TMainForm::ShowTableError(const QString& message, const Status& s) {
  if (s.kind() == StatusKind::InUse)
    prompts_->ShowError(AddedTextOf(s.message() == kTableReadByWindowText ? AddedText::TableReadByWindow
                                                                         : AddedText::TableInUse));
  else
    prompts_->ShowError(WithDetail(message, s));
}

void TMainForm::ShowAddedInfo(AddedText t, qulonglong count) {
  prompts_->ShowInfo(AddedTextOf(t).arg(count));
}

void TMainForm::CloseTable() {
  if (gridModel_ != nullptr) gridModel_->Detach();
  if (table_ && table_->IsOpen()) (void)table_->Close();
}

void TMainForm::FirstActivation() {
  CloseTable();
  Status s;
  std::string warning;
  {
    BusyCursorScope busy;
    s = OpenDetalTable(programDir_, tableDbType_, WidthsOf(settings_), table_.get(), &warning);
  }
  if (!settings_.dbTypeRefused.empty())
    prompts_->ShowError(QString::fromStdString(DbTypeRefusal(settings_.dbTypeRefused)));
  if (!warning.empty()) prompts_->ShowError(ToQt(warning));
  const bool failed = !s.ok();
  if (failed) {
    ShowTableError(AddedTextOf(AddedText::OpenTableError), s);
  } else {
    gridModel_->Attach(table_.get());
    SetupGridColumns();
  }
  LoadOwners(JoinPath(programDir_, "Tellura.dat"), true, settings_.showSplash);
  if (failed && prompts_->AskYesNo(AddedTextOf(AddedText::ReopenTableQuestion))) mnDBReOpenClick();
  edFilterOwnerChange();
  UpdateUndoEnabled();
}

void TMainForm::LoadOwners(const std::string& path, bool showCounts, bool showSplash) {
  SplashScope splash(showSplash, showSplash);
  splash.SetStage(1, 1);
  std::vector<std::string> owners;
  const Status read = ReadOwnersFile(path, &owners);
  if (!read.ok() && !ownersUnreadable_) {
    // Kept as it is, like an unreadable settings.ini, and told once.
    ownersUnreadable_ = true;
    prompts_->ShowError(QString::fromStdString(read.message()));
  }
  if (read.ok() && !owners.empty()) {
    const QSignalBlocker block(edFilterOwner);
    edFilterOwner->clear();
    for (const std::string& owner : owners) edFilterOwner->addItem(ToQt(owner));
  }
  if (edFilterOwner->count() > 0) {
    {
      const QSignalBlocker block(edFilterOwner);
      edFilterOwner->setEditText(edFilterOwner->itemText(0));
    }
    if (showCounts) {
      splash.SetStage(1, 1);
      splash.SetProgress(0, table_->IsOpen() ? table_->RecordCount() : 0);
    }
  }
  // The first record and the counters show the table whatever the owners
  // file holds: records may have come from elsewhere than a bill.
  ShowFirstRecord();
}

void TMainForm::ShowFirstRecord() {
  if (table_->IsOpen() && table_->RecordCount() > 0 && table_->First().ok()) {
    const QSignalBlocker blockOwner(edFilterOwner);
    const QSignalBlocker blockDate(dtpDateBegin);
    edFilterOwner->setEditText(ToQt(table_->FieldText(kOwnerField)));
    const QDate first = DatePart(table_->FieldText(kDateTimeField));
    if (first.isValid()) dtpDateBegin->setDate(first);
  }
  UpdateCounters();
}

void TMainForm::UpdateCounters() {
  const bool open = table_->IsOpen();
  stRecCount->setText(QString::number(open ? table_->RecordCount() : 0));
  ShowRecNo();
  UpdateWelcome();
}

void TMainForm::ShowRecNo() {
  // The current record's place among the live records in the grid's order,
  // so that records removed from the file leave no gap in the numbers.
  const bool any = table_->IsOpen() && table_->RecordCount() > 0;
  stRecNo->setText(QString::number(any ? std::min(table_->Position() + 1, table_->RecordCount()) : 0));
}

void TMainForm::SetupGridColumns() {
  QStringList captions;
  std::vector<bool> right;
  for (int c = 0; c < 12; ++c) {
    captions << lvFilterModel->Caption(c);
    right.push_back(c != 1 && c != 3 && c != 11);
  }
  gridModel_->SetCaptions(captions);
  gridModel_->SetRightAligned(std::move(right));
  for (int c = 0; c < gridModel_->columnCount(); ++c)
    dbgDetaliz->setColumnWidth(c, std::max(8, lvFilter->columnWidth(c) - (c == 0 ? 12 : 1)));
}

void TMainForm::ApplyIndexRule() {
  if (!table_ || !table_->IsOpen()) return;
  const std::string before = table_->ActiveIndex();
  if (ApplyFilterIndexRule(table_.get(), settings_.forceDateIndex, chkbFilterDate->isChecked()).ok() &&
      table_->ActiveIndex() != before && gridModel_->Attached())
    gridModel_->Reset();
}

void TMainForm::mnDBReOpenClick() {
  CloseTable();
  const std::string path = DetalTablePath(programDir_, tableDbType_);
  OpenNotes notes;
  Status s = Status::Error(StatusKind::NotFound, "the table file " + path + " does not exist");
  if (FileExists(path)) {
    BusyCursorScope busy;
    s = table_->Open(path, &notes);
  }
  if (!s.ok()) {
    ShowTableError(AddedTextOf(AddedText::ReopenTableError), s);
    UpdateCounters();
    return;
  }
  gridModel_->Attach(table_.get());
  SetupGridColumns();
  ApplyIndexRule();
  ShowFirstRecord();
}

void TMainForm::mnDBIndexReCreateClick() {
  CloseTable();
  Status s;
  {
    BusyCursorScope busy;
    s = ReCreateDetalIndex(programDir_, tableDbType_, WidthsOf(settings_), table_.get());
  }
  if (!s.ok()) ShowTableError(AddedTextOf(AddedText::OpenTableError), s);
  gridModel_->Attach(table_.get());
  SetupGridColumns();
  ApplyIndexRule();
  UpdateCounters();
}
