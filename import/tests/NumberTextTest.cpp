#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>

#include "import/NumberText.h"

namespace zvonar {
namespace {

TEST(ParseInt, FollowsTheIntegerGrammar) {
  struct Case {
    std::string_view in;
    bool ok;
    int32_t want;
  };
  const Case cases[] = {
      {"0", true, 0},
      {"42", true, 42},
      {"+5", true, 5},
      {"-5", true, -5},
      {"007", true, 7},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"+", false, 0},
      {"+-5", false, 0},
      {" 1", false, 0},
      {"1 ", false, 0},
      {"0x10", false, 0},
      {"1.0", false, 0},
      {"1e3", false, 0},
  };
  for (const Case& t : cases) {
    int32_t value = 99;
    EXPECT_EQ(t.ok, ParseInt(t.in, &value)) << t.in;
    EXPECT_EQ(t.ok ? t.want : 99, value) << t.in;  // untouched on failure
    EXPECT_EQ(t.ok, IsInteger(t.in)) << t.in;
  }
}

TEST(ParseFloat, FollowsTheFloatGrammar) {
  struct Case {
    std::string_view in;
    bool ok;
    double want;
  };
  const Case cases[] = {
      {"12.50", true, 12.5},  {"+5", true, 5},
      {"-0.25", true, -0.25}, {"1.", true, 1},
      {".5", true, 0.5},      {"-.5", true, -0.5},
      {"1e5", true, 1e5},     {"1E-2", true, 0.01},
      {"1.e+3", true, 1000},  {"2147483648", true, 2147483648.0},
      {"", false, 0},         {"-", false, 0},
      {".", false, 0},        {"1e", false, 0},
      {"1e+", false, 0},      {"e5", false, 0},
      {".e5", false, 0},      {" 1", false, 0},
      {"1 ", false, 0},       {"12,5", false, 0},
      {"0x10", false, 0},     {"inf", false, 0},
      {"-inf", false, 0},     {"nan", false, 0},
      {"1e400", false, 0},    {"1e-400", false, 0},
  };
  for (const Case& t : cases) {
    double value = 99;
    EXPECT_EQ(t.ok, ParseFloat(t.in, &value)) << t.in;
    EXPECT_DOUBLE_EQ(t.ok ? t.want : 99, value) << t.in;
    EXPECT_EQ(t.ok, IsFloat(t.in)) << t.in;
  }
}

// Amounts are read on a short way; every value must still be the double
// the standard conversion gives, to the last bit, at every length and
// with every sign.
TEST(ParseFloat, PlainDecimalsMatchTheStandardConversionExactly) {
  std::mt19937_64 random(42);
  for (int i = 0; i < 200000; ++i) {
    const int digits = 1 + static_cast<int>(random() % 17);
    std::string text;
    for (int d = 0; d < digits; ++d) text += static_cast<char>('0' + random() % 10);
    const std::size_t point = random() % (text.size() + 1);
    if (random() % 4 != 0) text.insert(point, ".");
    const int sign = static_cast<int>(random() % 3);
    if (sign == 1) text.insert(0, "-");
    if (sign == 2) text.insert(0, "+");
    if (text == "." || text == "-." || text == "+.") continue;
    double got = 0, want = 0;
    ASSERT_TRUE(ParseFloat(text, &got)) << text;
    const std::string_view plain = text.front() == '+' ? std::string_view(text).substr(1) : std::string_view(text);
    std::from_chars(plain.data(), plain.data() + plain.size(), want);
    ASSERT_EQ(std::signbit(want), std::signbit(got)) << text;
    ASSERT_EQ(want, got) << text;
  }
}

TEST(PrefixLength, StopsAtTheFirstPrefixThatFails) {
  struct Case {
    std::string_view in;
    std::size_t intLength, floatLength;
  };
  const Case cases[] = {
      {"12:30:05", 2, 2},  {"abc", 0, 0},          {"", 0, 0}, {"-5", 0, 0},  // "-" alone is no number
      {"12.50 rub", 2, 5}, {"1e5", 1, 1},                                     // "1e" fails before "1e5" is reached
      {".5", 0, 0},        {"21474836480", 9, 11},                            // the tenth digit leaves the 32-bit range
      {"0x10", 1, 1},
  };
  for (const Case& t : cases) {
    EXPECT_EQ(t.intLength, IntPrefixLength(t.in)) << t.in;
    EXPECT_EQ(t.floatLength, FloatPrefixLength(t.in)) << t.in;
  }
}

TEST(FirstDigitPos, OneBasedPositionOfFirstDigit) {
  EXPECT_EQ(4u, FirstDigitPos("  +7/9"));
  EXPECT_EQ(1u, FirstDigitPos("0"));
  EXPECT_EQ(0u, FirstDigitPos(" -+abc"));
  EXPECT_EQ(0u, FirstDigitPos(""));
}

}  // namespace
}  // namespace zvonar
