// The table commands of zvonar-cli: dump, load-tsv and reindex, and the
// opening of the table that every command shares. Records travel in the
// form of RecordLine.h. The table is created when missing, with the file
// type and field widths of settings.ini. dump reads under the shared lock;
// load-tsv and reindex take it exclusively for the time they write.
#include <unistd.h>

#include <unordered_set>

#include "base/Cp1251.h"
#include "base/TextFile.h"
#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "cli/RecordLine.h"
#include "config/MainSettings.h"
#include "config/OwnersFile.h"
#include "import/BillImport.h"
#include "store/DetalTable.h"
#include "store/ImportJournal.h"

namespace zvonar {

int Fail(CliContext& c, const std::string& message) {
  c.err << "zvonar-cli: " << message << '\n';
  return kExitFailure;
}

Status LoadCliSettings(CliContext& c, MainSettings* settings) {
  Status s = LoadMainSettings(c.dataDir + "settings.ini", settings);
  if (s.ok() && !settings->dbTypeRefused.empty())
    c.err << "zvonar-cli: " << c.dataDir << "settings.ini: " << DbTypeRefusal(settings->dbTypeRefused) << '\n';
  return s;
}

static DetalWidths WidthsOf(const MainSettings& settings) {
  DetalWidths widths{};
  for (std::size_t i = 0; i < widths.size(); ++i) widths[i] = settings.fieldWidths[i];
  return widths;
}

Status OpenTable(CliContext& c, const MainSettings& settings, TableAccess access, Table* table, bool* indexMissing) {
  std::string warning;
  Status s = OpenDetalTable(c.dataDir, settings.dbType, WidthsOf(settings), table, &warning, access);
  if (!warning.empty()) c.err << "zvonar-cli: " << warning << '\n';
  if (indexMissing != nullptr) *indexMissing = !warning.empty();
  return s;
}

namespace {

// The lines of `content`, split at LF with a CR before it dropped; a final
// LF does not start another line.
std::vector<std::string_view> InputLines(std::string_view content) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < content.size();) {
    std::size_t end = content.find('\n', start);
    if (end == std::string_view::npos) end = content.size();
    std::string_view line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// One line of the input as a record for the table: its cells, checked, with
// its owner noted in `owners` the first time it is met. "NAME:LINE: what"
// for a bad line.
Status ReadInputLine(const std::string& name, std::size_t lineNo, std::string_view line, const Table& table,
                     std::vector<std::string>* cells, std::size_t* cut, std::unordered_set<std::string>* met,
                     std::vector<std::string>* owners) {
  Status s = ParseRecordLine(line, cells);
  if (s.ok()) s = CheckDetalCells(table, *cells, cut);
  if (!s.ok()) return Status::Invalid(name + ":" + std::to_string(lineNo) + ": " + s.message());
  const std::string& owner = (*cells)[kOwnerField];
  if (!owner.empty() && met->insert(owner).second) owners->push_back(owner);
  return Status::Ok();
}

void ReportCut(CliContext& c, const std::string& name, std::size_t cut) {
  if (cut > 0)
    c.err << "zvonar-cli: " << name << ": " << cut << " text cells were longer than their field and were cut\n";
}

void ReportDropped(CliContext& c, const Table& table) {
  if (table.DroppedUncommitted() > 0)
    c.err << "zvonar-cli: " << table.DroppedUncommitted()
          << " uncommitted records after the last stored one (left by a failed or killed writer) were dropped\n";
}

}  // namespace

int RunDump(CliContext& c) {
  std::string index;
  if (c.args.size() == 2 && c.args[0] == "--index" && (c.args[1] == kOwnerIndex || c.args[1] == kDateTimeIndex))
    index = c.args[1];
  else if (!c.args.empty())
    return kExitUsage;
  MainSettings settings;
  Table table;
  bool indexMissing = false;
  Status s = LoadCliSettings(c, &settings);
  if (s.ok()) s = OpenTable(c, settings, TableAccess::Read, &table, &indexMissing);
  if (!s.ok()) return Fail(c, s.message());
  if (indexMissing && !index.empty()) return kExitFailure;  // the warning said why
  s = table.SetActiveIndex(index);
  std::string line;
  bool damaged = false;
  for (s = s.ok() ? table.First() : s; s.ok() && !table.Eof(); s = table.Next()) {
    line.clear();
    for (int i = 0; i < table.FieldCount(); ++i) {
      if (i > 0) line += '\t';
      if (table.FieldDamaged(i)) {
        // The record is printed without the cell, so the output stays loadable
        // once the damage is mended.
        c.err << "zvonar-cli: record " << table.RecNo() << ": damaged date-time\n";
        damaged = true;
      }
      line += EscapeCell(Cp1251ToUtf8(table.FieldText(i)));
    }
    line += '\n';
    c.out << line;
  }
  if (!s.ok()) return Fail(c, s.message());
  s = table.Close();
  if (!s.ok()) return Fail(c, s.message());
  return damaged ? kExitFailure : kExitOk;
}

// Reads the input once and appends its lines in one bulk append, each
// checked as it goes: a bad line cancels the append, so either every record
// is stored or none.
int RunLoadTsv(CliContext& c) {
  if (c.args.size() != 1) return kExitUsage;
  const bool standardInput = c.args[0] == "-";
  const std::string name = standardInput ? "stdin" : c.args[0];
  std::string content;
  Status s = standardInput ? ReadWholeFd(STDIN_FILENO, name, &content) : ReadWholeFile(name, &content);
  if (!s.ok()) return Fail(c, s.message());
  const std::vector<std::string_view> lines = InputLines(content);

  MainSettings settings;
  Table table;
  s = LoadCliSettings(c, &settings);
  if (s.ok()) s = OpenTable(c, settings, TableAccess::Write, &table);
  if (s.ok()) s = table.BeginBulkAppend();
  if (!s.ok()) return Fail(c, s.message());
  ReportDropped(c, table);
  std::size_t cut = 0;
  std::vector<std::string> owners;
  std::unordered_set<std::string> met;
  std::vector<std::string> cells;
  for (std::size_t i = 0; i < lines.size() && s.ok(); ++i) {
    s = ReadInputLine(name, i + 1, lines[i], table, &cells, &cut, &met, &owners);
    if (s.ok()) s = table.BulkAppend(cells);
  }
  if (!s.ok()) {
    const Status cancelled = table.CancelBulkAppend();
    return Fail(c, cancelled.ok() ? s.message() : s.message() + "; " + cancelled.message());
  }
  s = table.EndBulkAppend();
  if (table.LastAppended() > 0) {
    ReportCut(c, name, cut);
    const Status journaled = JournalLastAppend(c.dataDir, &table, name, FileFingerprint(content));
    if (s.ok()) s = journaled;
    std::vector<std::string> known;
    Status listed = ReadOwnersFile(c.dataDir + "Tellura.dat", &known);
    if (listed.ok() && MergeOwners(owners, &known) > 0) listed = WriteOwnersFile(c.dataDir + "Tellura.dat", known);
    if (s.ok()) s = listed;
  }
  Status closed = table.Close();
  if (s.ok()) s = closed;
  return s.ok() ? kExitOk : Fail(c, s.message());
}

int RunReindex(CliContext& c) {
  if (!c.args.empty()) return kExitUsage;
  MainSettings settings;
  Status s = LoadCliSettings(c, &settings);
  Table table;
  if (s.ok()) s = ReCreateDetalIndex(c.dataDir, settings.dbType, WidthsOf(settings), &table);
  if (s.ok()) s = table.Close();
  return s.ok() ? kExitOk : Fail(c, s.message());
}

}  // namespace zvonar
