#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPdfWriter>
#include <algorithm>
#include <filesystem>

#include "base/tests/TestSupport.h"
#include "print/ReportPainter.h"
#include "print/tests/PdfText.h"

namespace zvonar {
namespace {

ReportText Text(int x, int y, int width, std::string text, bool justified = false) {
  ReportText t;
  t.x = x;
  t.y = y;
  t.width = width;
  t.text = std::move(text);
  t.justified = justified;
  return t;
}

TEST(WriteReportPdf, TextWiderThanItsBoxIsNarrowedThenCut) {
  if (!testing::HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  testing::TempDir dir;
  std::vector<ReportPage> pages(2);
  // Far wider than its box: narrowed as far as it reads, then cut.
  pages[0].texts.push_back(Text(266, 80, 100, "Konstantinopolsky-Shchedrinsky"));
  pages[0].texts.push_back(Text(30, 120, 900, "=== Wide words ===", true));
  // A little wider than its box: narrowed, every character printed.
  pages[0].texts.push_back(Text(30, 160, 110, "2024.12.31 23:59:59"));
  pages[1].texts.push_back(Text(30, 1049, 126, "2024.12.31 23:59:59"));
  // Cyrillic in code page 1251: "Абонент".
  pages[1].texts.push_back(Text(30, 200, 100, "\xc0\xe1\xee\xed\xe5\xed\xf2"));
  ASSERT_TRUE(WithGuiApplication([&] { return WriteReportPdf(pages, dir.File("r.pdf")); }).ok());
  const std::string text = testing::PdfText(dir.File("r.pdf"));
  EXPECT_EQ(std::string::npos, text.find("Konstantinopolsky-Shchedrinsky")) << text;
  const std::size_t cut = text.find("Konstantinopol");
  ASSERT_NE(std::string::npos, cut) << text;
  EXPECT_NE(std::string::npos, text.find("…", cut)) << text;
  EXPECT_EQ(2, [&] {
    int n = 0;
    for (std::size_t at = 0; (at = text.find("2024.12.31 23:59:59", at)) != std::string::npos; ++at) ++n;
    return n;
  }()) << text;
  EXPECT_NE(std::string::npos, text.find("Абонент")) << text;
  EXPECT_NE(std::string::npos, text.find("Wide")) << text;
  EXPECT_EQ(2, std::count(text.begin(), text.end(), '\f'));
}

TEST(PaintReport, SheetTurnedSidewaysStillHoldsTheLowestLine) {
  if (!testing::HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  testing::TempDir dir;
  std::vector<ReportPage> pages(1);
  pages[0].texts.push_back(Text(30, 25, 300, "top line"));
  pages[0].texts.push_back(Text(30, kReportLastY, 900, "bottom line"));
  const Status s = WithGuiApplication([&] {
    QPdfWriter writer(QString::fromStdString(dir.File("wide.pdf")));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF()));
    return PaintReport(&writer, pages) ? Status::Ok() : Status::IoError("not painted");
  });
  ASSERT_TRUE(s.ok());
  const std::string text = testing::PdfText(dir.File("wide.pdf"));
  EXPECT_NE(std::string::npos, text.find("top line")) << text;
  EXPECT_NE(std::string::npos, text.find("bottom line")) << text;
}

TEST(WriteReportPdf, RefusedPathIsReportedAndAFileIsReplacedWhole) {
  testing::TempDir dir;
  const std::vector<ReportPage> pages(1);
  // A directory stands where the file would go.
  std::filesystem::create_directory(dir.File("taken.pdf"));
  const Status s = WithGuiApplication([&] { return WriteReportPdf(pages, dir.File("taken.pdf")); });
  EXPECT_FALSE(s.ok());
  EXPECT_NE(std::string::npos, s.message().find("taken.pdf"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken.pdf")));

  testing::WriteOrDie(dir.File("old.pdf"), "old");
  EXPECT_TRUE(WithGuiApplication([&] { return WriteReportPdf(pages, dir.File("old.pdf")); }).ok());
  EXPECT_EQ(0u, testing::ReadOrEmpty(dir.File("old.pdf")).rfind("%PDF", 0));
}

}  // namespace
}  // namespace zvonar
