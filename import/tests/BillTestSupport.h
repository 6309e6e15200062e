// Bills for the import tests: written here in UTF-8 for reading, turned into
// the code page 1251 bytes with CR LF line ends that the operator sends.
#pragma once

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/Cp1251.h"
#include "import/DetalizationParser.h"

namespace zvonar::testing {

// Code page 1251 bytes of UTF-8 text.
inline std::string Cp(std::string_view utf8) {
  std::string bytes;
  if (!Utf8ToCp1251(utf8, &bytes).ok()) std::abort();
  return bytes;
}

// The lines as one bill: code page 1251, each line ended by CR LF.
inline std::string Bill(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text += Cp(line) + "\r\n";
  return text;
}

// Keeps the records, their fields turned into UTF-8 for comparing.
class VectorSink : public RecordSink {
 public:
  Status Store(const std::vector<std::string>& fields, std::size_t) override {
    std::vector<std::string> utf8;
    for (const std::string& f : fields) utf8.push_back(Cp1251ToUtf8(f));
    records.push_back(std::move(utf8));
    return Status::Ok();
  }
  std::vector<std::vector<std::string>> records;
};

}  // namespace zvonar::testing
