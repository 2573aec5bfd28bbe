// Path text in UTF-16: letters outside any code page, look-alikes of the
// characters that matter in paths, and characters of two code units.
#include "wide_path.h"

#include <gtest/gtest.h>

#include <string>

namespace ondrel::test {
using namespace ondrel::setup;
namespace {

// A download folder as a user names it, and one of its names in capitals.
const std::wstring kDownloads = L"C:\\Downloads \u0141ukasz \u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438 \u4e0b\u8f7d";
const std::wstring kDownloadsInCapitals = L"c:\\DOWNLOADS \u0141UKASZ \u0417\u0410\u0413\u0420\u0423\u0417\u041a\u0418 \u4e0b\u8f7d\\";
// "😀": one character, two code units.
const std::wstring kEmoji = L"\U0001F600";

TEST(WidePath, LookAlikesOfTheBackslashAreNoSeparators) {
  // Fullwidth reverse solidus, small reverse solidus, set minus, division
  // slash: the ANSI code page's best fit turns some of them into "\".
  for (const std::wstring lookAlike : {L"\uFF3C", L"\uFE68", L"\u2216", L"\u2215"}) {
    const std::wstring folder = L"C:\\x" + lookAlike;
    SCOPED_TRACE(folder);
    EXPECT_FALSE(EndsWithBackslash(folder));
    EXPECT_EQ(WithTrailingBackslash(folder), folder + L"\\");
    EXPECT_EQ(WithoutTrailingBackslash(folder), folder);
    EXPECT_EQ(FolderOf(folder + L"ondrel.exe"), L"C:\\");
    EXPECT_EQ(SplitAtBackslashes(folder + L"ondrel").size(), 2u);
  }
}

TEST(WidePath, JoinsKeepEveryLetterAndBoundTheResultWithoutCuttingIt) {
  const struct {
    std::wstring folder;
    std::wstring name;
    std::optional<std::wstring> joined;
  } cases[] = {
      {kDownloads, L"license.txt", kDownloads + L"\\license.txt"},
      {kDownloads + L"\\", L"license.txt", kDownloads + L"\\license.txt"},
      {L"C:\\" + kEmoji, L"\u4e0b.exe", L"C:\\" + kEmoji + L"\\\u4e0b.exe"},
      // 259 code units just fit; a character of two code units counts as two.
      {L"C:\\" + std::wstring(kMaxPathLength - 9, L'f'), L"a.txt",
       L"C:\\" + std::wstring(kMaxPathLength - 9, L'f') + L"\\a.txt"},
      {L"C:\\" + std::wstring(kMaxPathLength - 10, L'f'), kEmoji + L"a.txt", std::nullopt},
      {L"C:\\" + std::wstring(kMaxPathLength - 9, L'f'), L"ab.txt", std::nullopt},
      {L"", L"a.txt", std::nullopt},
      {L"C:\\a", L"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(JoinPath(c.folder, c.name), c.joined) << c.folder.size() << " + " << c.name.size();
  }
}

TEST(WidePath, HalfASurrogatePairIsNoWholeText) {
  const struct {
    std::wstring text;
    bool whole;
  } cases[] = {
      {kDownloads, true},
      {L"C:\\" + kEmoji + L"\\ondrel", true},
      {L"C:\\ondrel" + kEmoji.substr(0, 1), false},   // cut inside the character
      {L"C:\\" + kEmoji.substr(1) + L"ondrel", false},  // its second half alone
      {L"C:\\" + kEmoji.substr(0, 1) + L"\\ondrel", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsWholeText(c.text), c.whole) << c.text.size();
}

TEST(WidePath, LetterCaseIsFoldedAsTheFileSystemFoldsIt) {
  const struct {
    std::wstring first;
    std::wstring second;
    bool same;
  } cases[] = {
      {kDownloads, kDownloadsInCapitals, true},
      {L"C:\\Program Files\\ondrel\\", L"c:\\program files\\ONDREL", true},
      {L"C:\\AZ\\", L"c:\\az", true},
      // No letter stands for another: best fit would make "Ł" an "L".
      {L"C:\\\u0141ukasz", L"C:\\Lukasz", false},
      {L"C:\\\u0437", L"C:\\3", false},
      {L"C:\\Program Files\\ondrel", L"C:\\Program Files\\ondrel2", false},
      // Only letters fold: "@" and "[" stand just beside A to Z.
      {L"C:\\@[", L"C:\\`{", false},
      {L"C:\\", L"C:\\", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSameFolder(c.first, c.second), c.same) << c.first.size();
    EXPECT_EQ(IsSameFolder(c.second, c.first), c.same) << c.first.size();
  }
  EXPECT_TRUE(EqualsIgnoringCase(L"", L""));
  EXPECT_FALSE(EqualsIgnoringCase(L"uninstall.exe", L"uninstall.ex"));
}

TEST(WidePath, LongPathsBreakAfterABackslashAndNeverInsideACharacter) {
  const struct {
    std::wstring path;
    std::size_t width;
    std::wstring broken;
  } cases[] = {
      {L"C:\\aaaa\\bbbb\\ondrel\\", 12, L"C:\\aaaa\\\nbbbb\\ondrel\\"},
      {L"C:\\abcdefghij", 5, L"C:\\\nabcde\nfghij"},
      {L"C:\\a", 64, L"C:\\a"},
      // Width 4 would end the line between the two halves of the character:
      // it moves to the next line whole.
      {L"abc" + kEmoji + L"de", 4, L"abc\n" + kEmoji + L"de"},
      {L"ab" + kEmoji + L"de", 4, L"ab" + kEmoji + L"\nde"},
      {L"\u0141\u0417\\\u4e0b\u8f7d", 3, L"\u0141\u0417\\\n\u4e0b\u8f7d"},
  };
  for (const auto& c : cases) EXPECT_EQ(BrokenIntoLines(c.path, c.width), c.broken);
}

TEST(WidePath, DriveRootKeepsItsBackslash) {
  EXPECT_EQ(WithoutTrailingBackslash(L"C:\\a\\ondrel\\"), L"C:\\a\\ondrel");
  EXPECT_EQ(WithoutTrailingBackslash(L"C:\\"), L"C:\\");
  EXPECT_EQ(WithoutTrailingBackslash(L""), L"");
  EXPECT_EQ(FolderOf(L"C:\\installer.exe"), L"C:\\");
  EXPECT_FALSE(FolderOf(L"installer.exe").has_value());
}

}  // namespace
}  // namespace ondrel::test
