// Setup's start-up call keeps a DLL saved beside it (a download folder) or in
// the current folder out of the process: a probe program loads
// "version.dll" by name, with and without the call, next to a planted copy.
#include <windows.h>

#include <filesystem>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "dll_search_probe.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_name.h"

using ondrel::test::TestNameOf;

namespace {

namespace fs = std::filesystem;

fs::path OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

// Runs program with argument in folder workingFolder; its exit code, or -1
// when it could not be run.
int RunProgram(const fs::path& program, const std::wstring& argument, const fs::path& workingFolder) {
  std::wstring commandLine = L"\"" + program.wstring() + L"\" " + argument;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingFolder.c_str(), &startup, &process)) {
    return -1;
  }
  CloseHandle(process.hThread);
  DWORD exitCode = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &exitCode);
  } else {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hProcess);
  return static_cast<int>(exitCode);
}

struct Case {
  const char* name;
  bool besideProgram;  // a planted "version.dll" in the program's folder
  bool inCurrentFolder;  // one in the folder the program is started in
  bool limited;  // the probe makes the start-up call first
  int loaded;
};

// Cases print by what they are.
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class DllSearchTest : public ::testing::TestWithParam<Case> {};

// Wine loads its own built-in copy of a system DLL wherever a file of that
// name lies, unless told for a program to prefer files: then it searches
// the folders as Windows does for a DLL the system does not protect. The
// wish is Wine's own registry setting for the probe; Windows reads nothing
// there.
class PreferDllFilesUnderWine {
 public:
  PreferDllFilesUnderWine() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
      static const wchar_t kOrder[] = L"native,builtin";
      RegSetValueExW(key, L"version", 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder),
                     sizeof kOrder);
      RegCloseKey(key);
    }
  }
  ~PreferDllFilesUnderWine() { RegDeleteTreeW(HKEY_CURRENT_USER, kProgram); }
  PreferDllFilesUnderWine(const PreferDllFilesUnderWine&) = delete;
  PreferDllFilesUnderWine& operator=(const PreferDllFilesUnderWine&) = delete;

 private:
  static constexpr const wchar_t* kProgram = L"Software\\Wine\\AppDefaults\\dll_search_probe.exe";
  static constexpr const wchar_t* kOverrides =
      L"Software\\Wine\\AppDefaults\\dll_search_probe.exe\\DllOverrides";
};

TEST_P(DllSearchTest, LoadsTheSystemCopyOnceLimited) {
  const Case& c = GetParam();
  const PreferDllFilesUnderWine filesFirst;
  ondrel::test::TempFolder temp;
  const fs::path programFolder = temp.path() / "Downloads";
  const fs::path currentFolder = temp.path() / "current";
  fs::create_directories(programFolder);
  fs::create_directories(currentFolder);
  const fs::path probe = programFolder / "dll_search_probe.exe";
  fs::copy_file(OwnFolder() / "dll_search_probe.exe", probe);
  const fs::path planted = OwnFolder() / "planted_version.dll";
  if (c.besideProgram) fs::copy_file(planted, programFolder / "version.dll");
  if (c.inCurrentFolder) fs::copy_file(planted, currentFolder / "version.dll");

  EXPECT_EQ(RunProgram(probe, c.limited ? L"limited" : L"plain", currentFolder), c.loaded);
}

const Case kCases[] = {
    // Shows that the planted copy really is taken when nothing limits it.
    {"a plain load takes the copy beside the program", true, false, false, kPlanted},
    {"limited, the copy beside the program is passed over", true, false, true, kSystemCopy},
    {"limited, the current folder's copy is passed over", false, true, true, kSystemCopy},
    {"limited, with copies in both folders", true, true, true, kSystemCopy},
};

std::string CaseName(const ::testing::TestParamInfo<Case>& info) { return TestNameOf(info.param.name); }

INSTANTIATE_TEST_SUITE_P(Planted, DllSearchTest, ::testing::ValuesIn(kCases), CaseName);

}  // namespace
