// Reading a language file and shaping its lines for their targets. The file
// is lines of code page 1251 text, CR LF ended (LF or CR alone are accepted);
// line n of the file is caption n of the line map the windows share. A line
// is never trimmed: blanks around it reach the caption.
#include "config/LanguageFile.h"

#include "base/Cp1251.h"
#include "base/TextFile.h"

namespace zvonar {

Status LanguageFile::Load(const std::string& path, LanguageFile* file) {
  std::vector<std::string> lines;
  Status s = ReadTextLines(path, &lines, kSettingsFileLimit);
  if (!s.ok()) return s;
  file->lines_ = std::move(lines);
  return Status::Ok();
}

const std::string& LanguageFile::Line(std::size_t i) const {
  static const std::string kNoLine;
  return i < lines_.size() ? lines_[i] : kNoLine;
}

std::string LanguageFile::WithColon(std::size_t i) const {
  return Line(i) + ":";
}

std::string LanguageFile::WithDots(std::size_t i) const {
  return Line(i) + "...";
}

std::string LanguageFile::Framed(std::size_t i) const {
  return " " + Line(i) + " ";
}

std::string LanguageFilePath(const std::string& programDir, const std::string& languageBaseName) {
  return programDir + Cp1251ToUtf8(languageBaseName) + ".lng";
}

std::string LanguageLocaleName(std::string_view languageBaseName) {
  std::string folded(languageBaseName);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded.find("russian") != std::string::npos ? "ru" : "en";
}

namespace {

// A single "&" marks the mnemonic letter only when a character other than a
// blank follows it; before a blank or at the end it is the character itself,
// as in "Calls & SMS".
bool MarksMnemonic(std::string_view caption, std::size_t i) {
  return i + 1 < caption.size() && caption[i + 1] != ' ' && caption[i + 1] != '\t';
}

}  // namespace

std::string PlainCaption(std::string_view caption) {
  std::string text;
  text.reserve(caption.size());
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && MarksMnemonic(caption, i)) ++i;  // "&&" keeps one, "&x" keeps x
    text += caption[i];
  }
  return text;
}

std::string MnemonicCaption(std::string_view caption) {
  std::string text;
  text.reserve(caption.size() + 2);
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') {
      text += caption[i];
    } else if (!MarksMnemonic(caption, i)) {
      text += "&&";
    } else {
      text += caption.substr(i, 2);  // "&&" or the mnemonic with its letter
      ++i;
    }
  }
  return text;
}

}  // namespace zvonar
