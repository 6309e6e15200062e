// The main window beside other programs: it holds the table shared, so
// readers go on beside it while writers are told it is in use; its own
// import takes the table exclusively only while it writes, says so when
// another program keeps it, and tells what it had to cut or drop.
#include <sys/wait.h>
#include <unistd.h>

#include <QLabel>
#include <QtTest>
#include <filesystem>

#include "app/MainForm.h"
#include "base/tests/TestSupport.h"
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

}  // namespace

class MainFormLockTest : public QObject {
  Q_OBJECT

 private slots:
  void ReadersGoOnBesideTheWindowAndWritersAreTold() {
    TempDir dir;
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    QCOMPARE(OtherProgram(dir.path(), TableAccess::Read), 0);
    QCOMPARE(OtherProgram(dir.path(), TableAccess::Write), 1);
    form.close();
    QCOMPARE(OtherProgram(dir.path(), TableAccess::Write), 0);
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
