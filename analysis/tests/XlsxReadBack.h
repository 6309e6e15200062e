// What a spreadsheet program reads in an .xlsx file, for the tests of the
// spreadsheet export: the file read by openpyxl through xlsx_dump.py, with
// /usr/bin/python3 (Debian's python3-openpyxl). Needs ZVONAR_SOURCE_DIR.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/TextFile.h"

namespace zvonar::testing {

// "Sheet!B2" -> "n|0.00|-|1.5" (type, number format, bold, value),
// "Sheet!freeze" -> "A2", "Sheet!filter" -> "A1:L3", "Sheet!width C" ->
// "14", and "sheets" -> "Calls,Statistic,Criteria"; only "error" with the
// script's output when the file cannot be read.
inline std::map<std::string, std::string> ReadXlsxBack(const std::string& path) {
  const std::string command =
      "/usr/bin/python3 " ZVONAR_SOURCE_DIR "/analysis/tests/xlsx_dump.py '" + path + "' 2>&1";
  std::map<std::string, std::string> cells;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return cells;
  std::string out;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  if (::pclose(pipe) != 0) return {{"error", out}};
  std::string sheet;
  for (const std::string& line : SplitLines(out)) {
    const auto space = line.find(' ');
    const auto bar = line.find('|');
    if (line.starts_with("sheet ")) {
      sheet = line.substr(6);
      cells["sheets"] += (cells["sheets"].empty() ? "" : ",") + sheet;
    } else if (line.starts_with("width ")) {
      cells[sheet + "!width " + line.substr(6, 1)] = line.substr(8);
    } else if (bar != std::string::npos) {
      cells[sheet + "!" + line.substr(0, bar)] = line.substr(bar + 1);
    } else if (space != std::string::npos) {
      cells[sheet + "!" + line.substr(0, space)] = line.substr(space + 1);
    }
  }
  return cells;
}

// The cells of `want` ("B2", its text as ReadXlsxBack gives it; an empty
// text for a cell that must be empty) that `cells` holds otherwise in
// `sheet`, one line each; empty when all agree.
inline std::string CellsDiffer(std::map<std::string, std::string>& cells, const std::string& sheet,
                               const std::vector<std::pair<std::string, std::string>>& want) {
  std::string faults;
  for (const auto& [cell, text] : want) {
    const auto found = cells.find(sheet + "!" + cell);
    const std::string got = found == cells.end() ? "" : found->second;
    if (got != text) faults += sheet + "!" + cell + ": \"" + got + "\", not \"" + text + "\"\n";
  }
  if (!faults.empty() && cells.count("error") > 0) faults += cells["error"];
  return faults;
}

}  // namespace zvonar::testing
