#include "base/Cp1251.h"

#include <gtest/gtest.h>

namespace zvonar {
namespace {

TEST(Cp1251, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::string back;
  ASSERT_TRUE(Utf8ToCp1251(Cp1251ToUtf8(all), &back).ok());
  EXPECT_EQ(all, back);
}

TEST(Cp1251, KnownCharacters) {
  struct Case { unsigned char byte; const char* utf8; };
  const Case cases[] = {
      {0xC0, "А"}, {0xFF, "я"}, {0xA8, "Ё"}, {0xB8, "ё"}, {0xB9, "№"},
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

}  // namespace
}  // namespace zvonar
