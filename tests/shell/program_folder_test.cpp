// The program folder: where "ondrel.lng" and "ondrel.db" are looked for.

#include "organiser/shell/program_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "organiser/win32/wide_text.h"

namespace ondrel::test {
namespace {

TEST(ProgramFolderTest, CutsAfterTheLastBackslash) {
  struct Case {
    Text path;
    Text folder;
  };
  const Case cases[] = {
      {u"C:\\Program Files\\Ondrel\\ondrel.exe", u"C:\\Program Files\\Ondrel\\"},
      {u"C:\\ondrel.exe", u"C:\\"},
      {u"\\\\server\\share\\o.exe", u"\\\\server\\share\\"},
      {u"C:\\folder\\", u"C:\\folder\\"},
      {u"ondrel.exe", u""},
      {u"", u""},
      {u"C:/forward/slashes.exe", u""},
      {u"\\" + Text(40000, u'x') + u"\\o.exe", u"\\" + Text(40000, u'x') + u"\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(FolderOfPath(c.path), c.folder);
}

TEST(ProgramFolderTest, IsTheFolderOfTheRunningExecutable) {
  const Text folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), u'\\');
  const Text exe = folder + u"main_window_test.exe";
  EXPECT_NE(GetFileAttributesW(AsWide(exe)), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace ondrel::test
