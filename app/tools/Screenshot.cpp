// zvonar-screenshot DATADIR OUT.png [WIDTH HEIGHT]: builds the main window over
// a data directory, shows it, lets it settle and saves a picture of it. Used
// for the README's screenshot and to look at the window without a desktop.
// zvonar-screenshot --codes DATADIR OUT.png: the codes/types dialog over the
// data directory's codetype.dat, in the language settings.ini names;
// --codes-add the same with its Add button pressed, a row being typed.
// zvonar-screenshot --abonents-book DATADIR BOOK.png ENTRY.png: the abonents
// book and its entry dialog.
// zvonar-screenshot --dialog NAME DATADIR OUT.png: the same for one of the
// configuration dialogs (settings, servicesid, registerfields, dbfields),
// opened from the main window's menu.
// zvonar-screenshot --charts DATADIR PREFIX: the chart window over the
// filter's result, one picture per tab: PREFIX-1.png to PREFIX-4.png.
// zvonar-screenshot --boxes DATADIR PREFIX: a question box
// (PREFIX-message.png) and the Add Detalization chooser with its list of
// file types open (PREFIX-chooser.png), as the user sees them.
// zvonar-screenshot --splash DATADIR OUT.png: the splash in the language
// settings.ini names.
// zvonar-screenshot --find DATADIR OUT.png: the window with its find bars
// open over the grid and the result list.
// zvonar-screenshot --duplicates DATADIR PREFIX: the question before calls
// the table holds already are skipped (PREFIX-question.png) and the Find
// Duplicates dialog over the table (PREFIX-dialog.png).
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeView>

#include "app/ChartsForm.h"
#include "app/DuplicatesForm.h"
#include "app/MainForm.h"
#include "books/CodesTypesForm.h"
#include "books/AbonentForm.h"
#include "books/AbonentsBookForm.h"
#include "config/MainSettings.h"
#include "ui/FindBar.h"
#include "ui/Prompts.h"
#include "ui/QtLanguage.h"
#include "ui/SplashForm.h"

namespace {

// Message boxes would stop an unattended run; their texts go to stderr.
class PrintingPrompts : public zvonar::Prompts {
 public:
  void ShowError(const QString& text) override { qWarning("error: %s", qUtf8Printable(text)); }
  void ShowInfo(const QString& text) override { qWarning("info: %s", qUtf8Printable(text)); }
  bool AskYesNo(const QString& text) override {
    qWarning("question: %s (answered No)", qUtf8Printable(text));
    return false;
  }
  QString ChooseOpenFile(const QString&, const QString&, QString*) override { return {}; }
  QString ChooseSaveFile(const QString&, const QString&, QString*) override { return {}; }
};

// Shows the codes/types dialog and saves its picture, with a row being
// added when `adding`; the dialog is not closed through its button, so
// codetype.dat is not written.
int CodesTypesShot(const std::string& dir, const QString& out, bool adding) {
  PrintingPrompts prompts;
  TMainForm form(dir, &prompts);
  TCodesTypesForm codes(dir, form.Settings().language, &prompts,
                        zvonar::BookFieldWidthsOf(form.Settings().fieldWidths));
  codes.show();
  QTimer::singleShot(300, &codes, [&] {
    codes.StringListView->selectRow(0);
    if (adding) codes.btnAdd->click();
  });
  QTimer::singleShot(800, &codes, [&] { QApplication::exit(codes.grab().save(out) ? 0 : 1); });
  return QApplication::exec();
}

// zvonar-screenshot --abonents-book DATADIR BOOK.png ENTRY.png: the book
// dialog over the data directory's abonents.dat with its second row
// selected, and its entry dialog editing that row.
int ShootAbonentsBook(std::string dir, const QString& bookOut, const QString& entryOut) {
  if (dir.back() != '/') dir.push_back('/');
  PrintingPrompts prompts;
  zvonar::MainSettings settings;
  (void)zvonar::LoadMainSettings(dir + "settings.ini", &settings);
  TAbonentsBookForm book(dir, settings, &prompts);
  book.show();
  bool ok = false;
  QTimer::singleShot(300, &book, [&] {
    book.lvAbonentsBook->setCurrentIndex(book.lvAbonentsBook->model()->index(1, 0));
    ok = book.grab().save(bookOut);
    QTimer::singleShot(300, &book, [&] {
      ok = book.AbonentForm->grab().save(entryOut) && ok;
      book.AbonentForm->reject();
    });
    book.pmEdit->trigger();
    book.close();
    QApplication::exit(ok ? 0 : 1);
  });
  return QApplication::exec();
}

}  // namespace

// Opens the dialog of `name` from the menu and saves its picture to `out`.
int ShootDialog(TMainForm* form, const QString& name, const QString& out) {
  QAction* command = name == "settings"         ? form->mnSettings
                     : name == "servicesid"     ? form->mnServicesID
                     : name == "registerfields" ? form->mnRegisterFields
                     : name == "dbfields"       ? form->mnDBFields
                     : name == "about"          ? form->mnAbout
                                                : nullptr;
  if (command == nullptr) {
    qWarning("unknown dialog %s", qUtf8Printable(name));
    return 2;
  }
  bool ok = false;
  QTimer::singleShot(500, form, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return;
    ok = dialog->grab().save(out);
    dialog->close();
  });
  command->trigger();
  form->close();
  return ok ? 0 : 1;
}

// Runs the filter, opens the chart window from the menu and saves each tab.
int ShootCharts(TMainForm* form, const QString& prefix) {
  bool ok = false;
  QTimer::singleShot(500, form, [&] {
    auto* charts = qobject_cast<TChartsForm*>(QApplication::activeModalWidget());
    if (charts == nullptr) return;
    ok = true;
    for (int tab = 0; tab < charts->pcCharts->count(); ++tab) {
      charts->pcCharts->setCurrentIndex(tab);
      QApplication::processEvents();
      ok = charts->grab().save(prefix + "-" + QString::number(tab + 1) + ".png") && ok;
    }
    charts->close();
  });
  form->btnCheckedDataFilter->click();
  form->mnCharts->trigger();
  form->close();
  return ok ? 0 : 1;
}

// The real boxes over the window: a question, then the Add Detalization
// chooser with its file types dropped down. The screen is grabbed, so the
// open list is in the picture.
int ShootBoxes(const std::string& dir, const QString& prefix) {
  zvonar::QtPrompts prompts(nullptr);
  TMainForm form(dir, &prompts);
  form.show();
  bool ok = true;
  const auto grabScreen = [](const QRect& area) {
    return QApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  };
  QTimer::singleShot(500, &form, [&] {
    QTimer::singleShot(300, &form, [&] {
      QWidget* box = QApplication::activeModalWidget();
      if (box == nullptr) return void(ok = false);
      ok = box->grab().save(prefix + "-message.png") && ok;
      box->close();
    });
    (void)prompts.AskYesNo(
        zvonar::LanguageText(zvonar::AddedText::ReimportQuestion).arg("2008.04.30 10:15:00").arg(214));
    QTimer::singleShot(500, &form, [&] {
      QWidget* chooser = QApplication::activeModalWidget();
      auto* types = chooser == nullptr ? nullptr : chooser->findChild<QComboBox*>("fileTypeCombo");
      if (types == nullptr) return void(ok = false);
      types->showPopup();
      QTimer::singleShot(300, &form, [&, chooser] {
        const QRect area = chooser->frameGeometry().adjusted(0, 0, 0, 100);
        ok = grabScreen(area).save(prefix + "-chooser.png") && ok;
        chooser->close();
      });
    });
    form.mnAddDetalization->trigger();
    form.close();
    QApplication::exit(ok ? 0 : 1);
  });
  return QApplication::exec();
}

// Ctrl+F over `view`, `text` in the bar's box and Enter pressed `enters`
// times, as the user would.
void FindInView(TMainForm* form, QWidget* view, zvonar::FindBar* bar, const QString& text, int enters) {
  view->setFocus();
  form->mnFind->trigger();
  bar->edFind->setText(text);
  for (int i = 0; i < enters; ++i) {
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(bar->edFind, &enter);
  }
}

// The window with both find bars open: one over the grid, one over the
// result list after two steps, so the count, the marked rows and the wrap
// note are in the picture.
int ShootFind(TMainForm* form, const QString& out) {
  QTimer::singleShot(300, form, [form] {
    form->btnCheckedDataFilter->click();
    FindInView(form, form->dbgDetaliz, form->dbgDetalizFind, QString::fromUtf8("серв"), 1);
    FindInView(form, form->lvFilter, form->lvFilterFind, QString::fromUtf8("иван"), 8);
  });
  QTimer::singleShot(800, form, [form, out] {
    const bool ok = form->grab().save(out);
    form->close();
    QApplication::exit(ok ? 0 : 1);
  });
  return QApplication::exec();
}

// The question of an import over calls held already, then the Find
// Duplicates dialog, each as the user sees it.
int ShootDuplicates(const std::string& dir, const QString& prefix) {
  zvonar::QtPrompts prompts(nullptr);
  TMainForm form(dir, &prompts);
  form.show();
  bool ok = true;
  QTimer::singleShot(500, &form, [&] {
    QTimer::singleShot(300, &form, [&] {
      QWidget* box = QApplication::activeModalWidget();
      if (box == nullptr) return void(ok = false);
      ok = box->grab().save(prefix + "-question.png") && ok;
      box->close();
    });
    (void)prompts.AskYesNo(zvonar::LanguageText(zvonar::AddedText::KnownRecordsQuestion)
                               .arg(24)
                               .arg(31)
                               .arg("bill-2008-03.txt", "01.03.2008", "31.03.2008"));
    QTimer::singleShot(500, &form, [&] {
      auto* dialog = qobject_cast<TDuplicatesForm*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return void(ok = false);
      ok = dialog->grab().save(prefix + "-dialog.png") && ok;
      dialog->close();
    });
    form.mnFindDuplicates->trigger();
    form.close();
    QApplication::exit(ok ? 0 : 1);
  });
  return QApplication::exec();
}

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc == 4 && (QString(argv[1]) == "--codes" || QString(argv[1]) == "--codes-add")) {
    std::string dir = argv[2];
    if (dir.back() != '/') dir.push_back('/');
    return CodesTypesShot(dir, QString::fromLocal8Bit(argv[3]), QString(argv[1]) == "--codes-add");
  }
  if (argc == 5 && QString(argv[1]) == "--abonents-book")
    return ShootAbonentsBook(argv[2], QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
  if ((argc == 5 && QString(argv[1]) == "--dialog") || (argc == 4 && QString(argv[1]) == "--charts")) {
    std::string dir = argv[argc - 2];
    if (dir.back() != '/') dir.push_back('/');
    PrintingPrompts prompts;
    TMainForm form(dir, &prompts);
    form.show();
    const QString out = QString::fromLocal8Bit(argv[argc - 1]);
    return argc == 4 ? ShootCharts(&form, out) : ShootDialog(&form, QString(argv[2]), out);
  }
  if (argc == 4 && QString(argv[1]) == "--splash") {
    std::string dir = argv[2];
    if (dir.back() != '/') dir.push_back('/');
    PrintingPrompts prompts;
    TMainForm form(dir, &prompts);
    TSplashForm splash;
    splash.show();
    QTimer::singleShot(300, &splash, [&] { QApplication::exit(splash.grab().save(QString(argv[3])) ? 0 : 1); });
    return QApplication::exec();
  }
  if (argc == 4 && QString(argv[1]) == "--boxes") {
    std::string dir = argv[2];
    if (dir.back() != '/') dir.push_back('/');
    return ShootBoxes(dir, QString::fromLocal8Bit(argv[3]));
  }
  if (argc == 4 && QString(argv[1]) == "--find") {
    std::string dir = argv[2];
    if (dir.back() != '/') dir.push_back('/');
    PrintingPrompts prompts;
    TMainForm form(dir, &prompts);
    form.show();
    return ShootFind(&form, QString::fromLocal8Bit(argv[3]));
  }
  if (argc == 4 && QString(argv[1]) == "--duplicates") {
    std::string dir = argv[2];
    if (dir.back() != '/') dir.push_back('/');
    return ShootDuplicates(dir, QString::fromLocal8Bit(argv[3]));
  }
  if (argc == 4 && QString(argv[1]) == "--file-menu") {
    // The File menu opened over the window, its list commands in sight.
    std::string dir = argv[2];
    if (dir.back() != '/') dir.push_back('/');
    PrintingPrompts prompts;
    TMainForm form(dir, &prompts);
    form.show();
    const QString out = QString::fromLocal8Bit(argv[3]);
    QTimer::singleShot(300, &form, [&] { form.mnFile->popup(form.mapToGlobal(QPoint(0, 0))); });
    QTimer::singleShot(800, &form, [&] {
      const bool ok = form.mnFile->grab().save(out);
      form.close();
      QApplication::exit(ok ? 0 : 1);
    });
    return QApplication::exec();
  }
  if (argc < 3) {
    qWarning("usage: zvonar-screenshot DATADIR OUT.png [WIDTH HEIGHT]");
    return 2;
  }
  std::string dir = argv[1];
  if (dir.back() != '/') dir.push_back('/');
  PrintingPrompts prompts;
  TMainForm form(dir, &prompts);
  if (argc >= 5) form.resize(QString(argv[3]).toInt(), QString(argv[4]).toInt());
  form.show();
  const QString out = QString::fromLocal8Bit(argv[2]);
  // The picture shows a result list, its statistic and the counts row, with
  // one row selected, so every kind of text the window shows is in it.
  QTimer::singleShot(300, &form, [&] {
    form.btnCheckedDataFilter->click();
    form.mnToCountAndFindMaxActivityFilter->trigger();
    form.lvFilter->setCurrentIndex(form.lvFilter->model()->index(1, 0));
  });
  QTimer::singleShot(800, &form, [&] {
    const bool ok = form.grab().save(out);
    form.close();
    QApplication::exit(ok ? 0 : 1);
  });
  return QApplication::exec();
}
