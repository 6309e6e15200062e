#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "analysis/FilterEngine.h"
#include "base/Cp1251.h"
#include "base/tests/TestSupport.h"
#include "store/DetalTable.h"
#include "store/Table.h"

namespace zvonar {
namespace {

struct Rec {
  std::string owner, dateTime, number, code = "1", type = "out", cost = "1.50", all = "1.50";
};

class FilterTest : public ::testing::Test {
 protected:
  void Open(const std::vector<Rec>& recs, const DetalWidths& widths = kDefaultDetalWidths) {
    std::string warning;
    ASSERT_TRUE(OpenDetalTable(dir_.path(), "dbf", widths, &table_, &warning).ok());
    for (const Rec& r : recs) {
      ASSERT_TRUE(table_.Append().ok());
      const std::string texts[12] = {r.owner, r.dateTime, r.number, "", r.code, r.type,
                                     "60",    "1",        r.cost,   "", r.all,  ""};
      for (int i = 0; i < 12; ++i) ASSERT_TRUE(table_.SetFieldText(i, texts[i]).ok()) << texts[i];
      ASSERT_TRUE(table_.Post().ok());
    }
  }

  // Owners and numbers of the rows the filter gives, "owner/number" each.
  std::vector<std::string> Run(FilterCriteria c, bool forceDateIndex = false) {
    EXPECT_TRUE(ApplyFilterIndexRule(&table_, forceDateIndex, c.date).ok());
    FilterResult result;
    RunFilter(&table_, c, nullptr, &result);
    outcome_ = result.outcome;
    std::vector<std::string> got;
    for (std::size_t i = 0; i < result.rows.RowCount(); ++i)
      got.push_back(std::string(result.rows.Cell(i, 0)) + "/" + std::string(result.rows.Cell(i, 2)));
    return got;
  }

  void CheckRunsOverEveryRecord(const DetalWidths& widths);

  testing::TempDir dir_;
  Table table_;
  FilterOutcome outcome_ = FilterOutcome::Done;
};

using Rows = std::vector<std::string>;

TEST_F(FilterTest, NothingTickedListsEveryRecordInIndexOrder) {
  Open({{"B", "2006.05.02", "2"}, {"A", "2006.05.03", "1"}, {"B", "2006.05.01", "3"}});
  EXPECT_EQ((Rows{"A/1", "B/2", "B/3"}), Run({}));
  FilterCriteria date;
  date.date = true;
  date.dateBegin = {2006, 5, 1};
  date.dateEnd = {2006, 5, 31};
  EXPECT_EQ((Rows{"B/3", "B/2", "A/1"}), Run(date));
}

TEST_F(FilterTest, NullComparesTheTextsZeroPointZeroZero) {
  Open({{"A", "2006.05.01", "1", "1", "out", "0.00", "0.00"},
        {"A", "2006.05.02", "2", "1", "out", "0.00", "1.00"},
        {"A", "2006.05.03", "3", "1", "out", "0", "0"}});
  FilterCriteria c;
  c.null = false;
  EXPECT_EQ((Rows{"A/2", "A/3"}), Run(c));
}

TEST_F(FilterTest, OwnerBlockEndsTheScanAndKeepsOrder) {
  Open({{"A", "2006.05.01", "1"}, {"B", "2006.05.02", "2"}, {"C", "2006.05.03", "3"}, {"B", "2006.05.04", "4"}});
  FilterCriteria c;
  c.owner = true;
  c.ownerText = "B";
  EXPECT_EQ((Rows{"B/2", "B/4"}), Run(c));
  // In date order one owner's records are not together: no early end.
  EXPECT_EQ((Rows{"B/2", "B/4"}), Run(c, /*forceDateIndex=*/true));
  c.ownerText = "Z";
  EXPECT_EQ(Rows{}, Run(c));
}

TEST_F(FilterTest, ScanStopsWhereNoLaterRecordCanPass) {
  std::vector<Rec> recs;
  for (int i = 0; i < 30; ++i)
    recs.push_back({std::string(1, static_cast<char>('A' + i % 3)), "2006.05." + std::to_string(10 + i % 20), "1"});
  Open(recs);
  int visited = 0;
  const ProgressFn count = [&](int64_t, int64_t) { ++visited; };
  FilterCriteria owner;
  owner.owner = true;
  owner.ownerText = "B";
  ASSERT_TRUE(ApplyFilterIndexRule(&table_, false, false).ok());
  FilterResult result;
  RunFilter(&table_, owner, count, &result);
  EXPECT_EQ(10u, result.rows.RowCount());
  EXPECT_EQ(11, visited);  // the B block and the first C record
  FilterCriteria date;
  date.date = true;
  date.dateBegin = {2006, 5, 12};
  date.dateEnd = {2006, 5, 13};
  ASSERT_TRUE(ApplyFilterIndexRule(&table_, false, true).ok());
  visited = 0;
  RunFilter(&table_, date, count, &result);
  EXPECT_EQ(4u, result.rows.RowCount());
  EXPECT_EQ(5, visited);  // started at the begin date, stopped at the first later day
}

TEST_F(FilterTest, RowsGivenToASinkAreTheRowsKeptInTheSameOrder) {
  std::vector<Rec> recs;
  for (int i = 0; i < 40; ++i)
    recs.push_back({std::string(1, static_cast<char>('A' + i % 4)), "2006.05." + std::to_string(10 + i % 20),
                    std::to_string(i), i % 3 == 0 ? "2" : "1", "out", i % 5 == 0 ? "0.00" : "1.00",
                    i % 5 == 0 ? "0.00" : "1.00"});
  Open(recs);
  FilterCriteria owner, date, code, empty;
  owner.owner = true;
  owner.ownerText = "C";
  date.date = true;
  date.dateBegin = {2006, 5, 14};
  date.dateEnd = {2006, 5, 21};
  date.null = false;
  code.code = true;
  code.codeText = "2";
  code.exclude = true;
  empty.number = true;  // ticked with an empty value: a silent stop
  for (const FilterCriteria& c : {owner, date, code, FilterCriteria{}, empty}) {
    const Rows kept = Run(c);
    const FilterOutcome keptOutcome = outcome_;
    FilterResult result;
    Rows given;
    RunFilterInto(
        &table_, c, [&](const FilterRow& row) { given.push_back(std::string(row[0]) + "/" + std::string(row[2])); },
        &result);
    EXPECT_EQ(kept, given) << c.ownerText << c.codeText << c.date;
    EXPECT_EQ(keptOutcome, result.outcome);
    EXPECT_TRUE(result.rows.Empty());
  }
}

// Runs with no owner or date read the file in its own order and lay the
// rows out in the index's: equal keys by record number, deleted records
// left out, and the table left on the order's last record. An owner wider
// than twelve characters sorts by its whole key.
TEST_F(FilterTest, ARunOverEveryRecordGivesTheRowsRecordsAndPlaceOfTheWalkInOrder) {
  for (const int ownerWidth : {12, 20}) {
    SCOPED_TRACE("Owner width " + std::to_string(ownerWidth));
    table_.Close();
    std::filesystem::remove_all(dir_.path());
    std::filesystem::create_directories(dir_.path());
    DetalWidths widths = kDefaultDetalWidths;
    widths[kOwnerField] = ownerWidth;
    CheckRunsOverEveryRecord(widths);
  }
}

void FilterTest::CheckRunsOverEveryRecord(const DetalWidths& widths) {
  std::vector<Rec> recs;
  for (int i = 0; i < 300; ++i)
    recs.push_back({std::string(1, static_cast<char>('E' - i % 5)), "2006.05." + std::to_string(10 + i * 7 % 3),
                    std::to_string(i + 1), i % 4 == 0 ? "2" : "1"});
  Open(recs, widths);
  for (const std::uint32_t gone : {1u, 2u, 150u, 299u, 300u}) {
    ASSERT_TRUE(table_.GoToRecNo(gone).ok());
    ASSERT_TRUE(table_.Delete().ok());
  }
  FilterCriteria code;
  code.code = true;
  code.codeText = "2";
  code.exclude = true;
  for (const bool byDate : {false, true}) {
    for (const FilterCriteria& c : {FilterCriteria{}, code}) {
      SCOPED_TRACE(std::string(byDate ? "DateTime" : "Owner") + (c.code ? ", code" : ""));
      ASSERT_TRUE(ApplyFilterIndexRule(&table_, byDate, false).ok());
      FilterResult result;
      std::vector<std::uint32_t> recnos;
      RunFilter(&table_, c, nullptr, &result, &recnos);
      const std::uint32_t endedOn = table_.RecNo();
      ASSERT_EQ(FilterOutcome::Done, result.outcome);
      EXPECT_EQ(byDate ? "DATETIME" : "OWNER", table_.ActiveIndex());

      Rows walked;
      FilterResult streamed;
      RunFilterInto(
          &table_, c, [&](const FilterRow& row) { walked.push_back(std::string(row[0]) + "/" + std::string(row[2])); },
          &streamed);
      EXPECT_EQ(endedOn, table_.RecNo());
      Rows kept;
      for (std::size_t i = 0; i < result.rows.RowCount(); ++i) {
        kept.push_back(std::string(result.rows.Cell(i, 0)) + "/" + std::string(result.rows.Cell(i, 2)));
        ASSERT_LT(i, recnos.size());
        EXPECT_EQ(std::to_string(recnos[i]), std::string(result.rows.Cell(i, 2))) << "row " << i;
      }
      EXPECT_EQ(walked, kept);
      EXPECT_EQ(c.code ? 221u : 295u, kept.size());
    }
  }
}

TEST_F(FilterTest, DateBoundsAreWholeDays) {
  Open({{"A", "2006.04.30 23:59:59", "1"},
        {"A", "2006.05.01", "2"},
        {"A", "2006.05.31 23:59:59", "3"},
        {"A", "2006.06.01", "4"}});
  FilterCriteria c;
  c.date = true;
  c.dateBegin = {2006, 5, 1};
  c.dateEnd = {2006, 5, 31};
  EXPECT_EQ((Rows{"A/2", "A/3"}), Run(c));
  c.simpleDbf = true;  // no positioning by key: same rows
  EXPECT_EQ((Rows{"A/2", "A/3"}), Run(c));
}

TEST_F(FilterTest, NumberTailsAndNationalForms) {
  Open({{"A", "2006.05.01", "9211234567"},
        {"A", "2006.05.02", "+79211234567"},
        {"A", "2006.05.03", "89211234567"},
        {"A", "2006.05.04", "1234567"},
        {"A", "2006.05.05", "89217654321"},
        {"A", "2006.05.06", ""}});
  FilterCriteria c;
  c.number = true;
  c.numberText = "89211234567";
  EXPECT_EQ((Rows{"A/9211234567", "A/+79211234567", "A/89211234567", "A/1234567"}), Run(c));
  c.numberText = "4567";
  EXPECT_EQ((Rows{"A/9211234567", "A/+79211234567", "A/89211234567", "A/1234567"}), Run(c));
  // An empty number matches no number filter, so Exclude lets it through.
  c.exclude = true;
  EXPECT_EQ((Rows{"A/89217654321", "A/"}), Run(c));
}

TEST_F(FilterTest, OperatorCodeWithLocalNumbers) {
  Open({{"A", "2006.05.01", "89211234567"},
        {"A", "2006.05.02", "9211234567"},
        {"A", "2006.05.03", "1234567"},
        {"A", "2006.05.04", "921555"},
        {"A", "2006.05.05", "89031234567"}});
  FilterCriteria c;
  c.operCode = true;
  c.operCodeText = "921";
  EXPECT_EQ((Rows{"A/89211234567", "A/9211234567"}), Run(c));
  c.phoneCodeTown = "8921";
  EXPECT_EQ((Rows{"A/89211234567", "A/9211234567", "A/1234567"}), Run(c));
}

TEST_F(FilterTest, ServiceKindsAndExclude) {
  Open({{"A", "2006.05.01", "1", "1", "1"},
        {"A", "2006.05.02", "2", "", "Call"},
        {"A", "2006.05.03", "3", "8", "8"},
        {"A", "2006.05.04", "4", "51", "51"},
        {"A", "2006.05.05", "5", "G", "G"}});
  FilterCriteria c;
  c.calls = true;  // default "1#2#G#m#M": one-character identifiers work
  EXPECT_EQ((Rows{"A/1", "A/5"}), Run(c));
  c.callsId = "x#call";  // a word in other letter case with an empty code is a call
  EXPECT_EQ((Rows{"A/2"}), Run(c));
  c.calls = false;
  c.sms = true;
  EXPECT_EQ((Rows{"A/3"}), Run(c));
  c.sms = false;
  c.mms = true;
  EXPECT_EQ((Rows{"A/4"}), Run(c));  // "1" of the first record is no MMS although "51" holds it
  c.exclude = true;
  EXPECT_EQ((Rows{"A/1", "A/2", "A/3", "A/5"}), Run(c));
}

// Texts are written in UTF-8 here and compared in code page 1251.
std::string Cp(std::string_view utf8) {
  std::string out;
  EXPECT_TRUE(Utf8ToCp1251(utf8, &out).ok()) << utf8;
  return out;
}

TEST(ServiceKind, DefaultListsMatchWholeIdentifiersOnly) {
  struct Case {
    const char* setting;
    std::string_view text;
    bool want;
  };
  const Case cases[] = {
      {"1#2#G#m#M", "1", true}, {"1#2#G#m#M", "g", true}, {"1#2#G#m#M", "12", false}, {"1#2#G#m#M", "", false},
      {"8#9", "8", true},       {"8#9", "89", false},     {"51#52", "51", true},      {"51#52", "52", true},
      {"51#52", "1", false},    {"51#52", "5", false},    {"51#52", "2", false},      {"51#52", "515", false},
  };
  for (const Case& t : cases) EXPECT_EQ(t.want, ServiceKind(t.setting).Holds(t.text)) << t.setting << "|" << t.text;
}

TEST(ServiceKind, WordListsMatchWholeWordsInAnyLetterCase) {
  const ServiceKind calls(Cp("Исходящий звонок#Входящий звонок#Ёлка 1"));
  EXPECT_TRUE(calls.Holds(Cp("звонок")));
  EXPECT_TRUE(calls.Holds(Cp("ЗВОНОК")));
  EXPECT_TRUE(calls.Holds(Cp("исходящий ЗВОНОК")));
  EXPECT_TRUE(calls.Holds(Cp("Входящий")));
  EXPECT_TRUE(calls.Holds(Cp("ёлка")));
  EXPECT_TRUE(calls.Holds("1"));
  EXPECT_FALSE(calls.Holds(Cp("звон")));
  EXPECT_FALSE(calls.Holds(Cp("ходящий")));
  EXPECT_FALSE(calls.Holds(Cp("елка")));  // ё and е stay apart
  EXPECT_FALSE(calls.Holds(Cp("звонок исходящий")));
  const ServiceKind sms("SMS-in#SMS/out");
  EXPECT_TRUE(sms.Holds("sms"));
  EXPECT_TRUE(sms.Holds("OUT"));
  EXPECT_FALSE(sms.Holds("s"));
}

TEST_F(FilterTest, CodeAndTypeCompareExactly) {
  Open({{"A", "2006.05.01", "1", "1", "Out"}, {"A", "2006.05.02", "2", "2", "out"}});
  FilterCriteria c;
  c.type = true;
  c.typeText = "out";
  EXPECT_EQ((Rows{"A/2"}), Run(c));
  c.code = true;
  c.codeText = "1";
  EXPECT_EQ(Rows{}, Run(c));
}

TEST_F(FilterTest, EmptyValueBoxStopsSilentlyAndMissingIndexIsReported) {
  Open({{"A", "2006.05.01", "1"}});
  FilterCriteria c;
  c.operCode = true;
  EXPECT_EQ(Rows{}, Run(c));
  EXPECT_EQ(FilterOutcome::SilentStop, outcome_);
  ASSERT_TRUE(table_.Close().ok());
  ASSERT_EQ(0, std::remove(DetalIndexPath(dir_.path()).c_str()));
  OpenNotes notes;
  ASSERT_TRUE(table_.Open(DetalTablePath(dir_.path(), "dbf"), &notes).ok());
  EXPECT_EQ(Rows{}, Run({}));
  EXPECT_EQ(FilterOutcome::NoIndexes, outcome_);
}

TEST_F(FilterTest, ExcludeInvertsEachValueCriterion) {
  Open({{"A", "2006.05.01", "89211234567", "1", "out"},
        {"A", "2006.05.02", "89031234567", "8", "8"},
        {"A", "2006.05.03", "555123", "2", "in"},
        {"A", "2006.05.04", "1234567", "G", "G"}});
  struct Case {
    const char* what;
    FilterCriteria c;
    Rows kept, excluded;
  };
  FilterCriteria calls, sms, oper, code, type;
  calls.calls = true;
  sms.sms = true;
  oper.operCode = true;
  oper.operCodeText = "921";
  code.code = true;
  code.codeText = "2";
  type.type = true;
  type.typeText = "out";
  const Case cases[] = {
      {"calls", calls, {"A/1234567"}, {"A/89211234567", "A/89031234567", "A/555123"}},
      {"sms", sms, {"A/89031234567"}, {"A/89211234567", "A/555123", "A/1234567"}},
      {"operator code", oper, {"A/89211234567"}, {"A/89031234567", "A/555123", "A/1234567"}},
      {"code", code, {"A/555123"}, {"A/89211234567", "A/89031234567", "A/1234567"}},
      {"type", type, {"A/89211234567"}, {"A/89031234567", "A/555123", "A/1234567"}},
  };
  for (const Case& t : cases) {
    FilterCriteria c = t.c;
    EXPECT_EQ(t.kept, Run(c)) << t.what;
    c.exclude = true;
    EXPECT_EQ(t.excluded, Run(c)) << t.what << " excluded";
  }
}

TEST_F(FilterTest, EveryValueCriterionWithAnEmptyBoxStopsSilently) {
  Open({{"A", "2006.05.01", "1"}});
  for (int which = 0; which < 4; ++which) {
    FilterCriteria c;
    c.operCode = which == 0;
    c.number = which == 1;
    c.code = which == 2;
    c.type = which == 3;
    EXPECT_EQ(Rows{}, Run(c)) << which;
    EXPECT_EQ(FilterOutcome::SilentStop, outcome_) << which;
    // The same box filled runs to the end, even when nothing matches.
    c.operCodeText = c.numberText = c.codeText = c.typeText = "7";
    EXPECT_EQ(Rows{}, Run(c)) << which;
    EXPECT_EQ(FilterOutcome::Done, outcome_) << which;
  }
  FilterCriteria owner;  // an empty owner box is a wanted owner of no name
  owner.owner = true;
  EXPECT_EQ(Rows{}, Run(owner));
  EXPECT_EQ(FilterOutcome::Done, outcome_);
}

TEST_F(FilterTest, OperatorCodeTakesSixAndSevenDigitLocalNumbersOnly) {
  Open({{"A", "2006.05.01", "555123"},
        {"A", "2006.05.02", "5551234"},
        {"A", "2006.05.03", "55512"},
        {"A", "2006.05.04", "55512345"},
        {"A", "2006.05.05", "+79211234567"}});
  FilterCriteria c;
  c.operCode = true;
  c.operCodeText = "921";
  c.phoneCodeTown = "8921";
  EXPECT_EQ((Rows{"A/555123", "A/5551234", "A/+79211234567"}), Run(c));
  c.phoneCodeTown = "8812";  // another town: local numbers are not of the code
  EXPECT_EQ((Rows{"A/+79211234567"}), Run(c));
}

TEST(ServiceKindList, DropsOnlyEmptyItems) {
  EXPECT_EQ((std::vector<std::string>{"1", "2", "G"}), ServiceKindList("1##2#G#"));
  EXPECT_TRUE(ServiceKindList("").empty());
}

}  // namespace
}  // namespace zvonar
