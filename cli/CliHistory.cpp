// zvonar-cli history, undo and undo-import: the table's history of changes
// (imports.dat and the before-images beside it) listed newest first, and
// its newest change taken back.
#include <functional>

#include "base/Cp1251.h"
#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "config/MainSettings.h"
#include "store/History.h"
#include "store/Table.h"

namespace zvonar {
namespace {

// What a change was, in the words of the window's commands.
std::string ChangeName(const ImportEntry& e) {
  if (e.kind.empty()) return "Import " + Cp1251ToUtf8(e.file);
  const std::pair<std::string_view, std::string_view> names[] = {
      {kChangeFillNames, "Fill Number Abonent"}, {kChangeFillCodes, "Fill Codes / Types"},
      {kChangeReturnCodes, "Return Codes / Types"}, {kChangeCodeType, "Change Code / Type"},
      {kChangeDelete, "Delete Record"}};
  std::string name = e.kind;
  for (const auto& [kind, words] : names)
    if (e.kind == kind) name = words;
  return e.file.empty() ? name : name + " (" + Cp1251ToUtf8(e.file) + ")";
}

int WithTable(CliContext& c, const std::function<Status(Table*)>& work) {
  MainSettings settings;
  Table table;
  Status s = LoadCliSettings(c, &settings);
  if (s.ok()) s = OpenTable(c, settings, TableAccess::Write, &table);
  if (s.ok()) s = work(&table);
  const Status closed = table.Close();
  if (s.ok()) s = closed;
  return s.ok() ? kExitOk : Fail(c, s.message());
}

// Takes back the newest change; with `importsOnly`, refuses any but an
// import (the older command's promise).
int Undo(CliContext& c, bool importsOnly) {
  if (!c.args.empty()) return kExitUsage;
  return WithTable(c, [&](Table* table) {
    // The entry only: the undo counts its records as it goes.
    UndoPreview preview;
    Status s = PreviewUndo(c.dataDir, table, &preview, false);
    if (!s.ok()) return s;
    if (!preview.entry)
      return Status::Error(StatusKind::NotFound,
                           importsOnly ? "no import to undo" : "the history is empty: nothing to undo");
    if (importsOnly && !preview.entry->kind.empty())
      return Status::Invalid("the newest change is " + ChangeName(*preview.entry) + " of " + preview.entry->when +
                             ", not an import; undo takes it back first");
    UndoOutcome done;
    s = UndoLatest(c.dataDir, table, {}, &done);
    if (!s.ok()) return s;
    const ImportEntry& e = done.entry;
    if (e.kind.empty()) {
      c.out << Cp1251ToUtf8(e.file) << ": " << done.undone << " records removed\n";
      if (done.undone == 0 && done.kept == 0)
        c.err << "zvonar-cli: " << Cp1251ToUtf8(e.file)
              << ": none of its records was left in the table as imported; only its journal entry was removed\n";
    } else {
      c.out << ChangeName(e) << " of " << e.when << ": " << done.undone << " records put back\n";
    }
    if (done.kept > 0)
      c.out << done.kept << " of its records were changed since by another program and were left as they are\n";
    return Status::Ok();
  });
}

}  // namespace

int RunUndo(CliContext& c) {
  return Undo(c, false);
}

int RunUndoImport(CliContext& c) {
  return Undo(c, true);
}

int RunHistory(CliContext& c) {
  if (!c.args.empty()) return kExitUsage;
  std::vector<ImportEntry> entries;
  const Status s = ReadImportJournal(c.dataDir, &entries);
  if (!s.ok()) return Fail(c, s.message());
  std::string text;
  for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
    const char* undoable = EntryUndoable(*e)   ? "can be undone"
                           : e->kind.empty() ? "cannot be undone: its record hashes were dropped"
                                             : "cannot be undone: its before-images were dropped";
    text += e->when + '\t' + ChangeName(*e) + '\t' + std::to_string(e->count) + " records\t" + undoable + '\n';
  }
  c.out << text;
  return kExitOk;
}

}  // namespace zvonar
