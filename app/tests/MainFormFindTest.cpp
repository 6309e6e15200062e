// Find as you type in the main window: Ctrl+F over the result list and over
// the record grid, typing, Enter, Shift+Enter and Escape, the "k of n"
// count, the wrap note, the marked rows and the bar's texts in Russian.
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include "app/MainForm.h"
#include "base/Cp1251.h"
#include "base/tests/TestSupport.h"
#include "store/DetalTable.h"
#include "store/Table.h"
#include "ui/FindBar.h"
#include "ui/ListModels.h"
#include "ui/TableGridModel.h"
#include "ui/tests/ScriptedPrompts.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::TempDir;
using zvonar::testing::WriteOrDie;

namespace {

// owner, date-time, number, abonent, code, type, roaming; UTF-8.
const std::vector<std::array<const char*, 7>> kRecords = {
    {"79001", "2006.05.01 10:00:00", "79031112233", "Иванов Пётр", "1", "Call", ""},
    {"79001", "2006.05.02 11:00:00", "79265554433", "", "G", "GPRS", "Roaming KZ"},
    {"79001", "2006.05.03 12:00:00", "79037778899", "bob", "1", "Call", ""},
    {"79002", "2006.05.04 13:00:00", "84951234567", "ИВАНОВА", "8", "SMS", ""},
    {"79002", "2006.05.05 14:00:00", "79160000000", "Ann", "1", "Call", "Сеть Иваново"},
};

std::string Cp(const char* utf8) {
  std::string out;
  if (!Utf8ToCp1251(utf8, &out).ok()) qFatal("not in code page 1251: %s", utf8);
  return out;
}

struct FindWindow {
  FindWindow() {
    Table table;
    std::string warning;
    if (!OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok()) qFatal("no table");
    for (const auto& r : kRecords) {
      const std::string texts[12] = {r[0], r[1], r[2], Cp(r[3]), r[4], r[5], "60", "1", "1.50", "", "1.50", Cp(r[6])};
      bool ok = table.Append().ok();
      for (int i = 0; i < 12; ++i) ok = ok && table.SetFieldText(i, texts[i]).ok();
      if (!ok || !table.Post().ok()) qFatal("record not stored");
    }
    (void)table.Close();
    WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nShowSplash=0\r\n");
    form = std::make_unique<TMainForm>(dir.path(), &prompts);
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) qWarning("the window is not active");
  }
  ~FindWindow() { form->close(); }

  void Filter() {
    form->btnCheckedDataFilter->click();
    QCOMPARE(form->lvFilterModel->rowCount(), static_cast<int>(kRecords.size()));
  }
  // The result list filled and its bar opened with Ctrl+F.
  FindBar* OpenListFind() {
    Filter();
    CtrlF(form->lvFilter);
    return form->lvFilterFind;
  }
  // Ctrl+F with the focus in `view`.
  void CtrlF(QWidget* view) {
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
  }
  // The list row whose Number is `number`.
  int ListRow(const char* number) const {
    const ResultRows& rows = form->lvFilterModel->Rows();
    for (std::size_t r = 0; r < rows.RowCount(); ++r)
      if (rows.Cell(r, kNumberField) == number) return static_cast<int>(r);
    return -1;
  }
  // The Numbers of the rows `model` marks, in row order.
  static QStringList Marked(const QAbstractItemModel* model) {
    QStringList numbers;
    for (int r = 0; r < model->rowCount(); ++r) {
      const QModelIndex cell = model->index(r, kNumberField);
      const bool marked = model->data(cell, kFoundRowRole).toBool();
      const QString number = model->data(cell, Qt::DisplayRole).toString();
      // A marked row is painted on its own background, and only a marked one.
      if (marked != model->data(cell, Qt::BackgroundRole).isValid()) numbers << "painted wrongly: " + number;
      if (marked) numbers << number;
    }
    return numbers;
  }
  // Types `text` into the bar's box one character at a time.
  static void Type(FindBar* bar, const QString& text) {
    for (const QChar c : text) bar->edFind->insert(QString(c));
  }

  TempDir dir;
  ScriptedPrompts prompts;
  std::unique_ptr<TMainForm> form;
};

}  // namespace

class MainFormFindTest : public QObject {
  Q_OBJECT

 private slots:
  void TypingMovesToTheNextMatchAndCountsAndMarksThem() {
    FindWindow w;
    w.Filter();
    FindBar* bar = w.form->lvFilterFind;
    QVERIFY(bar->isHidden());
    w.CtrlF(w.form->lvFilter);
    QVERIFY(bar->isVisible());
    QVERIFY(bar->edFind->hasFocus());
    QTest::keyClicks(bar->edFind, "7903");
    QCOMPARE(w.form->lvFilter->currentIndex().row(), w.ListRow("79031112233"));
    QCOMPARE(bar->lFindCount->text(), QString("1 of 2"));
    QCOMPARE(FindWindow::Marked(w.form->lvFilterModel), (QStringList{"79031112233", "79037778899"}));
    // A match is the selected row, so the context menu's commands take it.
    QCOMPARE(w.form->lvFilter->selectionModel()->selectedRows().value(0).row(), w.ListRow("79031112233"));

    // Each column looked in, none other: Type, Roaming, Code.
    bar->edFind->setText("gprs");
    QCOMPARE(FindWindow::Marked(w.form->lvFilterModel), QStringList{"79265554433"});
    bar->edFind->setText("kz");
    QCOMPARE(FindWindow::Marked(w.form->lvFilterModel), QStringList{"79265554433"});
    bar->edFind->setText("8");
    QCOMPARE(FindWindow::Marked(w.form->lvFilterModel), (QStringList{"79037778899", "84951234567"}));
    QCOMPARE(bar->lFindCount->text(), QString("1 of 2"));
    bar->edFind->setText("2006");
    QCOMPARE(bar->lFindCount->text(), QString("No matches"));
    QVERIFY(FindWindow::Marked(w.form->lvFilterModel).isEmpty());
    bar->edFind->clear();
    QCOMPARE(bar->lFindCount->text(), QString());
  }

  void EnterShiftEnterAndEscape() {
    FindWindow w;
    FindBar* bar = w.OpenListFind();
    QTest::keyClicks(bar->edFind, "7903");
    const int first = w.ListRow("79031112233"), second = w.ListRow("79037778899");
    QTest::keyClick(bar->edFind, Qt::Key_Return);
    QCOMPARE(w.form->lvFilter->currentIndex().row(), second);
    QCOMPARE(bar->lFindCount->text(), QString("2 of 2"));
    QVERIFY(bar->lFindWrapped->text().isEmpty());
    QTest::keyClick(bar->edFind, Qt::Key_Enter);
    QCOMPARE(w.form->lvFilter->currentIndex().row(), first);
    QCOMPARE(bar->lFindCount->text(), QString("1 of 2"));
    QCOMPARE(bar->lFindWrapped->text(), QString("Continued from the top"));
    QTest::keyClick(bar->edFind, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(w.form->lvFilter->currentIndex().row(), second);
    QCOMPARE(bar->lFindWrapped->text(), QString("Continued from the bottom"));
    bar->btnFindPrevious->click();
    QCOMPARE(w.form->lvFilter->currentIndex().row(), first);
    QVERIFY(bar->lFindWrapped->text().isEmpty());
    bar->btnFindNext->click();
    QCOMPARE(w.form->lvFilter->currentIndex().row(), second);

    QTest::keyClick(bar->edFind, Qt::Key_Escape);
    QVERIFY(bar->isHidden());
    QVERIFY(w.form->lvFilter->hasFocus());
    QVERIFY(FindWindow::Marked(w.form->lvFilterModel).isEmpty());
    QCOMPARE(w.form->lvFilter->currentIndex().row(), second);  // the match found stays current
    // Opened again, the text is still there and found again.
    w.CtrlF(w.form->lvFilter);
    QCOMPARE(bar->edFind->selectedText(), QString("7903"));
    QCOMPARE(FindWindow::Marked(w.form->lvFilterModel).size(), 2);
  }

  void CyrillicLettersMatchInEitherCase() {
    FindWindow w;
    FindBar* bar = w.OpenListFind();
    FindWindow::Type(bar, "иВАН");
    // "Иванов Пётр", "ИВАНОВА" and the roaming "Сеть Иваново".
    QCOMPARE(FindWindow::Marked(w.form->lvFilterModel), (QStringList{"79031112233", "84951234567", "79160000000"}));
    QCOMPARE(bar->lFindCount->text(), QString("1 of 3"));
    bar->edFind->setText("ПЁТР");
    QCOMPARE(FindWindow::Marked(w.form->lvFilterModel), QStringList{"79031112233"});
    bar->edFind->setText("ПЕТР");  // Е is not Ё
    QCOMPARE(bar->lFindCount->text(), QString("No matches"));
  }

  void TheMarksFollowTheListWhenItChanges() {
    FindWindow w;
    FindBar* bar = w.OpenListFind();
    QTest::keyClicks(bar->edFind, "call");
    QCOMPARE(bar->lFindCount->text(), QString("1 of 3"));
    // Sorted by Number descending, the rows change places under the marks.
    emit w.form->lvFilter->header()->sectionClicked(kNumberField);
    emit w.form->lvFilter->header()->sectionClicked(kNumberField);
    QTRY_COMPARE(FindWindow::Marked(w.form->lvFilterModel), (QStringList{"79160000000", "79037778899", "79031112233"}));
    QTest::keyClick(bar->edFind, Qt::Key_Return);
    QCOMPARE(bar->lFindCount->text(), QString("1 of 3"));
    QCOMPARE(w.form->lvFilter->currentIndex().row(), w.ListRow("79160000000"));
  }

  void TheGridHasABarOfItsOwn() {
    FindWindow w;
    QTableView* grid = w.form->dbgDetaliz;
    QAbstractItemModel* model = grid->model();
    QCOMPARE(model->rowCount(), static_cast<int>(kRecords.size()));
    grid->setCurrentIndex(model->index(0, 0));
    w.CtrlF(grid);
    FindBar* bar = w.form->dbgDetalizFind;
    QVERIFY(bar->isVisible());
    QVERIFY(w.form->lvFilterFind->isHidden());
    FindWindow::Type(bar, "ИВАНОВА");
    QCOMPARE(FindWindow::Marked(model), QStringList{"84951234567"});
    QCOMPARE(model->data(model->index(grid->currentIndex().row(), kNumberField)).toString(), QString("84951234567"));
    QCOMPARE(bar->lFindCount->text(), QString("1 of 1"));
    // The match is the table's current record, as after a click.
    QCOMPARE(w.form->stRecNo->text(), QString("4"));

    // A record deleted in the grid is no longer found.
    w.prompts.answers = {true};
    QTest::keyClick(grid, Qt::Key_Delete);
    QTRY_COMPARE(bar->lFindCount->text(), QString("No matches"));
    QVERIFY(FindWindow::Marked(model).isEmpty());
    bar->edFind->setText("1");
    QTest::keyClick(bar->edFind, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(bar->lFindCount->text(), QString("2 of 3"));
  }

  void TheBarSpeaksTheLanguageInUse() {
    FindWindow w;
    QVERIFY(w.form->LoadLanguage(std::string(ZVONAR_SOURCE_DIR) + "/lang/russian.lng"));
    FindBar* bar = w.OpenListFind();
    QCOMPARE(bar->lFindCaption->text(), QString("Найти:"));
    QCOMPARE(w.form->mnFind->text(), QString("Найти..."));
    QTest::keyClicks(bar->edFind, "bob");
    QCOMPARE(bar->lFindCount->text(), QString("1 из 1"));
    QTest::keyClick(bar->edFind, Qt::Key_Return);
    QCOMPARE(bar->lFindWrapped->text(), QString("Продолжено с начала"));
    bar->edFind->setText("xyz");
    QCOMPARE(bar->lFindCount->text(), QString("Совпадений нет"));
  }
};

QTEST_MAIN(MainFormFindTest)
#include "MainFormFindTest.moc"
