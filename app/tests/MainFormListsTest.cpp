// The list commands of the main window: filtered-list files, the CSV
// and spreadsheet exports, the old-base import, sorting the result list, the context menu's
// phone number and the grid's Delete key, through the prompt interface.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTreeView>
#include <QDir>
#include <QtTest>
#include <filesystem>

#include "analysis/tests/XlsxReadBack.h"
#include "app/MainForm.h"
#include "base/TextFile.h"
#include "base/tests/TestSupport.h"
#include "store/DetalTable.h"
#include "store/Table.h"
#include "ui/ListModels.h"
#include "ui/SplashForm.h"
#include "ui/tests/ScriptedPrompts.h"

using namespace zvonar;
using zvonar::testing::ReadOrEmpty;
using zvonar::testing::CellsDiffer;
using zvonar::testing::ReadXlsxBack;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::TempDir;
using zvonar::testing::WriteOrDie;

namespace {

// owner, date-time, number, abonent, sec
const std::vector<std::array<const char*, 5>> kRecords = {
    {"79001", "2006.05.01 10:00:00", "79031112233", "Ann", "5"},
    {"79001", "2006.05.02 11:00:00", "79265554433", "", "10"},
    {"79002", "2006.05.03 12:00:00", "79037778899", "bob", "9"},
};

void MakeTable(const TempDir& dir, const std::string& settings = "") {
  Table table;
  std::string warning;
  QVERIFY(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
  for (const auto& r : kRecords) {
    QVERIFY(table.Append().ok());
    const std::string texts[12] = {r[0], r[1], r[2], r[3], "1", "Call", r[4], "1", "1.50", "", "1.50", ""};
    for (int i = 0; i < 12; ++i) QVERIFY(table.SetFieldText(i, texts[i]).ok());
    QVERIFY(table.Post().ok());
  }
  QVERIFY(table.Close().ok());
  WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nShowSplash=0\r\n" + settings);
}

// A data directory with the sample table and `settings`, and the window
// over it once Start is called; the window is closed at the end.
struct ListsWindow {
  explicit ListsWindow(const std::string& settings = "") { MakeTable(dir, settings); }
  ~ListsWindow() {
    if (form) form->close();
  }
  TMainForm& Start() {
    form = std::make_unique<TMainForm>(dir.path(), &prompts);
    form->show();
    return *form;
  }
  TempDir dir;
  ScriptedPrompts prompts;
  std::unique_ptr<TMainForm> form;
};

std::vector<std::string> Column(const TMainForm& form, int column) {
  std::vector<std::string> texts;
  const ResultRows& rows = form.lvFilterModel->Rows();
  for (std::size_t r = 0; r < rows.RowCount(); ++r) texts.emplace_back(rows.Cell(r, column));
  return texts;
}

}  // namespace

class MainFormListsTest : public QObject {
  Q_OBJECT

 private slots:
  void SavedListLoadsBackUnderTheFileOwner() {
    ListsWindow window("SaveAbonentNameInDetalizationFile=0\r\n");
    const TempDir& dir = window.dir;
    ScriptedPrompts& prompts = window.prompts;
    TMainForm& form = window.Start();

    // An empty list is not saved: no chooser at all.
    form.mnSaveFiltered->trigger();
    QVERIFY(prompts.dirs.isEmpty());

    form.btnCheckedDataFilter->click();
    QCOMPARE(form.lvFilterModel->rowCount(), 3);
    prompts.files = {QString::fromStdString(dir.File("saved"))};  // no extension typed
    form.mnSaveFiltered->trigger();
    // Named after the first row's owner, at home: never in the data directory.
    QCOMPARE(prompts.dirs.last(), QDir::homePath() + "/79001.fil");
    QCOMPARE(ReadOrEmpty(dir.File("saved.fil")),
             std::string("2006.05.01 10:00:00=79031112233##1#Call#5#1#1.50##1.50#\r\n"
                         "2006.05.02 11:00:00=79265554433##1#Call#10#1#1.50##1.50#\r\n"
                         "2006.05.03 12:00:00=79037778899##1#Call#9#1#1.50##1.50#\r\n"));

    WriteOrDie(dir.File("a.b.fil"), ReadOrEmpty(dir.File("saved.fil")));
    form.stFilterRecCount->setText("x");
    prompts.files = {QString::fromStdString(dir.File("a.b.fil"))};
    form.mnLoadFiltered->trigger();
    QCOMPARE(form.lvFilterModel->rowCount(), 3);
    QCOMPARE(Column(form, 0), (std::vector<std::string>{"a.b", "a.b", "a.b"}));
    QCOMPARE(Column(form, 3), (std::vector<std::string>{"", "", ""}));
    QCOMPARE(form.stFilterRecCount->text(), QString("3"));

    // A missing or empty file leaves the list; cancelling does nothing.
    WriteOrDie(dir.File("empty.fil"), "");
    prompts.files = {QString::fromStdString(dir.File("empty.fil")), QString::fromStdString(dir.File("gone.fil")),
                     QString()};
    for (int i = 0; i < 3; ++i) form.mnLoadFiltered->trigger();
    QCOMPARE(form.lvFilterModel->rowCount(), 3);
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
  }

  // Cells with "#" or a line break are saved so that they load back into
  // their columns, and the window says how many it changed.
  void SaveFilteredTellsOfTheCellsItChanged() {
    ListsWindow window;
    TMainForm& form = window.Start();
    ResultRows rows;
    rows.Append({"79001", "2006.05.01 10:00:00", "79031112233", "Ivanov #2", "1", "Call\r\nX", "5", "1", "1.50", "",
                 "1.50", "Net#1"});
    form.lvFilterModel->SetRows(std::move(rows));
    window.prompts.files = {QString::fromStdString(window.dir.File("odd.fil"))};
    form.mnSaveFiltered->trigger();
    QCOMPARE(window.prompts.infos,
             QStringList{QString::fromUtf8("3 cells held \"#\", \"=\", a line break or a TAB: \"#\" was written as "
                                           "\"№\", the others as a blank.")});
    QCOMPARE(ReadOrEmpty(window.dir.File("odd.fil")), std::string("2006.05.01 10:00:00=79031112233#Ivanov \xB9"
                                                                  "2#1#Call  X#5#1#1.50##1.50#Net\xB9"
                                                                  "1\r\n"));
    window.prompts.files = {QString::fromStdString(window.dir.File("odd.fil"))};
    form.mnLoadFiltered->trigger();
    QCOMPARE(Column(form, 11), std::vector<std::string>{"Net\xB9"
                                                        "1"});
  }

  void ExportWritesTheListWithItsTitles() {
    ListsWindow window;
    const TempDir& dir = window.dir;
    ScriptedPrompts& prompts = window.prompts;
    TMainForm& form = window.Start();
    QCOMPARE(form.mnExportFilteredCsv->text(), QString("Export Filtered to CSV..."));
    form.btnCheckedDataFilter->click();
    form.lvFilterModel->SetCaption(3, "Name, full");
    prompts.files = {QString::fromStdString(dir.File("calls"))};
    form.mnExportFilteredCsv->trigger();
    const std::string csv = ReadOrEmpty(dir.File("calls.csv"));
    QVERIFY(csv.starts_with("\xEF\xBB\xBFOwner,Date / Time,Number,\"Name, full\",Code,"));
    QVERIFY(csv.ends_with("79002,2006.05.03 12:00:00,79037778899,bob,1,Call,9,1,1.50,,1.50,\r\n"));

    // A folder that cannot be written is told, not passed over.
    prompts.files = {QString::fromStdString(dir.File("no/such.csv"))};
    form.mnExportFilteredCsv->trigger();
    QCOMPARE(prompts.errors.size(), qsizetype(1));
  }

  void SpreadsheetExportWritesRowsStatisticAndCriteria() {
    ListsWindow window;
    const TempDir& dir = window.dir;
    ScriptedPrompts& prompts = window.prompts;
    TMainForm& form = window.Start();
    QCOMPARE(form.mnExportFilteredXlsx->text(), QString("Export Filtered to Spreadsheet..."));
    const QList<QAction*> items = form.mnFile->actions();
    QCOMPARE(items.indexOf(form.mnExportFilteredXlsx), items.indexOf(form.mnExportFilteredCsv) + 1);
    // An empty list asks nothing and writes nothing.
    form.mnExportFilteredXlsx->trigger();
    QVERIFY(prompts.infos.isEmpty() && prompts.errors.isEmpty());

    form.chkbFilterOwner->setChecked(true);
    form.edFilterOwner->setEditText("79001");
    form.btnCheckedDataFilter->click();
    prompts.files = {QString::fromStdString(dir.File("calls"))};
    form.mnExportFilteredXlsx->trigger();
    QCOMPARE(prompts.errors, QStringList());
    QCOMPARE(prompts.infos, QStringList{QString::fromStdString("2 rows written to " + dir.File("calls.xlsx") + ".")});
    auto cells = ReadXlsxBack(dir.File("calls.xlsx"));
    QCOMPARE(cells["sheets"], std::string("Calls,Statistic,Criteria"));
    QCOMPARE(CellsDiffer(cells, "Calls",
                         {{"A1", "s|General|bold|Owner"},
                          {"B3", "d|dd.mm.yyyy hh:mm:ss|-|2006-05-02 11:00:00"},
                          {"G3", "n|0|-|10"},
                          {"K3", "n|0.00|-|1.5"},
                          {"freeze", "A2"},
                          {"filter", "A1:L3"}}),
             std::string());
    QCOMPARE(CellsDiffer(cells, "Statistic",
                         {{"A2", "s|General|-|Call"},
                          {"B2", "n|0|-|15"},
                          {"A3", "s|General|bold|All"},
                          {"D3", "f|0.00|bold|=SUM(D2:D2)"}}),
             std::string());
    QCOMPARE(CellsDiffer(cells, "Criteria", {{"A2", "s|General|-|Owner"}, {"B2", "s|General|-|79001"}}),
             std::string());

    // A list with a cell that is no number: kept as text, counted, and the
    // statistic left out with its reason.
    ResultRows rows;
    rows.Append({"79001", "2006.05.01 10:00:00", "790", "", "1", "Call", "x5", "1", "1.50", "", "1.50", ""});
    form.lvFilterModel->SetRows(std::move(rows));
    prompts.infos.clear();
    prompts.files = {QString::fromStdString(dir.File("calls.xlsx"))};
    form.mnExportFilteredXlsx->trigger();
    QCOMPARE(prompts.infos.size(), qsizetype(1));
    QVERIFY2(prompts.infos[0].startsWith(QString::fromStdString("1 rows written to " + dir.File("calls.xlsx") +
                                                                 ".\n1 cells that are not numbers kept as text\n"
                                                                 "The statistic was not counted: ")),
             qPrintable(prompts.infos[0]));
    cells = ReadXlsxBack(dir.File("calls.xlsx"));
    QCOMPARE(cells["Calls!G2"], std::string("s|General|-|x5"));
    QCOMPARE(cells.count("Calls!B3"), std::size_t(0));

    // A folder that cannot be written is told, and nothing is made.
    prompts.files = {QString::fromStdString(dir.File("no/such.xlsx"))};
    form.mnExportFilteredXlsx->trigger();
    QCOMPARE(prompts.errors.size(), qsizetype(1));
    QVERIFY(!std::filesystem::exists(dir.File("no")));
  }

  void SaveAndExportRefuseTheProgramsFilesAndDevices() {
    ListsWindow window;
    const TempDir& dir = window.dir;
    ScriptedPrompts& prompts = window.prompts;
    TMainForm& form = window.Start();
    form.btnCheckedDataFilter->click();
    const std::string table = ReadOrEmpty(dir.File("Tellura.dbf"));
    const std::string settings = ReadOrEmpty(dir.File("settings.ini"));
    prompts.files = {QString::fromStdString(dir.File("Tellura.dbf")), "/dev/full"};
    form.mnSaveFiltered->trigger();
    form.mnSaveFiltered->trigger();
    prompts.files = {QString::fromStdString(dir.File("settings.ini"))};
    form.mnExportFilteredCsv->trigger();
    QCOMPARE(prompts.errors, (QStringList{QString::fromStdString("cannot write to " + dir.File("Tellura.dbf") +
                                                                 ": it is the program's own file Tellura.dbf"),
                                          "/dev/full is a device, not a regular file",
                                          QString::fromStdString("cannot write to " + dir.File("settings.ini") +
                                                                 ": it is the program's own file settings.ini")}));
    QCOMPARE(ReadOrEmpty(dir.File("Tellura.dbf")), table);
    QCOMPARE(ReadOrEmpty(dir.File("settings.ini")), settings);
    QVERIFY(!std::filesystem::exists("/dev/full.fil"));
  }

  void HeaderClicksSortAmountsByValueAndTurnRound() {
    ListsWindow window;
    TMainForm& form = window.Start();
    form.btnCheckedDataFilter->click();
    QHeaderView* header = form.lvFilter->header();
    QVERIFY(!header->isSortIndicatorShown());
    const auto click = [header](int column) { emit header->sectionClicked(column); };
    click(6);  // Sec, by value
    QCOMPARE(Column(form, 6), (std::vector<std::string>{"5", "9", "10"}));
    QVERIFY(header->isSortIndicatorShown());
    QCOMPARE(header->sortIndicatorSection(), 6);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    click(6);  // again: the order turned round
    QCOMPARE(Column(form, 6), (std::vector<std::string>{"10", "9", "5"}));
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    click(6);
    QCOMPARE(Column(form, 6), (std::vector<std::string>{"5", "9", "10"}));
    click(6);
    click(3);  // another column starts ascending: Abonent, empty first, Latin letters folded
    QCOMPARE(Column(form, 3), (std::vector<std::string>{"", "Ann", "bob"}));
    QCOMPARE(header->sortIndicatorSection(), 3);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    // A new filter run lists the filter's own order, under no indicator.
    form.btnCheckedDataFilter->click();
    QVERIFY(!header->isSortIndicatorShown());
    click(3);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
  }

  void ContextMenuTakesTheSelectedRowBeforeTheGrid() {
    ListsWindow window;
    TMainForm& form = window.Start();
    form.btnCheckedDataFilter->click();
    form.dbgDetaliz->setCurrentIndex(form.dbgDetaliz->model()->index(1, 2));

    // Only the grid's current record: its number.
    form.mnAddPhoneNumberToFilterNumber->trigger();
    QCOMPARE(form.cbFilterNumber->currentText(), QString("79265554433"));

    // A selected result row wins and is no longer selected afterwards.
    form.lvFilter->selectionModel()->select(form.lvFilterModel->index(2, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    form.mnAddPhoneNumberToFilterNumber->trigger();
    QCOMPARE(form.cbFilterNumber->currentText(), QString("79037778899"));
    QVERIFY(!form.lvFilter->selectionModel()->hasSelection());

    form.lvFilter->selectionModel()->select(form.lvFilterModel->index(0, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    form.mnPhoneNumberToClipboard->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("79031112233"));
  }

  void GridClickShowsTheRecordNumberAndResizedColumnsFollow() {
    ListsWindow window;
    TMainForm& form = window.Start();
    QTableView* grid = form.dbgDetaliz;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(2, 1)).center());
    QCOMPARE(form.stRecNo->text(), QString("3"));

    form.lvFilter->header()->resizeSection(0, 150);
    form.lvFilter->header()->resizeSection(4, 77);
    QCOMPARE(grid->columnWidth(0), 138);
    QCOMPARE(grid->columnWidth(4), 76);
    QCOMPARE(form.lvCounts->columnWidth(4), 77);
  }

  void DeleteKeyAsksWhenConfirmDeleteIsOn() {
    for (const bool confirm : {true, false}) {
      ListsWindow window(confirm ? "" : "ConfirmDelete=0\r\n");
      const TempDir& dir = window.dir;
      ScriptedPrompts& prompts = window.prompts;
      TMainForm& form = window.Start();
      QTableView* grid = form.dbgDetaliz;
      grid->setCurrentIndex(grid->model()->index(1, 0));
      // Another key does nothing; No keeps the record.
      QTest::keyClick(grid, Qt::Key_Insert);
      prompts.answers = {false};
      QTest::keyClick(grid, Qt::Key_Delete);
      const int afterNo = grid->model()->rowCount();
      prompts.answers = {true};
      QTest::keyClick(grid, Qt::Key_Delete);
      if (confirm) {
        QCOMPARE(prompts.questions, (QStringList{"Delete the current record?", "Delete the current record?"}));
        QCOMPARE(afterNo, 3);
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(form.stRecCount->text(), QString("2"));
      } else {
        QVERIFY(prompts.questions.isEmpty());
        QCOMPARE(afterNo, 2);  // deleted at once
        QCOMPARE(grid->model()->rowCount(), 1);
      }
      window.form->close();
      window.form.reset();
      Table table;
      QVERIFY(table.Open(DetalTablePath(dir.path(), "dbf")).ok());
      QCOMPARE(table.RecordCount(), confirm ? 2u : 1u);
      // The second record (by Owner order) was the one deleted first.
      QVERIFY(table.First().ok());
      QCOMPARE(table.FieldText(kNumberField), std::string("79031112233"));
    }
  }

  void OldBaseIsAppendedUnderOneSplash() {
    ListsWindow window("SaveAbonentNameInDetalizationFile=0\r\n");
    const TempDir& dir = window.dir;
    ScriptedPrompts& prompts = window.prompts;
    WriteOrDie(dir.File("abonents.dat"), "stamp\r\n[Abonents]\r\n111=Named\r\n");
    WriteOrDie(dir.File("Tellura.dat"), "79002\r\n79001\r\n");
    WriteOrDie(dir.File("detalization.dat"), "79005\r\n79006\r\n79007\r\n");
    WriteOrDie(dir.File("79005.dat"), "2005.01.01 09:00:00=111#Old#1#2#5#1#0.10#0.00#0.10#\r\n");
    WriteOrDie(dir.File("79006.dat"),
               "2005.02.01 09:00:00=222##1#2#5#1#0.10#0.00#0.10#\r\n2005.02.02=223##1#2#5#1#0.10#0.00#0.10#\r\n");
    TMainForm& form = window.Start();

    // The splash stays open across both owners' files and names the stage.
    QStringList stages, counters;
    int splashes = 0;
    struct Spy : QObject {
      QStringList* stages;
      QStringList* counters;
      int* shows;
      bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show && qobject_cast<TSplashForm*>(o) != nullptr) ++*shows;
        if (e->type() == QEvent::Paint && CurrentSplash() != nullptr) {
          Note(stages, CurrentSplash()->lCounter1->text());
          Note(counters, CurrentSplash()->lCounter2->text());
        }
        return false;
      }
      static void Note(QStringList* seen, const QString& text) {
        if (seen->isEmpty() || seen->last() != text) *seen << text;
      }
    } spy;
    spy.stages = &stages;
    spy.counters = &counters;
    spy.shows = &splashes;
    qApp->installEventFilter(&spy);
    form.mnLoadOldDetalizationBase->trigger();
    qApp->removeEventFilter(&spy);
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    QCOMPARE(splashes, 1);
    // Owners and lines count without blanks; the copy with them.
    QVERIFY2(stages.contains("1/3") && stages.contains("2/3") && stages.contains("3/3"), qPrintable(stages.join(",")));
    QVERIFY2(counters.contains("1/1") && counters.contains("2/2") && counters.contains("3 / 3"),
             qPrintable(counters.join(",")));
    QVERIFY(CurrentSplash() == nullptr);
    QCOMPARE(prompts.infos, QStringList{"3 records of the old base were added."});

    // The base's owners first; those known before are kept for Tellura.dat.
    QStringList owners;
    for (int i = 0; i < form.edFilterOwner->count(); ++i) owners << form.edFilterOwner->itemText(i);
    QCOMPARE(owners, (QStringList{"79005", "79006", "79007", "79002", "79001"}));
    QCOMPARE(form.edFilterOwner->currentText(), QString("79005"));
    QCOMPARE(form.dtpDateBegin->date(), QDate(2005, 1, 1));
    QCOMPARE(form.stRecCount->text(), QString("6"));
    form.btnCheckedDataFilter->click();
    QCOMPARE(Column(form, 0), (std::vector<std::string>{"79001", "79001", "79002", "79005", "79006", "79006"}));
    QCOMPARE(Column(form, 3), (std::vector<std::string>{"Ann", "", "bob", "Named", "", ""}));

    // A second load asks first, No by default; Yes loads it again.
    form.mnLoadOldDetalizationBase->trigger();
    QCOMPARE(prompts.noByDefault.size(), 1);
    QVERIFY2(prompts.noByDefault.first().startsWith("This old base was loaded on ") &&
                 prompts.noByDefault.first().endsWith(" (3 records). Load it again?"),
             qPrintable(prompts.noByDefault.first()));
    QCOMPARE(form.stRecCount->text(), QString("6"));
    QCOMPARE(prompts.infos.size(), 1);
    prompts.answers = {true};
    form.mnLoadOldDetalizationBase->trigger();
    QCOMPARE(prompts.noByDefault.size(), 2);
    QCOMPARE(form.stRecCount->text(), QString("9"));
    QCOMPARE(prompts.infos.last(), QString("3 records of the old base were added."));
    form.close();
    QCOMPARE(ReadOrEmpty(dir.File("Tellura.dat")), std::string("79005\r\n79006\r\n79007\r\n79002\r\n79001\r\n"));
  }

  void OldBaseIsStoredWholeOrNotAtAll() {
    ListsWindow window;
    const TempDir& dir = window.dir;
    ScriptedPrompts& prompts = window.prompts;
    WriteOrDie(dir.File("detalization.dat"), "79005\r\n79006\r\n");
    WriteOrDie(dir.File("79005.dat"), "2005.01.01=1#\r\n2005.01.02=2#\r\n2005.01.03=3#\r\n");
    WriteOrDie(dir.File("79006.dat"), "=4#\r\n2005.01.05=5#\r\n2005.01.06=6#\r\n");
    TMainForm& form = window.Start();
    form.mnLoadOldDetalizationBase->trigger();
    QCOMPARE(prompts.errors, QStringList{"Error on Load Old DataBase!\n" +
                                         QString::fromStdString(dir.File("79006.dat")) + ":1: no date-time"});
    QVERIFY(prompts.infos.isEmpty());
    QVERIFY(prompts.questions.isEmpty());
    QCOMPARE(form.stRecCount->text(), QString("3"));
    QVERIFY(!FileExists(dir.File("imports.dat")));  // nothing to take back
    QVERIFY(CurrentSplash() == nullptr);
  }

  void NoOldBaseSaysWhereItLooked() {
    ListsWindow window;
    const TempDir& dir = window.dir;
    ScriptedPrompts& prompts = window.prompts;
    WriteOrDie(dir.File("Tellura.dat"), "79001\r\n");  // known, but no 79001.dat
    TMainForm& form = window.Start();
    form.mnLoadOldDetalizationBase->trigger();
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    QCOMPARE(prompts.infos.size(), 1);
    QVERIFY2(prompts.infos.first().startsWith("No old base was found in " + QString::fromStdString(dir.path())),
             qPrintable(prompts.infos.first()));
    QCOMPARE(form.stRecCount->text(), QString("3"));

    // Without an owners list the owners of the box are loaded.
    WriteOrDie(dir.File("79001.dat"), "2005.01.01=1#\r\n");
    form.mnLoadOldDetalizationBase->trigger();
    QCOMPARE(prompts.infos.last(), QString("1 records of the old base were added."));
    QCOMPARE(form.stRecCount->text(), QString("4"));
  }
};

QTEST_MAIN(MainFormListsTest)
#include "MainFormListsTest.moc"
