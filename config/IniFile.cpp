// A profile file is a list of lines:
//   lines before the first section (the program's stamp line) belong to none;
//   "[Name]" opens a section, which runs to the next section header;
//   "key=value" is an entry, the value being everything after the first "=";
//   lines starting with ";" are comments; other lines are kept as they stand.
// Spaces and tabs around names and values are not part of them.
#include "config/IniFile.h"

#include "base/TextFile.h"
#include "import/NumberText.h"
#include "import/TextUtils.h"

namespace zvonar {
namespace {

std::string_view Trim(std::string_view s) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerCharRu(a[i]) != LowerCharRu(b[i])) return false;
  return true;
}

// The section name of a header line, or false when the line is no header.
bool SectionHeader(std::string_view line, std::string_view* name) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return false;
  const auto close = line.find(']');
  if (close == std::string_view::npos) return false;
  *name = Trim(line.substr(1, close - 1));
  return true;
}

// The key and value of an entry line, or false for comments and other lines.
bool Entry(std::string_view line, std::string_view* key, std::string_view* value) {
  const auto trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';') return false;
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  *key = Trim(line.substr(0, eq));
  *value = Trim(line.substr(eq + 1));
  return !key->empty();
}

}  // namespace

Status IniFile::Load(const std::string& path, IniFile* ini, std::size_t maxBytes) {
  std::vector<std::string> lines;
  Status s = ReadTextLinesIfExists(path, &lines, maxBytes);
  if (!s.ok()) return s;
  *ini = IniFile(std::move(lines));
  return Status::Ok();
}

Status IniFile::Save(const std::string& path) const { return WriteTextLines(path, lines_); }

bool IniFile::FindSection(std::string_view section, SectionSpan* span) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    if (!SectionHeader(lines_[i], &name) || !SameName(name, section)) continue;
    std::size_t end = i + 1;
    std::string_view other;
    while (end < lines_.size() && !SectionHeader(lines_[end], &other)) ++end;
    *span = {i, end};
    return true;
  }
  return false;
}

std::size_t IniFile::FindKey(const SectionSpan& span, std::string_view key) const {
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    std::string_view name, value;
    if (Entry(lines_[i], &name, &value) && SameName(name, key)) return i;
  }
  return std::string::npos;
}

bool IniFile::HasSection(std::string_view section) const {
  SectionSpan span{};
  return FindSection(section, &span);
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
  SectionSpan span{};
  return FindSection(section, &span) && FindKey(span, key) != std::string::npos;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  SectionSpan span{};
  if (!FindSection(section, &span)) return std::string(def);
  const std::size_t at = FindKey(span, key);
  if (at == std::string::npos) return std::string(def);
  std::string_view name, value;
  Entry(lines_[at], &name, &value);
  return std::string(value);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  int32_t value = 0;
  return ParseInt(ReadString(section, key, ""), &value) ? value : def;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::vector<std::string> IniFile::ReadSectionKeys(std::string_view section) const {
  std::vector<std::string> keys;
  SectionSpan span{};
  if (!FindSection(section, &span)) return keys;
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    std::string_view name, value;
    if (Entry(lines_[i], &name, &value)) keys.emplace_back(name);
  }
  return keys;
}

std::vector<std::pair<std::string, std::string>> IniFile::ReadSectionEntries(std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> entries;
  SectionSpan span{};
  if (!FindSection(section, &span)) return entries;
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    std::string_view name, value;
    if (Entry(lines_[i], &name, &value)) entries.emplace_back(name, value);
  }
  return entries;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  SectionSpan span{};
  if (!FindSection(section, &span)) {
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(std::string(key) + "=" + std::string(value));
    return;
  }
  const std::size_t at = FindKey(span, key);
  if (at != std::string::npos) {
    std::string& line = lines_[at];
    line = line.substr(0, line.find('=') + 1) + std::string(value);
    return;
  }
  // After the section's last non-blank line, so blank lines that part it
  // from the next section stay where they are.
  std::size_t insertAt = span.end;
  while (insertAt > span.header + 1 && Trim(lines_[insertAt - 1]).empty()) --insertAt;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::string(key) + "=" + std::string(value));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key) {
  SectionSpan span{};
  if (!FindSection(section, &span)) return false;
  const std::size_t at = FindKey(span, key);
  if (at == std::string::npos) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
  return true;
}

}  // namespace zvonar
