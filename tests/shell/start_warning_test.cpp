// The real ondrel.exe over a database file that it cannot read, or reads
// only in part: it says so once at start and never writes over what it
// could not read. And a note holding elements the organiser does not know
// keeps them when it is edited and saved.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/started_process.h"

namespace {

using ondrel::test::StartedProcess;

const std::wstring kDistFolder = L"" ONDREL_DIST_DIR_WIDE L"\\";
constexpr DWORD kPatience = 60000;  // a guard against hanging, never a measure
constexpr int kSubjectEdit = 110;
constexpr int kBodyEdit = 112;
constexpr int kSaveButton = 102;
constexpr int kNoteList = 113;

using Bytes = std::vector<unsigned char>;

Bytes Utf16(const std::wstring& text) {
  Bytes bytes;
  for (wchar_t unit : text) {
    bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
    bytes.push_back(static_cast<unsigned char>(unit >> 8));
  }
  return bytes;
}

bool Contains(const Bytes& bytes, const std::wstring& text) {
  const Bytes probe = Utf16(text);
  return std::search(bytes.begin(), bytes.end(), probe.begin(), probe.end()) != bytes.end();
}

Bytes ReadBytes(const std::wstring& path) {
  Bytes bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  unsigned char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
    bytes.insert(bytes.end(), chunk, chunk + read);
  }
  CloseHandle(file);
  return bytes;
}

void WriteBytes(const std::wstring& path, const Bytes& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::wstring NoteBlock(const std::wstring& subject, const std::wstring& rest) {
  return L"<Document><DocumentType>NoteDocument</DocumentType><CreateDate>01.02.2020 10:00"
         L"</CreateDate><ModifyDate>05.03.2024 09:12</ModifyDate><Subject>" +
         subject + L"</Subject>" + rest + L"</Document>";
}

struct WindowSearch {
  DWORD processId;
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && lstrcmpW(className, search->className) == 0 &&
      IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

// A message box as the user sees it.
struct Box {
  std::wstring caption;
  std::wstring text;
};

// The organiser, started from its own folder, ended when the test ends.
class Organiser {
 public:
  explicit Organiser(const std::wstring& folder) {
    process_.Start(folder + L"ondrel.exe", folder.c_str());
  }

  bool started() const { return process_.started(); }

  // The process's visible top-level window of a class, or null after
  // waiting for it as long as patience allows.
  HWND WaitForWindow(const wchar_t* className, DWORD patience = kPatience) const {
    for (DWORD waited = 0; waited <= patience; waited += 50) {
      WindowSearch search{process_.id(), className, nullptr};
      EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
      if (search.found != nullptr) return search.found;
      if (!process_.Running()) return nullptr;
      Sleep(50);
    }
    return nullptr;
  }
  HWND MainWindow() const { return WaitForWindow(L"Ondrel"); }

  // Reads the message box on screen and answers it as a user would: No to
  // a question, OK otherwise.
  bool AnswerBox(Box& box, DWORD patience = kPatience) const {
    const HWND window = WaitForWindow(L"#32770", patience);
    if (window == nullptr) return false;
    box.caption = TextOf(window);
    box.text = TextOf(GetDlgItem(window, 0xFFFF));
    const HWND no = GetDlgItem(window, IDNO);
    PostMessageW(window, WM_COMMAND, no != nullptr ? IDNO : IDOK, 0);
    for (DWORD waited = 0; IsWindow(window) && waited < kPatience; waited += 20) Sleep(20);
    return true;
  }

  // Closes the main window, answering whatever it asks, and waits for the end.
  DWORD Close() {
    PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
    for (DWORD waited = 0; waited < kPatience; waited += 50) {
      if (WaitForSingleObject(process_.handle(), 50) == WAIT_OBJECT_0) break;
      Box ignored;
      AnswerBox(ignored, 0);
    }
    return process_.WaitForExit(0);
  }

  // Selects a row of a list view in the organiser's process.
  void SelectRow(HWND list, int row) const {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    void* remote =
        VirtualAllocEx(process_.handle(), nullptr, sizeof item, MEM_COMMIT, PAGE_READWRITE);
    WriteProcessMemory(process_.handle(), remote, &item, sizeof item, nullptr);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(remote));
    VirtualFreeEx(process_.handle(), remote, 0, MEM_RELEASE);
  }

 private:
  StartedProcess process_;  // ended with the test
};

void SetText(HWND control, const std::wstring& text) {
  SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

class StartWarningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder_ = std::wstring(base) + L"ondrel-start-" + std::to_wstring(GetCurrentProcessId()) +
              L"-" + std::wstring(test.begin(), test.end()) + L"\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    for (const wchar_t* name : {L"ondrel.exe", L"ondrel.lng"}) {
      ASSERT_TRUE(CopyFileW((kDistFolder + name).c_str(), (folder_ + name).c_str(), FALSE));
    }
  }
  void TearDown() override {
    for (const wchar_t* name : {L"ondrel.exe", L"ondrel.lng", L"ondrel.db", L"ondrel.db.bak",
                                L"ondrel.db.tmp"}) {
      DeleteFileW((folder_ + name).c_str());
    }
    RemoveDirectoryW(folder_.c_str());
  }

  std::wstring Database() const { return folder_ + L"ondrel.db"; }

  std::wstring folder_;
};

TEST_F(StartWarningTest, AFileHeldFromBeforeTheStartIsNeitherEmptiedNorReplaced) {
  const Bytes old = Utf16(L"<Database>" + NoteBlock(L"first", L"") + NoteBlock(L"second", L"") +
                          NoteBlock(L"third", L"") + L"</Database>");
  WriteBytes(Database(), old);
  // Another program holds the file without sharing for a few seconds, as
  // backup, sync and virus-scanning programs do.
  HANDLE held =
      CreateFileW(Database().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread holder([held] {
    Sleep(4000);
    CloseHandle(held);
  });

  Organiser organiser(folder_);
  ASSERT_TRUE(organiser.started());
  Box warning;
  const bool warned = organiser.AnswerBox(warning);
  holder.join();
  ASSERT_TRUE(warned);
  EXPECT_EQ(warning.caption, L"Warning");
  EXPECT_NE(warning.text.find(L"\"ondrel.db\" could not be read"), std::wstring::npos);
  EXPECT_NE(warning.text.find(L"othing will be written over"), std::wstring::npos);

  // The file is free again, and the user types a note and saves it: the
  // save fails with the usual warning, and the file keeps every record.
  const HWND window = organiser.MainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendMessageW(GetDlgItem(window, kNoteList), LVM_GETITEMCOUNT, 0, 0), 0);
  SetText(GetDlgItem(window, kSubjectEdit), L"typed after the start");
  PostMessageW(GetDlgItem(window, kSaveButton), BM_CLICK, 0, 0);
  Box failed;
  ASSERT_TRUE(organiser.AnswerBox(failed));
  EXPECT_NE(failed.text.find(L"could not be written"), std::wstring::npos);
  EXPECT_EQ(organiser.Close(), 0u);
  EXPECT_EQ(ReadBytes(Database()), old);
  EXPECT_EQ(GetFileAttributesW((Database() + L".bak").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(StartWarningTest, APartlyUnreadableFileIsNamedWithItsBackup) {
  const Bytes old = Utf16(L"<Database>" + NoteBlock(L"kept", L"") + L"stray text</Database>");
  WriteBytes(Database(), old);
  Organiser organiser(folder_);
  Box warning;
  ASSERT_TRUE(organiser.AnswerBox(warning));
  EXPECT_EQ(warning.caption, L"Warning");
  EXPECT_NE(warning.text.find(L"\"ondrel.db.bak\""), std::wstring::npos);
  EXPECT_EQ(ReadBytes(Database() + L".bak"), old);
  const HWND window = organiser.MainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendMessageW(GetDlgItem(window, kNoteList), LVM_GETITEMCOUNT, 0, 0), 1);
  EXPECT_EQ(organiser.Close(), 0u);
}

TEST_F(StartWarningTest, ANoteKeepsElementsItDoesNotKnowWhenEditedAndSaved) {
  const std::wstring unknown = L"<Colour>red</Colour><Body>second body</Body>";
  WriteBytes(Database(), Utf16(L"<Database>" +
                               NoteBlock(L"note", L"<Body>first body</Body>" + unknown) +
                               L"</Database>"));
  Organiser organiser(folder_);
  const HWND window = organiser.MainWindow();
  ASSERT_NE(window, nullptr);
  Box unexpected;
  EXPECT_FALSE(organiser.AnswerBox(unexpected, 500)) << "a warning at start";

  organiser.SelectRow(GetDlgItem(window, kNoteList), 0);
  ASSERT_EQ(TextOf(GetDlgItem(window, kBodyEdit)), L"first body");
  SetText(GetDlgItem(window, kBodyEdit), L"edited body");
  PostMessageW(GetDlgItem(window, kSaveButton), BM_CLICK, 0, 0);
  for (DWORD waited = 0; waited < kPatience; waited += 50) {
    if (Contains(ReadBytes(Database()), L"edited body")) break;
    Sleep(50);
  }
  EXPECT_EQ(organiser.Close(), 0u);
  const Bytes saved = ReadBytes(Database());
  EXPECT_TRUE(Contains(saved, L"<Body>edited body</Body>" + unknown + L"</Document>"));
}

}  // namespace
