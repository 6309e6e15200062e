// Calls the table holds already, in the main window: the question before a
// bill whose calls are there is imported, and the Find Duplicates dialog
// with its deletion that one undo takes back.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "app/DuplicatesForm.h"
#include "app/MainForm.h"
#include "base/tests/TestSupport.h"
#include "ui/tests/ScriptedPrompts.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::TempDir;

namespace {

// The example bill of March 2008 under `name` in `dir`, its lines ended by
// `lineEnd`, so each copy has bytes of its own and the same calls.
std::string CopyOfBill(const TempDir& dir, const std::string& name, const std::string& lineEnd) {
  std::string bill =
      testing::ReadOrEmpty((std::filesystem::path(ZVONAR_SOURCE_DIR) / "examples" / "bill-2008-03.txt").string());
  std::string out;
  for (std::size_t at = 0; at < bill.size();) {
    const std::size_t end = bill.find("\r\n", at);
    out += bill.substr(at, end == std::string::npos ? std::string::npos : end - at) + lineEnd;
    at = end == std::string::npos ? bill.size() : end + 2;
  }
  testing::WriteOrDie(dir.File(name), out);
  return dir.File(name);
}

// Runs `act` on the Find Duplicates dialog once it is shown (the splash of
// the search comes and goes first).
void WhenDialogShows(const std::function<void(TDuplicatesForm*)>& act) {
  QTimer::singleShot(10, [act] {
    auto* dialog = qobject_cast<TDuplicatesForm*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return WhenDialogShows(act);
    act(dialog);
  });
}

void Import(TMainForm& form, ScriptedPrompts& prompts, const std::string& bill) {
  prompts.files.push_back(QString::fromStdString(bill));
  form.mnAddDetalization->trigger();
}

}  // namespace

class MainFormDuplicatesTest : public QObject {
  Q_OBJECT

 private slots:
  void ABillWhoseCallsAreThereIsImportedAfterAQuestion() {
    TempDir dir;
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    Import(form, prompts, CopyOfBill(dir, "march.txt", "\r\n"));
    QCOMPARE(form.stRecCount->text(), QString("24"));
    QVERIFY(prompts.questions.isEmpty());

    prompts.answers = {true};
    Import(form, prompts, CopyOfBill(dir, "again.txt", "\n"));
    QCOMPARE(prompts.questions.size(), 1);
    QCOMPARE(prompts.questions.last(),
             QString("24 of the 24 records of again.txt are already in the table (01.03.2008 to 30.04.2008). Skip "
                     "them?"));
    QVERIFY(prompts.noByDefault.isEmpty());  // Yes is the default
    QCOMPARE(form.stRecCount->text(), QString("24"));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));

    prompts.answers = {false};
    Import(form, prompts, CopyOfBill(dir, "kept.txt", "\r\r\n"));
    QCOMPARE(prompts.questions.size(), 2);
    QCOMPARE(form.stRecCount->text(), QString("48"));
    form.close();
  }

  void TheListAfterSeveralBillsCountsTheCallsSkipped() {
    TempDir dir;
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    Import(form, prompts, CopyOfBill(dir, "march.txt", "\r\n"));
    const std::string may = dir.File("may.txt");
    std::filesystem::copy_file(std::filesystem::path(ZVONAR_SOURCE_DIR) / "examples" / "bill-2008-05.txt", may);

    prompts.answers = {true};
    prompts.fileLists.push_back({QString::fromStdString(CopyOfBill(dir, "again.txt", "\n")), QString::fromStdString(may)});
    form.mnAddDetalization->trigger();
    QCOMPARE(prompts.questions.size(), 1);
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    const QStringList lines = prompts.infos.last().split('\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QString("again.txt: 0 records added, 24 already in the table skipped"));
    QVERIFY2(lines[1].startsWith("may.txt: ") && lines[1].endsWith(" records added"), qPrintable(lines[1]));
    form.close();
  }

  void FindDuplicatesListsTheGroupsAndDeletesAllButTheFirstOfEach() {
    TempDir dir;
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    Import(form, prompts, CopyOfBill(dir, "march.txt", "\r\n"));
    form.mnFindDuplicates->trigger();
    QCOMPARE(prompts.infos.last(), QString("No equal records were found."));

    prompts.answers = {false};
    Import(form, prompts, CopyOfBill(dir, "kept.txt", "\n"));
    QCOMPARE(form.stRecCount->text(), QString("48"));

    // Looked at and closed: nothing changes.
    int shownRows = 0;
    QString summary;
    WhenDialogShows([&](TDuplicatesForm* dialog) {
      shownRows = dialog->lvDuplicates->model()->rowCount();
      summary = dialog->lDuplicatesSummary->text();
      QCOMPARE(dialog->lvDuplicates->model()->data(dialog->lvDuplicates->model()->index(1, 0)).toString(),
               QString("1"));
      dialog->btnClose->click();
    });
    form.mnFindDuplicates->trigger();
    QCOMPARE(shownRows, 48);
    QCOMPARE(summary, QString("24 groups of equal records; 24 records besides the first of their group."));
    QCOMPARE(form.stRecCount->text(), QString("48"));

    WhenDialogShows([](TDuplicatesForm* dialog) { dialog->btnDeleteDuplicates->click(); });
    form.mnFindDuplicates->trigger();
    QCOMPARE(form.stRecCount->text(), QString("24"));
    QCOMPARE(prompts.infos.last(), QString("24 records deleted. Undo brings them back."));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));

    QVERIFY(form.mnUndo->isEnabled());
    prompts.answers = {true};
    form.mnUndo->trigger();
    QCOMPARE(form.stRecCount->text(), QString("48"));
    form.close();
  }
};

QTEST_MAIN(MainFormDuplicatesTest)
#include "MainFormDuplicatesTest.moc"
