// The import journal in the main window: the question before a bill is
// imported again, a bill whose records have gone, Undo Last Import, many bills chosen at once, and one box
// for a bill's rejected lines.
#include <QAction>
#include <QTableView>
#include <QLabel>
#include <QtTest>

#include "app/MainForm.h"
#include "base/tests/TestSupport.h"
#include "import/tests/BillTestSupport.h"
#include "store/DetalTable.h"
#include "ui/SplashForm.h"
#include "ui/tests/ScriptedPrompts.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::TempDir;

namespace {

// A bill of two calls on day `day` of March 2008.
std::string TwoCallBill(int day) {
  const std::string date = (day < 10 ? "0" : "") + std::to_string(day) + ".03.2008";
  return testing::Bill({"Ведомость разговоров +7/9161112233", date + " 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50",
                        date + " 14:00:00 4957654321 М 1 30 1.00 1.50 0.00 1.50"});
}

// Notes the splash's stage text whenever a bill is asked about.
class StagePrompts : public ScriptedPrompts {
 public:
  bool AskYesNoDefaultNo(const QString& text) override {
    stages << (CurrentSplash() != nullptr ? CurrentSplash()->lCounter1->text() : QString());
    return ScriptedPrompts::AskYesNoDefaultNo(text);
  }
  QStringList stages;
};

}  // namespace

class MainFormJournalTest : public QObject {
  Q_OBJECT

 private slots:
  void ABillImportedBeforeIsImportedAgainOnlyOnYes() {
    TempDir dir;
    const QString bill = QString::fromStdString(dir.File("bill.txt"));
    testing::WriteOrDie(dir.File("bill.txt"), TwoCallBill(1));
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    prompts.files.push_back(bill);
    form.mnAddDetalization->trigger();
    QCOMPARE(form.stRecCount->text(), QString("2"));
    QVERIFY(prompts.questions.isEmpty());

    prompts.files.push_back(bill);  // No, the default
    form.mnAddDetalization->trigger();
    QCOMPARE(prompts.noByDefault.size(), 1);
    QVERIFY2(prompts.noByDefault.first().startsWith("This bill was imported on ") &&
                 prompts.noByDefault.first().endsWith(" (2 records). Import it again?"),
             qPrintable(prompts.noByDefault.first()));
    QCOMPARE(form.stRecCount->text(), QString("2"));

    prompts.files.push_back(bill);
    prompts.answers.push_back(true);
    form.mnAddDetalization->trigger();
    QCOMPARE(form.stRecCount->text(), QString("4"));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    form.close();
  }

  void ABillWhoseRecordsHaveGoneImportsAgainWithANote() {
    TempDir dir;
    const QString bill = QString::fromStdString(dir.File("bill.txt"));
    testing::WriteOrDie(dir.File("bill.txt"), TwoCallBill(1));
    {
      ScriptedPrompts prompts;
      TMainForm form(dir.path(), &prompts);
      form.show();
      prompts.files.push_back(bill);
      form.mnAddDetalization->trigger();
      QCOMPARE(form.stRecCount->text(), QString("2"));
      form.close();
    }
    {
      // Deleted another way.
      Table table;
      std::string warning;
      QVERIFY(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
      std::uint32_t deleted = 0;
      QVERIFY(table.DeleteRecords(1, table.LastRecNo(), [](std::uint32_t, std::string_view) { return true; }, &deleted)
                  .ok());
      QCOMPARE(deleted, 2u);
    }
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    prompts.files.push_back(bill);
    form.mnAddDetalization->trigger();
    QVERIFY(prompts.noByDefault.isEmpty());  // no question
    QCOMPARE(form.stRecCount->text(), QString("2"));
    QCOMPARE(prompts.infos.size(), 1);
    QVERIFY2(prompts.infos.first().startsWith("bill.txt was imported on ") &&
                 prompts.infos.first().endsWith(", but its records are no longer in the table: it was imported again"),
             qPrintable(prompts.infos.first()));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    form.close();
  }

  void UndoLastImportTakesBackTheLastBillOnly() {
    TempDir dir;
    testing::WriteOrDie(dir.File("march.txt"), TwoCallBill(1));
    testing::WriteOrDie(dir.File("april.txt"), TwoCallBill(2));
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    QVERIFY(!form.mnUndo->isEnabled());
    for (const char* name : {"march.txt", "april.txt"}) {
      prompts.files.push_back(QString::fromStdString(dir.File(name)));
      form.mnAddDetalization->trigger();
    }
    QCOMPARE(form.stRecCount->text(), QString("4"));
    QVERIFY(form.mnUndo->isEnabled());

    form.mnUndo->trigger();  // answered No
    QCOMPARE(prompts.questions.last(), QString("Remove the 2 records of %1 imported on %2?")
                                           .arg(QString::fromStdString(dir.File("april.txt")))
                                           .arg(prompts.questions.last().right(20).chopped(1)));
    QCOMPARE(form.stRecCount->text(), QString("4"));

    prompts.answers.push_back(true);
    form.mnUndo->trigger();
    QCOMPARE(form.stRecCount->text(), QString("2"));
    QCOMPARE(form.stRecNo->text(), QString("2"));  // never past the records left
    QCOMPARE(prompts.infos.last(), QString::fromStdString(dir.File("april.txt") + ": 2 records removed"));
    QVERIFY(form.mnUndo->isEnabled());  // March is next
    prompts.answers.push_back(true);
    form.mnUndo->trigger();
    QCOMPARE(form.stRecCount->text(), QString("0"));
    QCOMPARE(form.stRecNo->text(), QString("0"));
    QVERIFY(!form.mnUndo->isEnabled());
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    form.close();
  }

  // Fill Codes / Types, a record deleted in the grid and the import under
  // them are taken back by Ctrl+Z in the order they were made, each named
  // in its question.
  void CtrlZTakesBackEveryChangeInOrder() {
    TempDir dir;
    testing::WriteOrDie(dir.File("march.txt"), TwoCallBill(1));
    testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nConfirmDelete=0\r\nShowSplash=0\r\n");
    ScriptedPrompts prompts;
    auto first = std::make_unique<TMainForm>(dir.path(), &prompts);
    TMainForm& form = *first;
    form.show();
    prompts.files.push_back(QString::fromStdString(dir.File("march.txt")));
    form.mnAddDetalization->trigger();
    const std::string imported = testing::ReadOrEmpty(dir.File("Tellura.dbf"));
    testing::WriteOrDie(dir.File("codetype.dat"), "1=Outgoing\r\n");
    form.mnFillCodesTypes->trigger();
    QVERIFY(form.mnUndo->isEnabled());
    QCOMPARE(form.mnUndo->shortcut(), QKeySequence(QKeySequence::Undo));
    form.dbgDetaliz->setCurrentIndex(form.dbgDetaliz->model()->index(0, 0));
    QTest::keyClick(form.dbgDetaliz, Qt::Key_Delete);
    QCOMPARE(form.stRecCount->text(), QString("1"));

    QVERIFY(form.mnUndo->isEnabled());
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    prompts.answers = {true, true};
    QTest::keySequence(&form, QKeySequence::Undo);
    QTest::keySequence(&form, QKeySequence::Undo);
    QCOMPARE(prompts.questions.size(), 2);
    QVERIFY2(prompts.questions[0].startsWith("Undo Delete Record of ") && prompts.questions[0].endsWith(" (1 records)?"),
             qPrintable(prompts.questions[0]));
    QVERIFY2(prompts.questions[1].startsWith("Undo Fill Codes / Types of ") &&
                 prompts.questions[1].endsWith(" (2 records)?"),
             qPrintable(prompts.questions[1]));
    QVERIFY2(prompts.infos.last().startsWith("Fill Codes / Types of ") &&
                 prompts.infos.last().endsWith(" is taken back: 2 records are as they were before it."),
             qPrintable(prompts.infos.last()));
    QCOMPARE(form.stRecCount->text(), QString("2"));
    form.close();
    first.reset();
    QVERIFY(testing::ReadOrEmpty(dir.File("Tellura.dbf")) == imported);

    // Another window takes back the import under them.
    TMainForm again(dir.path(), &prompts);
    again.show();
    prompts.answers = {true};
    again.mnUndo->trigger();
    QVERIFY2(prompts.questions.last().startsWith("Remove the 2 records of "), qPrintable(prompts.questions.last()));
    QCOMPARE(again.stRecCount->text(), QString("0"));
    QVERIFY(!again.mnUndo->isEnabled());
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    again.close();
  }

  void TwelveBillsChosenAtOnceImportInNameOrder() {
    TempDir dir;
    testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nShowSplash=1\r\n");
    QStringList chosen;
    for (int month = 12; month >= 1; --month) {  // chosen in reverse
      const std::string name = "bill" + std::string(month < 10 ? "0" : "") + std::to_string(month) + ".txt";
      testing::WriteOrDie(dir.File(name), TwoCallBill(month));
      chosen << QString::fromStdString(dir.File(name));
    }
    StagePrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    prompts.files.push_back(chosen[7]);  // bill05 alone first
    form.mnAddDetalization->trigger();
    QVERIFY(prompts.infos.isEmpty());  // one bill: no closing list

    prompts.fileLists.push_back(chosen);
    form.mnAddDetalization->trigger();  // bill05 again: No
    QCOMPARE(prompts.stages, QStringList{"file 5 / 12"});
    QCOMPARE(form.stRecCount->text(), QString("24"));
    QCOMPARE(prompts.infos.size(), 1);
    const QStringList lines = prompts.infos.first().split('\n');
    QCOMPARE(lines.size(), 12);
    QCOMPARE(lines[0], QString("bill01.txt: 2 records added"));
    QCOMPARE(lines[4], QString("bill05.txt: skipped"));
    QCOMPARE(lines[11], QString("bill12.txt: 2 records added"));
    // Each bill has its own journal entry: the undo takes the last one only.
    prompts.answers.push_back(true);
    form.mnUndo->trigger();
    QVERIFY2(prompts.questions.last().contains("bill12.txt"), qPrintable(prompts.questions.last()));
    QCOMPARE(form.stRecCount->text(), QString("22"));
    form.close();
  }

  void AThousandRejectedLinesShowOneBox() {
    TempDir dir;
    std::string bill = testing::Bill({"Ведомость разговоров +7/9161112233"});
    for (int i = 0; i < 1000; ++i)
      bill += testing::Cp("01.03.2008 12:" + std::to_string(10 + i % 50) + ":00 49576543" +
                          std::to_string(10 + i % 90) + " М 1\r\n");
    testing::WriteOrDie(dir.File("bad.txt"), bill);
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    prompts.files.push_back(QString::fromStdString(dir.File("bad.txt")));
    form.mnAddDetalization->trigger();
    QCOMPARE(prompts.infos, QStringList{"1000 lines were not stored"});
    QCOMPARE(prompts.infoDetails.size(), 1);
    QCOMPARE(prompts.infoDetails.first().count("Data not Corrected, so not Stored:"), 1000);
    QVERIFY(prompts.infoDetails.first().startsWith("Data not Corrected, so not Stored:\n2008.03.01 12:10"));
    form.close();
  }
};

QTEST_MAIN(MainFormJournalTest)
#include "MainFormJournalTest.moc"
