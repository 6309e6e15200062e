#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "analysis/CsvExport.h"
#include "base/tests/TestSupport.h"
#include "config/LanguageFile.h"

namespace zvonar {
namespace {

using testing::ReadOrEmpty;
using testing::TempDir;
using testing::WriteOrDie;

TEST(CsvField, QuotesOnlyWhatNeedsIt) {
  struct Case {
    std::string_view in, want;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"", ""},
      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\r\nlines", "\"two\r\nlines\""},
      {" lead", "\" lead\""},
  };
  for (const Case& t : cases) EXPECT_EQ(t.want, CsvField(t.in)) << t.in;
}

TEST(CsvOfRows, StartsWithTheMarkAndTheTitles) {
  ResultRows rows;
  rows.Append({"79001", "2008.03.01 10:00:00", "790", "\xC0\xED\xED\xE0", "1", "", "60", "1", "1.50", "", "1.50", ""});
  const std::string csv = CsvOfRows(rows, ResultColumnTitles(LanguageFile()));
  EXPECT_EQ(
      "\xEF\xBB\xBFOwner,Date / Time,Number,Abonent,Code,Type,Sec,Min,Cost,MTP,All,Roaming\r\n"
      "79001,2008.03.01 10:00:00,790,\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0,1,,60,1,1.50,,1.50,\r\n",
      csv);
}

TEST(ResultColumnTitles, TakesTheLanguageFileLines) {
  TempDir dir;
  std::string text;
  for (int i = 0; i < 16; ++i) text += "t" + std::to_string(i) + "\r\n";
  WriteOrDie(dir.File("x.lng"), text);
  LanguageFile lang;
  ASSERT_TRUE(LanguageFile::Load(dir.File("x.lng"), &lang).ok());
  const ColumnTitles titles = ResultColumnTitles(lang);
  EXPECT_EQ("t3", titles[0]);
  EXPECT_EQ("t5", titles[1]);
  EXPECT_EQ("t15", titles[11]);
}

// Python's csv module, as a spreadsheet's importer would, reads back the
// same cells, awkward ones included.
TEST(ExportCsv, ReadsBackCellForCellInPython) {
  TempDir dir;
  ResultRows rows;
  rows.Append({"79001", "2008.03.01 10:00:00", "+7 (903)", "Doe, \"Jr\"", "1", "2", "60", "1", "1.50", "0.00", "1.50",
               "a\r\nb"});
  rows.Append({"79002", "", "", "\xCF\xE5\xF2\xF0", "", "", "", "", "", "", "", " x "});
  const ColumnTitles titles = ResultColumnTitles(LanguageFile());
  ASSERT_TRUE(ExportCsv(dir.File("out.csv"), rows, titles).ok());
  const std::string script =
      "import csv,sys\n"
      "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
      "  for row in csv.reader(f):\n"
      "    print(len(row), '|'.join(c.replace('\\r','<CR>').replace('\\n','<LF>') for c in row))\n";
  WriteOrDie(dir.File("read.py"), script);
  const std::string command =
      "/usr/bin/python3 " + dir.File("read.py") + " " + dir.File("out.csv") + " > " + dir.File("cells.txt");
  if (std::system(command.c_str()) != 0) GTEST_SKIP() << "python3 is not available";
  EXPECT_EQ(
      "12 Owner|Date / Time|Number|Abonent|Code|Type|Sec|Min|Cost|MTP|All|Roaming\n"
      "12 79001|2008.03.01 10:00:00|+7 (903)|Doe, \"Jr\"|1|2|60|1|1.50|0.00|1.50|a<CR><LF>b\n"
      "12 79002|||\xD0\x9F\xD0\xB5\xD1\x82\xD1\x80|||||||| x \n",
      ReadOrEmpty(dir.File("cells.txt")));
}

}  // namespace
}  // namespace zvonar
