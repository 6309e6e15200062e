// Files the programs carry and put into the data directory: the English and
// Russian language files, embedded at build time from lang/ and written on
// first start, and the example bills with their books, installed beside the
// programs under share/zvonar/examples and copied on the user's request.
#pragma once

#include <string>
#include <vector>

#include "base/Status.h"
#include "config/LanguageFile.h"

namespace zvonar {

struct ShippedFile {
  std::string name;   // file name inside the data directory, e.g. "english.lng"
  std::string bytes;  // the whole file, code page 1251, CR LF line ends
};

// The shipped language files, ordered by name.
std::vector<ShippedFile> ShippedLanguageFiles();

// Writes every shipped file that `dataDir` (ending with "/") lacks. A file
// already there is the user's and stays as it is. Stops at the first write
// that fails and returns its error.
Status SeedDataDir(const std::string& dataDir);

// The language file `languageBaseName` of `dataDir` (ending with "/"); when
// the directory has no such file (a command-line run that never seeded it),
// the shipped file of that name; else an empty file, which keeps the
// designed texts.
LanguageFile LanguageFileOf(const std::string& dataDir, const std::string& languageBaseName);
// The language file a first start uses for the message locale named by the
// first non-empty of LC_ALL, LC_MESSAGES and LANG (null when unset):
// "russian" for a name starting with "ru", else "english".
std::string LanguageForLocale(const char* lcAll, const char* lcMessages, const char* lang);

// LanguageForLocale for this process's environment.
std::string LanguageOfSystemLocale();

// The folder of the shipped examples for programs in `exeDir` (ending with
// "/"): `exeDir`/../share/zvonar/examples/, normalised and ending with "/".
// An installed package and a build tree (which copies the examples there)
// have the same layout.
std::string ShippedExamplesDir(const std::string& exeDir);

// The example bills (*.txt, *.htm, *.html) of `examplesDir`, ordered by name.
std::vector<std::string> ExampleBillNames(const std::string& examplesDir);

// Copies the example bills of `examplesDir` into `dataDir`'s folder
// "examples/" (created when missing), so that their month summaries can be
// written beside them, and abonents.dat and codetype.dat into `dataDir`. A
// file already at the target stays as it is. `bills` gets the paths of the
// copied bills in `dataDir`, ordered by name. An examples folder without a
// bill is a NotFound error naming it; the first failing read or write stops
// the copy and is returned.
Status CopyShippedExamples(const std::string& examplesDir, const std::string& dataDir,
                           std::vector<std::string>* bills);

}  // namespace zvonar
