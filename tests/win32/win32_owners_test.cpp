// The owners of real Win32 handles close them when they go, and the one font
// recipe makes exactly the fonts the programs made before it existed.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "organiser/win32/fonts.h"
#include "organiser/win32/gdi_owners.h"
#include "organiser/win32/kernel_handle.h"
#include "tests/support/temp_folder.h"

namespace ondrel::test {
namespace {

LOGFONTW Describe(HFONT font) {
  LOGFONTW description{};
  EXPECT_EQ(GetObjectW(font, sizeof description, &description), int{sizeof description});
  return description;
}

struct FontCase {
  const char* program;
  Font made;
  HFONT asBefore;  // the call each program made itself (the installer's in ANSI)
};

TEST(FontRecipe, MakesTheFontsEachProgramMadeBefore) {
  FontCase cases[] = {
      {"organiser", MakeOrganiserFont(),
       CreateFontW(13, 0, 0, 0, 100, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, L"MS Sans Serif")},
      {"installer buttons", MakeFont(13, L"MS Sans Serif"),
       CreateFontA(13, 0, 0, 0, 100, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "MS Sans Serif")},
      {"installer licence", MakeFont(15, L"Courier"),
       CreateFontA(15, 0, 0, 0, 100, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Courier")},
  };
  for (FontCase& font : cases) {
    SCOPED_TRACE(font.program);
    ASSERT_TRUE(font.made);
    const LOGFONTW made = Describe(font.made.get());
    const LOGFONTW before = Describe(font.asBefore);
    // Every field, and the face name up to its end: what follows the name's
    // terminator is whatever the call that made the font left there.
    EXPECT_EQ(std::memcmp(&made, &before, offsetof(LOGFONTW, lfFaceName)), 0);
    EXPECT_EQ(std::wstring(made.lfFaceName), std::wstring(before.lfFaceName));
    EXPECT_EQ(made.lfWeight, 100);
    DeleteObject(font.asBefore);
  }
}

TEST(Win32Owners, FontIsDeletedWithItsOwner) {
  HFONT font = nullptr;
  {
    const Font owner = MakeOrganiserFont();
    font = owner.get();
    ASSERT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
  }
  EXPECT_EQ(GetObjectType(font), 0u);
}

TEST(Win32Owners, KernelHandleIsClosedWithItsOwner) {
  HANDLE event = nullptr;
  DWORD flags = 0;
  {
    const KernelHandle owner(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    event = owner.get();
    ASSERT_TRUE(GetHandleInformation(event, &flags));
  }
  EXPECT_FALSE(GetHandleInformation(event, &flags));
}

TEST(Win32Owners, FileIsClosedWithItsOwnerAndAFailedOpenOwnsNothing) {
  const TempFolder folder;
  const std::wstring path = folder.Native(L"held.txt");
  const auto openAlone = [&path] {
    return FileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  {
    const FileHandle held = openAlone();
    ASSERT_TRUE(held);
    // Opened without sharing: a second open fails with INVALID_HANDLE_VALUE,
    // which its owner must not take for a handle.
    const FileHandle refused = openAlone();
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.get(), INVALID_HANDLE_VALUE);
  }
  EXPECT_TRUE(openAlone());
}

}  // namespace
}  // namespace ondrel::test
