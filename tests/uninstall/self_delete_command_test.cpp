#include "self_delete_command.h"

#include <gtest/gtest.h>

#include <string>

namespace ondrel::test {
using namespace ondrel::uninstall;
namespace {

TEST(SelfDeleteParameters, BeginWithTheDeleteAndEndWithTheFolderRemoval) {
  const std::optional<std::string> parameters = SelfDeleteParameters(
      "C:\\PROGRA~1\\ondrel\\UNINST~1.EXE", std::string_view("C:\\PROGRA~1\\ondrel"));
  ASSERT_TRUE(parameters.has_value());
  const std::string start = "/d /v:off /c del \"C:\\PROGRA~1\\ondrel\\UNINST~1.EXE\" > nul";
  const std::string end = " & rmdir \"C:\\PROGRA~1\\ondrel\"";
  EXPECT_EQ(parameters->substr(0, start.size()), start);
  ASSERT_GE(parameters->size(), end.size());
  EXPECT_EQ(parameters->substr(parameters->size() - end.size()), end);
  // The retry waits only while the file is still there.
  EXPECT_NE(parameters->find("if exist \"C:\\PROGRA~1\\ondrel\\UNINST~1.EXE\" ("),
            std::string::npos);
}

TEST(SelfDeleteParameters, WithoutAFolderNothingIsRemovedButTheFile) {
  const std::optional<std::string> parameters =
      SelfDeleteParameters("C:\\tools\\UNINST~1.EXE", std::nullopt);
  ASSERT_TRUE(parameters.has_value());
  EXPECT_EQ(parameters->find("rmdir"), std::string::npos);
}

TEST(SelfDeleteParameters, QuotesEveryNameWhateverSplitsIt) {
  // Where a volume has no short names, the "short" name is the long one; a
  // no-break space (0xA0 in code page 1252) splits arguments as a blank does.
  for (const std::string folder : {"D:\\My\xA0" "Apps\\ondrel", "C:\\A&B\\ondrel",
                                   "C:\\a^b!c\\ondrel", "C:\\Program Files\\ondrel"}) {
    const std::string file = folder + "\\uninstall.exe";
    const std::optional<std::string> parameters =
        SelfDeleteParameters(file, std::string_view(folder));
    ASSERT_TRUE(parameters.has_value()) << folder;
    EXPECT_EQ(parameters->rfind("/d /v:off /c del \"" + file + "\" > nul", 0), 0u) << *parameters;
    EXPECT_NE(parameters->find("rmdir \"" + folder + "\""), std::string::npos) << *parameters;
  }
}

TEST(SelfDeleteParameters, RefusesNamesThatNoQuotingProtects) {
  for (const char* file : {"C:\\100%PATH%\\UNINST~1.EXE", "C:\\a\"b\\UNINST~1.EXE",
                           "C:\\a\nb\\UNINST~1.EXE", "C:\\a\\*.EXE", "C:\\a\\UNINST?1.EXE", ""}) {
    EXPECT_FALSE(SelfDeleteParameters(file, std::nullopt).has_value()) << file;
  }
  EXPECT_FALSE(
      SelfDeleteParameters("C:\\ondrel\\U.EXE", std::string_view("C:\\%x%\\ondrel")).has_value());
}

// The whole command for names the interpreter must take literally, and a
// refusal for each character that no quoting protects, in the file's name and
// in the folder's.
TEST(SelfDeleteParameters, TheWholeCommandOrARefusal) {
  const std::string file = "C:\\A&B (1)!^\xA0\\UNINST~1.EXE";
  const std::string folder = "C:\\A&B (1)!^\xA0";
  const std::string quotedFile = "\"" + file + "\"";
  const std::string deleteAndRetry =
      "/d /v:off /c del " + quotedFile + " > nul & (for /l %i in (1,1,30) do (if exist " +
      quotedFile + " (ping -n 2 127.0.0.1 > nul & del " + quotedFile + " > nul)))";
  EXPECT_EQ(SelfDeleteParameters(file, std::string_view(folder)),
            deleteAndRetry + " & rmdir \"" + folder + "\"");
  EXPECT_EQ(SelfDeleteParameters(file, std::nullopt), deleteAndRetry);

  for (const char c : std::string("%\"*?\n\t\x01\x1F")) {
    const std::string unsafe = std::string("C:\\a") + c + "b";
    EXPECT_EQ(SelfDeleteParameters(unsafe + "\\UNINST~1.EXE", std::string_view(folder)),
              std::nullopt)
        << "in the file: " << static_cast<int>(c);
    EXPECT_EQ(SelfDeleteParameters(file, std::string_view(unsafe)), std::nullopt)
        << "in the folder: " << static_cast<int>(c);
  }
  EXPECT_EQ(SelfDeleteParameters(file, std::string_view()), std::nullopt) << "an empty folder";
}

}  // namespace
}  // namespace ondrel::test
