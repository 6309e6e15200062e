#include <gtest/gtest.h>

#include "base/tests/TestSupport.h"
#include "books/AbonentsBook.h"
#include "cli/tests/CliTestSupport.h"

namespace zvonar {
namespace {

using testing::ReadOrEmpty;
using testing::RunArgs;
using testing::TempDir;

class CliBookTest : public ::testing::Test {
 protected:
  testing::CliRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", dir_.path(), "book"});
    return RunArgs(args);
  }
  std::string Book() const { return ReadOrEmpty(dir_.File("abonents.dat")); }
  TempDir dir_;
};

TEST_F(CliBookTest, SetListDeleteRoundTripInUtf8) {
  auto run = Cli({"list"});
  EXPECT_EQ(0, run.code) << run.err;
  EXPECT_EQ("", run.out);  // no book yet: an empty one

  run = Cli({"set", "79161234567", "Иван Петров"});
  EXPECT_EQ(0, run.code) << run.err;
  EXPECT_EQ("1 entry added\n", run.out);
  EXPECT_EQ(0u, Book().rfind("Zvonar v.2.3.3.65,  (", 0));
  EXPECT_NE(std::string::npos,
            Book().find("\r\n[Abonents]\r\n79161234567=\xc8\xe2\xe0\xed \xcf\xe5\xf2\xf0\xee\xe2\r\n"));

  EXPECT_EQ("1 entry added\n", Cli({"set", "79031112233", "No 2"}).out);
  EXPECT_EQ("1 entry changed\n", Cli({"set", "79161234567", "Ёлкин"}).out);
  EXPECT_EQ("0 entries changed\n", Cli({"set", "79161234567", "Ёлкин"}).out);
  EXPECT_EQ("79161234567\tЁлкин\n79031112233\tNo 2\n", Cli({"list"}).out);

  run = Cli({"delete", "79161234567"});
  EXPECT_EQ(0, run.code) << run.err;
  EXPECT_EQ("1 entry deleted\n", run.out);
  EXPECT_EQ("79031112233\tNo 2\n", Cli({"list"}).out);

  // A TAB written into the file by hand is listed escaped.
  testing::WriteOrDie(dir_.File("abonents.dat"), "stamp\r\n[Abonents]\r\n7903=Tab\there\r\n");
  EXPECT_EQ("7903\tTab\\there\n", Cli({"list"}).out);
}

TEST_F(CliBookTest, TheDialogsRulesAndRefusals) {
  ASSERT_EQ(0, Cli({"set", "7901", "A"}).code);
  const std::string before = Book();
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string_view message;  // part of the error line
  };
  const Case cases[] = {
      {{"set", "7901", "日本"}, 1, "the name"},  // code page 1251 cannot hold it
      {{"set", "79日本", "A"}, 1, "the number"},
      {{"set", "791", "A"}, 1, "at least 4 characters"},
      {{"set", "7902", ""}, 1, "at least 4 characters"},
      {{"set", "79=02", "A"}, 1, "\"=\""},
      {{"set", "7902", "A\nB"}, 1, "line break"},
      {{"set", "7902", "A\tB"}, 1, "TAB"},
      {{"set", "7902", "Иванов #2"}, 1, "\"#\""},
      {{"set", "79#2", "A"}, 1, "\"#\""},
      {{"set", "7902", "   "}, 1, "The name is empty or only blanks."},
      {{"set", "7902", std::string(51, 'n')},
       1,
       "The text is 51 characters long; the field Abonent holds 50 (its width is set in the DB Fields dialog)."},
      {{"delete", "7999"}, 1, "7999 is not in"},
      {{"set", "7902"}, 2, "usage: zvonar-cli [--dir DIR] book"},
      {{"list", "x"}, 2, "usage:"},
      {{"frob"}, 2, "usage:"},
      {{}, 2, "usage:"},
  };
  for (const Case& t : cases) {
    const auto run = Cli(t.args);
    EXPECT_EQ(t.code, run.code) << run.err;
    EXPECT_NE(std::string::npos, run.err.find(t.message)) << run.err;
    EXPECT_EQ("", run.out);
  }
  EXPECT_EQ(before, Book());
}

TEST_F(CliBookTest, SharesTheFileWithTheDialogsCode) {
  // A book written elsewhere, with a foreign stamp and a second section.
  testing::WriteOrDie(dir_.File("abonents.dat"), "old ;Vextrano\r\n[Abonents]\r\nabc1=X\r\n\r\n[Other]\r\nk=v\r\n");
  EXPECT_EQ("1 entry changed\n", Cli({"set", "ABC1", "Y"}).out);  // keys ignore letter case
  EXPECT_EQ("1 entry added\n", Cli({"set", "7901", "Z"}).out);
  std::vector<AbonentEntry> entries;
  ASSERT_TRUE(LoadAbonentsBook(dir_.File("abonents.dat"), &entries).ok());
  EXPECT_EQ((std::vector<AbonentEntry>{{"abc1", "Y"}, {"7901", "Z"}}), entries);
  const std::string book = Book();
  EXPECT_EQ(0u, book.rfind("Zvonar v.2.3.3.65", 0));
  EXPECT_NE(std::string::npos, book.find("7901=Z\r\n\r\n[Other]\r\nk=v\r\n"));
}

TEST_F(CliBookTest, AddNoNamesFromTheTableOrTheFilter) {
  testing::WriteOrDie(dir_.File("records.tsv"),
                      "79001\t2006.05.01 10:00:00\t79031112233\t\t1\tCall\t30\t1\t1.50\t\t1.50\t\n"
                      "79001\t2006.05.02 10:00:00\t79031112233\t\t1\tCall\t30\t1\t1.50\t\t1.50\t\n"
                      "79002\t2006.05.03 10:00:00\t2345678\t\t1\tCall\t30\t1\t1.50\t\t1.50\t\n"
                      "79002\t2006.05.04 10:00:00\t79265554433\tNamed\t1\tCall\t30\t1\t1.50\t\t1.50\t\n"
                      "79002\t2006.05.05 10:00:00\t0611\t\t1\tCall\t30\t1\t1.50\t\t1.50\t\n");
  ASSERT_EQ(0, RunArgs({"--dir", dir_.path(), "load-tsv", dir_.File("records.tsv")}).code);
  testing::WriteOrDie(dir_.File("settings.ini"), "[Settings]\r\nmodePhoneCode=1\r\nPhoneCodeTown=123\r\n");
  ASSERT_EQ(0, Cli({"set", "89031112233", "Known"}).code);  // another spelling of the first number

  auto run = RunArgs({"--dir", dir_.path(), "add-nonames", "--owner", "79001"});
  EXPECT_EQ(0, run.code) << run.err;
  EXPECT_EQ("0 numbers added to abonents.dat\n", run.out);
  run = RunArgs({"--dir", dir_.path(), "add-nonames"});
  EXPECT_EQ(0, run.code) << run.err;
  EXPECT_EQ("1 number added to abonents.dat\n", run.out);
  // No language file: the placeholder name is empty.
  EXPECT_EQ("89031112233\tKnown\n+71232345678\t\n", Cli({"list"}).out);
}

// The Abonent width is that of the table when there is one, else the one
// the DB Fields settings would create it with.
TEST_F(CliBookTest, ANameMustFitTheAbonentFieldOfTheTable) {
  testing::WriteOrDie(dir_.File("settings.ini"), "[DB]\r\nAbonent_Field=8\r\n");
  EXPECT_EQ(1, Cli({"set", "7901", "Nine char"}).code);
  EXPECT_EQ(0, Cli({"set", "7901", "Eight ch"}).code);
  // A table made with 10 characters for Abonent decides once it exists.
  testing::WriteOrDie(dir_.File("settings.ini"), "[DB]\r\nAbonent_Field=10\r\n");
  ASSERT_EQ(0, RunArgs({"--dir", dir_.path(), "dump"}).code);
  testing::WriteOrDie(dir_.File("settings.ini"), "[DB]\r\nAbonent_Field=8\r\n");
  EXPECT_EQ(0, Cli({"set", "7901", "Nine char"}).code);
  const auto run = Cli({"set", "7901", "Eleven char"});
  EXPECT_EQ(1, run.code);
  EXPECT_NE(std::string::npos, run.err.find("Abonent holds 10")) << run.err;
}

// A key the name lookup does not try (an "S..." number, a short town number
// written with "+7" and the town code) keeps the name the book gives it.
TEST_F(CliBookTest, AddNoNamesNeverReplacesAName) {
  testing::WriteOrDie(dir_.File("records.tsv"),
                      "79001\t2006.05.01 10:00:00\tS12345678\t\t1\tCall\t30\t1\t1.50\t\t1.50\t\n"
                      "79001\t2006.05.02 10:00:00\t234567\t\t1\tCall\t30\t1\t1.50\t\t1.50\t\n"
                      "79001\t2006.05.03 10:00:00\t79265554433\t\t1\tCall\t30\t1\t1.50\t\t1.50\t\n");
  ASSERT_EQ(0, RunArgs({"--dir", dir_.path(), "load-tsv", dir_.File("records.tsv")}).code);
  testing::WriteOrDie(dir_.File("settings.ini"), "[Settings]\r\nmodePhoneCode=1\r\nPhoneCodeTown=12\r\n");
  ASSERT_EQ(0, Cli({"set", "S12345678", "Service"}).code);
  ASSERT_EQ(0, Cli({"set", "+712234567", "Town"}).code);

  for (const std::vector<std::string>& criteria : {std::vector<std::string>{}, {"--owner", "79001"}}) {
    std::vector<std::string> args = {"--dir", dir_.path(), "add-nonames"};
    args.insert(args.end(), criteria.begin(), criteria.end());
    const auto run = RunArgs(args);
    EXPECT_EQ(0, run.code) << run.err;
    // Only the number without a name is new; a second run adds nothing.
    EXPECT_EQ(criteria.empty() ? "1 number added to abonents.dat\n" : "0 numbers added to abonents.dat\n", run.out);
    EXPECT_EQ("S12345678\tService\n+712234567\tTown\n79265554433\t\n", Cli({"list"}).out);
  }
}

}  // namespace
}  // namespace zvonar
