// zvonar-cli import FILE...: adds operator bills to the detalization table
// through the same import as the window's Add Detalization command. Per
// file: the month summary beside the bill, then the records; the owners met
// join Tellura.dat as the window's owner box would learn them. Settings,
// register fields and books come from the data directory. A bill the import
// journal holds is skipped unless --again is given; calls the table holds
// already are skipped unless --keep-duplicates is given; undo-import takes
// the last import back.
#include "base/Cp1251.h"
#include "base/TextFile.h"
#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "config/AddedTexts.h"
#include "config/MainSettings.h"
#include "config/OwnersFile.h"
#include "config/RegisterFields.h"
#include "import/BillImport.h"
#include "store/DetalTable.h"

namespace zvonar {
namespace {

// A rejected line on one line of output: the message's line breaks become
// blanks.
std::string RejectedLineText(const RejectedLine& line) {
  std::string text = RejectedMessage(line);
  for (std::size_t crlf = text.find("\r\n"); crlf != std::string::npos; crlf = text.find("\r\n", crlf))
    text.replace(crlf, 2, " ");
  return Cp1251ToUtf8(text);
}

// "FILE: N text cells longer than their field were cut: line L, Field; ...",
// the window's message in English.
std::string CutCellsText(const std::string& file, const ImportResult& result) {
  const std::string places =
      Cp1251ToUtf8(CutCellPlaces(EnglishText(AddedText::CutCellPlace), result.cutAt, result.cutCells,
                                 [](int field) { return std::string(DetalFieldName(field)); }));
  if (result.cutCells == 1) return FillArgs(EnglishText(AddedText::CellCut), {file, places});
  return FillArgs(EnglishText(AddedText::CellsCutAt), {file, std::to_string(result.cutCells), places});
}

}  // namespace

int RunImport(CliContext& c) {
  bool again = false, keepKnown = false;
  while (!c.args.empty() && (c.args[0] == "--again" || c.args[0] == "--keep-duplicates")) {
    (c.args[0] == "--again" ? again : keepKnown) = true;
    c.args.erase(c.args.begin());
  }
  if (c.args.empty()) return kExitUsage;
  MainSettings settings;
  RegisterFields fields;
  Table table;
  Status s = LoadCliSettings(c, &settings);
  if (s.ok()) s = RegisterFields::Load(c.dataDir + "fields.dat", &fields);
  // The books are read again for every bill; one that cannot be read is
  // told once, before anything is imported.
  std::vector<std::string> lines;
  if (s.ok()) s = ReadTextLinesIfExists(c.dataDir + "abonents.dat", &lines, kBookFileLimit);
  if (s.ok()) s = ReadTextLinesIfExists(c.dataDir + "codetype.dat", &lines, kBookFileLimit);
  std::vector<std::string> owners;
  if (s.ok()) s = OpenTable(c, settings, TableAccess::Write, &table);
  if (s.ok()) s = ReadOwnersForUpdate(c, &owners);
  if (!s.ok()) return Fail(c, s.message());

  bool failed = false;
  std::size_t newOwners = 0;
  for (const std::string& file : c.args) {
    ImportResult result;
    s = ImportBill(ImportRequest{file, c.dataDir, settings, fields, again, keepKnown}, &table, nullptr, &result);
    if (s.ok() && result.previous) {
      c.out << file << ": already imported on " << result.previous->when << ", skipped\n";
      continue;
    }
    if (result.vanished) c.err << "zvonar-cli: " << ImportedAgainNote(file, *result.vanished) << '\n';
    if (result.replacedChars > 0)
      c.err << "zvonar-cli: " << file << ": " << result.replacedChars << " characters of the "
            << EncodingName(result.encoding) << " text have no place in code page 1251 and were read as \"?\"\n";
    if (result.droppedUncommitted > 0)
      c.err << "zvonar-cli: " << result.droppedUncommitted
            << " uncommitted records after the last stored one (left by a failed or killed writer) were dropped\n";
    if (!result.summaryError.empty()) {
      c.err << "zvonar-cli: " << file << ": no month summary: " << result.summaryError << '\n';
      failed = true;
    }
    for (const RejectedLine& line : result.records.rejected) c.err << RejectedLineText(line) << '\n';
    if (result.cutCells > 0) c.err << "zvonar-cli: " << CutCellsText(file, result) << '\n';
    if (result.records.recordsAdded > 0) newOwners += MergeOwners(result.records.owners, &owners);
    if (!s.ok()) {
      // A partial success says itself what was added.
      c.err << "zvonar-cli: " << file << ": " << s.message() << '\n';
      failed = true;
      if (s.kind() == StatusKind::InUse) break;  // so would every other bill be
      continue;
    }
    if (result.skipped > 0)
      c.out << file << ": " << result.skipped << " of " << result.known.records
            << " records already in the table skipped (" << result.known.firstDate << " to " << result.known.lastDate
            << ")\n";
    c.out << file << ": " << result.records.recordsAdded << " records added\n";
    if (result.records.stop) {
      c.err << StopMessage(*result.records.stop) << '\n';
      failed = true;
    }
  }
  s = Status::Ok();
  if (newOwners > 0) s = WriteOwnersFile(c.dataDir + "Tellura.dat", owners);
  const Status closed = table.Close();
  if (s.ok() && !failed) s = closed;
  if (!s.ok()) {
    c.err << "zvonar-cli: " << s.message() << '\n';
    failed = true;
  }
  return failed ? kExitFailure : kExitOk;
}

}  // namespace zvonar
