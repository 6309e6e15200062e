// The codes/types dialog and the change dialog, driven by keys as the user
// drives them.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>
#include <filesystem>

#include "base/tests/TestSupport.h"
#include "books/ChangeCodeTypeForm.h"
#include "books/CodesTypesForm.h"
#include "ui/tests/ScriptedPrompts.h"

using zvonar::BookFieldWidths;
using zvonar::CodeTypeRow;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::TempDir;

namespace {

std::vector<CodeTypeRow> RowsOf(std::initializer_list<std::pair<const char*, const char*>> rows) {
  std::vector<CodeTypeRow> all;
  for (const auto& [marker, text] : rows) all.push_back({marker, text});
  return all;
}

// A language file of `count` lines "line N", with `lines` put in.
void WriteLanguage(const TempDir& dir, int count, const std::map<int, std::string>& lines) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (lines.count(i) ? lines.at(i) : "line " + std::to_string(i)) + "\r\n";
  zvonar::testing::WriteOrDie(dir.File("test.lng"), text);
}

}  // namespace

class CodesTypesFormTest : public QObject {
  Q_OBJECT

 private slots:
  void KeysEditAddAndDeleteRows() {
    TempDir dir;
    zvonar::testing::WriteOrDie(dir.File("codetype.dat"), "1=Call\r\n2=SMS\r\n3=GPRS\r\n");
    ScriptedPrompts prompts;
    TCodesTypesForm form(dir.path(), "", &prompts, BookFieldWidths{});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTableWidget* list = form.StringListView;
    QLineEdit* editor = form.edString4ListView;
    QCOMPARE(list->rowCount(), 3);

    // F4 edits the selected row; Enter commits.
    list->setFocus();
    list->selectRow(1);
    QTest::keyClick(list, Qt::Key_F4);
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->text(), QString("SMS"));
    editor->setText("Text message");
    QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(!editor->isVisible());
    QVERIFY(form.isVisible());  // Enter did not press Close

    // F8 deletes the second row at once; F5 then adds marker 3 from the
    // last row's text; F2 commits.
    list->selectRow(1);
    QTest::keyClick(list, Qt::Key_F8);
    QCOMPARE(list->rowCount(), 2);
    QTest::keyClick(list, Qt::Key_F5);
    QCOMPARE(editor->text(), QString("GPRS"));
    editor->setText("MMS");
    QTest::keyClick(editor, Qt::Key_F2);
    QCOMPARE(form.Rows(), RowsOf({{"1", "Call"}, {"3", "GPRS"}, {"3", "MMS"}}));

    // Escape drops the editor's text and leaves the dialog open.
    list->selectRow(0);
    QTest::keyClick(list, Qt::Key_F4);
    editor->setText("dropped");
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!editor->isVisible());
    QVERIFY(form.isVisible());
    QCOMPARE(form.Rows()[0].indication, std::string("Call"));

    // Close with an edit open: the edit is lost, the list written.
    QTest::keyClick(list, Qt::Key_F4);
    editor->setText("lost");
    form.bbtnClose->click();
    QVERIFY(!form.isVisible());
    QVERIFY(form.FileStatus().ok());
    QCOMPARE(QString::fromStdString(zvonar::testing::ReadOrEmpty(dir.File("codetype.dat"))),
             QString("1=Call\r\n3=GPRS\r\n3=MMS\r\n"));
  }

  void AnEmptyListStartsAtOneAndTheFileIsMadeOnClose() {
    TempDir dir;
    ScriptedPrompts prompts;
    TCodesTypesForm form(dir.path(), "", &prompts, BookFieldWidths{});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::keyClick(form.StringListView, Qt::Key_F5);
    QCOMPARE(form.edString4ListView->text(), QString());
    form.edString4ListView->setText("Call");
    QTest::keyClick(form.edString4ListView, Qt::Key_Enter);
    QTest::keyClick(form.StringListView, Qt::Key_F4);  // nothing selected: nothing happens
    QVERIFY(!form.edString4ListView->isVisible());
    QTest::keyClick(&form, Qt::Key_Escape);  // closes through Close, writing
    QCOMPARE(QString::fromStdString(zvonar::testing::ReadOrEmpty(dir.File("codetype.dat"))), QString("1=Call\r\n"));
  }

  // Add, Edit and Delete buttons act as F5, F4 and F8 do; Insert adds from
  // any part of the dialog, and the row being added is typed into a framed
  // editor.
  void ButtonsAndInsertWorkAsTheKeys() {
    TempDir dir;
    zvonar::testing::WriteOrDie(dir.File("codetype.dat"), "1=Call\r\n2=SMS\r\n");
    ScriptedPrompts prompts;
    TCodesTypesForm form(dir.path(), "", &prompts, BookFieldWidths{});
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTableWidget* list = form.StringListView;
    QLineEdit* editor = form.edString4ListView;
    QCOMPARE(form.btnAdd->text(), QString("Add"));
    QCOMPARE(form.btnEdit->text(), QString("Edit"));
    QCOMPARE(form.btnDelete->text(), QString("Delete"));
    for (QPushButton* b : {form.btnAdd, form.btnEdit, form.btnDelete, form.bbtnClose}) {
      QVERIFY(b->isVisible());
      QVERIFY(b->geometry().right() < form.width() && b->geometry().left() >= 0);
    }

    form.bbtnClose->setFocus();
    QTest::keyClick(form.bbtnClose, Qt::Key_Insert);
    QVERIFY(editor->isVisible());
    QVERIFY(editor->hasFrame());
    QVERIFY(editor->height() > list->rowHeight(0));
    QCOMPARE(editor->text(), QString("SMS"));
    editor->setText("MMS");
    QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(form.Changed());

    list->selectRow(0);
    QTest::mouseClick(form.btnEdit, Qt::LeftButton);
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->text(), QString("Call"));
    editor->setText("Voice");
    QTest::keyClick(editor, Qt::Key_Return);
    list->selectRow(1);
    QTest::mouseClick(form.btnDelete, Qt::LeftButton);
    QTest::mouseClick(form.btnAdd, Qt::LeftButton);
    QCOMPARE(editor->text(), QString("MMS"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QCOMPARE(form.Rows(), RowsOf({{"1", "Voice"}, {"3", "MMS"}}));
    QVERIFY(form.isVisible());
    form.bbtnClose->click();
    QCOMPARE(QString::fromStdString(zvonar::testing::ReadOrEmpty(dir.File("codetype.dat"))),
             QString("1=Voice\r\n3=MMS\r\n"));
  }

  // Closing without an edit leaves the file as it was, byte for byte, and a
  // missing file missing; so does an edit that puts back the same text.
  void CloseWithoutAnEditWritesNothing() {
    TempDir dir;
    const std::string bytes = "1=Call\n2=SMS";  // a rewrite would end each line with CR LF
    zvonar::testing::WriteOrDie(dir.File("codetype.dat"), bytes);
    ScriptedPrompts prompts;
    {
      TCodesTypesForm form(dir.path(), "", &prompts, BookFieldWidths{});
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      form.StringListView->selectRow(1);
      QTest::keyClick(form.StringListView, Qt::Key_F4);
      QTest::keyClick(form.edString4ListView, Qt::Key_Return);
      QTest::keyClick(form.StringListView, Qt::Key_F5);
      QTest::keyClick(form.edString4ListView, Qt::Key_Escape);
      QVERIFY(!form.Changed());
      form.bbtnClose->click();
    }
    QCOMPARE(zvonar::testing::ReadOrEmpty(dir.File("codetype.dat")), bytes);

    TempDir none;
    QTimer::singleShot(0, [] {
      auto* form = qobject_cast<TCodesTypesForm*>(QApplication::activeModalWidget());
      QVERIFY(form != nullptr);
      QTest::keyClick(form, Qt::Key_Escape);
    });
    QVERIFY(zvonar::ShowCodesTypes(nullptr, none.path(), "", &prompts, BookFieldWidths{}).ok());
    QVERIFY(!std::filesystem::exists(none.File("codetype.dat")));
    QVERIFY(prompts.errors.isEmpty());
  }

  void TheLanguageFileNamesTheParts() {
    TempDir dir;
    WriteLanguage(dir, 67,
                  {{8, "Kod"},
                   {9, "Tip"},
                   {43, "Shut"},
                   {44, "Drop"},
                   {50, "Codes + Types"},
                   {51, "Marker"},
                   {52, "Text"},
                   {63, "Swap"},
                   {64, "How"},
                   {65, "Look for"},
                   {66, "Put"}});
    ScriptedPrompts prompts;
    TCodesTypesForm codes(dir.path(), "test", &prompts, BookFieldWidths{});
    QCOMPARE(codes.windowTitle(), QString("Codes + Types"));
    QCOMPARE(codes.StringListView->horizontalHeaderItem(1)->text(), QString("Text"));
    QCOMPARE(codes.bbtnClose->text(), QString("Shut"));
    QCOMPARE(codes.btnAdd->text(), QString("line 46"));
    QCOMPARE(codes.btnEdit->text(), QString("line 48"));
    TChangeCodeTypeForm change(dir.path(), "test", {"Call"}, &prompts, BookFieldWidths{});
    QCOMPARE(change.windowTitle(), QString("Swap Codes + Types"));
    QCOMPARE(change.rbType->text(), QString("Tip"));
    QCOMPARE(change.btnCancel->text(), QString("Drop"));
    QCOMPARE(change.lFilter1->text(), QString("Look for:"));
    QCOMPARE(change.gbChange->title(), QString(" Swap "));
  }

  void ChangeDialogGivesModeAndTexts() {
    TempDir dir;
    int mode = -1;
    QString find, replace;
    QTimer::singleShot(0, [] {
      auto* form = qobject_cast<TChangeCodeTypeForm*>(QApplication::activeModalWidget());
      QVERIFY(form != nullptr);
      QCOMPARE(form->cbFilter1->count(), 2);
      QCOMPARE(form->Mode(), 0);
      form->rbType->setChecked(true);
      form->cbFilter1->setCurrentIndex(1);
      form->cbFilter2->setEditText("Voice");
      form->btnOK->click();
    });
    ScriptedPrompts prompts;
    QVERIFY(zvonar::AskChangeCodeType(nullptr, dir.path(), "", {"Call", "SMS"}, &prompts, BookFieldWidths{}, &mode,
                                      &find, &replace));
    QCOMPARE(mode, 1);
    QCOMPARE(find, QString("SMS"));
    QCOMPARE(replace, QString("Voice"));

    QTimer::singleShot(0, [] {
      if (auto* form = qobject_cast<TChangeCodeTypeForm*>(QApplication::activeModalWidget())) form->btnCancel->click();
    });
    QVERIFY(
        !zvonar::AskChangeCodeType(nullptr, dir.path(), "", {}, &prompts, BookFieldWidths{}, &mode, &find, &replace));
    QVERIFY(prompts.errors.isEmpty());
  }

  // A text the narrower of Code and Type cannot hold whole, or one with "#"
  // or a TAB, is refused with the field, its width and the dialog that sets
  // it; the editor keeps the text to be mended.
  void TextsThatWouldBeCutOrShiftAListAreRefused() {
    TempDir dir;
    zvonar::testing::WriteOrDie(dir.File("codetype.dat"), "1=Call\r\n");
    ScriptedPrompts prompts;
    TCodesTypesForm form(dir.path(), "", &prompts, BookFieldWidths{50, 15, 10});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QLineEdit* editor = form.edString4ListView;
    QTest::keyClick(form.StringListView, Qt::Key_F5);
    const QString outgoing = QString::fromUtf8("Исходящий звонок");
    editor->setText(outgoing);
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(prompts.errors.size(), 1);
    QVERIFY2(prompts.errors[0].contains("16") && prompts.errors[0].contains("Type") &&
                 prompts.errors[0].contains("10") && prompts.errors[0].contains("DB Fields"),
             qPrintable(prompts.errors[0]));
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->text(), outgoing);
    editor->setText("SMS #2");
    QTest::keyClick(editor, Qt::Key_Return);
    editor->setText("SMS\t2");
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(prompts.errors.size(), 3);
    QVERIFY(prompts.errors[1].contains("#"));
    QVERIFY(prompts.errors[2].contains("TAB"));
    editor->setText(QString::fromUtf8("Исходящий"));  // 9 characters fit
    QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(!editor->isVisible());
    QCOMPARE(form.Rows().size(), std::size_t{2});

    // A marker typed in place goes back when it cannot be stored.
    form.StringListView->item(0, 0)->setText("1#");
    QCOMPARE(prompts.errors.size(), 4);
    QCOMPARE(form.StringListView->item(0, 0)->text(), QString("1"));
    form.StringListView->item(0, 0)->setText("a=b");
    QCOMPARE(form.StringListView->item(0, 0)->text(), QString("1"));
    form.StringListView->item(0, 0)->setText("01");
    QCOMPARE(prompts.errors.size(), 5);
    QCOMPARE(prompts.errors[4], QString("A code cannot hold \"=\": it ends the code in codetype.dat."));
    form.bbtnClose->click();
    QVERIFY(zvonar::testing::ReadOrEmpty(dir.File("codetype.dat")) ==
            "01=Call\r\n2=\xC8\xF1\xF5\xEE\xE4\xFF\xF9\xE8\xE9\r\n");
  }

  // OK refuses a replacement the chosen field cannot take whole and keeps
  // the dialog open; a fitting one closes it.
  void ChangeDialogRefusesAReplacementThatWouldBeCut() {
    TempDir dir;
    ScriptedPrompts prompts;
    int mode = -1;
    QString find, replace;
    QTimer::singleShot(0, [&prompts] {
      auto* form = qobject_cast<TChangeCodeTypeForm*>(QApplication::activeModalWidget());
      QVERIFY(form != nullptr);
      form->cbFilter1->setEditText("1");
      form->cbFilter2->setEditText(QString::fromUtf8("Исходящий звонок на мобильный"));
      form->btnOK->click();
      QVERIFY(form->isVisible());
      QCOMPARE(prompts.errors.size(), 1);
      QVERIFY2(prompts.errors[0].contains("Code") && prompts.errors[0].contains("12"), qPrintable(prompts.errors[0]));
      form->cbFilter2->setEditText("Out#1");
      form->btnOK->click();
      QCOMPARE(prompts.errors.size(), 2);
      form->cbFilter2->setEditText("Outgoing");
      form->btnOK->click();
    });
    QVERIFY(zvonar::AskChangeCodeType(nullptr, dir.path(), "", {}, &prompts, BookFieldWidths{50, 12, 15}, &mode, &find,
                                      &replace));
    QCOMPARE(replace, QString("Outgoing"));
  }
};

QTEST_MAIN(CodesTypesFormTest)
#include "CodesTypesFormTest.moc"
