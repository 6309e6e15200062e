// Seeding the data directory with the shipped files. ShippedLanguageFiles
// itself is generated at build time from lang/*.lng (cmake/EmbedFiles.cmake).
#include "config/ShippedFiles.h"

#include "base/TextFile.h"

namespace zvonar {

Status SeedDataDir(const std::string& dataDir) {
  for (const ShippedFile& file : ShippedLanguageFiles()) {
    const std::string path = dataDir + file.name;
    if (FileExists(path)) continue;
    Status s = WriteFileAtomic(path, file.bytes);
    if (!s.ok()) return s;
  }
  return Status::Ok();
}

LanguageFile LanguageFileOf(const std::string& dataDir, const std::string& languageBaseName) {
  LanguageFile lang;
  if (languageBaseName.empty()) return lang;
  const std::string path = LanguageFilePath(dataDir, languageBaseName);
  if (LanguageFile::Load(path, &lang).ok() || FileExists(path)) return lang;
  const std::string name = path.substr(dataDir.size());
  for (const ShippedFile& file : ShippedLanguageFiles())
    if (file.name == name) return LanguageFile(SplitLines(file.bytes));
  return lang;
}

}  // namespace zvonar
