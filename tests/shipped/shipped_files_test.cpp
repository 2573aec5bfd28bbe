// What Windows reads from the three shipped programs before it runs them,
// read back through the functions Windows itself and Explorer use: the
// manifest as the loader parses it into an activation context, the version
// block as Properties > Details shows it, and the icons as the shell
// extracts them for shortcuts and the uninstall entry.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "product_version.h"
#include "tests/support/test_name.h"

namespace ondrel::test {
namespace {

const std::wstring kDistFolder = L"" ONDREL_DIST_DIR_WIDE L"\\";

struct ShippedProgram {
  const char* name;
  const wchar_t* file;
  const wchar_t* description;
  bool requiresAdministrator;
  // The highest icon index anything names: the desktop shortcut names 9 in
  // the organiser.
  int highestIconIndex;
};

const ShippedProgram kPrograms[] = {
    {"organiser", L"ondrel.exe", L"Ondrel organiser: notes, passwords and phone book", false, 9},
    {"installer", L"installer.exe", L"Ondrel setup", true, 0},
    {"uninstaller", L"uninstall.exe", L"Ondrel uninstaller", true, 0},
};

std::wstring Widen(const char* text) {
  const int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), units);
  wide.resize(static_cast<std::size_t>(units) - 1);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), bytes, nullptr, nullptr);
  narrow.resize(static_cast<std::size_t>(bytes) - 1);
  return narrow;
}

// An activation context made from the program's manifest resource 1, as the
// loader makes it when the program starts; released with the owner.
class ProgramActivationContext {
 public:
  explicit ProgramActivationContext(const std::wstring& path) {
    ACTCTXW request{};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    context_ = CreateActCtxW(&request);
    error_ = context_ == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  }
  ~ProgramActivationContext() {
    if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
  }
  ProgramActivationContext(const ProgramActivationContext&) = delete;
  ProgramActivationContext& operator=(const ProgramActivationContext&) = delete;

  HANDLE get() const { return context_; }
  DWORD error() const { return error_; }

  // The bytes QueryActCtxW answers for one class of information.
  std::vector<BYTE> Query(ULONG infoClass) const {
    SIZE_T needed = 0;
    QueryActCtxW(0, context_, nullptr, infoClass, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 ||
        !QueryActCtxW(0, context_, nullptr, infoClass, buffer.data(), needed, &needed)) {
      return {};
    }
    return buffer;
  }

 private:
  HANDLE context_ = INVALID_HANDLE_VALUE;
  DWORD error_ = ERROR_SUCCESS;
};

// The manifest's text as the resource holds it.
std::string ManifestText(const std::wstring& path) {
  const HMODULE module = LoadLibraryExW(
      path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return {};
  std::string text;
  if (const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
    if (const HGLOBAL loaded = LoadResource(module, resource)) {
      const auto* bytes = static_cast<const char*>(LockResource(loaded));
      if (bytes) text.assign(bytes, SizeofResource(module, resource));
    }
  }
  FreeLibrary(module);
  return text;
}

class ShippedFileTest : public ::testing::TestWithParam<ShippedProgram> {
 protected:
  const std::wstring path_ = kDistFolder + GetParam().file;
};

// The loader accepts the manifest and reads the run level it asks for:
// setup requires an administrator, the organiser states no level at all (any
// level would end the redirection its saves in the program-files folder
// rely on).
TEST_P(ShippedFileTest, TheLoaderReadsTheRunLevelFromTheManifest) {
  const ProgramActivationContext context(path_);
  ASSERT_NE(context.get(), INVALID_HANDLE_VALUE)
      << "the loader refused the manifest, error " << context.error();
  const std::vector<BYTE> answer = context.Query(RunlevelInformationInActivationContext);
  ASSERT_GE(answer.size(), sizeof(ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION));
  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
  std::memcpy(&level, answer.data(), sizeof(level));
  EXPECT_EQ(level.RunLevel, GetParam().requiresAdministrator ? ACTCTX_RUN_LEVEL_REQUIRE_ADMIN
                                                             : ACTCTX_RUN_LEVEL_UNSPECIFIED);
  EXPECT_EQ(level.UiAccess, 0u);

  // The resource's own words agree: a level named only by setup.
  const std::string manifest = ManifestText(path_);
  ASSERT_FALSE(manifest.empty());
  EXPECT_EQ(manifest.find("requestedExecutionLevel") != std::string::npos,
            GetParam().requiresAdministrator);
}

// Every Windows version from Vista to 10/11 is named, so that none gives the
// program an older one's behaviour. Newer systems answer a larger element
// per id than older headers declare, so each id is looked for in the answer.
TEST_P(ShippedFileTest, TheManifestNamesEveryWindowsFromVistaOn) {
  const ProgramActivationContext context(path_);
  ASSERT_NE(context.get(), INVALID_HANDLE_VALUE) << "error " << context.error();
  const std::vector<BYTE> answer = context.Query(CompatibilityInformationInActivationContext);
  ASSERT_GE(answer.size(), sizeof(DWORD));
  DWORD count = 0;
  std::memcpy(&count, answer.data(), sizeof(count));
  EXPECT_EQ(count, 5u);
  const GUID kWindows[] = {
      {0xe2011457, 0x1546, 0x43c5, {0xa5, 0xfe, 0x00, 0x8d, 0xee, 0xe3, 0xd3, 0xf0}},   // Vista
      {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},   // 7
      {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},   // 8
      {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},   // 8.1
      {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}}};  // 10, 11
  for (const GUID& windows : kWindows) {
    bool found = false;
    for (std::size_t at = sizeof(DWORD); at + sizeof(GUID) <= answer.size() && !found; ++at) {
      found = std::memcmp(answer.data() + at, &windows, sizeof(GUID)) == 0;
    }
    EXPECT_TRUE(found) << "supportedOS {" << std::hex << windows.Data1 << "-...} is missing";
  }
}

// The programs scale themselves: the loader reads per-monitor awareness
// (version 2) for Windows 10 and 11, and "true/pm" where only the older
// setting is read.
TEST_P(ShippedFileTest, TheManifestDeclaresPerMonitorAwareness) {
  const ProgramActivationContext context(path_);
  ASSERT_NE(context.get(), INVALID_HANDLE_VALUE) << "error " << context.error();
  const auto setting = [&](const wchar_t* schema, const wchar_t* name) {
    wchar_t value[64] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, context.get(), schema, name, value, 64, &written)) {
      return std::wstring(L"(not set)");
    }
    return std::wstring(value);
  };
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
            L"PerMonitorV2");
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"),
            L"true/pm");
}

// Inside the program's activation context the common controls come from
// the side-by-side assembly of version 6, not from the system folder's
// version 5: what draws the program's buttons, lists and boxes.
TEST_P(ShippedFileTest, TheManifestBringsTheCommonControlsSix) {
  const ProgramActivationContext context(path_);
  ASSERT_NE(context.get(), INVALID_HANDLE_VALUE) << "error " << context.error();
  ULONG_PTR cookie = 0;
  ASSERT_TRUE(ActivateActCtx(context.get(), &cookie));
  const HMODULE controls = LoadLibraryW(L"comctl32.dll");
  wchar_t loaded[MAX_PATH] = {};
  if (controls) {
    GetModuleFileNameW(controls, loaded, MAX_PATH);
    FreeLibrary(controls);
  }
  DeactivateActCtx(0, cookie);
  CharLowerW(loaded);
  EXPECT_NE(std::wstring(loaded).find(L"_microsoft.windows.common-controls_6595b64144ccf1df_6.0."),
            std::wstring::npos)
      << "comctl32 came from " << Narrow(loaded);
}

// The version block: one version for all three programs, from the build,
// with texts that agree with the fixed numbers, and each program's own
// description and file name.
TEST_P(ShippedFileTest, TheVersionBlockSaysWhatTheProgramIs) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path_.c_str(), &ignored);
  ASSERT_GT(size, 0u) << "no version resource";
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  const DWORD major = MAKELONG(ONDREL_VERSION_MINOR, ONDREL_VERSION_MAJOR);
  const DWORD minor = MAKELONG(ONDREL_VERSION_TWEAK, ONDREL_VERSION_PATCH);
  EXPECT_EQ(fixed->dwFileVersionMS, major);
  EXPECT_EQ(fixed->dwFileVersionLS, minor);
  EXPECT_EQ(fixed->dwProductVersionMS, major);
  EXPECT_EQ(fixed->dwProductVersionLS, minor);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  // The language and code page the strings are kept under: U.S. English,
  // Unicode, as the table's name below says.
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, 2 * sizeof(WORD));
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);

  const auto text = [&](const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT units = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &units) ||
        value == nullptr) {
      return std::wstring(L"(missing)");
    }
    return std::wstring(value);
  };
  wchar_t numbers[64];
  wsprintfW(numbers, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
            LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
            LOWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(text(L"FileVersion"), numbers);
  EXPECT_EQ(text(L"ProductVersion"), numbers);
  EXPECT_EQ(text(L"FileVersion"), Widen(ONDREL_VERSION_TEXT));
  EXPECT_EQ(text(L"ProductName"), L"Ondrel");
  EXPECT_EQ(text(L"FileDescription"), GetParam().description);
  EXPECT_EQ(text(L"OriginalFilename"), GetParam().file);
  EXPECT_EQ(text(L"InternalName"), GetParam().file);
  EXPECT_EQ(text(L"CompanyName"), Widen(ONDREL_PUBLISHER));
}

// The shell finds an icon at every index anything names, in the large and
// small sizes it shows, and the same picture at each of them.
TEST_P(ShippedFileTest, TheShellFindsAnIconAtEveryIndexNamed) {
  const UINT count = ExtractIconExW(path_.c_str(), -1, nullptr, nullptr, 0);
  EXPECT_EQ(count, static_cast<UINT>(GetParam().highestIconIndex + 1));
  for (int index = 0; index <= GetParam().highestIconIndex; ++index) {
    HICON large = nullptr;
    HICON small = nullptr;
    EXPECT_EQ(ExtractIconExW(path_.c_str(), index, &large, &small, 1), 2u) << "index " << index;
    EXPECT_NE(large, nullptr) << "index " << index;
    EXPECT_NE(small, nullptr) << "index " << index;
    if (large) DestroyIcon(large);
    if (small) DestroyIcon(small);
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, ShippedFileTest, ::testing::ValuesIn(kPrograms),
                         [](const auto& program) { return TestNameOf(program.param.name); });

// Every shipped program shows a picture of its own: the pixels of the three
// large icons differ.
std::vector<BYTE> IconPixels(const std::wstring& path) {
  HICON icon = nullptr;
  if (ExtractIconExW(path.c_str(), 0, &icon, nullptr, 1) != 1 || !icon) return {};
  ICONINFO info{};
  std::vector<BYTE> pixels;
  if (GetIconInfo(icon, &info)) {
    BITMAP bitmap{};
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap)) {
      BITMAPINFO format{};
      format.bmiHeader.biSize = sizeof(format.bmiHeader);
      format.bmiHeader.biWidth = bitmap.bmWidth;
      format.bmiHeader.biHeight = bitmap.bmHeight;
      format.bmiHeader.biPlanes = 1;
      format.bmiHeader.biBitCount = 32;
      format.bmiHeader.biCompression = BI_RGB;
      pixels.resize(static_cast<std::size_t>(bitmap.bmWidth) * bitmap.bmHeight * 4);
      const HDC screen = GetDC(nullptr);
      if (!GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(bitmap.bmHeight), pixels.data(),
                     &format, DIB_RGB_COLORS)) {
        pixels.clear();
      }
      ReleaseDC(nullptr, screen);
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
  }
  DestroyIcon(icon);
  return pixels;
}

TEST(ShippedIconsTest, EachProgramHasAPictureOfItsOwn) {
  std::vector<std::vector<BYTE>> pictures;
  for (const ShippedProgram& program : kPrograms) {
    pictures.push_back(IconPixels(kDistFolder + program.file));
    ASSERT_FALSE(pictures.back().empty()) << "no icon in the " << program.name;
  }
  EXPECT_NE(pictures[0], pictures[1]);
  EXPECT_NE(pictures[0], pictures[2]);
  EXPECT_NE(pictures[1], pictures[2]);
}

}  // namespace
}  // namespace ondrel::test
