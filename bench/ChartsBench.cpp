// charts_bench [RECORDS [NUMBERS [PICTURE]]]: the program's side of
// bench/charts.sh.
// Generates RECORDS result rows (default 1,000,000) over NUMBERS distinct
// numbers (default 20,000), eight types and two years, then times the
// figures and the chart window up to its first painted tab, as the Charts
// command does. Prints "name value unit" lines.
#include <QApplication>
#include <QTabWidget>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "analysis/CallFigures.h"
#include "app/ChartsForm.h"
#include "ui/Prompts.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

zvonar::ResultRows Generate(std::size_t records, std::size_t numbers) {
  static const char* const kTypes[] = {"1", "2", "8", "9", "51", "52", "GP", "service"};
  zvonar::ResultRows rows;
  rows.Reserve(records, records * 64);
  unsigned state = 12345;
  const auto next = [&state] { return state = state * 1103515245u + 12345u, (state >> 8) & 0xFFFFFF; };
  char date[32], number[16], sec[16], min[16], cost[16];
  for (std::size_t i = 0; i < records; ++i) {
    const unsigned r = next();
    std::snprintf(date, sizeof date, "%04u.%02u.%02u %02u:%02u:00", 2023 + r % 2, 1 + r / 2 % 12, 1 + r / 24 % 28,
                  r / 672 % 24, r / 16128 % 60);
    std::snprintf(number, sizeof number, "7916%07zu", static_cast<std::size_t>(next()) % numbers);
    const unsigned s = next() % 900;
    std::snprintf(sec, sizeof sec, "%u", s);
    std::snprintf(min, sizeof min, "%u", (s + 59) / 60);
    std::snprintf(cost, sizeof cost, "%u.%02u", s / 40, s % 100);
    rows.Append({"79160000001", date, number, "", "M", kTypes[next() % 8], sec, min, cost, "", cost, ""});
  }
  return rows;
}

class SilentPrompts : public zvonar::Prompts {
 public:
  void ShowError(const QString&) override {}
  void ShowInfo(const QString&) override {}
  bool AskYesNo(const QString&) override { return false; }
  QString ChooseOpenFile(const QString&, const QString&, QString*) override { return {}; }
  QString ChooseSaveFile(const QString&, const QString&, QString*) override { return {}; }
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const std::size_t records = argc > 1 ? std::stoul(argv[1]) : 1000000;
  const std::size_t numbers = argc > 2 ? std::stoul(argv[2]) : 20000;
  const zvonar::ResultRows rows = Generate(records, numbers);

  const auto start = std::chrono::steady_clock::now();
  const zvonar::CallFigures figures = zvonar::ComputeCallFigures(rows, nullptr, "");
  const double figuresSeconds = Seconds(start);
  SilentPrompts prompts;
  TChartsForm form(
      figures, "english", [](zvonar::AddedText t) { return QString::fromLatin1(zvonar::EnglishText(t)); }, &prompts,
      QString());
  form.show();
  const QPixmap picture = form.grab();
  const bool painted = !picture.isNull();
  const double total = Seconds(start);
  std::cout << "records " << records << " rows\n"
            << "figures " << figuresSeconds << " s\n"
            << "window_open " << total << " s\n";
  if (argc > 3 && !picture.save(argv[3])) return 1;
  return painted ? 0 : 1;
}
