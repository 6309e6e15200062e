// Month summaries. The walk looks for a list of markers strictly in order:
// the account (not copied), the client, the balance block and the balance
// date, from which the whole balance block down to the next marker is
// copied, then one line per kind of service and the totals. A text bill's
// summary is framed by separator lines; an HTML bill's lines lose their
// tags, and the six lines before its talk section (the page's table
// furniture) are dropped.
#include "import/MonthSummary.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>

#include "base/Cp1251.h"
#include "base/TextFile.h"
#include "import/BillText.h"
#include "import/NumberText.h"
#include "import/TextUtils.h"

namespace zvonar {
namespace {

constexpr std::string_view kSeparator =
    "      --------------------------------------------------------------------------------";
constexpr std::string_view kNullDate = "NullDate";
constexpr std::size_t kHtmlTrailingLines = 6;

// Positions in the marker lists with a rule of their own.
constexpr std::size_t kAccountMarker = 0;
constexpr std::size_t kBalanceDateMarker = 3;
constexpr std::size_t kTotalMarker = 18;

// Markers of a text bill after the two balance markers.
const char* const kTextTail[] = {
    "\xCD\xE0\xF7\xE8\xF1\xEB\xE5\xED\xEE \xE7\xE0 \xEF\xE5\xF0\xE8\xEE\xE4 :",  // "Начислено за период :"
    "\xC8\xF1\xF5\xEE\xE4\xFF\xF9\xE8\xE5 \xEC\xE5\xF1\xF2\xED\xFB\xE5",         // "Исходящие местные"
    // "Исходящие междугородние/международные"
    "\xC8\xF1\xF5\xEE\xE4\xFF\xF9\xE8\xE5 \xEC\xE5\xE6\xE4\xF3\xE3\xEE\xF0\xEE\xE4\xED\xE8\xE5/"
    "\xEC\xE5\xE6\xE4\xF3\xED\xE0\xF0\xEE\xE4\xED\xFB\xE5",
    // "Услуги связи российских операторов по роумингу"
    "\xD3\xF1\xEB\xF3\xE3\xE8 \xF1\xE2\xFF\xE7\xE8 \xF0\xEE\xF1\xF1\xE8\xE9\xF1\xEA\xE8\xF5 "
    "\xEE\xEF\xE5\xF0\xE0\xF2\xEE\xF0\xEE\xE2 \xEF\xEE \xF0\xEE\xF3\xEC\xE8\xED\xE3\xF3",
    "SMS-\xF1\xEE\xEE\xE1\xF9\xE5\xED\xE8\xFF",                                       // "SMS-сообщения"
    "\xC2\xED\xF3\xF2\xF0\xE8\xF1\xE5\xF2\xE5\xE2\xFB\xE5 \xE2\xFB\xE7\xEE\xE2\xFB",  // "Внутрисетевые вызовы"
    "\xC8\xF1\xF5\xEE\xE4\xFF\xF9\xE8\xE9 \xED\xE0 \xEE\xE1\xEB. \xF6\xE5\xED\xF2\xF0",  // "Исходящий на обл. центр"
    // "Ежемесячная минимальная оплата за трафик"
    "\xC5\xE6\xE5\xEC\xE5\xF1\xFF\xF7\xED\xE0\xFF \xEC\xE8\xED\xE8\xEC\xE0\xEB\xFC\xED\xE0\xFF "
    "\xEE\xEF\xEB\xE0\xF2\xE0 \xE7\xE0 \xF2\xF0\xE0\xF4\xE8\xEA",
    "\xD3\xF1\xEB\xF3\xE3\xE0 \"\xD1\xE2\xEE\xE8 \xCB\xFE\xE4\xE8\"",  // "Услуга "Свои Люди""
    // "ИСОО Ежемесячные начисления"
    "\xC8\xD1\xCE\xCE \xC5\xE6\xE5\xEC\xE5\xF1\xFF\xF7\xED\xFB\xE5 \xED\xE0\xF7\xE8\xF1\xEB\xE5\xED\xE8\xFF",
    // "Вызовы внутри корпоративной группы"
    "\xC2\xFB\xE7\xEE\xE2\xFB \xE2\xED\xF3\xF2\xF0\xE8 \xEA\xEE\xF0\xEF\xEE\xF0\xE0\xF2\xE8\xE2\xED\xEE\xE9 "
    "\xE3\xF0\xF3\xEF\xEF\xFB",
    "Premium SMS CP",
    // "Ежемесячная абонентская плата за дополнительные услуги"
    "\xC5\xE6\xE5\xEC\xE5\xF1\xFF\xF7\xED\xE0\xFF \xE0\xE1\xEE\xED\xE5\xED\xF2\xF1\xEA\xE0\xFF \xEF\xEB\xE0\xF2\xE0 "
    "\xE7\xE0 \xE4\xEE\xEF\xEE\xEB\xED\xE8\xF2\xE5\xEB\xFC\xED\xFB\xE5 \xF3\xF1\xEB\xF3\xE3\xE8",
    // "Исходящие вызовы ОАО "Теллура""
    "\xC8\xF1\xF5\xEE\xE4\xFF\xF9\xE8\xE5 \xE2\xFB\xE7\xEE\xE2\xFB \xCE\xC0\xCE \"\xD2\xE5\xEB\xEB\xF3\xF0\xE0\"",
    "\xC8\xF2\xEE\xE3\xEE (\xD2\xE5\xEB\xE5\xF4\xEE\xED\xE8\xFF)",  // "Итого (Телефония)"
    "\xC8\xF2\xEE\xE3\xEE (GPRS)",                                  // "Итого (GPRS)"
    "\xC2 \xF2\xEE\xEC \xF7\xE8\xF1\xEB\xE5 \xCD\xC4\xD1",          // "В том числе НДС"
    "\xC8\xF2\xEE\xE3 \xE1\xE5\xE7 \xCD\xC4\xD1",                   // "Итог без НДС"
};
constexpr std::string_view kTextAccount = "\xD1\xF7\xE5\xF2 \xEA\xEB\xE8\xE5\xED\xF2\xE0 :";  // "Счет клиента :"
constexpr std::string_view kTextClient = "\xCA\xEB\xE8\xE5\xED\xF2 :";                        // "Клиент :"
constexpr std::string_view kHtmlAccount = "\xD1\xD7\xC5\xD2 \xCA\xCB\xC8\xC5\xCD\xD2\xC0:";  // "СЧЕТ КЛИЕНТА:"
constexpr std::string_view kHtmlClient = "\xCA\xEB\xE8\xE5\xED\xF2:";                        // "Клиент:"
// "Ведомость разговоров."
constexpr std::string_view kHtmlTalk = "\xC2\xE5\xE4\xEE\xEC\xEE\xF1\xF2\xFC \xF0\xE0\xE7\xE3\xEE\xE2\xEE\xF0\xEE\xE2.";

constexpr std::array<const char*, 12> kEnglishMonths = {"Januar",    "Februar", "Mart",     "April",
                                                        "May",       "June",    "Jule",     "August",
                                                        "September", "Oktober", "November", "December"};
constexpr std::array<const char*, 12> kRussianMonths = {
    "\xDF\xED\xE2\xE0\xF0\xFC",          // "Январь"
    "\xD4\xE5\xE2\xF0\xE0\xEB\xFC",      // "Февраль"
    "\xCC\xE0\xF0\xF2",                  // "Март"
    "\xC0\xEF\xF0\xE5\xEB\xFC",          // "Апрель"
    "\xCC\xE0\xE9",                      // "Май"
    "\xC8\xFE\xED\xFC",                  // "Июнь"
    "\xC8\xFE\xEB\xFC",                  // "Июль"
    "\xC0\xE2\xE3\xF3\xF1\xF2",          // "Август"
    "\xD1\xE5\xED\xF2\xFF\xE1\xF0\xFC",  // "Сентябрь"
    "\xCE\xEA\xF2\xFF\xE1\xF0\xFC",      // "Октябрь"
    "\xCD\xEE\xFF\xE1\xF0\xFC",          // "Ноябрь"
    "\xC4\xE5\xEA\xE0\xE1\xF0\xFC",      // "Декабрь"
};

enum class BillKind { Text, Html, Other };

// The markers in the order the walk looks for them.
std::vector<std::string> SummaryMarkers(BillKind kind, const RegisterFields& fields) {
  const std::string& balanceInfo = fields.Text(RegisterField::BalanceInfo);
  const std::string& balanceDate = fields.Text(RegisterField::BalanceDate);
  switch (kind) {
    case BillKind::Text: {
      std::vector<std::string> markers{std::string(kTextAccount), std::string(kTextClient), balanceInfo, balanceDate};
      markers.insert(markers.end(), std::begin(kTextTail), std::end(kTextTail));
      return markers;
    }
    case BillKind::Html:
      return {std::string(kHtmlAccount), std::string(kHtmlClient), balanceInfo, balanceDate, std::string(kHtmlTalk)};
    case BillKind::Other:
      break;
  }
  return {balanceInfo, balanceDate};
}

}  // namespace

std::string MonthName(std::string_view language, std::string_view monthText) {
  int32_t month = 0;
  if (!ParseInt(monthText, &month) || month < 1 || month > 12) return std::string(monthText);
  const bool russian = PosNoCase("russian", language) > 0;
  return (russian ? kRussianMonths : kEnglishMonths)[static_cast<std::size_t>(month - 1)];
}

MonthSummary BuildMonthSummary(const std::string& billFileName, std::string_view content,
                               const RegisterFields& fields) {
  const std::string ext = LowerTextRu(FileExtNoDot(billFileName));
  const BillKind kind = ext == "html" ? BillKind::Html : ext == "txt" ? BillKind::Text : BillKind::Other;
  const std::vector<std::string> markers = SummaryMarkers(kind, fields);
  std::vector<std::string> folded;
  for (const std::string& m : markers) folded.push_back(LowerTextRu(m));
  const auto copied = [&](std::string_view line) {
    return kind == BillKind::Html ? StripTags(line) : std::string(line);
  };

  MonthSummary summary;
  std::vector<std::string>& out = summary.lines;
  LineReader reader(content);
  FoldedLine foldedLine;
  std::string_view line;
  bool lineHeld = false;  // `line` is already read and holds the next marker
  std::size_t k = 0;      // the marker looked for
  while (k < markers.size() && (lineHeld || reader.Next(&line))) {
    lineHeld = false;
    foldedLine.Assign(line);
    const std::size_t p = foldedLine.Pos(folded[k]);
    if (p == 0) continue;
    if (k == kAccountMarker) {
      const std::string_view rest = line.substr(p - 1 + markers[k].size());
      summary.account = StripCharAll(kind == BillKind::Html ? StripTags(rest) : std::string(rest), ' ');
      out.emplace_back();
    } else if (k == kBalanceDateMarker) {
      summary.date = BillDateText(line, p, markers[k].size(), fields.DateLength());
      out.emplace_back();
      out.push_back(copied(line));
      const std::string_view next = k + 1 < folded.size() ? std::string_view(folded[k + 1]) : std::string_view();
      while (reader.Next(&line)) {
        foldedLine.Assign(line);
        if (foldedLine.Pos(next) > 0) {
          lineHeld = true;
          break;
        }
        out.push_back(copied(line));
      }
      if (kind == BillKind::Html) {
        out.resize(out.size() - std::min(out.size(), kHtmlTrailingLines));
        lineHeld = false;
        ++k;
      } else {
        out.emplace_back(kSeparator);
      }
    } else if (k == kTotalMarker) {
      out.emplace_back(kSeparator);
      out.emplace_back(line);
    } else {
      out.push_back(copied(line));
    }
    ++k;
  }
  if (!out.empty()) {
    if (summary.date.empty() || summary.date == " ") summary.date = kNullDate;
    if (kind == BillKind::Text) out.emplace_back(kSeparator);
  }
  return summary;
}

std::string SummaryFileName(const MonthSummary& summary, std::string_view language) {
  const std::string month = MonthName(language, TextBetweenFirst(summary.date, '.', '.'));
  const std::string year = TextAfterLast(summary.date, '.');
  std::string name = summary.account + "-[" + year + "." + month + "].sum";
  std::replace(name.begin(), name.end(), '/', '_');
  std::replace(name.begin(), name.end(), '\0', '_');
  return name;
}

Status PrepareMonthSummary(const std::string& billFileName, std::string_view content, const RegisterFields& fields,
                           std::string_view language, const std::string& targetDir, SummaryFile* file) {
  *file = SummaryFile();
  MonthSummary summary = BuildMonthSummary(billFileName, content, fields);
  if (summary.lines.empty()) return Status::Ok();
  // File names on disk are UTF-8, like every path the system shows.
  const std::string path = JoinPath(targetDir, Cp1251ToUtf8(SummaryFileName(summary, language)));
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    Status s = RequireRegularFile(path, st.st_mode);
    if (!s.ok()) return s;
  }
  file->path = path;
  file->lines = std::move(summary.lines);
  return Status::Ok();
}

Status WriteMonthSummary(const SummaryFile& file) {
  // A bill imported again leaves its summary as it stands: no write, no flush.
  const std::string content = JoinLinesCrLf(file.lines);
  struct stat st {};
  std::string old;
  if (::lstat(file.path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      static_cast<std::uint64_t>(st.st_size) == content.size() && ReadWholeFile(file.path, &old).ok() &&
      old == content)
    return Status::Ok();
  return WriteFileAtomic(file.path, content, LinkRule::Refuse);
}

Status ParseMonthSummary(const std::string& billFileName, std::string_view content, const RegisterFields& fields,
                         std::string_view language, const std::string& targetDir, std::string* summaryPath) {
  summaryPath->clear();
  SummaryFile file;
  Status s = PrepareMonthSummary(billFileName, content, fields, language, targetDir, &file);
  if (s.ok() && !file.path.empty()) s = WriteMonthSummary(file);
  if (s.ok()) *summaryPath = file.path;
  return s;
}

}  // namespace zvonar
