// The language table over well-formed, odd and hostile "ondrel.lng" bytes.

#include "organiser/text/language_table.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/memory_file_system.h"
#include "tests/text/language_bytes.h"

namespace ondrel::test {
namespace {

// Lookup's result as an optional text: nullopt for null.
std::optional<Text> Find(const LanguageTable& table, TextView section, TextView key) {
  const char16_t* text = table.Lookup(section, key);
  if (text == nullptr) return std::nullopt;
  return Text(text);
}

struct LookupCase {
  const char* name;
  Text fileText;  // after the byte-order mark
  Text section;
  Text key;
  std::optional<Text> expected;
};

class LanguageLookupTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(LanguageLookupTest, FindsExactlyTheExpectedText) {
  const LookupCase& c = GetParam();
  LanguageTable table;
  table.LoadFromBytes(LanguageBytes(c.fileText));
  EXPECT_EQ(Find(table, c.section, c.key), c.expected);
}

const LookupCase kLookupCases[] = {
    {"PlainEntry", u"[MainWindow]\r\nSoftwareTitleEng=Ondrel\r\n", u"MainWindow",
     u"SoftwareTitle", Text(u"Ondrel")},
    {"EmptyTextIsNotNull", u"[MainWindow]\r\nTab1Eng=\r\n", u"MainWindow", u"Tab1", Text()},
    {"FurtherEqualsSignsBelongToText", u"[S]\r\nKEng=a=b==c\r\n", u"S", u"K", Text(u"a=b==c")},
    {"BlankBeforeEqualsIsAnotherKey", u"[S]\r\nK Eng=x\r\nKEng =y\r\n", u"S", u"K",
     std::nullopt},
    {"KeyWithoutLanguageCode", u"[S]\r\nK=x\r\n", u"S", u"K", std::nullopt},
    {"KeyIsCaseSensitive", u"[S]\r\nkeyEng=x\r\n", u"S", u"Key", std::nullopt},
    {"SectionIsCaseSensitive", u"[s]\r\nKEng=x\r\n", u"S", u"K", std::nullopt},
    {"KeyPrefixOfLongerKeyDoesNotMatch", u"[S]\r\nTab10Eng=ten\r\nTab1Eng=one\r\n", u"S",
     u"Tab1", Text(u"one")},
    {"FirstOfTwoEntriesWins", u"[S]\r\nKEng=first\r\nKEng=second\r\n", u"S", u"K",
     Text(u"first")},
    {"FirstOfTwoSectionsIsSearched", u"[S]\r\nAEng=a\r\n[S]\r\nKEng=x\r\n", u"S", u"K",
     std::nullopt},
    {"EntryBelowNextSectionIsNotFound", u"[S]\r\n[T]\r\nKEng=x\r\n", u"S", u"K",
     std::nullopt},
    {"EntryAboveFirstSectionIsNotFound", u"KEng=x\r\n[S]\r\n", u"S", u"K", std::nullopt},
    {"MissingSection", u"[S]\r\nKEng=x\r\n", u"T", u"K", std::nullopt},
    {"SectionMatchedByPrefixOfItsLine", u"[MainWindowOld]\r\nKEng=old\r\n[MainWindow]\r\nKEng=new\r\n",
     u"MainWindow", u"K", Text(u"old")},
    {"ShorterSectionLineDoesNotMatch", u"[Main]\r\nKEng=x\r\n", u"MainWindow", u"K",
     std::nullopt},
    {"ClosingBracketIsOptional", u"[S\r\nKEng=x\r\n", u"S", u"K", Text(u"x")},
    {"LfAloneDoesNotEndALine", u"[S]\r\nAEng=a\nKEng=k\r\n", u"S", u"A", Text(u"a\nKEng=k")},
    {"LfAloneHidesTheNextEntry", u"[S]\r\nAEng=a\nKEng=k\r\n", u"S", u"K", std::nullopt},
    {"EmptyLinesAreSkipped", u"\r\n\r\n[S]\r\n\r\n\r\nKEng=x\r\n\r\n", u"S", u"K", Text(u"x")},
    {"BlanksInTextAreKept", u"[S]\r\nKEng=  x  \r\n", u"S", u"K", Text(u"  x  ")},
    {"TailWithoutCrIsALine", u"[S]\r\nKEng=tail", u"S", u"K", Text(u"tail")},
    {"OneUnitTailIsALine", u"[S]\r\nKEng=x\r\n[", u"S", u"K", Text(u"x")},
    {"CrWithoutLfSwallowsNextUnit", u"[S]\rXKEng=x\r\n", u"S", u"K", Text(u"x")},
    {"CrAtVeryEnd", u"[S]\r\nKEng=x\r", u"S", u"K", Text(u"x")},
    {"NonAsciiText", u"[S]\r\nKEng=Gr\u00FC\u00DFe \u65E5\u672C \U0001F600\r\n", u"S", u"K",
     Text(u"Gr\u00FC\u00DFe \u65E5\u672C \U0001F600")},
    {"ZeroUnitEndsTheText", Text(u"[S]\r\nKEng=ab") + u'\0' + u"cd\r\n", u"S", u"K",
     Text(u"ab")},
    {"ProbeWithZeroUnitNeverMatches", Text(u"[S]\r\nKEng=x\r\n"), u"S", Text(u"K\0", 2),
     std::nullopt},
    {"EmptySectionMatchesFirstSectionLine", u"[S]\r\nKEng=x\r\n", u"", u"K", Text(u"x")},
    {"VeryLongSectionAndKey",
     u"[" + Text(300, u's') + u"]\r\n" + Text(200, u'k') + u"Eng=long\r\n", Text(300, u's'),
     Text(200, u'k'), Text(u"long")},
};

INSTANTIATE_TEST_SUITE_P(Cases, LanguageLookupTest, ::testing::ValuesIn(kLookupCases),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(LanguageTableTest, EmptyTableFindsNothing) {
  LanguageTable table;
  EXPECT_EQ(table.Lookup(u"MainWindow", u"SoftwareTitle"), nullptr);
  EXPECT_EQ(table.LineCount(), 0u);
}

TEST(LanguageTableTest, FileWithoutByteOrderMarkLosesItsFirstUnit) {
  LanguageTable table;
  table.LoadFromBytes(LanguageBytesWithoutMark(u"[MainWindow]\r\nTab1Eng=Notes\r\n[B]\r\nXEng=y\r\n"));
  EXPECT_EQ(table.Lookup(u"MainWindow", u"Tab1"), nullptr);
  EXPECT_EQ(Find(table, u"B", u"X"), Text(u"y"));
}

struct OddBytesCase {
  const char* name;
  std::vector<unsigned char> bytes;
  std::uint32_t lineCount;
};

class LanguageOddBytesTest : public ::testing::TestWithParam<OddBytesCase> {};

TEST_P(LanguageOddBytesTest, GivesASoundTable) {
  const OddBytesCase& c = GetParam();
  LanguageTable table;
  table.LoadFromBytes(c.bytes);
  EXPECT_EQ(table.LineCount(), c.lineCount);
  EXPECT_EQ(table.Lookup(u"S", u"K"), nullptr);
  EXPECT_EQ(table.Lookup(u"", u""), nullptr);
}

const OddBytesCase kOddBytesCases[] = {
    {"NoBytes", {}, 0},
    {"OneByte", {0xFF}, 0},
    {"OnlyByteOrderMark", {0xFF, 0xFE}, 0},
    {"MarkAndOddByte", {0xFF, 0xFE, '['}, 0},
    {"MarkAndOneUnit", {0xFF, 0xFE, '[', 0}, 1},
    {"ZerosOnly", std::vector<unsigned char>(4096, 0), 1},
    {"CrLfOnly", {0xFF, 0xFE, '\r', 0, '\n', 0, '\r', 0, '\n', 0}, 0},
    {"CrOnly", {0xFF, 0xFE, '\r', 0, '\r', 0, '\r', 0}, 0},
    {"LoneCrAtEnd", {0xFF, 0xFE, 'x', 0, '\r', 0}, 1},
};

INSTANTIATE_TEST_SUITE_P(Cases, LanguageOddBytesTest, ::testing::ValuesIn(kOddBytesCases),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(LanguageTableTest, OddLastByteIsIgnored) {
  std::vector<unsigned char> bytes = LanguageBytes(u"[S]\r\nKEng=x\r\n");
  bytes.push_back('!');
  LanguageTable table;
  table.LoadFromBytes(bytes);
  EXPECT_EQ(Find(table, u"S", u"K"), Text(u"x"));
}

TEST(LanguageTableTest, CachedSectionNeverChangesAResult) {
  LanguageTable table;
  table.LoadFromBytes(LanguageBytes(
      u"[A]\r\nKEng=a\r\n[B]\r\nKEng=b\r\n[A]\r\nKEng=second a\r\n[AB]\r\nKEng=ab\r\n"));
  // Alternating sections rescans from the top each time and finds the
  // first section of each name again.
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(Find(table, u"A", u"K"), Text(u"a"));
    EXPECT_EQ(Find(table, u"A", u"K"), Text(u"a"));
    EXPECT_EQ(Find(table, u"B", u"K"), Text(u"b"));
    // "AB" cached, then "A" in the next round: a cache that compared only
    // the first units of the cached section line would answer from [AB].
    EXPECT_EQ(Find(table, u"AB", u"K"), Text(u"ab"));
  }
  // A missing section leaves the table answering as before.
  EXPECT_EQ(table.Lookup(u"Z", u"K"), nullptr);
  EXPECT_EQ(Find(table, u"AB", u"K"), Text(u"ab"));
}

TEST(LanguageTableTest, ReloadReplacesTheTable) {
  LanguageTable table;
  table.LoadFromBytes(LanguageBytes(u"[S]\r\nKEng=old\r\nOnlyOldEng=1\r\n"));
  EXPECT_EQ(Find(table, u"S", u"K"), Text(u"old"));
  EXPECT_EQ(Find(table, u"", u"K"), Text(u"old"));
  table.LoadFromBytes(LanguageBytes(u"Junk\r\nKEng=above\r\n[S]\r\nKEng=new\r\n"));
  EXPECT_EQ(table.LineCount(), 4u);
  // Where a section stood in the old text says nothing about the new one.
  EXPECT_EQ(Find(table, u"", u"K"), Text(u"new"));
  EXPECT_EQ(Find(table, u"S", u"K"), Text(u"new"));
  EXPECT_EQ(table.Lookup(u"S", u"OnlyOld"), nullptr);
}

TEST(LanguageTableTest, ReturnedTextsStayValidAcrossLookups) {
  LanguageTable table;
  table.LoadFromBytes(LanguageBytes(u"[S]\r\nAEng=alpha\r\n[T]\r\nBEng=beta\r\n"));
  const char16_t* alpha = table.Lookup(u"S", u"A");
  const char16_t* beta = table.Lookup(u"T", u"B");
  ASSERT_NE(alpha, nullptr);
  ASSERT_NE(beta, nullptr);
  EXPECT_EQ(Text(alpha), u"alpha");
  EXPECT_EQ(Text(beta), u"beta");
}

TEST(LanguageTableTest, HugeLineAndManyLines) {
  Text huge = u"[S]\r\nKEng=" + Text(2'000'000, u'x') + u"\r\n";
  for (int i = 0; i < 100'000; ++i) huge += u"Filler=\r\n";
  huge += u"LastEng=end\r\n";
  LanguageTable table;
  table.LoadFromBytes(LanguageBytes(huge));
  EXPECT_EQ(table.LineCount(), 100'003u);
  const char16_t* text = table.Lookup(u"S", u"K");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(Text(text).size(), 2'000'000u);
  EXPECT_EQ(Find(table, u"S", u"Last"), Text(u"end"));
}

TEST(LanguageTableTest, FailedLoadKeepsTheEarlierTable) {
  MemoryFileSystem files;
  files.Put(u"good.lng", LanguageBytes(u"[S]\r\nKEng=kept\r\n"));
  LanguageTable table;
  ASSERT_TRUE(table.Load(files, u"good.lng"));
  EXPECT_FALSE(table.Load(files, u"missing.lng"));
  EXPECT_EQ(Find(table, u"S", u"K"), Text(u"kept"));
}

TEST(LanguageTableTest, MissingFileGivesEmptyTable) {
  MemoryFileSystem files;
  LanguageTable table;
  EXPECT_FALSE(table.Load(files, u"missing.lng"));
  EXPECT_EQ(table.Lookup(u"MainWindow", u"SoftwareTitle"), nullptr);
}

}  // namespace
}  // namespace ondrel::test
