#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/NameValueList.h"

namespace zvonar {
namespace {

TEST(NameValueList, ValueIsTextAfterTheFirstEquals) {
  const NameValueList list = NameValueList::FromLines({"a=1", "b=x=y", "c=", "=blank"});
  EXPECT_EQ("1", list.Values("a"));
  EXPECT_EQ("x=y", list.Values("b"));
  EXPECT_EQ("", list.Values("c"));
  EXPECT_EQ("blank", list.Values(""));
  EXPECT_EQ("", list.Values("d"));
  EXPECT_EQ("", list.Values("b=x"));  // a name never holds "="
  EXPECT_EQ(4u, list.size());
}

TEST(NameValueList, NamesIgnoreLatinAndCyrillicCase) {
  NameValueList list;
  list.Add("Mobile=M");
  list.Add("\xC8\xE2\xE0\xED=1");  // Иван
  list.Add("\xB8\xEB\xEA\xE0=2");  // ёлка
  EXPECT_EQ("M", list.Values("MOBILE"));
  EXPECT_EQ("1", list.Values("\xC8\xC2\xC0\xCD"));  // ИВАН
  EXPECT_EQ("2", list.Values("\xA8\xCB\xCA\xC0"));  // ЁЛКА: Ё matches ё
  EXPECT_EQ("", list.Values("\xE5\xEB\xEA\xE0"));   // елка: е is another letter
}

TEST(NameValueList, FirstLineOfANameWins) {
  NameValueList list = NameValueList::FromLines({"header line", "9161234567=First", "9161234567=Second"});
  list.Add("ABC=upper");
  list.Add("abc=lower");
  EXPECT_EQ("First", list.Values("9161234567"));
  EXPECT_EQ(1, list.IndexOfName("9161234567"));
  EXPECT_EQ("upper", list.Values("abc"));
  EXPECT_EQ(3, list.IndexOfName("Abc"));
}

TEST(NameValueList, LinesWithoutEqualsHaveNoName) {
  NameValueList list = NameValueList::FromLines({"[Abonents]", "9161234567", "9161234567=Named"});
  EXPECT_EQ(-1, list.IndexOfName("[Abonents]"));
  EXPECT_EQ("Named", list.Values("9161234567"));
  EXPECT_EQ(2, list.IndexOfName("9161234567"));
  EXPECT_EQ((std::vector<std::string>{"[Abonents]", "9161234567", "9161234567=Named"}), list.lines());
}

TEST(NameValueList, ClearForgetsNames) {
  NameValueList list = NameValueList::FromLines({"a=1"});
  list.Clear();
  EXPECT_EQ(-1, list.IndexOfName("a"));
  list.Add("a=2");
  EXPECT_EQ("2", list.Values("A"));
  EXPECT_EQ(0, list.IndexOfName("a"));
}

// Thousands of names, added one by one and read in at once, each answer
// its own value; names longer than a phone number fold alike, and a name
// that is a prefix of another finds only itself.
TEST(NameValueList, ManyNamesEachFindTheirOwnLine) {
  std::vector<std::string> lines{"[Abonents]"};
  NameValueList added;
  for (int i = 0; i < 5000; ++i) {
    lines.push_back("7916" + std::to_string(1000000 + i * 37) + "=name " + std::to_string(i));
    added.Add(lines.back());
  }
  const std::string longName(100, 'x');
  lines.push_back(longName + "\xC6=long");  // ...ж
  added.Add(lines.back());
  lines.push_back("79161000000=again");  // a name met before keeps its first line
  added.Add(lines.back());
  const NameValueList read = NameValueList::FromLines(lines);
  for (const NameValueList* list : {static_cast<const NameValueList*>(&added), &read}) {
    for (int i = 0; i < 5000; i += 7) {
      const std::string number = "7916" + std::to_string(1000000 + i * 37);
      EXPECT_EQ("name " + std::to_string(i), list->Values(number)) << number;
      EXPECT_EQ(i + (list == &read ? 1 : 0), list->IndexOfName(number));
    }
    EXPECT_EQ("", list->Values("7916100000"));    // a prefix of a name
    EXPECT_EQ("", list->Values("791610000001"));  // a name with more after it
    EXPECT_FALSE(list->ValueOf("79161000001").has_value());
    EXPECT_EQ("long", list->Values(std::string(100, 'X') + "\xE6"));  // ...Ж
    EXPECT_EQ("", list->Values(std::string(99, 'x') + "\xE6"));
    EXPECT_EQ("name 0", list->Values("79161000000"));
  }
  NameValueList empty = NameValueList::FromLines({"x=", "no name"});
  ASSERT_TRUE(empty.ValueOf("X").has_value());  // a name with an empty value is found
  EXPECT_EQ("", *empty.ValueOf("X"));
}

}  // namespace
}  // namespace zvonar
