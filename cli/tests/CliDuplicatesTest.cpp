// Calls the table holds already, from the command line: import skips them
// and says how many, --keep-duplicates keeps them, duplicates lists the
// groups and with --delete keeps the first of each, undone in one step.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/tests/TestSupport.h"
#include "cli/tests/CliTestSupport.h"
#include "import/tests/BillTestSupport.h"

namespace zvonar {
namespace {

using testing::CliRun;
using testing::Cp;

class CliDuplicatesTest : public ::testing::Test {
 protected:
  CliRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", dir_.path()});
    return testing::RunArgs(args);
  }
  // A bill of the lines given, each ended by `lineEnd`.
  std::string WriteBill(const std::string& name, const std::vector<std::string>& calls,
                        const std::string& lineEnd = "\r\n") {
    std::string text = Cp("Ведомость разговоров +7/9161112233") + lineEnd;
    for (const std::string& call : calls) text += Cp(call) + lineEnd;
    testing::WriteOrDie(dir_.File(name), text);
    return dir_.File(name);
  }
  long Lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }
  long Records() { return Lines(Cli({"dump"}).out); }
  testing::TempDir dir_;
};

const std::string kFirst = "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50";
const std::string kSecond = "02.03.2008 14:00:00 4957654321 М 1 30 1.00 1.50 0.00 1.50";
const std::string kThird = "03.03.2008 09:15:00 4957654321 М 1 90 2.00 4.50 0.00 4.50";

TEST_F(CliDuplicatesTest, ImportSkipsTheCallsHeldAlreadyUnlessTheyAreToBeKept) {
  ASSERT_EQ(kExitOk, Cli({"import", WriteBill("a.txt", {kFirst, kSecond})}).code);
  const std::string b = WriteBill("b.txt", {kFirst, kSecond, kThird});
  const CliRun overlap = Cli({"import", b});
  EXPECT_EQ(kExitOk, overlap.code);
  EXPECT_EQ(
      b + ": 2 of 3 records already in the table skipped (2008.03.01 to 2008.03.02)\n" + b + ": 1 records added\n",
      overlap.out);
  EXPECT_EQ(3, Records());

  const std::string c = WriteBill("c.txt", {kFirst, kSecond, kThird}, "\n");
  const CliRun all = Cli({"import", c});
  EXPECT_EQ(kExitOk, all.code);
  EXPECT_EQ(
      c + ": 3 of 3 records already in the table skipped (2008.03.01 to 2008.03.03)\n" + c + ": 0 records added\n",
      all.out);
  EXPECT_EQ("", all.err);

  const std::string kept = WriteBill("kept.txt", {kSecond, kThird});
  EXPECT_EQ(kept + ": 2 records added\n", Cli({"import", "--keep-duplicates", kept}).out);
  EXPECT_EQ(5, Records());
}

TEST_F(CliDuplicatesTest, DuplicatesListsTheGroupsAndDeletesAllButTheFirstOfEach) {
  const CliRun none = Cli({"duplicates"});
  EXPECT_EQ(kExitOk, none.code);
  EXPECT_EQ("0 groups of equal records, 0 records besides the first of their group\n", none.out);

  ASSERT_EQ(kExitOk, Cli({"import", WriteBill("a.txt", {kFirst, kSecond, kThird})}).code);
  ASSERT_EQ(kExitOk, Cli({"import", "--keep-duplicates", WriteBill("b.txt", {kSecond, kThird, kThird})}).code);
  const CliRun listed = Cli({"duplicates"});
  EXPECT_EQ(kExitOk, listed.code);
  EXPECT_EQ(
      "1\t2\t9161112233\t2008.03.02 14:00:00\t4957654321\t\tМ\t1\t30\t1.00\t1.50\t0.00\t1.50\t\n"
      "1\t4\t9161112233\t2008.03.02 14:00:00\t4957654321\t\tМ\t1\t30\t1.00\t1.50\t0.00\t1.50\t\n"
      "2\t3\t9161112233\t2008.03.03 09:15:00\t4957654321\t\tМ\t1\t90\t2.00\t4.50\t0.00\t4.50\t\n"
      "2\t5\t9161112233\t2008.03.03 09:15:00\t4957654321\t\tМ\t1\t90\t2.00\t4.50\t0.00\t4.50\t\n"
      "2\t6\t9161112233\t2008.03.03 09:15:00\t4957654321\t\tМ\t1\t90\t2.00\t4.50\t0.00\t4.50\t\n"
      "2 groups of equal records, 3 records besides the first of their group\n",
      listed.out);
  const CliRun march2 = Cli({"duplicates", "--from", "2008.03.02", "--to", "2008.03.02"});
  EXPECT_EQ(3, Lines(march2.out));
  EXPECT_NE(std::string::npos, march2.out.find("1 groups of equal records, 1 records besides"));

  const CliRun deleted = Cli({"duplicates", "--delete"});
  EXPECT_EQ(kExitOk, deleted.code);
  EXPECT_NE(std::string::npos, deleted.out.find("\n3 records deleted\n"));
  EXPECT_EQ(3, Records());
  EXPECT_EQ("0 groups of equal records, 0 records besides the first of their group\n", Cli({"duplicates"}).out);

  ASSERT_EQ(kExitOk, Cli({"undo"}).code);  // one step brings back all three
  EXPECT_EQ(6, Records());
  EXPECT_EQ(listed.out, Cli({"duplicates"}).out);
  EXPECT_EQ(kExitUsage, Cli({"duplicates", "--bogus"}).code);
}

}  // namespace
}  // namespace zvonar
