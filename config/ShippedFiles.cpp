// Seeding the data directory with the shipped files. ShippedLanguageFiles
// itself is generated at build time from lang/*.lng (cmake/EmbedFiles.cmake).
#include "config/ShippedFiles.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/DataDir.h"
#include "base/TextFile.h"

namespace zvonar {
namespace {

bool IsBillName(const std::string& name) {
  for (const char* ext : {".txt", ".htm", ".html"}) {
    const std::string_view e(ext);
    if (name.size() > e.size() && name.compare(name.size() - e.size(), e.size(), e) == 0) return true;
  }
  return false;
}

// Copies `from` to `to` unless `to` is there already.
Status CopyIfMissing(const std::string& from, const std::string& to) {
  if (FileExists(to)) return Status::Ok();
  std::string bytes;
  Status s = ReadWholeFile(from, &bytes);
  if (!s.ok()) return s;
  return WriteFileAtomic(to, bytes);
}

}  // namespace

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

namespace zvonar {

std::string LanguageForLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* name : {lcAll, lcMessages, lang}) {
    if (name == nullptr || name[0] == '\0') continue;
    return std::string_view(name).substr(0, 2) == "ru" ? "russian" : "english";
  }
  return "english";
}

std::string LanguageOfSystemLocale() {
  return LanguageForLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::string ShippedExamplesDir(const std::string& exeDir) {
  std::string dir = (std::filesystem::path(exeDir) / "../share/zvonar/examples").lexically_normal().string();
  if (dir.empty() || dir.back() != '/') dir.push_back('/');
  return dir;
}

std::vector<std::string> ExampleBillNames(const std::string& examplesDir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(examplesDir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (IsBillName(name) && it->is_regular_file(ec)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

Status CopyShippedExamples(const std::string& examplesDir, const std::string& dataDir,
                           std::vector<std::string>* bills) {
  bills->clear();
  const std::vector<std::string> names = ExampleBillNames(examplesDir);
  if (names.empty()) return Status::Error(StatusKind::NotFound, "no example bill was found in " + examplesDir);
  const std::string target = dataDir + "examples/";
  Status s = MakeDirectories(target);
  for (const std::string& name : names) {
    if (!s.ok()) return s;
    s = CopyIfMissing(examplesDir + name, target + name);
    bills->push_back(target + name);
  }
  for (const char* book : {"abonents.dat", "codetype.dat"}) {
    if (!s.ok()) break;
    if (FileExists(examplesDir + book)) s = CopyIfMissing(examplesDir + book, dataDir + book);
  }
  if (!s.ok()) bills->clear();
  return s;
}

}  // namespace zvonar
