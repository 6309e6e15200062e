// The filtered-list commands of zvonar-cli: save-list and export-csv write
// the filter's records as a filtered list or as CSV, load-list prints a
// filtered list, load-old-base appends a base of the older release to the
// table.
#include <filesystem>
#include <optional>

#include "analysis/CsvExport.h"
#include "analysis/ListFiles.h"
#include "analysis/OldBase.h"
#include "base/Cp1251.h"
#include "base/OutputFile.h"
#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "config/AddedTexts.h"
#include "config/LanguageFile.h"
#include "config/MainSettings.h"
#include "config/OwnersFile.h"
#include "import/BillImport.h"
#include "store/Table.h"

namespace zvonar {
namespace {

// The folder of `path` ("." for none) and its extension without the dot.
std::string FolderOf(const std::filesystem::path& path) {
  return path.has_parent_path() ? path.parent_path().string() : std::string(".");
}
std::string ExtensionOf(const std::filesystem::path& path) {
  const std::string ext = path.extension().string();
  return ext.empty() ? ext : ext.substr(1);
}

// "1 record", "2 records".
std::string CountOf(std::size_t n, const std::string& noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

// The file FILE and the filter's rows over the criteria after it. An option
// where FILE belongs means FILE was left out: a usage error, never a file
// named after the option.
int FileAndRows(CliContext& c, std::string* file, MainSettings* settings, ResultRows* rows) {
  if (c.args.empty() || c.args[0].empty() || c.args[0].starts_with("--")) return kExitUsage;
  *file = c.args[0];
  bool stopped = false;  // a silent stop finds no rows
  return FilterRows(c, std::vector<std::string>(c.args.begin() + 1, c.args.end()), settings, rows, &stopped);
}

}  // namespace

int RunSaveList(CliContext& c) {
  std::string file;
  MainSettings settings;
  ResultRows rows;
  const int code = FileAndRows(c, &file, &settings, &rows);
  if (code != kExitOk) return code;
  if (rows.Empty()) {
    c.out << "no records found; " << file << " not written\n";
    return kExitOk;
  }
  std::filesystem::path path(file);
  if (!path.has_extension()) path += std::string(".") + kListFileExtension;
  std::size_t replaced = 0;
  const Status refused = CheckOutputPath(file, path.string(), c.dataDir);
  if (!refused.ok()) return Fail(c, refused.message());
  const Status s = SaveListFile(rows, FolderOf(path), path.stem().string(), false,
                                settings.saveAbonentNameInDetalizationFile, ExtensionOf(path), &replaced);
  if (!s.ok()) return Fail(c, s.message());
  c.out << CountOf(rows.RowCount(), "record") << " written to " << path.string() << '\n';
  if (replaced > 0)
    c.out << Cp1251ToUtf8(FillArgs(EnglishText(AddedText::ListCellsReplaced), {std::to_string(replaced)})) << '\n';
  return kExitOk;
}

int RunLoadList(CliContext& c) {
  if (c.args.size() != 1 || c.args[0].empty()) return kExitUsage;
  const std::filesystem::path path(c.args[0]);
  LoadListOptions options;
  Status s = Utf8ToCp1251(path.stem().string(), &options.owner);
  if (!s.ok()) return Fail(c, c.args[0] + ": " + s.message());
  ResultRows rows;
  bool found = false;
  s = LoadListFile(FolderOf(path), path.stem().string(), ExtensionOf(path), options, &rows, &found);
  if (!s.ok()) return Fail(c, s.message());
  if (!found) return Fail(c, c.args[0] + ": no such file (a filtered list's name has an extension)");
  for (std::size_t r = 0; r < rows.RowCount(); ++r) PrintCells(c.out, rows.Row(r));
  return kExitOk;
}

int RunLoadOldBase(CliContext& c) {
  const bool again = !c.args.empty() && c.args[0] == "--again";
  if (again) c.args.erase(c.args.begin());
  if (!c.args.empty()) return kExitUsage;
  MainSettings settings;
  Status s = LoadCliSettings(c, &settings);
  // Without an owners list the owners come from Tellura.dat, the owner box
  // of the window.
  std::vector<std::string> known;
  if (s.ok()) s = ReadOwnersForUpdate(c, &known);
  if (!s.ok()) return Fail(c, s.message());
  OldBaseOptions options;
  options.namesInFiles = settings.saveAbonentNameInDetalizationFile;
  options.fillCodesTypes = settings.fillCodesTypesOnAddDetalization;
  options.modePhoneCode = settings.modePhoneCode;
  options.phoneCodeTown = settings.phoneCodeTown;
  std::vector<std::string> owners = known;
  ResultRows rows;
  OldBaseFound found;
  s = LoadOldBase(c.dataDir, c.dataDir + kOldBaseOwnersFile, options, nullptr, nullptr, &owners, &rows, &found);
  if (!s.ok()) return Fail(c, "cannot load the old base: " + s.message());
  if (found.ownerFiles == 0)
    return Fail(c, "no old base in " + c.dataDir + ": no owner file OWNER.dat of " + kOldBaseOwnersFile +
                       " or of Tellura.dat is there");

  Table table;
  s = OpenTable(c, settings, TableAccess::Write, &table);
  std::optional<ImportEntry> previous;
  if (s.ok()) s = FindOldBaseLoad(c.dataDir, &table, found.fingerprint, &previous);
  if (!s.ok()) return Fail(c, s.message());
  if (previous && !again) {
    c.out << OldBaseJournalName(c.dataDir) << ": already loaded on " << previous->when << " (" << previous->count
          << " records), skipped\n";
    const Status closed = table.Close();
    return closed.ok() ? kExitOk : Fail(c, closed.message());
  }
  std::size_t appended = 0;
  s = CopyListToTable(rows, &table, nullptr, &appended, c.dataDir, found.fingerprint);
  const Status closed = table.Close();
  if (!s.ok()) return Fail(c, "cannot copy the old base: " + s.message());
  if (!closed.ok()) return Fail(c, closed.message());
  c.out << CountOf(appended, "record") << " added from " << CountOf(owners.size(), "owner") << '\n';

  // As the window's owner box: the base's owners first, then those known
  // before that the base does not name.
  std::vector<std::string> items = owners;
  MergeOwners(known, &items);
  if (items != known) s = WriteOwnersFile(c.dataDir + "Tellura.dat", items);
  return s.ok() ? kExitOk : Fail(c, s.message());
}

int RunExportCsv(CliContext& c) {
  std::string file;
  MainSettings settings;
  ResultRows rows;
  const int code = FileAndRows(c, &file, &settings, &rows);
  if (code != kExitOk) return code;
  LanguageFile lang;
  if (!settings.language.empty()) (void)LanguageFile::Load(LanguageFilePath(c.dataDir, settings.language), &lang);
  const Status refused = CheckOutputPath(file, c.dataDir);
  if (!refused.ok()) return Fail(c, refused.message());
  const Status s = ExportCsv(file, rows, ResultColumnTitles(lang));
  if (!s.ok()) return Fail(c, s.message());
  c.out << CountOf(rows.RowCount(), "record") << " written to " << file << '\n';
  return kExitOk;
}

}  // namespace zvonar
