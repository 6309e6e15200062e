// The stamp line that opens the abonents book and a newly created
// settings.ini: the program's title, a comment and the moment of stamping as
// a day count. Profile readers skip it, being outside every section.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zvonar {

inline constexpr std::string_view kStampTitle = "Zvonar v.2.3.3.65";

// Days since 1899-12-30 00:00 local time, the time of day as the fraction.
double DayCountNow();

// "<title>, <comment> (<day count>)", the day count written with up to 15
// significant digits and "." as decimal separator.
std::string FileStampLine(std::string_view title, std::string_view comment, double dayCount);

// The stamp rule on the lines of an existing file: a first line containing
// ";Vextrano" is replaced by `stamp`; any other lines stay as they are.
void StampLines(std::vector<std::string>* lines, const std::string& stamp);

// Stamps the file: a missing file becomes the stamp line alone; an existing
// file whose first line contains ";Vextrano" gets that line replaced; any
// other file keeps its lines (an earlier stamp is not renewed) and is written
// back. Returns false when the file could not be read or written.
bool WriteFileStamp(const std::string& path, std::string_view title, std::string_view comment);

}  // namespace zvonar
