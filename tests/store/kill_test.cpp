// A process killed at any moment of a save leaves "ondrel.db" holding
// exactly the documents before or exactly the documents after that save.
// POSIX only: it needs fork and SIGKILL.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>

#include <gtest/gtest.h>

#include "organiser/store/database.h"
#include "organiser/store/document_kinds.h"
#include "tests/store/temp_folder.h"

namespace ondrel::testing {
namespace {

constexpr int kNotes = 40;
constexpr int kKills = 200;

Text Subject(int note, int version) {
  return u"note " + Text(1, static_cast<char16_t>(u'A' + note % 26)) + u" version " +
         (version == 0 ? Text(u"even") : Text(u"odd"));
}

// Sets every note to one version; the next save writes them all at once.
void SetVersion(Database& database, int version) {
  for (int i = 0; i < kNotes; ++i) {
    auto* note = static_cast<NoteDocument*>(database.DocumentAt(static_cast<std::uint32_t>(i)));
    Text subject = Subject(i, version);
    note->SetField(note->subject(), TextView(subject));
    Text body(2000 + 37 * i, static_cast<char16_t>(u'a' + version));
    note->SetField(note->body(), TextView(body));
  }
}

// The version every note of the file holds, or -1 when the file is torn.
int VersionOnDisk(FileSystem& files, const Clock& clock, const Text& path) {
  Database database(files, clock);
  if (!database.Load(path) || database.DocumentCount() != kNotes) return -1;
  int version = -1;
  for (int i = 0; i < kNotes; ++i) {
    auto* note = dynamic_cast<NoteDocument*>(database.DocumentAt(static_cast<std::uint32_t>(i)));
    if (note == nullptr || !note->subject()) return -1;
    int noteVersion = *note->subject() == Subject(i, 0) ? 0 : (*note->subject() == Subject(i, 1) ? 1 : -1);
    Text body(2000 + 37 * i, static_cast<char16_t>(u'a' + noteVersion));
    if (noteVersion < 0 || note->body() != body) return -1;
    if (version >= 0 && noteVersion != version) return -1;
    version = noteVersion;
  }
  return version;
}

// Saves the two versions in turn until killed; reports each finished save
// with one byte on savedPipe.
[[noreturn]] void SaveForever(const Text& path, int savedPipe) {
  std::unique_ptr<FileSystem> files = NewPlatformFileSystem();
  FixedClock clock({2024, 3, 5, 9, 7});
  Database database(*files, clock);
  database.Load(path);
  for (int round = 1;; ++round) {
    SetVersion(database, round % 2);
    database.DocumentAt(0)->SaveIfDirty();
    const char saved = 1;
    if (write(savedPipe, &saved, 1) != 1) _exit(1);
  }
}

TEST(KillTest, AFileSavedWhileKilledIsAlwaysTheOldOrTheNewSet) {
  TempFolder folder;
  const Text path = folder.File("ondrel.db");
  std::unique_ptr<FileSystem> files = NewPlatformFileSystem();
  FixedClock clock({2024, 3, 5, 9, 7});
  {
    Database database(*files, clock);
    database.Load(path);
    for (int i = 0; i < kNotes; ++i) database.CreateDocument(NoteDocument::kTypeName);
    SetVersion(database, 0);
    ASSERT_TRUE(database.DocumentAt(0)->SaveIfDirty());
  }
  ASSERT_EQ(VersionOnDisk(*files, clock, path), 0);

  std::mt19937 random(20240305);
  std::uniform_int_distribution<int> pauseMicroseconds(0, 30000);
  int seen[2] = {0, 0};
  for (int kill = 0; kill < kKills; ++kill) {
    int saved[2];
    ASSERT_EQ(pipe(saved), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(saved[0]);
      SaveForever(path, saved[1]);
    }
    close(saved[1]);
    // The kill falls at a random moment after the child's first save, so
    // that both versions are reached however slow the machine is.
    char first = 0;
    ASSERT_EQ(read(saved[0], &first, 1), 1);
    close(saved[0]);
    usleep(static_cast<useconds_t>(pauseMicroseconds(random)));
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    int version = VersionOnDisk(*files, clock, path);
    ASSERT_GE(version, 0) << "torn file after kill " << kill;
    ++seen[version];
  }
  // Both sets must have been on disk at some kill, or the test saw nothing.
  EXPECT_GT(seen[0], 0);
  EXPECT_GT(seen[1], 0);
}

}  // namespace
}  // namespace ondrel::testing
