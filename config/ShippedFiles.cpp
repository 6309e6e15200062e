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

}  // namespace zvonar
