// The encodings a bill may come in, and their conversion to the code page
// 1251 bytes every parser rule is written for. The operator's own exports
// are in code page 1251; a browser's "save page" or an editor may give
// UTF-8 or UTF-16 instead.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/Status.h"

namespace zvonar {

enum class BillEncoding { Cp1251, Utf8, Utf16Le, Utf16Be };

// "code page 1251", "UTF-8", "UTF-16LE" or "UTF-16BE".
const char* EncodingName(BillEncoding encoding);

// The encoding of a bill's bytes: UTF-16 or UTF-8 when they start with a
// byte-order mark; UTF-8 when the bytes are valid UTF-8 with at least one
// multi-byte character (an HTML bill's charset=utf-8 declaration included);
// code page 1251 otherwise.
BillEncoding DetectBillEncoding(std::string_view bytes);

// The bill's text in code page 1251, its byte-order mark dropped. A
// character that code page 1251 cannot hold becomes "?", counted in
// `*replaced`. Fails, leaving `out` alone, when the bytes are not valid in
// the encoding (a UTF-16 bill cut inside a character, say).
Status ConvertBillToCp1251(std::string_view bytes, BillEncoding encoding, std::string* out, std::size_t* replaced);

}  // namespace zvonar
