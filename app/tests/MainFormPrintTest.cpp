// The print commands of the main window: the preview opens over the result
// list or the statistic, and its "Export PDF..." button writes the pages.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QTimer>
#include <QDir>
#include <QtTest>
#include <filesystem>

#include "app/MainForm.h"
#include "base/tests/TestSupport.h"
#include "config/ShippedFiles.h"
#include "print/tests/PdfText.h"
#include "ui/ListModels.h"
#include "ui/tests/ScriptedPrompts.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::TempDir;

namespace {

ResultRows SomeRows(int n) {
  ResultRows rows;
  for (int r = 0; r < n; ++r) {
    const std::string number = "7903" + std::to_string(1000000 + r);
    rows.Append({"79001", "2024.05.10 10:00:00", number, "Ann", "1", "Call", "30", "1", "1.50", "", "1.50", ""});
  }
  return rows;
}

// Runs a print command; a timer answers its preview as a user would, first
// pressing "Export PDF..." when `exportPdf`. Returns whether a preview opened.
bool RunPreview(QAction* command, bool exportPdf) {
  bool shown = false;
  QTimer::singleShot(0, [&shown, exportPdf] {
    QDialog* preview = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (preview == nullptr) return;
    shown = true;
    if (exportPdf) {
      auto* action = preview->findChild<QAction*>("actExportPdf");
      QVERIFY(action != nullptr);
      action->trigger();
    }
    preview->reject();
  });
  command->trigger();
  QCoreApplication::processEvents();
  return shown;
}

}  // namespace

class MainFormPrintTest : public QObject {
  Q_OBJECT

 private slots:
  void PrintFilteredExportsTheListWithItsHeader() {
    TempDir dir;
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    // The ticked owner and dates filtered the list: the header names them.
    form.chkbFilterOwner->setChecked(true);
    form.edFilterOwner->setEditText("79001");
    form.chkbFilterDate->setChecked(true);
    form.dtpDateBegin->setDate(QDate(2024, 5, 1));
    form.dtpDateEnd->setDate(QDate(2024, 5, 31));
    form.lvFilterModel->SetRows(SomeRows(60));
    form.lvStatModel->SetRows({{"Call", "1800", "60", "90"}, {"All", "1800", "60", "90"}});

    // The export writes where the user says, adding the extension.
    prompts.files = {QString::fromStdString(dir.File("list"))};
    QVERIFY(RunPreview(form.mnPrintFilter, true));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    QCOMPARE(prompts.dirs, QStringList{QDir::homePath()});  // never the data directory
    QVERIFY(std::filesystem::exists(dir.File("list.pdf")));
    if (!testing::HavePdfToText()) QSKIP("pdftotext (poppler-utils) is not installed");
    const std::string text = testing::PdfText(dir.File("list.pdf"));
    QCOMPARE(std::count(text.begin(), text.end(), '\f'), 2);
    QVERIFY(text.find("Детализация на номер: 79001") != std::string::npos);
    QVERIFY(text.find("за период: 2024.05.01 - 2024.05.31") != std::string::npos);
    QVERIFY(text.find("79031000059") != std::string::npos);
    QVERIFY(text.find("Статистика") != std::string::npos);

    // Unticked, the boxes filtered nothing: the header names what is listed.
    form.chkbFilterOwner->setChecked(false);
    form.chkbFilterDate->setChecked(false);
    prompts.files = {QString::fromStdString(dir.File("listed"))};
    QVERIFY(RunPreview(form.mnPrintFilter, true));
    const std::string listed = testing::PdfText(dir.File("listed.pdf"));
    QVERIFY(listed.find("Детализация на номер: 79001") != std::string::npos);
    QVERIFY(listed.find("за период: 2024.05.10 - 2024.05.10") != std::string::npos);
  }

  void PrintStatisticAloneAndCancelledExport() {
    TempDir dir;
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.lvStatModel->SetRows({{"Call", "1800", "60", "90"}, {"All", "1800", "60", "90"}});
    prompts.files = {QString::fromStdString(dir.File("stat.pdf"))};
    QVERIFY(RunPreview(form.mnPrintFilterStat, true));
    QVERIFY(std::filesystem::exists(dir.File("stat.pdf")));
    if (testing::HavePdfToText()) {
      const std::string text = testing::PdfText(dir.File("stat.pdf"));
      QVERIFY(text.find("Статистика") != std::string::npos);
      QVERIFY(text.find("Начало Детализации") == std::string::npos);
    }
    // A cancelled file choice writes nothing and says nothing.
    QVERIFY(RunPreview(form.mnPrintFilterStat, true));
    QVERIFY(prompts.errors.isEmpty());
  }

  // The report speaks the window's language; a language file without the
  // report's lines prints its Russian words.
  void ReportFollowsTheWindowsLanguage() {
    if (!testing::HavePdfToText()) QSKIP("pdftotext (poppler-utils) is not installed");
    TempDir dir;
    QVERIFY(SeedDataDir(dir.path()).ok());
    testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nLanguage=english\r\n");
    ScriptedPrompts prompts;
    {
      TMainForm form(dir.path(), &prompts);
      form.lvFilterModel->SetRows(SomeRows(3));
      form.lvStatModel->SetRows({{"Call", "90", "3", "4.50"}, {"All", "90", "3", "4.50"}});
      prompts.files = {QString::fromStdString(dir.File("english.pdf"))};
      QVERIFY(RunPreview(form.mnPrintFilter, true));
    }
    const std::string english = testing::PdfText(dir.File("english.pdf"));
    for (const char* words : {"Detalization for number: 79001", "for the period: 2024.05.10 - 2024.05.10",
                              "Time / Date", "Roaming", "Statistic"})
      QVERIFY2(english.find(words) != std::string::npos, words);
    QVERIFY(english.find("Детализац") == std::string::npos);

    // A user's short English file: the window stays English where it can,
    // the report falls back to the Russian words.
    std::string shortFile;
    for (const ShippedFile& f : ShippedLanguageFiles())
      if (f.name == "english.lng") shortFile = f.bytes.substr(0, f.bytes.find("Detalization for number:"));
    QVERIFY(!shortFile.empty());
    testing::WriteOrDie(dir.File("english.lng"), shortFile);
    TMainForm form(dir.path(), &prompts);
    form.lvFilterModel->SetRows(SomeRows(3));
    prompts.files = {QString::fromStdString(dir.File("short.pdf"))};
    QVERIFY(RunPreview(form.mnPrintFilter, true));
    const std::string russian = testing::PdfText(dir.File("short.pdf"));
    QVERIFY(russian.find("Детализация на номер: 79001") != std::string::npos);
    QVERIFY(russian.find("Время / Дата") != std::string::npos);
  }

  void EmptyListsShowNoPreview() {
    TempDir dir;
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.lvStatModel->SetRows({});
    QVERIFY(!RunPreview(form.mnPrintFilter, false));
    QVERIFY(!RunPreview(form.mnPrintFilterStat, false));
  }

  void ExportRefusesTheTableAndDevices() {
    TempDir dir;
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.lvFilterModel->SetRows(SomeRows(3));
    const std::string table = "the table's bytes";
    testing::WriteOrDie(dir.File("Tellura.dbf"), table);
    prompts.files = {QString::fromStdString(dir.path() + "./Tellura.dbf"), "/dev/full"};
    QVERIFY(RunPreview(form.mnPrintFilter, true));
    QVERIFY(RunPreview(form.mnPrintFilter, true));
    QCOMPARE(prompts.errors, (QStringList{QString::fromStdString("cannot write to " + dir.path() +
                                                                 "./Tellura.dbf: it is the program's own file "
                                                                 "Tellura.dbf"),
                                          "/dev/full is a device, not a regular file"}));
    QCOMPARE(testing::ReadOrEmpty(dir.File("Tellura.dbf")), table);
    QVERIFY(std::filesystem::is_character_file("/dev/full"));
    QVERIFY(!std::filesystem::exists("/dev/full.pdf"));
  }

  void FailedExportIsReported() {
    TempDir dir;
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.lvFilterModel->SetRows(SomeRows(3));
    prompts.files = {QString::fromStdString(dir.File("no/such/dir/x.pdf"))};
    QVERIFY(RunPreview(form.mnPrintFilter, true));
    QCOMPARE(prompts.errors.size(), 1);
    QVERIFY(prompts.errors[0].contains("x.pdf"));
  }
};

QTEST_MAIN(MainFormPrintTest)
#include "MainFormPrintTest.moc"
