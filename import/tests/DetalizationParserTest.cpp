#include <gtest/gtest.h>

#include "import/BillImport.h"
#include "import/DetalizationParser.h"
#include "import/tests/BillTestSupport.h"

namespace zvonar {
namespace {

using testing::Bill;
using testing::Cp;
using Record = std::vector<std::string>;

struct Parsed {
  DetalizationResult result;
  std::vector<Record> records;  // UTF-8
};

struct Books {
  NameValueList abonents;
  NameValueList codeTypes;
};

Parsed Parse(const std::string& bill, const MainSettings& settings = MainSettings(), const Books& books = Books(),
             const std::string& fileName = "bill.txt") {
  const RegisterFields fields;
  const BillContext context{fields, settings, books.abonents, books.codeTypes};
  testing::VectorSink sink;
  Parsed parsed;
  ParseDetalizationFile(fileName, bill, context, &sink, nullptr, &parsed.result);
  parsed.records = std::move(sink.records);
  return parsed;
}

NameValueList List(std::initializer_list<std::string_view> utf8Lines) {
  std::vector<std::string> lines;
  for (std::string_view line : utf8Lines) lines.push_back(Cp(line));
  return NameValueList::FromLines(std::move(lines));
}

constexpr std::string_view kBalance = "СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА";
constexpr std::string_view kBalanceDate = "БАЛАНС НА 31.03.2008  120.50 Руб";
constexpr std::string_view kTalk = "Ведомость разговоров по номеру +7/9161112233";
constexpr std::string_view kRoaming = "Ведомость разговоров при роуминге +7/9161112233";
constexpr std::string_view kCharges = "Ведомость начислений +7/9161112233";

TEST(ParseDetalizationFile, EachPhoneOfABillOwnsItsCallLines) {
  Books books;
  books.abonents = List({"[Abonents]", "4951234567=Иванов И."});
  const Parsed p = Parse(
      Bill({kBalance, kBalanceDate, kTalk, "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50",
            "Ведомость разговоров по номеру +7/9035556677", "2.3.2008 9:05 4957654321 М 2 30 0.50 0.00 0.00 0.00"}),
      MainSettings(), books);
  ASSERT_FALSE(p.result.stop);
  EXPECT_EQ(2, p.result.recordsAdded);
  ASSERT_EQ(2u, p.records.size());
  EXPECT_EQ((Record{"9161112233", "2008.03.01 12:30:05", "4951234567", "Иванов И.", "М", "1", "60", "1.00", "2.50",
                    "0.00", "2.50", ""}),
            p.records[0]);
  EXPECT_EQ((Record{"9035556677", "2008.03.02 09:05:00", "4957654321", "", "М", "2", "30", "0.50", "0.00", "0.00",
                    "0.00", ""}),
            p.records[1]);
  EXPECT_EQ((std::vector<std::string>{"9161112233", "9035556677"}), p.result.owners);
}

TEST(ParseDetalizationFile, MissingColumnsMoveTheOthersIntoPlace) {
  struct Case {
    std::string_view section, line;
    Record want;
  };
  const Case cases[] = {
      // No number: the code stands in its column.
      {kTalk,
       "03.03.2008 10:00:00 G 1 0 0.00 0.10 0.00 0.10",
       {"9161112233", "2008.03.03 10:00:00", "", "", "G", "1", "0", "0.00", "0.10", "0.00", "0.10", ""}},
      // No code: an integer in the code column is the type.
      {kTalk,
       "04.03.2008 11:00:00 4951234567 1 60 1.00 2.50 0.00 2.50",
       {"9161112233", "2008.03.04 11:00:00", "4951234567", "", "", "1", "60", "1.00", "2.50", "0.00", "2.50", ""}},
      // No seconds: a money value in their column.
      {kTalk,
       "05.03.2008 10:00 4951234567 М 1 1.00 2.50 0.00 2.50",
       {"9161112233", "2008.03.05 10:00:00", "4951234567", "", "М", "1", "0", "1.00", "2.50", "0.00", "2.50", ""}},
      // A three-character number is a number, not a code.
      {kTalk,
       "09.03.2008 10:00:00 112 М 1 60 1.00 2.50 0.00 2.50",
       {"9161112233", "2008.03.09 10:00:00", "112", "", "М", "1", "60", "1.00", "2.50", "0.00", "2.50", ""}},
      // Fractional seconds on a full line stay seconds.
      {kTalk,
       "10.03.2008 10:00:00 4951234567 М 1 60.5 1.00 2.50 0.00 2.50",
       {"9161112233", "2008.03.10 10:00:00", "4951234567", "", "М", "1", "60.5", "1.00", "2.50", "0.00", "2.50", ""}},
      // Roaming: one amount for Cost and All, the rest joined into Roaming.
      {kRoaming,
       "06.03.2008 14:20:11 4951234567 М 1 120 45.50 MTS   Moscow region",
       {"9161112233", "2008.03.06 14:20:11", "4951234567", "", "М", "1", "120", "", "45.50", "", "45.50",
        "MTS Moscow region"}},
      {kRoaming,
       "07.03.2008 14:20:11 4951234567 М 1 120 45.50MTS Moscow",
       {"9161112233", "2008.03.07 14:20:11", "4951234567", "", "М", "1", "120", "", "45.50", "", "45.50",
        "MTS Moscow"}},
      {kRoaming,
       "08.03.2008 08:00:00 4951234567 М 1 3.20 Net",
       {"9161112233", "2008.03.08 08:00:00", "4951234567", "", "М", "1", "0", "", "3.20", "", "3.20", "Net"}},
  };
  for (const Case& t : cases) {
    const Parsed p = Parse(Bill({t.section, t.line}));
    ASSERT_EQ(1u, p.records.size()) << t.line;
    EXPECT_EQ(t.want, p.records[0]) << t.line;
  }
}

TEST(ParseDetalizationFile, LfAndLoneCrLineEndsReadAsCrLf) {
  const std::string crlf =
      Bill({kBalance, kBalanceDate, kTalk, "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50", "",
            "02.03.2008 09:05:00 4957654321 М 2 30 0.50 0.00 0.00 0.00"});
  const Parsed want = Parse(crlf);
  ASSERT_EQ(2u, want.records.size());
  EXPECT_EQ("2008.03.02 09:05:00", want.records[1][1]);
  std::string lf, cr;
  for (std::size_t i = 0; i < crlf.size(); ++i) {
    if (crlf[i] == '\r') continue;
    lf += crlf[i];
    cr += crlf[i] == '\n' ? '\r' : crlf[i];
  }
  for (const std::string& bill : {lf, cr}) {
    const Parsed p = Parse(bill);
    EXPECT_EQ(want.records, p.records);
    EXPECT_EQ(want.result.recordsAdded, p.result.recordsAdded);
  }
}

TEST(ParseDetalizationFile, ChargeLinesBecomeServiceRecordsOfTheBillDate) {
  const std::string bill =
      Bill({kBalance, kBalanceDate, kCharges, "Ежемесячная абонентская плата     150.00 Руб",
            "Ежемесячная абонентская плата за дополнительные услуги   30.00 Руб", "Услуга \"Свои Люди\"   1 0.00 Руб",
            "Услуга Руб", kTalk, "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50"});
  const Parsed p = Parse(bill);
  ASSERT_EQ(4u, p.records.size());
  EXPECT_EQ((Record{"9161112233", "2008.03.31 00:00:00", "S9161112233", "Ежемесячная абонентская плата", "service",
                    "service", "0.00", "0.00", "150.00", "0.00", "150.00", ""}),
            p.records[0]);
  EXPECT_EQ("Ежемесячная абонентская плата за дополнительные услуги", p.records[1][3]);
  EXPECT_EQ("30.00", p.records[1][8]);
  EXPECT_EQ("Услуга \"Свои Люди\"", p.records[2][3]);
  EXPECT_EQ("10.00", p.records[2][10]);
  // Charges do not make owners; the call line does.
  EXPECT_EQ((std::vector<std::string>{"9161112233"}), p.result.owners);

  MainSettings primary;
  primary.usePrimaryServiceNumber = true;
  primary.primaryServiceNumber = "9160000000";
  const Parsed q = Parse(bill, primary);
  ASSERT_EQ(4u, q.records.size());
  EXPECT_EQ("9160000000", q.records[0][0]);
  EXPECT_EQ("S9160000000", q.records[0][2]);
  EXPECT_EQ("9161112233", q.records[3][0]);  // call lines keep the bill's owner
}

TEST(ParseDetalizationFile, LegendsAreTakenOnceAndNonRecordLinesAreSkipped) {
  const Parsed p = Parse(
      Bill({kTalk, "  Тип: 1 - исходящий, 2 - входящий", "  8 - SMS, 9 - MMS", "  Код: М - мобильный, G - GPRS",
            "Дата       Время    Номер", "Стр. 2", "     01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50",
            "01.03.2008 12:30:05 495-123-45-67 М 1 60 1.00 2.50 0.00 2.50", "Итого 10.00 руб", "Тип: 5 - другой",
            "Код: X - другой", "", "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50"}));
  ASSERT_TRUE(p.result.typeLegend && p.result.codeLegend);
  EXPECT_EQ(Cp("Тип: 1 - исходящий, 2 - входящий 8 - SMS, 9 - MMS"), *p.result.typeLegend);
  EXPECT_EQ(Cp("Код: М - мобильный, G - GPRS"), *p.result.codeLegend);
  EXPECT_EQ(1u, p.records.size());
  EXPECT_TRUE(p.result.rejected.empty());
}

TEST(ParseDetalizationFile, ShortCallLinesAreReportedAndLongOnesDropped) {
  const Parsed p = Parse(Bill({kTalk, "07.03.2008 12:00:00 4951234567 М 1", "08.03.2008",
                               "09.03.2008 12:00:00 4951234567 М 1 60 1.00 2.50 0.00 2.50 extra more",
                               "10.03.2008 12:00:00 4951234567 М 1 60 1.00 2.50 0.00 2.50"}));
  EXPECT_EQ(1u, p.records.size());
  ASSERT_EQ(2u, p.result.rejected.size());
  EXPECT_EQ(2u, p.result.rejected[0].lineNo);
  EXPECT_EQ("Data not Corrected, so not Stored:\r\n2008.03.07 12:00:00 4951234567",
            RejectedMessage(p.result.rejected[0]));
  EXPECT_EQ("2008.03.08 ", p.result.rejected[1].dateTime);
  EXPECT_EQ("", p.result.rejected[1].number);
}

TEST(ParseDetalizationFile, ABadDateOrTimeStopsTheWalkAtItsLine) {
  struct Case {
    std::string_view section, bad, reason;
  };
  const Case cases[] = {
      {kTalk, "32.03.2008 12:00:00 4951234567 М 1 60 1.00 2.50 0.00 2.50", "date \"32.03.2008\""},
      {kTalk, "1.3.08 12:00:00 4951234567 М 1 60 1.00 2.50 0.00 2.50", "date \"1.3.08\""},
      {kTalk, "29.02.2007 12:00:00 4951234567 М 1 60 1.00 2.50 0.00 2.50", "date \"29.02.2007\""},
      {kTalk, "01.03.2008 24:00 4951234567 М 1 60 1.00 2.50 0.00 2.50", "time \"24:00\""},
      {kTalk, "01.03.2008 12:00:00:00 4951234567 М 1 60 1.00 2.50 0.00 2.50", "time \"12:00:00:00\""},
      {kCharges, "Ежемесячная абонентская плата     150.00 Руб", "bill date \"\""},
  };
  for (const Case& t : cases) {
    const Parsed p = Parse(Bill({kTalk, "01.03.2008 12:00:00 4951234567 М 1 60 1.00 2.50 0.00 2.50", t.section, t.bad,
                                 kTalk, "02.03.2008 12:00:00 4951234567 М 1 60 1.00 2.50 0.00 2.50"}),
                           MainSettings(), Books(), "/bills/march.txt");
    EXPECT_EQ(1, p.result.recordsAdded) << t.bad;
    ASSERT_TRUE(p.result.stop) << t.bad;
    EXPECT_EQ(4u, p.result.stop->lineNo);
    EXPECT_EQ(Cp(t.bad), p.result.stop->lineText);
    EXPECT_EQ(0u, p.result.stop->reason.find(t.reason)) << p.result.stop->reason;
    EXPECT_EQ("/bills/march.txt: stopped at line 4: " + std::string(t.bad), StopMessage(*p.result.stop));
  }
}

TEST(ParseDetalizationFile, ASecondBillInTheFileHasItsOwnDate) {
  const Parsed p = Parse(Bill({kBalance, kBalanceDate, kCharges, "Ежемесячная абонентская плата     150.00 Руб", kTalk,
                               "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50", kBalance,
                               "Баланс на 30-04-2008", kCharges, "Ежемесячная абонентская плата     160.00 Руб"}));
  ASSERT_EQ(3u, p.records.size());
  EXPECT_EQ("2008.03.31 00:00:00", p.records[0][1]);
  EXPECT_EQ("2008.04.30 00:00:00", p.records[2][1]);
  EXPECT_EQ("160.00", p.records[2][8]);
}

TEST(ParseDetalizationFile, LinesOfASectionWaitForTheOwner) {
  const Parsed p =
      Parse(Bill({"Ведомость разговоров", "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50",
                  "Абонент +7/903 555 66 77", "02.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50"}));
  ASSERT_EQ(1u, p.records.size());
  EXPECT_EQ("90355566", p.records[0][0]);  // spaces inside the number shorten it
  EXPECT_EQ("2008.03.02 12:30:05", p.records[0][1]);
}

TEST(ParseDetalizationFile, HtmlBillsTakeThePhoneLineAndEndAtThePostalAddress) {
  const std::string bill =
      Bill({"<html><body>", "<p>СЧЕТ КЛИЕНТА: 7654321</p>", "<p>Телефон: +7/9031234567</p>", "<pre>", kBalance,
            kBalanceDate, "Ежемесячная абонентская плата     150.00 Руб", "</pre>", "<p>Ведомость разговоров.</p>",
            "<pre>", "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50",
            "<b>01.03.2008 12:31:05 4951234567 М 1 60 1.00 2.50 0.00 2.50</b>", "Абонент +7/9031234567",
            "01.03.2008 12:32:05 4951234567 М 1 60 1.00 2.50 0.00 2.50", "</pre>",
            "<p>Адрес для писем: 101000, Москва</p>", "01.03.2008 13:00:00 4951234567 М 1 60 1.00 2.50 0.00 2.50"});
  const Parsed p = Parse(bill, MainSettings(), Books(), "/bills/March.HTML");
  ASSERT_EQ(2u, p.records.size());
  EXPECT_EQ((Record{"9031234567", "2008.03.31 00:00:00", "S9031234567", "Ежемесячная абонентская плата", "service",
                    "service", "0.00", "0.00", "150.00", "0.00", "150.00", ""}),
            p.records[0]);
  EXPECT_EQ("2008.03.01 12:32:05", p.records[1][1]);

  MainSettings otherStop;
  otherStop.htmlStopText = Cp("Почтовый адрес:");
  EXPECT_EQ(3u, Parse(bill, otherStop, Books(), "march.html").records.size());
  // Only the roaming marker opens a section of a file that is neither.
  EXPECT_EQ(0u, Parse(bill, MainSettings(), Books(), "march.dat").records.size());
}

TEST(ParseDetalizationFile, BooksGiveNamesCodesAndTypesWhenAsked) {
  Books books;
  books.abonents = List({"+74957654321=Петров"});
  books.codeTypes = List({"М=Мобильный", "7=Семь", "service=Абонплата"});
  const std::string bill = Bill({kBalance, kBalanceDate, kCharges, "Ежемесячная абонентская плата     150.00 Руб",
                                 kTalk, "01.03.2008 12:30:05 4957654321 М 07 60 1.00 2.50 0.00 2.50"});
  const Parsed plain = Parse(bill, MainSettings(), books);
  ASSERT_EQ(2u, plain.records.size());
  EXPECT_EQ((Record{"", "М", "07"}), (Record{plain.records[1][3], plain.records[1][4], plain.records[1][5]}));

  MainSettings fill;
  fill.fillAbonNamesOnAddDetalization = true;
  fill.fillCodesTypesOnAddDetalization = true;
  fill.modePhoneCode = 1;
  const Parsed filled = Parse(bill, fill, books);
  ASSERT_EQ(2u, filled.records.size());
  EXPECT_EQ("Абонплата", filled.records[0][4]);
  EXPECT_EQ("Абонплата", filled.records[0][5]);
  EXPECT_EQ((Record{"Петров", "Мобильный", "Семь"}),
            (Record{filled.records[1][3], filled.records[1][4], filled.records[1][5]}));
}

TEST(ParseDetalizationFile, ProgressEndsAtTheLineCount) {
  const RegisterFields fields;
  const MainSettings settings;
  const NameValueList none;
  std::vector<std::pair<int64_t, int64_t>> calls;
  DetalizationResult result;
  ParseDetalizationFile(
      "b.txt", Bill({kTalk, "x", "y"}), BillContext{fields, settings, none, none}, nullptr,
      [&](int64_t pos, int64_t total) { calls.emplace_back(pos, total); }, &result);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(std::make_pair(int64_t{0}, int64_t{3}), calls.front());
  EXPECT_EQ(std::make_pair(int64_t{3}, int64_t{3}), calls.back());
}

TEST(ExtractAmount, TakesTheTextBetweenMarkerAndEnd) {
  struct Case {
    std::string_view line, end;
    bool found;
    std::string_view want;
  };
  const Case cases[] = {
      {"Услуга   1 500.00 Руб", "Руб", true, "1500.00"},
      {"УСЛУГА  12.00", "Руб", true, ""},        // no end text
      {"Руб Услуга  12.00", "Руб", true, ""},    // end text before the amount
      {"Услуга12.00 Руб", "Руб", true, "2.00"},  // one character after the marker is skipped
      {"Абонплата 12.00 Руб", "Руб", false, ""},
  };
  for (const Case& t : cases) {
    std::string amount = "old";
    EXPECT_EQ(t.found, ExtractAmount(Cp("услуга"), Cp(t.line), Cp(t.end), &amount)) << t.line;
    if (t.found) {
      EXPECT_EQ(Cp(t.want), amount) << t.line;
    }
  }
}

}  // namespace
}  // namespace zvonar
