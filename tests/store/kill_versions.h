#pragma once
// What the kill test's saving program writes: 40 notes that all hold one
// of two versions, so that a file holding some of each is torn.

#include <functional>

#include "organiser/platform/platform.h"
#include "organiser/store/database.h"
#include "organiser/store/document_kinds.h"

namespace ondrel::test {

constexpr int kKillNotes = 40;

inline Text KillSubject(int note, int version) {
  return u"note " + Text(1, static_cast<char16_t>(u'A' + note % 26)) + u" version " +
         (version == 0 ? Text(u"even") : Text(u"odd"));
}

inline Text KillBody(int note, int version) {
  return Text(2000 + 37 * note, static_cast<char16_t>(u'a' + version));
}

// Sets every note to one version; the next save writes them all at once.
inline void SetKillVersion(Database& database, int version) {
  for (int i = 0; i < kKillNotes; ++i) {
    auto* note = static_cast<NoteDocument*>(database.DocumentAt(static_cast<std::uint32_t>(i)));
    note->SetField(note->subject(), TextView(KillSubject(i, version)));
    note->SetField(note->body(), TextView(KillBody(i, version)));
  }
}

// The version every note of the file holds, or -1 when the file is torn.
inline int KillVersionOnDisk(FileSystem& files, const Clock& clock, const Text& path) {
  Database database(files, clock);
  const LoadResult loaded = database.Load(path);
  if (loaded.status != LoadResult::Status::kRead || loaded.damaged ||
      database.DocumentCount() != kKillNotes) {
    return -1;
  }
  int version = -1;
  for (int i = 0; i < kKillNotes; ++i) {
    auto* note = dynamic_cast<NoteDocument*>(database.DocumentAt(static_cast<std::uint32_t>(i)));
    if (note == nullptr || !note->subject()) return -1;
    const int noteVersion = *note->subject() == KillSubject(i, 0)   ? 0
                            : *note->subject() == KillSubject(i, 1) ? 1
                                                                    : -1;
    if (noteVersion < 0 || note->body() != KillBody(i, noteVersion)) return -1;
    if (version >= 0 && noteVersion != version) return -1;
    version = noteVersion;
  }
  return version;
}

// Loads path and saves the two versions in turn until the process is
// ended; ready runs once the first save is done, so that a kill timed from
// then reaches both versions however slow the machine is.
[[noreturn]] inline void SaveKillVersionsForever(const Text& path,
                                                 const std::function<void()>& ready) {
  std::unique_ptr<FileSystem> files = NewPlatformFileSystem();
  FixedClock clock({2024, 3, 5, 9, 7});
  Database database(*files, clock);
  database.Load(path);
  for (int round = 1;; ++round) {
    SetKillVersion(database, round % 2);
    database.Save(database.DocumentAt(0));
    if (round == 1) ready();
  }
}

}  // namespace ondrel::test
