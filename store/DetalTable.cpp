// The detalization table's definition and its open / create / index
// regain steps. The index is regained by writing a new index file from the
// records and renaming it over the old one; the table file stays where it
// is throughout, so no crash can leave the records under another name.
#include "store/DetalTable.h"

#include <algorithm>

#include "base/TextFile.h"

namespace zvonar {
namespace {

struct DetalFieldInfo {
  const char* name;
  const char* fileName;
};

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
                      std::string* warning) {
  warning->clear();
  Status s = table->Close();
  (void)s;  // the table is closed whatever the outcome
  const std::string path = DetalTablePath(dir, dbType);
  if (!FileExists(path)) {
    s = Table::Create(path, BuildDetalFieldDefs(widths));
    if (!s.ok()) return s;
  }
  OpenNotes notes;
  s = table->Open(path, &notes);
  if (s.ok() && notes.indexMissing) *warning = kIndexNotExistText;
  return s;
}

Status ReCreateDetalIndex(const std::string& dir, const std::string& dbType, const DetalWidths& widths, Table* table) {
  std::string warning;
  Status s = OpenDetalTable(dir, dbType, widths, table, &warning);
  if (s.ok()) s = table->ReCreateIndex();
  return s;
}

}  // namespace zvonar
