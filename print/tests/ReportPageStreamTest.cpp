// The report's pages as bytes for the PDF writer program: what goes in comes
// out, and damaged bytes give an error instead of pages.
#include <gtest/gtest.h>

#include <tuple>

#include "print/ReportPageStream.h"

namespace zvonar {
namespace {

std::vector<ReportPage> SomePages() {
  std::vector<ReportPage> pages(3);
  pages[0].texts.push_back({10, 20, 300, 16, "\xC8\xF2\xEE\xE3\xEE", true, false, 0});  // "Итого"
  pages[0].texts.push_back({-5, 1100, 0, 0, "", false, true, 14});
  pages[0].texts.push_back({2147483647, -2147483647 - 1, 7, 9, std::string("a\0b\n\x1A", 5), true, true, 8});
  // pages[1] has no texts
  pages[2].texts.push_back({1, 2, 3, 4, std::string(70000, '\xFF'), false, false, 0});
  return pages;
}

void ExpectSame(const std::vector<ReportPage>& a, const std::vector<ReportPage>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t p = 0; p < a.size(); ++p) {
    ASSERT_EQ(a[p].texts.size(), b[p].texts.size()) << p;
    for (std::size_t t = 0; t < a[p].texts.size(); ++t) {
      const ReportText& x = a[p].texts[t];
      const ReportText& y = b[p].texts[t];
      EXPECT_EQ(std::tie(x.x, x.y, x.width, x.height, x.text, x.bold, x.justified, x.fontSize),
                std::tie(y.x, y.y, y.width, y.height, y.text, y.bold, y.justified, y.fontSize))
          << "page " << p << " text " << t;
    }
  }
}

TEST(ReportPageStream, PagesComeBackAsTheyWent) {
  std::vector<ReportPage> read;
  ASSERT_TRUE(DecodeReportPages(EncodeReportPages(SomePages()), &read).ok());
  ExpectSame(read, SomePages());
  ASSERT_TRUE(DecodeReportPages(EncodeReportPages({}), &read).ok());
  EXPECT_TRUE(read.empty());
}

TEST(ReportPageStream, DamagedBytesGiveNoPages) {
  const std::string bytes = EncodeReportPages(SomePages());
  std::vector<ReportPage> read = SomePages();
  // Cut anywhere (the long text's bytes in big steps), one byte too many, or
  // another start.
  for (std::size_t n = 0; n < bytes.size(); n += n < 200 ? 1 : 997) {
    EXPECT_FALSE(DecodeReportPages(std::string_view(bytes).substr(0, n), &read).ok()) << n;
    EXPECT_TRUE(read.empty()) << n;
  }
  EXPECT_FALSE(DecodeReportPages(bytes + "x", &read).ok());
  std::string other = bytes;
  other[4] = '2';
  EXPECT_FALSE(DecodeReportPages(other, &read).ok());
  // A page count no report has does not make the reader ask for the room.
  std::string huge = bytes.substr(0, 6) + std::string("\xFF\xFF\xFF\xFF", 4);
  EXPECT_FALSE(DecodeReportPages(huge, &read).ok());
}

}  // namespace
}  // namespace zvonar
