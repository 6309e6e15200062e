// Number texts: the grammar is checked here, character by character, and only
// then is the value converted by std::from_chars, which alone would accept
// "inf", "nan" and trailing garbage and refuse a leading "+".
#include "import/NumberText.h"

#include <charconv>
#include <cstdint>
#include <system_error>

namespace zvonar {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::size_t DigitRun(std::string_view s, std::size_t pos) {
  std::size_t end = pos;
  while (end < s.size() && IsDigit(s[end])) ++end;
  return end - pos;
}

// `s` without a leading "+", so that from_chars takes it; a "-" stays.
std::string_view DropPlus(std::string_view s) {
  return s.starts_with('+') ? s.substr(1) : s;
}

bool HasSign(std::string_view s) {
  return s.starts_with('+') || s.starts_with('-');
}

bool MatchesIntGrammar(std::string_view s) {
  const std::size_t start = HasSign(s) ? 1 : 0;
  const std::size_t digits = DigitRun(s, start);
  return digits > 0 && start + digits == s.size();
}

bool MatchesFloatGrammar(std::string_view s) {
  std::size_t pos = HasSign(s) ? 1 : 0;
  std::size_t mantissaDigits = DigitRun(s, pos);
  pos += mantissaDigits;
  if (pos < s.size() && s[pos] == '.') {
    const std::size_t fraction = DigitRun(s, pos + 1);
    mantissaDigits += fraction;
    pos += 1 + fraction;
  }
  if (mantissaDigits == 0) return false;
  if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
    ++pos;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
    const std::size_t exponent = DigitRun(s, pos);
    if (exponent == 0) return false;
    pos += exponent;
  }
  return pos == s.size();
}

template <typename Number>
bool Convert(std::string_view s, Number* value) {
  s = DropPlus(s);
  Number v{};
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return false;
  *value = v;
  return true;
}

// Tries ever longer prefixes, exactly as the rule reads; the numbers that
// open a field are a few characters long, so the repeated checks cost little.
template <typename Accepts>
std::size_t PrefixLength(std::string_view s, Accepts accepts) {
  std::size_t n = 0;
  while (n < s.size() && accepts(s.substr(0, n + 1))) ++n;
  return n;
}

// The value of a plain decimal ("-12.50") of at most 15 digits, without an
// exponent: such a mantissa and a power of ten up to 10^15 are exact in a
// double, so one division rounds correctly and gives what from_chars
// gives. False for any other text, which from_chars then reads.
bool PlainDecimal(std::string_view s, double* value) {
  static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const bool negative = s.starts_with('-');
  std::size_t pos = HasSign(s) ? 1 : 0;
  std::uint64_t mantissa = 0;
  int digits = 0, fraction = -1;
  for (; pos < s.size(); ++pos) {
    const char c = s[pos];
    if (IsDigit(c)) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
      ++digits;
      if (fraction >= 0) ++fraction;
    } else if (c == '.' && fraction < 0) {
      fraction = 0;
    } else {
      return false;
    }
  }
  if (digits == 0 || digits > 15) return false;
  const double v = static_cast<double>(mantissa) / kPowers[fraction < 0 ? 0 : fraction];
  *value = negative ? -v : v;
  return true;
}

}  // namespace

bool ParseInt(std::string_view s, int32_t* value) {
  return MatchesIntGrammar(s) && Convert(s, value);
}

bool ParseFloat(std::string_view s, double* value) {
  // Sums read millions of amounts, nearly all plain decimals.
  return MatchesFloatGrammar(s) && (PlainDecimal(s, value) || Convert(s, value));
}

bool IsInteger(std::string_view s) {
  int32_t ignored = 0;
  return ParseInt(s, &ignored);
}

bool IsFloat(std::string_view s) {
  double ignored = 0;
  return ParseFloat(s, &ignored);
}

std::size_t IntPrefixLength(std::string_view s) {
  return PrefixLength(s, IsInteger);
}

std::size_t FloatPrefixLength(std::string_view s) {
  return PrefixLength(s, IsFloat);
}

std::size_t FirstDigitPos(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (IsDigit(s[i])) return i + 1;
  }
  return 0;
}

}  // namespace zvonar
