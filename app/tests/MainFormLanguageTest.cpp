// The main window in the language of its language file: every text the
// Russian window, its dialogs, its message boxes, its file choosers and its
// splash show is Russian, and a caption holding "&" shows the character.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "app/MainForm.h"
#include "app/tests/StartMainForm.h"
#include "base/TextFile.h"
#include "base/tests/TestSupport.h"
#include "config/ShippedFiles.h"
#include "ui/AboutForm.h"
#include "ui/ListModels.h"
#include "ui/Prompts.h"
#include "ui/QtText.h"
#include "ui/SplashForm.h"
#include "ui/tests/ScriptedPrompts.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::StartMainForm;
using zvonar::testing::TempDir;

namespace {

// A data directory with the shipped language files, speaking `language`.
void Prepare(const TempDir& dir, const char* language) {
  QVERIFY(SeedDataDir(dir.path()).ok());
  testing::WriteOrDie(dir.File("settings.ini"), std::string("[Settings]\r\nLanguage=") + language + "\r\n");
}

// The text a widget that reads mnemonics shows for `caption`.
QString ShownCaption(const QString& caption) {
  QString shown;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}

void AddMenuTexts(const QMenu* menu, QStringList* texts) {
  *texts << ShownCaption(menu->title());
  for (const QAction* action : menu->actions()) {
    if (action->menu() != nullptr) AddMenuTexts(action->menu(), texts);
    *texts << ShownCaption(action->text());
  }
}

// Every text `root` shows the user: titles, captions, labels, tool tips,
// column titles, menus (context menus included) and dates. Data the user
// typed or the files hold (combo box items, edits, rows) is left out.
QStringList ShownTexts(const QWidget* root) {
  QStringList texts{root->windowTitle()};
  QList<const QWidget*> widgets{root};
  for (const QWidget* w : root->findChildren<QWidget*>()) widgets << w;
  for (const QWidget* w : widgets) {
    if (const auto* menu = qobject_cast<const QMenu*>(w)) {
      AddMenuTexts(menu, &texts);
      continue;
    }
    if (w != root && !w->isVisibleTo(root)) continue;
    texts << w->toolTip();
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
      const bool rich = label->textFormat() == Qt::RichText || Qt::mightBeRichText(label->text());
      texts << (rich ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                     : label->buddy() != nullptr ? ShownCaption(label->text()) : label->text());
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
      texts << ShownCaption(button->text());
    } else if (const auto* group = qobject_cast<const QGroupBox*>(w)) {
      texts << ShownCaption(group->title());
    } else if (const auto* tabs = qobject_cast<const QTabWidget*>(w)) {
      for (int i = 0; i < tabs->count(); ++i) texts << ShownCaption(tabs->tabText(i));
    } else if (const auto* date = qobject_cast<const QDateTimeEdit*>(w)) {
      texts << date->text();
    } else if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
      texts << edit->placeholderText();
    } else if (const auto* header = qobject_cast<const QHeaderView*>(w);
               header && header->orientation() == Qt::Horizontal && header->model()) {
      for (int c = 0; c < header->count(); ++c)
        if (!header->isSectionHidden(c)) texts << header->model()->headerData(c, Qt::Horizontal).toString();
    }
  }
  texts.removeAll(QString());
  return texts;
}

// The words of `texts` in Latin letters, each with the text it stands in.
// File names, patterns, paths and addresses are names, not words; so are
// words in capitals (SMS, BDE, CSV) and the words of `allowed`.
QStringList LatinWords(const QStringList& texts, const QStringList& allowed = {}) {
  static const QRegularExpression kBlanks("\\s+");
  static const QRegularExpression kName("[*/@\\\\]|\\w\\.\\w");
  static const QRegularExpression kWord("[A-Za-z]+");
  QStringList found;
  for (const QString& text : texts) {
    for (const QString& token : text.split(kBlanks, Qt::SkipEmptyParts)) {
      if (token.contains(kName)) continue;
      for (QRegularExpressionMatchIterator it = kWord.globalMatch(token); it.hasNext();) {
        const QString word = it.next().captured();
        if (word.size() > 1 && word != word.toUpper() && !allowed.contains(word))
          found << QString("\"%1\" in \"%2\"").arg(word, text);
      }
    }
  }
  return found;
}

// Runs `open`, which shows a modal window, and returns the texts of the
// window it showed; `inside` runs while the window is up, before it is
// closed.
QStringList TextsOfModal(const std::function<void()>& open,
                         const std::function<void(QWidget*)>& inside = nullptr) {
  QStringList texts;
  bool seen = false;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    seen = true;
    texts << ShownTexts(modal);
    if (inside) inside(modal);
    modal->close();
  });
  open();
  if (!seen) QTest::qFail("no modal window was shown", __FILE__, __LINE__);
  return texts;
}

}  // namespace

class MainFormLanguageTest : public QObject {
  Q_OBJECT

 private slots:
  void RussianWindowShowsNoEnglishWord() {
    TempDir dir;
    Prepare(dir, "russian");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    const QString title = QString::fromUtf8("Детализация Теллура");
    QCOMPARE(form->windowTitle(), title);

    QStringList texts = ShownTexts(form.get());
    for (QAction* command : {form->mnSettings, form->mnServicesID, form->mnRegisterFields, form->mnDBFields,
                             form->mnCodesTypes, form->mnChangeCodesTypes, form->mnAbout}) {
      const QStringList shown = TextsOfModal([command] { command->trigger(); });
      QVERIFY2(!shown.isEmpty(), qPrintable(command->objectName()));
      texts << shown;
    }
    // The abonents book, and the entry dialog its Add command opens.
    QStringList entry;
    texts << TextsOfModal([&] { form->mnAbonentsBook->trigger(); },
                          [&](QWidget* book) {
                            QAction* add = book->findChild<QAction*>("pmAdd");
                            QVERIFY(add != nullptr);
                            // A name or a number the book cannot hold is refused in words of
                            // the language.
                            entry = TextsOfModal([add] { add->trigger(); },
                                                 [](QWidget* dialog) {
                                                   auto* number = dialog->findChild<QLineEdit*>("edNumber");
                                                   auto* name = dialog->findChild<QLineEdit*>("edName");
                                                   number->setText("79161234567");
                                                   name->setText(QString(60, QChar(0x0416)));
                                                   dialog->findChild<QPushButton*>("btnOK")->click();
                                                   number->setText("7916=123");
                                                   name->setText("Name");
                                                   dialog->findChild<QPushButton*>("btnOK")->click();
                                                   name->setText(QString::fromUtf8("Имя 日本"));
                                                   dialog->findChild<QPushButton*>("btnOK")->click();
                                                 });
                          });
    QVERIFY(!entry.isEmpty());
    texts << entry;
    // The field is named by its column title.
    const QStringList refusals = {
        QString::fromUtf8("Текст длиной 60 символов; поле Абонент вмещает 50 (ширина задаётся в окне \"Поля базы\")."),
        QString::fromUtf8("Номер не может содержать \"=\"."),
        QString::fromUtf8("Символа \"日\" (U+65E5) нет в кодовой странице 1251.")};
    QCOMPARE(prompts.errors, refusals);
    prompts.errors.clear();

    // Message boxes carry the program's one name and Qt's buttons in Russian.
    QtPrompts boxes(form.get());
    QStringList boxTitles;
    const auto box = [&](const std::function<void()>& show) {
      const QStringList shown = TextsOfModal(show);
      if (!shown.isEmpty()) boxTitles << shown.front();
      texts << shown;
    };
    box([&] { boxes.ShowError(QString::fromUtf8("Ошибка")); });
    box([&] { boxes.ShowInfo(QString::fromUtf8("Сведения")); });
    box([&] { (void)boxes.AskYesNo(QString::fromUtf8("Вопрос?")); });
    box([&] { boxes.ShowInfoDetails(QString::fromUtf8("Итог"), QString::fromUtf8("подробности")); });
    QCOMPARE(boxTitles, QStringList(4, title));

    // The file choosers: the type names, and Qt's own dialog around them.
    form->mnAddDetalization->trigger();
    form->mnShowMonthSummary->trigger();
    QCOMPARE(prompts.filters.size(), 2);
    texts << prompts.filters;
    QString selected;
    texts << TextsOfModal(
        [&] { (void)boxes.ChooseOpenFile(prompts.filters.front(), QString::fromStdString(dir.path()), &selected); });

    TSplashForm splash;
    texts << ShownTexts(&splash);
    QVERIFY(!splash.lProgName1->text().isEmpty());
    QCOMPARE((splash.lProgName1->text() + splash.lProgName2->text()).simplified(), title);

    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    // Qt's own buttons follow the language too.
    for (const char* qtText : {"Да", "Нет", "Открыть", "Отмена"})
      QVERIFY2(texts.contains(QString::fromUtf8(qtText)), qtText);
    // The Settings dialog's Language button shows the language file's name.
    const QStringList english = LatinWords(texts, {"russian"});
    QVERIFY2(english.isEmpty(), qPrintable(english.join("\n")));
    form->close();
  }

  void CommandsOverAnImportedBillAnswerInRussian() {
    TempDir dir;
    Prepare(dir, "russian");
    const std::string bill = dir.File("bill-2008-03.txt");
    QVERIFY(std::filesystem::copy_file(std::filesystem::path(ZVONAR_SOURCE_DIR) / "examples" / "bill-2008-03.txt",
                                       bill));
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    prompts.files.push_back(QString::fromStdString(bill));
    form->mnAddDetalization->trigger();
    QVERIFY(form->stRecCount->text() != "0");
    form->chkbFilterOwner->setChecked(false);
    form->chkbFilterDate->setChecked(false);
    form->btnCheckedDataFilter->click();
    QVERIFY(form->lvFilterModel->rowCount() > 0);
    form->mnToCountAndFindMaxActivityFilter->trigger();

    QStringList texts = ShownTexts(form.get());
    texts << TextsOfModal([&] { form->mnCharts->trigger(); });
    texts << TextsOfModal([&] { form->mnPrintFilter->trigger(); });
    // The month summary the import wrote beside the bill.
    const QStringList summaries = QDir(QString::fromStdString(dir.path())).entryList({"*.sum"});
    QCOMPARE(summaries.size(), 1);
    prompts.files.push_back(QString::fromStdString(dir.path()) + summaries.front());
    texts << TextsOfModal([&] { form->mnShowMonthSummary->trigger(); });
    // A second import of the same bill asks in Russian.
    prompts.files.push_back(QString::fromStdString(bill));
    form->mnAddDetalization->trigger();
    QCOMPARE(prompts.questions.size(), 1);
    // A bill with lines that cannot be stored lists them under a Russian
    // heading.
    const std::string rejecting = dir.File("bill-2008-05.txt");
    QVERIFY(std::filesystem::copy_file(std::filesystem::path(ZVONAR_SOURCE_DIR) / "examples" / "bill-2008-05.txt",
                                       rejecting));
    prompts.files.push_back(QString::fromStdString(rejecting));
    form->mnAddDetalization->trigger();
    QCOMPARE(prompts.infoDetails.size(), 1);
    QVERIFY(prompts.infoDetails.front().startsWith(QString::fromUtf8("Данные не исправлены, поэтому не сохранены:\n")));

    texts << prompts.errors << prompts.infos << prompts.questions << prompts.infoDetails;
    const QStringList english = LatinWords(texts, {"russian"});
    QVERIFY2(english.isEmpty(), qPrintable(english.join("\n")));
    form->close();
  }

  void FileChoosersNameTheirTypesInTheLanguage() {
    struct Case {
      const char* language;
      QString addDetalization;
    };
    const Case cases[] = {
        {"english",
         "Bills (*.txt *.htm *.html);;Text File (*.txt);;HTML File (*.html);;Data (*.dat);;Filter (*.fil);;"
         "Summary (*.sum);;All (*.*)"},
        {"russian", QString::fromUtf8("Счета (*.txt *.htm *.html);;Текстовый файл (*.txt);;Файл HTML (*.html);;"
                                      "Данные (*.dat);;Фильтр (*.fil);;Итоги (*.sum);;Все файлы (*.*)")},
    };
    for (const Case& c : cases) {
      TempDir dir;
      Prepare(dir, c.language);
      ScriptedPrompts prompts;
      auto form = StartMainForm(dir, &prompts);
      form->mnAddDetalization->trigger();
      QCOMPARE(prompts.filters.value(0), c.addDetalization);
      form->close();
    }
  }

  void AmpersandInACaptionIsShownAsTheCharacter() {
    TempDir dir;
    Prepare(dir, "russian");
    std::vector<std::string> lines;
    QVERIFY(ReadTextLines(dir.File("russian.lng"), &lines, 1 << 20).ok());
    const auto set = [&](std::size_t i, const char* utf8) { lines[i] = FromQtLossy(QString::fromUtf8(utf8)); };
    set(16, "Максимальная активность & количество:");  // status panel: a label
    set(18, "Управление & фильтр");                      // group box
    set(88, "Звонки & SMS");                             // check box
    set(31, "Выход &");                                  // menu item, "&" at the end
    set(39, "Подсчитать && найти");                      // the toolkit's own "&&" stays one "&"
    set(41, "&Настройки");                               // a mnemonic stays a mnemonic
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    testing::WriteOrDie(dir.File("russian.lng"), text);

    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    const auto* panel = form->findChild<QLabel*>("PanelCaption");
    QVERIFY(panel != nullptr);
    QCOMPARE(panel->text(), QString::fromUtf8("Максимальная активность & количество:"));
    struct Shown {
      QString caption;
      QString want;
      bool mnemonic;
    };
    const Shown shown[] = {
        {form->gbControl->title(), QString::fromUtf8(" Управление & фильтр "), false},
        {form->chkbFilterCalls->text(), QString::fromUtf8("Звонки & SMS"), false},
        {form->mnExit->text(), QString::fromUtf8("Выход &"), false},
        {form->mnToCountAndFindMaxActivityFilter->text(), QString::fromUtf8("Подсчитать & найти"), false},
        {form->mnSettings->text(), QString::fromUtf8("Настройки..."), true},
    };
    for (const Shown& s : shown) {
      QCOMPARE(ShownCaption(s.caption), s.want);
      // No letter, and no blank, is underlined unless the line asks for it.
      QCOMPARE(!QKeySequence::mnemonic(s.caption).isEmpty(), s.mnemonic);
    }
    form->close();
  }

  void AboutBoxSpeaksTheLanguageAndNamesTheProgramOnce() {
    struct Case {
      const char* language;
      QString title, caption, close;
    };
    const Case cases[] = {
        {"english", "Tellura Detalization", "Author", "Close"},
        {"russian", QString::fromUtf8("Детализация Теллура"), QString::fromUtf8("Автор"), QString::fromUtf8("Закрыть")},
    };
    for (const Case& c : cases) {
      TempDir dir;
      Prepare(dir, c.language);
      ScriptedPrompts prompts;
      auto form = StartMainForm(dir, &prompts);
      TFormAbout about(form.get());
      QCOMPARE(about.windowTitle(), c.caption);
      QCOMPARE(about.lProgNameEn->text(), c.title);
      QCOMPARE(about.btnClose->text(), c.close);
      // The name stands once in the box, whatever the language.
      QCOMPARE(ShownTexts(&about).filter(c.title).size(), 1);
      form->close();
    }
  }
};

QTEST_MAIN(MainFormLanguageTest)
#include "MainFormLanguageTest.moc"
