// Numbers written as text in bills, settings and lists. One grammar serves
// every reader, whatever the locale:
//   integer: an optional "+" or "-" and decimal digits, within 32-bit signed
//            range;
//   floating point: an optional sign, then digits with an optional "." and
//            optional further digits, or "." and digits; then an optional
//            exponent: "e" or "E", an optional sign and digits. The value must
//            fit a double: one that overflows, or a non-zero one that would
//            read as zero, is not a number.
// No spaces, no hexadecimal, no "inf" or "nan"; the decimal separator is
// always ".".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zvonar {

// The value of an integer text; false (and `value` untouched) when `s` is not one.
bool ParseInt(std::string_view s, int32_t* value);

// The value of a floating-point text; false (and `value` untouched) when `s`
// is not one.
bool ParseFloat(std::string_view s, double* value);

// True when `s` is an integer text.
bool IsInteger(std::string_view s);

// True when `s` is a floating-point text.
bool IsFloat(std::string_view s);

// Length of the leading part of `s` read as an integer: grows one character
// at a time while each longer prefix is still an integer and stops at the
// first that is not. "12:30:05" gives 2; "-5" gives 0, since "-" alone fails.
std::size_t IntPrefixLength(std::string_view s);

// The same with floating-point texts: "1.5x" gives 3, while "1e5" gives 1,
// since "1e" fails.
std::size_t FloatPrefixLength(std::string_view s);

// 1-based position of the first decimal digit of `s`; 0 when there is none.
std::size_t FirstDigitPos(std::string_view s);

}  // namespace zvonar
