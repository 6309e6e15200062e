#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/Duplicates.h"
#include "base/tests/TestSupport.h"
#include "store/DetalTable.h"
#include "store/History.h"
#include "store/Table.h"

namespace zvonar {
namespace {

struct Call {
  std::string owner = "9161112233", dateTime = "2008.03.01 10:00:00", number = "4951234567", code = "M", sec = "60",
              cost = "1.50", abonent = "";
};

class DuplicatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string warning;
    ASSERT_TRUE(OpenDetalTable(dir_.path(), "dbf", kDefaultDetalWidths, &table_, &warning).ok());
  }

  void Add(const std::vector<Call>& calls) {
    for (const Call& r : calls) {
      ASSERT_TRUE(table_.Append().ok());
      const std::string texts[12] = {r.owner, r.dateTime, r.number, r.abonent, r.code, "1",
                                     r.sec,   "1.00",     r.cost,   "0.00",    r.cost, ""};
      for (int i = 0; i < 12; ++i) ASSERT_TRUE(table_.SetFieldText(i, texts[i]).ok());
      ASSERT_TRUE(table_.Post().ok());
    }
  }

  // Each group as its record numbers.
  std::vector<std::vector<std::uint32_t>> Groups(const FilterCriteria& criteria = {}) {
    EXPECT_TRUE(ApplyFilterIndexRule(&table_, false, criteria.date).ok());
    FindDuplicates(&table_, criteria, nullptr, &found_);
    EXPECT_EQ(FilterOutcome::Done, found_.outcome);
    std::vector<std::vector<std::uint32_t>> groups;
    for (std::size_t g = 0; g < found_.GroupCount(); ++g)
      groups.emplace_back(found_.recnos.begin() + static_cast<std::ptrdiff_t>(found_.starts[g]),
                          found_.recnos.begin() + static_cast<std::ptrdiff_t>(found_.GroupEnd(g)));
    return groups;
  }

  testing::TempDir dir_;
  Table table_;
  DuplicateGroups found_;
};

using GroupList = std::vector<std::vector<std::uint32_t>>;

TEST_F(DuplicatesTest, GroupsTheSameCallsInDateOrderAndRecordOrder) {
  Call later;
  later.dateTime = "2008.03.02 09:00:00";
  Call otherCost = later;
  otherCost.cost = "1.60";
  Call otherOwner = later;
  otherOwner.owner = "9162223344";
  Call named = later;
  named.abonent = "Ivanov";  // the name is no part of the call
  Add({later, Call{}, later, otherCost, otherOwner, Call{}, named});
  EXPECT_EQ((GroupList{{2, 6}, {1, 3, 7}}), Groups());
  EXPECT_EQ(3u, found_.Extra());
  EXPECT_EQ("2008.03.01 10:00:00", found_.rows.Cell(0, kDateTimeField));
}

TEST_F(DuplicatesTest, CodesSplitGroupsAndARecordWithoutOneJoinsTheFirst) {
  Call m, g, none;
  g.code = "G";
  none.code = "";
  Add({g, m, none, m, g});
  EXPECT_EQ((GroupList{{1, 3, 5}, {2, 4}}), Groups());
  Call lone;
  lone.dateTime = "2008.04.01";
  lone.code = "";
  Call coded = lone;
  coded.code = "X";
  Add({lone, coded});
  EXPECT_EQ((GroupList{{1, 3, 5}, {2, 4}, {6, 7}}), Groups());
}

TEST_F(DuplicatesTest, OnlyTheRecordsTheFilterFindsAreGrouped) {
  Call april;
  april.dateTime = "2008.04.05 12:00:00";
  Add({Call{}, Call{}, april, april});
  FilterCriteria criteria;
  criteria.date = true;
  criteria.dateBegin = {2008, 4, 1};
  criteria.dateEnd = {2008, 4, 30};
  EXPECT_EQ((GroupList{{3, 4}}), Groups(criteria));
}

TEST_F(DuplicatesTest, DeletingKeepsTheFirstOfEachGroupAndOneUndoBringsThemBack) {
  Call later;
  later.dateTime = "2008.03.02 09:00:00";
  Add({Call{}, later, Call{}, later, Call{}, later});
  Groups();
  const std::string order = table_.ActiveIndex();
  std::uint32_t deleted = 0;
  ASSERT_TRUE(DeleteDuplicates({dir_.path(), {}}, &table_, found_, &deleted).ok());
  EXPECT_EQ(4u, deleted);
  EXPECT_EQ(2u, table_.RecordCount());
  EXPECT_EQ(order, table_.ActiveIndex());
  EXPECT_EQ(GroupList{}, Groups());

  UndoOutcome undone;
  ASSERT_TRUE(UndoLatest(dir_.path(), &table_, nullptr, &undone).ok());
  EXPECT_EQ(kChangeDelete, undone.entry.kind);
  EXPECT_EQ(4u, undone.undone);
  EXPECT_EQ(6u, table_.RecordCount());
  EXPECT_EQ((GroupList{{1, 3, 5}, {2, 4, 6}}), Groups());
}

TEST_F(DuplicatesTest, ARecordChangedSinceItWasFoundIsLeftAlone) {
  Add({Call{}, Call{}, Call{}});
  Groups();
  ASSERT_TRUE(table_.SetActiveIndex("").ok());
  ASSERT_TRUE(table_.Last().ok());
  ASSERT_TRUE(table_.Edit().ok());
  ASSERT_TRUE(table_.SetFieldText(kAbonentField, "Petrov").ok());
  ASSERT_TRUE(table_.Post().ok());
  std::uint32_t deleted = 0;
  ASSERT_TRUE(DeleteDuplicates({dir_.path(), {}}, &table_, found_, &deleted).ok());
  EXPECT_EQ(1u, deleted);
  EXPECT_EQ(2u, table_.RecordCount());
}

}  // namespace
}  // namespace zvonar
