// Language files: a plain text file in code page 1251 whose lines replace the
// designed captions of the windows, addressed by line number (from 0). Each
// window reads the file when it is created and applies its lines in groups; a
// group is applied only when the file holds at least the lines it needs, so a
// short file changes the early captions and leaves the rest as designed.
//
// Lines hold captions in the toolkit's form: "&&" is a literal ampersand and a
// single "&" before a character marks the mnemonic letter of a menu item
// ("&Settings"); a single "&" before a blank or at the end of the line is the
// character itself ("Calls & SMS"). Targets that show mnemonics (menus,
// buttons, check boxes, group boxes, tabs) take a line through
// MnemonicCaption; plain targets (window titles, labels, column titles,
// message texts) take it through PlainCaption.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Status.h"

namespace zvonar {

class LanguageFile {
 public:
  LanguageFile() = default;
  explicit LanguageFile(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  // Reads the lines of the file at `path`. A missing file is NotFound (the
  // window keeps its designed texts); on any failure `file` is unchanged.
  static Status Load(const std::string& path, LanguageFile* file);

  std::size_t LineCount() const { return lines_.size(); }

  // The group rule: a group that needs `needLines` lines applies only when
  // the file holds at least that many.
  bool HasGroup(std::size_t needLines) const { return lines_.size() >= needLines; }

  // Line `i` exactly as read, leading and trailing blanks included; empty
  // when the file is shorter.
  const std::string& Line(std::size_t i) const;

  // Line `i` followed by ":" (labels).
  std::string WithColon(std::size_t i) const;
  // Line `i` followed by "..." (items that open a dialog).
  std::string WithDots(std::size_t i) const;
  // Line `i` with one blank before and one after (group box captions).
  std::string Framed(std::size_t i) const;

 private:
  std::vector<std::string> lines_;
};

// The language file a window looks for: `programDir` (ending with "/"), the
// base name kept in the Language setting (code page 1251 text, turned into
// the file system's UTF-8), ".lng".
std::string LanguageFilePath(const std::string& programDir, const std::string& languageBaseName);

// The locale a language's base name stands for, as a language code: "ru"
// when the name holds "russian" in any letter case (the rule the month names
// follow), else "en", so an unknown name keeps English.
std::string LanguageLocaleName(std::string_view languageBaseName);

// A caption as plain text for targets without mnemonics: "&&" becomes "&", a
// single "&" before a character other than a blank is dropped, and one before
// a blank or at the end stays.
std::string PlainCaption(std::string_view caption);

// A caption for a target that reads mnemonics: "&&" and "&" before a
// character stay, and a single "&" before a blank or at the end becomes "&&",
// so that it is shown rather than taken for a mnemonic.
std::string MnemonicCaption(std::string_view caption);

}  // namespace zvonar
