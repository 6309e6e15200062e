// libFuzzer target for load-tsv's line parser: any bytes as the lines of a
// load-tsv input, each read as a record. Besides not crashing or hanging, a
// line that reads must give twelve cells with a date-time the table takes,
// and the line dump would print for those cells must read back as the same
// cells (what dump writes, load-tsv reads unchanged).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/Cp1251.h"
#include "cli/RecordLine.h"
#include "store/DateTimeField.h"
#include "store/DetalTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zvonar;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> cells, again;
  for (std::size_t start = 0; start <= input.size();) {
    const std::size_t end = std::min(input.find('\n', start), input.size());
    std::string_view line = input.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!ParseRecordLine(line, &cells).ok()) continue;
    DateTimeValue when;
    if (cells.size() != kDetalFieldCount || !ParseDateTimeText(cells[kDateTimeField], &when)) std::abort();
    std::string dumped;
    for (std::size_t i = 0; i < cells.size(); ++i) dumped += (i > 0 ? "\t" : "") + EscapeCell(Cp1251ToUtf8(cells[i]));
    if (!ParseRecordLine(dumped, &again).ok() || again != cells) std::abort();
  }
  return 0;
}
