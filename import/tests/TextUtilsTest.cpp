#include <gtest/gtest.h>

#include "base/Cp1251.h"
#include "import/TextUtils.h"

namespace zvonar {
namespace {

using Items = std::vector<std::string>;

// Code page 1251 words used below.
constexpr std::string_view kYolkaCaps = "\xA8\xCB\xCA\xC0";   // ЁЛКА
constexpr std::string_view kYolkaSmall = "\xB8\xEB\xEA\xE0";  // ёлка
constexpr std::string_view kYelka = "\xE5\xEB\xEA\xE0";       // елка
constexpr std::string_view kYelkaCaps = "\xC5\xCB\xCA\xC0";   // ЕЛКА

TEST(LowerCharRu, FoldsLatinCyrillicAndCapitalYoOnly) {
  struct Case {
    char in;
    char want;
  };
  // А -> а, Я -> я, Ё -> ё; ё stays (only LowerTextRu turns it into е); the codes
  // next to each range and letters already small stay as they are.
  const Case cases[] = {
      {'A', 'a'}, {'Z', 'z'}, {'\xC0', '\xE0'}, {'\xDF', '\xFF'}, {'\xA8', '\xB8'}, {'\xB8', '\xB8'},
      {'@', '@'}, {'[', '['}, {'\xBF', '\xBF'}, {'a', 'a'},       {'\xE0', '\xE0'}, {'1', '1'},
  };
  for (const Case& t : cases) EXPECT_EQ(t.want, LowerCharRu(t.in)) << static_cast<int>(t.in);
}

TEST(LowerTextRu, FoldsYoAndYeToTheSameText) {
  EXPECT_EQ(kYelka, LowerTextRu(kYolkaCaps));
  EXPECT_EQ(kYelka, LowerTextRu(kYolkaSmall));
  EXPECT_EQ(kYelka, LowerTextRu(kYelkaCaps));
  EXPECT_EQ("abc 12", LowerTextRu("AbC 12"));
}

TEST(PosNoCase, FindsOneBasedPositionAcrossCase) {
  const std::string haystack = "xx " + std::string(kYelkaCaps);
  const std::string yolka = "\xA8\xEB\xEA\xE0";  // Ёлка
  EXPECT_EQ(4u, PosNoCase(yolka, haystack));
  EXPECT_EQ(1u, PosNoCase("AB", "abab"));
  EXPECT_EQ(0u, PosNoCase("abc", "ab"));
  EXPECT_EQ(0u, PosNoCase("", "abc"));  // empty needle is never found
}

TEST(StartsWithText, HonoursTrimAndCaseFlags) {
  struct Case {
    std::string_view prefix, text;
    bool trim, ignoreCase, want;
  };
  const Case cases[] = {
      {"Tel", "Tellura", false, false, true},
      {"tel", "Tellura", false, false, false},
      {"tel", "Tellura", false, true, true},
      {"  Tel ", "Tellura", false, false, false},
      {"  Tel ", "  Tellura", true, false, true},
      {"Tellura!", "Tellura", false, false, false},  // prefix longer than text
      {"", "anything", false, false, true},
      {"\xB8", "\xC5\xEB", false, true, true},  // ё matches Ел when folded
  };
  for (const Case& t : cases)
    EXPECT_EQ(t.want, StartsWithText(t.prefix, t.text, t.trim, t.ignoreCase)) << t.prefix << "|" << t.text;
}

TEST(ContainsAnyOf, LooksForTheTextInsideItems) {
  const Items items = {"Calls", "SMS out"};
  EXPECT_TRUE(ContainsAnyOf("sms", &items));
  EXPECT_TRUE(ContainsAnyOf("ALL", &items));
  EXPECT_FALSE(ContainsAnyOf("SMS out, roaming", &items));  // the item inside the text does not count
  EXPECT_FALSE(ContainsAnyOf("", &items));
  const Items none;
  EXPECT_FALSE(ContainsAnyOf("sms", &none));
  EXPECT_FALSE(ContainsAnyOf("sms", nullptr));
}

TEST(HasWholeWord, NeedsANonLetterOrAnEndOnEachSide) {
  // Texts are written in UTF-8 here and compared in code page 1251.
  const auto cp = [](std::string_view utf8) {
    std::string out;
    EXPECT_TRUE(Utf8ToCp1251(utf8, &out).ok()) << utf8;
    return out;
  };
  struct Case {
    std::string_view text, word;
    bool want;
  };
  const Case cases[] = {
      {"51", "51", true},       // equal
      {"51", "1", false},       // a digit before it
      {"51", "5", false},       // a digit after it
      {"1 + 51", "1", true},    // the first one stands alone
      {"51#1", "1", true},      // a later occurrence counts
      {"SMS-in", "SMS", true},  // '-' bounds a word
      {"SMSin", "SMS", false},
      {"sms", "SMS", false},  // no folding here
      {"Исходящий звонок", "звонок", true},
      {"Исходящий звонок", "Исходящий звонок", true},
      {"Исходящий звонок", "ходящий", false},  // Cyrillic letters are letters
      {"Вхідний", "Вх", false},                // so are the Ukrainian ones
      {"Ёлка", "лка", false},
      {"№5", "5", true},  // the number sign is no letter
      {"5", "", false},
      {"", "5", false},
  };
  for (const Case& t : cases) EXPECT_EQ(t.want, HasWholeWord(cp(t.text), cp(t.word))) << t.text << "|" << t.word;
  EXPECT_TRUE(IsLetterOrDigitRu('\xB3'));                         // і
  EXPECT_FALSE(IsLetterOrDigitRu('\xB5'));                        // µ is no Cyrillic letter
  EXPECT_EQ(std::string(kYolkaSmall), LowerCharsRu(kYolkaCaps));  // Ё folds to ё, not to е
}

TEST(TextCutting, FirstAndLastVariants) {
  struct Case {
    std::string_view in, beforeFirst, afterFirst, beforeLast, afterLast;
  };
  const Case cases[] = {
      {"a#b#c", "a", "b#c", "a#b", "c"},
      {"#b", "", "b", "", "b"},
      {"a#", "a", "", "a", ""},
      {"abc", "abc", "", "", "abc"},  // separator absent
      {"", "", "", "", ""},
  };
  for (const Case& t : cases) {
    EXPECT_EQ(t.beforeFirst, TextBeforeFirst(t.in, '#')) << t.in;
    EXPECT_EQ(t.afterFirst, TextAfterFirst(t.in, '#')) << t.in;
    EXPECT_EQ(t.beforeLast, TextBeforeLast(t.in, '#')) << t.in;
    EXPECT_EQ(t.afterLast, TextAfterLast(t.in, '#')) << t.in;
  }
}

TEST(TextBetween, FirstAndLastPairs) {
  struct Case {
    std::string_view in, first, last;
  };
  const Case cases[] = {
      {"<td>12</td><td>34</td>", "td", "34"},
      {"a<12", "12", "a"},  // no c2 after the first c1 / no c1 before the last c2
      {"x>12<", "", "12"},
      {"12</td>", "/td", "12"},
      {"plain", "", ""},
  };
  for (const Case& t : cases) {
    EXPECT_EQ(t.first, TextBetweenFirst(t.in, '<', '>')) << t.in;
    EXPECT_EQ(t.last, TextBetweenLast(t.in, '>', '<')) << t.in;
  }
  EXPECT_EQ("d", TextBetweenLast("a[b]c[d]", '[', ']'));
  EXPECT_EQ("", TextBetweenLast("a[b", '[', ']'));
}

TEST(Trimming, OnceAllAndDashes) {
  EXPECT_EQ("a\"b", StripCharOnce("\"a\"b\"", '"'));
  EXPECT_EQ("\"x\"", StripCharOnce("\"\"x\"\"", '"'));
  EXPECT_EQ("", StripCharOnce("\"", '"'));
  EXPECT_EQ("x", StripCharOnce("x\"", '"'));
  EXPECT_EQ("x", StripCharAll("  x  ", ' '));
  EXPECT_EQ("a b", StripCharAll("a b", ' '));
  EXPECT_EQ("", StripCharAll("   ", ' '));
  EXPECT_EQ("", StripLeadingDashes("---"));
  EXPECT_EQ("x-_ ", StripLeadingDashes("- _-x-_ "));
  EXPECT_EQ("", StripLeadingDashes(""));
}

TEST(Spaces, CollapseRemoveAndReplace) {
  EXPECT_EQ(" a b ", CollapseSpaces("   a  b    "));
  EXPECT_EQ("a\t\tb", CollapseSpaces("a\t\tb"));
  EXPECT_EQ("ab", RemoveSpaces(" a  b "));
  EXPECT_EQ("12.50", ReplaceChar(',', '.', "12,50"));
  EXPECT_EQ("1.2.3", ReplaceChar(',', '.', "1,2,3"));
  EXPECT_EQ("abc", ReplaceChar(',', '.', "abc"));
}

TEST(StripTags, RemovesCompleteTagsOnly) {
  struct Case {
    std::string_view in, want;
  };
  const Case cases[] = {
      {"<td>12</td>", "12"},
      {"<td class=\"c\"><b>1</b>2</td>", "12"},
      {"a < b", "a < b"},             // lone '<' comes back unchanged
      {"<b>x</b> < y", "x < y"},      // ... also after tags were removed
      {"x > y <i>z</i>", "x > y z"},  // a '>' before any '<' stays
      {"a<b<c>d", "ad"},              // from the first '<' to the first '>' after it
  };
  for (const Case& t : cases) EXPECT_EQ(t.want, StripTags(t.in)) << t.in;
}

TEST(SplitByChar, CountsAndEmptyPieces) {
  Items list;
  EXPECT_EQ(3u, SplitByChar("a##b", '#', &list));
  EXPECT_EQ((Items{"a", "", "b"}), list);

  EXPECT_EQ(5u, SplitByChar("c#", '#', &list));  // appends; count includes earlier items
  EXPECT_EQ((Items{"a", "", "b", "c", ""}), list);

  Items single = {"old"};
  EXPECT_EQ(1u, SplitByChar("abc", '#', &single));  // no separator: 1, not the count
  EXPECT_EQ((Items{"old", "abc"}), single);

  Items empty;
  EXPECT_EQ(0u, SplitByChar("", '#', &empty));  // empty text: one empty item, result 0
  EXPECT_EQ((Items{""}), empty);

  Items halves;
  EXPECT_EQ(2u, SplitByChar("#", '#', &halves));
  EXPECT_EQ((Items{"", ""}), halves);

  EXPECT_EQ(0u, SplitByChar("a#b", '#', nullptr));
}

TEST(SplitByDelimiters, DropsShortItemsIncludingEarlierOnes) {
  Items list = {"x", "keep"};
  SplitByDelimiters("a, bc;;def", ",; ", &list);
  EXPECT_EQ((Items{"keep", "bc", "def"}), list);

  Items runs;
  SplitByDelimiters(";;ab;;;cd;", ";", &runs);
  EXPECT_EQ((Items{"ab", "cd"}), runs);

  SplitByDelimiters("", ";", &runs);
  EXPECT_EQ((Items{"ab", "cd"}), runs);
  SplitByDelimiters("ab", ";", nullptr);  // must not crash
}

TEST(JoinPath, ExactlyOneSeparator) {
  EXPECT_EQ("/data/zvonar/settings.ini", JoinPath("/data/zvonar/", "settings.ini"));
  EXPECT_EQ("/data/zvonar/settings.ini", JoinPath("/data/zvonar", "settings.ini"));
  EXPECT_EQ("/fields.dat", JoinPath("", "fields.dat"));
  // Paths are the file system's UTF-8 bytes; only "/" is looked at.
  EXPECT_EQ("/tmp/Счета Ω/1234567-[2008.Март].sum", JoinPath("/tmp/Счета Ω", "1234567-[2008.Март].sum"));
}

TEST(FileExtNoDot, NeedsMoreThanFourCharacters) {
  struct Case {
    std::string_view in, want;
  };
  const Case cases[] = {
      {"a.txt", "txt"},
      {"x.htm", "htm"},
      {"bill.2024.html", "html"},
      {"a.tx", ""},                           // four characters: no extension
      {"README", "README"},                   // longer name without a dot gives itself
      {"/tmp/Счета 2008/счёт.html", "html"},  // UTF-8 path bytes pass untouched
  };
  for (const Case& t : cases) EXPECT_EQ(t.want, FileExtNoDot(t.in)) << t.in;
}

}  // namespace
}  // namespace zvonar
