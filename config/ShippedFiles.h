// Files the programs carry inside themselves and put into the data directory
// on first start: the English and Russian language files. The bytes are
// those of lang/ in the source tree, embedded at build time.
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

}  // namespace zvonar
