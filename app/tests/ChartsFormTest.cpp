// The chart window over hand-made figures, and the File menu's command that
// opens it over the result list.
#include <QAbstractBarSeries>
#include <QAction>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChartView>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QValueAxis>
#include <QtTest>

#include "app/ChartsForm.h"
#include "app/MainForm.h"
#include "app/tests/StartMainForm.h"
#include "base/tests/TestSupport.h"
#include "ui/ListModels.h"
#include "ui/tests/ScriptedPrompts.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::TempDir;

namespace {

ResultRows SampleRows() {
  ResultRows rows;
  const auto add = [&rows](const char* date, const char* number, const char* type, const char* min, const char* cost) {
    rows.Append({"79001", date, number, "", "1", type, "60", min, cost, "", cost, ""});
  };
  add("2023.12.31 23:30:00", "79031112233", "out", "3", "4.50");
  add("2024.01.02 10:00:00", "79265554433", "in", "2", "0.00");
  add("2024.02.05 10:15:00", "79265554433", "out", "5", "7.25");
  add("2024.02.06 11:00:00", "79031112233", "SMS", "0", "x");  // a cost that is no number
  return rows;
}

QString English(AddedText t) {
  return QString::fromLatin1(EnglishText(t));
}

QAbstractBarSeries* SeriesOf(QChartView* view) {
  return qobject_cast<QAbstractBarSeries*>(view->chart()->series().value(0));
}

QStringList Categories(QChartView* view) {
  for (QAbstractAxis* axis : view->chart()->axes())
    if (auto* categories = qobject_cast<QBarCategoryAxis*>(axis)) return categories->categories();
  return {};
}

}  // namespace

class ChartsFormTest : public QObject {
  Q_OBJECT

 private slots:
  void TabsShowTheFigures() {
    ScriptedPrompts prompts;
    const CallFigures figures = ComputeCallFigures(SampleRows(), nullptr, "");
    TChartsForm form(figures, "russian", English, &prompts, "/tmp");
    QCOMPARE(form.pcCharts->count(), 4);

    // Months across the year end, named as the program names them.
    auto* cost = form.findChild<QChartView*>("chCostByMonth");
    QVERIFY(cost != nullptr);
    QCOMPARE(Categories(cost), QStringList({"Декабрь 2023", "Январь 2024", "Февраль 2024"}));
    const QList<QBarSet*> costSets = SeriesOf(cost)->barSets();
    QCOMPARE(costSets.size(), 1);  // only "out" has a cost
    QCOMPARE(costSets[0]->label(), QString("out"));
    QCOMPARE(costSets[0]->at(0), 4.5);
    QCOMPARE(costSets[0]->at(1), 0.0);
    QCOMPARE(costSets[0]->at(2), 7.25);
    const QList<QBarSet*> minuteSets = SeriesOf(form.findChild<QChartView*>("chMinutesByMonth"))->barSets();
    QCOMPARE(minuteSets.size(), 2);  // out 8, in 2; SMS has none
    QCOMPARE(minuteSets[1]->label(), QString("in"));
    QCOMPARE(minuteSets[1]->at(1), 2.0);

    // Top numbers: the largest at the top, the last category of the axis.
    auto* topCost = form.findChild<QChartView*>("chTopByCost");
    QCOMPARE(Categories(topCost).last(), QString("79265554433"));
    QCOMPARE(SeriesOf(topCost)->barSets()[0]->at(1), 7.25);

    auto* hours = form.findChild<QChartView*>("chByHour");
    QCOMPARE(Categories(hours).size(), 24);
    QCOMPARE(SeriesOf(hours)->barSets()[0]->at(10), 2.0);
    auto* weekdays = form.findChild<QChartView*>("chByWeekday");
    QCOMPARE(Categories(weekdays).size(), 7);
    QCOMPARE(SeriesOf(weekdays)->barSets()[0]->at(0), 1.0);  // Monday, 5 February
    QCOMPARE(SeriesOf(weekdays)->barSets()[0]->at(6), 1.0);  // Sunday, 31 December

    QVERIFY(!form.lSkippedCells->isHidden());
    QVERIFY(form.lSkippedCells->text().startsWith("1 "));
  }

  void SavesEachTabInItsSize() {
    ScriptedPrompts prompts;
    TempDir dir;
    TChartsForm form(ComputeCallFigures(SampleRows(), nullptr, ""), "english", English, &prompts, "/tmp");
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (int tab = 0; tab < form.pcCharts->count(); ++tab) {
      form.pcCharts->setCurrentIndex(tab);
      QApplication::processEvents();
      const QString png = QString::fromStdString(dir.File("tab" + std::to_string(tab) + ".png"));
      QVERIFY(form.SaveImage(png));
      const QImage image(png);
      QCOMPARE(image.size(), form.pcCharts->currentWidget()->size() * form.devicePixelRatio());
    }
    // Through the button: the chosen type's extension is added, an SVG.
    prompts.files = {QString::fromStdString(dir.File("picture.svg")), QString::fromStdString(dir.File("bare"))};
    QTest::mouseClick(form.btnSaveImage, Qt::LeftButton);
    QFile svg(QString::fromStdString(dir.File("picture.svg")));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    const QByteArray text = svg.readAll();
    QVERIFY(text.contains("<svg"));
    QVERIFY(text.contains("</svg>"));
    QTest::mouseClick(form.btnSaveImage, Qt::LeftButton);
    QVERIFY(!QImage(QString::fromStdString(dir.File("bare.png"))).isNull());
    // A folder that does not exist: an error box, nothing else.
    prompts.files = {QString::fromStdString(dir.File("missing/x.png"))};
    QTest::mouseClick(form.btnSaveImage, Qt::LeftButton);
    QCOMPARE(prompts.errors.size(), 1);
    QVERIFY(prompts.errors[0].contains("missing/x.png"));

    // Never over a file of the program's data directory, never a device.
    form.SetDataDir(dir.path());
    testing::WriteOrDie(dir.File("Tellura.dbf"), "table");
    prompts.files = {QString::fromStdString(dir.File("Tellura.dbf")), "/dev/full"};
    QTest::mouseClick(form.btnSaveImage, Qt::LeftButton);
    QTest::mouseClick(form.btnSaveImage, Qt::LeftButton);
    QCOMPARE(prompts.errors.mid(1), (QStringList{QString::fromStdString("cannot write to " + dir.File("Tellura.dbf") +
                                                                        ": it is the program's own file Tellura.dbf"),
                                                 "/dev/full is a device, not a regular file"}));
    QCOMPARE(testing::ReadOrEmpty(dir.File("Tellura.dbf")), std::string("table"));
    QVERIFY(!QFile::exists("/dev/full.png"));
  }

  // Month and weekday names in the window's language, whole-number ticks
  // on the count axes.
  void EnglishNamesAndWholeCounts() {
    ScriptedPrompts prompts;
    TChartsForm form(ComputeCallFigures(SampleRows(), nullptr, ""), "english", English, &prompts, "/tmp");
    QCOMPARE(Categories(form.findChild<QChartView*>("chCostByMonth")),
             QStringList({"December 2023", "January 2024", "February 2024"}));
    QCOMPARE(Categories(form.findChild<QChartView*>("chByWeekday")),
             QStringList({"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}));
    for (const char* name : {"chByHour", "chByWeekday"}) {
      auto* view = form.findChild<QChartView*>(name);
      auto* counts = qobject_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical).value(0));
      QVERIFY(counts != nullptr);
      QCOMPARE(counts->labelFormat(), QString("%d"));
      QCOMPARE(counts->tickType(), QValueAxis::TicksDynamic);
      QCOMPARE(counts->tickInterval(), 1.0);  // at most 2 records an hour or a day
      QCOMPARE(counts->min(), 0.0);
      QCOMPARE(counts->max(), 2.0);
    }
  }

  void MenuCommandFollowsTheResultList() {
    TempDir dir;
    ScriptedPrompts prompts;
    // Types still holding raw codes: the legend shows the code/type table's
    // texts, with the records already filled; an unknown code as it stands.
    testing::WriteOrDie(dir.File("codetype.dat"), "1=out\r\n2=Incoming call\r\n");
    ResultRows rows = SampleRows();
    rows.Append({"79001", "2024.02.07 10:00:00", "79031112233", "", "1", "1", "60", "1", "1.75", "", "1.75", ""});
    rows.Append({"79001", "2024.02.07 11:00:00", "79031112233", "", "2", "2", "60", "4", "0.00", "", "0.00", ""});
    rows.Append({"79001", "2024.02.07 12:00:00", "79031112233", "", "51", "51", "0", "0", "3.00", "", "3.00", ""});
    auto form = testing::StartMainForm(dir, &prompts);
    QVERIFY(!form->mnCharts->isEnabled());
    QVERIFY(form->mnFile->actions().contains(form->mnCharts));
    form->lvFilterModel->SetRows(SampleRows());
    QVERIFY(form->mnCharts->isEnabled());
    form->lvFilterModel->SetRows(std::move(rows));
    bool opened = false;
    QStringList costLegend, minutesLegend;
    QTimer::singleShot(0, form.get(), [&] {
      auto* charts = qobject_cast<TChartsForm*>(QApplication::activeModalWidget());
      opened = charts != nullptr && charts->pcCharts->count() == 4;
      if (opened) {
        for (QBarSet* set : SeriesOf(charts->findChild<QChartView*>("chCostByMonth"))->barSets())
          costLegend << set->label() + "=" + QString::number(set->sum());
        for (QBarSet* set : SeriesOf(charts->findChild<QChartView*>("chMinutesByMonth"))->barSets())
          minutesLegend << set->label() + "=" + QString::number(set->sum());
      }
      if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
    form->mnCharts->trigger();
    QVERIFY(opened);
    QCOMPARE(costLegend, QStringList({"out=13.5", "51=3"}));
    QCOMPARE(minutesLegend, QStringList({"out=9", "Incoming call=4", "in=2"}));
    form->lvFilterModel->SetRows(ResultRows());
    QVERIFY(!form->mnCharts->isEnabled());
    form->close();
  }
};

QTEST_MAIN(ChartsFormTest)
#include "ChartsFormTest.moc"
