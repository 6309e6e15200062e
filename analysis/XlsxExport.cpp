// A spreadsheet export in the Office Open XML workbook format, made by
// libxlsxwriter. Three sheets:
//
//   1  Owner | Date / Time | Number | ... | Roaming      bold, frozen, autofilter
//      79001 | 01.03.2008 10:00:00 | 790 | ... | text      one row per listed row
//   2  Type | Sec | Min | Cost                            bold
//      Call | 120 | 2.00 | 3.00                           one row per type
//      All  | =SUM(B2:B2) | =SUM(C2:C2) | =SUM(D2:D2)      the total, bold
//   3  Criterion | Value                                  bold
//      Owner | 79001 ...                                  the ticked criteria
//      Exported on | 10.12.2026 08:00:00
//
// Texts are code page 1251 inside the program and UTF-8 in the file. The
// library writes its own file; that file is made in a private temporary
// folder and then moved into place whole by the atomic write, so an
// existing file is never left half-written.
#include "analysis/XlsxExport.h"

#include <dlfcn.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <type_traits>

#include "base/Cp1251.h"
#include "base/TextFile.h"
#include "config/AddedTexts.h"
#include "config/LanguageFile.h"
#include "import/NumberText.h"

namespace zvonar {
namespace {

// The functions of libxlsxwriter the export calls. The library is loaded on
// the first export, not at every start of the programs: loading it and the
// zip and crypto libraries it needs costs each process about a millisecond,
// which every small command would pay.
constexpr char kXlsxLibraryName[] = "libxlsxwriter.so.4";  // Debian's libxlsxwriter4

struct XlsxLibrary {
  decltype(&::workbook_new_opt) workbook_new_opt = nullptr;
  decltype(&::workbook_add_format) workbook_add_format = nullptr;
  decltype(&::format_set_bold) format_set_bold = nullptr;
  decltype(&::workbook_close) workbook_close = nullptr;
  decltype(&::workbook_validate_sheet_name) workbook_validate_sheet_name = nullptr;
  decltype(&::lxw_strerror) lxw_strerror = nullptr;
  decltype(&::workbook_add_worksheet) workbook_add_worksheet = nullptr;
  decltype(&::worksheet_write_string) worksheet_write_string = nullptr;
  decltype(&::worksheet_write_number) worksheet_write_number = nullptr;
  decltype(&::worksheet_write_datetime) worksheet_write_datetime = nullptr;
  decltype(&::worksheet_write_formula_num) worksheet_write_formula_num = nullptr;
  decltype(&::worksheet_set_column) worksheet_set_column = nullptr;
  decltype(&::format_set_num_format) format_set_num_format = nullptr;
  decltype(&::worksheet_freeze_panes) worksheet_freeze_panes = nullptr;
  decltype(&::worksheet_autofilter) worksheet_autofilter = nullptr;
};

// The library, loaded once; null with `why` set when it cannot be.
const XlsxLibrary* LoadXlsxLibrary(std::string* why) {
  static std::string failure;
  static const XlsxLibrary* const loaded = [] () -> const XlsxLibrary* {
    void* handle = ::dlopen(kXlsxLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* error = ::dlerror();
      failure = error != nullptr ? error : std::string("cannot load ") + kXlsxLibraryName;
      return nullptr;
    }
    static XlsxLibrary library;
    bool complete = true;
    const auto take = [&](auto* function, const char* name) {
      void* symbol = ::dlsym(handle, name);
      if (symbol == nullptr && complete) failure = std::string(kXlsxLibraryName) + " lacks " + name;
      complete = complete && symbol != nullptr;
      *function = reinterpret_cast<std::remove_pointer_t<decltype(function)>>(symbol);
    };
      take(&library.workbook_new_opt, "workbook_new_opt");
      take(&library.workbook_add_format, "workbook_add_format");
      take(&library.format_set_bold, "format_set_bold");
      take(&library.workbook_close, "workbook_close");
      take(&library.workbook_validate_sheet_name, "workbook_validate_sheet_name");
      take(&library.lxw_strerror, "lxw_strerror");
      take(&library.workbook_add_worksheet, "workbook_add_worksheet");
      take(&library.worksheet_write_string, "worksheet_write_string");
      take(&library.worksheet_write_number, "worksheet_write_number");
      take(&library.worksheet_write_datetime, "worksheet_write_datetime");
      take(&library.worksheet_write_formula_num, "worksheet_write_formula_num");
      take(&library.worksheet_set_column, "worksheet_set_column");
      take(&library.format_set_num_format, "format_set_num_format");
      take(&library.worksheet_freeze_panes, "worksheet_freeze_panes");
      take(&library.worksheet_autofilter, "worksheet_autofilter");
    return complete ? &library : nullptr;
  }();
  if (loaded == nullptr) *why = failure;
  return loaded;
}

// The library while an export runs.
const XlsxLibrary* lxw = nullptr;


constexpr int kDateTimeColumn = 1;
constexpr int kSecColumn = 6;
constexpr int kAllColumn = 10;
// The statistic's titles are those of Type, Sec, Min and Cost.
constexpr int kTypeColumn = 5;
// Column widths in characters: room for the autofilter's button beside the
// widest text, and no column wider than a screen's share.
constexpr std::size_t kWidthMargin = 3;
constexpr std::size_t kMaxWidth = 60;
constexpr std::size_t kDateTimeWidth = 19;

enum class CellKind { Text, Whole, Decimal, DateTime };

CellKind KindOf(int column) {
  if (column == kDateTimeColumn) return CellKind::DateTime;
  if (column == kSecColumn) return CellKind::Whole;
  if (column > kSecColumn && column <= kAllColumn) return CellKind::Decimal;
  return CellKind::Text;
}

// A temporary folder of its own for the library's files, removed with
// everything in it when the export ends.
class TempFolder {
 public:
  Status Make() {
    std::error_code ec;
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "zvonar-xlsx-XXXXXX").string();
    if (ec || ::mkdtemp(pattern.data()) == nullptr)
      return Status::IoError("cannot make a temporary folder for the spreadsheet: " + ErrnoText(errno));
    path_ = pattern;
    return Status::Ok();
  }
  ~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

lxw_datetime LibraryDateTime(const DateTimeValue& value) {
  lxw_datetime t{};
  DateFromJulianDay(value.day, &t.year, &t.month, &t.day);
  const int seconds = value.ms / 1000;
  t.hour = seconds / 3600;
  t.min = seconds / 60 % 60;
  t.sec = seconds % 60 + (value.ms % 1000) / 1000.0;
  return t;
}

// Spreadsheet dates start in 1900.
bool Representable(const DateTimeValue& value) {
  int year = 0, month = 0, day = 0;
  DateFromJulianDay(value.day, &year, &month, &day);
  return year >= 1900 && year <= 9999;
}

// One workbook being written: its formats and the first error any call of
// the library gave.
class Book {
 public:
  Book(const std::string& file, const std::string& tmpdir) : tmpdir_(tmpdir) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;  // rows go to disk as written
    options.tmpdir = tmpdir_.data();
    book_ = lxw->workbook_new_opt(file.c_str(), &options);
    if (book_ == nullptr) return;
    formats.bold = lxw->workbook_add_format(book_);
    lxw->format_set_bold(formats.bold);
    formats.whole = NumberFormat("0", false);
    formats.decimal = NumberFormat("0.00", false);
    formats.boldWhole = NumberFormat("0", true);
    formats.boldDecimal = NumberFormat("0.00", true);
    formats.dateTime = NumberFormat("dd.mm.yyyy hh:mm:ss", false);
    formats.date = NumberFormat("dd.mm.yyyy", false);
  }
  ~Book() {
    if (book_ != nullptr) lxw->workbook_close(book_);
  }
  Book(const Book&) = delete;
  Book& operator=(const Book&) = delete;

  bool made() const { return book_ != nullptr; }

  // A sheet named `name` (code page 1251), or null with the reason set.
  lxw_worksheet* AddSheet(const std::string& name) {
    const std::string utf8 = Cp1251ToUtf8(name);
    const lxw_error e = lxw->workbook_validate_sheet_name(book_, utf8.c_str());
    if (e != LXW_NO_ERROR) {
      refusal_ = "the sheet name \"" + utf8 + "\" cannot be used: " + lxw->lxw_strerror(e);
      return nullptr;
    }
    lxw_worksheet* sheet = lxw->workbook_add_worksheet(book_, utf8.c_str());
    if (sheet == nullptr) refusal_ = "the sheet \"" + utf8 + "\" could not be added";
    return sheet;
  }

  void Text(lxw_worksheet* s, std::size_t row, int col, std::string_view cp1251, lxw_format* f = nullptr) {
    if (cp1251.empty()) return;
    Note(lxw->worksheet_write_string(s, Row(row), Col(col), Cp1251ToUtf8(cp1251).c_str(), f));
  }
  void Number(lxw_worksheet* s, std::size_t row, int col, double value, lxw_format* f) {
    Note(lxw->worksheet_write_number(s, Row(row), Col(col), value, f));
  }
  void Date(lxw_worksheet* s, std::size_t row, int col, const DateTimeValue& value, lxw_format* f) {
    lxw_datetime t = LibraryDateTime(value);
    Note(lxw->worksheet_write_datetime(s, Row(row), Col(col), &t, f));
  }
  void Formula(lxw_worksheet* s, std::size_t row, int col, const std::string& formula, double value,
               lxw_format* f) {
    Note(lxw->worksheet_write_formula_num(s, Row(row), Col(col), formula.c_str(), f, value));
  }
  void Width(lxw_worksheet* s, int col, std::size_t chars) {
    const std::size_t width = std::min(chars + kWidthMargin, kMaxWidth);
    Note(lxw->worksheet_set_column(s, Col(col), Col(col), static_cast<double>(width), nullptr));
  }
  void Note(lxw_error e) {
    if (error_ == LXW_NO_ERROR) error_ = e;
  }

  // Writes the file and releases the workbook; the reason of the first
  // failure when any call failed.
  Status Close() {
    const lxw_error closed = lxw->workbook_close(book_);
    book_ = nullptr;
    if (!refusal_.empty()) return Status::Invalid(refusal_);
    const lxw_error e = error_ != LXW_NO_ERROR ? error_ : closed;
    if (e != LXW_NO_ERROR) return Status::IoError(std::string("the spreadsheet could not be made: ") + lxw->lxw_strerror(e));
    return Status::Ok();
  }

  // The cell formats: numbers plain and bold, and the dates.
  struct Formats {
    lxw_format *bold = nullptr, *whole = nullptr, *decimal = nullptr, *boldWhole = nullptr, *boldDecimal = nullptr,
               *dateTime = nullptr, *date = nullptr;
  } formats;

 private:
  lxw_format* NumberFormat(const char* pattern, bool bold) {
    lxw_format* f = lxw->workbook_add_format(book_);
    lxw->format_set_num_format(f, pattern);
    if (bold) lxw->format_set_bold(f);
    return f;
  }
  static lxw_row_t Row(std::size_t row) { return static_cast<lxw_row_t>(row); }
  static lxw_col_t Col(int col) { return static_cast<lxw_col_t>(col); }

  std::string tmpdir_;
  lxw_workbook* book_ = nullptr;
  lxw_error error_ = LXW_NO_ERROR;
  std::string refusal_;
};

// Sheet 1: the title row and every listed row; counts the cells kept as text.
void WriteRowsSheet(Book* book, lxw_worksheet* sheet, const XlsxContent& content, std::size_t* textCells) {
  const ResultRows& rows = *content.rows;
  std::array<std::size_t, kResultColumns> widths{};
  for (int c = 0; c < kResultColumns; ++c) {
    const auto i = static_cast<std::size_t>(c);
    widths[i] = content.titles[i].size();
    book->Text(sheet, 0, c, content.titles[i], book->formats.bold);
  }
  for (std::size_t r = 0; r < rows.RowCount(); ++r) {
    const auto cells = rows.Row(r);
    for (int c = 0; c < kResultColumns; ++c) {
      const auto i = static_cast<std::size_t>(c);
      const std::string_view text = cells[i];
      if (text.empty()) continue;
      const CellKind kind = KindOf(c);
      std::int32_t whole = 0;
      double number = 0;
      DateTimeValue when;
      if (kind == CellKind::Whole && ParseInt(text, &whole)) {
        book->Number(sheet, r + 1, c, whole, book->formats.whole);
      } else if (kind == CellKind::Decimal && ParseFloat(text, &number)) {
        book->Number(sheet, r + 1, c, number, book->formats.decimal);
      } else if (kind == CellKind::DateTime && ParseDateTimeText(text, &when) && Representable(when)) {
        book->Date(sheet, r + 1, c, when, book->formats.dateTime);
        widths[i] = std::max(widths[i], kDateTimeWidth);
        continue;
      } else {
        book->Text(sheet, r + 1, c, text);
        if (kind != CellKind::Text) ++*textCells;
      }
      widths[i] = std::max(widths[i], text.size());
    }
  }
  for (int c = 0; c < kResultColumns; ++c) book->Width(sheet, c, widths[static_cast<std::size_t>(c)]);
  lxw->worksheet_freeze_panes(sheet, 1, 0);
  book->Note(lxw->worksheet_autofilter(sheet, 0, 0, static_cast<lxw_row_t>(rows.RowCount()), kResultColumns - 1));
}

// Spreadsheet column letters of the statistic's sums.
constexpr std::array<char, 3> kSumLetters = {'B', 'C', 'D'};

// Sheet 2: the statistic, its last row the total as formulas over the rows
// above.
void WriteStatisticSheet(Book* book, lxw_worksheet* sheet, const XlsxContent& content) {
  std::array<std::size_t, 4> widths{};
  for (int c = 0; c < 4; ++c) {
    const std::string& title = content.titles[static_cast<std::size_t>(kTypeColumn + c)];
    widths[static_cast<std::size_t>(c)] = title.size();
    book->Text(sheet, 0, c, title, book->formats.bold);
  }
  const std::vector<StatRow>& stat = content.statistic;
  if (stat.empty() && !content.statisticError.empty()) {
    std::string why;
    (void)Utf8ToCp1251(content.statisticError, &why);  // a reason the code page lacks stays out
    book->Text(sheet, 1, 0, FillArgs(content.words.noStatistic, {why}));
  }
  for (std::size_t r = 0; r < stat.size(); ++r) {
    const bool total = r + 1 == stat.size();
    const StatRow& row = stat[r];
    book->Text(sheet, r + 1, 0, row.caption, total ? book->formats.bold : nullptr);
    widths[0] = std::max(widths[0], row.caption.size());
    const std::string* sums[] = {&row.sec, &row.min, &row.cost};
    for (std::size_t k = 0; k < 3; ++k) {
      const int col = static_cast<int>(k) + 1;
      double value = 0;
      const bool number = ParseFloat(*sums[k], &value);
      lxw_format* format = k == 0 ? (total ? book->formats.boldWhole : book->formats.whole)
                                  : (total ? book->formats.boldDecimal : book->formats.decimal);
      widths[k + 1] = std::max(widths[k + 1], sums[k]->size());
      if (total && r > 0) {
        const std::string range =
            std::string(1, kSumLetters[k]) + "2:" + kSumLetters[k] + std::to_string(stat.size());
        book->Formula(sheet, r + 1, col, "=SUM(" + range + ")", value, format);
      } else if (number) {
        book->Number(sheet, r + 1, col, value, format);
      } else {
        book->Text(sheet, r + 1, col, *sums[k], total ? book->formats.bold : nullptr);
      }
    }
  }
  for (int c = 0; c < 4; ++c) book->Width(sheet, c, widths[static_cast<std::size_t>(c)]);
}

DateTimeValue DateValue(const CalendarDate& d) { return {JulianDayFromDate(d.year, d.month, d.day), 0}; }

// Sheet 3: the ticked criteria, then the date of the export.
void WriteCriteriaSheet(Book* book, lxw_worksheet* sheet, const XlsxContent& content) {
  const XlsxWords& w = content.words;
  const FilterCriteria& c = content.criteria;
  std::size_t labelWidth = w.criterion.size(), valueWidth = std::max(w.value.size(), kDateTimeWidth);
  book->Text(sheet, 0, 0, w.criterion, book->formats.bold);
  book->Text(sheet, 0, 1, w.value, book->formats.bold);
  std::size_t row = 1;
  const auto line = [&](const std::string& label, std::string_view value) {
    book->Text(sheet, row, 0, label);
    book->Text(sheet, row, 1, value);
    labelWidth = std::max(labelWidth, label.size());
    valueWidth = std::max(valueWidth, value.size());
    ++row;
  };
  const auto dateLine = [&](const std::string& label, const CalendarDate& date) {
    book->Text(sheet, row, 0, label);
    labelWidth = std::max(labelWidth, label.size());
    const DateTimeValue value = DateValue(date);
    if (Representable(value))
      book->Date(sheet, row, 1, value, book->formats.date);
    else
      book->Text(sheet, row, 1, FormatCalendarDate(date));
    ++row;
  };
  const ColumnTitles& t = content.titles;
  if (c.owner) line(t[0], c.ownerText);
  if (c.date) {
    dateLine(w.from, c.dateBegin);
    dateLine(w.to, c.dateEnd);
  }
  if (c.operCode) line(w.operCode, c.operCodeText);
  if (c.number) line(t[2], c.numberText);
  if (c.code) line(t[4], c.codeText);
  if (c.type) line(t[5], c.typeText);
  const std::pair<bool, const std::string*> switches[] = {
      {c.calls, &w.callsOnly}, {c.sms, &w.smsOnly}, {c.mms, &w.mmsOnly}, {!c.null, &w.noZeroCost},
      {c.exclude, &w.exclude}};
  for (const auto& [ticked, label] : switches)
    if (ticked) line(*label, w.yes);
  if (row == 1) line(w.noCriteria, "");
  ++row;  // a blank row before the date
  book->Text(sheet, row, 0, w.exportedOn, book->formats.bold);
  labelWidth = std::max(labelWidth, w.exportedOn.size());
  if (!content.exportedAt.blank()) book->Date(sheet, row, 1, content.exportedAt, book->formats.dateTime);
  book->Width(sheet, 0, labelWidth);
  book->Width(sheet, 1, valueWidth);
}

}  // namespace

XlsxWords XlsxWordsOf(const LanguageFile& lang) {
  XlsxWords w;
  const std::pair<std::string*, AddedText> lines[] = {
      {&w.rowsSheet, AddedText::XlsxRowsSheet},   {&w.statSheet, AddedText::XlsxStatSheet},
      {&w.criteriaSheet, AddedText::XlsxCriteriaSheet}, {&w.criterion, AddedText::XlsxCriterion},
      {&w.value, AddedText::XlsxValue},           {&w.from, AddedText::XlsxFrom},
      {&w.to, AddedText::XlsxTo},                 {&w.operCode, AddedText::XlsxOperCode},
      {&w.callsOnly, AddedText::XlsxCallsOnly},   {&w.smsOnly, AddedText::XlsxSmsOnly},
      {&w.mmsOnly, AddedText::XlsxMmsOnly},       {&w.noZeroCost, AddedText::XlsxNoZeroCost},
      {&w.exclude, AddedText::XlsxExclude},       {&w.noCriteria, AddedText::XlsxNoCriteria},
      {&w.yes, AddedText::XlsxYes},               {&w.exportedOn, AddedText::XlsxExportedOn},
      {&w.noStatistic, AddedText::XlsxNoStatistic}};
  for (const auto& [word, line] : lines) *word = TextOf(lang, line);
  return w;
}

Status ExportXlsx(const std::string& path, const XlsxContent& content, XlsxOutcome* outcome) {
  *outcome = {};
  const std::size_t rows = content.rows->RowCount();
  if (rows > kXlsxMaxRows)
    return Status::Invalid(std::to_string(rows) + " rows are more than a sheet holds (" +
                           std::to_string(kXlsxMaxRows) + " under its title row)");
  std::string why;
  lxw = LoadXlsxLibrary(&why);
  if (lxw == nullptr) return Status::IoError("the spreadsheet library could not be loaded: " + why);
  TempFolder temp;
  Status s = temp.Make();
  if (!s.ok()) return s;
  const std::string file = temp.path() + "/export.xlsx";
  std::size_t textCells = 0;
  {
    Book book(file, temp.path());
    if (!book.made()) return Status::IoError("the spreadsheet could not be started (out of memory?)");
    // Sheets are added before any is written: in constant memory a sheet
    // is complete once the next one is written.
    lxw_worksheet* rowsSheet = book.AddSheet(content.words.rowsSheet);
    lxw_worksheet* statSheet = rowsSheet ? book.AddSheet(content.words.statSheet) : nullptr;
    lxw_worksheet* criteriaSheet = statSheet ? book.AddSheet(content.words.criteriaSheet) : nullptr;
    if (criteriaSheet != nullptr) {
      WriteRowsSheet(&book, rowsSheet, content, &textCells);
      WriteStatisticSheet(&book, statSheet, content);
      WriteCriteriaSheet(&book, criteriaSheet, content);
    }
    s = book.Close();
  }
  if (!s.ok()) return s.kind() == StatusKind::InvalidInput ? s : Status::IoError(path + ": " + s.message());
  std::string bytes;
  s = ReadWholeFile(file, &bytes);
  if (s.ok()) s = WriteFileAtomic(path, bytes);
  if (!s.ok()) return s;
  outcome->rows = rows;
  outcome->textCells = textCells;
  return Status::Ok();
}

DateTimeValue LocalDateTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {JulianDayFromDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
          ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000};
}

}  // namespace zvonar
