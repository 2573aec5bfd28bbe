// A save that fails at any step leaves the old file exactly as it was, no
// temporary file behind, and the changed document dirty for the next try.

#include "tests/store/store_fixture.h"

namespace ondrel::testing {
namespace {

struct StepCase {
  const char* name;
  FailingStep step;
};

const StepCase kSteps[] = {
    {"create", FailingStep::kCreate},       {"write", FailingStep::kWrite},
    {"disk full", FailingStep::kPartialWrite}, {"flush", FailingStep::kFlush},
    {"close", FailingStep::kClose},         {"replace", FailingStep::kReplace},
};

class SaveFailureTest : public StoreTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(SaveFailureTest, OldFileStaysNoTemporaryFileAndTheDocumentStaysDirty) {
  NoteDocument* kept = NewNote(u"kept", u"k", u"old body");
  ASSERT_TRUE(kept->SaveIfDirty());
  const MemoryFileSystem::Bytes before = files_.Contents(kPath);

  files_.FailAt(GetParam().step);
  kept->SetField(kept->body(), TextView(u"new body"));
  EXPECT_FALSE(kept->SaveIfDirty());
  EXPECT_EQ(files_.Contents(kPath), before);
  EXPECT_FALSE(files_.Exists(kPath + u".tmp"));
  EXPECT_EQ(files_.FileCount(), 1u);
  EXPECT_TRUE(kept->IsDirty());
  EXPECT_TRUE(database_->IsFileBehind());

  // A removal that fails never happened: the document stays, to be written.
  NoteDocument* other = NewNote(u"other", u"", u"");
  EXPECT_FALSE(other->SaveIfDirty());
  EXPECT_FALSE(kept->DeleteAndSave());
  EXPECT_FALSE(kept->IsDeleted());
  EXPECT_EQ(files_.Contents(kPath), before);

  files_.FailAt(FailingStep::kNone);
  EXPECT_TRUE(other->SaveIfDirty());
  EXPECT_FALSE(database_->IsFileBehind());
  EXPECT_FALSE(other->IsDirty());
  EXPECT_FALSE(files_.Exists(kPath + u".tmp"));
  std::unique_ptr<Database> reloaded = Reloaded();
  ASSERT_EQ(reloaded->DocumentCount(), 2u);
  EXPECT_EQ(static_cast<NoteDocument*>(reloaded->DocumentAt(0))->body(), Text(u"new body"));
  EXPECT_EQ(static_cast<NoteDocument*>(reloaded->DocumentAt(1))->subject(), Text(u"other"));
}

// The next save of a clean document catches the file up after a failure.
TEST_P(SaveFailureTest, ACleanDocumentsSaveWritesAFileThatIsBehind) {
  NoteDocument* first = NewNote(u"first", u"", u"");
  ASSERT_TRUE(first->SaveIfDirty());
  NoteDocument* second = NewNote(u"second", u"", u"");
  files_.FailAt(GetParam().step);
  ASSERT_FALSE(second->SaveIfDirty());
  files_.FailAt(FailingStep::kNone);

  EXPECT_TRUE(first->SaveIfDirty());
  EXPECT_FALSE(database_->IsFileBehind());
  EXPECT_EQ(Reloaded()->DocumentCount(), 2u);
}

// A store larger than one write goes out in several pieces; a disk that
// fills up partway still leaves the old file whole.
TEST_P(SaveFailureTest, ALargeStoreIsWrittenWholeOrNotAtAll) {
  for (int i = 0; i < 12; ++i) {
    NewNote(u"note", u"", Text(100000 + i, static_cast<char16_t>(u'a' + i)));
  }
  ASSERT_TRUE(database_->Save(nullptr));
  const MemoryFileSystem::Bytes before = files_.Contents(kPath);
  ASSERT_GT(before.size(), 2u << 20);

  auto* last = static_cast<NoteDocument*>(database_->DocumentAt(11));
  last->SetField(last->subject(), TextView(u"changed"));
  files_.FailAt(GetParam().step);
  EXPECT_FALSE(last->SaveIfDirty());
  EXPECT_EQ(files_.Contents(kPath), before);
  EXPECT_EQ(files_.FileCount(), 1u);

  files_.FailAt(FailingStep::kNone);
  ASSERT_TRUE(last->SaveIfDirty());
  Text expected = u"<Database>";
  for (std::uint32_t i = 0; i < database_->DocumentCount(); ++i) {
    expected += database_->DocumentAt(i)->GetText();
  }
  expected += u"</Database>";
  EXPECT_EQ(files_.Contents(kPath), FileBytes(expected));
}

INSTANTIATE_TEST_SUITE_P(EveryStep, SaveFailureTest, ::testing::ValuesIn(kSteps),
                         [](const ::testing::TestParamInfo<StepCase>& stepInfo) {
                           std::string name = stepInfo.param.name;
                           for (char& c : name) {
                             if (c == ' ') c = '_';
                           }
                           return name;
                         });

TEST(WriteFileAtomicallyTest, ReplacesTheWholeFileOrNothing) {
  MemoryFileSystem files;
  const Text path = u"folder/file";
  files.Put(path, {9, 9, 9});
  const unsigned char data[] = {1, 2, 3, 4};
  for (const StepCase& c : kSteps) {
    SCOPED_TRACE(c.name);
    files.FailAt(c.step);
    EXPECT_FALSE(WriteFileAtomically(files, path, data, sizeof data));
    EXPECT_EQ(files.Contents(path), (MemoryFileSystem::Bytes{9, 9, 9}));
    EXPECT_FALSE(files.Exists(path + u".tmp"));
  }
  files.FailAt(FailingStep::kNone);
  EXPECT_TRUE(WriteFileAtomically(files, path, data, sizeof data));
  EXPECT_EQ(files.Contents(path), (MemoryFileSystem::Bytes{1, 2, 3, 4}));
  EXPECT_EQ(files.FileCount(), 1u);
}

}  // namespace
}  // namespace ondrel::testing
