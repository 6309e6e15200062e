// libFuzzer target for the language-file loader: any bytes as a .lng file,
// loaded and shaped for every kind of target the windows have. Besides not
// crashing or hanging, no line may hold a line end, a plain caption is never
// longer than its line, every added text has a text, and each line survives
// the trip through UTF-8 that the windows' captions take.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/Cp1251.h"
#include "config/AddedTexts.h"
#include "config/LanguageFile.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zvonar;
  const std::string path = fuzz::ScratchFile("fuzz.lng");
  fuzz::PutFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
  LanguageFile lang;
  if (!LanguageFile::Load(path, &lang).ok()) std::abort();
  for (std::size_t i = 0; i <= lang.LineCount(); ++i) {
    const std::string& line = lang.Line(i);
    if (line.find_first_of("\r\n") != std::string::npos) std::abort();
    if (PlainCaption(line).size() > line.size()) std::abort();
    if (lang.WithColon(i).size() != line.size() + 1 || lang.Framed(i).size() != line.size() + 2) std::abort();
    std::string back;
    if (!Utf8ToCp1251(Cp1251ToUtf8(line), &back).ok() || back != line) std::abort();
  }
  if (!lang.HasGroup(lang.LineCount()) || lang.HasGroup(lang.LineCount() + 1)) std::abort();
  for (auto t = static_cast<std::size_t>(AddedText::AlreadyRunning); t < kLanguageFileLines; ++t)
    if (TextOf(lang, static_cast<AddedText>(t)).empty()) std::abort();
  return 0;
}
