#include <gtest/gtest.h>

#include "import/AbonentLookup.h"

namespace zvonar {
namespace {

constexpr int kExactOnly = 0;
constexpr int kVariants = 1;

TEST(FindAbonentName, FindsNumberUnderItsSpellings) {
  struct Case {
    std::string_view book, number, townCode;
    int mode;
    std::string_view want;
  };
  const Case cases[] = {
      // A 7-digit local number with the town code is found under 8 + town + number.
      {"84951234567=Office", "1234567", "495", kVariants, "Office"},
      {"84951234567=Office", "1234567", "495", kExactOnly, ""},
      {"1234567=Local", "1234567", "495", kExactOnly, "Local"},
      // The 10-digit tail is tried bare and after 7, +7 and 8.
      {"9161234567=Bare", "+79161234567", "", kVariants, "Bare"},
      {"79161234567=Seven", "89161234567", "", kVariants, "Seven"},
      {"+79161234567=Plus", "9161234567", "", kVariants, "Plus"},
      {"89161234567=Eight", "79161234567", "", kVariants, "Eight"},
      {"89161234567=Eight", "79161234567", "", kExactOnly, ""},
      // The town code goes before numbers of 5 to 8 digits only.
      {"81234561234=Town", "61234", "12345", kVariants, "Town"},
      {"81212345678=Town", "12345678", "12", kVariants, "Town"},
      {"81234561234=Town", "1234", "123456", kVariants, ""},
      {"81123456789=Town", "123456789", "1", kVariants, ""},
      // Too short for the 10-digit form, with or without a town code.
      {"84951234=Short", "1234", "495", kVariants, ""},
      {"89161234567=Eight", "1234567", "", kVariants, ""},
      // Service pseudo-numbers and empty numbers have no name.
      {"S123=Service", "S123", "", kVariants, ""},
      {"=Nobody", "", "", kVariants, ""},
  };
  for (const Case& t : cases) {
    const NameValueList book = NameValueList::FromLines({std::string(t.book)});
    EXPECT_EQ(t.want, FindAbonentName(t.number, t.townCode, t.mode, book))
        << t.book << " / " << t.number << " mode " << t.mode;
  }
}

TEST(FindAbonentName, PrefersTheExactNumberThenTheVariantOrder) {
  const NameValueList book =
      NameValueList::FromLines({"89161234567=Eight", "+79161234567=Plus", "79161234567=Seven", "0079161234567=Exact"});
  EXPECT_EQ("Exact", FindAbonentName("0079161234567", "", kVariants, book));
  EXPECT_EQ("Seven", FindAbonentName("9161234567", "", kVariants, book));
  EXPECT_EQ("Seven", FindAbonentName("0089161234567", "", kVariants, book));
}

TEST(FindAbonentName, EmptyValueCountsAsNotFound) {
  const NameValueList book = NameValueList::FromLines({"89161234567=", "79161234567=Seven"});
  EXPECT_EQ("Seven", FindAbonentName("89161234567", "", kVariants, book));
}

}  // namespace
}  // namespace zvonar
