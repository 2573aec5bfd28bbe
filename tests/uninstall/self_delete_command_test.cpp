#include "self_delete_command.h"

#include <gtest/gtest.h>

#include <string>

namespace ondrel::test {
using namespace ondrel::uninstall;
namespace {

TEST(SelfDeleteParameters, BeginWithTheDeleteAndEndWithTheFolderRemoval) {
  const std::optional<std::wstring> parameters = SelfDeleteParameters(
      L"C:\\PROGRA~1\\ondrel\\UNINST~1.EXE", std::wstring_view(L"C:\\PROGRA~1\\ondrel"));
  ASSERT_TRUE(parameters.has_value());
  const std::wstring start = L"/d /v:off /c del \"C:\\PROGRA~1\\ondrel\\UNINST~1.EXE\" > nul";
  const std::wstring end = L" & rmdir \"C:\\PROGRA~1\\ondrel\"";
  EXPECT_EQ(parameters->substr(0, start.size()), start);
  ASSERT_GE(parameters->size(), end.size());
  EXPECT_EQ(parameters->substr(parameters->size() - end.size()), end);
  // The retry waits only while the file is still there.
  EXPECT_NE(parameters->find(L"if exist \"C:\\PROGRA~1\\ondrel\\UNINST~1.EXE\" ("),
            std::wstring::npos);
}

TEST(SelfDeleteParameters, WithoutAFolderNothingIsRemovedButTheFile) {
  const std::optional<std::wstring> parameters =
      SelfDeleteParameters(L"C:\\tools\\UNINST~1.EXE", std::nullopt);
  ASSERT_TRUE(parameters.has_value());
  EXPECT_EQ(parameters->find(L"rmdir"), std::wstring::npos);
}

// Where a volume has no short names, the "short" name is the long one. Every
// name is quoted and given as it is: a no-break space splits arguments as a
// blank does; letters of no one code page, and look-alikes of the quote mark
// and of "%" (which the ANSI code page's best fit would turn into them),
// reach the interpreter unchanged, in UTF-16.
TEST(SelfDeleteParameters, QuotesEveryNameAndKeepsEveryLetter) {
  for (const std::wstring folder :
       {L"D:\\My\u00A0Apps\\ondrel", L"C:\\A&B\\ondrel", L"C:\\a^b!c\\ondrel",
        L"C:\\Program Files\\ondrel", L"C:\\Downloads \u0141ukasz \u0417\u0430\u0433 \u4e0b\\ondrel",
        L"C:\\\uFF02 \u201C \uFF05PATH\uFF05 \u2033\\ondrel", L"C:\\\U0001F600\\ondrel"}) {
    const std::wstring file = folder + L"\\uninstall.exe";
    const std::optional<std::wstring> parameters =
        SelfDeleteParameters(file, std::wstring_view(folder));
    ASSERT_TRUE(parameters.has_value()) << folder.size();
    EXPECT_EQ(parameters->rfind(L"/d /v:off /c del \"" + file + L"\" > nul", 0), 0u);
    EXPECT_NE(parameters->find(L"rmdir \"" + folder + L"\""), std::wstring::npos);
  }
}

// The whole command for names the interpreter must take literally, and a
// refusal for each character that no quoting protects, in the file's name and
// in the folder's.
TEST(SelfDeleteParameters, TheWholeCommandOrARefusal) {
  const std::wstring folder = L"C:\\A&B (1)!^\u00A0\u0141\u4e0b";
  const std::wstring file = folder + L"\\UNINST~1.EXE";
  const std::wstring quotedFile = L"\"" + file + L"\"";
  const std::wstring deleteAndRetry =
      L"/d /v:off /c del " + quotedFile + L" > nul & (for /l %i in (1,1,30) do (if exist " +
      quotedFile + L" (ping -n 2 127.0.0.1 > nul & del " + quotedFile + L" > nul)))";
  EXPECT_EQ(SelfDeleteParameters(file, std::wstring_view(folder)),
            deleteAndRetry + L" & rmdir \"" + folder + L"\"");
  EXPECT_EQ(SelfDeleteParameters(file, std::nullopt), deleteAndRetry);

  for (const wchar_t c : std::wstring(L"%\"*?\n\t\x01\x1F")) {
    const std::wstring unsafe = std::wstring(L"C:\\a\u0141") + c + L"b";
    EXPECT_EQ(SelfDeleteParameters(unsafe + L"\\UNINST~1.EXE", std::wstring_view(folder)),
              std::nullopt)
        << "in the file: " << static_cast<int>(c);
    EXPECT_EQ(SelfDeleteParameters(file, std::wstring_view(unsafe)), std::nullopt)
        << "in the folder: " << static_cast<int>(c);
  }
  EXPECT_EQ(SelfDeleteParameters(L"", std::nullopt), std::nullopt) << "an empty file";
  EXPECT_EQ(SelfDeleteParameters(file, std::wstring_view()), std::nullopt) << "an empty folder";
}

}  // namespace
}  // namespace ondrel::test
