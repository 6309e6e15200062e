#include <gtest/gtest.h>

#include "config/DialogLimits.h"
#include "config/MainSettings.h"
#include "config/ServicesId.h"

namespace zvonar {
namespace {

struct Case {
  std::string_view list;
  std::string_view id;
  std::string_view want;
};

TEST(AddIdToList, AppendsOnlyWhatIsNotInsideTheList) {
  const Case cases[] = {
      {"1#2#G#m#M", "M", "1#2#G#m#M"},  // present
      {"8#9", "51", "8#9#51"},
      {"51#52", "5", "51#52"},  // "5" occurs inside "51"
      {"1#2#G", "g", "1#2#G"},  // letter case is not told apart
      {"", "51", "51"},
      {"8#9", "", "8#9"},
      {"", "", ""},
      {"\xD1\xCC\xD1", "\xF1\xEC\xF1", "\xD1\xCC\xD1"},  // СМС holds смс
  };
  for (const Case& t : cases) EXPECT_EQ(t.want, AddIdToList(t.list, t.id)) << t.list << " + " << t.id;
}

TEST(RemoveIdFromList, TakesTheFirstMatchAndOneSeparator) {
  const Case cases[] = {
      {"1#2#G#m#M", "2", "1#G#m#M"},
      {"1#2#G#m#M", "1", "2#G#m#M"},  // at the start: the "#" after it goes
      {"1#2#G#m#M", "M", "1#2#G#M"},  // the lower-case m matches first
      {"1#2#G#m#M", "x", "1#2#G#m#M"},
      {"51", "5", ""},  // one item without "#" goes whole
      {"8#9", "9", "8"},
      {"8#9", "", "8#9"},
      {"", "9", ""},
      {"1#", "1", ""},
      {"#1", "1", ""},
      {"51#52", "1#5", "52"},  // a match across a separator
      {"ab", "ab", ""},
  };
  for (const Case& t : cases) EXPECT_EQ(t.want, RemoveIdFromList(t.list, t.id)) << t.list << " - " << t.id;
}

TEST(RemoveIdFromList, UndoesAnAdd) {
  for (const char* list : {"8#9", "1#2#G#m#M", "51#52"}) {
    const std::string added = AddIdToList(list, "xyz");
    EXPECT_EQ(list, RemoveIdFromList(added, "xyz"));
  }
}

// A dialog shown and closed without a change must not alter a setting, so
// every default lies inside the range of its spin edit.
TEST(DialogLimits, HoldTheDefaults) {
  const MainSettings defaults;
  EXPECT_TRUE(kFontSizeLimits.Holds(defaults.fontSize));
  EXPECT_TRUE(kCountsHeightLimits.Holds(defaults.countsHeight));
  EXPECT_TRUE(kDateLengthLimits.Holds(10));
  for (std::size_t i = 0; i < kDefaultFieldWidths.size(); ++i)
    EXPECT_TRUE(kFieldWidthLimits[i].Holds(kDefaultFieldWidths[i])) << kFieldWidthKeys[i];
  EXPECT_FALSE(kFontSizeLimits.Holds(0));
  EXPECT_FALSE(kCountsHeightLimits.Holds(201));
}

}  // namespace
}  // namespace zvonar
