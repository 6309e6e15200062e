// The detalization table: the twelve fields of a bill line and the two index
// tags Owner and DateTime, its files in the program directory, and how the
// main window and zvonar-cli open it, create it and regain its index.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "store/Table.h"

namespace zvonar {

inline constexpr int kDetalFieldCount = 12;

// Field positions in a DetalRecord.
enum DetalField : int {
  kOwnerField,
  kDateTimeField,
  kNumberField,
  kAbonentField,
  kCodeField,
  kTypeField,
  kSecField,
  kMinField,
  kCostField,
  kMtpField,
  kAllField,
  kRoamingField,
};

// Widths of the fields in field order as the settings Owner_Field ..
// Roaming_Field give them; the DateTime entry is not used.
using DetalWidths = std::array<int, kDetalFieldCount>;
inline constexpr DetalWidths kDefaultDetalWidths = {12, 0, 12, 50, 15, 15, 7, 7, 7, 7, 7, 50};

inline constexpr char kOwnerIndex[] = "Owner";
inline constexpr char kDateTimeIndex[] = "DateTime";
inline constexpr char kIndexNotExistText[] = "Index not Exist!";

// The field name as the lists and messages show it ("Owner", "DateTime", ...).
const char* DetalFieldName(int field);

// The twelve field definitions, widths from `widths` (each kept within 1 to
// 254), Owner and DateTime indexed.
std::vector<FieldDef> BuildDetalFieldDefs(const DetalWidths& widths);

// "Tellura." + dbType in `dir` (which ends with "/"); the index file is
// always Tellura.MDX beside it.
std::string DetalTablePath(const std::string& dir, const std::string& dbType);
std::string DetalIndexPath(const std::string& dir);

// Opens the detalization table for `access`, creating it with `widths`
// when the table file is missing (one creator among programs starting at
// once). A missing index file leaves the table open without indexes and
// sets `warning` to kIndexNotExistText; a redo file set aside adds why
// (OpenNotes::redoSetAside) on a line of its own; otherwise `warning` is
// cleared. A table file that fails to open is never replaced.
Status OpenDetalTable(const std::string& dir, const std::string& dbType, const DetalWidths& widths, Table* table,
                      std::string* warning, TableAccess access = TableAccess::Write);

// Checks the twelve field texts of a record against the fields of `table`
// before they are stored. A number (Sec, Min, Cost, MTP, All) longer than
// its field is refused, since cutting it would store another number:
// `Cost "12345678.99" does not fit the field (7 characters)`. Text longer
// than its field is cut when stored; such cells are added to `*cut`, and
// their field indexes appended to `cutFields` when it is given.
Status CheckDetalCells(const Table& table, const std::vector<std::string>& cells, std::size_t* cut,
                       std::vector<int>* cutFields = nullptr);

// A cell quoted in a message: UTF-8, at most 200 characters, "..." after a
// longer one.
std::string QuotedCell(std::string_view cell);

// Regains the index file: rebuilds Tellura.MDX from the records, whether it
// is missing, stale or damaged, and leaves the table open with both tags.
// The table file itself is never renamed or replaced; a missing one is
// created empty.
Status ReCreateDetalIndex(const std::string& dir, const std::string& dbType, const DetalWidths& widths, Table* table);

}  // namespace zvonar
