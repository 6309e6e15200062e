// Starting the main window: one window per data directory, and the language
// of Qt's own texts and of the date pickers.
#include <sys/stat.h>

#include <QCalendarWidget>
#include <QDateEdit>
#include <QFile>
#include <QLibraryInfo>
#include <QtTest>
#include <filesystem>
#include <map>
#include <memory>

#include "app/MainForm.h"
#include "base/tests/TestSupport.h"
#include "config/ShippedFiles.h"
#include "ui/tests/ScriptedPrompts.h"

using namespace zvonar;
using zvonar::testing::ScriptedPrompts;
using zvonar::testing::TempDir;

namespace {

// Every file of a directory with its content and modification time, to see
// that nothing was written.
std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> Snapshot(const TempDir& dir) {
  std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    files[entry.path().filename().string()] = {testing::ReadOrEmpty(entry.path().string()), entry.last_write_time()};
  return files;
}

// A data directory with the shipped language files and `settings`.
void Prepare(const TempDir& dir, const std::string& settings) {
  QVERIFY(SeedDataDir(dir.path()).ok());
  testing::WriteOrDie(dir.File("settings.ini"), settings);
}

}  // namespace

class MainFormStartTest : public QObject {
  Q_OBJECT

 private slots:
  void SecondWindowOnTheSameDirectorySaysSoAndWritesNothing() {
    struct Case {
      const char* settings;
      QString message;
    };
    const Case cases[] = {
        {"[Window]\r\nMainWidth=900\r\n", "Zvonar is already running with this data directory."},
        {"[Settings]\r\nLanguage=russian\r\n", QString::fromUtf8("Звонарь уже запущен с этим каталогом данных.")},
    };
    for (const Case& c : cases) {
      TempDir dir;
      Prepare(dir, c.settings);
      ScriptedPrompts firstPrompts;
      auto first = std::make_unique<TMainForm>(dir.path(), &firstPrompts);
      first->show();
      QVERIFY(!first->DataDirInUse());
      const auto before = Snapshot(dir);

      ScriptedPrompts prompts;
      {
        TMainForm second(dir.path(), &prompts);
        QVERIFY(second.DataDirInUse());
        QCOMPARE(prompts.errors, QStringList{c.message});
        second.close();  // even closed the way a window closes, it writes nothing
      }
      QVERIFY(Snapshot(dir) == before);
      QVERIFY(prompts.dirs.isEmpty() && prompts.infos.isEmpty());

      // The first window's settings survive its own exit, and its end frees
      // the directory for the next start.
      first->close();
      first.reset();
      QVERIFY(testing::ReadOrEmpty(dir.File("settings.ini")).find("MainWidth=") != std::string::npos);
      ScriptedPrompts nextPrompts;
      TMainForm next(dir.path(), &nextPrompts);
      QVERIFY(!next.DataDirInUse());
      QVERIFY(nextPrompts.errors.isEmpty());
      next.close();
    }
  }

  void SettingsAndOwnersThatAreNoRealFilesAreToldAndKept() {
    TempDir dir;
    testing::WriteOrDie(dir.File("settings.ini"), "");
    std::filesystem::resize_file(dir.File("settings.ini"), std::uintmax_t{1} << 30);  // sparse: costs no disk
    QCOMPARE(::mkfifo(dir.File("Tellura.dat").c_str(), 0600), 0);
    QCOMPARE(::mkfifo(dir.File("codetype.dat").c_str(), 0600), 0);
    QCOMPARE(::mkfifo(dir.File("abonents.dat").c_str(), 0600), 0);
    ScriptedPrompts prompts;
    {
      TMainForm form(dir.path(), &prompts);
      form.show();
      QCoreApplication::processEvents();
      form.close();
    }
    QCOMPARE(prompts.errors,
             (QStringList{QString::fromStdString(dir.File("settings.ini") +
                                                 " is larger than 4 MB, more than any real file of its kind"),
                          QString::fromStdString(dir.File("codetype.dat") + " is a FIFO, not a regular file\n" +
                                                 dir.File("abonents.dat") + " is a FIFO, not a regular file"),
                          QString::fromStdString(dir.File("Tellura.dat") + " is a FIFO, not a regular file")}));
    QCOMPARE(std::filesystem::file_size(dir.File("settings.ini")), std::uintmax_t{1} << 30);
    QVERIFY(std::filesystem::is_fifo(dir.File("Tellura.dat")));
  }

  void DatePickersAndQtTextsFollowTheLanguage() {
    const bool qtRussian = QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_ru.qm");
    if (!qtRussian) qWarning("qtbase_ru.qm is not installed: Qt's own texts stay English");
    struct Case {
      const char* language;
      QLocale::Language locale;
      QString march, december, cancel;
    };
    // English after Russian: a start takes the translations of the one
    // before away again.
    const Case cases[] = {
        {"russian", QLocale::Russian, QString::fromUtf8("март"), QString::fromUtf8("декабр"),
         qtRussian ? QString::fromUtf8("Отмена") : QString("Cancel")},
        {"english", QLocale::English, "March", "December", "Cancel"},
    };
    for (const Case& c : cases) {
      TempDir dir;
      Prepare(dir, std::string("[Settings]\r\nLanguage=") + c.language + "\r\n");
      ScriptedPrompts prompts;
      TMainForm form(dir.path(), &prompts);
      form.show();
      form.dtpDateBegin->setDate(QDate(2026, 3, 9));
      form.dtpDateEnd->setDate(QDate(2026, 12, 9));
      QVERIFY2(form.dtpDateBegin->text().contains(c.march), qPrintable(form.dtpDateBegin->text()));
      QVERIFY2(form.dtpDateEnd->text().contains(c.december), qPrintable(form.dtpDateEnd->text()));
      QCOMPARE(form.dtpDateBegin->calendarWidget()->locale().language(), c.locale);
      QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), c.cancel);
      form.close();
    }
  }
};

QTEST_MAIN(MainFormStartTest)
#include "MainFormStartTest.moc"
