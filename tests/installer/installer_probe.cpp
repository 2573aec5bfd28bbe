// Test helper run under Wine beside the installer: finds the installer's
// window, checks its geometry, styles and licence text, and clicks a button;
// reads and answers the message boxes of the installer and the uninstaller;
// waits for the organiser's window and closes it, or checks that no organiser
// runs; holds a file while the installer runs; starts the uninstaller from
// its registered command line, checks its exit code and times the removal of
// its file; runs the self-deletion command against a file held open; makes a
// junction; prints the uninstall entry's values and a shortcut's contents as
// Windows reads them.
// Everything is read and compared in UTF-16: the arguments, the windows'
// texts, paths. Prints one line per check ("ok ..." or "FAIL ...") in UTF-8
// and exits 1 on a failure.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <winioctl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "self_delete_command.h"

namespace {

int failures = 0;

// Text in UTF-8, as the test script reads it.
std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

void Print(const std::wstring& line) {
  const std::string bytes = Utf8(line) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

void Check(bool passed, const std::wstring& what) {
  Print((passed ? L"ok " : L"FAIL ") + what);
  if (!passed) ++failures;
}

HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    const HWND window = FindWindowW(className, nullptr);
    if (window && IsWindowVisible(window)) return window;
    Sleep(50);
  }
  return nullptr;
}

std::wstring WindowText(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                      reinterpret_cast<LPARAM>(text.data()));
  return std::wstring(text.data(), static_cast<std::size_t>(copied));
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// A file's bytes as text in the ANSI code page, the licence's own.
std::wstring ReadAnsiText(const wchar_t* path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.empty()) return {};
  const int units =
      MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), units);
  return text;
}

std::wstring Describe(long value) { return std::to_wstring(value); }

// Joined lines: long paths are broken into lines in message texts, so the
// expected texts are looked for with the line breaks taken out.
std::wstring Unbroken(const std::wstring& text) {
  std::wstring joined;
  for (const wchar_t c : text) {
    if (c != L'\n' && c != L'\r') joined.push_back(c);
  }
  return joined;
}

// What the licence box must show: the text of licencePath, or, where that is
// null, a text naming every one of unreadableSays and no Agree button.
void CheckInstallerWindow(HWND window, const wchar_t* licencePath,
                          const std::vector<std::wstring>& unreadableSays) {
  Check(WindowText(window) == L" Ondrel Installer", L"title is \" Ondrel Installer\"");

  RECT client{};
  GetClientRect(window, &client);
  Check(client.right - client.left == 600 && client.bottom - client.top == 400,
        L"client area 600 x 400 (is " + Describe(client.right - client.left) + L" x " +
            Describe(client.bottom - client.top) + L")");

  RECT frame{};
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const int expectedX = (screenWidth - width) / 2 < 0 ? 0 : (screenWidth - width) / 2;
  const int expectedY = (screenHeight - height) / 2 < 0 ? 0 : (screenHeight - height) / 2;
  Check(frame.left == expectedX && frame.top == expectedY,
        L"centred on the " + Describe(screenWidth) + L" x " + Describe(screenHeight) +
            L" screen: window " + Describe(width) + L" x " + Describe(height) + L" at (" +
            Describe(frame.left) + L", " + Describe(frame.top) + L"), expected (" +
            Describe(expectedX) + L", " + Describe(expectedY) + L")");

  const LONG style = GetWindowLongW(window, GWL_STYLE);
  Check((style & WS_SYSMENU) == 0, L"no system menu and so no close box");
  Check((style & WS_THICKFRAME) == 0, L"no sizing border");
  Check((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0, L"no minimize or maximize box");
  Check((style & WS_CAPTION) == WS_CAPTION, L"has a title bar");

  const HWND licenceBox = GetDlgItem(window, 102);
  const HWND agree = GetDlgItem(window, 100);
  const HWND cancel = GetDlgItem(window, 101);
  Check(licenceBox && ClassOf(licenceBox) == L"Edit", L"licence box 102 is an Edit control");
  if (licencePath) {
    Check(agree && WindowText(agree) == L"Agree", L"button 100 reads Agree");
  } else {
    Check(agree == nullptr, L"no Agree button is offered without a licence");
  }
  Check(cancel && WindowText(cancel) == L"Cancel", L"button 101 reads Cancel");
  if (!licenceBox) return;
  const LONG boxStyle = GetWindowLongW(licenceBox, GWL_STYLE);
  Check((boxStyle & (ES_READONLY | ES_MULTILINE)) == (ES_READONLY | ES_MULTILINE),
        L"licence box is multi-line and read-only");

  const std::wstring shown = WindowText(licenceBox);
  if (licencePath) {
    const std::wstring expected = ReadAnsiText(licencePath);
    Check(!expected.empty() && shown == expected,
          L"licence box shows the " + Describe(static_cast<long>(expected.size())) +
              L" characters of " + licencePath + L" (shows " +
              Describe(static_cast<long>(shown.size())) + L")");
  } else {
    Print(L"info the licence box says: " + shown);
    for (const std::wstring& piece : unreadableSays) {
      Check(Unbroken(shown).find(piece) != std::wstring::npos,
            L"the licence box names \"" + piece + L"\"");
    }
  }
}

// click agree|cancel LICENCE-FILE, or click cancel --unreadable TEXT...
int ClickInstaller(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  const int buttonId = std::wcscmp(argv[2], L"agree") == 0 ? 100 : 101;
  const bool unreadable = std::wcscmp(argv[3], L"--unreadable") == 0;
  const wchar_t* licencePath = unreadable ? nullptr : argv[3];
  const std::vector<std::wstring> unreadableSays(argv + 4, argv + argc);
  const HWND window = WaitForWindow(L"ZqInstall", 30000);
  Check(window != nullptr, L"a top-level window of class ZqInstall appeared");
  if (!window) return 1;
  CheckInstallerWindow(window, licencePath, unreadableSays);
  // Posted, not sent: Agree runs the whole installation inside the click.
  const HWND button = GetDlgItem(window, buttonId);
  Check(button && PostMessageW(button, BM_CLICK, 0, 0), L"clicked button " + Describe(buttonId));
  return failures == 0 ? 0 : 1;
}

bool OrganiserMutexExists() {
  const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Ondrel-088FA840");
  if (mutex) CloseHandle(mutex);
  return mutex != nullptr;
}

int CloseOrganiser() {
  const HWND window = WaitForWindow(L"Ondrel", 30000);
  Check(window != nullptr, L"a window of class Ondrel appeared");
  if (!window) return 1;
  PostMessageW(window, WM_CLOSE, 0, 0);
  const DWORD start = GetTickCount();
  while (IsWindow(window) && GetTickCount() - start < 15000) Sleep(50);
  Check(!IsWindow(window), L"the Ondrel window closed");
  // The process has ended, and released its files, once its mutex is gone.
  const DWORD ending = GetTickCount();
  while (OrganiserMutexExists() && GetTickCount() - ending < 15000) Sleep(20);
  Check(!OrganiserMutexExists(), L"the organiser's process ended");
  return failures == 0 ? 0 : 1;
}

int WaitForOrganiser() {
  const HWND window = WaitForWindow(L"Ondrel", 30000);
  Check(window != nullptr && OrganiserMutexExists(), L"the organiser runs and shows its window");
  return failures == 0 ? 0 : 1;
}

// How a message box must read and how it is answered.
struct BoxAnswer {
  std::vector<std::wstring> says;  // pieces its text must hold
  int button = IDOK;               // IDOK, IDRETRY or IDCANCEL
  bool closeOrganiserFirst = false;
};

// Takes one option of a box: --answer=ok|retry|cancel, --close-organiser or
// --says=TEXT. False when arg is none of them.
bool ParseBoxOption(const wchar_t* arg, BoxAnswer& box) {
  const std::wstring option = arg;
  if (option == L"--answer=ok") {
    box.button = IDOK;
  } else if (option == L"--answer=retry") {
    box.button = IDRETRY;
  } else if (option == L"--answer=cancel") {
    box.button = IDCANCEL;
  } else if (option == L"--close-organiser") {
    box.closeOrganiserFirst = true;
  } else if (option.rfind(L"--says=", 0) == 0) {
    box.says.push_back(option.substr(7));
  } else {
    return false;
  }
  return true;
}

// Waits for a message box, checks its caption, that its text holds every
// expected piece and that it offers the answer; prints the text and answers.
int AnswerBox(const BoxAnswer& answer) {
  const HWND box = WaitForWindow(L"#32770", 30000);
  Check(box != nullptr, L"a message box appeared");
  if (!box) return 1;
  Check(WindowText(box) == L"Ondrel", L"its caption is \"Ondrel\" (is \"" + WindowText(box) + L"\")");
  const HWND textControl = GetDlgItem(box, 0xFFFF);
  const std::wstring text = textControl ? WindowText(textControl) : std::wstring();
  Print(L"info the message box says: " + text);
  for (const std::wstring& piece : answer.says) {
    Check(Unbroken(text).find(piece) != std::wstring::npos, L"it names \"" + piece + L"\"");
  }
  if (answer.closeOrganiserFirst) CloseOrganiser();
  const HWND button = GetDlgItem(box, answer.button);
  Check(button && PostMessageW(button, BM_CLICK, 0, 0),
        L"clicked " + WindowText(button ? button : box));
  const DWORD start = GetTickCount();
  while (IsWindow(box) && GetTickCount() - start < 15000) Sleep(50);
  Check(!IsWindow(box), L"the message box closed");
  return failures == 0 ? 0 : 1;
}

// message-box [--answer=...] [--close-organiser] TEXT...: every other
// argument is a piece the text must hold.
int AnswerMessageBox(int argc, wchar_t** argv) {
  BoxAnswer answer;
  for (int i = 2; i < argc; ++i) {
    if (!ParseBoxOption(argv[i], answer)) answer.says.push_back(argv[i]);
  }
  return AnswerBox(answer);
}

// How many processes of the given file name run now.
int CountProcesses(const wchar_t* exeName) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (lstrcmpiW(entry.szExeFile, exeName) == 0) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

// Checks that no organiser was started: no "ondrel.exe" process and no window
// of class "Ondrel". Called once the installer has ended, by which time a
// started organiser's process exists.
int CheckNoOrganiser() {
  const int organisers = CountProcesses(L"ondrel.exe");
  Check(organisers == 0, L"no ondrel.exe process runs (" + Describe(organisers) + L" found)");
  Check(FindWindowW(L"Ondrel", nullptr) == nullptr, L"no Ondrel window");
  return failures == 0 ? 0 : 1;
}

// A directory junction at link pointing to the folder target (absolute path).
// Exits 3, leaving nothing behind, where the system cannot make junctions.
int MakeJunction(const wchar_t* link, const wchar_t* target) {
  if (!CreateDirectoryW(link, nullptr)) {
    Check(false, L"create the folder for the junction");
    return 1;
  }
  const HANDLE handle =
      CreateFileW(link, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    Check(false, L"open the junction folder");
    return 1;
  }
  const std::wstring substitute = std::wstring(L"\\??\\") + target;
  const std::wstring print = target;
  const USHORT substituteBytes = static_cast<USHORT>(substitute.size() * sizeof(wchar_t));
  const USHORT printBytes = static_cast<USHORT>(print.size() * sizeof(wchar_t));
  // REPARSE_DATA_BUFFER for a mount point: header, four offsets, two strings.
  std::vector<BYTE> buffer(8 + 8 + substituteBytes + 2 + printBytes + 2, 0);
  auto put16 = [&](std::size_t at, USHORT value) { std::memcpy(&buffer[at], &value, 2); };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  std::memcpy(&buffer[0], &tag, 4);
  put16(4, static_cast<USHORT>(buffer.size() - 8));
  put16(8, 0);
  put16(10, substituteBytes);
  put16(12, static_cast<USHORT>(substituteBytes + 2));
  put16(14, printBytes);
  std::memcpy(&buffer[16], substitute.data(), substituteBytes);
  std::memcpy(&buffer[16 + substituteBytes + 2], print.data(), printBytes);
  DWORD returned = 0;
  const BOOL made =
      DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, buffer.data(),
                      static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
  const DWORD error = made ? 0 : GetLastError();
  CloseHandle(handle);
  if (!made) {
    // Wine 8 answers ERROR_NOT_SUPPORTED: the caller uses another kind of link.
    Print(L"info no junction can be made here (error " + Describe(static_cast<long>(error)) +
          L")");
    RemoveDirectoryW(link);
    return 3;
  }
  const DWORD attributes = GetFileAttributesW(link);
  Check(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT),
        std::wstring(L"junction ") + link + L" -> " + target);
  return failures == 0 ? 0 : 1;
}

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

// Polls until none of the paths exists, for at most timeoutMs. Returns the
// milliseconds waited, or -1 when something is still there.
long WaitUntilGone(const std::vector<const wchar_t*>& paths, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    bool anyLeft = false;
    for (const wchar_t* path : paths) anyLeft = anyLeft || Exists(path);
    const DWORD waited = GetTickCount() - start;
    if (!anyLeft) return static_cast<long>(waited);
    if (waited > timeoutMs) return -1;
    Sleep(10);
  }
}

// run-uninstaller COMMAND-LINE WORKING-FOLDER [OPTION...] [MUST-GO...]
// Starts the command line (parsed as Windows parses it) in the working folder
// and waits for it to end. Options: --exit=N (the exit code expected, 0
// without it); the box options of AnswerBox (a message box is then expected
// and answered); --keeps=PATH (a file that must still be there, with no
// command interpreter left to delete it). Then waits up to five seconds for
// each MUST-GO path to be gone.
int RunUninstaller(int argc, wchar_t** argv) {
  std::wstring commandLine = argv[2];
  const wchar_t* workingFolder = argv[3];
  DWORD expectedExit = 0;
  BoxAnswer answer;
  bool boxExpected = false;
  std::vector<const wchar_t*> mustGo;
  std::vector<const wchar_t*> keeps;
  for (int i = 4; i < argc; ++i) {
    const std::wstring option = argv[i];
    if (option.rfind(L"--exit=", 0) == 0) {
      expectedExit = static_cast<DWORD>(std::wcstol(argv[i] + 7, nullptr, 10));
    } else if (option.rfind(L"--keeps=", 0) == 0) {
      keeps.push_back(argv[i] + 8);
    } else if (ParseBoxOption(argv[i], answer)) {
      boxExpected = true;
    } else {
      mustGo.push_back(argv[i]);
    }
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const DWORD started = GetTickCount();
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingFolder, &startup, &process)) {
    Check(false, L"start " + commandLine + L" (error " +
                     Describe(static_cast<long>(GetLastError())) + L")");
    return 1;
  }
  if (boxExpected) AnswerBox(answer);
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_TIMEOUT) {
    // Most likely a message box nobody expected: say what it said.
    const HWND box = FindWindowW(L"#32770", nullptr);
    const HWND textControl = box ? GetDlgItem(box, 0xFFFF) : nullptr;
    Check(false,
          L"the uninstaller ended within a minute" +
              (textControl ? L" (it shows: " + WindowText(textControl) + L")" : std::wstring()));
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 5000);
  }
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  Print(L"info the uninstaller ran for " + Describe(static_cast<long>(GetTickCount() - started)) +
        L" ms");
  Check(exitCode == expectedExit, L"the uninstaller exited with " +
                                      Describe(static_cast<long>(expectedExit)) + L" (is " +
                                      Describe(static_cast<long>(exitCode)) + L")");
  if (!keeps.empty()) {
    // A command interpreter started to delete a file would still run now.
    Check(CountProcesses(L"cmd.exe") == 0, L"no command interpreter was left running");
    for (const wchar_t* path : keeps) Check(Exists(path), std::wstring(L"kept ") + path);
  }
  if (!mustGo.empty()) {
    const long waited = WaitUntilGone(mustGo, 5000);
    if (waited >= 0) Print(L"info removed " + Describe(waited) + L" ms after the uninstaller ended");
    std::wstring names;
    for (const wchar_t* path : mustGo)
      names += std::wstring(L" ") + path + (Exists(path) ? L" (still there)" : L"");
    Check(waited >= 0, L"gone within five seconds of the uninstaller's end:" + names);
  }
  return failures == 0 ? 0 : 1;
}

// Holds file open as a running program holds its own (it can be read but not
// renamed or deleted), writes readyFile once it does, and keeps it until a
// window of the installer has appeared and gone again.
int HoldDuringInstaller(const wchar_t* file, const wchar_t* readyFile) {
  const HANDLE held =
      CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  Check(held != INVALID_HANDLE_VALUE, std::wstring(L"hold ") + file);
  if (held == INVALID_HANDLE_VALUE) return 1;
  const HANDLE ready = CreateFileW(readyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  const HWND window = WaitForWindow(L"ZqInstall", 60000);
  Check(window != nullptr, L"the installer window appeared while the file was held");
  const DWORD start = GetTickCount();
  while (window && IsWindow(window) && GetTickCount() - start < 120000) Sleep(50);
  Check(!window || !IsWindow(window), L"the installer ended while the file was held");
  CloseHandle(held);
  return failures == 0 ? 0 : 1;
}

// Holds file open without sharing (as a running program holds its image),
// starts the self-deletion command for it and its folder, releases the file
// after holdMs and checks that the file was still there until then. With
// longNames the names go to the interpreter as they are, as on a volume
// without short names.
int SelfDeleteWhileHeld(const wchar_t* file, const wchar_t* folder, DWORD holdMs,
                        bool longNames) {
  const HANDLE held = CreateFileW(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Check(held != INVALID_HANDLE_VALUE, std::wstring(L"hold ") + file);
  if (held == INVALID_HANDLE_VALUE) return 1;
  wchar_t shortFile[MAX_PATH] = {};
  wchar_t shortFolder[MAX_PATH] = {};
  if (longNames) {
    lstrcpynW(shortFile, file, MAX_PATH);
    lstrcpynW(shortFolder, folder, MAX_PATH);
  } else {
    GetShortPathNameW(file, shortFile, MAX_PATH);
    GetShortPathNameW(folder, shortFolder, MAX_PATH);
  }
  const std::optional<std::wstring> parameters =
      ondrel::uninstall::SelfDeleteParameters(shortFile, std::wstring_view(shortFolder));
  wchar_t interpreter[MAX_PATH] = {};
  GetEnvironmentVariableW(L"COMSPEC", interpreter, MAX_PATH);
  wchar_t systemFolder[MAX_PATH] = {};
  GetSystemDirectoryW(systemFolder, MAX_PATH);
  Check(parameters.has_value(), L"self-deletion parameters for " + std::wstring(shortFile));
  if (!parameters) return 1;
  Print(L"info " + std::wstring(interpreter) + L" " + *parameters);
  const HINSTANCE started =
      ShellExecuteW(nullptr, L"open", interpreter, parameters->c_str(), systemFolder, SW_HIDE);
  Check(reinterpret_cast<INT_PTR>(started) > 32, L"started the command interpreter");
  Sleep(holdMs);
  Check(Exists(file), L"the held file survived the interpreter's first attempt");
  CloseHandle(held);
  const long waited = WaitUntilGone({file, folder}, 5000);
  if (waited >= 0) Print(L"info removed " + Describe(waited) + L" ms after the file was released");
  Check(waited >= 0, L"file and folder gone within five seconds of the release");
  return failures == 0 ? 0 : 1;
}

// Prints every value of the uninstall entry as Windows reads it, one line
// each: name, type and value ("NAME REG_SZ TEXT", "NAME REG_DWORD NUMBER", any
// other type by its bytes in hex), or "no uninstall entry".
int PrintEntry() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ondrel", 0,
                    KEY_READ, &key) != ERROR_SUCCESS) {
    Print(L"no uninstall entry");
    return 0;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256] = {};
    DWORD nameLength = 256;
    std::vector<BYTE> data(65536);
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = 0;
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size) !=
        ERROR_SUCCESS) {
      break;
    }
    std::wstring shown;
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && size % 2 == 0) {
      shown = std::wstring(reinterpret_cast<const wchar_t*>(data.data()), size / 2);
      while (!shown.empty() && shown.back() == L'\0') shown.pop_back();
    } else if (type == REG_DWORD && size == 4) {
      DWORD number = 0;
      std::memcpy(&number, data.data(), 4);
      shown = std::to_wstring(number);
    } else {
      for (DWORD b = 0; b < size; ++b) {
        wchar_t hex[4] = {};
        std::swprintf(hex, 4, L"%02x", data[b]);
        shown += hex;
      }
    }
    const wchar_t* typeName = type == REG_SZ          ? L"REG_SZ"
                              : type == REG_EXPAND_SZ ? L"REG_EXPAND_SZ"
                              : type == REG_DWORD     ? L"REG_DWORD"
                                                      : L"REG_OTHER";
    Print(std::wstring(name) + L" " + typeName + L" " + shown);
  }
  RegCloseKey(key);
  return 0;
}

// Prints a shortcut as the shell reads it: "target", "working folder",
// "description", "icon" (file, then its index) and "extracted icon" (whether the
// shell finds an icon there), one line each. The target
// is the path of the shortcut's item list, which the shell resolves; Wine
// keeps the path of the file's link information, which GetPath answers, in
// the ANSI code page only (Windows also keeps it in UTF-16), so that one is
// printed too, as "link information path", for the record.
int PrintShortcut(const wchar_t* file) {
  if (FAILED(CoInitialize(nullptr))) return 1;
  IShellLinkW* link = nullptr;
  IPersistFile* persist = nullptr;
  int result = 1;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
      SUCCEEDED(persist->Load(file, STGM_READ))) {
    wchar_t text[MAX_PATH] = {};
    LPITEMIDLIST items = nullptr;
    if (SUCCEEDED(link->GetIDList(&items)) && items && SHGetPathFromIDListW(items, text)) {
      Print(std::wstring(L"target ") + text);
    }
    CoTaskMemFree(items);
    link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    Print(std::wstring(L"link information path ") + text);
    link->GetWorkingDirectory(text, MAX_PATH);
    Print(std::wstring(L"working folder ") + text);
    link->GetDescription(text, MAX_PATH);
    Print(std::wstring(L"description ") + text);
    int icon = -1;
    link->GetIconLocation(text, MAX_PATH, &icon);
    Print(std::wstring(L"icon ") + text + L"," + std::to_wstring(icon));
    // What the shell shows: the icon at that index of that file, large and
    // small, or none (a blank icon).
    HICON large = nullptr;
    HICON small = nullptr;
    const UINT extracted = icon >= 0 ? ExtractIconExW(text, icon, &large, &small, 1) : 0;
    Print(std::wstring(L"extracted icon ") + (extracted == 2 && large && small ? L"yes" : L"no"));
    if (large) DestroyIcon(large);
    if (small) DestroyIcon(small);
    result = 0;
  } else {
    Print(std::wstring(L"FAIL cannot read the shortcut ") + file);
  }
  if (persist) persist->Release();
  if (link) link->Release();
  CoUninitialize();
  return result;
}

bool Is(int argc, wchar_t** argv, int least, const wchar_t* command) {
  return argc >= least && std::wcscmp(argv[1], command) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (Is(argc, argv, 2, L"click")) return ClickInstaller(argc, argv);
  if (Is(argc, argv, 2, L"close-organiser")) return CloseOrganiser();
  if (Is(argc, argv, 4, L"junction")) return MakeJunction(argv[2], argv[3]);
  if (Is(argc, argv, 4, L"run-uninstaller")) return RunUninstaller(argc, argv);
  if (Is(argc, argv, 5, L"self-delete-while-held")) {
    const bool longNames = argc >= 6 && std::wcscmp(argv[5], L"long-names") == 0;
    return SelfDeleteWhileHeld(argv[2], argv[3],
                               static_cast<DWORD>(std::wcstol(argv[4], nullptr, 10)), longNames);
  }
  if (Is(argc, argv, 2, L"message-box")) return AnswerMessageBox(argc, argv);
  if (Is(argc, argv, 2, L"no-organiser")) return CheckNoOrganiser();
  if (Is(argc, argv, 2, L"wait-organiser")) return WaitForOrganiser();
  if (Is(argc, argv, 4, L"hold-during-installer")) return HoldDuringInstaller(argv[2], argv[3]);
  if (Is(argc, argv, 2, L"entry")) return PrintEntry();
  if (Is(argc, argv, 3, L"shortcut")) return PrintShortcut(argv[2]);
  std::fprintf(stderr,
               "usage: installer_probe click agree|cancel LICENCE-FILE\n"
               "       installer_probe click cancel --unreadable [EXPECTED-TEXT...]\n"
               "       installer_probe message-box [BOX-OPTION...] [EXPECTED-TEXT...]\n"
               "       installer_probe close-organiser | wait-organiser | no-organiser\n"
               "       installer_probe hold-during-installer FILE READY-FILE\n"
               "       installer_probe junction LINK TARGET\n"
               "       installer_probe run-uninstaller COMMAND-LINE WORKING-FOLDER [--exit=N]\n"
               "                       [BOX-OPTION...] [--keeps=PATH...] [MUST-GO...]\n"
               "       installer_probe self-delete-while-held FILE FOLDER HOLD-MS [long-names]\n"
               "       installer_probe entry | shortcut FILE\n"
               "  BOX-OPTION: --answer=ok|retry|cancel, --close-organiser, --says=TEXT\n");
  return 2;
}
