// libFuzzer target for the profile-file reader: any bytes as settings.ini,
// read into the settings, written back by the program's save and read
// again. Besides not crashing or hanging, the second read must give the
// settings of the first (a save loses nothing it read), and in the first
// section a key written anew must read back and delete again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/IniFile.h"
#include "config/MainSettings.h"
#include "fuzz/FuzzSupport.h"

namespace {

using namespace zvonar;
using namespace zvonar::fuzz;

// The settings as the lines a fresh profile gets, for comparing two of them.
std::vector<std::string> LinesOf(const MainSettings& settings) {
  IniFile ini;
  WriteMainSettings(settings, &ini);
  std::vector<std::string> lines = ini.lines();
  lines.push_back(settings.htmlStopText);  // read only, so not among the written keys
  return lines;
}

// The abonents book and other free-form sections: the keys listed are
// found, and a key written anew reads back as written.
void CheckSections(IniFile ini) {
  const auto trim = [](std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view()
                                           : s.substr(first, s.find_last_not_of(" \t") + 1 - first);
  };
  for (const std::string& text : ini.lines()) {
    const std::string_view line = trim(text);
    if (line.size() < 2 || line.front() != '[' || line.find(']') == std::string_view::npos) continue;
    const std::string section(trim(line.substr(1, line.find(']') - 1)));
    for (const std::string& key : ini.ReadSectionKeys(section)) {
      if (!ini.HasKey(section, key)) std::abort();
      (void)ini.ReadInteger(section, key, 0);
    }
    ini.WriteString(section, "FuzzKey", "value");
    if (ini.ReadString(section, "FuzzKey", "") != "value" || !ini.DeleteKey(section, "FuzzKey")) std::abort();
    return;  // one section per input keeps the run fast on many-section files
  }
}

}  // namespace

// With ZVONAR_FUZZ_SEEDS set, writes settings.ini as the program saves it
// (the defaults, and every setting changed) into that directory as seeds,
// and exits.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* seeds = std::getenv("ZVONAR_FUZZ_SEEDS");
  if (seeds == nullptr) return 0;
  MainSettings changed;
  changed.mainWindowState = "Maximized";
  changed.fieldWidths[3] = 80;  // Abonent
  changed.filterOwner = changed.filterExclude = true;
  changed.filterCodeText = "1#2";
  changed.language = "russian";
  changed.primaryServiceNumber = "9160000000";
  changed.phoneCodeTown = "495";
  changed.types = "\xC2\xF5=in";
  const std::string dir = seeds;
  const bool ok = SaveMainSettings(dir + "/settings-default.ini", MainSettings{}).ok() &&
                  SaveMainSettings(dir + "/settings-changed.ini", changed).ok();
  std::exit(ok ? 0 : 1);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = ScratchFile("settings.ini");
  PutFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
  IniFile ini;
  if (!IniFile::Load(path, &ini).ok()) std::abort();
  CheckSections(ini);
  MainSettings first;
  if (!LoadMainSettings(path, &first).ok()) std::abort();
  if (!SaveMainSettings(path, first).ok()) std::abort();
  MainSettings second;
  if (!LoadMainSettings(path, &second).ok()) std::abort();
  if (LinesOf(first) != LinesOf(second)) std::abort();
  return 0;
}
