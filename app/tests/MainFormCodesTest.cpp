// The codes/types commands of the Abonents menu over a small table: the
// dialog refreshing the filter boxes and the statistic captions, fill,
// return and change.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>
#include <functional>

#include "app/tests/StartMainForm.h"
#include "books/ChangeCodeTypeForm.h"
#include "books/CodesTypesForm.h"
#include "store/DetalTable.h"
#include "store/Table.h"
#include "ui/ListModels.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::StartMainForm;
using zvonar::testing::TempDir;

namespace {

void MakeTable(const TempDir& dir, const std::vector<std::pair<const char*, const char*>>& codeTypes) {
  Table table;
  std::string warning;
  QVERIFY(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
  QVERIFY(table.BeginBulkAppend().ok());
  for (const auto& [code, type] : codeTypes)
    QVERIFY(table
                .BulkAppend(
                    {"79001", "2006.05.01 10:00:00", "79031112233", "", code, type, "1", "1", "1.00", "", "1.00", ""})
                .ok());
  QVERIFY(table.EndBulkAppend().ok());
  QVERIFY(table.Close().ok());
}

// "code/type" of every record, joined by blanks.
QString CodeTypes(const TempDir& dir) {
  Table table;
  std::string warning;
  if (!OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning, TableAccess::Read).ok()) return {};
  QStringList all;
  for (table.First(); !table.Eof(); table.Next())
    all << QString::fromStdString(table.FieldText(kCodeField) + "/" + table.FieldText(kTypeField));
  return all.join(' ');
}

}  // namespace

class MainFormCodesTest : public QObject {
  Q_OBJECT

 private slots:
  void DialogRefreshesTheBoxesAndTheStatisticCaptions() {
    TempDir dir;
    testing::WriteOrDie(dir.File("codetype.dat"), "1=Call\r\n2=SMS\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    const std::size_t statRows = form->lvStatModel->Rows().size();
    QTimer::singleShot(0, [] {
      auto* codes = qobject_cast<TCodesTypesForm*>(QApplication::activeModalWidget());
      QVERIFY(codes != nullptr);
      codes->StringListView->selectRow(0);
      QTest::keyClick(codes->StringListView, Qt::Key_F4);
      codes->edString4ListView->setText("Voice");
      QTest::keyClick(codes->edString4ListView, Qt::Key_Return);
      QTest::keyClick(codes->StringListView, Qt::Key_F5);
      codes->edString4ListView->setText("GPRS");
      QTest::keyClick(codes->edString4ListView, Qt::Key_Return);
      codes->bbtnClose->click();
    });
    form->mnCodesTypes->trigger();
    QCOMPARE(QString::fromStdString(testing::ReadOrEmpty(dir.File("codetype.dat"))),
             QString("1=Voice\r\n2=SMS\r\n3=GPRS\r\n"));
    QCOMPARE(form->cbFilterCode->count(), 3);
    QCOMPARE(form->cbFilterType->itemText(2), QString("GPRS"));
    // The rows of the statistic are captioned anew, none added.
    QCOMPARE(form->lvStatModel->Rows().size(), statRows);
    QCOMPARE(QString::fromStdString(form->lvStatModel->Rows()[0][0]), QString("Voice"));
    QVERIFY(prompts.errors.isEmpty());
    form->close();
  }

  void FillReturnAndChangeRewriteTheRecords() {
    TempDir dir;
    MakeTable(dir, {{"07", "2"}, {"2", "x"}, {"", "1"}});
    testing::WriteOrDie(dir.File("codetype.dat"), "7=Call\r\n2=SMS\r\n1=Voice\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    form->mnFillCodesTypes->trigger();
    QCOMPARE(CodeTypes(dir), QString("Call/SMS SMS/x /Voice"));
    QCOMPARE(form->stRecCount->text(), QString("3"));

    form->mnReturnCodesTypes->trigger();
    QCOMPARE(CodeTypes(dir), QString("7/2 2/x /1"));
    QCOMPARE(prompts.infos, QStringList({"Records whose codes and types got their texts: 3.",
                                         "Records whose codes and types got their markers back: 3."}));
    prompts.infos.clear();

    QTimer::singleShot(0, [] {
      auto* change = qobject_cast<TChangeCodeTypeForm*>(QApplication::activeModalWidget());
      QVERIFY(change != nullptr);
      change->rbType->setChecked(true);
      change->cbFilter1->setEditText("x");
      change->cbFilter2->setEditText("Fax");
      change->btnOK->click();
    });
    form->mnChangeCodesTypes->trigger();
    QCOMPARE(CodeTypes(dir), QString("7/2 2/Fax /1"));
    QCOMPARE(prompts.infos, QStringList{"Records where \"x\" was changed to \"Fax\": 1."});
    prompts.infos.clear();

    // Cancelled, or an empty text: nothing changes.
    QTimer::singleShot(0, [] {
      auto* change = qobject_cast<TChangeCodeTypeForm*>(QApplication::activeModalWidget());
      QVERIFY(change != nullptr);
      change->cbFilter1->setEditText("7");
      change->btnOK->click();
    });
    form->mnChangeCodesTypes->trigger();
    QCOMPARE(CodeTypes(dir), QString("7/2 2/Fax /1"));
    QCOMPARE(prompts.infos, QStringList{"Nothing was changed: both the text to find and its replacement are needed."});
    QVERIFY(prompts.errors.isEmpty());
    form->close();
  }

  // A text longer than its field (from a hand-edited file) is not cut into
  // the records: the field stays, the window says how many records kept one,
  // and the return gives every marker back.
  void FillsLeaveWhatDoesNotFitAndSaySo() {
    TempDir dir;
    MakeTable(dir, {{"07", "2"}, {"2", "7"}});
    const std::string outgoing = "\xc8\xf1\xf5\xee\xe4\xff\xf9\xe8\xe9 \xe7\xe2\xee\xed\xee\xea";  // 16
    testing::WriteOrDie(dir.File("codetype.dat"), "7=" + outgoing + "\r\n2=SMS\r\n");
    testing::WriteOrDie(dir.File("abonents.dat"), "S\r\n[Abonents]\r\n79031112233=" + std::string(51, 'n') + "\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    form->mnFillCodesTypes->trigger();
    QCOMPARE(CodeTypes(dir), QString("07/SMS SMS/7"));
    QCOMPARE(prompts.infos.size(), 1);
    QCOMPARE(prompts.infos[0], QString::fromUtf8("Records whose codes and types got their texts: 2.\n"
                                                 "2 records kept a field as it was: the text for it is longer than the "
                                                 "field, such as \"Исходящий звонок\" for Code (15 characters, set in "
                                                 "the DB Fields dialog)."));
    form->mnReturnCodesTypes->trigger();
    QCOMPARE(CodeTypes(dir), QString("07/2 2/7"));

    form->mnFillNumberAbonents->trigger();
    QCOMPARE(prompts.infos.size(), 3);
    QVERIFY2(
        prompts.infos[2].startsWith("Records that got a name from the abonents book: 0.\n2 records kept a field") &&
            prompts.infos[2].contains("for Abonent (50"),
        qPrintable(prompts.infos[2]));
    QVERIFY(prompts.errors.isEmpty());
    form->close();
  }

  void WithoutCodeTypeFileNothingChanges() {
    TempDir dir;
    MakeTable(dir, {{"1", "2"}});
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    form->mnFillCodesTypes->trigger();
    testing::WriteOrDie(dir.File("codetype.dat"), "");
    form->mnReturnCodesTypes->trigger();
    QCOMPARE(CodeTypes(dir), QString("1/2"));
    // Each says why, naming the folder it looked in.
    const QString why = "Nothing was changed: there is no codetype.dat in " + QString::fromStdString(dir.path()) +
                        ", or it holds no codes.";
    QCOMPARE(prompts.infos, QStringList({why, why}));
    QVERIFY(prompts.errors.isEmpty());
    form->close();
  }

  // Closing the dialog without an edit writes nothing and leaves the
  // statistic alone, its total row included; an edit renames the rows of
  // the types it changed and never the total.
  void DialogClosedWithoutAnEditChangesNothing() {
    TempDir dir;
    MakeTable(dir, {{"1", "9"}});  // a type codetype.dat does not know
    const std::string bytes = "1=\xc8\xf1\xf5\xee\xe4\r\n2=SMS";  // "Исход", no line end at the last line
    testing::WriteOrDie(dir.File("codetype.dat"), bytes);
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    // The filter finds no record of a known type: the statistic is a row of
    // type "9" and the total.
    form->btnCheckedDataFilter->click();
    const std::vector<std::vector<std::string>> stat = form->lvStatModel->Rows();
    QCOMPARE(stat.size(), std::size_t{2});
    const std::string total = stat[1][0];
    const auto closeWith = [](const std::function<void(TCodesTypesForm*)>& edit) {
      QTimer::singleShot(0, [edit] {
        auto* codes = qobject_cast<TCodesTypesForm*>(QApplication::activeModalWidget());
        QVERIFY(codes != nullptr);
        edit(codes);
        codes->bbtnClose->click();
      });
    };
    closeWith([](TCodesTypesForm*) {});
    form->mnCodesTypes->trigger();
    QCOMPARE(testing::ReadOrEmpty(dir.File("codetype.dat")), bytes);
    QCOMPARE(form->lvStatModel->Rows(), stat);
    QCOMPARE(form->cbFilterCode->count(), 2);

    // The statistic over all types, then "SMS" renamed: its row follows,
    // the total stays.
    form->BuildStatRows();
    closeWith([](TCodesTypesForm* codes) {
      codes->StringListView->selectRow(1);
      QTest::keyClick(codes->StringListView, Qt::Key_F4);
      codes->edString4ListView->setText("Text");
      QTest::keyClick(codes->edString4ListView, Qt::Key_Return);
    });
    form->mnCodesTypes->trigger();
    QCOMPARE(form->cbFilterType->itemText(1), QString("Text"));
    QCOMPARE(form->lvStatModel->Rows().size(), std::size_t{3});
    QCOMPARE(form->lvStatModel->Rows()[1][0], std::string("Text"));
    QCOMPARE(form->lvStatModel->Rows()[2][0], total);
    QVERIFY(prompts.errors.isEmpty());
    form->close();
  }
};

QTEST_MAIN(MainFormCodesTest)
#include "MainFormCodesTest.moc"
