// The abonents book dialog and its entry dialog through what the user does:
// keys, clicks and typed texts, with the answers to their questions
// scripted; checked against the list shown and the file written.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>
#include <functional>

#include "app/MainForm.h"
#include "app/tests/StartMainForm.h"
#include "base/TextFile.h"
#include "base/tests/TestSupport.h"
#include "books/AbonentForm.h"
#include "books/AbonentsBookForm.h"
#include "config/MainSettings.h"
#include "store/DetalTable.h"
#include "store/Table.h"
#include "ui/ListModels.h"
#include "ui/QtText.h"
#include "ui/tests/ScriptedPrompts.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::TempDir;

namespace {

const char kStamp[] = "Zvonar v.2.3.3.65,  (40000.5)";

void WriteBook(const TempDir& dir, const std::string& entries) {
  testing::WriteOrDie(dir.File("abonents.dat"), std::string(kStamp) + "\r\n[Abonents]\r\n" + entries);
}

std::vector<std::string> BookLines(const TempDir& dir) {
  std::vector<std::string> lines;
  (void)ReadTextLines(dir.File("abonents.dat"), &lines);
  return lines;
}

// The rows of the list as "number=name".
QStringList Rows(const TAbonentsBookForm& form) {
  QStringList rows;
  const QAbstractItemModel* model = form.lvAbonentsBook->model();
  for (int r = 0; r < model->rowCount(); ++r)
    rows << model->index(r, 0).data().toString() + "=" + model->index(r, 1).data().toString();
  return rows;
}

void Select(TAbonentsBookForm& form, int row) {
  form.lvAbonentsBook->setCurrentIndex(form.lvAbonentsBook->model()->index(row, 0));
}

// Runs `inside` once the entry dialog is up, then `command` (which shows it).
void WithEntryDialog(TAbonentsBookForm& form, const std::function<void(TAbonentForm&)>& inside,
                     const std::function<void()>& command) {
  bool ran = false;
  QTimer::singleShot(0, &form, [&] {
    QVERIFY(form.AbonentForm->isVisible());
    inside(*form.AbonentForm);
    ran = true;
  });
  command();
  QVERIFY(ran);
}

// Replaces the text as typing does; QTest types only ASCII, so other text
// is pasted in.
void Type(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  bool ascii = true;
  for (QChar ch : text) ascii = ascii && ch.unicode() < 128;
  if (ascii)
    QTest::keyClicks(edit, text);
  else
    edit->insert(text);
}

}  // namespace

class AbonentsBookFormTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TAbonentsBookForm> Open(const TempDir& dir, ScriptedPrompts* prompts, bool confirmDelete = true) {
    MainSettings settings;
    settings.confirmDelete = confirmDelete;
    auto form = std::make_unique<TAbonentsBookForm>(dir.path(), settings, prompts);
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) qWarning("the dialog did not become active");
    return form;
  }

 private slots:
  void ListsTheBookInFileOrder() {
    TempDir dir;
    WriteBook(dir, "79161234567=\xc8\xe2\xe0\xed\r\n79031112233=\r\n");
    ScriptedPrompts prompts;
    auto form = Open(dir, &prompts);
    QCOMPARE(Rows(*form), QStringList({QString::fromUtf8("79161234567=Иван"), "79031112233="}));
    QCOMPARE(form->windowTitle(), QString("Abonents Book"));
    QCOMPARE(form->lvAbonentsBook->model()->headerData(1, Qt::Horizontal).toString(), QString("Abonent"));
    QVERIFY(prompts.errors.isEmpty());

    // A missing book is an empty list, and opening makes no file.
    TempDir empty;
    auto none = Open(empty, &prompts);
    QCOMPARE(none->lvAbonentsBook->model()->rowCount(), 0);
    none->close();
    QVERIFY(!FileExists(empty.File("abonents.dat")));
  }

  void AddWithTheInsertKeyAndTheOkRule() {
    TempDir dir;
    ScriptedPrompts prompts;
    auto form = Open(dir, &prompts);
    WithEntryDialog(
        *form,
        [](TAbonentForm& entry) {
          QCOMPARE(entry.edNumber->text(), QString("79"));
          QCOMPARE(entry.edName->text(), QString());
          QVERIFY(!entry.btnOK->isEnabled());  // "79" and no name
          Type(entry.edName, QString::fromUtf8("Пётр"));
          Type(entry.edNumber, "791");
          QVERIFY(!entry.btnOK->isEnabled());  // three characters
          QTest::keyClick(entry.edNumber, Qt::Key_2);
          QVERIFY(entry.btnOK->isEnabled());  // four
          Type(entry.edNumber, "79161234567");
          QTest::mouseClick(entry.btnOK, Qt::LeftButton);
        },
        [&] { QTest::keyClick(form->lvAbonentsBook, Qt::Key_Insert); });
    QCOMPARE(Rows(*form), QStringList{QString::fromUtf8("79161234567=Пётр")});
    const std::vector<std::string> lines = BookLines(dir);
    QCOMPARE(lines.size(), std::size_t{3});
    QVERIFY(lines[0].rfind("Zvonar v.2.3.3.65,  (", 0) == 0);
    QCOMPARE(lines[2], std::string("79161234567=\xcf\xb8\xf2\xf0"));

    // Cancel and Escape write nothing.
    WithEntryDialog(
        *form, [](TAbonentForm& entry) { QTest::mouseClick(entry.btnCancel, Qt::LeftButton); },
        [&] { form->pmAdd->trigger(); });
    WithEntryDialog(
        *form,
        [](TAbonentForm& entry) {
          Type(entry.edName, "Zz");
          QTest::keyClick(entry.edName, Qt::Key_Escape);
        },
        [&] { form->pmAdd->trigger(); });
    QCOMPARE(BookLines(dir).size(), std::size_t{3});
    QCOMPARE(form->lvAbonentsBook->model()->rowCount(), 1);
  }

  void EditNameKeepsTheLineEditNumberMovesIt() {
    TempDir dir;
    WriteBook(dir, "7901=A\r\n7902=B\r\n7903=C\r\n");
    ScriptedPrompts prompts;
    auto form = Open(dir, &prompts);
    Select(*form, 0);
    WithEntryDialog(
        *form,
        [](TAbonentForm& entry) {
          QCOMPARE(entry.edNumber->text(), QString("7901"));
          QCOMPARE(entry.edName->text(), QString("A"));
          Type(entry.edName, "Anna");
          QTest::mouseClick(entry.btnOK, Qt::LeftButton);
        },
        [&] { QTest::keyClick(form->lvAbonentsBook, Qt::Key_F4); });
    QCOMPARE(BookLines(dir), (std::vector<std::string>{kStamp, "[Abonents]", "7901=Anna", "7902=B", "7903=C"}));

    // Double-click on a row edits it.
    const QRect second = form->lvAbonentsBook->visualRect(form->lvAbonentsBook->model()->index(1, 0));
    WithEntryDialog(
        *form,
        [](TAbonentForm& entry) {
          QCOMPARE(entry.edNumber->text(), QString("7902"));
          Type(entry.edNumber, "7999");
          QTest::mouseClick(entry.btnOK, Qt::LeftButton);
        },
        [&] { QTest::mouseDClick(form->lvAbonentsBook->viewport(), Qt::LeftButton, {}, second.center()); });
    QCOMPARE(BookLines(dir), (std::vector<std::string>{kStamp, "[Abonents]", "7901=Anna", "7903=C", "7999=B"}));
    QCOMPARE(Rows(*form), QStringList({"7901=Anna", "7999=B", "7903=C"}));  // the row keeps its place
    QVERIFY(prompts.errors.isEmpty());

    // Nothing selected: Edit and Delete do nothing.
    form->lvAbonentsBook->clearSelection();
    form->pmEdit->trigger();
    form->pmDelete->trigger();
    QVERIFY(prompts.questions.isEmpty());
    QCOMPARE(form->lvAbonentsBook->model()->rowCount(), 3);
  }

  void ANumberUnderAnotherNameIsAskedAbout() {
    TempDir dir;
    WriteBook(dir, "7901=Anna\r\n7902=Boris\r\n");
    ScriptedPrompts prompts;
    auto form = Open(dir, &prompts);
    // Adding 7901 again: No returns to the dialog with the texts kept, Yes
    // replaces the name and the list keeps one row for the number.
    prompts.answers = {false, true};
    WithEntryDialog(
        *form,
        [&](TAbonentForm& entry) {
          Type(entry.edNumber, "7901");
          Type(entry.edName, "Vera");
          QTest::mouseClick(entry.btnOK, Qt::LeftButton);
          QVERIFY(entry.isVisible());
          QCOMPARE(entry.edNumber->text(), QString("7901"));
          QCOMPARE(entry.edName->text(), QString("Vera"));
          QTest::mouseClick(entry.btnOK, Qt::LeftButton);
        },
        [&] { form->pmAdd->trigger(); });
    QCOMPARE(prompts.questions.size(), 2);
    QCOMPARE(prompts.questions[0],
             QString("This Number alredy exists!!!\nReplace the name \"Anna\" the book holds for it?"));
    QCOMPARE(Rows(*form), QStringList({"7901=Vera", "7902=Boris"}));
    QCOMPARE(BookLines(dir), (std::vector<std::string>{kStamp, "[Abonents]", "7901=Vera", "7902=Boris"}));

    // Editing 7902 onto 7901: the edited row takes the number, the other
    // row leaves.
    prompts.answers = {true};
    Select(*form, 1);
    WithEntryDialog(
        *form,
        [&](TAbonentForm& entry) {
          Type(entry.edNumber, "7901");
          QTest::mouseClick(entry.btnOK, Qt::LeftButton);
        },
        [&] { form->pmEdit->trigger(); });
    QCOMPARE(Rows(*form), QStringList({"7901=Boris"}));
    QCOMPARE(BookLines(dir), (std::vector<std::string>{kStamp, "[Abonents]", "7901=Boris"}));

    // The same name again asks nothing and adds no row.
    WithEntryDialog(
        *form,
        [&](TAbonentForm& entry) {
          Type(entry.edNumber, "7901");
          Type(entry.edName, "Boris");
          QTest::mouseClick(entry.btnOK, Qt::LeftButton);
        },
        [&] { form->pmAdd->trigger(); });
    QCOMPARE(prompts.questions.size(), 3);
    QCOMPARE(Rows(*form), QStringList({"7901=Boris"}));
  }

  void RefusedTextsKeepTheDialogOpen() {
    TempDir dir;
    ScriptedPrompts prompts;
    auto form = Open(dir, &prompts);
    WithEntryDialog(
        *form,
        [&](TAbonentForm& entry) {
          Type(entry.edNumber, "79=01");
          Type(entry.edName, "A");
          QTest::mouseClick(entry.btnOK, Qt::LeftButton);
          QVERIFY(entry.isVisible());
          Type(entry.edNumber, "7901");
          Type(entry.edName, QString::fromUtf8("日本"));  // not in code page 1251
          QVERIFY(entry.btnOK->isEnabled());
          QTest::mouseClick(entry.btnOK, Qt::LeftButton);
          QVERIFY(entry.isVisible());
          entry.reject();
        },
        [&] { form->pmAdd->trigger(); });
    QCOMPARE(prompts.errors.size(), 2);
    QVERIFY(!FileExists(dir.File("abonents.dat")));
  }

  // A name the records' Abonent field cannot take whole, one of blanks and
  // one that would shift a list file's cells are refused with the reason.
  void NamesThatWouldBeCutOrShiftAListAreRefused() {
    TempDir dir;
    testing::WriteOrDie(dir.File("settings.ini"), "[DB]\r\nAbonent_Field=8\r\n");
    MainSettings settings;
    QVERIFY(LoadMainSettings(dir.File("settings.ini"), &settings).ok());
    ScriptedPrompts prompts;
    TAbonentsBookForm form(dir.path(), settings, &prompts);
    form.show();
    WithEntryDialog(
        form,
        [&](TAbonentForm& entry) {
          Type(entry.edNumber, "7901");
          for (const QString& name :
               {QString::fromUtf8("Иванов Пётр"), QString("   "), QString("Iv #2"), QString("Iv\tan")}) {
            entry.edName->setText(name);
            QTest::mouseClick(entry.btnOK, Qt::LeftButton);
            QVERIFY(entry.isVisible());
          }
          Type(entry.edName, QString::fromUtf8("Иванов"));
          QTest::mouseClick(entry.btnOK, Qt::LeftButton);
        },
        [&] { form.pmAdd->trigger(); });
    QCOMPARE(prompts.errors.size(), 4);
    QCOMPARE(prompts.errors[0],
             QString("The text is 11 characters long; the field Abonent holds 8 (its width is set in "
                     "the DB Fields dialog)."));
    QCOMPARE(prompts.errors[1], QString("The name is empty or only blanks."));
    QVERIFY(prompts.errors[2].contains("#"));
    QVERIFY(prompts.errors[3].contains("TAB"));
    QCOMPARE(Rows(form), QStringList{QString::fromUtf8("7901=Иванов")});
  }

  // A number written twice is listed twice; a damaged book opens with the
  // entries before the damage and says where it is.
  void ListsWhatTheFileHoldsUpToADamagedLine() {
    TempDir dir;
    WriteBook(dir, std::string("7901=A\r\n7902=B\r\n7901=C\r\n7903=D\r\n\0\0\r\n7904=E\r\n", 38));
    ScriptedPrompts prompts;
    auto form = Open(dir, &prompts);
    QCOMPARE(Rows(*form), QStringList({"7901=A", "7902=B", "7901=A", "7903=D"}));
    QCOMPARE(prompts.errors.size(), 1);
    QVERIFY2(prompts.errors[0].contains("abonents.dat:7: the line is damaged"), qPrintable(prompts.errors[0]));

    // Deleting one of the two rows: the other shows what the book now holds.
    WriteBook(dir, "7901=A\r\n7902=B\r\n7901=C\r\n");
    auto twice = Open(dir, &prompts, false);
    Select(*twice, 0);
    twice->pmDelete->trigger();
    QCOMPARE(Rows(*twice), QStringList({"7902=B", "7901=C"}));
  }

  // A number another program removed meanwhile: Delete and Edit say so.
  void ANumberAnotherProgramRemovedIsNamed() {
    TempDir dir;
    WriteBook(dir, "7901=A\r\n7902=B\r\n");
    ScriptedPrompts prompts;
    auto form = Open(dir, &prompts, false);
    WriteBook(dir, "");
    Select(*form, 0);
    form->pmDelete->trigger();
    QCOMPARE(prompts.infos,
             QStringList{"The number \"7901\" is no longer in the abonents book: another program removed it."});
    QCOMPARE(Rows(*form), QStringList{"7902=B"});
    Select(*form, 0);
    WithEntryDialog(
        *form,
        [](TAbonentForm& entry) {
          Type(entry.edNumber, "7909");
          QTest::mouseClick(entry.btnOK, Qt::LeftButton);
        },
        [&] { form->pmEdit->trigger(); });
    QCOMPARE(prompts.infos.size(), 2);
    QVERIFY(prompts.infos[1].contains("\"7902\""));
    QVERIFY(prompts.errors.isEmpty());
    QCOMPARE(BookLines(dir), (std::vector<std::string>{kStamp, "[Abonents]", "7909=B"}));
  }

  void DeleteAsksWhenConfirmDeleteIsOn() {
    TempDir dir;
    WriteBook(dir, "7901=A\r\n7902=B\r\n");
    ScriptedPrompts prompts;
    auto form = Open(dir, &prompts);
    Select(*form, 0);
    prompts.answers = {false};
    QTest::keyClick(form->lvAbonentsBook, Qt::Key_Delete);
    QCOMPARE(prompts.questions, QStringList{"Do You really want to delete Abonent \"7901\" ?"});
    QCOMPARE(form->lvAbonentsBook->model()->rowCount(), 2);
    prompts.answers = {true};
    form->pmDelete->trigger();
    QCOMPARE(Rows(*form), QStringList{"7902=B"});
    QCOMPARE(BookLines(dir), (std::vector<std::string>{kStamp, "[Abonents]", "7902=B"}));

    auto quiet = Open(dir, &prompts, false);
    Select(*quiet, 0);
    quiet->pmDelete->trigger();
    QCOMPARE(prompts.questions.size(), 2);
    QCOMPARE(quiet->lvAbonentsBook->model()->rowCount(), 0);
    QCOMPARE(BookLines(dir), (std::vector<std::string>{kStamp, "[Abonents]"}));
  }

  void HeaderClickSortsAscendingOnly() {
    TempDir dir;
    WriteBook(dir, "7903=b\r\n7901=C\r\n7902=a\r\n");
    ScriptedPrompts prompts;
    auto form = Open(dir, &prompts);
    QHeaderView* header = form->lvAbonentsBook->header();
    const auto clickHeader = [&](int column) {
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                        QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    clickHeader(1);
    QCOMPARE(form->SortColumn, 1);
    QCOMPARE(Rows(*form), QStringList({"7902=a", "7903=b", "7901=C"}));
    clickHeader(1);
    QCOMPARE(Rows(*form), QStringList({"7902=a", "7903=b", "7901=C"}));
    clickHeader(0);
    QCOMPARE(Rows(*form), QStringList({"7901=C", "7902=a", "7903=b"}));
    // The file keeps its order.
    QCOMPARE(BookLines(dir)[2], std::string("7903=b"));
  }

  void DoubleClickOnTheEmptyListAdds() {
    TempDir dir;
    WriteBook(dir, "7901=A\r\n");
    ScriptedPrompts prompts;
    auto form = Open(dir, &prompts);
    const QPoint below(10, form->lvAbonentsBook->viewport()->height() - 5);
    WithEntryDialog(
        *form,
        [](TAbonentForm& entry) {
          QCOMPARE(entry.edNumber->text(), QString("79"));
          entry.reject();
        },
        [&] { QTest::mouseDClick(form->lvAbonentsBook->viewport(), Qt::LeftButton, {}, below); });
  }

  void RussianTexts() {
    TempDir dir;
    QFile::copy(QString(ZVONAR_SOURCE_DIR) + "/lang/russian.lng", QString::fromStdString(dir.File("russian.lng")));
    MainSettings settings;
    settings.language = "russian";
    ScriptedPrompts prompts;
    TAbonentsBookForm form(dir.path(), settings, &prompts);
    QCOMPARE(form.windowTitle(), QString::fromUtf8("Книга абонентов"));
    QCOMPARE(form.lvAbonentsBook->model()->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("Номер"));
    QCOMPARE(form.lvAbonentsBook->model()->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("Имя"));
    QCOMPARE(form.pmAdd->text(), QString::fromUtf8("Добавить..."));
    QCOMPARE(form.pmEdit->text(), QString::fromUtf8("Изменить..."));
    QCOMPARE(form.btnClose->text(), QString::fromUtf8("Закрыть"));
    QCOMPARE(form.btnAdd->text(), QString::fromUtf8("Добавить..."));
    QCOMPARE(form.btnEdit->text(), QString::fromUtf8("Изменить..."));
    QCOMPARE(form.btnDelete->text(), QString::fromUtf8("Удалить"));
    QCOMPARE(form.AbonentForm->windowTitle(), QString::fromUtf8("Абонент"));
    QCOMPARE(form.AbonentForm->gbAbonent->title(), QString::fromUtf8(" Абонент "));
    QCOMPARE(form.AbonentForm->lName->text(), QString::fromUtf8("Имя:"));
    QCOMPARE(form.AbonentForm->btnCancel->text(), QString::fromUtf8("Отмена"));
    QCOMPARE(form.AbonentForm->ExistsText, QString::fromUtf8("Этот номер уже есть в книге!"));
  }

  // Add, Edit and Delete stand as buttons beside Close and do what the
  // pop-up menu does; Insert adds wherever the focus is.
  void ButtonsBesideCloseAndInsertFromAnywhere() {
    TempDir dir;
    WriteBook(dir, "7901=A\r\n");
    ScriptedPrompts prompts;
    auto form = Open(dir, &prompts, false);
    QCOMPARE(form->btnAdd->text(), QString("Add..."));
    QCOMPARE(form->btnEdit->text(), QString("Edit..."));
    QCOMPARE(form->btnDelete->text(), QString("Delete"));
    for (QPushButton* b : {form->btnAdd, form->btnEdit, form->btnDelete, form->btnClose}) QVERIFY(b->isVisible());
    const auto enter = [](const char* number, const char* name) {
      return [number, name](TAbonentForm& entry) {
        Type(entry.edNumber, number);
        Type(entry.edName, name);
        QTest::mouseClick(entry.btnOK, Qt::LeftButton);
      };
    };

    form->btnClose->setFocus();
    WithEntryDialog(*form, enter("7902", "B"), [&] { QTest::keyClick(form->btnClose, Qt::Key_Insert); });
    WithEntryDialog(*form, enter("7903", "C"), [&] { QTest::mouseClick(form->btnAdd, Qt::LeftButton); });
    Select(*form, 0);
    WithEntryDialog(*form, enter("7901", "Anna"), [&] { QTest::mouseClick(form->btnEdit, Qt::LeftButton); });
    Select(*form, 1);
    QTest::mouseClick(form->btnDelete, Qt::LeftButton);
    QCOMPARE(Rows(*form), QStringList({"7901=Anna", "7903=C"}));
    QCOMPARE(BookLines(dir), (std::vector<std::string>{kStamp, "[Abonents]", "7901=Anna", "7903=C"}));
    QVERIFY(form->isVisible());  // no button but Close closes
    QVERIFY(prompts.errors.isEmpty());
  }

  void TenThousandEntries() {
    TempDir dir;
    std::string entries;
    for (int i = 0; i < 10000; ++i)
      entries += "7916" + std::to_string(1000000 + i) + "=Name " + std::to_string(i) + "\r\n";
    WriteBook(dir, entries);
    ScriptedPrompts prompts;
    auto form = Open(dir, &prompts);
    QCOMPARE(form->lvAbonentsBook->model()->rowCount(), 10000);
    Select(*form, 9999);
    prompts.answers = {true};
    form->pmDelete->trigger();
    QCOMPARE(form->lvAbonentsBook->model()->rowCount(), 9999);
    QCOMPARE(BookLines(dir).size(), std::size_t{2 + 9999});
  }

  void TheMenuItemOpensTheBook() {
    TempDir dir;
    WriteBook(dir, "7901=A\r\n");
    ScriptedPrompts prompts;
    auto main = testing::StartMainForm(dir, &prompts);
    int rows = -1;
    QTimer::singleShot(0, [&] {
      auto* book = qobject_cast<TAbonentsBookForm*>(QApplication::activeModalWidget());
      QVERIFY(book != nullptr);
      rows = book->lvAbonentsBook->model()->rowCount();
      book->btnClose->click();
    });
    main->mnAbonentsBook->trigger();
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    QCOMPARE(rows, 1);
    main->close();
  }

  void AddNoNameNumbersFromTheTableAndTheFilter() {
    TempDir dir;
    {
      Table table;
      std::string warning;
      QVERIFY(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
      for (const char* number : {"79031112233", "79031112233", "79265554433", "0611"}) {
        QVERIFY(table.Append().ok());
        const std::vector<std::string> texts = {"79001", "2006.05.01 10:00:00", number, "", "1", "", "", "", "", "", "",
                                                ""};
        for (int i = 0; i < 12; ++i) QVERIFY(table.SetFieldText(i, texts[static_cast<std::size_t>(i)]).ok());
        QVERIFY(table.Post().ok());
      }
      QVERIFY(table.Close().ok());
    }
    WriteBook(dir, "79265554433=Known\r\n");
    ScriptedPrompts prompts;
    auto main = testing::StartMainForm(dir, &prompts);
    main->NoNameText = "NoName";
    ResultRows rows;
    rows.Append({"79001", "2006.05.01", "79161234567", "", "", "", "", "", "", "", "", ""});
    main->lvFilterModel->SetRows(std::move(rows));
    main->mnAddNoNameNumbersToAbonBookFromFilter->trigger();
    QCOMPARE(BookLines(dir),
             (std::vector<std::string>{kStamp, "[Abonents]", "79265554433=Known", "79161234567=NoName"}));
    main->mnAddNoNameNumbersToAbonBook->trigger();
    QCOMPARE(BookLines(dir), (std::vector<std::string>{kStamp, "[Abonents]", "79265554433=Known", "79161234567=NoName",
                                                       "79031112233=NoName"}));
    QCOMPARE(ComboItems(main->cbFilterNumber), (std::vector<std::string>{"79265554433", "79161234567", "79031112233"}));
    // Every command answers: how many numbers, or why there were none.
    main->mnAddNoNameNumbersToAbonBook->trigger();
    QCOMPARE(prompts.infos,
             QStringList({"Numbers without a name added to the abonents book: 1.",
                          "Numbers without a name added to the abonents book: 1.",
                          "Nothing was added: every number of 6 or more digits has a name or is in the abonents book "
                          "already."}));
    prompts.infos.clear();
    // The book's names into the result list; the table keeps its records.
    main->mnFillNumberAbonentsFilter->trigger();
    QCOMPARE(main->lvFilterModel->Rows().Cell(0, 3), std::string_view("NoName"));
    // And into the records, under the splash; a number the book lacks keeps
    // its empty name.
    main->chkbFilterDate->setChecked(true);
    main->mnFillNumberAbonents->trigger();
    QCOMPARE(prompts.infos, QStringList({"Rows of the result list that got a name from the abonents book: 1.",
                                         "Records that got a name from the abonents book: 3."}));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    main->close();
    Table table;
    std::string warning;
    QVERIFY(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
    std::vector<std::string> names;
    for (table.First(); !table.Eof(); table.Next()) names.push_back(table.FieldText(kAbonentField));
    QCOMPARE(names, (std::vector<std::string>{"NoName", "NoName", "Known", ""}));
  }
};

QTEST_MAIN(AbonentsBookFormTest)
#include "AbonentsBookFormTest.moc"
