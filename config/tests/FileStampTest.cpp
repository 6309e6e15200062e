#include "config/FileStamp.h"

#include <gtest/gtest.h>

#include "base/TextFile.h"
#include "base/tests/TestSupport.h"

namespace zvonar {
namespace {

TEST(FileStampLine, TitleCommentAndDayCount) {
  EXPECT_EQ("Zvonar v.2.3.3.65,  (39970.5)", FileStampLine(kStampTitle, "", 39970.5));
  EXPECT_EQ("T, c (46000.1234567891)", FileStampLine("T", "c", 46000.12345678912345));
  EXPECT_EQ("T,  (40000)", FileStampLine("T", "", 40000.0));
}

TEST(DayCountNow, CountsFromTheEndOf1899) {
  // Any moment of this program's life lies after 2020-01-01 (43831) and
  // before 2100-01-01 (73051).
  const double now = DayCountNow();
  EXPECT_GT(now, 43831.0);
  EXPECT_LT(now, 73051.0);
}

TEST(WriteFileStamp, NewFileHoldsOnlyTheStamp) {
  testing::TempDir dir;
  const std::string path = dir.File("abonents.dat");
  ASSERT_TRUE(WriteFileStamp(path, kStampTitle, ""));
  std::vector<std::string> lines;
  ASSERT_TRUE(ReadTextLines(path, &lines).ok());
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(0u, lines[0].rfind("Zvonar v.2.3.3.65,  (", 0)) << lines[0];
  EXPECT_EQ(')', lines[0].back());
}

TEST(WriteFileStamp, ReplacesOnlyAForeignStampLine) {
  testing::TempDir dir;
  const std::string path = dir.File("abonents.dat");
  testing::WriteOrDie(path, "old;Vextrano header\r\n[Abonents]\r\n79001=Ann\r\n");
  ASSERT_TRUE(WriteFileStamp(path, kStampTitle, ""));
  std::vector<std::string> lines;
  ASSERT_TRUE(ReadTextLines(path, &lines).ok());
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(0u, lines[0].rfind("Zvonar v.2.3.3.65", 0));
  EXPECT_EQ("79001=Ann", lines[2]);

  // Our own stamp stays as it is on later stamping.
  testing::WriteOrDie(path, "Zvonar v.2.3.3.65,  (39970.5)\r\n[Abonents]\r\n");
  ASSERT_TRUE(WriteFileStamp(path, kStampTitle, ""));
  EXPECT_EQ("Zvonar v.2.3.3.65,  (39970.5)\r\n[Abonents]\r\n", testing::ReadOrEmpty(path));
}

TEST(WriteFileStamp, ReportsAFileItCannotWrite) {
  testing::TempDir dir;
  EXPECT_FALSE(WriteFileStamp(dir.File("missing-dir/abonents.dat"), kStampTitle, ""));
}

}  // namespace
}  // namespace zvonar
