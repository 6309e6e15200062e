// Sizes of the main window that follow the fonts in use. The window was
// designed in pixels of an 8-point Windows font; here the control panel,
// the statistic list and the window get at least the room their texts need,
// and the lists' default column widths show a column's usual content.
//
// settings.ini keeps MainWidth, MainHeight, ListViewCol_00..11 and
// ListViewStatCol_0..3 in pixels, as the user left them. The designed value
// of a key (800, 510; 50, 112, 85, ...; 50, 42, 40, 44) stands for "not set
// by the user": it gives the default fitted to the fonts in use. Earlier
// releases wrote those values for every size nobody touched, so their files
// get readable columns too. At exit a size the user did not change is
// written back as it was read, so a default stays a default when the font
// changes; a changed one is written in pixels. DetalizHeight is pixels.
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableView>
#include <QTreeView>
#include <algorithm>

#include "app/MainForm.h"
#include "ui/FontScale.h"
#include "ui/ListModels.h"

using namespace zvonar;

namespace {

// What a column usually shows, widest first: eleven-digit numbers, a
// date-time, code and type texts, and the sums of the counts row.
const char* const kFilterSamples[12] = {"79161234567", "2024.03.02 09:15:02",
                                        "89161234567", "",
                                        "GPRS",        "GPRS",
                                        "9999999",     "999999",
                                        "99999.99",    "999.99",
                                        "99999.99",    ""};
// The type column's sample is the caption of rows without a type, in the
// language in use.
const char* const kStatSamples[4] = {"", "99999", "9999", "9999.99"};

// Lines of the statistic list that stay in sight however full the panel is.
constexpr int kStatRowsShown = 4;

// The width a stored size gives: the stored pixels, or `fitted` when the
// stored value is the designed default.
int StoredToPixels(int stored, int designed, int fitted) {
  return stored == designed ? fitted : stored;
}

// The default width of a report-list column: its designed width in the
// view's font, widened to show its caption and its usual content, plus
// `extra` pixels that the record grid's matching column gives up.
int FittedColumnWidth(const QTreeView* view, int designed, const QString& caption, const QString& sample, int extra) {
  const int content = std::max(CellWidthFor(view, caption) + 4, CellWidthFor(view, sample));
  return std::max(ScaleWidth(designed, view->font()), content + extra);
}

}  // namespace

void TMainForm::ApplyStoredSizes() {
  const MainSettings designed;
  const QFont& font = gbControl->font();
  gbControl->setMinimumWidth(ScaleWidth(198, font));
  stRecCount->setMinimumWidth(ScaleWidth(54, font));
  stRecNo->setMinimumWidth(ScaleWidth(50, font));
  const int statRow = lvStat->fontMetrics().height() + 6;
  lvStat->setMinimumHeight(lvStat->header()->sizeHint().height() + kStatRowsShown * statRow + 2 * lvStat->frameWidth());

  // The record grid's first column is 12 pixels narrower than the list's,
  // every other one 1 pixel (the grid lays its columns out after the list).
  settings_.listViewCols.resize(kDefaultListViewCols.size());
  for (std::size_t c = 0; c < kDefaultListViewCols.size(); ++c) {
    const int col = static_cast<int>(c);
    const int fitted = FittedColumnWidth(lvFilter, kDefaultListViewCols[c], lvFilterModel->Caption(col),
                                         QString::fromUtf8(kFilterSamples[c]), c == 0 ? 12 : 1);
    appliedFilterCols_[c] = StoredToPixels(settings_.listViewCols[c], kDefaultListViewCols[c], fitted);
    lvFilter->setColumnWidth(col, appliedFilterCols_[c]);
    lvCounts->setColumnWidth(col, appliedFilterCols_[c]);
  }
  settings_.listViewStatCols.resize(kDefaultListViewStatCols.size());
  for (std::size_t c = 0; c < kDefaultListViewStatCols.size(); ++c) {
    const int col = static_cast<int>(c);
    // The type column shows the caption of rows without a type too.
    const QString sample = c == 0 ? AddedTextOf(AddedText::StatNoType) : QString::fromUtf8(kStatSamples[c]);
    const int fitted = FittedColumnWidth(lvStat, kDefaultListViewStatCols[c], lvStatModel->Caption(col), sample, 0);
    appliedStatCols_[c] = StoredToPixels(settings_.listViewStatCols[c], kDefaultListViewStatCols[c], fitted);
    lvStat->setColumnWidth(col, appliedStatCols_[c]);
  }

  // The window is never lower than designed nor than its controls need.
  setMinimumHeight(std::max(designed.mainHeight, minimumSizeHint().height()));
  if (!isMaximized()) {
    resize(StoredToPixels(settings_.mainWidth, designed.mainWidth, ScaleWidth(designed.mainWidth, font)),
           StoredToPixels(settings_.mainHeight, designed.mainHeight, ScaleHeight(designed.mainHeight, font)));
  }
  appliedSize_ = size();
  panSplitterMiddle->setSizes({settings_.detalizHeight, std::max(1, height() - settings_.detalizHeight)});
}

void TMainForm::StoreSizes() {
  // A maximized window keeps its maximized size; a minimized one its size
  // before it was minimized.
  const QSize size = isMinimized() ? normalGeometry().size() : this->size();
  if (size.width() != appliedSize_.width()) settings_.mainWidth = size.width();
  if (size.height() != appliedSize_.height()) settings_.mainHeight = size.height();
  // The grid has its laid-out height only once the window was shown.
  if (activated_) settings_.detalizHeight = panSplitterMiddle->sizes().value(0);
  for (std::size_t c = 0; c < appliedFilterCols_.size(); ++c) {
    const int width = lvFilter->columnWidth(static_cast<int>(c));
    if (width != appliedFilterCols_[c]) settings_.listViewCols[c] = width;
  }
  for (std::size_t c = 0; c < appliedStatCols_.size(); ++c) {
    const int width = lvStat->columnWidth(static_cast<int>(c));
    if (width != appliedStatCols_[c]) settings_.listViewStatCols[c] = width;
  }
}
