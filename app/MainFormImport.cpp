// Commands of the File menu that read bills and their month summaries.
#include <QComboBox>

#include "app/MainForm.h"
#include "app/TextFile.h"
#include "config/LanguageFile.h"
#include "import/MemoForm.h"
#include "import/TextUtils.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"

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
