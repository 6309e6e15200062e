// The abonents book: phone numbers and the names of their owners, kept in
// abonents.dat as the section "Abonents" of a profile file behind the
// program's stamp line. Every change is written through at once, so the
// book dialog, zvonar-cli and the name filling always meet the same file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "books/StoredText.h"
#include "config/LanguageFile.h"

namespace zvonar {

inline constexpr std::string_view kAbonentsFileName = "abonents.dat";
inline constexpr std::string_view kAbonentsSection = "Abonents";
// The entry dialog's OK button needs a number at least this long.
inline constexpr std::size_t kMinAbonentNumberLength = 4;

// One entry of the book; texts in code page 1251.
struct AbonentEntry {
  std::string number;
  std::string name;
  bool operator==(const AbonentEntry&) const = default;
};

// The book of the data directory `programDir` (ending with "/").
std::string AbonentsBookPath(const std::string& programDir);

// The entries of the section in file order. A number written twice counts
// once, with the name of its first line, the one every reader finds. A
// missing file gives no entries and ok.
Status LoadAbonentsBook(const std::string& path, std::vector<AbonentEntry>* entries);

// The entries as the book dialog lists them: every line of the section in
// file order, a number written twice as often as it stands, each with the
// name every reader finds for its number (that of its first line). Reading
// ends at a damaged line (one holding a zero byte, as a file cut short by a
// crash may): `entries` then holds the entries before it and the status says
// where. A file that cannot be read gives no entries and its error.
Status LoadAbonentsBookRows(const std::string& path, std::vector<AbonentEntry>* entries);

// True when `a` and `b` are the same key of the book (keys compare without
// regard to letter case, Latin and Cyrillic).
bool SameAbonentNumber(std::string_view a, std::string_view b);

// The entry dialog's OK rule: a name is typed and the number has at least
// kMinAbonentNumberLength characters.
bool AbonentEntryComplete(std::string_view number, std::string_view name);

// The check of a name typed for the book: not empty or only blanks, and
// fit for the Abonent field of `width` characters (CheckStoredText); blanks
// around it are dropped as SaveAbonent drops them.
StoredTextCheck CheckAbonentName(std::string_view name, int width);

// Empty when `number` and `name` can stand as one line "number=name" of the
// book, without a TAB or a "#" that would shift the cells of a list file;
// otherwise what keeps them out, for the user, as `lang` words it (code page
// 1251; English without a language file).
std::string AbonentEntryFault(std::string_view number, std::string_view name, const LanguageFile& lang = {});

// The old number an edit hands to SaveAbonent: the number shown when the
// entry dialog opened when the user changed it, else empty (the entry keeps
// its line).
std::string OldNumberAfterEdit(std::string_view shownNumber, std::string_view typedNumber);

// Whether saving `number` with `name` would replace the name another entry
// of `book` has: the number is in the book, is not the entry being edited
// (`editedNumber`, empty when adding) and has a different name there, which
// goes to `storedName`. Texts are compared as SaveAbonent stores them.
bool ReplacesAnotherName(const std::vector<AbonentEntry>& book, std::string_view editedNumber, std::string_view number,
                         std::string_view name, std::string* storedName);

// What SaveAbonent did.
struct SaveAbonentOutcome {
  AbonentEntry stored;      // as written: blanks around both texts dropped
  bool added = false;       // the number was not in the book before
  bool renamed = false;     // it was, under another name
  bool oldMissing = false;  // `oldNumber` was given but not in the book
};

// Writes `number` with `name` into the book at `path`, as one replacement
// of the whole file: the file is stamped (a missing one starts with the
// stamp line), the entry of `oldNumber` is deleted when `oldNumber` is not
// empty, and the number is written: an existing key gets the new name on
// its own line, a new key goes to the end of the section. The file is left
// untouched when it cannot be read or the entry is refused (AbonentEntryFault).
Status SaveAbonent(const std::string& path, std::string_view oldNumber, std::string_view number, std::string_view name,
                   SaveAbonentOutcome* outcome);

// Writes the entries of numbers the book does not name, all in one
// replacement of the file: a new number goes to the end of the section, a
// number whose stored name is empty takes the entry's name on its line. A
// number the book already names, as the file stands at the write, is never
// written; nor is a refused entry (AbonentEntryFault). `keys` receives every
// key of the section afterwards, in file order; `written` (may be null) how
// many entries changed the file. No entries leave the file as it is.
Status SaveUnnamedAbonents(const std::string& path, const std::vector<AbonentEntry>& entries,
                           std::vector<std::string>* keys, std::size_t* written = nullptr);

// Deletes the entry of `number` from the book at `path`, stamping the file
// as SaveAbonent does. `found` tells whether there was one; without one the
// file is not written.
Status DeleteAbonent(const std::string& path, std::string_view number, bool* found);

// Orders two texts of the book list: Latin letters without regard to case,
// every other character by its code page 1251 code.
bool BookTextLess(std::string_view a, std::string_view b);

// Sorts the entries ascending by the number (`column` 0) or the name (1);
// entries that compare equal keep their order.
void SortAbonents(std::vector<AbonentEntry>* entries, int column);

}  // namespace zvonar
