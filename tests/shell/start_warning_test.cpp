// The real ondrel.exe over a database file that it cannot read, or reads
// only in part: it says so once at start and never writes over what it
// could not read. And a note holding elements the organiser does not know
// keeps them when it is edited and saved.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/support/started_organiser.h"
#include "tests/support/temp_folder.h"

namespace ondrel::test {
namespace {

const std::wstring kDistFolder = L"" ONDREL_DIST_DIR_WIDE L"\\";
constexpr DWORD kPatience = kOrganiserPatience;
constexpr int kSubjectEdit = 110;
constexpr int kBodyEdit = 112;
constexpr int kSaveButton = 102;
constexpr int kNoteList = 113;

using Bytes = std::vector<unsigned char>;

std::wstring NoteBlock(const std::wstring& subject, const std::wstring& rest) {
  return L"<Document><DocumentType>NoteDocument</DocumentType><CreateDate>01.02.2020 10:00"
         L"</CreateDate><ModifyDate>05.03.2024 09:12</ModifyDate><Subject>" +
         subject + L"</Subject>" + rest + L"</Document>";
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
  explicit Organiser(const std::wstring& folder) : copy_(folder + L"ondrel.exe", folder) {}

  bool started() const { return copy_.started(); }
  HWND MainWindow() const { return copy_.WaitForMainWindow(); }

  // Reads the message box on screen and answers it as a user would: No to
  // a question, OK otherwise.
  bool AnswerBox(Box& box, DWORD patience = kPatience) const {
    const HWND window = copy_.WaitForWindow(L"#32770", patience);
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
      if (WaitForSingleObject(copy_.process(), 50) == WAIT_OBJECT_0) break;
      Box ignored;
      AnswerBox(ignored, 0);
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(copy_.process(), &code);
    return code;
  }

  // Selects a row of a list view in the organiser's process.
  void SelectRow(HWND list, int row) const {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    void* remote =
        VirtualAllocEx(copy_.process(), nullptr, sizeof item, MEM_COMMIT, PAGE_READWRITE);
    WriteProcessMemory(copy_.process(), remote, &item, sizeof item, nullptr);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(remote));
    VirtualFreeEx(copy_.process(), remote, 0, MEM_RELEASE);
  }

 private:
  StartedOrganiser copy_;
};

void SetText(HWND control, const std::wstring& text) {
  SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

class StartWarningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CopyOrganiser(kDistFolder + L"ondrel.exe", kDistFolder, folder_));
  }

  std::wstring Database() const { return folder_ + L"ondrel.db"; }

  TempFolder temp_;
  const std::wstring folder_ = temp_.Prefix();
};

TEST_F(StartWarningTest, AFileHeldFromBeforeTheStartIsNeitherEmptiedNorReplaced) {
  const Bytes old = Utf16LeBytes(L"<Database>" + NoteBlock(L"first", L"") + NoteBlock(L"second", L"") +
                          NoteBlock(L"third", L"") + L"</Database>");
  WriteFileBytes(Database(), old);
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
  EXPECT_EQ(ReadFileBytes(Database()), old);
  EXPECT_EQ(GetFileAttributesW((Database() + L".bak").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(StartWarningTest, APartlyUnreadableFileIsNamedWithItsBackup) {
  const Bytes old = Utf16LeBytes(L"<Database>" + NoteBlock(L"kept", L"") + L"stray text</Database>");
  WriteFileBytes(Database(), old);
  Organiser organiser(folder_);
  Box warning;
  ASSERT_TRUE(organiser.AnswerBox(warning));
  EXPECT_EQ(warning.caption, L"Warning");
  EXPECT_NE(warning.text.find(L"\"ondrel.db.bak\""), std::wstring::npos);
  EXPECT_EQ(ReadFileBytes(Database() + L".bak"), old);
  const HWND window = organiser.MainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendMessageW(GetDlgItem(window, kNoteList), LVM_GETITEMCOUNT, 0, 0), 1);
  EXPECT_EQ(organiser.Close(), 0u);
}

TEST_F(StartWarningTest, ANoteKeepsElementsItDoesNotKnowWhenEditedAndSaved) {
  const std::wstring unknown = L"<Colour>red</Colour><Body>second body</Body>";
  WriteFileBytes(Database(), Utf16LeBytes(L"<Database>" +
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
    if (HoldsText(ReadFileBytes(Database()), L"edited body")) break;
    Sleep(50);
  }
  EXPECT_EQ(organiser.Close(), 0u);
  const Bytes saved = ReadFileBytes(Database());
  EXPECT_TRUE(HoldsText(saved, L"<Body>edited body</Body>" + unknown + L"</Document>"));
}

}  // namespace
}  // namespace ondrel::test
