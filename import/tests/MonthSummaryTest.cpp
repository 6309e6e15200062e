#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "base/TextFile.h"
#include "base/tests/TestSupport.h"
#include "import/MonthSummary.h"
#include "import/tests/BillTestSupport.h"

namespace zvonar {
namespace {

using testing::Bill;
using testing::Cp;
using Lines = std::vector<std::string>;

constexpr std::string_view kSep =
    "      --------------------------------------------------------------------------------";

Lines Utf8(const Lines& lines) {
  Lines out;
  for (const std::string& line : lines) out.push_back(Cp1251ToUtf8(line));
  return out;
}

// The head of a text bill up to the charges per kind of service.
const std::initializer_list<std::string_view> kTextHead = {"Счет клиента : 1234567",
                                                           "Клиент : Петров Пётр",
                                                           "Тарифный план: Городской",
                                                           "СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА",
                                                           "БАЛАНС НА 31.03.2008   120.50 Руб",
                                                           "Поступило платежей   500.00 Руб",
                                                           "Начислено за период :   379.50 Руб"};

std::string TextBill(std::initializer_list<std::string_view> services) {
  std::string bill = Bill(kTextHead) + Bill(services);
  return bill + Bill({"Ведомость разговоров +7/9161112233", "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50"});
}

TEST(BuildMonthSummary, TextBillKeepsTheServiceLinesInMarkerOrder) {
  const MonthSummary full = BuildMonthSummary(
      "b.txt",
      TextBill({"Исходящие местные   100.00", "Исходящие междугородние/международные   50.00",
                "Услуги связи российских операторов по роумингу   45.50", "SMS-сообщения   12.00",
                "Внутрисетевые вызовы   0.00", "Исходящий на обл. центр   10.00",
                "Ежемесячная минимальная оплата за трафик   0.00", "Услуга \"Свои Люди\"   10.00",
                "ИСОО Ежемесячные начисления   150.00", "Вызовы внутри корпоративной группы   0.00",
                "Premium SMS CP   2.00", "Ежемесячная абонентская плата за дополнительные услуги   30.00",
                "Исходящие вызовы ОАО \"Теллура\"   10.00", "Итого (Телефония)   379.50", "Итого (GPRS)   0.00",
                "В том числе НДС   57.89", "Итог без НДС   321.61"}),
      RegisterFields());
  EXPECT_EQ("1234567", full.account);
  EXPECT_EQ("31.03.2008", full.date);
  const Lines lines = Utf8(full.lines);
  ASSERT_EQ(27u, lines.size());
  EXPECT_EQ((Lines{"", "Клиент : Петров Пётр", "СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА", "", "БАЛАНС НА 31.03.2008   120.50 Руб",
                   "Поступило платежей   500.00 Руб", std::string(kSep), "Начислено за период :   379.50 Руб",
                   "Исходящие местные   100.00"}),
            Lines(lines.begin(), lines.begin() + 9));
  EXPECT_EQ((Lines{"Исходящие вызовы ОАО \"Теллура\"   10.00", std::string(kSep), "Итого (Телефония)   379.50",
                   "Итого (GPRS)   0.00", "В том числе НДС   57.89", "Итог без НДС   321.61", std::string(kSep)}),
            Lines(lines.end() - 7, lines.end()));

  // Without the SMS line nothing after it is found.
  const MonthSummary cut =
      BuildMonthSummary("b.txt",
                        TextBill({"Исходящие местные   100.00", "Исходящие междугородние/международные   50.00",
                                  "Услуги связи российских операторов по роумингу   45.50",
                                  "Внутрисетевые вызовы   0.00", "Итого (Телефония)   379.50"}),
                        RegisterFields());
  const Lines cutLines = Utf8(cut.lines);
  ASSERT_EQ(12u, cutLines.size());
  EXPECT_EQ("Услуги связи российских операторов по роумингу   45.50", cutLines[10]);
  EXPECT_EQ(kSep, cutLines[11]);
}

TEST(BuildMonthSummary, HtmlBillLosesTagsAndTheSixLinesBeforeTheTalk) {
  const MonthSummary s =
      BuildMonthSummary("b.html",
                        Bill({"<html><body>", "<p>СЧЕТ КЛИЕНТА: <b>7654321</b></p>", "<p>Клиент: Сидоров</p>",
                              "<p>СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА</p>", "<p>БАЛАНС НА 31.03.2008</p>",
                              "<p>Начислено: 100.00</p>", "<table>", "<tr>", "<td>a</td>", "</tr>", "</table>", "<hr>",
                              "<p>Ведомость разговоров. +7/9031234567</p>", "<p>Итого (GPRS) 0.00</p>"}),
                        RegisterFields());
  EXPECT_EQ("7654321", s.account);
  EXPECT_EQ(
      (Lines{"", "Клиент: Сидоров", "СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА", "", "БАЛАНС НА 31.03.2008", "Начислено: 100.00"}),
      Utf8(s.lines));
  EXPECT_EQ(Cp("7654321-[2008.Март].sum"), SummaryFileName(s, "Russian"));
}

TEST(ParseMonthSummary, WritesBesideTheBillUnderAccountAndMonth) {
  testing::TempDir dir;
  const RegisterFields fields;
  std::string path = "old";
  // No account marker: no summary.
  ASSERT_TRUE(ParseMonthSummary("b.txt", Bill({"Клиент : X"}), fields, "english", dir.path(), &path).ok());
  EXPECT_EQ("", path);

  const std::string march = TextBill({"Исходящие местные   100.00"});
  const std::string wantPath = dir.File("1234567-[2008.Mart].sum");
  testing::WriteOrDie(wantPath, "an older summary\r\n");
  ASSERT_TRUE(ParseMonthSummary("b.txt", march, fields, "english", dir.path(), &path).ok());
  EXPECT_EQ(wantPath, path);
  // The summary as the user reads it: code page 1251, CR LF line ends.
  std::string want;
  for (std::string_view line :
       {std::string_view(), std::string_view("Клиент : Петров Пётр"), std::string_view("СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА"),
        std::string_view(), std::string_view("БАЛАНС НА 31.03.2008   120.50 Руб"),
        std::string_view("Поступило платежей   500.00 Руб"), kSep,
        std::string_view("Начислено за период :   379.50 Руб"), std::string_view("Исходящие местные   100.00"), kSep})
    want += Cp(line) + "\r\n";
  EXPECT_EQ(want, testing::ReadOrEmpty(path));
  // The same bill again leaves the file as it is, not written anew.
  struct stat before {}, after {};
  ASSERT_EQ(0, ::stat(path.c_str(), &before));
  ASSERT_TRUE(ParseMonthSummary("b.txt", march, fields, "english", dir.path(), &path).ok());
  ASSERT_EQ(0, ::stat(path.c_str(), &after));
  EXPECT_EQ(before.st_ino, after.st_ino);
  EXPECT_EQ(want, testing::ReadOrEmpty(path));

  // Without a balance date the name says so.
  ASSERT_TRUE(
      ParseMonthSummary("b.txt", Bill({"Счет клиента : 12/34", "Клиент : X"}), fields, "", dir.path(), &path).ok());
  EXPECT_EQ(dir.File("12_34-[NullDate.].sum"), path);
}

TEST(PrepareMonthSummary, NeverWritesThroughALink) {
  testing::TempDir dir;
  const RegisterFields fields;
  const std::string march = TextBill({"Исходящие местные   100.00"});
  const std::string name = dir.File("1234567-[2008.Mart].sum");
  testing::WriteOrDie(dir.File("victim"), "keep");
  std::filesystem::create_symlink(dir.File("victim"), name);
  SummaryFile file;
  EXPECT_EQ(name + " is a symbolic link, not a regular file",
            PrepareMonthSummary("b.txt", march, fields, "english", dir.path(), &file).message());
  EXPECT_EQ("", file.path);

  // A link planted after the summary was prepared is refused by the write.
  std::filesystem::remove(name);
  ASSERT_TRUE(PrepareMonthSummary("b.txt", march, fields, "english", dir.path(), &file).ok());
  EXPECT_EQ(name, file.path);
  std::filesystem::create_symlink(dir.File("victim"), name);
  EXPECT_FALSE(WriteMonthSummary(file).ok());
  EXPECT_EQ("keep", testing::ReadOrEmpty(dir.File("victim")));
}

TEST(MonthName, NamesMonthsInTheLanguageOfTheLanguageFile) {
  struct Case {
    std::string_view language, month, want;
  };
  const Case cases[] = {
      {"russian", "03", "Март"}, {"Russian", "12", "Декабрь"}, {"english", "7", "Jule"}, {"", "1", "Januar"},
      {"english", "13", "13"},   {"russian", "", ""},          {"russian", "x", "x"},    {"english", "0", "0"},
  };
  for (const Case& t : cases) EXPECT_EQ(Cp(t.want), MonthName(t.language, t.month)) << t.language << t.month;
}

}  // namespace
}  // namespace zvonar
