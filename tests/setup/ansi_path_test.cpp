// Path text in single- and double-byte code pages.
#include "ansi_path.h"

#include <gtest/gtest.h>

#include <string>

namespace ondrel::test {
using namespace ondrel::setup;
namespace {

constexpr CodePage kWestern{1252};
constexpr CodePage kJapanese{932};
constexpr CodePage kSimplifiedChinese{936};
constexpr CodePage kKorean{949};
constexpr CodePage kTraditionalChinese{950};

TEST(AnsiPath, ASecondByteThatLooksLikeABackslashIsNoSeparator) {
  // One character each: 0x95 0x5C in 932, 0x81 0x5C in 936, 0xB3 0x5C in 950.
  const std::string japanese = "C:\\x\\\x95\\";
  const std::string chinese = "C:\\x\\\x81\\";
  const std::string traditional = "C:\\x\\\xB3\\";
  EXPECT_FALSE(EndsWithBackslash(japanese, kJapanese));
  EXPECT_FALSE(EndsWithBackslash(chinese, kSimplifiedChinese));
  EXPECT_FALSE(EndsWithBackslash(traditional, kTraditionalChinese));
  EXPECT_TRUE(EndsWithBackslash(japanese, kWestern));

  EXPECT_EQ(WithTrailingBackslash(japanese, kJapanese), japanese + "\\");
  EXPECT_EQ(WithoutTrailingBackslash(japanese, kJapanese), japanese);
  EXPECT_EQ(JoinPath(traditional, "ondrel.exe", kMaxPathLength, kTraditionalChinese),
            traditional + "\\ondrel.exe");
  EXPECT_EQ(FolderOf(chinese + "\\setup.exe", kSimplifiedChinese), chinese + "\\");
  EXPECT_EQ(FolderOf(japanese, kJapanese), "C:\\x\\");
  const std::vector<std::string_view> parts = SplitAtBackslashes(japanese + "\\ondrel", kJapanese);
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[2], "\x95\\");
  EXPECT_EQ(parts[3], "ondrel");
}

TEST(AnsiPath, TextCutInsideACharacterIsNotWhole) {
  EXPECT_FALSE(IsWholeText("C:\\ondrel\x95", kJapanese));
  EXPECT_TRUE(IsWholeText("C:\\ondrel\x95\x5C", kJapanese));
  EXPECT_TRUE(IsWholeText("C:\\ondrel\x95", kWestern));
}

TEST(AnsiPath, LetterCaseIsIgnoredOnlyForSingleByteLetters) {
  EXPECT_TRUE(IsSameFolder("C:\\Program Files\\ondrel\\", "c:\\program files\\ONDREL", kWestern));
  EXPECT_FALSE(IsSameFolder("C:\\Program Files\\ondrel", "C:\\Program Files\\ondrel2", kWestern));
  // 0x81 0x41 and 0x81 0x61 are two different Korean syllables, and 0x83 0x41
  // and 0x83 0x61 two different Japanese characters.
  EXPECT_FALSE(IsSameFolder("C:\\\x81\x41", "C:\\\x81\x61", kKorean));
  EXPECT_FALSE(IsSameFolder("C:\\\x83\x41\\", "C:\\\x83\x61", kJapanese));
  EXPECT_TRUE(IsSameFolder("C:\\\x83\x41\\A", "c:\\\x83\x41\\a", kJapanese));
  // Only A to Z fold: "@" and "[" stand just beside them, "`" and "{" beside a to z.
  EXPECT_TRUE(IsSameFolder("C:\\AZ\\", "c:\\az", kWestern));
  EXPECT_FALSE(IsSameFolder("C:\\@[", "C:\\`{", kWestern));
}

TEST(AnsiPath, JoinBoundsTheResultWithoutCuttingIt) {
  EXPECT_EQ(JoinPath("C:\\ondrel\\", "a.txt"), "C:\\ondrel\\a.txt");
  EXPECT_EQ(JoinPath("C:\\ondrel", "a.txt"), "C:\\ondrel\\a.txt");
  const std::string folder = "C:\\" + std::string(kMaxPathLength - 3 - 6, 'f');
  EXPECT_EQ(JoinPath(folder, "a.txt")->size(), kMaxPathLength);
  EXPECT_FALSE(JoinPath(folder, "ab.txt").has_value());
  EXPECT_FALSE(JoinPath("", "a.txt").has_value());
  EXPECT_FALSE(JoinPath("C:\\a", "").has_value());
}

TEST(AnsiPath, LongPathsBreakAfterABackslashAndNeverInsideACharacter) {
  EXPECT_EQ(BrokenIntoLines("C:\\aaaa\\bbbb\\ondrel\\", 12, kWestern),
            "C:\\aaaa\\\nbbbb\\ondrel\\");
  EXPECT_EQ(BrokenIntoLines("C:\\abcdefghij", 5, kWestern), "C:\\\nabcde\nfghij");
  EXPECT_EQ(BrokenIntoLines("C:\\a", 64, kWestern), "C:\\a");
  // Width 4 would end the second line inside 0x95 0x5C; the character moves
  // to the next line whole, and its second byte is no place to break.
  EXPECT_EQ(BrokenIntoLines("abc\x95\\de", 4, kJapanese), "abc\n\x95\\de");
  EXPECT_EQ(BrokenIntoLines("abc\x95\\de", 4, kWestern), "abc\x95\n\\de");
}

TEST(AnsiPath, DriveRootKeepsItsBackslash) {
  EXPECT_EQ(WithoutTrailingBackslash("C:\\a\\ondrel\\"), "C:\\a\\ondrel");
  EXPECT_EQ(WithoutTrailingBackslash("C:\\"), "C:\\");
  EXPECT_EQ(WithoutTrailingBackslash(""), "");
  EXPECT_EQ(FolderOf("C:\\installer.exe"), "C:\\");
  EXPECT_FALSE(FolderOf("installer.exe").has_value());
}

}  // namespace
}  // namespace ondrel::test
