// The detalization table's definition and its open / create / index
// regain steps. The index is regained by writing a new index file from the
// records and renaming it over the old one; the table file stays where it
// is throughout, so no crash can leave the records under another name.
#include "store/DetalTable.h"

#include <algorithm>

#include "base/Cp1251.h"

namespace zvonar {
namespace {

struct DetalFieldInfo {
  const char* name;
  const char* fileName;
};

constexpr std::size_t kMaxQuoted = 200;

bool IsNumberField(int field) {
  return field == kSecField || field == kMinField || field == kCostField || field == kMtpField || field == kAllField;
}

constexpr DetalFieldInfo kDetalFields[kDetalFieldCount] = {
    {"Owner", "OWNER"}, {"DateTime", "DATETIME"}, {"Number", "NUMBER"}, {"Abonent", "ABONENT"},
    {"Code", "CODE"},   {"Type", "TYPE"},         {"Sec", "SEC"},       {"Min", "MIN"},
    {"Cost", "COST"},   {"MTP", "MTP"},           {"All", "ALL"},       {"Roaming", "ROAMING"},
};

}  // namespace

const char* DetalFieldName(int field) {
  return field >= 0 && field < kDetalFieldCount ? kDetalFields[field].name : "";
}

std::vector<FieldDef> BuildDetalFieldDefs(const DetalWidths& widths) {
  std::vector<FieldDef> fields;
  for (int i = 0; i < kDetalFieldCount; ++i) {
    FieldDef f;
    f.name = kDetalFields[i].fileName;
    f.type = i == kDateTimeField ? FieldType::DateTime : FieldType::Character;
    f.width = i == kDateTimeField ? 8 : std::clamp(widths[i], 1, 254);
    f.indexed = i == kOwnerField || i == kDateTimeField;
    fields.push_back(f);
  }
  return fields;
}

std::string DetalTablePath(const std::string& dir, const std::string& dbType) {
  return dir + "Tellura." + dbType;
}

std::string DetalIndexPath(const std::string& dir) {
  return dir + "Tellura.MDX";
}

Status OpenDetalTable(const std::string& dir, const std::string& dbType, const DetalWidths& widths, Table* table,
                      std::string* warning, TableAccess access) {
  warning->clear();
  Status s = table->Close();
  (void)s;  // the table is closed whatever the outcome
  OpenOptions options;
  options.access = access;
  options.createWith = BuildDetalFieldDefs(widths);
  OpenNotes notes;
  s = table->Open(DetalTablePath(dir, dbType), &notes, options);
  if (s.ok() && notes.indexMissing) *warning = kIndexNotExistText;
  if (!notes.redoSetAside.empty()) *warning += (warning->empty() ? "" : "\n") + notes.redoSetAside;
  return s;
}

Status ReCreateDetalIndex(const std::string& dir, const std::string& dbType, const DetalWidths& widths, Table* table) {
  std::string warning;
  Status s = OpenDetalTable(dir, dbType, widths, table, &warning);
  if (s.ok()) s = table->ReCreateIndex();
  return s;
}

std::string QuotedCell(std::string_view cell) {
  std::string text = Cp1251ToUtf8(cell.substr(0, kMaxQuoted));
  if (cell.size() > kMaxQuoted) text += "...";
  return "\"" + text + "\"";
}

Status CheckDetalCells(const Table& table, const std::vector<std::string>& cells, std::size_t* cut,
                       std::vector<int>* cutFields) {
  const int fields = std::min(table.FieldCount(), static_cast<int>(cells.size()));
  // Noted only once the whole record is known to be stored.
  std::vector<int> longer;
  for (int i = 0; i < fields; ++i) {
    const FieldDef& f = table.Field(i);
    if (f.type != FieldType::Character || cells[i].size() <= static_cast<std::size_t>(f.width)) continue;
    if (IsNumberField(i) && i < kDetalFieldCount)
      return Status::Invalid(std::string(DetalFieldName(i)) + " " + QuotedCell(cells[i]) + " does not fit the field (" +
                             std::to_string(f.width) + " characters)");
    longer.push_back(i);
  }
  *cut += longer.size();
  if (cutFields != nullptr) cutFields->insert(cutFields->end(), longer.begin(), longer.end());
  return Status::Ok();
}

}  // namespace zvonar
