// Other programs touch "ondrel.db" while the organiser runs: a sync client or
// a restored backup puts another version in its place, a scanner holds it
// for a moment after it changed. Played here by the test, with the built
// ondrel.exe used through real clicks and keys: nothing of either version is
// lost, a short hold costs no failed save, and a removal that cannot be
// written says so and leaves nothing to ask about.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/user/live_organiser.h"

namespace ondrel::test {
namespace {

constexpr int kSubject = 110, kNoteList = 113, kNoteSave = 102, kNoteRemove = 104;
constexpr int kMessageTextId = 0xFFFF;

std::wstring Note(const std::wstring& subject) {
  return L"<Document><DocumentType>NoteDocument</DocumentType><CreateDate>01.01.2011 08:00"
         L"</CreateDate><ModifyDate>01.01.2011 08:00</ModifyDate><Subject>" +
         subject + L"</Subject></Document>";
}

const std::wstring kOurs = L"<Database>" + Note(L"Note 0") + Note(L"Note 1") + L"</Database>";
const std::vector<unsigned char> kTheirs =
    Utf16LeBytes(L"<Database>" + Note(L"FromElsewhere") + L"</Database>");

// Puts bytes in the place of the file at path as a sync client does: a
// new file written beside it, then renamed over it.
void PutInPlace(const std::wstring& path, const std::vector<unsigned char>& bytes) {
  const std::wstring incoming = path + L".incoming";
  ASSERT_TRUE(WriteFileBytes(incoming, bytes));
  ASSERT_TRUE(MoveFileExW(incoming.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class OtherProgramTest : public ::testing::Test {
 protected:
  void StartWith(const std::wstring& database) {
    folder_ = std::make_unique<OrganiserFolder>(database);
    app_ = std::make_unique<LiveOrganiser>(*folder_);
    ASSERT_TRUE(app_->Start()) << app_->StartFailure();
  }
  HWND Item(int id) const { return app_->Item(id); }
  std::wstring Db() const { return folder_->File(L"ondrel.db"); }

  // Types into the shown note's subject and presses Save.
  void EditAndSave(const std::wstring& added) {
    const std::wstring expected = app_->Text(Item(kSubject)) + added;
    ASSERT_TRUE(app_->Click(Item(kSubject)));
    app_->Key(VK_END);
    app_->Type(added);
    ASSERT_TRUE(app_->WaitUntil([&] { return app_->Text(Item(kSubject)) == expected; }));
    ASSERT_TRUE(app_->Click(Item(kNoteSave)));
  }
  // The text of the one warning box that comes, once it is answered; empty
  // when none came.
  std::wstring AnswerTheWarning() {
    std::vector<HWND> boxes;
    app_->WaitUntil([&] {
      boxes = app_->MessageBoxes();
      return boxes.size() == 1 && GetDlgItem(boxes[0], IDOK) != nullptr;
    });
    if (boxes.size() != 1) return L"";
    const std::wstring text = app_->Text(GetDlgItem(boxes[0], kMessageTextId));
    EXPECT_EQ(GetDlgItem(boxes[0], IDYES), nullptr) << "a warning, not a question";
    app_->Answer(boxes[0], IDOK);
    return text;
  }
  bool FileHolds(const std::wstring& text) const {
    return app_->WaitUntil([&] { return folder_->DatabaseText().find(text) != std::wstring::npos; });
  }

  std::unique_ptr<OrganiserFolder> folder_;
  std::unique_ptr<LiveOrganiser> app_;
};

TEST_F(OtherProgramTest, ASaveKeepsAVersionAnotherProgramPutInPlace) {
  struct Case {
    const char* what;
    // What the other program does while the organiser runs; db is its file.
    std::function<void(const std::wstring& db)> meanwhile;
    bool saved;
    bool keptAside;  // "ondrel.db.bak" holds the other version, and the box names it
  };
  const Case cases[] = {
      {"another version put in its place",
       [](const std::wstring& db) { PutInPlace(db, kTheirs); }, true, true},
      {"the same bytes written again",
       [](const std::wstring& db) { PutInPlace(db, ReadFileBytes(db)); }, true, false},
      {"another version whose backup cannot be written",
       [](const std::wstring& db) {
         PutInPlace(db, kTheirs);
         CreateDirectoryW((db + L".bak.tmp").c_str(), nullptr);
       },
       false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StartWith(kOurs);
    c.meanwhile(Db());
    const std::vector<unsigned char> before = ReadFileBytes(Db());
    EditAndSave(L" edited");

    if (c.saved && !c.keptAside) {
      EXPECT_TRUE(FileHolds(L"<Subject>Note 0 edited</Subject>"));
      EXPECT_TRUE(app_->MessageBoxes().empty());
    } else {
      const std::wstring told = AnswerTheWarning();
      if (c.saved) {
        EXPECT_NE(told.find(L"\"ondrel.db.bak\""), std::wstring::npos) << "told: " << told;
        EXPECT_NE(told.find(L"Another program"), std::wstring::npos) << "told: " << told;
      } else {
        EXPECT_NE(told.find(L"could not be written"), std::wstring::npos) << "told: " << told;
      }
    }
    EXPECT_TRUE(app_->MessageBoxes().empty());
    if (c.saved) {
      // The organiser's records with the edit; the other version aside.
      const std::wstring file = folder_->DatabaseText();
      EXPECT_NE(file.find(L"<Subject>Note 0 edited</Subject>"), std::wstring::npos);
      EXPECT_NE(file.find(L"<Subject>Note 1</Subject>"), std::wstring::npos);
      EXPECT_EQ(file.find(L"FromElsewhere"), std::wstring::npos);
    } else {
      // The other program's file as it wrote it; the edit still in the form.
      EXPECT_EQ(ReadFileBytes(Db()), before);
      EXPECT_EQ(app_->Text(Item(kSubject)), L"Note 0 edited");
    }
    if (c.keptAside) {
      EXPECT_EQ(ReadFileBytes(folder_->File(L"ondrel.db.bak")), kTheirs);
    } else {
      EXPECT_FALSE(Exists(folder_->File(L"ondrel.db.bak")));
    }
    app_->Kill();
  }
}

// Holds the file without sharing, as a scanner does once it changed: from
// the moment a save starts writing (its temporary file appears) for
// holdMs more. Started before the save.
class Hold {
 public:
  Hold(const std::wstring& db, DWORD holdMs)
      : file_(CreateFileW(db.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)),
        thread_([this, temporary = db + L".tmp", holdMs] {
          for (int i = 0; i < 4000 && !Exists(temporary); ++i) Sleep(5);
          sawSave_ = Exists(temporary);
          Sleep(holdMs);
          CloseHandle(file_);
        }) {}
  ~Hold() {
    if (thread_.joinable()) thread_.join();
  }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

  bool held() const { return file_ != INVALID_HANDLE_VALUE; }
  // Once the hold has ended: whether a save met it.
  bool SawSave() {
    if (thread_.joinable()) thread_.join();
    return sawSave_;
  }

 private:
  HANDLE file_;
  bool sawSave_ = false;
  std::thread thread_;
};

TEST_F(OtherProgramTest, AShortHoldIsWaitedForAndALongOneFailsTheSave) {
  for (const DWORD holdMs : {700u, 5000u}) {
    SCOPED_TRACE("held for " + std::to_string(holdMs) + " ms");
    StartWith(kOurs);
    const bool outlastsTheSave = holdMs > 3000;
    {
      Hold hold(Db(), holdMs);
      ASSERT_TRUE(hold.held());
      EditAndSave(L" edited");
      if (outlastsTheSave) {
        const std::wstring told = AnswerTheWarning();
        EXPECT_NE(told.find(L"could not be written"), std::wstring::npos) << "told: " << told;
      }
      EXPECT_TRUE(hold.SawSave()) << "the save never reached the file";
    }
    if (outlastsTheSave) {
      EXPECT_EQ(folder_->DatabaseText(), kOurs);
      EXPECT_EQ(app_->Text(Item(kSubject)), L"Note 0 edited");
      // Free again: Save now writes it.
      ASSERT_TRUE(app_->Click(Item(kNoteSave)));
    }
    EXPECT_TRUE(FileHolds(L"<Subject>Note 0 edited</Subject>"));
    EXPECT_TRUE(app_->MessageBoxes().empty());
    app_->Kill();
  }
}

// A removal that cannot be written has its own warning, keeps the record,
// and asks nothing when the user then goes to another row: nothing was
// typed, and the file holds all the organiser holds.
TEST_F(OtherProgramTest, AFailedRemoveSaysSoAndLeavesNothingToAsk) {
  StartWith(kOurs);
  folder_->BlockSaves();
  ASSERT_TRUE(app_->Click(Item(kNoteRemove)));
  const std::wstring told = AnswerTheWarning();
  EXPECT_NE(told.find(L"could not be removed"), std::wstring::npos) << "told: " << told;
  EXPECT_EQ(told.find(L"press Save"), std::wstring::npos) << "told: " << told;
  EXPECT_EQ(app_->RowCount(Item(kNoteList)), 2);
  EXPECT_EQ(app_->Text(Item(kSubject)), L"Note 0");

  const RECT row = app_->RowRect(Item(kNoteList), 1);
  ASSERT_TRUE(app_->Click(Item(kNoteList), row.left + 5, (row.top + row.bottom) / 2));
  EXPECT_TRUE(app_->WaitUntil([&] { return app_->Text(Item(kSubject)) == L"Note 1"; }));
  EXPECT_TRUE(app_->MessageBoxes().empty()) << "asked about changes nobody made";
  folder_->UnblockSaves();
  EXPECT_EQ(folder_->DatabaseText(), kOurs);
}

}  // namespace
}  // namespace ondrel::test
