// Code page 1251: bytes below 0x80 are ASCII, 0xC0..0xFF are А..я
// (U+0410..U+044F), and 0x80..0xBF hold the table below. 0x98 is unassigned
// in the code page; it maps to U+0098 so that every byte survives a round trip.
#include "base/Cp1251.h"

#include <array>
#include <cstdint>

namespace zvonar {
namespace {

constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at `pos`; false when it is malformed.
bool DecodeUtf8(std::string_view s, std::size_t* pos, char32_t* cp) {
  const auto b0 = static_cast<unsigned char>(s[*pos]);
  int extra = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (b0 < 0x80) {
    *cp = b0;
    ++*pos;
    return true;
  } else if ((b0 & 0xE0) == 0xC0) {
    extra = 1, value = b0 & 0x1F, minimum = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, value = b0 & 0x0F, minimum = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, value = b0 & 0x07, minimum = 0x10000;
  } else {
    return false;
  }
  if (*pos + static_cast<std::size_t>(extra) >= s.size()) return false;
  for (int i = 1; i <= extra; ++i) {
    const auto b = static_cast<unsigned char>(s[*pos + static_cast<std::size_t>(i)]);
    if ((b & 0xC0) != 0x80) return false;
    value = (value << 6) | (b & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  *pos += static_cast<std::size_t>(extra) + 1;
  *cp = value;
  return true;
}

std::string DescribeCodePoint(char32_t cp, std::string_view utf8Char) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string hex;
  for (int shift = 16; shift >= 0; shift -= 4) {
    const auto digit = (cp >> shift) & 0xF;
    if (!hex.empty() || digit != 0 || shift <= 12) hex.push_back(kHex[digit]);
  }
  return "\"" + std::string(utf8Char) + "\" (U+" + hex + ")";
}

}  // namespace

char32_t Cp1251ToCodePoint(char byte) {
  const auto b = static_cast<unsigned char>(byte);
  if (b < 0x80) return b;
  if (b >= 0xC0) return 0x0410 + (b - 0xC0);
  return kHigh[b - 0x80];
}

bool CodePointToCp1251(char32_t cp, char* byte) {
  if (cp < 0x80) {
    *byte = static_cast<char>(cp);
    return true;
  }
  if (cp >= 0x0410 && cp <= 0x044F) {
    *byte = static_cast<char>(0xC0 + (cp - 0x0410));
    return true;
  }
  for (std::size_t i = 0; i < kHigh.size(); ++i) {
    if (kHigh[i] == cp) {
      *byte = static_cast<char>(0x80 + i);
      return true;
    }
  }
  return false;
}

std::string Cp1251ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  AppendCp1251AsUtf8(bytes, &out);
  return out;
}

void AppendCp1251AsUtf8(std::string_view bytes, std::string* out) {
  // Runs of ASCII, the same in both, are copied whole.
  std::size_t from = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) continue;
    out->append(bytes.substr(from, i - from));
    AppendUtf8(Cp1251ToCodePoint(bytes[i]), out);
    from = i + 1;
  }
  out->append(bytes.substr(from));
}

bool IsValidUtf8(std::string_view bytes) {
  std::size_t pos = 0;
  char32_t cp = 0;
  while (pos < bytes.size())
    if (!DecodeUtf8(bytes, &pos, &cp)) return false;
  return true;
}

Status Utf8ToCp1251(std::string_view utf8, std::string* out) {
  std::string result;
  result.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const std::size_t start = pos;
    char32_t cp = 0;
    if (!DecodeUtf8(utf8, &pos, &cp)) return Status::Invalid("malformed UTF-8 at byte " + std::to_string(start + 1));
    char byte = 0;
    if (!CodePointToCp1251(cp, &byte))
      return Status::Invalid("character " + DescribeCodePoint(cp, utf8.substr(start, pos - start)) +
                             " has no code in code page 1251");
    result.push_back(byte);
  }
  *out = std::move(result);
  return Status::Ok();
}

}  // namespace zvonar
