// Which "Path" values the uninstaller may delete (the installer installs only
// into such a folder).
#include "installation_folder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace ondrel::test {
using namespace ondrel::setup;
namespace {

struct FolderCase {
  std::wstring path;
  bool deletable;
};

void PrintTo(const FolderCase& folderCase, std::ostream* out) {
  *out << '"';
  for (const wchar_t c : folderCase.path) {
    if (c >= 0x20 && c < 0x7F) {
      *out << static_cast<char>(c);
    } else {
      *out << "\\u" << std::hex << static_cast<int>(c) << std::dec;
    }
  }
  *out << (folderCase.deletable ? "\" deletable" : "\" kept");
}

class IsInstallationFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(IsInstallationFolderTest, OnlyAnAbsoluteFolderNamedOndrelIsDeleted) {
  EXPECT_EQ(IsInstallationFolder(GetParam().path), GetParam().deletable);
}

INSTANTIATE_TEST_SUITE_P(
    PathValues, IsInstallationFolderTest,
    ::testing::Values(
        FolderCase{L"C:\\Program Files\\ondrel\\", true},
        FolderCase{L"C:\\Program Files\\ondrel", true},
        FolderCase{L"c:\\program files\\ONDREL\\", true},
        FolderCase{L"D:\\ondrel", true},
        FolderCase{L"\\\\server\\share\\ondrel\\", true},
        FolderCase{L"C:\\My\u00A0Apps &^!\u00E9\\ondrel\\", true},
        // Empty, roots, relative paths and other folders.
        FolderCase{L"", false}, FolderCase{L"C:", false},
        FolderCase{L"C:\\", false}, FolderCase{L"C:\\Windows\\", false},
        FolderCase{L"C:\\Program Files\\other\\", false},
        FolderCase{L"C:\\Program Files\\ondrel2\\", false},
        FolderCase{L"C:\\Program Files\\myondrel\\", false},
        FolderCase{L"C:\\Windows\\ondrel ", false},
        FolderCase{L"\\\\server\\ondrel\\", false},
        FolderCase{L"\\\\server\\ondrel", false},
        FolderCase{L"\\\\ondrel\\", false}, FolderCase{L"ondrel", false},
        FolderCase{L"ondrel\\", false},
        FolderCase{L"Program Files\\ondrel\\", false},
        FolderCase{L"\\ondrel", false}, FolderCase{L"C:ondrel", false},
        FolderCase{L"1:\\ondrel", false},
        // Components that climb, stand for the folder itself or are empty.
        FolderCase{L"C:\\Program Files\\ondrel\\..", false},
        FolderCase{L"C:\\Program Files\\ondrel\\.", false},
        FolderCase{L"C:\\Program Files\\..\\ondrel\\", false},
        FolderCase{L"C:\\Windows\\.\\ondrel", false},
        FolderCase{L"C:\\...\\ondrel", false},
        FolderCase{L"C:\\Program Files\\ondrel\\\\", false},
        FolderCase{L"C:\\Program Files\\\\ondrel", false},
        FolderCase{L"\\\\.\\C:\\ondrel", false},
        FolderCase{L"\\\\?\\C:\\ondrel", false},
        // Patterns, streams and the other separator.
        FolderCase{L"C:\\*\\ondrel", false},
        FolderCase{L"C:\\Windows/ondrel", false},
        FolderCase{L"C:\\Windows:stream\\ondrel", false},
        FolderCase{L"C:\\a\tb\\ondrel", false}));

// Names outside every code page are names like any other; a look-alike of a
// separator or of "ondrel" is no separator and not "ondrel"; half a surrogate
// pair names nothing.
INSTANTIATE_TEST_SUITE_P(
    WideNames, IsInstallationFolderTest,
    ::testing::Values(
        FolderCase{L"C:\\users\\\u0141ukasz\u7528\u6237\\ondrel\\", true},
        FolderCase{L"C:\\\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438\\ONDREL", true},
        FolderCase{L"C:\\\U0001F600\\ondrel", true},
        FolderCase{L"\\\\\u4e0b\u8f7d\\\u0141\\ondrel", true},
        // Fullwidth and small reverse solidus: one component "x＼ondrel".
        FolderCase{L"C:\\x\uFF3Condrel", false},
        FolderCase{L"C:\\x\uFE68ondrel\\", false},
        // Fullwidth letters, a Cyrillic "о", a combining accent.
        FolderCase{L"C:\\\uFF4F\uFF4E\uFF44\uFF52\uFF45\uFF4C", false},
        FolderCase{L"C:\\\u043Endrel", false},
        FolderCase{L"C:\\ondrel\u0301", false},
        // Look-alikes of the forbidden characters are letters.
        FolderCase{L"C:\\\uFF0A\uFF1F\uFF02\\ondrel", true},
        // Half a surrogate pair, at the end or inside.
        FolderCase{L"C:\\x\\ondrel\\\xD83D", false},
        FolderCase{L"C:\\\xDE00\\ondrel", false}));

// A share's server and share names are components like any other: empty,
// only dots or holding a forbidden character, they make a device path or no
// path at all.
INSTANTIATE_TEST_SUITE_P(
    ShareRoots, IsInstallationFolderTest,
    ::testing::Values(FolderCase{L"\\\\server\\\\ondrel", false},
                      FolderCase{L"\\\\\\share\\ondrel", false},
                      FolderCase{L"\\\\.\\share\\ondrel", false},
                      FolderCase{L"\\\\..\\share\\ondrel", false},
                      FolderCase{L"\\\\server\\.\\ondrel", false},
                      FolderCase{L"\\\\server\\..\\ondrel", false}));

// Each forbidden character, in a folder below a drive and in a share's server
// and share names; the same paths without it are deletable.
std::vector<FolderCase> ForbiddenCharacterCases() {
  std::vector<FolderCase> cases = {{L"C:\\ab\\ondrel", true},
                                   {L"\\\\srv\\share\\ondrel", true}};
  for (const wchar_t c : std::wstring(L"*?:/\"<>|\x01\t\x1F")) {
    cases.push_back({std::wstring(L"C:\\a") + c + L"b\\ondrel", false});
    cases.push_back({std::wstring(L"\\\\s") + c + L"rv\\share\\ondrel", false});
    cases.push_back({std::wstring(L"\\\\srv\\sh") + c + L"are\\ondrel", false});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(ForbiddenCharacters, IsInstallationFolderTest,
                         ::testing::ValuesIn(ForbiddenCharacterCases()));

}  // namespace
}  // namespace ondrel::test
