// Commands of the Abonents menu over the codes/types table: its dialog, and
// filling, returning and changing the Code and Type fields of every record.
#include <QComboBox>
#include <QLabel>

#include "app/MainForm.h"
#include "base/TextFile.h"
#include "books/ChangeCodeTypeForm.h"
#include "books/CodesTypes.h"
#include "books/CodesTypesForm.h"
#include "books/StoredText.h"
#include "store/Table.h"
#include "ui/Busy.h"
#include "ui/ListModels.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"
#include "ui/SplashForm.h"
#include "ui/TableGridModel.h"

using namespace zvonar;

void TMainForm::RefreshCodeTypeBoxes() {
  std::vector<CodeTypeRow> rows;
  if (!FileExists(CodeTypePath(programDir_)) || !LoadCodeTypes(CodeTypePath(programDir_), &rows).ok()) return;
  QStringList texts;
  for (const std::string& text : CodeTypeIndications(rows)) texts << ToQt(text);
  SetComboItemsKeepText(cbFilterCode, texts);
  SetComboItemsKeepText(cbFilterType, texts);
  // The statistic rows keep their number; only their captions follow.
  const int rowsShown = static_cast<int>(lvStatModel->Rows().size());
  for (int i = 0; i < std::min(rowsShown, static_cast<int>(rows.size())); ++i)
    lvStatModel->SetCell(i, 0, rows[i].indication);
}

BookFieldWidths TMainForm::BookWidths() const {
  return table_->IsOpen() ? BookFieldWidthsOf(*table_) : BookFieldWidthsOf(settings_.fieldWidths);
}

void TMainForm::ReportLeftRecords(const LeftRecords& left) {
  if (left.count == 0) return;
  prompts_->ShowInfo(
      AddedTextOf(AddedText::RecordsLeft)
          .arg(QString::number(left.count), ToQt(left.text), ToQt(left.field), QString::number(left.width)));
}

void TMainForm::mnCodesTypesClick() {
  const Status s = ShowCodesTypes(this, programDir_, settings_.language, prompts_, BookWidths());
  if (!s.ok()) prompts_->ShowError(QString::fromStdString(s.message()));
  RefreshCodeTypeBoxes();
}

void TMainForm::RewriteRecords(const std::function<Status(const ProgressFn&, std::uint32_t*)>& rewrite,
                                 bool showSplash) {
  Status s;
  {
    BusyCursorScope busy;
    SplashScope splash(showSplash);
    if (CurrentSplash() != nullptr) {
      splash.SetStage(1, 1);
      splash.SetProgress(0, 1);
    }
    const ProgressFn paint = splash.Progress();
    const ProgressFn progress = [&](std::int64_t done, std::int64_t total) {
      if (done % 4096 == 0 || done == total) stRecNo->setText(QString::number(done));
      if (paint) paint(done, total);
    };
    gridModel_->Detach();
    std::uint32_t changed = 0;
    s = rewrite(progress, &changed);
    gridModel_->Attach(table_.get());
    SetupGridColumns();
    UpdateCounters();
  }
  if (!s.ok()) ShowTableError("", s);
}

void TMainForm::RewriteWithCodeTypes(bool fill) {
  std::vector<CodeTypeRow> rows;
  const Status read = LoadCodeTypes(CodeTypePath(programDir_), &rows);
  if (!read.ok()) return prompts_->ShowError(QString::fromStdString(read.message()));
  if (rows.empty() || !table_->IsOpen()) return;
  // Only the fill shows the splash.
  LeftRecords left;
  RewriteRecords(
      [&](const ProgressFn& progress, std::uint32_t* changed) {
        return fill ? FillCodes(table_.get(), rows, progress, changed, &left)
                    : ReturnCodes(table_.get(), rows, progress, changed, &left);
      },
      fill && settings_.showSplash);
  ReportLeftRecords(left);
}

void TMainForm::mnFillCodesTypesClick() {
  RewriteWithCodeTypes(true);
}

void TMainForm::mnReturnCodesTypesClick() {
  RewriteWithCodeTypes(false);
}

void TMainForm::mnChangeCodesTypesClick() {
  QStringList items;
  for (const std::string& item : ComboItems(cbFilterCode)) items << ToQt(item);
  int mode = 0;
  QString findText, replaceText;
  if (!AskChangeCodeType(this, programDir_, settings_.language, items, prompts_, BookWidths(), &mode, &findText,
                         &replaceText))
    return;
  if (findText.isEmpty() || replaceText.isEmpty() || mode < 0 || mode > 1 || !table_->IsOpen()) return;
  std::string find, replace;
  QString error;
  if (!FromQt(findText, &find, &error) || !FromQt(replaceText, &replace, &error)) return prompts_->ShowError(error);
  const CodeTypeField field = mode == 0 ? CodeTypeField::Code : CodeTypeField::Type;
  RewriteRecords(
      [&](const ProgressFn& progress, std::uint32_t* changed) {
        return ChangeCodeType(table_.get(), field, find, replace, progress, changed);
      },
      false);
}
