// Bills in UTF-8 and UTF-16 are decoded by the C library's iconv into code
// points, which then go to code page 1251 one by one.
#include "import/BillEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "base/Cp1251.h"

namespace zvonar {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

bool HasHighByte(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Decodes `bytes` in the iconv encoding `from`, handing each code point to
// `take`. The code points pass through a small buffer, so a large bill is
// never held four bytes a character.
template <typename Take>
Status Decode(std::string_view bytes, const char* from, const Take& take) {
  iconv_t cd = ::iconv_open("UTF-32LE", from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return Status::IoError(std::string("no converter from ") + from);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char wide[16384];
  int err = 0;
  while (inLeft > 0 && err == 0) {
    char* to = wide;
    std::size_t toLeft = sizeof wide;
    if (::iconv(cd, &in, &inLeft, &to, &toLeft) == static_cast<std::size_t>(-1) && errno != E2BIG) err = errno;
    for (const char* p = wide; p < to; p += 4) {
      const auto* u = reinterpret_cast<const unsigned char*>(p);
      take(static_cast<char32_t>(u[0] | u[1] << 8 | u[2] << 16 | static_cast<std::uint32_t>(u[3]) << 24));
    }
  }
  ::iconv_close(cd);
  if (err == 0) return Status::Ok();
  return Status::Invalid(std::string("not valid ") + from + " at byte " + std::to_string(bytes.size() - inLeft) +
                         (err == EINVAL ? ": the text ends inside a character" : ""));
}

const char* IconvName(BillEncoding encoding) {
  switch (encoding) {
    case BillEncoding::Utf16Le:
      return "UTF-16LE";
    case BillEncoding::Utf16Be:
      return "UTF-16BE";
    default:
      return "UTF-8";
  }
}

}  // namespace

const char* EncodingName(BillEncoding encoding) {
  return encoding == BillEncoding::Cp1251 ? "code page 1251" : IconvName(encoding);
}

BillEncoding DetectBillEncoding(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) return BillEncoding::Utf8;
  if (bytes.starts_with(kUtf16LeBom)) return BillEncoding::Utf16Le;
  if (bytes.starts_with(kUtf16BeBom)) return BillEncoding::Utf16Be;
  if (!HasHighByte(bytes)) return BillEncoding::Cp1251;  // plain ASCII reads the same either way
  // An HTML bill's meta tag that declares UTF-8 is believed only as far as
  // the bytes bear it out: valid UTF-8 is read as UTF-8 whether declared or
  // not, and a bill whose bytes belie the declaration is read as the
  // operator writes them. The check is our own, so that a code page 1251
  // bill (nearly every one) never loads the C library's converters.
  return IsValidUtf8(bytes) ? BillEncoding::Utf8 : BillEncoding::Cp1251;
}

Status ConvertBillToCp1251(std::string_view bytes, BillEncoding encoding, std::string* out, std::size_t* replaced) {
  *replaced = 0;
  if (encoding == BillEncoding::Cp1251) {
    *out = std::string(bytes);
    return Status::Ok();
  }
  std::string_view body = bytes;
  if (encoding == BillEncoding::Utf8 && body.starts_with(kUtf8Bom)) body.remove_prefix(kUtf8Bom.size());
  if (encoding == BillEncoding::Utf16Le && body.starts_with(kUtf16LeBom)) body.remove_prefix(kUtf16LeBom.size());
  if (encoding == BillEncoding::Utf16Be && body.starts_with(kUtf16BeBom)) body.remove_prefix(kUtf16BeBom.size());
  std::string text;
  text.reserve(body.size());
  std::size_t missing = 0;
  Status s = Decode(body, IconvName(encoding), [&](char32_t cp) {
    char c = '?';
    if (!CodePointToCp1251(cp, &c)) ++missing;
    text += c;
  });
  if (!s.ok()) return s;
  *replaced = missing;
  *out = std::move(text);
  return Status::Ok();
}

}  // namespace zvonar
