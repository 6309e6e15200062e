#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "base/tests/TestSupport.h"
#include "books/AbonentsBook.h"
#include "config/AddedTexts.h"
#include "config/LanguageFile.h"

namespace zvonar {
namespace {

using testing::ReadOrEmpty;
using testing::TempDir;
using testing::WriteOrDie;

bool IsOurStamp(const std::string& line) {
  return line.rfind("Zvonar v.2.3.3.65,  (", 0) == 0 && line.back() == ')';
}

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  EXPECT_TRUE(ReadTextLines(path, &lines).ok());
  return lines;
}

std::vector<AbonentEntry> Load(const std::string& path) {
  std::vector<AbonentEntry> entries;
  const Status s = LoadAbonentsBook(path, &entries);
  EXPECT_TRUE(s.ok()) << s.message();
  return entries;
}

SaveAbonentOutcome Save(const std::string& path, std::string_view old, std::string_view number, std::string_view name) {
  SaveAbonentOutcome outcome;
  const Status s = SaveAbonent(path, old, number, name, &outcome);
  EXPECT_TRUE(s.ok()) << s.message();
  return outcome;
}

TEST(LoadAbonentsBook, EntriesInFileOrderFirstSpellingWins) {
  TempDir dir;
  const std::string path = AbonentsBookPath(dir.path());
  EXPECT_TRUE(Load(path).empty());  // a missing book is an empty one
  EXPECT_FALSE(FileExists(path));   // and is not made by reading
  // Cyrillic names in code page 1251; the section header in another case.
  WriteOrDie(
      path,
      "Zvonar v.2.3.3.65,  (39970.5)\r\n[Other]\r\n111=x\r\n[abonents]\r\n79161234567=\xc8\xe2\xe0\xed\xee\xe2\r\n"
      "; a comment\r\n79031112233=\r\nABC123=first\r\nabc123=second\r\n");
  const std::vector<AbonentEntry> want = {
      {"79161234567", "\xc8\xe2\xe0\xed\xee\xe2"}, {"79031112233", ""}, {"ABC123", "first"}};
  EXPECT_EQ(want, Load(path));
}

// The dialog's list: a number written twice stands twice, each row with
// the name every reader finds for it.
TEST(LoadAbonentsBookRows, EveryLineAsOftenAsItStands) {
  TempDir dir;
  const std::string path = AbonentsBookPath(dir.path());
  std::vector<AbonentEntry> rows = {{"x", "y"}};
  EXPECT_TRUE(LoadAbonentsBookRows(path, &rows).ok());
  EXPECT_TRUE(rows.empty());
  WriteOrDie(path, "S\r\n[Abonents]\r\n7901=Ann\r\n7902=Bob\r\n7901=Other\r\n[Other]\r\n7903=x\r\n");
  ASSERT_TRUE(LoadAbonentsBookRows(path, &rows).ok());
  EXPECT_EQ((std::vector<AbonentEntry>{{"7901", "Ann"}, {"7902", "Bob"}, {"7901", "Ann"}}), rows);
}

// A damaged line (a zero byte, as a crash leaves a file cut short) ends the
// reading: the rows before it are kept and the error says where.
TEST(LoadAbonentsBookRows, ADamagedLineKeepsWhatWasReadBeforeIt) {
  TempDir dir;
  const std::string path = AbonentsBookPath(dir.path());
  WriteOrDie(path, std::string("S\r\n[Abonents]\r\n7901=Ann\r\n7902=Bob\r\n\0\0\0\r\n7903=Cid\r\n", 48));
  std::vector<AbonentEntry> rows;
  const Status s = LoadAbonentsBookRows(path, &rows);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(std::string::npos, s.message().find("abonents.dat:5: the line is damaged")) << s.message();
  EXPECT_EQ((std::vector<AbonentEntry>{{"7901", "Ann"}, {"7902", "Bob"}}), rows);

  // A book that cannot be read at all gives no rows and its error.
  const std::string folder = dir.File("folder.dat");
  ASSERT_EQ(0, ::mkdir(folder.c_str(), 0755));
  EXPECT_FALSE(LoadAbonentsBookRows(folder, &rows).ok());
  EXPECT_TRUE(rows.empty());
}

TEST(CheckAbonentName, NamesTheFieldItsWidthAndWhy) {
  struct Case {
    std::string_view name;
    StoredTextFault fault;
  };
  const Case cases[] = {
      {"Ivanov", StoredTextFault::None},
      {"  Ivanov 10  ", StoredTextFault::None},  // blanks around it are not stored
      {"Ivanov 101", StoredTextFault::TooLong},
      {"   ", StoredTextFault::Blank},
      {"", StoredTextFault::Blank},
      {"Iv#2", StoredTextFault::Hash},
      {"Iv\tanov", StoredTextFault::LineBreak},
      {"Iv\nanov", StoredTextFault::LineBreak},
  };
  for (const Case& t : cases) EXPECT_EQ(t.fault, CheckAbonentName(t.name, 9).fault) << t.name;
  const StoredTextCheck tooLong = CheckAbonentName("Ivanov 101", 9);
  EXPECT_EQ("The text is 10 characters long; the field Abonent holds 9 (its width is set in the DB Fields dialog).",
            StoredTextMessage(tooLong, LanguageFile()));
  // A language file's own line, when it has one.
  std::vector<std::string> lines(200);
  lines[static_cast<std::size_t>(AddedText::TextTooLong)] = "%2: %3 < %1";
  EXPECT_EQ("Abonent: 9 < 10", StoredTextMessage(tooLong, LanguageFile(lines)));
}

// Add NoName writes a number the book does not name and never replaces a
// name, even one another program wrote after the numbers were collected.
TEST(SaveUnnamedAbonents, NeverReplacesANameAndCountsWhatItWrote) {
  TempDir dir;
  const std::string path = AbonentsBookPath(dir.path());
  WriteOrDie(path, "S\r\n[Abonents]\r\nS12345=Service\r\n7902=\r\n");
  std::vector<std::string> keys;
  std::size_t written = 99;
  ASSERT_TRUE(SaveUnnamedAbonents(
                  path, {{"s12345", "NoName"}, {"7902", "NoName"}, {"7903", "NoName"}, {"7903", "Again"}, {"7904", ""}},
                  &keys, &written)
                  .ok());
  EXPECT_EQ(3u, written);  // 7902 named, 7903 added, 7904 added empty
  EXPECT_EQ((std::vector<std::string>{"S12345", "7902", "7903", "7904"}), keys);
  EXPECT_EQ((std::vector<AbonentEntry>{{"S12345", "Service"}, {"7902", "NoName"}, {"7903", "NoName"}, {"7904", ""}}),
            Load(path));
  // Nothing new: the file stays as it is.
  const std::string before = ReadOrEmpty(path);
  ASSERT_TRUE(SaveUnnamedAbonents(path, {{"7904", ""}, {"7903", "X"}}, &keys, &written).ok());
  EXPECT_EQ(0u, written);
  EXPECT_EQ(before, ReadOrEmpty(path));
}

TEST(SaveAbonent, MakesTheFileWithStampSectionAndEntry) {
  TempDir dir;
  const std::string path = AbonentsBookPath(dir.path());
  const SaveAbonentOutcome outcome = Save(path, "", "79161234567", "\xcf\xe5\xf2\xf0");
  EXPECT_TRUE(outcome.added);
  const std::vector<std::string> lines = Lines(path);
  ASSERT_EQ(3u, lines.size());
  EXPECT_TRUE(IsOurStamp(lines[0])) << lines[0];
  EXPECT_EQ("[Abonents]", lines[1]);
  EXPECT_EQ("79161234567=\xcf\xe5\xf2\xf0", lines[2]);
  EXPECT_NE(std::string::npos, ReadOrEmpty(path).find("\r\n[Abonents]\r\n"));  // CR LF line ends
}

TEST(SaveAbonent, StampRules) {
  TempDir dir;
  const std::string path = AbonentsBookPath(dir.path());
  // A foreign stamp line is replaced on the first write; its entries stay.
  WriteOrDie(path, "Caller book ;Vextrano 1.0\r\n[Abonents]\r\n79001112233=A\r\n");
  Save(path, "", "79004445566", "B");
  std::vector<std::string> lines = Lines(path);
  ASSERT_EQ(4u, lines.size());
  EXPECT_TRUE(IsOurStamp(lines[0])) << lines[0];
  EXPECT_EQ("79001112233=A", lines[2]);

  // A stamp already there is not renewed by later writes.
  lines[0] = "Zvonar v.2.3.3.65,  (40000.25)";
  ASSERT_TRUE(WriteTextLines(path, lines).ok());
  Save(path, "", "79007778899", "C");
  bool found = false;
  ASSERT_TRUE(DeleteAbonent(path, "79001112233", &found).ok());
  EXPECT_TRUE(found);
  EXPECT_EQ(
      (std::vector<std::string>{"Zvonar v.2.3.3.65,  (40000.25)", "[Abonents]", "79004445566=B", "79007778899=C"}),
      Lines(path));

  // A file with some other first line keeps it: the stamp goes only onto
  // new files and over a foreign stamp.
  WriteOrDie(path, "[Abonents]\r\n79001112233=A\r\n");
  Save(path, "", "79001112233", "Z");
  EXPECT_EQ((std::vector<std::string>{"[Abonents]", "79001112233=Z"}), Lines(path));
}

TEST(SaveAbonent, NameChangeStaysOnItsLineNumberChangeMovesToTheEnd) {
  TempDir dir;
  const std::string path = AbonentsBookPath(dir.path());
  WriteOrDie(path, "S\r\n[Abonents]\r\n7901=A\r\n7902=B\r\n7903=C\r\n\r\n[Next]\r\nk=v\r\n");

  SaveAbonentOutcome outcome = Save(path, OldNumberAfterEdit("7901", "7901"), "7901", "A2");
  EXPECT_TRUE(outcome.renamed);
  EXPECT_FALSE(outcome.added);
  EXPECT_EQ((std::vector<std::string>{"S", "[Abonents]", "7901=A2", "7902=B", "7903=C", "", "[Next]", "k=v"}),
            Lines(path));

  outcome = Save(path, OldNumberAfterEdit("7902", "7999"), "7999", "B");
  EXPECT_TRUE(outcome.added);
  EXPECT_FALSE(outcome.oldMissing);
  EXPECT_EQ((std::vector<std::string>{"S", "[Abonents]", "7901=A2", "7903=C", "7999=B", "", "[Next]", "k=v"}),
            Lines(path));

  // The edited entry vanished meanwhile (another program deleted it): the
  // new number is written all the same and the caller is told.
  outcome = Save(path, "7555", "7556", "D");
  EXPECT_TRUE(outcome.oldMissing);
  EXPECT_EQ((std::vector<AbonentEntry>{{"7901", "A2"}, {"7903", "C"}, {"7999", "B"}, {"7556", "D"}}), Load(path));

  // Keys match without regard to case; the same name changes nothing.
  outcome = Save(path, "", "7556", "D");
  EXPECT_FALSE(outcome.added || outcome.renamed);
  outcome = Save(path, "", " abc1 ", " x ");  // blanks around are not kept
  EXPECT_EQ((AbonentEntry{"abc1", "x"}), outcome.stored);
  outcome = Save(path, "", "ABC1", "y");
  EXPECT_TRUE(outcome.renamed);
  const std::vector<std::string> lines = Lines(path);  // the key keeps its first spelling
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "abc1=y"));
}

TEST(SaveAbonent, RefusedEntriesAndUnreadableFilesChangeNothing) {
  TempDir dir;
  const std::string path = AbonentsBookPath(dir.path());
  const std::string before = "S\r\n[Abonents]\r\n7901=A\r\n";
  WriteOrDie(path, before);
  struct Case {
    std::string_view number, name;
  };
  const Case refused[] = {{"79=01", "A"},  {"  ", "A"},      {"7901", "A\r\nB=C"},  {"[7901]", "A"}, {";7901", "A"},
                          {"79\n01", "A"}, {"7901", "A\tB"}, {"7901", "Ivanov #2"}, {"79#1", "A"}};
  for (const Case& c : refused) {
    SaveAbonentOutcome outcome;
    const Status s = SaveAbonent(path, "", c.number, c.name, &outcome);
    EXPECT_EQ(StatusKind::InvalidInput, s.kind()) << c.number;
    EXPECT_FALSE(AbonentEntryFault(c.number, c.name).empty()) << c.number;
  }
  EXPECT_EQ(before, ReadOrEmpty(path));

  if (::geteuid() != 0) {  // root reads any file
    ASSERT_EQ(0, ::chmod(path.c_str(), 0));
    SaveAbonentOutcome outcome;
    EXPECT_FALSE(SaveAbonent(path, "", "7902", "B", &outcome).ok());
    bool found = true;
    EXPECT_FALSE(DeleteAbonent(path, "7901", &found).ok());
    EXPECT_FALSE(found);
    ASSERT_EQ(0, ::chmod(path.c_str(), 0644));
    EXPECT_EQ(before, ReadOrEmpty(path));
  }
}

TEST(DeleteAbonent, RemovesOnlyThatLine) {
  TempDir dir;
  const std::string path = AbonentsBookPath(dir.path());
  bool found = true;
  ASSERT_TRUE(DeleteAbonent(path, "7901", &found).ok());
  EXPECT_FALSE(found);
  EXPECT_FALSE(FileExists(path));  // nothing to delete: no file is made

  WriteOrDie(path, "S\r\n[Abonents]\r\n7901=A\r\n7902=B\r\n");
  ASSERT_TRUE(DeleteAbonent(path, "7901", &found).ok());
  EXPECT_TRUE(found);
  EXPECT_EQ("S\r\n[Abonents]\r\n7902=B\r\n", ReadOrEmpty(path));
  ASSERT_TRUE(DeleteAbonent(path, "7901", &found).ok());
  EXPECT_FALSE(found);
}

// Programs changing the book at the same time (the window and zvonar-cli)
// each read, change and write the whole file; none of their entries is lost.
TEST(SaveAbonent, ChangesFromSeveralProgramsAtOnceAreAllKept) {
  TempDir dir;
  const std::string path = dir.File("abonents.dat");
  constexpr int kPrograms = 6, kEach = 30;
  std::vector<pid_t> children;
  for (int p = 0; p < kPrograms; ++p) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0; i < kEach; ++i) {
        SaveAbonentOutcome outcome;
        const std::string number = std::to_string(7900000 + p * 1000 + i);
        if (!SaveAbonent(path, "", number, "Name " + number, &outcome).ok()) _exit(1);
      }
      _exit(0);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::vector<AbonentEntry> entries;
  ASSERT_TRUE(LoadAbonentsBook(path, &entries).ok());
  EXPECT_EQ(static_cast<std::size_t>(kPrograms * kEach), entries.size());
}

TEST(AbonentEntryComplete, NeedsANameAndFourCharacters) {
  EXPECT_FALSE(AbonentEntryComplete("79", ""));  // as Add opens it
  EXPECT_FALSE(AbonentEntryComplete("79", "Ivan"));
  EXPECT_FALSE(AbonentEntryComplete("791", "Ivan"));
  EXPECT_TRUE(AbonentEntryComplete("7912", "Ivan"));
  EXPECT_FALSE(AbonentEntryComplete("79161234567", ""));
}

TEST(OldNumberAfterEdit, OnlyAChangedNumberIsDeleted) {
  EXPECT_EQ("", OldNumberAfterEdit("79161234567", "79161234567"));
  EXPECT_EQ("79161234567", OldNumberAfterEdit("79161234567", "79161234568"));
}

TEST(ReplacesAnotherName, AsksOnlyForAnotherEntrysDifferentName) {
  const std::vector<AbonentEntry> book = {{"7901", "Anna"}, {"abc1", "Boris"}};
  struct Case {
    std::string_view edited, number, name;
    bool asks;
    std::string_view stored;
  };
  const Case cases[] = {
      {"", "7902", "Anna", false, ""},          // a new number
      {"", "7901", "Anna", false, ""},          // the same name: nothing is lost
      {"", "7901", " Anna ", false, ""},        // as stored, blanks dropped
      {"", "7901", "Vera", true, "Anna"},       // adding over another name
      {"", "ABC1", "Vera", true, "Boris"},      // keys ignore letter case
      {"7901", "7901", "Vera", false, ""},      // renaming the entry itself
      {"7901", "ABC1", "Vera", true, "Boris"},  // moving onto another entry
  };
  for (const Case& c : cases) {
    std::string stored;
    EXPECT_EQ(c.asks, ReplacesAnotherName(book, c.edited, c.number, c.name, &stored)) << c.number << c.name;
    EXPECT_EQ(c.stored, stored) << c.number;
  }
}

TEST(SortAbonents, LatinLettersIgnoreCaseOtherCharactersByCode) {
  EXPECT_TRUE(BookTextLess("apple", "Banana"));
  EXPECT_TRUE(BookTextLess("Zebra", "_x"));   // 'Z' (90) before '_' (95) as capitals
  EXPECT_TRUE(BookTextLess("\xdf", "\xe0"));  // Cyrillic capital before small: by code
  EXPECT_FALSE(BookTextLess("ABC", "abc"));
  EXPECT_FALSE(BookTextLess("abc", "ABC"));
  EXPECT_TRUE(BookTextLess("ab", "abc"));

  std::vector<AbonentEntry> entries = {{"7903", "b"}, {"7901", "C"}, {"7902", "a"}, {"7900", "B"}};
  SortAbonents(&entries, 1);
  EXPECT_EQ((std::vector<AbonentEntry>{{"7902", "a"}, {"7903", "b"}, {"7900", "B"}, {"7901", "C"}}), entries);
  SortAbonents(&entries, 1);  // ascending again, never toggled
  EXPECT_EQ("7902", entries.front().number);
  SortAbonents(&entries, 0);
  EXPECT_EQ((std::vector<AbonentEntry>{{"7900", "B"}, {"7901", "C"}, {"7902", "a"}, {"7903", "b"}}), entries);
}

}  // namespace
}  // namespace zvonar
