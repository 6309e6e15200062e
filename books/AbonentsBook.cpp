// abonents.dat, code page 1251, CR LF line ends:
//   Zvonar v.2.3.3.65,  (39970.5)      the stamp line, outside every section
//   [Abonents]
//   79161234567=Ivanov                 number, "=", name; one line each
// The numbers are keys of a profile file: unique without regard to letter
// case, a changed name stays on its line, a new number goes to the end of
// the section. Readers that take the file as plain "name=value" lines (the
// name filling, the bill import) rely on one entry per line, so neither
// text may hold a line break and a number may not hold "=". Names reach the
// records and from there list files, whose cells "#" and TAB would shift.
#include "books/AbonentsBook.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "base/TextFile.h"
#include "base/UpdateLock.h"
#include "config/AddedTexts.h"
#include "config/FileStamp.h"
#include "config/IniFile.h"
#include "import/TextUtils.h"

namespace zvonar {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The file's lines stamped for a write: a missing file starts with the
// stamp line alone.
Status LoadStamped(const std::string& path, IniFile* ini) {
  std::vector<std::string> lines;
  const Status read = ReadTextLines(path, &lines, kBookFileLimit);
  const std::string stamp = FileStampLine(kStampTitle, "", DayCountNow());
  if (read.kind() == StatusKind::NotFound)
    lines = {stamp};
  else if (!read.ok())
    return read;
  else
    StampLines(&lines, stamp);
  *ini = IniFile(std::move(lines));
  return Status::Ok();
}

unsigned char SortKey(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

}  // namespace

std::string AbonentsBookPath(const std::string& programDir) {
  return JoinPath(programDir, kAbonentsFileName);
}

Status LoadAbonentsBook(const std::string& path, std::vector<AbonentEntry>* entries) {
  IniFile ini;
  const Status s = IniFile::Load(path, &ini);
  if (!s.ok()) return s;
  std::vector<AbonentEntry> loaded;
  std::unordered_set<std::string> seen;
  for (auto& [number, name] : ini.ReadSectionEntries(kAbonentsSection))
    if (seen.insert(LowerTextRu(number)).second) loaded.push_back({std::move(number), std::move(name)});
  *entries = std::move(loaded);
  return Status::Ok();
}

Status LoadAbonentsBookRows(const std::string& path, std::vector<AbonentEntry>* entries) {
  entries->clear();
  std::vector<std::string> lines;
  Status s = ReadTextLinesIfExists(path, &lines);
  if (!s.ok()) return s;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find('\0') == std::string::npos) continue;
    s = Status::Invalid(path + ":" + std::to_string(i + 1) +
                        ": the line is damaged (it holds a zero byte); the entries from there on were not read");
    lines.resize(i);
    break;
  }
  const IniFile ini(std::move(lines));
  std::unordered_map<std::string, std::string> firstName;
  for (auto& [number, name] : ini.ReadSectionEntries(kAbonentsSection)) {
    const std::string& shown = firstName.try_emplace(LowerTextRu(number), name).first->second;
    entries->push_back({std::move(number), shown});
  }
  return s;
}

bool SameAbonentNumber(std::string_view a, std::string_view b) {
  return a.size() == b.size() && LowerTextRu(a) == LowerTextRu(b);
}

bool AbonentEntryComplete(std::string_view number, std::string_view name) {
  return !name.empty() && number.size() >= kMinAbonentNumberLength;
}

StoredTextCheck CheckAbonentName(std::string_view name, int width) {
  const std::string_view trimmed = TrimBlanks(name);
  StoredTextCheck check = CheckStoredText(trimmed, "Abonent", width);
  if (check.ok() && trimmed.empty()) check.fault = StoredTextFault::Blank;
  return check;
}

std::string AbonentEntryFault(std::string_view number, std::string_view name, const LanguageFile& lang) {
  const auto breaksLine = [](std::string_view s) { return s.find_first_of("\r\n\t") != std::string_view::npos; };
  const std::string_view key = TrimBlanks(number);
  if (key.empty()) return TextOf(lang, AddedText::NumberEmpty);
  if (breaksLine(number) || breaksLine(name)) return TextOf(lang, AddedText::EntryHasLineBreak);
  if (number.find('#') != std::string_view::npos || name.find('#') != std::string_view::npos)
    return TextOf(lang, AddedText::EntryHasHash);
  if (key.find('=') != std::string_view::npos) return TextOf(lang, AddedText::NumberHasEquals);
  if (key.front() == '[' || key.front() == ';') return TextOf(lang, AddedText::NumberBadStart);
  return {};
}

std::string OldNumberAfterEdit(std::string_view shownNumber, std::string_view typedNumber) {
  return shownNumber == typedNumber ? std::string() : std::string(shownNumber);
}

bool ReplacesAnotherName(const std::vector<AbonentEntry>& book, std::string_view editedNumber, std::string_view number,
                         std::string_view name, std::string* storedName) {
  const std::string_view key = TrimBlanks(number);
  if (!editedNumber.empty() && SameAbonentNumber(TrimBlanks(editedNumber), key)) return false;
  for (const AbonentEntry& entry : book) {
    if (!SameAbonentNumber(entry.number, key)) continue;
    if (entry.name == TrimBlanks(name)) return false;
    *storedName = entry.name;
    return true;
  }
  return false;
}

Status SaveAbonent(const std::string& path, std::string_view oldNumber, std::string_view number, std::string_view name,
                   SaveAbonentOutcome* outcome) {
  const std::string fault = AbonentEntryFault(number, name);
  if (!fault.empty()) return Status::Invalid(fault);
  SaveAbonentOutcome result;
  result.stored = {std::string(TrimBlanks(number)), std::string(TrimBlanks(name))};
  UpdateLock lock;
  Status s = lock.Acquire(path);
  IniFile ini;
  if (s.ok()) s = LoadStamped(path, &ini);
  if (!s.ok()) return s;
  const std::string old(TrimBlanks(oldNumber));
  if (!old.empty() && !ini.DeleteKey(kAbonentsSection, old)) result.oldMissing = true;
  const AbonentEntry& e = result.stored;
  result.added = !ini.HasKey(kAbonentsSection, e.number);
  result.renamed = !result.added && ini.ReadString(kAbonentsSection, e.number, "") != e.name;
  ini.WriteString(kAbonentsSection, e.number, e.name);
  s = ini.Save(path);
  if (!s.ok()) return s;
  *outcome = std::move(result);
  return Status::Ok();
}

Status SaveUnnamedAbonents(const std::string& path, const std::vector<AbonentEntry>& entries,
                           std::vector<std::string>* keys, std::size_t* written) {
  UpdateLock lock;
  Status s = entries.empty() ? Status::Ok() : lock.Acquire(path);
  IniFile ini;
  if (s.ok()) s = entries.empty() ? IniFile::Load(path, &ini) : LoadStamped(path, &ini);
  if (!s.ok()) return s;
  std::size_t changes = 0;
  for (const AbonentEntry& e : entries) {
    const std::string_view number = TrimBlanks(e.number);
    const std::string_view name = TrimBlanks(e.name);
    if (!AbonentEntryFault(e.number, e.name).empty()) continue;
    const bool known = ini.HasKey(kAbonentsSection, number);
    if (known && (!ini.ReadString(kAbonentsSection, number, "").empty() || name.empty())) continue;
    ini.WriteString(kAbonentsSection, number, name);
    ++changes;
  }
  if (changes > 0) s = ini.Save(path);
  if (!s.ok()) return s;
  *keys = ini.ReadSectionKeys(kAbonentsSection);
  if (written != nullptr) *written = changes;
  return s;
}

Status DeleteAbonent(const std::string& path, std::string_view number, bool* found) {
  *found = false;
  UpdateLock lock;
  Status s = lock.Acquire(path);
  IniFile ini;
  if (s.ok()) s = LoadStamped(path, &ini);
  if (!s.ok()) return s;
  if (!ini.DeleteKey(kAbonentsSection, TrimBlanks(number))) return Status::Ok();
  s = ini.Save(path);
  if (s.ok()) *found = true;
  return s;
}

bool BookTextLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return SortKey(x) < SortKey(y); });
}

void SortAbonents(std::vector<AbonentEntry>* entries, int column) {
  std::stable_sort(entries->begin(), entries->end(), [column](const AbonentEntry& x, const AbonentEntry& y) {
    return column == 0 ? BookTextLess(x.number, y.number) : BookTextLess(x.name, y.name);
  });
}

}  // namespace zvonar
