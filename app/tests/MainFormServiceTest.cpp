// The configuration commands of the Service menu: each opens its dialog,
// the dialog's Close (or Escape, or the window's close button) stores into
// the settings of the run, the main window follows, and the changes reach
// settings.ini and fields.dat at exit.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "app/MainForm.h"
#include "app/tests/StartMainForm.h"
#include "base/TextFile.h"
#include "base/tests/TestSupport.h"
#include "config/DBFieldsForm.h"
#include "config/IniFile.h"
#include "config/RegisterFieldsForm.h"
#include "config/ServicesIDForm.h"
#include "config/SettingsForm.h"
#include "store/DetalTable.h"
#include "store/Table.h"
#include "ui/tests/ScriptedPrompts.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::StartMainForm;
using zvonar::testing::TempDir;

namespace {

// Runs `command` and, once its dialog of type D is up, `act` on it. A
// dialog that `act` leaves open is closed with its Close button.
template <typename D>
void WithDialog(QAction* command, const std::function<void(D*)>& act) {
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    seen = true;
    act(dialog);
    if (dialog->isVisible()) dialog->btnClose->click();
  });
  command->trigger();
  QVERIFY(seen);
}

int FieldWidth(const std::string& dir, const char* name) {
  Table table;
  if (!table.Open(DetalTablePath(dir, "dbf")).ok()) return -1;
  for (int i = 0; i < table.FieldCount(); ++i)
    if (table.Field(i).name == name) return table.Field(i).width;
  return -1;
}

}  // namespace

class MainFormServiceTest : public QObject {
  Q_OBJECT

 private slots:
  void CountFilterStatisticSwitchesTheMenusAtOnce() {
    TempDir dir;
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QVERIFY(!form->lvStat->isHidden());
    WithDialog<TSettingsForm>(form->mnSettings, [&](TSettingsForm* d) {
      QVERIFY(d->cbAddFilterStatisticOnPrint->isChecked());
      d->cbCountFilterStatistic->click();
      QVERIFY(!form->mnPrintFilterStat->isEnabled());
      QVERIFY(!form->mnCountFilterStatistic->isEnabled());
      QVERIFY(!d->cbAddFilterStatisticOnPrint->isChecked());
      QVERIFY(!d->cbAddFilterStatisticOnPrint->isEnabled());
      d->cbDefaultDetalExt->setCurrentIndex(1);  // "*.html"
      QTest::keyClick(d, Qt::Key_Escape);        // Escape stores like Close
      QVERIFY(!d->isVisible());
    });
    QVERIFY(form->lvStat->isHidden());
    QVERIFY(!form->lType->isHidden());
    QVERIFY(!form->lCode->isHidden());
    QCOMPARE(int(form->Settings().defaultDetalExtId), 2);

    form->close();
    IniFile ini;
    QVERIFY(IniFile::Load(dir.File("settings.ini"), &ini).ok());
    QCOMPARE(ini.ReadString("Settings", "DefaultDetalExtID", ""), std::string("2"));
    QCOMPARE(ini.ReadString("Settings", "CountFilterStatistic", ""), std::string("0"));
    QCOMPARE(ini.ReadString("Settings", "AddFilterStatisticOnPrint", ""), std::string("0"));
    QVERIFY(prompts.errors.isEmpty());
  }

  void FontSizeAppliesToTheColumnsAtOnce() {
    TempDir dir;
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    // A width the user set stays as it is; the defaults follow the font.
    form->lvFilter->setColumnWidth(3, 77);
    const int numberAtEight = form->lvFilter->columnWidth(2);
    WithDialog<TSettingsForm>(form->mnSettings, [&](TSettingsForm* d) { d->seFontSize->setValue(20); });
    QCOMPARE(form->Settings().fontSize, 20);
    const QFontMetrics metrics(form->lvFilter->font());
    QVERIFY(form->lvFilter->columnWidth(2) > numberAtEight);
    for (const int column : {0, 2})
      QVERIFY2(form->lvFilter->columnWidth(column) > metrics.horizontalAdvance("79161234567"),
               qPrintable(QString::number(column)));
    QVERIFY(form->lvFilter->columnWidth(1) > metrics.horizontalAdvance("2024.03.02 09:15:02"));
    QCOMPARE(form->lvFilter->columnWidth(3), 77);
    QCOMPARE(form->lvCounts->columnWidth(2), form->lvFilter->columnWidth(2));
    QCOMPARE(form->dbgDetaliz->columnWidth(2), form->lvFilter->columnWidth(2) - 1);
  }

  void FontSizeResizesTheCountsRowAndRangesHold() {
    TempDir dir;
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QCOMPARE(form->lvCounts->height(), 36);
    WithDialog<TSettingsForm>(form->mnSettings, [&](TSettingsForm* d) {
      QVERIFY(!d->seCountsHeight->isEnabled());
      QVERIFY(!d->edPhoneCodeTown->isVisibleTo(d));
      QVERIFY(!d->edPrimaryServiceNumber->isEnabled());
      d->seCountsHeight->setValue(5);  // below the range
      QCOMPARE(d->seCountsHeight->value(), 20);
      d->seCountsHeight->setValue(36);
      d->seFontSize->setValue(0);
      QCOMPARE(d->seFontSize->value(), 6);
      d->seFontSize->setValue(10);
      d->rbAnalysePrefix->click();
      QVERIFY(d->edPhoneCodeTown->isVisibleTo(d));
      d->edPhoneCodeTown->setText("495");
      d->close();  // the window's close button stores like Close
    });
    QCOMPARE(form->lvCounts->height(), 42);
    QCOMPARE(form->Settings().fontSize, 10);
    QCOMPARE(int(form->Settings().modePhoneCode), 1);
    QCOMPARE(form->Settings().phoneCodeTown, std::string("495"));

    WithDialog<TSettingsForm>(form->mnSettings, [&](TSettingsForm* d) {
      QCOMPARE(d->seFontSize->value(), 10);
      QVERIFY(d->edPhoneCodeTown->isVisibleTo(d));
      d->cbSetCountsHeight->click();
      QVERIFY(d->seCountsHeight->isEnabled());
      d->seCountsHeight->setValue(60);
    });
    QCOMPARE(form->lvCounts->height(), 60);
  }

  void PickedLanguageAppliesAtOnceAndKeepsTheBaseName() {
    TempDir dir, elsewhere;
    ScriptedPrompts prompts;
    std::string russian;
    QVERIFY(ReadWholeFile(std::string(ZVONAR_SOURCE_DIR) + "/lang/russian.lng", &russian).ok());
    testing::WriteOrDie(elsewhere.File("russian.lng"), russian);
    auto form = StartMainForm(dir, &prompts);
    const QString englishService = form->mnService->title();
    prompts.files.push_back(QString::fromStdString(elsewhere.File("russian.lng")));
    WithDialog<TSettingsForm>(form->mnSettings, [&](TSettingsForm* d) {
      QCOMPARE(d->edPrimaryServiceNumber->count(), 0);  // no language file: no owners offered
      d->btnLanguage->click();
      QCOMPARE(d->btnLanguage->text(), QString("russian"));
      QVERIFY(form->mnService->title() != englishService);
    });
    QCOMPARE(form->Settings().language, std::string("russian"));
    QCOMPARE(prompts.dirs.value(0), QString::fromStdString(dir.path()));
    QVERIFY(prompts.errors.isEmpty());

    // With the file in the data directory the dialogs speak it too.
    testing::WriteOrDie(dir.File("russian.lng"), russian);
    WithDialog<TSettingsForm>(form->mnSettings, [&](TSettingsForm* d) {
      QCOMPARE(d->windowTitle(), QString::fromUtf8("Настройки"));
      QCOMPARE(d->btnClose->text(), QString::fromUtf8("Закрыть"));
      QVERIFY(!d->btnLanguage->toolTip().isEmpty());
    });
    WithDialog<TRegisterFieldsForm>(form->mnRegisterFields, [&](TRegisterFieldsForm* d) {
      QCOMPARE(d->labels[0]->text(), QString::fromUtf8("Абонентская плата:"));
      QCOMPARE(d->labels[9]->text(), QString::fromUtf8("Тип:"));
    });
    WithDialog<TServicesIDForm>(form->mnServicesID, [&](TServicesIDForm* d) {
      QCOMPARE(d->windowTitle(), QString::fromUtf8("Коды услуг"));
      QCOMPARE(d->lCallsID->text(), QString::fromUtf8("Коды звонков:"));
      QCOMPARE(d->lMMSID->text(), QString::fromUtf8("Коды MMS:"));
    });
  }

  void ServicesIdButtonsEditTheLists() {
    TempDir dir;
    testing::WriteOrDie(dir.File("codetype.dat"), "1=Call\r\n8=SMS\r\n");
    const std::string operCodes = " 903 \r\n926\r\n";
    testing::WriteOrDie(dir.File("opercode.dat"), operCodes);
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QCOMPARE(form->cbFilterOperCode->itemText(0), QString(" 903 "));  // lines used as they stand
    WithDialog<TServicesIDForm>(form->mnServicesID, [&](TServicesIDForm* d) {
      QCOMPARE(d->cbTypeList->count(), 2);  // the type texts of codetype.dat
      QCOMPARE(d->cbTypeList->itemText(1), QString("SMS"));
      QCOMPARE(d->edCallsID->text(), QString("1#2#G#m#M"));
      QVERIFY(!d->bbtnCallIDAdd->icon().isNull());
      QVERIFY(!d->bbtnCallIDDel->icon().isNull());
      d->bbtnSMSIDAdd->click();  // no identifier chosen: nothing changes
      d->bbtnSMSIDDel->click();
      QCOMPARE(d->edSMSID->text(), QString("8#9"));
      d->cbTypeList->setEditText("51");
      d->bbtnSMSIDAdd->click();
      QCOMPARE(d->edSMSID->text(), QString("8#9#51"));
      d->cbTypeList->setEditText("5");
      d->bbtnMMSIDAdd->click();
      QCOMPARE(d->edMMSID->text(), QString("51#52"));
      d->cbTypeList->setEditText("M");
      d->bbtnCallIDDel->click();
      QCOMPARE(d->edCallsID->text(), QString("1#2#G#M"));
    });
    QCOMPARE(form->Settings().smsId, std::string("8#9#51"));
    QCOMPARE(form->Settings().callsId, std::string("1#2#G#M"));
    form->close();
    IniFile ini;
    QVERIFY(IniFile::Load(dir.File("settings.ini"), &ini).ok());
    QCOMPARE(ini.ReadString("Filter", "SMSID", ""), std::string("8#9#51"));
    QCOMPARE(testing::ReadOrEmpty(dir.File("opercode.dat")), operCodes);  // never written
  }

  void RegisterFieldsKeepFurtherLines() {
    TempDir dir;
    std::vector<std::string> lines;
    for (int i = 1; i <= 15; ++i) lines.push_back(" marker " + std::to_string(i));
    lines.push_back("12");
    for (int i = 17; i <= 20; ++i) lines.push_back("kept " + std::to_string(i));
    QVERIFY(WriteTextLines(dir.File("fields.dat"), lines).ok());
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    WithDialog<TRegisterFieldsForm>(form->mnRegisterFields, [&](TRegisterFieldsForm* d) {
      QCOMPARE(d->edits[0]->text(), QString(" marker 1"));
      QCOMPARE(d->edits[14]->text(), QString(" marker 15"));
      QCOMPARE(d->seDateLength->value(), 12);
      d->edits[0]->setText("New pay  ");
      d->seDateLength->setValue(11);
    });
    form->close();
    std::vector<std::string> back;
    QVERIFY(ReadTextLines(dir.File("fields.dat"), &back).ok());
    QCOMPARE(back.size(), std::size_t(20));
    QCOMPARE(back[0], std::string("New pay  "));
    QCOMPARE(back[15], std::string("11"));
    for (std::size_t i = 16; i < 20; ++i) QCOMPARE(back[i], lines[i]);
  }

  void DbFieldWidthsWaitForTheNextTable() {
    TempDir dir;
    ScriptedPrompts prompts;
    {
      auto form = StartMainForm(dir, &prompts);
      WithDialog<TDBFieldsForm>(form->mnDBFields, [&](TDBFieldsForm* d) {
        QCOMPARE(d->spins[3]->value(), 50);
        d->spins[3]->setValue(80);
        d->cbDBType->setEditText("MDX");  // would name the index file
        d->btnClose->click();
        QVERIFY(d->isVisible());
        QCOMPARE(prompts.errors.size(), 1);
        d->cbDBType->setEditText("dbf");
      });
      QCOMPARE(form->Settings().fieldWidths[3], 80);
      form->close();
    }
    QCOMPARE(FieldWidth(dir.path(), "ABONENT"), 50);  // the existing table is left alone
    std::filesystem::remove(dir.File("Tellura.dbf"));
    std::filesystem::remove(dir.File("Tellura.MDX"));
    {
      auto form = StartMainForm(dir, &prompts);
      form->close();
    }
    QCOMPARE(FieldWidth(dir.path(), "ABONENT"), 80);
  }
};

QTEST_MAIN(MainFormServiceTest)
#include "MainFormServiceTest.moc"
