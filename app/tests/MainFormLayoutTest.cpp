// The main window's sizes and what they show: the grid height and column
// widths kept in settings.ini, default columns that show their content, rows
// that follow the font, a selected row that can be read, a control panel as
// wide as its captions, and the counters of a table without an owners file.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTreeView>
#include <QtTest>
#include <filesystem>

#include "app/MainForm.h"
#include "app/tests/StartMainForm.h"
#include "base/TextFile.h"
#include "base/tests/TestSupport.h"
#include "config/IniFile.h"
#include "store/DetalTable.h"
#include "store/Table.h"
#include "ui/ListModels.h"
#include "ui/tests/ScriptedPrompts.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::StartMainForm;
using zvonar::testing::TempDir;

namespace {

// The window's settings.ini as it is on disk.
IniFile SettingsOnDisk(const TempDir& dir) {
  return IniFile(SplitLines(testing::ReadOrEmpty(dir.File("settings.ini"))));
}

// `count` records of owner 79161234567, one a day from 1 March 2024.
void MakeTable(const TempDir& dir, int count) {
  Table table;
  std::string warning;
  QVERIFY(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
  QVERIFY(table.BeginBulkAppend().ok());
  for (int i = 0; i < count; ++i) {
    const QString day = QDate(2024, 3, 1).addDays(i).toString("yyyy.MM.dd") + " 09:15:02";
    QVERIFY(table
                .BulkAppend({"79161234567", day.toStdString(), "79031112233", "", "1", "GPRS", "60", "1", "1.50", "",
                             "1.50", ""})
                .ok());
  }
  QVERIFY(table.EndBulkAppend().ok());
  QVERIFY(table.Close().ok());
}

// Whether column `c` of `view` is wide enough for `text` in the view's font.
bool Shows(const QTreeView* view, int c, const QString& text) {
  return view->columnWidth(c) > view->fontMetrics().horizontalAdvance(text);
}

}  // namespace

class MainFormLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void GridKeepsItsStoredHeight() {
    for (const int height : {160, 200}) {
      TempDir dir;
      testing::WriteOrDie(dir.File("settings.ini"), "[Window]\r\nDetalizHeight=" + std::to_string(height) + "\r\n");
      for (int run = 0; run < 3; ++run) {
        ScriptedPrompts prompts;
        auto form = StartMainForm(dir, &prompts);
        QCOMPARE(form->dbgDetaliz->height(), height);
        form->close();
        form.reset();
        QCOMPARE(SettingsOnDisk(dir).ReadString("Window", "DetalizHeight", ""), std::to_string(height));
      }
    }
  }

  void DefaultColumnsShowTheirContentAndUserWidthsStay() {
    TempDir dir;
    // 112 is the designed width of Date / Time, as earlier releases wrote it;
    // 133 and 70 are widths the user set.
    testing::WriteOrDie(dir.File("settings.ini"),
                        "[Window]\r\nListViewCol_01=112\r\nListViewCol_02=133\r\nListViewStatCol_1=70\r\n");
    int dateWidth = 0;
    {
      ScriptedPrompts prompts;
      auto form = StartMainForm(dir, &prompts);
      QTreeView* list = form->lvFilter;
      QVERIFY(Shows(list, 0, "79161234567"));
      QVERIFY(Shows(list, 1, "2024.03.02 09:15:02"));
      QVERIFY(Shows(list, 8, "99999.99"));
      QCOMPARE(list->columnWidth(2), 133);
      QCOMPARE(form->lvStat->columnWidth(1), 70);
      // The grid's first column shows an owner number too.
      QVERIFY(form->dbgDetaliz->columnWidth(0) > form->dbgDetaliz->fontMetrics().horizontalAdvance("79161234567"));
      dateWidth = list->columnWidth(1);
      list->setColumnWidth(3, 140);
      QCOMPARE(form->lvCounts->columnWidth(3), 140);  // the counts row stays under its column
      form->close();
    }
    const IniFile ini = SettingsOnDisk(dir);
    QCOMPARE(ini.ReadString("Window", "ListViewCol_00", ""), std::string("50"));  // still the default
    QCOMPARE(ini.ReadString("Window", "ListViewCol_01", ""), std::string("112"));
    QCOMPARE(ini.ReadString("Window", "ListViewCol_02", ""), std::string("133"));
    QCOMPARE(ini.ReadString("Window", "ListViewCol_03", ""), std::string("140"));
    QCOMPARE(ini.ReadString("Window", "ListViewStatCol_1", ""), std::string("70"));
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QCOMPARE(form->lvFilter->columnWidth(1), dateWidth);
    QCOMPARE(form->lvFilter->columnWidth(3), 140);
    form->close();
  }

  void GridRowsFollowTheFont() {
    TempDir dir;
    MakeTable(dir, 3);
    int rowAtEight = 0;
    for (const int size : {8, 16}) {
      testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nFontSize=" + std::to_string(size) + "\r\n");
      ScriptedPrompts prompts;
      auto form = StartMainForm(dir, &prompts);
      const int row = form->dbgDetaliz->rowHeight(0);
      QVERIFY2(row > form->dbgDetaliz->fontMetrics().height(), qPrintable(QString::number(row)));
      if (size == 8)
        rowAtEight = row;
      else
        QVERIFY(row > rowAtEight);
      form->close();
    }
  }

  void SelectedRowShowsItsText() {
    TempDir dir;
    MakeTable(dir, 3);
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    form->btnCheckedDataFilter->click();
    QTreeView* list = form->lvFilter;
    list->setCurrentIndex(list->model()->index(0, 0));
    const QRect row = list->visualRect(list->model()->index(0, 0)).united(list->visualRect(list->model()->index(0, 2)));
    const QImage image = list->viewport()->grab(row).toImage();
    // The row is painted in the highlight colour, with text in another.
    const QColor highlights[] = {list->palette().color(QPalette::Active, QPalette::Highlight),
                                 list->palette().color(QPalette::Inactive, QPalette::Highlight)};
    int background = 0, text = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QColor pixel = image.pixelColor(x, y);
        int nearest = 3 * 255;
        for (const QColor& h : highlights)
          nearest = std::min(nearest, std::abs(pixel.red() - h.red()) + std::abs(pixel.green() - h.green()) +
                                          std::abs(pixel.blue() - h.blue()));
        if (nearest < 30)
          ++background;
        else if (nearest > 200)
          ++text;
      }
    }
    QVERIFY2(background > image.width() * image.height() / 2, qPrintable(QString::number(background)));
    QVERIFY2(text > 20, qPrintable(QString::number(text)));
    form->close();
  }

  void ControlPanelFitsTheRussianCaptions() {
    TempDir dir;
    std::filesystem::copy_file(std::filesystem::path(ZVONAR_SOURCE_DIR) / "lang" / "russian.lng",
                               dir.File("russian.lng"));
    testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nLanguage=russian\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    form->dtpDateBegin->setDate(QDate(2026, 12, 9));
    QVERIFY(form->btnCheckedDataFilter->text() != "Filtering");  // the language was applied
    const QWidget* widgets[] = {form->btnSortFilterOwner,  form->edFilterOwner,    form->dtpDateBegin,
                                form->dtpDateEnd,          form->chkbFilterCode,   form->chkbFilterOwner,
                                form->chkbFilterNull,      form->chkbFilterDate,   form->chkbFilterOperCode,
                                form->chkbFilterCalls,     form->chkbFilterNumber, form->chkbFilterExclude,
                                form->btnCheckedDataFilter};
    for (const QWidget* w : widgets) QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(w->objectName()));
    // The statistic list has room for several rows.
    QVERIFY(form->lvStat->viewport()->height() >= 4 * form->lvStat->fontMetrics().height());
    form->close();
  }

  void CountersShowATableWithoutItsOwners() {
    TempDir dir;
    MakeTable(dir, 300);
    for (const char* owners : {"", "79000000000\r\n"}) {
      testing::WriteOrDie(dir.File("Tellura.dat"), owners);
      ScriptedPrompts prompts;
      auto form = StartMainForm(dir, &prompts);
      QCOMPARE(form->stRecCount->text(), QString("300"));
      QCOMPARE(form->stRecNo->text(), QString("1"));
      QCOMPARE(form->edFilterOwner->currentText(), QString("79161234567"));
      QCOMPARE(form->dtpDateBegin->date(), QDate(2024, 3, 1));
      form->close();
    }
  }
};

QTEST_MAIN(MainFormLayoutTest)
#include "MainFormLayoutTest.moc"
