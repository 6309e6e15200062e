// The chart window. Amounts come as hundredths from the figures and are
// drawn in units; a stacked month chart keeps the seven largest types of its
// figure and adds the rest up as one more, so the legend stays readable.
#include "app/ChartsForm.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDialogButtonBox>
#include <QGraphicsLayout>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QStackedBarSeries>
#include <QSvgGenerator>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "base/OutputFile.h"
#include "ui/Busy.h"
#include "ui/NativePath.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"

using namespace zvonar;

namespace {

constexpr std::size_t kStackedTypes = 7;
constexpr std::size_t kTopNumbers = 10;

double Units(std::int64_t hundredths) {
  return static_cast<double>(hundredths) / 100.0;
}

QChartView* ViewOf(QChart* chart, const char* name) {
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->layout()->setContentsMargins(0, 0, 0, 0);
  auto* view = new QChartView(chart);
  view->setObjectName(name);
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumSize(320, 240);
  return view;
}

QValueAxis* ValueAxis(const QString& title) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  axis->setLabelFormat("%.10g");
  return axis;
}

// Puts `series` into `chart` over categories `names` (along x, or along y
// for horizontal bars, turned by `labelsAngle` degrees) and values titled
// `valueTitle`.
void AddBars(QChart* chart, QAbstractBarSeries* series, const QStringList& names, const QString& categoryTitle,
             const QString& valueTitle, bool horizontal, int labelsAngle = 0) {
  chart->addSeries(series);
  auto* categories = new QBarCategoryAxis;
  categories->append(names);
  categories->setTitleText(categoryTitle);
  categories->setLabelsAngle(labelsAngle);
  if (horizontal) {
    // Ten names one above the other in half the window: a point smaller
    // keeps each within its bar's height, where the axis would elide it.
    QFont font = categories->labelsFont();
    font.setPointSizeF(font.pointSizeF() - 1);
    categories->setLabelsFont(font);
  }
  QValueAxis* values = ValueAxis(valueTitle);
  chart->addAxis(categories, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
  chart->addAxis(values, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
  series->attachAxis(categories);
  series->attachAxis(values);
  values->applyNiceNumbers();
}

// Records are counted in whole numbers, so their axis ticks at whole
// numbers: a step of 1, 2 or 5 times a power of ten giving at most five
// steps up to `most`.
void CountTicks(QChart* chart, std::uint64_t most) {
  const QList<QAbstractAxis*> axes = chart->axes(Qt::Vertical);
  auto* axis = axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.first());
  if (axis == nullptr) return;
  std::uint64_t step = 1;
  for (std::uint64_t power = 1; step * 5 < most; power *= 10) {
    for (const std::uint64_t m : {1u, 2u, 5u}) {
      step = m * power;
      if (step * 5 >= most) break;
    }
  }
  const std::uint64_t top = std::max<std::uint64_t>(1, (most + step - 1) / step) * step;
  axis->setLabelFormat("%d");
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0);
  axis->setTickInterval(static_cast<double>(step));
  axis->setRange(0, static_cast<double>(top));
}

}  // namespace

TChartsForm::TChartsForm(const CallFigures& figures, const std::string& language,
                         std::function<QString(AddedText)> text, Prompts* prompts, QString dir, QWidget* parent)
    : QDialog(parent), text_(std::move(text)), prompts_(prompts), dir_(std::move(dir)) {
  setObjectName("ChartsForm");
  QString title = text_(AddedText::ChartsMenu);
  while (title.endsWith('.')) title.chop(1);
  setWindowTitle(title.remove('&'));
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  resize(1040, 740);

  QStringList months;
  for (const FigureGroup& m : figures.months) months << ToQt(FigureLabel(m, FigureGrouping::Month, language));

  // Cost or minutes per month, one bar part per type.
  const auto stacked = [&](bool cost, const char* name) {
    const auto figureOf = [cost](const FigureSums& s) { return cost ? s.cost : s.min; };
    std::vector<std::size_t> order;
    for (std::size_t t = 0; t < figures.types.size(); ++t)
      if (figureOf(figures.types[t].sums) != 0) order.push_back(t);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return figureOf(figures.types[a].sums) > figureOf(figures.types[b].sums);
    });
    auto* series = new QStackedBarSeries;
    const std::size_t shown = order.size() > kStackedTypes + 1 ? kStackedTypes : order.size();
    for (std::size_t k = 0; k <= shown && k < order.size(); ++k) {
      const bool rest = k == shown;
      const std::string& type = figures.types[order[k]].key;
      auto* set = new QBarSet(rest           ? text_(AddedText::ChartsOtherTypes)
                              : type.empty() ? text_(AddedText::ChartsNoType)
                                             : ToQt(type));
      for (const auto& perType : figures.monthTypes) {
        std::int64_t v = 0;
        for (std::size_t j = k; j < (rest ? order.size() : k + 1); ++j) v += figureOf(perType[order[j]]);
        *set << Units(v);
      }
      series->append(set);
    }
    auto* chart = new QChart;
    chart->setTitle(text_(cost ? AddedText::ChartsCostByMonth : AddedText::ChartsMinutesByMonth));
    AddBars(chart, series, months, text_(AddedText::ChartsMonth),
            text_(cost ? AddedText::ChartsCost : AddedText::ChartsMinutes), false, months.size() > 8 ? -90 : 0);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return ViewOf(chart, name);
  };

  // The numbers with the most minutes or cost, largest at the top.
  const auto top = [&](FigureOrder by, const char* name) {
    std::vector<FigureGroup> groups = TopGroups(figures.numbers, by, kTopNumbers);
    // A number without minutes (a monthly fee) has no place among them.
    std::erase_if(groups, [by](const FigureGroup& g) { return FigureOf(g.sums, by) <= 0; });
    auto* set = new QBarSet(text_(by == FigureOrder::Cost ? AddedText::ChartsCost : AddedText::ChartsMinutes));
    QStringList names;
    for (auto g = groups.rbegin(); g != groups.rend(); ++g) {
      names << (g->name.empty() ? ToQt(g->key) : ToQt(g->name) + "  " + ToQt(g->key));
      *set << Units(FigureOf(g->sums, by));
    }
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    auto* chart = new QChart;
    const bool cost = by == FigureOrder::Cost;
    chart->setTitle(text_(cost ? AddedText::ChartsTopByCost : AddedText::ChartsTopByMinutes).arg(kTopNumbers));
    AddBars(chart, series, names, QString(), text_(cost ? AddedText::ChartsCost : AddedText::ChartsMinutes), true);
    chart->legend()->hide();
    return ViewOf(chart, name);
  };

  // Records per hour or weekday.
  const auto activity = [&](bool hours, const char* name) {
    auto* set = new QBarSet(text_(AddedText::ChartsRecords));
    QStringList names;
    std::uint64_t most = 0;
    const FigureGrouping by = hours ? FigureGrouping::Hour : FigureGrouping::Weekday;
    for (const FigureGroup& g : FigureGroups(figures, by)) {
      names << ToQt(FigureLabel(g, by, language));
      *set << static_cast<double>(g.sums.count);
      most = std::max(most, g.sums.count);
    }
    auto* series = new QBarSeries;
    series->append(set);
    auto* chart = new QChart;
    chart->setTitle(text_(hours ? AddedText::ChartsByHour : AddedText::ChartsByWeekday));
    AddBars(chart, series, names, text_(hours ? AddedText::ChartsHour : AddedText::ChartsWeekday),
            text_(AddedText::ChartsRecords), false);
    CountTicks(chart, most);
    chart->legend()->hide();
    return ViewOf(chart, name);
  };

  // Two charts on one tab, one above the other: the names of numbers and
  // the 24 hours need the whole width to be read.
  const auto pair = [](QWidget* first, QWidget* second) {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(first);
    box->addWidget(second);
    return page;
  };

  pcCharts = new QTabWidget(this);
  pcCharts->setObjectName("pcCharts");
  // Tabs read mnemonics.
  const auto tab = [this](AddedText t) { return QtCaption(FromQtLossy(text_(t))); };
  pcCharts->addTab(stacked(true, "chCostByMonth"), tab(AddedText::ChartsCostByMonth));
  pcCharts->addTab(stacked(false, "chMinutesByMonth"), tab(AddedText::ChartsMinutesByMonth));
  pcCharts->addTab(pair(top(FigureOrder::Min, "chTopByMinutes"), top(FigureOrder::Cost, "chTopByCost")),
                   tab(AddedText::ChartsTopNumbers));
  pcCharts->addTab(pair(activity(true, "chByHour"), activity(false, "chByWeekday")), tab(AddedText::ChartsActivity));

  lSkippedCells = new QLabel(this);
  lSkippedCells->setObjectName("lSkippedCells");
  lSkippedCells->setText(text_(AddedText::ChartsCellsSkipped).arg(figures.badCells));
  lSkippedCells->setVisible(figures.badCells > 0);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  btnSaveImage = buttons->addButton(text_(AddedText::ChartsSaveImage), QDialogButtonBox::ActionRole);
  btnSaveImage->setObjectName("btnSaveImage");
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(btnSaveImage, &QPushButton::clicked, this, Guarded(this, &TChartsForm::btnSaveImageClick, prompts_));

  auto* column = new QVBoxLayout(this);
  column->addWidget(pcCharts, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(lSkippedCells, 1);
  bottom->addWidget(buttons);
  column->addLayout(bottom);
}

bool TChartsForm::SaveImage(const QString& path) const {
  QWidget* page = pcCharts->currentWidget();
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (path.endsWith(".svg", Qt::CaseInsensitive)) {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(page->size());
    svg.setViewBox(page->rect());
    svg.setTitle(pcCharts->tabText(pcCharts->currentIndex()));
    QPainter painter(&svg);
    page->render(&painter);
    painter.end();
  } else if (!page->grab().toImage().save(&file, "PNG")) {
    return false;
  }
  return file.commit();
}

void TChartsForm::btnSaveImageClick() {
  const QString filter = text_(AddedText::ChartsImageFilter);
  QString selected = filter.section(";;", 0, 0);
  const QString chosen = prompts_->ChooseSaveFile(filter, dir_, &selected);
  if (chosen.isEmpty()) return;
  // A name typed without an extension takes the one of the chosen type.
  QString path = chosen;
  if (!path.endsWith(".png", Qt::CaseInsensitive) && !path.endsWith(".svg", Qt::CaseInsensitive))
    path += selected.contains("*.svg") ? ".svg" : ".png";
  const Status s = CheckOutputPath(NativePathFromQt(chosen), NativePathFromQt(path), dataDir_);
  if (!s.ok())
    prompts_->ShowError(QString::fromStdString(s.message()));
  else if (!SaveImage(path))
    prompts_->ShowError(text_(AddedText::ChartsImageNotSaved).arg(path));
}
