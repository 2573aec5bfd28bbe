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
  std::string path;
  unsigned codePage;
  bool deletable;
};

void PrintTo(const FolderCase& folderCase, std::ostream* out) {
  *out << "code page " << folderCase.codePage << " \"";
  for (const char c : folderCase.path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      *out << c;
    } else {
      *out << "\\x" << std::hex << static_cast<int>(byte) << std::dec;
    }
  }
  *out << (folderCase.deletable ? "\" deletable" : "\" kept");
}

class IsInstallationFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(IsInstallationFolderTest, OnlyAnAbsoluteFolderNamedOndrelIsDeleted) {
  EXPECT_EQ(IsInstallationFolder(GetParam().path, CodePage{GetParam().codePage}),
            GetParam().deletable);
}

constexpr unsigned kWestern = 1252;

INSTANTIATE_TEST_SUITE_P(
    PathValues, IsInstallationFolderTest,
    ::testing::Values(
        FolderCase{"C:\\Program Files\\ondrel\\", kWestern, true},
        FolderCase{"C:\\Program Files\\ondrel", kWestern, true},
        FolderCase{"c:\\program files\\ONDREL\\", kWestern, true},
        FolderCase{"D:\\ondrel", kWestern, true},
        FolderCase{"\\\\server\\share\\ondrel\\", kWestern, true},
        FolderCase{"C:\\My\xA0" "Apps &^!\xE9\\ondrel\\", kWestern, true},
        // Empty, roots, relative paths and other folders.
        FolderCase{"", kWestern, false}, FolderCase{"C:", kWestern, false},
        FolderCase{"C:\\", kWestern, false}, FolderCase{"C:\\Windows\\", kWestern, false},
        FolderCase{"C:\\Program Files\\other\\", kWestern, false},
        FolderCase{"C:\\Program Files\\ondrel2\\", kWestern, false},
        FolderCase{"C:\\Program Files\\myondrel\\", kWestern, false},
        FolderCase{"C:\\Windows\\ondrel ", kWestern, false},
        FolderCase{"\\\\server\\ondrel\\", kWestern, false},
        FolderCase{"\\\\server\\ondrel", kWestern, false},
        FolderCase{"\\\\ondrel\\", kWestern, false}, FolderCase{"ondrel", kWestern, false},
        FolderCase{"ondrel\\", kWestern, false},
        FolderCase{"Program Files\\ondrel\\", kWestern, false},
        FolderCase{"\\ondrel", kWestern, false}, FolderCase{"C:ondrel", kWestern, false},
        FolderCase{"1:\\ondrel", kWestern, false},
        // Components that climb, stand for the folder itself or are empty.
        FolderCase{"C:\\Program Files\\ondrel\\..", kWestern, false},
        FolderCase{"C:\\Program Files\\ondrel\\.", kWestern, false},
        FolderCase{"C:\\Program Files\\..\\ondrel\\", kWestern, false},
        FolderCase{"C:\\Windows\\.\\ondrel", kWestern, false},
        FolderCase{"C:\\...\\ondrel", kWestern, false},
        FolderCase{"C:\\Program Files\\ondrel\\\\", kWestern, false},
        FolderCase{"C:\\Program Files\\\\ondrel", kWestern, false},
        FolderCase{"\\\\.\\C:\\ondrel", kWestern, false},
        FolderCase{"\\\\?\\C:\\ondrel", kWestern, false},
        // Patterns, streams and the other separator.
        FolderCase{"C:\\*\\ondrel", kWestern, false},
        FolderCase{"C:\\Windows/ondrel", kWestern, false},
        FolderCase{"C:\\Windows:stream\\ondrel", kWestern, false},
        FolderCase{"C:\\a\tb\\ondrel", kWestern, false},
        // Double-byte code pages: "\" as the second byte of a character does
        // not end a component. 0x95 0x5C is one character in 932 (and in 936
        // and 950 alike), so its last component is "<char>ondrel", not "ondrel".
        FolderCase{"C:\\x\\\x95\\ondrel", 932, false},
        FolderCase{"C:\\x\\\x95\\ondrel\\", 932, false},
        FolderCase{"C:\\x\\\x95\\ondrel", 936, false},
        FolderCase{"C:\\x\\\xB3\\ondrel", 950, false},
        FolderCase{"C:\\x\\\xA5\\ondrel", 950, false},
        // The same bytes are two components in a single-byte code page.
        FolderCase{"C:\\x\\\x95\\ondrel", kWestern, true},
        // A folder whose name ends in such a character holds "ondrel" fine.
        FolderCase{"C:\\\x95\\\\ondrel", 932, true}, FolderCase{"C:\\\x81\\\\ondrel\\", 936, true},
        FolderCase{"C:\\\xB3\\\\ondrel", 950, true},
        // A drive root whose "\" is a second byte is no root at all.
        FolderCase{"C:\x95\\ondrel", 932, false},
        // A text cut inside a character.
        FolderCase{"C:\\x\\ondrel\\\x95", 932, false}));

// A share's server and share names are components like any other: empty,
// only dots or holding a forbidden character, they make a device path or no
// path at all.
INSTANTIATE_TEST_SUITE_P(
    ShareRoots, IsInstallationFolderTest,
    ::testing::Values(FolderCase{"\\\\server\\\\ondrel", kWestern, false},
                      FolderCase{"\\\\\\share\\ondrel", kWestern, false},
                      FolderCase{"\\\\.\\share\\ondrel", kWestern, false},
                      FolderCase{"\\\\..\\share\\ondrel", kWestern, false},
                      FolderCase{"\\\\server\\.\\ondrel", kWestern, false},
                      FolderCase{"\\\\server\\..\\ondrel", kWestern, false}));

// Each forbidden character, in a folder below a drive and in a share's server
// and share names; the same paths without it are deletable.
std::vector<FolderCase> ForbiddenCharacterCases() {
  std::vector<FolderCase> cases = {{"C:\\ab\\ondrel", kWestern, true},
                                   {"\\\\srv\\share\\ondrel", kWestern, true}};
  for (const char c : std::string("*?:/\"<>|\x01\t\x1F")) {
    cases.push_back({std::string("C:\\a") + c + "b\\ondrel", kWestern, false});
    cases.push_back({std::string("\\\\s") + c + "rv\\share\\ondrel", kWestern, false});
    cases.push_back({std::string("\\\\srv\\sh") + c + "are\\ondrel", kWestern, false});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(ForbiddenCharacters, IsInstallationFolderTest,
                         ::testing::ValuesIn(ForbiddenCharacterCases()));

}  // namespace
}  // namespace ondrel::test
