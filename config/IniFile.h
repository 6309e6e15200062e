// Profile (INI) files as the program keeps them: settings.ini and the
// abonents book. The file is held as its lines, so everything a reader does
// not name (the stamp line before the first section, comments, unknown keys)
// is written back untouched.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Status.h"
#include "base/TextFile.h"

namespace zvonar {

class IniFile {
 public:
  IniFile() = default;
  explicit IniFile(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  // Reads the file at `path`. A missing file gives an empty profile and ok;
  // any other read failure, a file larger than `maxBytes` included, is an
  // error and leaves `ini` unchanged.
  static Status Load(const std::string& path, IniFile* ini, std::size_t maxBytes = kBookFileLimit);

  // Writes the lines, CR LF ended, through an atomic replace of the file.
  Status Save(const std::string& path) const;

  // Section and key names compare without regard to letter case (Latin and
  // Cyrillic); the first matching section and key count.
  bool HasSection(std::string_view section) const;
  bool HasKey(std::string_view section, std::string_view key) const;

  // The value of a key (the text after the first "=", spaces around it
  // dropped), or `def` when the key is missing.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // A missing key or a value that is not an integer gives `def`.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  // An integer that is not zero is true.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  // The key names of a section in file order.
  std::vector<std::string> ReadSectionKeys(std::string_view section) const;
  // The keys of a section with their values, in file order, in one pass.
  std::vector<std::pair<std::string, std::string>> ReadSectionEntries(std::string_view section) const;

  // Replaces the value of an existing key on its own line; a new key goes
  // after the last entry of its section, a new section to the end.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  // Written as "1" or "0".
  void WriteBool(std::string_view section, std::string_view key, bool value);
  // Removes the key's line; false when there was none.
  bool DeleteKey(std::string_view section, std::string_view key);

  const std::vector<std::string>& lines() const { return lines_; }

 private:
  struct SectionSpan {
    std::size_t header;  // line of "[name]"
    std::size_t end;     // one past the section's last line
  };
  bool FindSection(std::string_view section, SectionSpan* span) const;
  // Line index of the key inside the section, or npos.
  std::size_t FindKey(const SectionSpan& span, std::string_view key) const;

  std::vector<std::string> lines_;
};

}  // namespace zvonar
