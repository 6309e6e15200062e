#include "analysis/FindRows.h"

#include <gtest/gtest.h>

#include <random>

#include "base/Cp1251.h"
#include "base/tests/TestSupport.h"
#include "store/DetalTable.h"
#include "store/Table.h"

namespace zvonar {
namespace {

std::string Cp(std::string_view utf8) {
  std::string out;
  EXPECT_TRUE(Utf8ToCp1251(utf8, &out).ok()) << utf8;
  return out;
}

// A result row with the searched columns given and text in every other one,
// so a match found there would show.
std::array<std::string_view, kResultColumns> Row(std::string_view number, std::string_view abonent,
                                                 std::string_view code, std::string_view type,
                                                 std::string_view roaming) {
  return {"79990000000", "2024.03.15 14:30:05", number, abonent, code, type, "60", "1", "1.50", "0.00", "1.50",
          roaming};
}

std::vector<std::uint32_t> Found(FindRows& rows, std::string_view text) {
  rows.Search(text);
  return rows.Matches();
}

using Matches = std::vector<std::uint32_t>;

TEST(FindRows, LooksInNumberAbonentCodeTypeAndRoamingOnly) {
  const std::string ivan = Cp("Иван Ёлкин");
  const std::string beeline = Cp("Роуминг Казахстан");
  ResultRows list;
  list.Append(Row("79161234567", ivan, "1", "out", ""));
  list.Append(Row("84951112233", "", "G", "GPRS", beeline));
  list.Append(Row("", "Anna", "8", "SMS", ""));
  FindRows rows = FindRowsOfList(list);
  ASSERT_EQ(3u, rows.RowCount());
  EXPECT_EQ((Matches{0}), Found(rows, "1234"));
  EXPECT_EQ((Matches{1}), Found(rows, "gprs"));
  EXPECT_EQ((Matches{2}), Found(rows, "sms"));
  EXPECT_EQ((Matches{1, 2}), Found(rows, "S"));  // "GPRS", "SMS"
  EXPECT_EQ((Matches{1}), Found(rows, Cp("казах")));
  // Owner, Date / Time and the figures are not looked in.
  EXPECT_EQ(Matches{}, Found(rows, "7999"));
  EXPECT_EQ(Matches{}, Found(rows, "2024.03"));
  EXPECT_EQ(Matches{}, Found(rows, "1.50"));
  EXPECT_EQ(Matches{}, Found(rows, ""));
}

TEST(FindRows, FoldsLetterCaseAsTheFilterDoes) {
  ResultRows list;
  list.Append(Row("", Cp("ИВАНОВ Пётр"), "", "", ""));
  list.Append(Row("", Cp("ёжик"), "", "", ""));
  list.Append(Row("", Cp("Ежевика"), "", "OUT", ""));
  FindRows rows = FindRowsOfList(list);
  EXPECT_EQ((Matches{0}), Found(rows, Cp("иванов")));
  EXPECT_EQ((Matches{0}), Found(rows, Cp("пЁТР")));
  EXPECT_EQ((Matches{1}), Found(rows, Cp("ЁЖ")));
  // Ё and Е are two letters, not two cases of one.
  EXPECT_EQ((Matches{2}), Found(rows, Cp("еж")));
  EXPECT_EQ((Matches{2}), Found(rows, "Out"));
}

TEST(FindRows, AMatchNeverRunsFromOneCellIntoTheNext) {
  ResultRows list;
  list.Append(Row("12", "34", "5", "6", "7"));
  list.Append(Row("1234", "", "", "", ""));
  FindRows rows = FindRowsOfList(list);
  EXPECT_EQ((Matches{1}), Found(rows, "1234"));
  EXPECT_EQ((Matches{1}), Found(rows, "23"));
  EXPECT_EQ(Matches{}, Found(rows, "56"));
  EXPECT_EQ(Matches{}, Found(rows, std::string_view("1\0", 2)));
}

TEST(FindRows, StepsForwardAndBackWrappingAtTheEnds) {
  ResultRows list;
  for (const char* number : {"100", "200", "101", "300", "102"}) list.Append(Row(number, "", "", "", ""));
  FindRows rows = FindRowsOfList(list);
  rows.Search("10");
  ASSERT_EQ((Matches{0, 2, 4}), rows.Matches());

  const auto at = [](std::optional<FindHit> hit) {
    EXPECT_TRUE(hit.has_value());
    return hit ? std::tuple(hit->row, hit->ordinal, hit->wrapped) : std::tuple(std::size_t{99}, std::size_t{0}, false);
  };
  EXPECT_EQ(std::tuple(std::size_t{2}, std::size_t{2}, false), at(rows.AtOrAfter(1)));
  EXPECT_EQ(std::tuple(std::size_t{2}, std::size_t{2}, false), at(rows.AtOrAfter(2)));
  EXPECT_EQ(std::tuple(std::size_t{4}, std::size_t{3}, false), at(rows.After(2)));
  EXPECT_EQ(std::tuple(std::size_t{0}, std::size_t{1}, true), at(rows.After(4)));
  EXPECT_EQ(std::tuple(std::size_t{0}, std::size_t{1}, true), at(rows.AtOrAfter(5)));
  EXPECT_EQ(std::tuple(std::size_t{0}, std::size_t{1}, false), at(rows.Before(2)));
  EXPECT_EQ(std::tuple(std::size_t{4}, std::size_t{3}, true), at(rows.Before(0)));
  EXPECT_EQ(2u, rows.OrdinalOf(2));
  EXPECT_EQ(0u, rows.OrdinalOf(3));
  EXPECT_TRUE(rows.IsMatch(4));
  EXPECT_FALSE(rows.IsMatch(1));

  rows.Search("999");
  EXPECT_FALSE(rows.AtOrAfter(0));
  EXPECT_FALSE(rows.After(0));
  EXPECT_FALSE(rows.Before(0));
}

// Typing, deleting and retyping over many rows gives what a plain search of
// every row gives, whichever way each keystroke is answered.
TEST(FindRows, TypingAndDeletingAgreeWithASearchOfEveryRow) {
  std::mt19937 random(7);
  std::vector<std::string> numbers;
  ResultRows list;
  for (int i = 0; i < 2000; ++i) {
    numbers.push_back(std::to_string(random() % 100000));
    list.Append(Row(numbers.back(), i % 97 == 0 ? "Zed" : "", "", "", ""));
  }
  FindRows rows = FindRowsOfList(list);
  for (const char* text : {"1", "12", "123", "12", "1", "", "z", "ze", "zed", "zedx", "zed", "9", "99", "991"}) {
    Matches want;
    for (std::size_t r = 0; r < numbers.size(); ++r) {
      const bool zed = r % 97 == 0 && *text != '\0' && std::string_view("zed").find(text) != std::string_view::npos;
      if ((*text != '\0' && numbers[r].find(text) != std::string::npos) || zed)
        want.push_back(static_cast<std::uint32_t>(r));
    }
    EXPECT_EQ(want, Found(rows, text)) << text;
  }
}

TEST(FindRowsOfTable, ReadsTheGridRowsInTheActiveOrderAndKeepsTheCurrentRecord) {
  testing::TempDir dir;
  Table table;
  std::string warning;
  ASSERT_TRUE(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
  for (const char* owner : {"C", "A", "B"}) {
    ASSERT_TRUE(table.Append().ok());
    ASSERT_TRUE(table.SetFieldText(kOwnerField, owner).ok());
    ASSERT_TRUE(table.SetFieldText(kNumberField, std::string("7900") + owner).ok());
    ASSERT_TRUE(table.SetFieldText(kRoamingField, Cp("Сеть ") + owner).ok());
    ASSERT_TRUE(table.SetFieldText(kDateTimeField, "2024.03.15 14:30:05").ok());
    const Status posted = table.Post();
    ASSERT_TRUE(posted.ok()) << posted.message();
  }
  ASSERT_TRUE(table.SetActiveIndex(kOwnerIndex).ok());
  ASSERT_TRUE(table.GoToPosition(1).ok());
  const std::uint32_t recNo = table.RecNo();

  FindRows rows;
  std::int64_t lastDone = -1;
  const auto progress = [&](std::int64_t done, std::int64_t) { lastDone = done; };
  ASSERT_TRUE(FindRowsOfTable(&table, progress, &rows).ok());
  ASSERT_EQ(3u, rows.RowCount());
  EXPECT_EQ(3, lastDone);
  EXPECT_EQ(recNo, table.RecNo());
  rows.Search("7900c");
  EXPECT_EQ((Matches{2}), rows.Matches());
  rows.Search(Cp("СЕТЬ a"));
  EXPECT_EQ((Matches{0}), rows.Matches());
}

}  // namespace
}  // namespace zvonar
