// Test helper run under Wine beside the installer: finds the installer's
// window, checks its geometry, styles and licence text, and clicks a button;
// reads and answers the message boxes of the installer and the uninstaller;
// waits for the organiser's window and closes it, or checks that no organiser
// runs; holds a file while the installer runs; starts the uninstaller from
// its registered command line, checks its exit code and times the removal of
// its file; runs the self-deletion command against a file held open; makes a
// junction.
// Prints one line per check ("ok ..." or "FAIL ...") and exits 1 on a failure.
#include <windows.h>
#include <shellapi.h>
#include <winioctl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "self_delete_command.h"

namespace {

int failures = 0;

void Check(bool passed, const std::string& what) {
  std::printf("%s %s\n", passed ? "ok" : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!passed) ++failures;
}

HWND WaitForWindow(const char* className, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    const HWND window = FindWindowA(className, nullptr);
    if (window && IsWindowVisible(window)) return window;
    Sleep(50);
  }
  return nullptr;
}

std::string WindowText(HWND window) {
  const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied = SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                      reinterpret_cast<LPARAM>(text.data()));
  return std::string(text.data(), static_cast<std::size_t>(copied));
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string ReadFileBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Describe(int value) { return std::to_string(value); }

// Joined lines: long paths are broken into lines in message texts, so the
// expected texts are looked for with the line breaks taken out.
std::string Unbroken(const std::string& text) {
  std::string joined;
  for (const char c : text) {
    if (c != '\n' && c != '\r') joined.push_back(c);
  }
  return joined;
}

// What the licence box must show: the bytes of licencePath, or, where that is
// null, a text naming every one of unreadableSays and no Agree button.
void CheckInstallerWindow(HWND window, const char* licencePath,
                          const std::vector<std::string>& unreadableSays) {
  Check(WindowText(window) == " Ondrel Installer", "title is \" Ondrel Installer\"");

  RECT client{};
  GetClientRect(window, &client);
  Check(client.right - client.left == 600 && client.bottom - client.top == 400,
        "client area 600 x 400 (is " + Describe(client.right - client.left) + " x " +
            Describe(client.bottom - client.top) + ")");

  RECT frame{};
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const int expectedX = (screenWidth - width) / 2 < 0 ? 0 : (screenWidth - width) / 2;
  const int expectedY = (screenHeight - height) / 2 < 0 ? 0 : (screenHeight - height) / 2;
  Check(frame.left == expectedX && frame.top == expectedY,
        "centred on the " + Describe(screenWidth) + " x " + Describe(screenHeight) +
            " screen: window " + Describe(width) + " x " + Describe(height) + " at (" +
            Describe(frame.left) + ", " + Describe(frame.top) + "), expected (" +
            Describe(expectedX) + ", " + Describe(expectedY) + ")");

  const LONG style = GetWindowLongA(window, GWL_STYLE);
  Check((style & WS_SYSMENU) == 0, "no system menu and so no close box");
  Check((style & WS_THICKFRAME) == 0, "no sizing border");
  Check((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0, "no minimize or maximize box");
  Check((style & WS_CAPTION) == WS_CAPTION, "has a title bar");

  const HWND licenceBox = GetDlgItem(window, 102);
  const HWND agree = GetDlgItem(window, 100);
  const HWND cancel = GetDlgItem(window, 101);
  Check(licenceBox && ClassOf(licenceBox) == "Edit", "licence box 102 is an Edit control");
  if (licencePath) {
    Check(agree && WindowText(agree) == "Agree", "button 100 reads Agree");
  } else {
    Check(agree == nullptr, "no Agree button is offered without a licence");
  }
  Check(cancel && WindowText(cancel) == "Cancel", "button 101 reads Cancel");
  if (!licenceBox) return;
  const LONG boxStyle = GetWindowLongA(licenceBox, GWL_STYLE);
  Check((boxStyle & (ES_READONLY | ES_MULTILINE)) == (ES_READONLY | ES_MULTILINE),
        "licence box is multi-line and read-only");

  const std::string shown = WindowText(licenceBox);
  if (licencePath) {
    const std::string expected = ReadFileBytes(licencePath);
    Check(!expected.empty() && shown == expected,
          "licence box shows the " + Describe(static_cast<int>(expected.size())) + " bytes of " +
              licencePath + " (shows " + Describe(static_cast<int>(shown.size())) + ")");
  } else {
    std::printf("info the licence box says: %s\n", shown.c_str());
    for (const std::string& piece : unreadableSays) {
      Check(Unbroken(shown).find(piece) != std::string::npos,
            "the licence box names \"" + piece + "\"");
    }
  }
}

// click agree|cancel LICENCE-FILE, or click cancel --unreadable TEXT...
int ClickInstaller(int argc, char** argv) {
  if (argc < 4) return 2;
  const int buttonId = std::strcmp(argv[2], "agree") == 0 ? 100 : 101;
  const bool unreadable = std::strcmp(argv[3], "--unreadable") == 0;
  const char* licencePath = unreadable ? nullptr : argv[3];
  const std::vector<std::string> unreadableSays(argv + 4, argv + argc);
  const HWND window = WaitForWindow("ZqInstall", 30000);
  Check(window != nullptr, "a top-level window of class ZqInstall appeared");
  if (!window) return 1;
  CheckInstallerWindow(window, licencePath, unreadableSays);
  // Posted, not sent: Agree runs the whole installation inside the click.
  const HWND button = GetDlgItem(window, buttonId);
  Check(button && PostMessageA(button, BM_CLICK, 0, 0), "clicked button " + Describe(buttonId));
  return failures == 0 ? 0 : 1;
}

bool OrganiserMutexExists() {
  const HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "Ondrel-088FA840");
  if (mutex) CloseHandle(mutex);
  return mutex != nullptr;
}

int CloseOrganiser() {
  const HWND window = WaitForWindow("Ondrel", 30000);
  Check(window != nullptr, "a window of class Ondrel appeared");
  if (!window) return 1;
  PostMessageA(window, WM_CLOSE, 0, 0);
  const DWORD start = GetTickCount();
  while (IsWindow(window) && GetTickCount() - start < 15000) Sleep(50);
  Check(!IsWindow(window), "the Ondrel window closed");
  // The process has ended, and released its files, once its mutex is gone.
  const DWORD ending = GetTickCount();
  while (OrganiserMutexExists() && GetTickCount() - ending < 15000) Sleep(20);
  Check(!OrganiserMutexExists(), "the organiser's process ended");
  return failures == 0 ? 0 : 1;
}

int WaitForOrganiser() {
  const HWND window = WaitForWindow("Ondrel", 30000);
  Check(window != nullptr && OrganiserMutexExists(), "the organiser runs and shows its window");
  return failures == 0 ? 0 : 1;
}

// How a message box must read and how it is answered.
struct BoxAnswer {
  std::vector<std::string> says;  // pieces its text must hold
  int button = IDOK;              // IDOK, IDRETRY or IDCANCEL
  bool closeOrganiserFirst = false;
};

// Takes one option of a box: --answer=ok|retry|cancel, --close-organiser or
// --says=TEXT. False when arg is none of them.
bool ParseBoxOption(const char* arg, BoxAnswer& box) {
  const std::string option = arg;
  if (option == "--answer=ok") {
    box.button = IDOK;
  } else if (option == "--answer=retry") {
    box.button = IDRETRY;
  } else if (option == "--answer=cancel") {
    box.button = IDCANCEL;
  } else if (option == "--close-organiser") {
    box.closeOrganiserFirst = true;
  } else if (option.rfind("--says=", 0) == 0) {
    box.says.push_back(option.substr(7));
  } else {
    return false;
  }
  return true;
}

// Waits for a message box, checks its caption, that its text holds every
// expected piece and that it offers the answer; prints the text and answers.
int AnswerBox(const BoxAnswer& answer) {
  const HWND box = WaitForWindow("#32770", 30000);
  Check(box != nullptr, "a message box appeared");
  if (!box) return 1;
  Check(WindowText(box) == "Ondrel", "its caption is \"Ondrel\" (is \"" + WindowText(box) + "\")");
  const HWND textControl = GetDlgItem(box, 0xFFFF);
  const std::string text = textControl ? WindowText(textControl) : std::string();
  std::printf("info the message box says: %s\n", text.c_str());
  for (const std::string& piece : answer.says) {
    Check(Unbroken(text).find(piece) != std::string::npos, "it names \"" + piece + "\"");
  }
  if (answer.closeOrganiserFirst) CloseOrganiser();
  const HWND button = GetDlgItem(box, answer.button);
  Check(button && PostMessageA(button, BM_CLICK, 0, 0),
        "clicked " + WindowText(button ? button : box));
  const DWORD start = GetTickCount();
  while (IsWindow(box) && GetTickCount() - start < 15000) Sleep(50);
  Check(!IsWindow(box), "the message box closed");
  return failures == 0 ? 0 : 1;
}

// message-box [--answer=...] [--close-organiser] TEXT...: every other
// argument is a piece the text must hold.
int AnswerMessageBox(int argc, char** argv) {
  BoxAnswer answer;
  for (int i = 2; i < argc; ++i) {
    if (!ParseBoxOption(argv[i], answer)) answer.says.push_back(argv[i]);
  }
  return AnswerBox(answer);
}

// How many processes of the given file name run now.
int CountProcesses(const char* exeName) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, exeName) == 0) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

// Checks that no organiser was started: no "ondrel.exe" process and no window
// of class "Ondrel". Called once the installer has ended, by which time a
// started organiser's process exists.
int CheckNoOrganiser() {
  const int organisers = CountProcesses("ondrel.exe");
  Check(organisers == 0, "no ondrel.exe process runs (" + Describe(organisers) + " found)");
  Check(FindWindowA("Ondrel", nullptr) == nullptr, "no Ondrel window");
  return failures == 0 ? 0 : 1;
}

// A directory junction at link pointing to the folder target (absolute path).
// Exits 3, leaving nothing behind, where the system cannot make junctions.
int MakeJunction(const char* link, const char* target) {
  if (!CreateDirectoryA(link, nullptr)) {
    Check(false, "create the folder for the junction");
    return 1;
  }
  const HANDLE handle =
      CreateFileA(link, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    Check(false, "open the junction folder");
    return 1;
  }
  std::wstring substitute = L"\\??\\";
  for (const char* c = target; *c; ++c) substitute.push_back(static_cast<wchar_t>(*c));
  std::wstring print;
  for (const char* c = target; *c; ++c) print.push_back(static_cast<wchar_t>(*c));
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
    std::printf("info no junction can be made here (error %lu)\n",
                static_cast<unsigned long>(error));
    RemoveDirectoryA(link);
    return 3;
  }
  const DWORD attributes = GetFileAttributesA(link);
  Check(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT),
        std::string("junction ") + link + " -> " + target);
  return failures == 0 ? 0 : 1;
}

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// Polls until none of the paths exists, for at most timeoutMs. Returns the
// milliseconds waited, or -1 when something is still there.
long WaitUntilGone(const std::vector<const char*>& paths, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    bool anyLeft = false;
    for (const char* path : paths) anyLeft = anyLeft || Exists(path);
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
int RunUninstaller(int argc, char** argv) {
  std::string commandLine = argv[2];
  const char* workingFolder = argv[3];
  DWORD expectedExit = 0;
  BoxAnswer answer;
  bool boxExpected = false;
  std::vector<const char*> mustGo;
  std::vector<const char*> keeps;
  for (int i = 4; i < argc; ++i) {
    const std::string option = argv[i];
    if (option.rfind("--exit=", 0) == 0) {
      expectedExit = static_cast<DWORD>(std::atoi(argv[i] + 7));
    } else if (option.rfind("--keeps=", 0) == 0) {
      keeps.push_back(argv[i] + 8);
    } else if (ParseBoxOption(argv[i], answer)) {
      boxExpected = true;
    } else {
      mustGo.push_back(argv[i]);
    }
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const DWORD started = GetTickCount();
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingFolder, &startup, &process)) {
    Check(false,
          "start " + commandLine + " (error " + Describe(static_cast<int>(GetLastError())) + ")");
    return 1;
  }
  if (boxExpected) AnswerBox(answer);
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_TIMEOUT) {
    // Most likely a message box nobody expected: say what it said.
    const HWND box = FindWindowA("#32770", nullptr);
    const HWND textControl = box ? GetDlgItem(box, 0xFFFF) : nullptr;
    Check(false,
          "the uninstaller ended within a minute" +
              (textControl ? " (it shows: " + WindowText(textControl) + ")" : std::string()));
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 5000);
  }
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::printf("info the uninstaller ran for %lu ms\n",
              static_cast<unsigned long>(GetTickCount() - started));
  Check(exitCode == expectedExit, "the uninstaller exited with " +
                                      Describe(static_cast<int>(expectedExit)) + " (is " +
                                      Describe(static_cast<int>(exitCode)) + ")");
  if (!keeps.empty()) {
    // A command interpreter started to delete a file would still run now.
    Check(CountProcesses("cmd.exe") == 0, "no command interpreter was left running");
    for (const char* path : keeps) Check(Exists(path), std::string("kept ") + path);
  }
  if (!mustGo.empty()) {
    const long waited = WaitUntilGone(mustGo, 5000);
    if (waited >= 0) std::printf("info removed %ld ms after the uninstaller ended\n", waited);
    std::string names;
    for (const char* path : mustGo)
      names += std::string(" ") + path + (Exists(path) ? " (still there)" : "");
    Check(waited >= 0, "gone within five seconds of the uninstaller's end:" + names);
  }
  return failures == 0 ? 0 : 1;
}

// Holds file open as a running program holds its own (it can be read but not
// renamed or deleted), writes readyFile once it does, and keeps it until a
// window of the installer has appeared and gone again.
int HoldDuringInstaller(const char* file, const char* readyFile) {
  const HANDLE held =
      CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  Check(held != INVALID_HANDLE_VALUE, std::string("hold ") + file);
  if (held == INVALID_HANDLE_VALUE) return 1;
  const HANDLE ready = CreateFileA(readyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  const HWND window = WaitForWindow("ZqInstall", 60000);
  Check(window != nullptr, "the installer window appeared while the file was held");
  const DWORD start = GetTickCount();
  while (window && IsWindow(window) && GetTickCount() - start < 120000) Sleep(50);
  Check(!window || !IsWindow(window), "the installer ended while the file was held");
  CloseHandle(held);
  return failures == 0 ? 0 : 1;
}

// Holds file open without sharing (as a running program holds its image),
// starts the self-deletion command for it and its folder, releases the file
// after holdMs and checks that the file was still there until then. With
// longNames the names go to the interpreter as they are, as on a volume
// without short names.
int SelfDeleteWhileHeld(const char* file, const char* folder, DWORD holdMs, bool longNames) {
  const HANDLE held = CreateFileA(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Check(held != INVALID_HANDLE_VALUE, std::string("hold ") + file);
  if (held == INVALID_HANDLE_VALUE) return 1;
  char shortFile[MAX_PATH] = {};
  char shortFolder[MAX_PATH] = {};
  if (longNames) {
    lstrcpynA(shortFile, file, MAX_PATH);
    lstrcpynA(shortFolder, folder, MAX_PATH);
  } else {
    GetShortPathNameA(file, shortFile, MAX_PATH);
    GetShortPathNameA(folder, shortFolder, MAX_PATH);
  }
  const std::optional<std::string> parameters =
      ondrel::uninstall::SelfDeleteParameters(shortFile, std::string_view(shortFolder));
  char interpreter[MAX_PATH] = {};
  GetEnvironmentVariableA("COMSPEC", interpreter, MAX_PATH);
  char systemFolder[MAX_PATH] = {};
  GetSystemDirectoryA(systemFolder, MAX_PATH);
  Check(parameters.has_value(), "self-deletion parameters for " + std::string(shortFile));
  if (!parameters) return 1;
  std::printf("info %s %s\n", interpreter, parameters->c_str());
  const HINSTANCE started =
      ShellExecuteA(nullptr, "open", interpreter, parameters->c_str(), systemFolder, SW_HIDE);
  Check(reinterpret_cast<INT_PTR>(started) > 32, "started the command interpreter");
  Sleep(holdMs);
  Check(Exists(file), "the held file survived the interpreter's first attempt");
  CloseHandle(held);
  const long waited = WaitUntilGone({file, folder}, 5000);
  if (waited >= 0) std::printf("info removed %ld ms after the file was released\n", waited);
  Check(waited >= 0, "file and folder gone within five seconds of the release");
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "click") == 0) return ClickInstaller(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "close-organiser") == 0) return CloseOrganiser();
  if (argc >= 4 && std::strcmp(argv[1], "junction") == 0) return MakeJunction(argv[2], argv[3]);
  if (argc >= 4 && std::strcmp(argv[1], "run-uninstaller") == 0) return RunUninstaller(argc, argv);
  if (argc >= 5 && std::strcmp(argv[1], "self-delete-while-held") == 0) {
    const bool longNames = argc >= 6 && std::strcmp(argv[5], "long-names") == 0;
    return SelfDeleteWhileHeld(argv[2], argv[3], static_cast<DWORD>(std::atoi(argv[4])), longNames);
  }
  if (argc >= 2 && std::strcmp(argv[1], "message-box") == 0) return AnswerMessageBox(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "no-organiser") == 0) return CheckNoOrganiser();
  if (argc >= 2 && std::strcmp(argv[1], "wait-organiser") == 0) return WaitForOrganiser();
  if (argc >= 4 && std::strcmp(argv[1], "hold-during-installer") == 0) {
    return HoldDuringInstaller(argv[2], argv[3]);
  }
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
               "  BOX-OPTION: --answer=ok|retry|cancel, --close-organiser, --says=TEXT\n");
  return 2;
}
