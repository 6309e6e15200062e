// One pass over the result rows fills every grouping. The keys of types and
// numbers point into the rows' own text while the pass runs, so a million
// rows are grouped without copying a cell; only each group's key is copied.
#include "analysis/CallFigures.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <unordered_map>

#include "analysis/FilterStatistic.h"
#include "base/Cp1251.h"
#include "config/LanguageFile.h"
#include "import/NameValueList.h"
#include "import/NumberText.h"

namespace zvonar {
namespace {

constexpr int kDate = 1, kNumber = 2, kAbonent = 3, kType = 5, kSec = 6, kMin = 7, kCost = 8;
constexpr int kMostMonthsFilled = 600;
// Larger amounts would leave no room to sum a million of them in hundredths.
constexpr double kLargestAmount = 1e12;

// A cell in hundredths; false for a cell that is no number. An empty cell
// is zero, as the statistic takes it.
bool Hundredths(std::string_view cell, std::int64_t* value) {
  if (cell.empty()) {
    *value = 0;
    return true;
  }
  // Most cells are plain "123" or "12.50": read them digit by digit, and
  // leave every other form to the common number grammar.
  std::size_t i = cell[0] == '-' ? 1 : 0;
  std::int64_t whole = 0;
  const std::size_t digitsFrom = i;
  while (i < cell.size() && i - digitsFrom < 12 && cell[i] >= '0' && cell[i] <= '9')
    whole = whole * 10 + (cell[i++] - '0');
  if (i > digitsFrom) {
    std::int64_t cents = 0;
    std::size_t decimals = 0;
    if (i < cell.size() && cell[i] == '.') {
      ++i;
      while (i < cell.size() && decimals < 2 && cell[i] >= '0' && cell[i] <= '9')
        cents = cents * 10 + (cell[i++] - '0'), ++decimals;
      cents *= decimals == 1 ? 10 : decimals == 0 ? 100 : 1;
    }
    if (i == cell.size()) {
      *value = (cell[0] == '-' ? -1 : 1) * (whole * 100 + cents);
      return true;
    }
  }
  double v = 0;
  if (!ParseFloat(cell, &v) || std::fabs(v) > kLargestAmount) return false;
  *value = std::llround(v * 100);
  return true;
}

int Digits(std::string_view s, std::size_t at, std::size_t n) {
  int v = 0;
  for (std::size_t i = at; i < at + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return -1;
    v = v * 10 + (s[i] - '0');
  }
  return v;
}

// The date and hour of "yyyy.mm.dd[ hh:mm:ss]"; false for another text.
struct Stamp {
  int year, month, day, hour;
};
bool ReadStamp(std::string_view text, Stamp* stamp) {
  if (text.size() < 10 || text[4] != '.' || text[7] != '.') return false;
  *stamp = {Digits(text, 0, 4), Digits(text, 5, 2), Digits(text, 8, 2), 0};
  if (stamp->year < 0 || stamp->month < 1 || stamp->day < 1) return false;
  const std::chrono::year_month_day date{std::chrono::year{stamp->year} / stamp->month / stamp->day};
  if (!date.ok()) return false;
  if (text.size() == 10) return true;
  if (text.size() < 13 || text[10] != ' ') return false;
  stamp->hour = Digits(text, 11, 2);
  return stamp->hour >= 0 && stamp->hour < 24;
}

int IsoWeekday(const Stamp& s) {
  const std::chrono::sys_days days{std::chrono::year{s.year} / s.month / s.day};
  return static_cast<int>(std::chrono::weekday{days}.iso_encoding());
}

void Add(FigureSums* to, const FigureSums& one) {
  to->count += one.count;
  to->sec += one.sec;
  to->min += one.min;
  to->cost += one.cost;
}

std::string MonthKey(int monthNo) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d.%02d", monthNo / 12, monthNo % 12 + 1);
  return text;
}

// Indexes of the groups met so far by their key.
class GroupIndex {
 public:
  std::size_t Find(std::string_view key, std::vector<FigureGroup>* groups) {
    const auto [it, added] = index_.try_emplace(key, groups->size());
    if (added) groups->push_back({std::string(key), "", {}});
    return it->second;
  }

 private:
  std::unordered_map<std::string_view, std::size_t> index_;
};

// Puts every type group that `typeText` names under that text, adding up
// groups that end with the same key; the months' per-type sums follow.
void NameRawTypes(const TypeTextFn& typeText, CallFigures* f) {
  std::vector<FigureGroup> named;
  std::vector<std::size_t> to(f->types.size());
  std::unordered_map<std::string, std::size_t> index;
  bool renamed = false;
  for (std::size_t t = 0; t < f->types.size(); ++t) {
    std::string key = typeText(f->types[t].key);
    if (key.empty()) key = f->types[t].key;
    renamed = renamed || key != f->types[t].key;
    const auto [it, added] = index.try_emplace(key, named.size());
    if (added) named.push_back({std::move(key), "", {}});
    to[t] = it->second;
    Add(&named[to[t]].sums, f->types[t].sums);
  }
  if (!renamed) return;
  for (std::vector<FigureSums>& perType : f->monthTypes) {
    std::vector<FigureSums> merged(named.size());
    for (std::size_t t = 0; t < perType.size(); ++t) Add(&merged[to[t]], perType[t]);
    perType = std::move(merged);
  }
  f->types = std::move(named);
}

}  // namespace

CallFigures ComputeCallFigures(const ResultRows& rows, const NameValueList* book, std::string_view noNameText,
                               const TypeTextFn& typeText) {
  CallFigures f;
  GroupIndex typeIndex, numberIndex;
  std::map<int, std::vector<FigureSums>> monthTypes;  // month number (year * 12 + month - 1) -> sums per type
  std::vector<std::string_view> abonentCell;          // first non-empty Abonent cell of each number
  for (std::size_t r = 0; r < rows.RowCount(); ++r) {
    FigureSums one{1, 0, 0, 0};
    std::int64_t* sums[] = {&one.sec, &one.min, &one.cost};
    const int columns[] = {kSec, kMin, kCost};
    for (int k = 0; k < 3; ++k) {
      if (!Hundredths(rows.Cell(r, columns[k]), sums[k])) {
        *sums[k] = 0;
        ++f.badCells;
      }
    }
    Add(&f.total, one);
    const std::size_t type = typeIndex.Find(rows.Cell(r, kType), &f.types);
    Add(&f.types[type].sums, one);
    const std::size_t number = numberIndex.Find(rows.Cell(r, kNumber), &f.numbers);
    Add(&f.numbers[number].sums, one);
    abonentCell.resize(f.numbers.size());
    if (abonentCell[number].empty()) abonentCell[number] = rows.Cell(r, kAbonent);

    Stamp stamp{};
    if (!ReadStamp(rows.Cell(r, kDate), &stamp)) {
      ++f.undated;
      continue;
    }
    Add(&f.hours[static_cast<std::size_t>(stamp.hour)], one);
    Add(&f.weekdays[static_cast<std::size_t>(IsoWeekday(stamp) - 1)], one);
    std::vector<FigureSums>& ofMonth = monthTypes[stamp.year * 12 + stamp.month - 1];
    if (ofMonth.size() <= type) ofMonth.resize(type + 1);
    Add(&ofMonth[type], one);
  }

  for (std::size_t i = 0; i < f.numbers.size(); ++i) {
    FigureGroup& g = f.numbers[i];
    g.name = book != nullptr ? book->Values(g.key) : std::string();
    if (g.name.empty()) g.name = abonentCell[i].empty() ? std::string(noNameText) : std::string(abonentCell[i]);
  }
  if (monthTypes.empty()) {
    if (typeText) NameRawTypes(typeText, &f);
    return f;
  }
  const int first = monthTypes.begin()->first, last = monthTypes.rbegin()->first;
  const bool fill = last - first < kMostMonthsFilled;
  for (int m = first; m <= last; ++m) {
    const auto found = monthTypes.find(m);
    if (found == monthTypes.end() && !fill) continue;
    std::vector<FigureSums> perType = found == monthTypes.end() ? std::vector<FigureSums>() : found->second;
    perType.resize(f.types.size());
    FigureGroup month{MonthKey(m), "", {}};
    for (const FigureSums& s : perType) Add(&month.sums, s);
    f.months.push_back(std::move(month));
    f.monthTypes.push_back(std::move(perType));
  }
  if (typeText) NameRawTypes(typeText, &f);
  return f;
}

std::vector<FigureGroup> FigureGroups(const CallFigures& figures, FigureGrouping by) {
  switch (by) {
    case FigureGrouping::Month:
      return figures.months;
    case FigureGrouping::Type:
      return figures.types;
    case FigureGrouping::Number:
      return figures.numbers;
    case FigureGrouping::Hour:
    case FigureGrouping::Weekday:
      break;
  }
  const bool hours = by == FigureGrouping::Hour;
  std::vector<FigureGroup> groups;
  const std::size_t n = hours ? figures.hours.size() : figures.weekdays.size();
  for (std::size_t i = 0; i < n; ++i)
    groups.push_back({std::to_string(hours ? i : i + 1), "", hours ? figures.hours[i] : figures.weekdays[i]});
  return groups;
}

std::int64_t FigureOf(const FigureSums& sums, FigureOrder order) {
  switch (order) {
    case FigureOrder::Count:
      return static_cast<std::int64_t>(sums.count) * 100;
    case FigureOrder::Sec:
      return sums.sec;
    case FigureOrder::Min:
      return sums.min;
    case FigureOrder::Cost:
      break;
  }
  return sums.cost;
}

std::vector<FigureGroup> TopGroups(const std::vector<FigureGroup>& groups, FigureOrder order, std::size_t top) {
  // Indexes are sorted, not the groups: a list of a million numbers gives
  // its first ten without moving a million names.
  std::vector<std::size_t> index(groups.size());
  for (std::size_t i = 0; i < index.size(); ++i) index[i] = i;
  std::stable_sort(index.begin(), index.end(), [&](std::size_t a, std::size_t b) {
    return FigureOf(groups[a].sums, order) > FigureOf(groups[b].sums, order);
  });
  if (top > 0 && index.size() > top) index.resize(top);
  std::vector<FigureGroup> kept;
  kept.reserve(index.size());
  for (std::size_t i : index) kept.push_back(groups[i]);
  return kept;
}

std::string FigureLabel(const FigureGroup& g, FigureGrouping by, std::string_view languageBaseName) {
  static constexpr std::array<const char*, 12> kEnglishMonths = {"January", "February", "March",     "April",
                                                                 "May",     "June",     "July",      "August",
                                                                 "September", "October", "November", "December"};
  static constexpr std::array<const char*, 12> kRussianMonths = {"Январь", "Февраль", "Март",     "Апрель",
                                                                 "Май",    "Июнь",    "Июль",     "Август",
                                                                 "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
  static constexpr std::array<const char*, 7> kEnglishDays = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  static constexpr std::array<const char*, 7> kRussianDays = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};
  const bool russian = LanguageLocaleName(languageBaseName) == "ru";
  const auto cp1251 = [](const char* utf8) {
    std::string bytes;
    (void)Utf8ToCp1251(utf8, &bytes);  // every name above is in the code page
    return bytes;
  };
  if (by == FigureGrouping::Month && g.key.size() == 7 && g.key[4] == '.') {
    const int month = Digits(g.key, 5, 2);
    if (month < 1 || month > 12) return g.key;
    const auto m = static_cast<std::size_t>(month - 1);
    return cp1251(russian ? kRussianMonths[m] : kEnglishMonths[m]) + " " + g.key.substr(0, 4);
  }
  if (by == FigureGrouping::Weekday && g.key.size() == 1 && g.key[0] >= '1' && g.key[0] <= '7') {
    const auto d = static_cast<std::size_t>(g.key[0] - '1');
    return cp1251(russian ? kRussianDays[d] : kEnglishDays[d]);
  }
  return g.key;
}

std::string FormatHundredths(std::int64_t hundredths) {
  return FormatGeneral(static_cast<double>(hundredths) / 100.0);
}

}  // namespace zvonar
