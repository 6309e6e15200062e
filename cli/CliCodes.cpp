// zvonar-cli fill-names, fill-codes, return-codes and change-code: the
// window's commands that rewrite fields of every record of the table of the
// data directory, through the same code. Each prints how many records it
// changed; the table is held exclusively while it is written. Each change
// is recorded in the history of the data directory, so undo takes it back.
#include <functional>

#include "base/Cp1251.h"
#include "base/TextFile.h"
#include "books/AbonentsBook.h"
#include "books/CodesTypes.h"
#include "books/NoNameNumbers.h"
#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "config/AddedTexts.h"
#include "config/LanguageFile.h"
#include "config/MainSettings.h"
#include "store/Table.h"

namespace zvonar {
namespace {

HistoryPlace HistoryPlaceOf(const CliContext& c, const MainSettings& settings) {
  return {c.dataDir, HistoryBoundsOf(settings.historyChanges, settings.historyMegabytes)};
}

using TableCommand = std::function<Status(Table*, const MainSettings&, std::uint32_t* changed, LeftRecords* left)>;

// Opens the table for writing, runs `command` over it and reports the count
// and the records it left because a text did not fit.
int RunOverTable(CliContext& c, const TableCommand& command) {
  MainSettings settings;
  Table table;
  Status s = LoadCliSettings(c, &settings);
  if (s.ok()) s = OpenTable(c, settings, TableAccess::Write, &table);
  std::uint32_t changed = 0;
  LeftRecords left;
  if (s.ok()) s = command(&table, settings, &changed, &left);
  const Status closed = table.Close();
  if (s.ok()) s = closed;
  if (!s.ok()) return Fail(c, s.message());
  c.out << changed << " records changed\n";
  if (left.count > 0) c.out << Cp1251ToUtf8(LeftRecordsMessage(left, LanguageFile())) << '\n';
  return kExitOk;
}

int RunWithCodeTypes(CliContext& c,
                     Status (*command)(Table*, const std::vector<CodeTypeRow>&, const ProgressFn&, std::uint32_t*,
                                       LeftRecords*, const HistoryPlace&)) {
  if (!c.args.empty()) return kExitUsage;
  std::vector<CodeTypeRow> rows;
  const Status s = LoadCodeTypes(CodeTypePath(c.dataDir), &rows);
  if (!s.ok()) return Fail(c, s.message());
  // Without codetype.dat nothing changes, and the table is not touched;
  // stderr says why, as the window does.
  if (rows.empty()) {
    c.out << "0 records changed\n";
    c.err << "zvonar-cli: " << FillArgs(EnglishText(AddedText::NoCodeTypes), {c.dataDir}) << '\n';
    return kExitOk;
  }
  return RunOverTable(c, [&](Table* table, const MainSettings& settings, std::uint32_t* changed, LeftRecords* left) {
    return command(table, rows, {}, changed, left, HistoryPlaceOf(c, settings));
  });
}

}  // namespace

int RunFillNames(CliContext& c) {
  if (!c.args.empty()) return kExitUsage;
  const std::string bookPath = AbonentsBookPath(c.dataDir);
  // Without abonents.dat nothing changes, and the table is not touched.
  if (!FileExists(bookPath)) {
    c.out << "0 records changed\n";
    c.err << "zvonar-cli: " << FillArgs(EnglishText(AddedText::NoAbonentsBook), {bookPath}) << '\n';
    return kExitOk;
  }
  std::vector<std::string> lines;
  const Status s = ReadTextLines(bookPath, &lines, kBookFileLimit);
  if (!s.ok()) return Fail(c, s.message());
  const NameValueList book = NameValueList::FromLines(std::move(lines));
  return RunOverTable(c, [&](Table* table, const MainSettings& settings, std::uint32_t* changed, LeftRecords* left) {
    return FillNamesInTable(table, book, settings.phoneCodeTown, settings.modePhoneCode, {}, changed, left,
                            HistoryPlaceOf(c, settings));
  });
}

int RunFillCodes(CliContext& c) {
  return RunWithCodeTypes(c, FillCodes);
}

int RunReturnCodes(CliContext& c) {
  return RunWithCodeTypes(c, ReturnCodes);
}

int RunChangeCode(CliContext& c) {
  if (c.args.size() != 4 || c.args[0] != "--field" || (c.args[1] != "Code" && c.args[1] != "Type")) return kExitUsage;
  const CodeTypeField field = c.args[1] == "Code" ? CodeTypeField::Code : CodeTypeField::Type;
  std::string find, replace;
  Status s = Utf8ToCp1251(c.args[2], &find);
  if (s.ok()) s = Utf8ToCp1251(c.args[3], &replace);
  if (!s.ok()) return Fail(c, s.message());
  if (find.empty() || replace.empty()) return Fail(c, "the text to find and the replacement must not be empty");
  return RunOverTable(c, [&](Table* table, const MainSettings& settings, std::uint32_t* changed, LeftRecords*) {
    return ChangeCodeType(table, field, find, replace, {}, changed, HistoryPlaceOf(c, settings));
  });
}

}  // namespace zvonar
