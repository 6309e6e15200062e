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
#include "ui/NativePath.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"
#include "ui/SplashForm.h"
#include "ui/TableGridModel.h"

using namespace zvonar;

void TMainForm::RefreshCodeTypeBoxes() {
  std::vector<CodeTypeRow> rows;
  if (!FileExists(CodeTypePath(programDir_)) || !LoadCodeTypes(CodeTypePath(programDir_), &rows).ok()) return;
  const std::vector<std::string> before = ComboItems(cbFilterCode);
  const std::vector<std::string> after = CodeTypeIndications(rows);
  QStringList texts;
  for (const std::string& text : after) texts << ToQt(text);
  SetComboItemsKeepText(cbFilterCode, texts);
  SetComboItemsKeepText(cbFilterType, texts);
  // A statistic row of a type takes the type's new text; the rows keep
  // their number, and the total row, the last, keeps its caption.
  const int typeRows = static_cast<int>(lvStatModel->Rows().size()) - 1;
  for (int i = 0; i < typeRows; ++i) {
    const std::string& caption = lvStatModel->Rows()[static_cast<std::size_t>(i)][0];
    const auto was = std::find(before.begin(), before.end(), caption);
    const auto k = static_cast<std::size_t>(was - before.begin());
    if (was != before.end() && k < after.size()) lvStatModel->SetCell(i, 0, after[k]);
  }
}

BookFieldWidths TMainForm::BookWidths() const {
  return table_->IsOpen() ? BookFieldWidthsOf(*table_) : BookFieldWidthsOf(settings_.fieldWidths);
}

void TMainForm::ReportRewrite(const QString& done, const LeftRecords& left) {
  if (left.count == 0) return prompts_->ShowInfo(done);
  prompts_->ShowInfo(
      done + "\n" +
      AddedTextOf(AddedText::RecordsLeft)
          .arg(QString::number(left.count), ToQt(left.text), ToQt(left.field), QString::number(left.width)));
}

void TMainForm::mnCodesTypesClick() {
  const Status s = ShowCodesTypes(this, programDir_, settings_.language, prompts_, BookWidths());
  if (!s.ok()) prompts_->ShowError(QString::fromStdString(s.message()));
  RefreshCodeTypeBoxes();
}

std::optional<std::uint32_t> TMainForm::RewriteRecords(
    const std::function<Status(const ProgressFn&, std::uint32_t*)>& rewrite, bool showSplash) {
  Status s;
  std::uint32_t changed = 0;
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
    s = rewrite(progress, &changed);
    gridModel_->Attach(table_.get());
    SetupGridColumns();
    UpdateCounters();
  }
  UpdateUndoEnabled();
  if (s.ok()) return changed;
  ShowTableError("", s);
  return std::nullopt;
}

void TMainForm::RewriteWithCodeTypes(bool fill) {
  if (!table_->IsOpen()) return prompts_->ShowInfo(AddedTextOf(AddedText::TableNotOpen));
  std::vector<CodeTypeRow> rows;
  const Status read = LoadCodeTypes(CodeTypePath(programDir_), &rows);
  if (!read.ok()) return prompts_->ShowError(QString::fromStdString(read.message()));
  if (rows.empty()) return prompts_->ShowInfo(AddedTextOf(AddedText::NoCodeTypes).arg(QtPathFromNative(programDir_)));
  // Only the fill shows the splash.
  LeftRecords left;
  const std::optional<std::uint32_t> changed = RewriteRecords(
      [&](const ProgressFn& progress, std::uint32_t* count) {
        return fill ? FillCodes(table_.get(), rows, progress, count, &left, HistoryPlaceHere())
                    : ReturnCodes(table_.get(), rows, progress, count, &left, HistoryPlaceHere());
      },
      fill && settings_.showSplash);
  if (changed) ReportRewrite(AddedTextOf(fill ? AddedText::CodesFilled : AddedText::CodesReturned).arg(*changed), left);
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
  if (mode < 0 || mode > 1) return;
  if (findText.isEmpty() || replaceText.isEmpty()) return prompts_->ShowInfo(AddedTextOf(AddedText::ChangeNeedsTexts));
  if (!table_->IsOpen()) return prompts_->ShowInfo(AddedTextOf(AddedText::TableNotOpen));
  std::string find, replace;
  QString error;
  if (!FromQt(findText, &find, &error) || !FromQt(replaceText, &replace, &error)) return prompts_->ShowError(error);
  const CodeTypeField field = mode == 0 ? CodeTypeField::Code : CodeTypeField::Type;
  const std::optional<std::uint32_t> changed = RewriteRecords(
      [&](const ProgressFn& progress, std::uint32_t* count) {
        return ChangeCodeType(table_.get(), field, find, replace, progress, count, HistoryPlaceHere());
      },
      false);
  if (changed)
    prompts_->ShowInfo(AddedTextOf(AddedText::CodeTypeChanged).arg(QString::number(*changed), findText, replaceText));
}
