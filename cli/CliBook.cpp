// zvonar-cli book: the abonents book from the shell, through the same
// reading and writing as the book dialog. Numbers and names travel in
// UTF-8 and are kept in code page 1251; a text the code page cannot hold is
// refused before anything is written.
#include "base/Cp1251.h"
#include "books/AbonentsBook.h"
#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "cli/RecordLine.h"
#include "config/LanguageFile.h"
#include "config/MainSettings.h"
#include "store/DetalTable.h"

namespace zvonar {
namespace {

std::string Entries(std::size_t n, std::string_view what) {
  return std::to_string(n) + (n == 1 ? " entry " : " entries ") + std::string(what);
}

int BookList(CliContext& c, const std::string& path) {
  std::vector<AbonentEntry> entries;
  const Status s = LoadAbonentsBook(path, &entries);
  if (!s.ok()) return Fail(c, s.message());
  std::string line;
  for (const AbonentEntry& e : entries) {
    line.clear();
    AppendCell(e.number, &line);
    line += '\t';
    AppendCell(e.name, &line);
    line += '\n';
    c.out << line;
  }
  return kExitOk;
}

int BookSet(CliContext& c, const std::string& path, const std::string& numberUtf8, const std::string& nameUtf8) {
  std::string number, name;
  Status s = Utf8ToCp1251(numberUtf8, &number);
  if (!s.ok()) return Fail(c, "book set: the number: " + s.message());
  s = Utf8ToCp1251(nameUtf8, &name);
  if (!s.ok()) return Fail(c, "book set: the name: " + s.message());
  if (!AbonentEntryComplete(number, name))
    return Fail(
        c, "book set: a number needs at least " + std::to_string(kMinAbonentNumberLength) + " characters and a name");
  // The name must stand whole in the Abonent field of the table the name
  // filling writes into (or of the table the settings would create).
  MainSettings settings;
  s = LoadCliSettings(c, &settings);
  if (!s.ok()) return Fail(c, "book set: " + s.message());
  const BookFieldWidths widths =
      ReadBookFieldWidths(DetalTablePath(c.dataDir, settings.dbType), BookFieldWidthsOf(settings.fieldWidths));
  const StoredTextCheck check = CheckAbonentName(name, widths.abonent);
  if (!check.ok()) return Fail(c, "book set: " + StoredTextMessage(check, LanguageFile()));
  SaveAbonentOutcome outcome;
  s = SaveAbonent(path, "", number, name, &outcome);
  if (!s.ok()) return Fail(c, "book set: " + s.message());
  c.out << (outcome.added ? Entries(1, "added") : Entries(outcome.renamed ? 1 : 0, "changed")) << '\n';
  return kExitOk;
}

int BookDelete(CliContext& c, const std::string& path, const std::string& numberUtf8) {
  std::string number;
  Status s = Utf8ToCp1251(numberUtf8, &number);
  if (!s.ok()) return Fail(c, "book delete: the number: " + s.message());
  bool found = false;
  s = DeleteAbonent(path, number, &found);
  if (!s.ok()) return Fail(c, "book delete: " + s.message());
  if (!found) return Fail(c, "book delete: " + numberUtf8 + " is not in " + path);
  c.out << Entries(1, "deleted") << '\n';
  return kExitOk;
}

}  // namespace

int RunBook(CliContext& c) {
  const std::vector<std::string>& a = c.args;
  const std::string path = AbonentsBookPath(c.dataDir);
  if (a.size() == 1 && a[0] == "list") return BookList(c, path);
  if (a.size() == 3 && a[0] == "set") return BookSet(c, path, a[1], a[2]);
  if (a.size() == 2 && a[0] == "delete") return BookDelete(c, path, a[1]);
  return kExitUsage;
}

}  // namespace zvonar
