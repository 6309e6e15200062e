#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zvonar
