// The filter commands of the main window: "Filtering", "Filter Statistic"
// and the two activity commands, over a small table.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <cstdio>
#include <filesystem>

#include "app/MainForm.h"
#include "base/tests/TestSupport.h"
#include "store/DetalTable.h"
#include "store/Table.h"
#include "ui/ListModels.h"
#include "ui/SplashForm.h"
#include "ui/tests/ScriptedPrompts.h"

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

// Everything a filter run may change on screen besides the lists: splashes
// shown, and the grid leaving its table or losing its columns.
class ScreenWatch : public QObject {
 public:
  explicit ScreenWatch(TMainForm* form) : form_(form) {
    qApp->installEventFilter(this);
    QAbstractItemModel* grid = form->dbgDetaliz->model();
    const auto count = [this] { ++gridChanges; };
    connect(grid, &QAbstractItemModel::modelAboutToBeReset, this, count);
    connect(grid, &QAbstractItemModel::layoutAboutToBeChanged, this, count);
    connect(grid, &QAbstractItemModel::rowsAboutToBeRemoved, this, count);
    for (int c = 0; c < 12; ++c) form->dbgDetaliz->setColumnWidth(c, 60 + c);
  }
  ~ScreenWatch() override { qApp->removeEventFilter(this); }

  // The grid's columns still have the widths set above.
  bool GridWidthsKept() const {
    for (int c = 0; c < 12; ++c)
      if (form_->dbgDetaliz->columnWidth(c) != 60 + c) return false;
    return true;
  }

  int splashes = 0;
  int gridChanges = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && qobject_cast<TSplashForm*>(watched) != nullptr) ++splashes;
    return false;
  }

 private:
  TMainForm* form_;
};

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

  void RefusedRunsChangeNothing() {
    TempDir dir;
    MakeTable(dir);
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    form.btnCheckedDataFilter->click();
    QCOMPARE(form.lvFilterModel->rowCount(), 4);
    const auto stat = form.lvStatModel->Rows();
    ScreenWatch watch(&form);

    // A ticked box with an empty value stops before anything shows.
    const std::pair<QCheckBox*, QComboBox*> criteria[] = {{form.chkbFilterOperCode, form.cbFilterOperCode},
                                                          {form.chkbFilterNumber, form.cbFilterNumber},
                                                          {form.chkbFilterCode, form.cbFilterCode},
                                                          {form.chkbFilterType, form.cbFilterType}};
    for (const auto& [box, value] : criteria) {
      box->click();
      value->setEditText("");
      form.btnCheckedDataFilter->click();
      box->click();
    }
    QCOMPARE(watch.splashes, 0);
    QCOMPARE(watch.gridChanges, 0);
    QVERIFY(watch.GridWidthsKept());
    QCOMPARE(form.lvFilterModel->rowCount(), 4);
    QCOMPARE(form.stFilterRecCount->text(), QString("4"));
    QCOMPARE(form.lvStatModel->Rows(), stat);
    QVERIFY(prompts.errors.isEmpty());

    // Counting over the table leaves the grid's columns as they were.
    form.mnToCountAndFindMaxActivity->trigger();
    QVERIFY(watch.GridWidthsKept());
    QCOMPARE(form.dbgDetaliz->model()->rowCount(), 4);
    form.close();
  }

  void TableWithoutIndexIsRefusedBeforeAnything() {
    TempDir dir;
    MakeTable(dir);
    QVERIFY(std::remove(DetalIndexPath(dir.path()).c_str()) == 0);
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    prompts.errors.clear();  // the missing index is reported at start
    ScreenWatch watch(&form);
    form.btnCheckedDataFilter->click();
    QCOMPARE(prompts.errors, QStringList{"Any Indexes not present"});
    QCOMPARE(watch.splashes, 0);
    QCOMPARE(watch.gridChanges, 0);
    QVERIFY(watch.GridWidthsKept());
    form.close();
  }

  void FailedScanKeepsTheStatisticAndTheGrid() {
    // More records than the table keeps in memory, so that a scan reads the
    // file again; the file is then cut short under the open window.
    TempDir dir;
    std::uintmax_t emptySize = 0, fullSize = 0;
    constexpr int kCount = 9000;
    {
      Table table;
      std::string warning;
      QVERIFY(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
      emptySize = std::filesystem::file_size(dir.File("Tellura.dbf"));
      QVERIFY(table.BeginBulkAppend().ok());
      for (int i = 0; i < kCount; ++i) {
        char owner[16];
        std::snprintf(owner, sizeof owner, "7900%05d", i);
        const std::string day = i < kCount - 2 ? "2006.05.01" : "2006.06.01";
        QVERIFY(table.BulkAppend({owner, day, "79031112233", "", "1", "Call", "60", "1", "1.50", "", "1.50", ""}).ok());
      }
      QVERIFY(table.EndBulkAppend().ok());
      QVERIFY(table.Close().ok());
      fullSize = std::filesystem::file_size(dir.File("Tellura.dbf"));
    }
    testing::WriteOrDie(dir.File("codetype.dat"), "1=Call\r\n");
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    form.chkbFilterDate->click();
    form.dtpDateBegin->setDate(QDate(2006, 6, 1));
    form.btnCheckedDataFilter->click();
    QCOMPARE(form.lvFilterModel->rowCount(), 2);
    const auto stat = form.lvStatModel->Rows();
    QCOMPARE(stat.front().at(1), std::string("120"));

    const std::uintmax_t recordLength = (fullSize - emptySize) / kCount;
    // Cut inside record 2000: the records before it come in blocks, some
    // of them read already; the scan fails at the block that holds the cut.
    std::filesystem::resize_file(dir.File("Tellura.dbf"), emptySize - 1 + 2000 * recordLength);
    form.chkbFilterDate->click();
    ScreenWatch watch(&form);
    form.btnCheckedDataFilter->click();
    QVERIFY(form.lvFilterModel->rowCount() > 0);  // the rows found before the failure stay
    QVERIFY(form.lvFilterModel->rowCount() < 2000);
    QCOMPARE(form.stFilterRecCount->text(), QString("0"));
    QCOMPARE(form.lvStatModel->Rows(), stat);
    QVERIFY(watch.GridWidthsKept());
    form.close();
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
