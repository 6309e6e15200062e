#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "base/tests/TestSupport.h"
#include "cli/tests/CliTestSupport.h"
#include "print/tests/PdfText.h"

namespace zvonar {
namespace {

// 120 records of one owner in March 2024: calls (60 s, 1 min, 1.50) and
// SMS (0.50) in turn, each with its own number and abonent.
std::string MarchRecords() {
  std::string tsv;
  for (int r = 0; r < 120; ++r) {
    char line[200];
    const bool call = r % 2 == 0;
    std::snprintf(line, sizeof line,
                  "79001\t2024.03.%02d %02d:%02d:00\t790300%05d\tAbonent %d\t%s\t%s\t%s\t%s\t%s\t\t%s\t\n", 1 + r / 24,
                  r % 24, r % 60, r, r, call ? "1" : "8", call ? "Call" : "SMS", call ? "60" : "0", call ? "1" : "0",
                  call ? "1.50" : "0.50", call ? "1.50" : "0.50");
    tsv += line;
  }
  return tsv;
}

class CliReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteOrDie(dir_.File("records.tsv"), MarchRecords());
    ASSERT_EQ(0, testing::RunArgs({"--dir", dir_.path(), "load-tsv", dir_.File("records.tsv")}).code);
    testing::WriteOrDie(dir_.File("codetype.dat"), "1=Call\r\n8=SMS\r\n");
  }
  testing::CliRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", dir_.path()});
    return testing::RunArgs(args);
  }
  testing::TempDir dir_;
};

std::vector<std::string> Pages(const std::string& text) {
  std::vector<std::string> pages;
  std::size_t from = 0;
  for (std::size_t ff; (ff = text.find('\f', from)) != std::string::npos; from = ff + 1)
    pages.push_back(text.substr(from, ff - from));
  return pages;
}

// The line of `page` holding `word`, or empty.
std::string LineWith(const std::string& page, const std::string& word) {
  std::istringstream in(page);
  for (std::string line; std::getline(in, line);)
    if (line.find(word) != std::string::npos) return line;
  return {};
}

TEST_F(CliReportTest, ListWithStatisticReadsBackFromThePdf) {
  if (!testing::HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  const std::string pdf = dir_.File("march.pdf");
  const auto run = Cli({"report", "--pdf", pdf, "--owner", "79001", "--from", "2024.03.01", "--to", "2024.03.31"});
  ASSERT_EQ(0, run.code) << run.err;
  EXPECT_EQ("3 pages written to " + pdf + "\n", run.out);

  // 57 + 57 + 6 rows; the statistic of 3 rows follows on the last page.
  const std::vector<std::string> pages = Pages(testing::PdfText(pdf));
  ASSERT_EQ(3u, pages.size());
  EXPECT_NE("", LineWith(pages[0], "Детализация на номер: 79001"));
  EXPECT_NE("", LineWith(pages[0], "за период: 2024.03.01 - 2024.03.31"));
  // The start line is spread over the page's width.
  EXPECT_NE(std::string::npos, LineWith(pages[0], "Начало").find("Детализации"));
  const std::string titles = LineWith(pages[0], "Время / Дата");
  for (const char* title : {"Номер", "Абонент", "Код", "Тип", "Сек", "Мин", "Роуминг"})
    EXPECT_NE(std::string::npos, titles.find(title)) << title;
  EXPECT_NE("", LineWith(pages[0], "Стоимость"));  // smaller, a little lower

  const std::string first = LineWith(pages[0], "79030000000");
  EXPECT_EQ(0u, first.find("2024.03.01")) << first;
  EXPECT_NE(std::string::npos, first.find("Abonent 0")) << first;
  EXPECT_EQ("", LineWith(pages[1], "Время / Дата"));  // titles on the first page only
  const std::string last = LineWith(pages[2], "79030000119");
  EXPECT_NE(std::string::npos, last.find("2024.03.05 23:59:00")) << last;
  EXPECT_NE(std::string::npos, last.find("Abonent 119")) << last;
  EXPECT_NE(std::string::npos, LineWith(pages[2], "Конец").find("Детализации"));
  EXPECT_NE("", LineWith(pages[2], "Статистика"));

  std::istringstream total(LineWith(pages[2], "All"));
  std::string caption, sec, min, cost;
  total >> caption >> sec >> min >> cost;
  EXPECT_EQ("All", caption);
  EXPECT_EQ("3600", sec);
  EXPECT_EQ("60", min);
  EXPECT_EQ("120", cost);
}

TEST_F(CliReportTest, HeaderWithoutChosenOwnerOrDatesNamesWhatIsListed) {
  if (!testing::HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  const std::string pdf = dir_.File("all.pdf");
  ASSERT_EQ(0, Cli({"report", "--pdf", pdf}).code);
  const std::vector<std::string> pages = Pages(testing::PdfText(pdf));
  ASSERT_FALSE(pages.empty());
  EXPECT_NE("", LineWith(pages[0], "Детализация на номер: 79001"));
  EXPECT_NE("", LineWith(pages[0], "за период: 2024.03.01 - 2024.03.05"));
}

TEST_F(CliReportTest, WordsFollowTheLanguageOfSettingsOrOfLang) {
  if (!testing::HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  const std::string pdf = dir_.File("words.pdf");
  const auto english = [&] {
    const std::string text = testing::PdfText(pdf);
    for (const char* words : {"Detalization for number: 79001", "for the period: 2024.03.01 - 2024.03.05",
                              "Time / Date", "Abonent", "Statistic"})
      if (text.find(words) == std::string::npos) return ::testing::AssertionFailure() << words << " missing";
    // The start and end lines are spread over the page's width.
    for (const char* line : {"Start", "End"})
      if (LineWith(text, line).find("Detalization") == std::string::npos)
        return ::testing::AssertionFailure() << line << " line missing";
    if (text.find("Детализац") != std::string::npos) return ::testing::AssertionFailure() << "Russian words left";
    return ::testing::AssertionSuccess();
  };
  ASSERT_EQ(0, Cli({"report", "--pdf", pdf, "--lang", "english"}).code);
  EXPECT_TRUE(english());

  // settings.ini's language is the default, and --lang overrides it.
  testing::WriteOrDie(dir_.File("settings.ini"), "[Settings]\r\nLanguage=english\r\n");
  ASSERT_EQ(0, Cli({"report", "--pdf", pdf}).code);
  EXPECT_TRUE(english());
  ASSERT_EQ(0, Cli({"report", "--pdf", pdf, "--lang", "russian"}).code);
  const std::string russian = testing::PdfText(pdf);
  EXPECT_NE("", LineWith(russian, "Детализация на номер: 79001"));
  EXPECT_NE(std::string::npos, LineWith(russian, "Время / Дата").find("Роуминг"));
  EXPECT_NE("", LineWith(russian, "Статистика"));
  EXPECT_NE("", LineWith(russian, "Все "));  // the statistic's total from the same file

  const auto bad = Cli({"report", "--pdf", pdf, "--lang", "french"});
  EXPECT_NE(0, bad.code);
  EXPECT_NE(std::string::npos, bad.err.find("--lang takes english or russian")) << bad.err;
}

TEST_F(CliReportTest, StatisticAloneAndWithoutTheListOnes) {
  if (!testing::HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  const std::string pdf = dir_.File("stat.pdf");
  const auto run = Cli({"report", "--stat-only", "--pdf", pdf, "--owner", "79001"});
  ASSERT_EQ(0, run.code) << run.err;
  const std::vector<std::string> pages = Pages(testing::PdfText(pdf));
  ASSERT_EQ(1u, pages.size());
  EXPECT_NE("", LineWith(pages[0], "Детализация на номер: 79001"));
  EXPECT_NE("", LineWith(pages[0], "Call"));
  EXPECT_NE("", LineWith(pages[0], "SMS"));
  EXPECT_NE("", LineWith(pages[0], "All"));
  EXPECT_EQ("", LineWith(pages[0], "Abonent"));

  // Settings that leave the statistic out of the list's report.
  testing::WriteOrDie(dir_.File("settings.ini"), "[Settings]\r\nAddFilterStatisticOnPrint=0\r\n");
  ASSERT_EQ(0, Cli({"report", "--pdf", pdf, "--type", "SMS"}).code);
  const std::string text = testing::PdfText(pdf);
  EXPECT_EQ(std::string::npos, text.find("Статистика"));
  EXPECT_EQ(2, std::count(text.begin(), text.end(), '\f'));  // 60 rows
  EXPECT_NE(std::string::npos, text.find("за период:"));
}

TEST_F(CliReportTest, UsageAndFailuresWriteNothing) {
  EXPECT_EQ(2, Cli({"report"}).code);
  EXPECT_EQ(2, Cli({"report", "--pdf"}).code);
  EXPECT_EQ(2, Cli({"report", "--pdf", dir_.File("x.pdf"), "--bogus"}).code);

  const auto none = Cli({"report", "--pdf", dir_.File("none.pdf"), "--owner", "nobody"});
  EXPECT_EQ(1, none.code);
  EXPECT_NE(std::string::npos, none.err.find("no records"));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("none.pdf")));

  const auto badDir = Cli({"report", "--pdf", dir_.File("missing/x.pdf")});
  EXPECT_EQ(1, badDir.code);
  EXPECT_NE(std::string::npos, badDir.err.find("missing/x.pdf")) << badDir.err;
}

}  // namespace
}  // namespace zvonar
