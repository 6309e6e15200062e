// Numbers without a name, gathered from the table or the result list into
// the abonents book under a placeholder name, so that the user finds them in
// the book dialog and types their names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/Progress.h"
#include "base/Status.h"
#include "books/StoredText.h"
#include "import/NameValueList.h"
#include "store/History.h"

namespace zvonar {

class ResultRows;
class Table;

struct NoNameRules {
  std::size_t minLength = 6;  // shorter numbers (service numbers) are skipped
  int modePhoneCode = 0;      // 1: short town numbers get "+7" and the town code
  std::string phoneCodeTown;  // the town's dialling code
  std::string noNameText;     // the placeholder name
};

// The book line of a no-name number: the key, "=" and the placeholder.
// The key is the number as it stands, or "+7", the town code and the number
// for a number shorter than 8 characters when modePhoneCode is 1. Empty for
// a number shorter than minLength.
std::string NoNameLine(std::string_view number, const NoNameRules& rules);

// Gathers the lines of no-name numbers, each once, in the order met.
class NoNameCollector {
 public:
  // `book` (the book's lines) must outlive the collector.
  NoNameCollector(const NameValueList* book, NoNameRules rules) : book_(book), rules_(std::move(rules)) {}

  // A number with the name stored beside it: it joins the list when the
  // name is empty, the book names it under none of its spellings and does
  // not name its book key either (a key FindAbonentName does not try, such
  // as an "S..." number or a short town number with "+7" and the town code).
  void Offer(std::string_view number, std::string_view name);
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  const NameValueList* book_;
  NoNameRules rules_;
  std::vector<std::string> lines_;
  std::unordered_set<std::string> seen_;
};

// Offers every record of the open table (fields Number and Abonent).
// `progress` (may be empty) gets the records done and the record count.
Status CollectNoNamesFromTable(Table* table, NoNameCollector* collector, const ProgressFn& progress = {});
// Offers every row of the result list (columns Number and Abonent).
void CollectNoNamesFromRows(const ResultRows& rows, NoNameCollector* collector);

// Writes the collected "key=value" lines into the book at `path` in one
// replacement of the file (stamped as SaveAbonent stamps it): a new key goes
// to the end of the section, a key stored with an empty name gets the value
// on its line, a key the book names is left alone (SaveUnnamedAbonents).
// `keys` receives every key of the section afterwards, in file order;
// `added` (may be null) how many lines were written. Nothing is written for
// no lines.
Status AddNoNameLines(const std::string& path, const std::vector<std::string>& lines, std::vector<std::string>* keys,
                      std::size_t* added = nullptr);

// The result list with each row's Abonent set to the name `book` gives its
// Number (FindAbonentName with `townCode` and `mode`); a row the book does
// not name keeps its name. Returns how many rows changed.
std::size_t FillNamesInRows(const ResultRows& rows, const NameValueList& book, std::string_view townCode, int mode,
                            ResultRows* filled);

// Stores into the Abonent field of every record the name `book` gives its
// Number; a record the book does not name keeps its stored name, and so
// does one whose name is longer than the field, counted in `left` (may be
// null). The table is held exclusively while it is written. `changed`
// counts the records whose name changed.
// With a `history` place (the data directory) the change is recorded in its
// history, so that it can be taken back.
Status FillNamesInTable(Table* table, const NameValueList& book, std::string_view townCode, int mode,
                        const ProgressFn& progress, std::uint32_t* changed, LeftRecords* left = nullptr,
                        const HistoryPlace& history = {});

}  // namespace zvonar
