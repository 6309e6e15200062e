// File paths between Qt and the core. A path is not a text: it stays in the
// file system's own encoding (UTF-8 bytes in a std::string) from the file
// chooser to the open call, and only "/" and "." inside it mean anything.
// Texts go through QtText.h; paths go through these helpers, never through
// the code page 1251 conversions. Only where a path is kept in a code page
// 1251 file (settings.ini) or shown inside such a text is it turned into one.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace zvonar {

// The file system's bytes of a path Qt holds (a chooser's answer).
std::string NativePathFromQt(const QString& path);

// A native path as Qt shows and opens it (a chooser's start directory).
QString QtPathFromNative(std::string_view nativePath);

// The code page 1251 text of a native path, for a setting kept in a code
// page 1251 file. False, leaving `stored` alone, when the code page cannot
// hold the path: such a path is used but not remembered.
bool StoredPathFromNative(std::string_view nativePath, std::string* stored);

// A path kept as code page 1251 text, as Qt shows and opens it.
QString QtPathFromStored(std::string_view stored);

}  // namespace zvonar
