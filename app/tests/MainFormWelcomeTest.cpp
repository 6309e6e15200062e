// The first start of the main window: the welcome of an empty table and its
// example bills, bills dropped onto the window, where the file choosers
// start, the language a first start picks, and an import answered No.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTreeView>
#include <QtTest>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/MainForm.h"
#include "app/tests/StartMainForm.h"
#include "base/TextFile.h"
#include "config/ShippedFiles.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::StartMainForm;
using zvonar::testing::TempDir;

namespace {

std::string ExampleBill(const char* name) {
  return (std::filesystem::path(ZVONAR_SOURCE_DIR) / "examples" / name).string();
}

QString Q(const std::string& path) { return QString::fromStdString(path); }

// Sets an environment variable for one scope and puts the old value back.
class EnvScope {
 public:
  EnvScope(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~EnvScope() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }
  EnvScope(const EnvScope&) = delete;
  EnvScope& operator=(const EnvScope&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Drops `files` onto the window the way a file manager does; true when the
// window took the drag.
bool DropFiles(TMainForm& form, const std::vector<std::string>& files) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const std::string& file : files) urls << QUrl::fromLocalFile(Q(file));
  mime.setUrls(urls);
  const QPoint at = form.rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &drop);
  QCoreApplication::processEvents();  // the import runs once the drop is done
  return drop.isAccepted();
}

}  // namespace

class MainFormWelcomeTest : public QObject {
  Q_OBJECT

 private slots:
  void TheWelcomeShowsWhileTheTableIsEmpty() {
    struct Case {
      const char* settings;
      QString examples, words;
    };
    const Case cases[] = {
        {"[Settings]\r\nLanguage=english\r\n", "Open the example bills", "filter, count, name and print"},
        {"[Settings]\r\nLanguage=russian\r\n", QString::fromUtf8("Открыть примеры счетов"),
         QString::fromUtf8("отбирать, считать, подписывать и печатать")},
    };
    for (const Case& c : cases) {
      TempDir dir;
      QVERIFY(SeedDataDir(dir.path()).ok());
      testing::WriteOrDie(dir.File("settings.ini"), std::string(c.settings) + "ShowSplash=0\r\n");
      std::filesystem::copy_file(ExampleBill("bill-2008-03.txt"), dir.File("bill.txt"));
      ScriptedPrompts prompts;
      {
        auto form = StartMainForm(dir, &prompts);
        QVERIFY(form->frWelcome->isVisible());
        QVERIFY2(form->lWelcome->text().contains(c.words), qPrintable(form->lWelcome->text()));
        QCOMPARE(form->btnWelcomeExamples->text(), c.examples);
        QCOMPARE(form->btnWelcomeAddDetalization->text(), form->mnAddDetalization->text());
        // It covers the result list, whatever its size.
        QCOMPARE(form->frWelcome->geometry(),
                 QRect(form->lvFilter->mapTo(form->panelMain, QPoint(0, 0)), form->lvFilter->size()));

        // Its Add Detalization button opens the chooser; the bill's records
        // take the welcome away.
        prompts.files.push_back(Q(dir.File("bill.txt")));
        QTest::mouseClick(form->btnWelcomeAddDetalization, Qt::LeftButton);
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
        QCOMPARE(prompts.dirs.size(), 1);
        QCOMPARE(form->stRecCount->text(), QString("24"));
        QVERIFY(!form->frWelcome->isVisible());
        form->close();
      }
      // A start over a table with records shows no welcome.
      auto again = StartMainForm(dir, &prompts);
      QVERIFY(!again->frWelcome->isVisible());
      again->close();
    }
  }

  void TheExampleBillsComeWithTheirBooks() {
    TempDir dir;
    testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nShowSplash=0\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QTest::mouseClick(form->btnWelcomeExamples, Qt::LeftButton);
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    QVERIFY(!form->frWelcome->isVisible());
    QVERIFY(form->stRecCount->text().toInt() > 24);
    // The books are copied as shipped; the bills are imported from copies
    // in the data directory, where their summaries are written.
    for (const char* book : {"abonents.dat", "codetype.dat"})
      QCOMPARE(testing::ReadOrEmpty(dir.File(book)), testing::ReadOrEmpty(ExampleBill(book)));
    QVERIFY(FileExists(dir.File("examples/bill-2008-03.txt")));
    QVERIFY(form->cbFilterNumber->count() > 0);
    QVERIFY(form->cbFilterCode->count() > 0);
    // One closing list names every bill.
    const QString outcomes = prompts.infos.last();
    for (const char* bill : {"bill-2008-03.html", "bill-2008-03.txt", "bill-2008-04.html", "bill-2008-05.txt"})
      QVERIFY2(outcomes.contains(bill), qPrintable(outcomes));
    // Nothing names the data directory as the folder to start in.
    prompts.files.push_back({});
    form->mnAddDetalization->trigger();
    QVERIFY(!prompts.dirs.last().startsWith(Q(dir.path())));
    form->close();
  }

  void TheExamplesKeepTheUsersBooks() {
    TempDir dir;
    testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nShowSplash=0\r\n");
    testing::WriteOrDie(dir.File("abonents.dat"), "[Abonents]\r\n4951234567=Mine\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QTest::mouseClick(form->btnWelcomeExamples, Qt::LeftButton);
    QCOMPARE(testing::ReadOrEmpty(dir.File("abonents.dat")), std::string("[Abonents]\r\n4951234567=Mine\r\n"));
    QCOMPARE(form->cbFilterNumber->count(), 1);
    form->close();
  }

  void DroppedBillsAreImportedAsChosenOnes() {
    TempDir dir;
    testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nShowSplash=0\r\n");
    TempDir elsewhere;
    const std::string bills = elsewhere.File("bills");
    std::filesystem::create_directory(bills);
    for (const char* name : {"bill-2008-03.txt", "bill-2008-04.html"})
      std::filesystem::copy_file(ExampleBill(name), bills + "/" + name);
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);

    // Several files at once, in name order, with one closing list.
    QVERIFY(DropFiles(*form, {bills + "/bill-2008-04.html", bills + "/bill-2008-03.txt"}));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join("; ")));
    QVERIFY2(prompts.infos.last().startsWith("bill-2008-03.txt: 24 records added\nbill-2008-04.html: "),
             qPrintable(prompts.infos.last()));
    const QString count = form->stRecCount->text();
    QVERIFY(!form->frWelcome->isVisible());
    // No owner was picked: the box shows the owner of the bill imported last.
    QCOMPARE(form->edFilterOwner->currentText(), QString("9031234567"));

    // The same bill again asks, with No by default; No keeps it out.
    QVERIFY(DropFiles(*form, {bills + "/bill-2008-03.txt"}));
    QCOMPARE(prompts.noByDefault.size(), 1);
    QVERIFY(prompts.noByDefault.first().endsWith("Import it again?"));
    QCOMPARE(form->stRecCount->text(), count);

    // Their folder is where the next chooser starts.
    form->mnAddDetalization->trigger();
    QCOMPARE(prompts.dirs.last(), Q(bills));

    // A drag without local files is not taken.
    QMimeData text;
    text.setText("9161112233");
    QDragEnterEvent enter(form->rect().center(), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QVERIFY(!enter.isAccepted());
    form->close();
  }

  void ChoosersStartInTheLastFolderElseAtHome() {
    TempDir home;
    const EnvScope homeScope("HOME", home.path().c_str());
    TempDir dir;
    // A remembered folder inside the data directory is not used.
    std::filesystem::create_directory(dir.File("examples"));
    testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nShowSplash=0\r\nAddDetalizationDir=" +
                                                      dir.File("examples") + "\r\n");
    const std::string bills = home.File("Bills");
    std::filesystem::create_directory(bills);
    std::filesystem::copy_file(ExampleBill("bill-2008-03.txt"), bills + "/bill.txt");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    const QString homeDir = QDir::homePath();
    QCOMPARE(homeDir + "/", Q(home.path()));

    form->mnAddDetalization->trigger();
    form->mnShowMonthSummary->trigger();
    form->mnLoadFiltered->trigger();
    QCOMPARE(prompts.dirs, (QStringList{homeDir, homeDir, homeDir}));
    // Bills of both kinds are the first file type, and preselected.
    QCOMPARE(prompts.filters.first().section(";;", 0, 0), QString("Bills (*.txt *.htm *.html)"));
    QCOMPARE(prompts.selectedFilters.first(), QString("Bills (*.txt *.htm *.html)"));

    prompts.files.push_back(Q(bills + "/bill.txt"));
    form->mnAddDetalization->trigger();
    QCOMPARE(form->stRecCount->text(), QString("24"));
    form->mnShowMonthSummary->trigger();
    form->mnLoadFiltered->trigger();
    QCOMPARE(prompts.dirs.mid(4), (QStringList{Q(bills), Q(bills)}));
    form->close();
    form.reset();

    // The folder is remembered for the next start; once gone, home again.
    ScriptedPrompts next;
    form = StartMainForm(dir, &next);
    form->mnAddDetalization->trigger();
    form->close();
    form.reset();
    std::filesystem::remove_all(bills);
    form = StartMainForm(dir, &next);
    form->mnAddDetalization->trigger();
    QCOMPARE(next.dirs, (QStringList{Q(bills), homeDir}));
    form->close();
  }

  void AFirstStartSpeaksTheLanguageOfTheLocale() {
    struct Case {
      const char* lcAll;
      const char* lcMessages;
      const char* lang;
      const char* language;
    };
    const Case cases[] = {
        {nullptr, nullptr, "ru_RU.UTF-8", "russian"},
        {nullptr, "ru_UA.UTF-8", "en_GB.UTF-8", "russian"},
        {"de_DE.UTF-8", "ru_RU.UTF-8", "ru_RU.UTF-8", "english"},
        {nullptr, nullptr, "C", "english"},
    };
    for (const Case& c : cases) {
      const EnvScope all("LC_ALL", c.lcAll);
      const EnvScope messages("LC_MESSAGES", c.lcMessages);
      const EnvScope lang("LANG", c.lang);
      TempDir dir;
      QVERIFY(SeedDataDir(dir.path()).ok());
      ScriptedPrompts prompts;
      auto form = StartMainForm(dir, &prompts);
      QCOMPARE(form->Settings().language, std::string(c.language));
      const bool russian = std::string(c.language) == "russian";
      QCOMPARE(form->btnWelcomeExamples->text(),
               russian ? QString::fromUtf8("Открыть примеры счетов") : QString("Open the example bills"));
      form->close();
      form.reset();
      QVERIFY(testing::ReadOrEmpty(dir.File("settings.ini")).find(std::string("Language=") + c.language) !=
              std::string::npos);
    }
    const EnvScope all("LC_ALL", nullptr);
    const EnvScope messages("LC_MESSAGES", nullptr);
    const EnvScope lang("LANG", "ru_RU.UTF-8");
    {
      // A second window on the directory says so in the first one's language.
      TempDir dir;
      QVERIFY(SeedDataDir(dir.path()).ok());
      ScriptedPrompts prompts;
      auto form = StartMainForm(dir, &prompts);
      ScriptedPrompts secondPrompts;
      TMainForm second(dir.path(), &secondPrompts);
      QCOMPARE(secondPrompts.errors, QStringList{QString::fromUtf8("Звонарь уже запущен с этим каталогом данных.")});
      form->close();
    }
    // A settings.ini without a language keeps the window English.
    TempDir dir;
    QVERIFY(SeedDataDir(dir.path()).ok());
    testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nShowSplash=0\r\n");
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    QCOMPARE(form->btnWelcomeExamples->text(), QString("Open the example bills"));
    form->close();
  }

  void ImportAnsweredNoChangesNothing() {
    TempDir dir;
    testing::WriteOrDie(dir.File("settings.ini"), "[Settings]\r\nShowSplash=0\r\n");
    const std::string bill = dir.File("bill.txt");
    const std::string first = dir.File("bill.html");
    const std::string other = dir.File("bill-05.txt");
    std::filesystem::copy_file(ExampleBill("bill-2008-03.txt"), bill);
    std::filesystem::copy_file(ExampleBill("bill-2008-04.html"), first);
    std::filesystem::copy_file(ExampleBill("bill-2008-05.txt"), other);
    ScriptedPrompts prompts;
    auto form = StartMainForm(dir, &prompts);
    prompts.files.push_back(Q(first));
    form->mnAddDetalization->trigger();
    QCOMPARE(form->edFilterOwner->currentText(), QString("9031234567"));
    // No owner was picked: the import shows the bill's, not the table's first.
    prompts.files.push_back(Q(bill));
    form->mnAddDetalization->trigger();
    QCOMPARE(form->edFilterOwner->currentText(), QString("9161112233"));

    // The user picks an owner and dates, and a row of the grid.
    form->chkbFilterOwner->click();
    form->edFilterOwner->lineEdit()->clear();
    QTest::keyClicks(form->edFilterOwner->lineEdit(), "9169998877");
    form->dtpDateBegin->setDate(QDate(2008, 3, 5));
    form->dtpDateEnd->setDate(QDate(2008, 3, 20));
    const QModelIndex row = form->dbgDetaliz->model()->index(7, 2);
    form->dbgDetaliz->setCurrentIndex(row);
    const QString recNo = form->stRecNo->text();
    const QString count = form->stRecCount->text();

    prompts.files.push_back(Q(bill));
    prompts.answers.push_back(false);
    form->mnAddDetalization->trigger();
    QCOMPARE(prompts.noByDefault.size(), 1);
    QCOMPARE(form->edFilterOwner->currentText(), QString("9169998877"));
    QCOMPARE(form->dtpDateBegin->date(), QDate(2008, 3, 5));
    QCOMPARE(form->dtpDateEnd->date(), QDate(2008, 3, 20));
    QCOMPARE(form->dbgDetaliz->currentIndex(), row);
    QCOMPARE(form->stRecCount->text(), count);
    QCOMPARE(form->stRecNo->text(), recNo);

    // A real import keeps the owner the user picked.
    prompts.files.push_back(Q(other));
    form->mnAddDetalization->trigger();
    QVERIFY(form->stRecCount->text().toInt() > count.toInt());
    QCOMPARE(form->edFilterOwner->currentText(), QString("9169998877"));
    form->close();
  }
};

QTEST_MAIN(MainFormWelcomeTest)
#include "MainFormWelcomeTest.moc"
