// Add Detalization in the main window, with the splash on and off.
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QtTest>
#include <filesystem>

#include "app/MainForm.h"
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

  void RejectedLinesAreReportedOneByOne() {
    TempDir dir;
    const std::string bill = dir.File("bill.txt");
    std::filesystem::copy_file(ExampleBill("bill-2008-05.txt"), bill);
    ScriptedPrompts prompts;
    TMainForm form(dir.path(), &prompts);
    form.show();
    prompts.files.push_back(QString::fromStdString(bill));
    form.mnAddDetalization->trigger();
    QVERIFY(!prompts.infos.isEmpty());
    QVERIFY(prompts.infos.first().startsWith("Data not Corrected, so not Stored:"));
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
