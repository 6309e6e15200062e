// The filter commands of the main window: "Filtering", "Filter Statistic"
// and the two activity commands, over a small table.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "app/MainForm.h"
#include "ui/tests/ScriptedPrompts.h"
#include "base/tests/TestSupport.h"
#include "store/DetalTable.h"
#include "store/Table.h"
#include "ui/ListModels.h"
#include "ui/SplashForm.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::TempDir;

namespace {

// owner, date-time, number, type, sec, cost
const std::vector<std::array<const char*, 6>> kRecords = {
    {"79001", "2006.05.01 10:00:00", "79031112233", "Call", "30", "1.50"},
    {"79001", "2006.05.02 11:00:00", "79265554433", "Call", "45", "1.50"},
    {"79002", "2006.05.03 12:00:00", "79031112233", "SMS", "0", "0.50"},
    {"79001", "2006.06.01 00:00:00", "79031112233", "Call", "10", "0.00"},
};

void MakeTable(const TempDir& dir) {
  Table table;
  std::string warning;
  QVERIFY(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
  for (const auto& r : kRecords) {
    QVERIFY(table.Append().ok());
    const std::string texts[12] = {r[0], r[1], r[2], "", "1", r[3], r[4], "1", r[5], "", r[5], ""};
    for (int i = 0; i < 12; ++i) QVERIFY(table.SetFieldText(i, texts[i]).ok());
    QVERIFY(table.Post().ok());
  }
  QVERIFY(table.Close().ok());
  testing::WriteOrDie(dir.File("codetype.dat"), "1=Call\r\n2=SMS\r\n3=GPRS\r\n");
  testing::WriteOrDie(dir.File("abonents.dat"), "stamp\r\n[Abonents]\r\n79031112233=Ann\r\n");
}

}  // namespace

class MainFormFilterTest : public QObject {
  Q_OBJECT

 private slots:
  void FilteringFillsTheListStatisticAndCounters() {
    for (const bool splash : {true, false}) {
      TempDir dir;
      MakeTable(dir);
      testing::WriteOrDie(dir.File("settings.ini"),
                          std::string("[Settings]\r\nShowSplash=") + (splash ? "1" : "0") + "\r\n");
      ScriptedPrompts prompts;
      TMainForm form(dir.path(), &prompts);
      form.show();
      form.chkbFilterOwner->click();
      form.edFilterOwner->setEditText("79001");
      form.btnCheckedDataFilter->click();
      QVERIFY(CurrentSplash() == nullptr);
      QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
      QCOMPARE(form.lvFilterModel->rowCount(), 3);
      QCOMPARE(form.stFilterRecCount->text(), QString("3"));
      QCOMPARE(form.dbgDetaliz->model()->rowCount(), 4);  // the grid follows the table again
      // lvStat: Call with its sums, then the total; SMS and GPRS had nothing.
      const auto& stat = form.lvStatModel->Rows();
      QCOMPARE(stat.size(), std::size_t(2));
      QCOMPARE(stat[0], (std::vector<std::string>{"Call", "85", "3", "3"}));
      QCOMPARE(stat[1], (std::vector<std::string>{"All", "85", "3", "3"}));

      // Operator ticked with an empty box: nothing happens at all.
      form.chkbFilterOperCode->click();
      form.btnCheckedDataFilter->click();
      QCOMPARE(form.lvFilterModel->rowCount(), 3);
      form.close();
    }
  }

  void ActivityCommands() {
    TempDir dir;
    MakeTable(dir);
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    form.mnToCountAndFindMaxActivity->trigger();
    auto row = form.lvCountsModel->Rows().at(0);
    QCOMPARE(row[2], std::string("79031112233"));
    QCOMPARE(row[3], std::string("Ann"));
    QCOMPARE(row[5], std::string("Call"));
    QCOMPARE(row[6], std::string("85"));
    QCOMPARE(row[8], std::string("3.5"));

    form.mnToCountAndFindMaxActivityFilter->trigger();  // empty list: nothing changes
    QCOMPARE(form.lvCountsModel->Rows().at(0), row);

    form.chkbFilterDate->click();
    form.dtpDateBegin->setDate(QDate(2006, 5, 3));
    form.btnCheckedDataFilter->click();
    QCOMPARE(form.lvFilterModel->rowCount(), 1);
    QCOMPARE(form.lvCountsModel->Rows().at(0), std::vector<std::string>(12));  // reset by the filter
    form.mnToCountAndFindMaxActivityFilter->trigger();
    row = form.lvCountsModel->Rows().at(0);
    QCOMPARE(row[5], std::string("SMS"));
    QCOMPARE(row[8], std::string("0.5"));

    form.mnCountFilterStatistic->trigger();
    QCOMPARE(form.lvStatModel->Rows().at(0).at(0), std::string("SMS"));
    QVERIFY(prompts.errors.isEmpty());
    form.close();
  }
};

QTEST_MAIN(MainFormFilterTest)
#include "MainFormFilterTest.moc"
