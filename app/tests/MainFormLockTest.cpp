// The main window beside other programs: it holds the table only while it
// reads, so readers and writers go on beside it, and zvonar-cli imports
// while it is open, which the window shows when it comes to the front or
// reads next, keeping the filter's settings; its own import takes the table
// exclusively only while it writes, says so when another program keeps it,
// and tells what it had to cut or drop.
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <filesystem>

#include "app/MainForm.h"
#include "base/tests/TestSupport.h"
#include "config/OwnersFile.h"
#include "store/DetalTable.h"
#include "ui/tests/ScriptedPrompts.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::TempDir;

namespace {

// Opens the table in a child process for `access`, and for a writer also
// appends one record; the child's exit code: 0 done, 1 in use, 2 failed.
// With a pipe `hold` the child keeps the table until its write end closes,
// and the child's pid is returned at once; it writes one byte to `ready`
// (when given) once it has opened the table.
int OtherProgram(const std::string& dir, TableAccess access, const int* hold = nullptr, int ready = -1) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (hold != nullptr) ::close(hold[1]);
    Table table;
    OpenOptions options;
    options.access = access;
    options.lockWait = std::chrono::milliseconds(300);
    Status s = table.Open(DetalTablePath(dir, "dbf"), nullptr, options);
    if (s.ok() && access == TableAccess::Write) {
      std::vector<std::string> cells(kDetalFieldCount);
      cells[kDateTimeField] = "2024.01.01";
      s = table.BeginBulkAppend();
      if (s.ok()) s = table.BulkAppend(cells);
      Status end = table.EndBulkAppend();
      if (s.ok()) s = end;
    }
    if (ready >= 0) (void)!::write(ready, "r", 1);
    char c = 0;
    if (hold != nullptr) (void)!::read(hold[0], &c, 1);
    _exit(s.ok() ? 0 : s.kind() == StatusKind::InUse ? 1 : 2);
  }
  if (hold != nullptr) return pid;
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs zvonar-cli in a process of its own: `--dir DIR import FILE`; its
// exit code, and its standard error in `err`.
int CliImport(const std::string& dir, const std::string& bill, QString* err) {
  QProcess cli;
  cli.start(ZVONAR_CLI, {"--dir", QString::fromStdString(dir), "import", QString::fromStdString(bill)});
  if (!cli.waitForFinished(120000)) return -1;  // a loaded machine is slow, not this slow
  *err = QString::fromUtf8(cli.readAllStandardError());
  return cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
}

std::string CopyExample(const TempDir& dir, const char* name) {
  const std::string path = dir.File(name);
  std::filesystem::copy_file(std::filesystem::path(ZVONAR_SOURCE_DIR) / "examples" / name, path);
  return path;
}

}  // namespace

class MainFormLockTest : public QObject {
  Q_OBJECT

 private slots:
  void ReadersAndWritersGoOnBesideTheWindow() {
    TempDir dir;
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    QCOMPARE(OtherProgram(dir.path(), TableAccess::Read), 0);
    QCOMPARE(OtherProgram(dir.path(), TableAccess::Write), 0);
    form.close();
    QCOMPARE(OtherProgram(dir.path(), TableAccess::Write), 0);
  }

  void ImportsOfZvonarCliShowWhenTheWindowComesToTheFrontOrReads() {
    TempDir dir;
    const std::string march = CopyExample(dir, "bill-2008-03.txt");
    const std::string may = CopyExample(dir, "bill-2008-05.txt");
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.stRecCount->text(), QString("0"));
    // The filter as the user set it; the imports must leave it alone.
    form.chkbFilterDate->setChecked(true);
    form.edFilterOwner->setEditText("9000000000");

    QString err;
    QVERIFY2(CliImport(dir.path(), march, &err) == 0, qPrintable(err));
    std::vector<std::string> owners;
    QVERIFY(ReadOwnersFile(dir.File("Tellura.dat"), &owners).ok());
    QVERIFY(!owners.empty());
    // Another window comes to the front, then the main window again.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTRY_COMPARE(form.stRecCount->text(), QString("24"));
    QCOMPARE(form.dbgDetaliz->model()->rowCount(), 24);
    QVERIFY(!form.dbgDetaliz->model()->data(form.dbgDetaliz->model()->index(0, 2)).toString().isEmpty());
    for (const std::string& owner : owners) QVERIFY(form.edFilterOwner->findText(QString::fromStdString(owner)) >= 0);
    QCOMPARE(form.edFilterOwner->currentText(), QString("9000000000"));
    QVERIFY(form.chkbFilterDate->isChecked());
    QVERIFY(form.mnUndo->isEnabled());

    // The next import shows at the window's next read: a filter run.
    QVERIFY2(CliImport(dir.path(), may, &err) == 0, qPrintable(err));
    form.chkbFilterDate->setChecked(false);
    form.edFilterOwner->setEditText("");
    QTest::mouseClick(form.btnCheckedDataFilter, Qt::LeftButton);
    QTRY_VERIFY(form.stRecCount->text().toInt() > 24);
    const int all = form.stRecCount->text().toInt();
    QTRY_COMPARE(form.dbgDetaliz->model()->rowCount(), all);
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    form.close();
  }

  void ARowPickedBeforeAnotherProgramsChangeShowsIsNotDeleted() {
    TempDir dir;
    const std::string march = CopyExample(dir, "bill-2008-03.txt");
    const std::string may = CopyExample(dir, "bill-2008-05.txt");
    QString err;
    QVERIFY2(CliImport(dir.path(), march, &err) == 0, qPrintable(err));
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    QTableView* grid = form.dbgDetaliz;
    QCOMPARE(grid->model()->rowCount(), 24);
    grid->setCurrentIndex(grid->model()->index(0, 0));
    QVERIFY2(CliImport(dir.path(), may, &err) == 0, qPrintable(err));

    // The row the user saw may hold another record now: the grid shows the
    // table again instead of deleting.
    QTest::keyClick(grid, Qt::Key_Delete);
    QVERIFY(prompts.questions.isEmpty());
    QTRY_VERIFY(grid->model()->rowCount() > 24);
    const int all = grid->model()->rowCount();
    QCOMPARE(form.stRecCount->text(), QString::number(all));
    grid->setCurrentIndex(grid->model()->index(0, 0));
    prompts.answers = {true};
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(prompts.questions.size(), qsizetype{1});
    QCOMPARE(grid->model()->rowCount(), all - 1);
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    form.close();
  }

  void ImportWhileAnotherProgramReadsIsToldAndChangesNothing() {
    TempDir dir;
    const std::string bill = dir.File("bill.txt");
    std::filesystem::copy_file(std::filesystem::path(ZVONAR_SOURCE_DIR) / "examples" / "bill-2008-03.txt", bill);
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    int fds[2], ready[2];
    QCOMPARE(::pipe(fds), 0);
    QCOMPARE(::pipe(ready), 0);
    const int reader = OtherProgram(dir.path(), TableAccess::Read, fds, ready[1]);
    char c = 0;
    QCOMPARE(::read(ready[0], &c, 1), ssize_t{1});  // the reader has the table
    ::close(ready[0]);
    ::close(ready[1]);
    prompts.files.push_back(QString::fromStdString(bill));
    form.mnAddDetalization->trigger();
    QCOMPARE(prompts.errors, QStringList{"The table is in use by another program."});
    QCOMPARE(form.stRecCount->text(), QString("0"));
    ::close(fds[1]);
    int status = 0;
    ::waitpid(reader, &status, 0);
    ::close(fds[0]);

    prompts.errors.clear();
    prompts.files.push_back(QString::fromStdString(bill));
    form.mnAddDetalization->trigger();
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    QCOMPARE(form.stRecCount->text(), QString("24"));
    QCOMPARE(OtherProgram(dir.path(), TableAccess::Read), 0);  // the window holds it shared again
    form.close();
  }

  void ImportTellsHowManyCellsWereCut() {
    TempDir dir;
    const std::string bill = dir.File("bill.txt");
    std::filesystem::copy_file(std::filesystem::path(ZVONAR_SOURCE_DIR) / "examples" / "bill-2008-03.txt", bill);
    testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nFillCodesTypesOnAddDetalization=1\r\n");
    testing::WriteOrDie(dir.File("codetype.dat"), "2=" + std::string(40, 'x') + "\r\n");  // type 2: 40 > 15
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    prompts.files.push_back(QString::fromStdString(bill));
    form.mnAddDetalization->trigger();
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    QVERIFY(!prompts.infos.isEmpty());
    QVERIFY2(prompts.infos.last().startsWith("bill.txt: ") &&
                 prompts.infos.last().contains(" text cells longer than their field were cut: line "),
             qPrintable(prompts.infos.join("; ")));
    QVERIFY(!prompts.infos.last().startsWith("bill.txt: 0 "));
    form.close();
  }
};

QTEST_MAIN(MainFormLockTest)
#include "MainFormLockTest.moc"
