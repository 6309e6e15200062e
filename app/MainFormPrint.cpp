// The print commands of the File menu: the result list as a paginated
// table, with the statistic after it when the settings ask for it, or the
// statistic alone; both shown in the report preview, from which the user
// prints or exports a PDF file.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>

#include "app/MainForm.h"
#include "config/LanguageFile.h"
#include "print/ReportLayout.h"
#include "print/ReportPreview.h"
#include "ui/ListModels.h"
#include "ui/QtText.h"

using namespace zvonar;

namespace {

std::vector<StatRow> StatRowsOf(const std::vector<std::vector<std::string>>& rows) {
  std::vector<StatRow> stat;
  stat.reserve(rows.size());
  for (const auto& cells : rows) {
    StatRow row;
    std::string* fields[] = {&row.caption, &row.sec, &row.min, &row.cost};
    for (std::size_t c = 0; c < 4 && c < cells.size(); ++c) *fields[c] = cells[c];
    stat.push_back(std::move(row));
  }
  return stat;
}

}  // namespace

// The header names the chosen owner and dates when they filter the list,
// else what the listed rows hold.
std::string TMainForm::ReportOwner() const {
  if (!chkbFilterOwner->isChecked()) return ReportOwnersOf(lvFilterModel->Rows());
  return FromQtLossy(edFilterOwner->currentText());
}

std::string TMainForm::ReportPeriod() const {
  if (!chkbFilterDate->isChecked()) return ReportPeriodOf(lvFilterModel->Rows());
  const char* format = "yyyy.MM.dd";
  return FromQtLossy(dtpDateBegin->date().toString(format) + " - " + dtpDateEnd->date().toString(format));
}

// The report speaks the window's language.
ReportWords TMainForm::ReportWordsInUse() const {
  LanguageFile lang;
  if (!settings_.language.empty()) (void)LanguageFile::Load(LanguageFilePath(programDir_, settings_.language), &lang);
  return ReportWordsOf(lang);
}

void TMainForm::ShowReport(const std::vector<ReportPage>& pages) {
  ShowReportPreview(this, pages, prompts_, AddedTextOf(AddedText::ExportPdf), QString::fromStdString(programDir_),
                    BillDirectory());
}

void TMainForm::mnPrintFilterClick() {
  const ResultRows& rows = lvFilterModel->Rows();
  if (rows.Empty()) return;
  const bool withStatistic = settings_.addFilterStatisticOnPrint && settings_.countFilterStatistic;
  const std::vector<StatRow> stat = StatRowsOf(lvStatModel->Rows());
  ShowReport(
      FilterReportPages(rows, withStatistic ? &stat : nullptr, ReportOwner(), ReportPeriod(), ReportWordsInUse()));
}

void TMainForm::mnPrintFilterStatClick() {
  if (lvStatModel->Rows().empty()) return;
  ShowReport(
      StatisticReportPages(StatRowsOf(lvStatModel->Rows()), ReportOwner(), ReportPeriod(), ReportWordsInUse()));
}
