// The main window through its public behaviour: start-up over a data
// directory, what it shows, and what it writes at exit.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

#include "app/MainForm.h"
#include "app/tests/StartMainForm.h"
#include "base/TextFile.h"
#include "base/tests/TestSupport.h"
#include "config/IniFile.h"
#include "import/MemoForm.h"
#include "store/DetalTable.h"
#include "store/Table.h"
#include "ui/ListModels.h"
#include "ui/tests/ScriptedPrompts.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::StartMainForm;
using zvonar::testing::TempDir;

namespace {

void AppendRecord(Table* table, const std::vector<std::string>& texts) {
  QVERIFY(table->Append().ok());
  for (int i = 0; i < static_cast<int>(texts.size()); ++i) QVERIFY(table->SetFieldText(i, texts[i]).ok());
  QVERIFY(table->Post().ok());
}

std::string Lines(int count, const std::string& prefix) {
  std::string text;
  for (int i = 0; i < count; ++i) text += prefix + std::to_string(i) + "\r\n";
  return text;
}

}  // namespace

class MainFormTest : public QObject {
  Q_OBJECT

 private slots:
  void FirstStartWithoutDataFiles() {
    TempDir dir;
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    QCOMPARE(form->windowTitle(), QString("Tellura Detalization"));
    QCOMPARE(form->dtpDateBegin->date(), QDate::currentDate());
    QCOMPARE(form->dtpDateEnd->date(), QDate::currentDate());
    QCOMPARE(form->edFilterOwner->count(), 0);
    QCOMPARE(form->stRecCount->text(), QString("0"));
    QVERIFY(FileExists(dir.File("Tellura.dbf")));
    QVERIFY(FileExists(dir.File("Tellura.MDX")));
    QVERIFY(form->chkbFilterNull->isChecked());
    QVERIFY(!form->mnDBReOpen->isVisible());
    QVERIFY(form->lvStat->isVisibleTo(form.get()));
    form->close();
    form.reset();

    std::vector<std::string> lines;
    QVERIFY(ReadTextLines(dir.File("settings.ini"), &lines).ok());
    QVERIFY(lines.at(0).rfind("Zvonar v.2.3.3.65,  (", 0) == 0);
    const IniFile ini(lines);
    QCOMPARE(ini.ReadString("Window", "MainWindowState", ""), std::string("Normal"));
    QCOMPARE(ini.ReadString("Filter", "Null", ""), std::string("1"));
    QCOMPARE(ini.ReadString("Settings", "FontSize", ""), std::string("8"));
    QVERIFY(ini.HasKey("Window", "ListViewCol_11"));
    QVERIFY(FileExists(dir.File("fields.dat")));
    QVERIFY(!FileExists(dir.File("Tellura.dat")));  // no owners, no owners file
  }

  void SettingsDriveTheWindow() {
    TempDir dir;
    testing::WriteOrDie(dir.File("settings.ini"),
                        "stamp\r\n[Settings]\r\nCountFilterStatistic=0\r\nFontSize=10\r\n[Filter]\r\nOwner=1\r\n"
                        "Exclude=1\r\nOperCodeID=921\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QVERIFY(!form->lvStat->isVisibleTo(form.get()));
    QVERIFY(form->lType->isVisibleTo(form.get()));
    QVERIFY(!form->mnCountFilterStatistic->isEnabled());
    QVERIFY(!form->mnPrintFilterStat->isEnabled());
    QVERIFY(!form->Settings().addFilterStatisticOnPrint);
    QCOMPARE(form->lvCounts->height(), 42);
    QVERIFY(form->chkbFilterOwner->isChecked());
    QVERIFY(form->edFilterOwner->isEnabled());
    QVERIFY(!form->cbFilterOperCode->isEnabled());
    QCOMPARE(form->cbFilterOperCode->currentText(), QString("921"));
    QCOMPARE(form->chkbFilterNumber->palette().color(QPalette::Window), QColor(0, 255, 0));

    form->ApplyFontAndCountsHeight(8, 36, false);
    QCOMPARE(form->lvCounts->height(), 36);
    form->close();
    std::string settings = testing::ReadOrEmpty(dir.File("settings.ini"));
    QVERIFY(settings.rfind("stamp\r\n", 0) == 0);
  }

  void LanguageFileGroups() {
    TempDir dir;
    // 16 lines: the caption and the column titles change, the menus do not.
    std::string sixteen = Lines(2, "x") + "Window Caption\r\nHolder\r\n" + Lines(12, "L");
    testing::WriteOrDie(dir.File("short.lng"), sixteen);
    testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nLanguage=short\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QCOMPARE(form->windowTitle(), QString("Window Caption"));
    QCOMPARE(form->lvFilterModel->Caption(0), QString("Holder"));
    QCOMPARE(form->mnFile->title(), QString("File"));
    QCOMPARE(form->AllText, QString("All"));
    form->close();
  }

  void OwnerBoxShowsTheFirstRecordsOwner() {
    TempDir dir;
    {
      Table table;
      std::string warning;
      QVERIFY(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
      AppendRecord(&table, {"79002222222", "2006.05.10 10:00:00", "79001112233", "", "1", "", "60", "1", "1.50",
                            "", "1.50", ""});
      QVERIFY(table.Close().ok());
    }
    testing::WriteOrDie(dir.File("Tellura.dat"), "79001111111\r\n79002222222\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QCOMPARE(form->edFilterOwner->count(), 2);
    QCOMPARE(form->edFilterOwner->currentText(), QString("79002222222"));
    QCOMPARE(form->dtpDateBegin->date(), QDate(2006, 5, 10));
    QCOMPARE(form->stRecCount->text(), QString("1"));
    QCOMPARE(form->stRecNo->text(), QString("1"));
    form->close();
    QCOMPARE(testing::ReadOrEmpty(dir.File("Tellura.dat")), std::string("79001111111\r\n79002222222\r\n"));
  }

  void IndexReCreateAfterTheIndexFileWasDeleted() {
    TempDir dir;
    {
      Table table;
      std::string warning;
      QVERIFY(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
      for (int i = 0; i < 3; ++i)
        AppendRecord(&table, {"7900", "2006.05.1" + std::to_string(i), "1", "", "", "", "", "", "", "", "", ""});
      QVERIFY(table.Close().ok());
    }
    QVERIFY(std::remove(dir.File("Tellura.MDX").c_str()) == 0);
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QCOMPARE(prompts.errors, QStringList{"Index not Exist!"});
    form->mnDBIndexReCreate->trigger();
    QCOMPARE(prompts.errors.size(), 1);
    QVERIFY(FileExists(dir.File("Tellura.MDX")));
    QCOMPARE(form->stRecCount->text(), QString("3"));
    form->close();
  }

  void CorruptTableIsReportedAndLeftAlone() {
    TempDir dir;
    const std::string junk = "this is not a dBase table at all";
    testing::WriteOrDie(dir.File("Tellura.dbf"), junk);
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QVERIFY(!prompts.errors.isEmpty());
    QVERIFY(prompts.errors.last().startsWith("Error on Open DataBase!"));
    QCOMPARE(prompts.questions, QStringList{"Try Reopen DataBase?"});
    form->close();
    QCOMPARE(testing::ReadOrEmpty(dir.File("Tellura.dbf")), junk);
  }

  void SetupBdeSaysTheEngineIsThere() {
    TempDir dir;
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    form->mnSetupBDE->trigger();
    QCOMPARE(prompts.infos, QStringList{"The table engine is built into the program: there is nothing to install."});
    form->close();
  }

  void MaximizedStateSkipsTheStoredSize() {
    TempDir dir;
    testing::WriteOrDie(dir.File("settings.ini"),
                        "[Window]\r\nMainWindowState=Maximized\r\nMainHeight=600\r\nMainWidth=900\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QVERIFY(form->windowState() & Qt::WindowMaximized);
    form->close();
    const IniFile ini(SplitLines(testing::ReadOrEmpty(dir.File("settings.ini"))));
    QCOMPARE(ini.ReadString("Window", "MainWindowState", ""), std::string("Maximized"));
  }

  void FortyTwoLineLanguageFileChangesMenusButNotAbout() {
    TempDir dir;
    std::string text = Lines(27, "x") + "Fichier\r\n" + Lines(14, "m");  // lines 0..41
    testing::WriteOrDie(dir.File("half.lng"), text);
    testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nLanguage=half\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QCOMPARE(form->mnFile->title(), QString("Fichier"));
    QCOMPARE(form->mnSettings->text(), QString("m13..."));
    QCOMPARE(form->mnAbout->text(), QString("About..."));
    QCOMPARE(form->AllText, QString("All"));
    QCOMPARE(form->chkbFilterOwner->text(), QString("x3"));
    form->close();
  }

  void EmptyOwnerBoxLeavesTheOwnersFileUnchanged() {
    TempDir dir;
    testing::WriteOrDie(dir.File("Tellura.dat"), "");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QCOMPARE(form->edFilterOwner->count(), 0);
    form->close();
    QCOMPARE(testing::ReadOrEmpty(dir.File("Tellura.dat")), std::string(""));
  }

  void ReferenceFilesFillTheBoxes() {
    TempDir dir;
    testing::WriteOrDie(dir.File("codetype.dat"), "1=Call\r\n8=SMS\r\nbare\r\n");
    testing::WriteOrDie(dir.File("abonents.dat"),
                        "stamp\r\n[Abonents]\r\n79031112233=Ann\r\n79265554433=Bob\r\n");
    testing::WriteOrDie(dir.File("opercode.dat"), "903\r\n926\r\n");
    testing::WriteOrDie(dir.File("settings.ini"), "[Filter]\r\nFilterCodeText=SMS\r\nOperCodeID=916\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QCOMPARE(form->cbFilterCode->count(), 3);
    QCOMPARE(form->cbFilterType->itemText(1), QString("SMS"));
    QCOMPARE(form->cbFilterCode->itemText(2), QString(""));
    QCOMPARE(form->cbFilterCode->currentText(), QString("SMS"));
    QCOMPARE(form->cbFilterNumber->count(), 2);
    QCOMPARE(form->cbFilterNumber->itemText(0), QString("79031112233"));
    QCOMPARE(form->cbFilterOperCode->count(), 2);
    QCOMPARE(form->cbFilterOperCode->currentText(), QString("916"));
    // One statistic row per code/type text and the total row.
    QCOMPARE(form->lvStatModel->rowCount(), 4);
    QCOMPARE(form->lvStatModel->Rows().back().at(0), std::string("All"));
    form->close();
  }

  void SortingTheOwnersKeepsTheText() {
    TempDir dir;
    testing::WriteOrDie(dir.File("Tellura.dat"), "79003\r\n79001\r\n79002\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    form->edFilterOwner->setEditText("typed");
    form->btnSortFilterOwner->click();
    QCOMPARE(form->edFilterOwner->itemText(0), QString("79001"));
    QCOMPARE(form->edFilterOwner->itemText(2), QString("79003"));
    QCOMPARE(form->edFilterOwner->currentText(), QString("typed"));
    form->close();
  }

  void ShowMonthSummaryOpensTheChosenFile() {
    TempDir dir;
    testing::WriteOrDie(dir.File("1234567-[2008.Mart].sum"), "\r\n\xCA\xEB\xE8\xE5\xED\xF2 : Ann\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    prompts.files.push_back(QString::fromStdString(dir.File("1234567-[2008.Mart].sum")));
    QString shown, caption;
    QTimer::singleShot(0, [&] {
      auto* memo = qobject_cast<TmemoForm*>(QApplication::activeModalWidget());
      QVERIFY(memo != nullptr);
      shown = memo->memo->toPlainText();
      caption = memo->windowTitle();
      memo->close();
    });
    form->mnShowMonthSummary->trigger();
    QCOMPARE(caption, QString("Summary"));
    QCOMPARE(shown, QString::fromUtf8("\nКлиент : Ann"));
    form->close();
  }

  void BeginDateProposesTheMonthEnd() {
    TempDir dir;
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    form->dtpDateBegin->setDate(QDate(2024, 1, 31));
    QCOMPARE(form->dtpDateEnd->date(), QDate(2024, 2, 29));
    form->dtpDateBegin->setDate(QDate(2006, 5, 10));
    QCOMPARE(form->dtpDateEnd->date(), QDate(2006, 5, 31));
    form->close();
  }
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
