// Commands that find nothing to do say why, and the import names the cells
// it had to cut by bill, line and column, in the window's language.
#include <QAction>
#include <QLabel>
#include <QtTest>

#include "app/tests/StartMainForm.h"
#include "import/tests/BillTestSupport.h"
#include "ui/ListModels.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::StartMainForm;
using zvonar::testing::TempDir;

namespace {

// A bill of two calls, on lines 2 and 3, to a number `abonents.dat` of
// `dir` names with 51 letters, one more than the Abonent field holds.
void WriteBillWithALongName(const TempDir& dir) {
  testing::WriteOrDie(
      dir.File("cut.txt"),
      testing::Bill({"Ведомость разговоров +7/9161112233", "01.03.2008 12:30:05 4957654321 М 1 60 1.00 2.50 0.00 2.50",
                     "02.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50"}));
  testing::WriteOrDie(dir.File("abonents.dat"), "S\r\n[Abonents]\r\n4951234567=" + std::string(51, 'n') + "\r\n");
}

void UseRussian(const TempDir& dir) {
  QFile::copy(QString(ZVONAR_SOURCE_DIR) + "/lang/russian.lng", QString::fromStdString(dir.File("russian.lng")));
  testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nLanguage=russian\r\n");
}

}  // namespace

class MainFormAnswersTest : public QObject {
  Q_OBJECT

 private slots:
  void CommandsWithNothingToWorkOnSayWhy() {
    TempDir dir;
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    form->mnFillNumberAbonents->trigger();
    form->mnFillNumberAbonentsFilter->trigger();
    form->mnAddNoNameNumbersToAbonBook->trigger();
    form->mnAddNoNameNumbersToAbonBookFromFilter->trigger();
    form->mnSetupBDE->trigger();
    QCOMPARE(prompts.infos, QStringList({"Nothing was done: there is no abonents book " +
                                             QString::fromStdString(dir.File("abonents.dat")) + ".",
                                         "Nothing was done: the result list is empty.",
                                         "Nothing was done: the table holds no records.",
                                         "Nothing was done: the result list is empty.",
                                         "The table engine is built into the program: there is nothing to install."}));

    // With rows in the list but no book, the list's fill says the same.
    prompts.infos.clear();
    ResultRows rows;
    rows.Append({"79001", "2006.05.01", "79161234567", "", "", "", "", "", "", "", "", ""});
    form->lvFilterModel->SetRows(std::move(rows));
    form->mnFillNumberAbonentsFilter->trigger();
    QCOMPARE(prompts.infos.size(), 1);
    QVERIFY(prompts.infos[0].startsWith("Nothing was done: there is no abonents book "));
    QVERIFY(prompts.errors.isEmpty());
    form->close();
  }

  void CutCellsAreNamedByBillLineAndColumn() {
    TempDir dir;
    WriteBillWithALongName(dir);
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    prompts.files.push_back(QString::fromStdString(dir.File("cut.txt")));
    form->mnAddDetalization->trigger();
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    QCOMPARE(form->stRecCount->text(), QString("2"));
    QCOMPARE(prompts.infos, QStringList{"cut.txt: 1 text cell longer than its field was cut: line 3, Abonent"});
    form->close();
  }

  // The Russian window names the column and the line in Russian.
  void RussianMessagesHoldNoEnglishWords() {
    TempDir dir;
    UseRussian(dir);
    WriteBillWithALongName(dir);
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    const QString column = form->lvFilterModel->Caption(3);
    QVERIFY(column != "Abonent");
    prompts.files.push_back(QString::fromStdString(dir.File("cut.txt")));
    form->mnAddDetalization->trigger();
    form->mnSetupBDE->trigger();
    form->mnFillCodesTypes->trigger();
    QCOMPARE(prompts.infos,
             QStringList(
                 {QString::fromUtf8("cut.txt: обрезана 1 текстовая ячейка, длиннее своего поля: строка 3, ") + column,
                  QString::fromUtf8("Движок таблиц встроен в программу: устанавливать ничего не нужно."),
                  QString::fromUtf8("Ничего не изменено: в ") + QString::fromStdString(dir.path()) +
                      QString::fromUtf8(" нет файла codetype.dat, или в нём нет кодов.")}));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    form->close();
  }
};

QTEST_MAIN(MainFormAnswersTest)
#include "MainFormAnswersTest.moc"
