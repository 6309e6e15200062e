#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/Cp1251.h"

namespace zvonar {
namespace {

TEST(Cp1251, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::string back;
  ASSERT_TRUE(Utf8ToCp1251(Cp1251ToUtf8(all), &back).ok());
  EXPECT_EQ(all, back);
}

// The code point the C library's own converter gives for one byte; 0 when
// it knows none.
char32_t SystemCodePoint(unsigned char byte) {
  const iconv_t cd = iconv_open("UTF-32LE", "CP1251");
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  char in = static_cast<char>(byte);
  unsigned char out[4] = {0, 0, 0, 0};
  char* inAt = &in;
  char* outAt = reinterpret_cast<char*>(out);
  std::size_t inLeft = 1, outLeft = sizeof out;
  const std::size_t done = iconv(cd, &inAt, &inLeft, &outAt, &outLeft);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1) || outLeft != 0) return 0;
  return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | static_cast<std::uint32_t>(out[3]) << 24);
}

TEST(Cp1251, EveryUpperByteMapsAsTheSystemConverterSays) {
  ASSERT_EQ(U'\u0416', SystemCodePoint(0xC6)) << "the C library has no CP1251 converter";
  for (int b = 0x80; b <= 0xFF; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    char32_t want = SystemCodePoint(byte);
    if (b == 0x98) {
      EXPECT_EQ(0u, want);  // unassigned: the library refuses it, the program keeps it as U+0098
      want = 0x98;
    }
    ASSERT_NE(0u, want) << std::hex << b;
    EXPECT_EQ(want, Cp1251ToCodePoint(static_cast<char>(byte))) << std::hex << b;
    char back = 0;
    EXPECT_TRUE(CodePointToCp1251(want, &back)) << std::hex << b;
    EXPECT_EQ(static_cast<char>(byte), back) << std::hex << b;
    // The UTF-8 form agrees with the code point.
    std::string utf8;
    if (want < 0x800) {
      utf8 += static_cast<char>(0xC0 | want >> 6);
    } else {
      utf8 += static_cast<char>(0xE0 | want >> 12);
      utf8 += static_cast<char>(0x80 | (want >> 6 & 0x3F));
    }
    utf8 += static_cast<char>(0x80 | (want & 0x3F));
    EXPECT_EQ(utf8, Cp1251ToUtf8(std::string(1, static_cast<char>(byte)))) << std::hex << b;
  }
  for (int b = 0; b < 0x80; ++b) EXPECT_EQ(static_cast<char32_t>(b), Cp1251ToCodePoint(static_cast<char>(b)));
}

TEST(Cp1251, KnownCharacters) {
  struct Case {
    unsigned char byte;
    const char* utf8;
  };
  const Case cases[] = {
      {0xC0, "А"}, {0xFF, "я"}, {0xA8, "Ё"},      {0xB8, "ё"},      {0xB9, "№"},
      {0x88, "€"}, {0x96, "–"}, {0xA0, "\u00A0"}, {0x98, "\u0098"}, {0x41, "A"},
  };
  for (const Case& t : cases) {
    const std::string byte(1, static_cast<char>(t.byte));
    EXPECT_EQ(t.utf8, Cp1251ToUtf8(byte)) << int(t.byte);
    std::string back;
    ASSERT_TRUE(Utf8ToCp1251(t.utf8, &back).ok()) << int(t.byte);
    EXPECT_EQ(byte, back);
  }
}

TEST(Cp1251, CharacterWithoutCodeIsAnErrorNotAQuestionMark) {
  std::string out = "kept";
  Status s = Utf8ToCp1251("abc 日本", &out);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(std::string::npos, s.message().find("U+65E5")) << s.message();
  EXPECT_EQ("kept", out);
  EXPECT_FALSE(Utf8ToCp1251("emoji \xF0\x9F\x98\x80", &out).ok());
}

TEST(Cp1251, MalformedUtf8IsRejected) {
  std::string out;
  for (const char* bad : {"\xC3", "\xE2\x82", "\xFF", "\xC0\xAF", "\xED\xA0\x80", "a\x80"})
    EXPECT_FALSE(Utf8ToCp1251(bad, &out).ok()) << bad;
}

// The C library's verdict on `bytes` as UTF-8.
bool SystemTakesUtf8(const std::string& bytes) {
  iconv_t cd = ::iconv_open("UTF-32LE", "UTF-8");
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  std::string wide(bytes.size() * 4 + 4, '\0');
  char* to = wide.data();
  std::size_t toLeft = wide.size();
  const bool ok = ::iconv(cd, &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
  ::iconv_close(cd);
  return ok;
}

TEST(Cp1251, Utf8CheckAgreesWithTheSystemConverter) {
  // Every one- and two-byte string, the bytes of a code page 1251 bill line,
  // and the edges of the three- and four-byte forms.
  std::vector<std::string> cases = {"",
                                    "\xD1\xF7\xE5\xF2 \xEA\xEB\xE8\xE5\xED\xF2\xE0",
                                    "\xD0\xA1\xD1\x87\xD0\xB5\xD1\x82",
                                    "\xE0\xA0\x80",
                                    "\xE0\x9F\xBF",
                                    "\xED\x9F\xBF",
                                    "\xED\xA0\x80",
                                    "\xEF\xBF\xBF",
                                    "\xF0\x90\x80\x80",
                                    "\xF0\x8F\xBF\xBF",
                                    "\xF4\x8F\xBF\xBF",
                                    "\xF4\x90\x80\x80",
                                    "\xF8\x88\x80\x80\x80",
                                    "ab\xE2\x82\xAC",
                                    "ab\xE2\x82"};
  for (int a = 0; a < 256; ++a) {
    cases.emplace_back(1, static_cast<char>(a));
    for (int b = 0x70; b < 256; b += 3) cases.push_back(std::string{static_cast<char>(a), static_cast<char>(b)});
  }
  for (const std::string& bytes : cases) {
    std::string hex;
    for (unsigned char c : bytes) hex += std::to_string(c) + " ";
    EXPECT_EQ(SystemTakesUtf8(bytes), IsValidUtf8(bytes)) << hex;
  }
}

}  // namespace
}  // namespace zvonar
