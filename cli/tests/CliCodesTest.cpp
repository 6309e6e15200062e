#include <gtest/gtest.h>

#include "base/tests/TestSupport.h"
#include "cli/tests/CliTestSupport.h"

namespace zvonar {
namespace {

using testing::RunArgs;
using testing::TempDir;

// Records in the form load-tsv reads; Code and Type are the fifth and sixth
// cells.
const char kRecords[] =
    "79001\t2006.05.01 10:00:00\t79031112233\t\t07\t1\t30\t1\t1.50\t\t1.50\t\n"
    "79001\t2006.05.02 10:00:00\t79031112233\t\t8\tsms\t0\t0\t0.50\t\t0.50\t\n"
    "79002\t2006.05.03 10:00:00\t79265554433\t\t5\t\t0\t0\t0.50\t\t0.50\t\n";

class CliCodesTest : public testing::CliTableTest {
 protected:
  CliCodesTest() : CliTableTest(kRecords) {}
  // Code and Type of each record, "code/type" joined by blanks.
  std::string CodeTypes() { return Cells(4, 5); }
  // Two cells of each record, "a/b" joined by blanks.
  std::string Cells(std::size_t a, std::size_t b) {
    const auto dump = Cli({"dump"});
    std::string all;
    std::size_t line = 0;
    while (line < dump.out.size()) {
      const std::size_t end = dump.out.find('\n', line);
      std::vector<std::string> cells;
      std::size_t cell = line;
      for (std::size_t tab; (tab = dump.out.find('\t', cell)) < end; cell = tab + 1)
        cells.push_back(dump.out.substr(cell, tab - cell));
      all += (all.empty() ? "" : " ") + cells[a] + "/" + cells[b];
      line = end + 1;
    }
    return all;
  }
};

TEST_F(CliCodesTest, FillAndReturnCountTheRecordsChanged) {
  const auto none = Cli({"fill-codes"});  // no codetype.dat
  EXPECT_EQ(0, none.code) << none.err;
  EXPECT_EQ("0 records changed\n", none.out);
  EXPECT_EQ("zvonar-cli: Nothing was changed: there is no codetype.dat in " + dir_.path() + ", or it holds no codes.\n",
            none.err);

  testing::WriteOrDie(dir_.File("codetype.dat"), "1=Call\r\n7=\xc7\xe2\xee\xed\xee\xea\r\n8=SMS\r\n");
  const auto fill = Cli({"fill-codes"});
  EXPECT_EQ(0, fill.code) << fill.err;
  EXPECT_EQ("2 records changed\n", fill.out);
  EXPECT_EQ("Звонок/Call SMS/sms 5/", CodeTypes());

  const auto back = Cli({"return-codes"});
  EXPECT_EQ(0, back.code) << back.err;
  EXPECT_EQ("2 records changed\n", back.out);
  EXPECT_EQ("7/1 8/8 5/", CodeTypes());  // "sms" is the text of marker 8, letter case aside
  EXPECT_EQ(2, Cli({"fill-codes", "extra"}).code);
}

TEST_F(CliCodesTest, FillNamesWritesTheBooksNamesIntoTheRecords) {
  const auto none = Cli({"fill-names"});  // no abonents.dat
  EXPECT_EQ(0, none.code) << none.err;
  EXPECT_EQ("0 records changed\n", none.out);
  EXPECT_EQ("zvonar-cli: Nothing was done: there is no abonents book " + dir_.File("abonents.dat") + ".\n", none.err);
  EXPECT_EQ(0, Cli({"book", "set", "89031112233", "Анна"}).code);
  const auto exact = Cli({"fill-names"});  // modePhoneCode 0: only the number as it stands
  EXPECT_EQ(0, exact.code) << exact.err;
  EXPECT_EQ("0 records changed\n", exact.out);
  testing::WriteOrDie(dir_.File("settings.ini"), "[Settings]\r\nmodePhoneCode=1\r\n");
  const auto fill = Cli({"fill-names"});
  EXPECT_EQ(0, fill.code) << fill.err;
  EXPECT_EQ("2 records changed\n", fill.out);
  EXPECT_EQ("79031112233/Анна 79031112233/Анна 79265554433/", Cells(2, 3));
  EXPECT_EQ("0 records changed\n", Cli({"fill-names"}).out);
  EXPECT_EQ(2, Cli({"fill-names", "extra"}).code);
}

TEST_F(CliCodesTest, ChangeCodeMatchesExactly) {
  const auto type = Cli({"change-code", "--field", "Type", "sms", "Текст"});
  EXPECT_EQ(0, type.code) << type.err;
  EXPECT_EQ("1 records changed\n", type.out);
  const auto cased = Cli({"change-code", "--field", "Type", "SMS", "x"});
  EXPECT_EQ("0 records changed\n", cased.out);
  const auto code = Cli({"change-code", "--field", "Code", "07", "7"});
  EXPECT_EQ("1 records changed\n", code.out);
  EXPECT_EQ("7/1 8/Текст 5/", CodeTypes());

  EXPECT_EQ(2, Cli({"change-code", "--field", "Owner", "a", "b"}).code);
  EXPECT_EQ(2, Cli({"change-code", "Code", "a", "b"}).code);
  EXPECT_EQ(1, Cli({"change-code", "--field", "Code", "", "b"}).code);
  const auto foreign = Cli({"change-code", "--field", "Code", "5", "日本"});
  EXPECT_EQ(1, foreign.code);
  EXPECT_FALSE(foreign.err.empty());
  EXPECT_EQ("7/1 8/Текст 5/", CodeTypes());
}

// An indication longer than the field (a hand-edited codetype.dat) is not
// cut into the record: the field keeps its marker, the fill says so, and the
// return then gives every record its marker back.
TEST_F(CliCodesTest, FillLeavesATooLongTextOutAndReturnGivesEveryMarkerBack) {
  testing::WriteOrDie(dir_.File("codetype.dat"),
                      "1=\xc8\xf1\xf5\xee\xe4\xff\xf9\xe8\xe9 \xe7\xe2\xee\xed\xee\xea \xed\xe0 "
                      "\xec\xee\xe1\xe8\xeb\xfc\xed\xfb\xe9\r\n"  // Исходящий звонок на мобильный
                      "7=\xc7\xe2\xee\xed\xee\xea\r\n8=SMS\r\n");
  const auto fill = Cli({"fill-codes"});
  EXPECT_EQ(0, fill.code) << fill.err;
  EXPECT_EQ(
      "2 records changed\n"
      "1 records kept a field as it was: the text for it is longer than the field, such as \"Исходящий звонок на "
      "мобильный\" for Type (15 characters, set in the DB Fields dialog).\n",
      fill.out);
  EXPECT_EQ("Звонок/1 SMS/sms 5/", CodeTypes());
  // Filtering by the full text finds nothing cut short.
  EXPECT_EQ("", Cli({"filter", "--type", "Исходящий звоно"}).out);

  const auto back = Cli({"return-codes"});
  EXPECT_EQ(0, back.code) << back.err;
  EXPECT_EQ("2 records changed\n", back.out);
  EXPECT_EQ("7/1 8/8 5/", CodeTypes());
}

TEST_F(CliCodesTest, FillNamesLeavesANameLongerThanAbonent) {
  // A book edited by hand: the name is longer than Abonent's 50 characters.
  const std::string longName(60, 'n');
  testing::WriteOrDie(dir_.File("abonents.dat"),
                      "stamp\r\n[Abonents]\r\n79031112233=" + longName + "\r\n79265554433=Anna\r\n");
  const auto fill = Cli({"fill-names"});
  EXPECT_EQ(0, fill.code) << fill.err;
  EXPECT_EQ(
      "1 records changed\n2 records kept a field as it was: the text for it is longer than the field, such as \"" +
          longName + "\" for Abonent (50 characters, set in the DB Fields dialog).\n",
      fill.out);
  EXPECT_EQ("79031112233/ 79031112233/ 79265554433/Anna", Cells(2, 3));
}

// change-code refuses, before any record changes, a replacement the field
// cannot hold whole or one that would shift the cells of a list file.
TEST_F(CliCodesTest, ChangeCodeRefusesATextThatWouldBeCutOrShiftAList) {
  const auto longer = Cli({"change-code", "--field", "Type", "sms", "Исходящий звонок на мобильный"});
  EXPECT_EQ(1, longer.code);
  EXPECT_NE(std::string::npos,
            longer.err.find("The text is 29 characters long; the field Type holds 15 (its width is set in the DB "
                            "Fields dialog)."))
      << longer.err;
  for (const char* bad : {"a#b", "a\tb", "a\r\nb"}) {
    const auto refused = Cli({"change-code", "--field", "Code", "8", bad});
    EXPECT_EQ(1, refused.code) << bad;
    EXPECT_EQ("", refused.out) << bad;
  }
  EXPECT_EQ("07/1 8/sms 5/", CodeTypes());
}

TEST_F(CliCodesTest, HelpNamesTheCommands) {
  for (const char* command : {"fill-names", "fill-codes", "return-codes", "change-code"}) {
    const auto help = RunArgs({"help", command});
    EXPECT_EQ(0, help.code) << command;
    EXPECT_NE(std::string::npos, help.out.find(command));
  }
}

}  // namespace
}  // namespace zvonar
