// Add Detalization and Show Month Summary in the main window: the splash on
// and off, bills in folders whose names code page 1251 may not hold, and
// summaries that cannot be read.
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QDir>
#include <QtTest>
#include <filesystem>

#include "app/MainForm.h"
#include "base/TextFile.h"
#include "config/ShippedFiles.h"
#include "import/MemoForm.h"
#include "import/tests/BillTestSupport.h"
#include "ui/tests/ScriptedPrompts.h"
#include "base/tests/TestSupport.h"
#include "ui/SplashForm.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::TempDir;

namespace {

std::string ExampleBill(const char* name) {
  return (std::filesystem::path(ZVONAR_SOURCE_DIR) / "examples" / name).string();
}

}  // namespace

class MainFormImportTest : public QObject {
  Q_OBJECT

 private slots:
  void AddDetalizationImportsTheChosenBill() {
    for (const bool splash : {true, false}) {
      TempDir dir;
      const std::string bill = dir.File("bill.txt");
      std::filesystem::copy_file(ExampleBill("bill-2008-03.txt"), bill);
      testing::WriteOrDie(dir.File("settings.ini"),
                          std::string("[Settings]\r\nShowSplash=") + (splash ? "1" : "0") + "\r\n");
      ScriptedPrompts prompts;
      TMainForm form(dir.path(), &prompts);
      form.show();
      prompts.files.push_back(QString::fromStdString(bill));
      form.mnAddDetalization->trigger();
      QVERIFY(CurrentSplash() == nullptr);
      QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
      QCOMPARE(form.stRecCount->text(), QString("24"));
      QVERIFY(form.edFilterOwner->count() >= 1);
      QCOMPARE(form.edFilterOwner->itemText(0), QString("9161112233"));
      QCOMPARE(form.Settings().addDetalizationDir, dir.path().substr(0, dir.path().size() - 1));
      QVERIFY(!form.lType->text().isEmpty());
      form.close();
      // The owners file learns the bill's owner at exit.
      QVERIFY(testing::ReadOrEmpty(dir.File("Tellura.dat")).rfind("9161112233\r\n", 0) == 0);
    }
  }

  void RejectedLinesAreReportedInOneBox() {
    TempDir dir;
    const std::string bill = dir.File("bill.txt");
    std::filesystem::copy_file(ExampleBill("bill-2008-05.txt"), bill);
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    prompts.files.push_back(QString::fromStdString(bill));
    form.mnAddDetalization->trigger();
    QCOMPARE(prompts.infoDetails.size(), 1);
    QVERIFY(prompts.infos.first().endsWith("lines were not stored"));
    QVERIFY(prompts.infoDetails.first().startsWith("Data not Corrected, so not Stored:"));
    form.close();
  }

  void BillsAndSummariesInFoldersWithAnyName() {
    // Cyrillic letters and a space; then letters code page 1251 lacks, so
    // that folder is used but not remembered in settings.ini.
    struct Case {
      const char* folder;
      bool remembered;
    };
    for (const Case& c : {Case{"Счета 2008", true}, Case{"Счета Ω 日本", false}}) {
      TempDir dir;
      TempDir bills;
      const std::string billDir = bills.File(c.folder);
      std::filesystem::create_directory(billDir);
      const std::string bill = billDir + "/bill.txt";
      std::filesystem::copy_file(ExampleBill("bill-2008-03.txt"), bill);
      QVERIFY(SeedDataDir(dir.path()).ok());
      testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nLanguage=russian\r\n");
      {
        ScriptedPrompts prompts;
        TMainForm form(dir.path(), &prompts);
        form.show();
        prompts.files.push_back(QString::fromUtf8(bill));
        form.mnAddDetalization->trigger();
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
        QCOMPARE(form.stRecCount->text(), QString("24"));

        // The summary beside the bill, named with the Russian month, opens.
        const std::string summary = billDir + "/1234567-[2008.Март].sum";
        QVERIFY(FileExists(summary));
        prompts.files.push_back(QString::fromUtf8(summary));
        QString shown;
        QTimer::singleShot(0, [&] {
          auto* memo = qobject_cast<TmemoForm*>(QApplication::activeModalWidget());
          QVERIFY(memo != nullptr);
          shown = memo->memo->toPlainText();
          memo->close();
        });
        form.mnShowMonthSummary->trigger();
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
        QVERIFY2(shown.contains(QString::fromUtf8("Петров Пётр Петрович")), qPrintable(shown));
        // The next chooser opens in the bill's folder, remembered or not.
        QCOMPARE(prompts.dirs.value(1), QString::fromUtf8(billDir));
        form.close();
      }
      // The folder is kept in settings.ini (code page 1251) across a restart;
      // one it cannot hold gives way to the home folder.
      ScriptedPrompts prompts;
      TMainForm form(dir.path(), &prompts);
      form.show();
      form.mnAddDetalization->trigger();
      QCOMPARE(prompts.dirs.value(0), c.remembered ? QString::fromUtf8(billDir) : QDir::homePath());
      form.close();
    }
  }

  void UnreadableSummaryIsReported() {
    TempDir dir;
    std::string path = dir.File("1234567-[2008.Mart].sum");
    testing::WriteOrDie(path, "text");
    std::filesystem::permissions(path, std::filesystem::perms::none);
    std::string content;
    // The superuser reads any file whatever its mode; this one exists but
    // cannot be read from its start.
    if (ReadWholeFile(path, &content).ok()) path = "/proc/self/mem";
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    prompts.files.push_back(QString::fromStdString(path));
    bool memoShown = false;
    QTimer::singleShot(0, [&] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        memoShown = true;
        modal->close();
      }
    });
    form.mnShowMonthSummary->trigger();
    QVERIFY(!memoShown);
    QCOMPARE(prompts.errors.size(), 1);
    QVERIFY2(prompts.errors.first().contains(QString::fromStdString(path)), qPrintable(prompts.errors.first()));
    QVERIFY2(prompts.errors.first().contains(path == "/proc/self/mem" ? "Input/output error" : "Permission denied"),
             qPrintable(prompts.errors.first()));
    form.close();
  }

  void ABillThatGivesNothingOrWhoseSummaryIsALinkIsToldByName() {
    TempDir dir;
    testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nShowSplash=0\r\n");
    testing::WriteOrDie(dir.File("empty.txt"), "");
    testing::WriteOrDie(dir.File("bill.txt"),
                        testing::Bill({"Счет клиента : 1234567", "Клиент : Петров", "СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА",
                                       "БАЛАНС НА 31.03.2008", "Ведомость разговоров +7/9161112233",
                                       "01.03.2008 12:30:05 4951234567 M 1 60 1.00 2.50 0.00 2.50"}));
    testing::WriteOrDie(dir.File("victim"), "keep");
    const std::string summary = dir.File("1234567-[2008.Mart].sum");
    std::filesystem::create_symlink(dir.File("victim"), summary);
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    std::filesystem::create_symlink("/dev/zero", dir.File("zero.txt"));
    for (const char* bill : {"empty.txt", "bill.txt", "zero.txt"}) {
      prompts.files.push_back(QString::fromStdString(dir.File(bill)));
      form.mnAddDetalization->trigger();
    }
    QCOMPARE(prompts.errors,
             (QStringList{"empty.txt: no call or charge line was found (is it a bill of the operator?)",
                          QString::fromStdString("bill.txt: no month summary: " + summary +
                                                 " is a symbolic link, not a regular file; nothing was imported"),
                          QString::fromStdString("zero.txt: " + dir.File("zero.txt") +
                                                 " is a device, not a regular file")}));
    QCOMPARE(form.stRecCount->text(), QString("0"));
    QCOMPARE(testing::ReadOrEmpty(dir.File("victim")), std::string("keep"));
    form.close();
  }

  void CancelledDialogChangesNothing() {
    TempDir dir;
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    form.mnAddDetalization->trigger();
    QCOMPARE(form.stRecCount->text(), QString("0"));
    QVERIFY(prompts.errors.isEmpty() && prompts.infos.isEmpty());
    form.close();
  }
};

QTEST_MAIN(MainFormImportTest)
#include "MainFormImportTest.moc"
