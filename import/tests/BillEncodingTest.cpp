// Bills in code page 1251, UTF-8 and UTF-16: detection, conversion, and the
// same records whatever the encoding of the file.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/tests/TestSupport.h"
#include "import/BillEncoding.h"
#include "import/BillImport.h"
#include "import/tests/BillTestSupport.h"
#include "store/DetalTable.h"

namespace zvonar {
namespace {

using testing::Bill;
using testing::Cp;

// The code page 1251 text re-encoded as UTF-8 or UTF-16, by code point.
std::string Utf8Of(std::string_view cp1251) {
  return Cp1251ToUtf8(cp1251);
}

std::string Utf16LeOf(std::string_view cp1251) {
  std::string out;
  for (char c : cp1251) {
    const char32_t cp = Cp1251ToCodePoint(c);
    out += static_cast<char>(cp & 0xFF);
    out += static_cast<char>(cp >> 8);
  }
  return out;
}

std::string Utf16BeOf(std::string_view cp1251) {
  std::string out;
  for (char c : cp1251) {
    const char32_t cp = Cp1251ToCodePoint(c);
    out += static_cast<char>(cp >> 8);
    out += static_cast<char>(cp & 0xFF);
  }
  return out;
}

const std::string kBill = Bill({"Ведомость разговоров +7/9161112233", "Тип: 1 - исходящий",
                                "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50",
                                "02.03.2008 08:00:00 4957654321 М 1 30 1.00 1.50 0.00 1.50"});

TEST(DetectBillEncoding, FollowsTheMarkThenTheBytes) {
  struct Case {
    std::string bytes;
    BillEncoding want;
  };
  const Case cases[] = {
      {kBill, BillEncoding::Cp1251},
      {"\xEF\xBB\xBF" + Utf8Of(kBill), BillEncoding::Utf8},
      {Utf8Of(kBill), BillEncoding::Utf8},
      {"\xFF\xFE" + Utf16LeOf(kBill), BillEncoding::Utf16Le},
      {"\xFE\xFF" + Utf16BeOf(kBill), BillEncoding::Utf16Be},
      {"plain ASCII\r\n", BillEncoding::Cp1251},
      // A UTF-8 declaration the bytes belie: read as the operator writes.
      {"<html><head><meta charset=\"utf-8\"></head>" + kBill, BillEncoding::Cp1251},
      {"<meta charset=\"utf-8\">" + Utf8Of(kBill), BillEncoding::Utf8},
  };
  for (const Case& t : cases) EXPECT_EQ(t.want, DetectBillEncoding(t.bytes)) << Cp1251ToUtf8(t.bytes.substr(0, 40));
}

TEST(ConvertBillToCp1251, GivesTheOperatorsBytesAndCountsWhatItCannotHold) {
  std::string out;
  std::size_t replaced = 0;
  ASSERT_TRUE(ConvertBillToCp1251("\xFF\xFE" + Utf16LeOf(kBill), BillEncoding::Utf16Le, &out, &replaced).ok());
  EXPECT_EQ(kBill, out);
  EXPECT_EQ(0u, replaced);
  // Two CJK characters and an emoji (a surrogate pair in UTF-16).
  ASSERT_TRUE(ConvertBillToCp1251("Имя: 北京 \xF0\x9F\x98\x80 €", BillEncoding::Utf8, &out, &replaced).ok());
  EXPECT_EQ(Cp("Имя: ?? ? €"), out);
  EXPECT_EQ(3u, replaced);
  const std::string emoji16 = std::string("\x3D\xD8\x00\xDE", 4);
  ASSERT_TRUE(ConvertBillToCp1251(emoji16, BillEncoding::Utf16Le, &out, &replaced).ok());
  EXPECT_EQ("?", out);
  EXPECT_EQ(1u, replaced);

  // Cut inside a character: refused, the output left alone.
  out = "kept";
  const Status s = ConvertBillToCp1251(std::string("\xFF\xFE"
                                                   "A\0B",
                                                   5),
                                       BillEncoding::Utf16Le, &out, &replaced);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(std::string::npos, s.message().find("ends inside a character")) << s.message();
  EXPECT_EQ("kept", out);
}

TEST(ImportBill, StoresTheSameRecordsWhateverTheEncoding) {
  const std::string html = Cp("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                              "</head><body><pre>\r\n") +
                           kBill + "</pre></body></html>\r\n";
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"cp1251.txt", kBill},       {"utf8bom.txt", "\xEF\xBB\xBF" + Utf8Of(kBill)},
      {"utf8.txt", Utf8Of(kBill)}, {"utf16.txt", "\xFF\xFE" + Utf16LeOf(kBill)},
      {"page.html", Utf8Of(html)},
  };
  std::vector<std::string> first;
  for (const Case& t : cases) {
    testing::TempDir dir;
    Table table;
    std::string warning;
    ASSERT_TRUE(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
    testing::WriteOrDie(dir.File(t.name), t.bytes);
    MainSettings settings;
    RegisterFields fields;
    ImportResult result;
    const Status s = ImportBill({dir.File(t.name), dir.path(), settings, fields}, &table, nullptr, &result);
    ASSERT_TRUE(s.ok()) << t.name << ": " << s.message();
    EXPECT_EQ(0u, result.replacedChars) << t.name;
    std::vector<std::string> rows;
    for (Status m = table.First(); m.ok() && !table.Eof(); m = table.Next()) {
      std::string row;
      for (int f = 0; f < kDetalFieldCount; ++f) row += table.FieldText(f) + "|";
      rows.push_back(row);
    }
    ASSERT_EQ(2u, rows.size()) << t.name;
    rows.push_back(result.records.typeLegend.value_or(""));
    if (first.empty()) first = rows;
    EXPECT_EQ(first, rows) << t.name;
  }
}

}  // namespace
}  // namespace zvonar
