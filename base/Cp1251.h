// Conversion between the code page 1251 bytes the core keeps and the UTF-8 of
// terminals and files outside the program. Used only at those boundaries.
#pragma once

#include <string>
#include <string_view>

#include "base/Status.h"

namespace zvonar {

// UTF-8 text of code page 1251 bytes. Every byte has a character; the
// unassigned byte 0x98 becomes U+0098.
std::string Cp1251ToUtf8(std::string_view bytes);
// Cp1251ToUtf8 of `bytes` appended to `out`.
void AppendCp1251AsUtf8(std::string_view bytes, std::string* out);

// Code page 1251 bytes of UTF-8 text. Fails, naming the first character that
// code page 1251 cannot hold (or the offset of malformed UTF-8), and leaves
// `out` unchanged.
Status Utf8ToCp1251(std::string_view utf8, std::string* out);

// Whether `bytes` is well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// The code page 1251 byte for a Unicode code point; false when there is none.
bool CodePointToCp1251(char32_t cp, char* byte);

// The Unicode code point of a code page 1251 byte.
char32_t Cp1251ToCodePoint(char byte);

}  // namespace zvonar
