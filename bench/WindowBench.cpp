// window_bench DATADIR: the program's side of bench/window.sh.
// Opens the main window over DATADIR (its table already filled) at the size
// it starts with, clicks "Filtering" with the criteria it starts with, and
// times until the result list holds the rows and the window has painted
// them; then Ctrl+End in the list to its last row and Ctrl+Home back to the
// first, each until the list has painted; last Ctrl+F over the list and the
// last row's number typed into the find bar key by key, each key timed until
// the list has painted its match, and Enter to the next match; the same over
// the record grid. Prints "name
// value unit" lines.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QPushButton>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "app/MainForm.h"
#include "ui/FindBar.h"
#include "ui/Prompts.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Message boxes would stop the run; their texts go to stderr and count as
// a failed run.
class PrintingPrompts : public zvonar::Prompts {
 public:
  void ShowError(const QString& text) override { Say("error", text); }
  void ShowInfo(const QString& text) override { Say("info", text); }
  bool AskYesNo(const QString& text) override {
    Say("question", text);
    return false;
  }
  QString ChooseOpenFile(const QString&, const QString&, QString*) override { return {}; }
  QString ChooseSaveFile(const QString&, const QString&, QString*) override { return {}; }
  bool Spoke() const { return spoke_; }

 private:
  void Say(const char* kind, const QString& text) {
    std::cerr << kind << ": " << text.toStdString() << '\n';
    spoke_ = true;
  }
  bool spoke_ = false;
};

// Hands the list a key press, as the keyboard would, and waits for the
// view to be painted again.
void PressAndPaint(QTreeView* list, Qt::Key key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
  QApplication::sendEvent(list, &press);
  QApplication::processEvents();
  (void)list->grab();
}

// True when row `row` of the list is in sight.
bool RowShown(const QTreeView* list, int row) {
  const QRect cell = list->visualRect(list->model()->index(row, 0));
  return cell.isValid() && list->viewport()->rect().intersects(cell);
}

// Types `key` into the find box, as the keyboard would, and waits for the
// view to be painted again; the seconds it took.
double TypeAndPaint(QLineEdit* box, QAbstractItemView* view, Qt::Key key, const QString& text) {
  const auto start = std::chrono::steady_clock::now();
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(box, &press);
  QApplication::processEvents();
  (void)view->grab();
  return Seconds(start);
}

// Ctrl+F over `view` from its first row, then the Number of its last row
// typed key by key and Enter; prints the times as PREFIX_open, _keystroke
// (the slowest key) and _enter. True when the typing ended on a row holding
// the number and the bar counted it.
bool FindInView(TMainForm& form, QAbstractItemView* view, zvonar::FindBar* bar, const char* prefix) {
  QAbstractItemModel* model = view->model();
  const QString number = model->index(model->rowCount() - 1, 2).data().toString();
  view->setFocus();
  view->setCurrentIndex(model->index(0, 0));
  auto start = std::chrono::steady_clock::now();
  form.mnFind->trigger();
  QApplication::processEvents();
  (void)view->grab();
  const double open = Seconds(start);
  double slowest = 0;
  for (const QChar c : number)
    slowest = std::max(slowest, TypeAndPaint(bar->edFind, view, static_cast<Qt::Key>(c.unicode()), QString(c)));
  const QModelIndex current = view->currentIndex();
  const bool found = current.isValid() && model->index(current.row(), 2).data().toString().contains(number);
  const double enter = TypeAndPaint(bar->edFind, view, Qt::Key_Return, "\r");
  slowest = std::max(slowest, enter);
  std::printf("%s_open_1m %.1f ms\n%s_keystroke_1m %.1f ms\n%s_enter_1m %.1f ms\n%s_keystroke_vs_0.1s %.3f ratio\n",
              prefix, open * 1000, prefix, slowest * 1000, prefix, enter * 1000, prefix, slowest / 0.1);
  std::fflush(stdout);
  if (!found) std::cerr << prefix << ": the find bar did not reach a row holding " << number.toStdString() << '\n';
  const bool counted = !bar->lFindCount->text().isEmpty();
  bar->Close();
  return found && counted;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::cerr << "usage: window_bench DATADIR\n";
    return 2;
  }
  std::string dir = argv[1];
  if (dir.back() != '/') dir.push_back('/');
  PrintingPrompts prompts;
  TMainForm form(dir, &prompts);
  if (form.DataDirInUse()) return 1;
  form.show();
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  (void)form.grab();
  if (prompts.Spoke()) return 1;

  QTreeView* list = form.lvFilter;
  auto start = std::chrono::steady_clock::now();
  form.btnCheckedDataFilter->click();
  QApplication::processEvents();
  const bool painted = !form.grab().isNull();
  const double filter = Seconds(start);
  const int rows = list->model()->rowCount();

  // As after a click on the first row: the keys move from there.
  list->setFocus();
  list->setCurrentIndex(list->model()->index(0, 0));
  QApplication::processEvents();
  start = std::chrono::steady_clock::now();
  PressAndPaint(list, Qt::Key_End);
  const double scrollEnd = Seconds(start);
  const bool endShown = RowShown(list, rows - 1);
  start = std::chrono::steady_clock::now();
  PressAndPaint(list, Qt::Key_Home);
  const double scrollBack = Seconds(start);
  const bool backShown = RowShown(list, 0);
  std::printf("window_rows %d rows\nwindow_filter %.3f s\nwindow_scroll_end %.3f s\nwindow_scroll_back %.3f s\n", rows,
              filter, scrollEnd, scrollBack);
  std::printf(
      "window_filter_vs_1s %.3f ratio\nwindow_scroll_end_vs_0.1s %.3f ratio\n"
      "window_scroll_back_vs_0.1s %.3f ratio\n",
      filter / 1.0, scrollEnd / 0.1, scrollBack / 0.1);
  std::fflush(stdout);

  // Nothing may be left out: every row listed and counted, both ends seen.
  bool ok = painted && !prompts.Spoke() && rows > 0 && endShown && backShown;
  if (form.stFilterRecCount->text() != QString::number(rows)) {
    std::cerr << "the window counts " << form.stFilterRecCount->text().toStdString() << " rows, the list holds " << rows
              << '\n';
    ok = false;
  }
  if (!endShown || !backShown)
    std::cerr << "the list did not scroll to its " << (endShown ? "first" : "last") << " row\n";
  if (rows > 0) {
    ok = FindInView(form, list, form.lvFilterFind, "find") && ok;
    ok = FindInView(form, form.dbgDetaliz, form.dbgDetalizFind, "find_grid") && ok;
  }
  return ok ? 0 : 1;
}
