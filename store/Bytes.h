// Little-endian integers and a running hash over bytes, shared by the table
// and index file code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string_view>

namespace zvonar {

inline std::uint32_t GetLe(const char* p, int size) {
  std::uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}
inline std::uint16_t GetU16(const char* p) {
  return static_cast<std::uint16_t>(GetLe(p, 2));
}
inline std::uint32_t GetU32(const char* p) {
  return GetLe(p, 4);
}

// The text of a character field: its bytes without the trailing blanks (or
// NULs) that pad it to its width.
inline std::string_view TrimmedField(const char* field, std::size_t width) {
  std::size_t n = width;
  constexpr std::uint64_t kBlanks = 0x2020202020202020ull;
  for (std::uint64_t word = 0; n >= 8; n -= 8) {  // wide fields are mostly padding
    std::memcpy(&word, field + n - 8, 8);
    if (word != kBlanks) break;
  }
  while (n > 0 && (field[n - 1] == ' ' || field[n - 1] == '\0')) --n;
  return std::string_view(field, n);
}

inline void PutLe(std::uint64_t v, char* p, int size) {
  for (int i = 0; i < size; ++i, v >>= 8) p[i] = static_cast<char>(v & 0xFF);
}
inline void PutU16(std::uint32_t v, char* p) {
  PutLe(v, p, 2);
}
inline void PutU32(std::uint32_t v, char* p) {
  PutLe(v, p, 4);
}

// Today's date as dBase headers keep it: year - 1900, month, day.
inline void PutToday(char* p) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  p[0] = static_cast<char>(local.tm_year & 0xFF);
  p[1] = static_cast<char>(local.tm_mon + 1);
  p[2] = static_cast<char>(local.tm_mday);
}

// 64-bit FNV-1a, continued from `hash` so that several pieces chain.
inline constexpr std::uint64_t kHashSeed = 14695981039346656037ULL;
inline std::uint64_t HashBytes(const char* p, std::size_t size, std::uint64_t hash = kHashSeed) {
  for (std::size_t i = 0; i < size; ++i) {
    hash ^= static_cast<unsigned char>(p[i]);
    hash *= 1099511628211ULL;
  }
  return hash;
}

}  // namespace zvonar
