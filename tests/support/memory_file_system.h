#pragma once
// The tests' one in-memory FileSystem: files are byte vectors by path. It
// can fail any one step of a write on purpose, the way a full disk, a
// yanked drive or another program holding the file would; or fail the n-th
// call of any kind, counted. Untold, it fails nothing. Every file has a
// stamp that a new file or a write changes, as on a real disk.

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "organiser/store/file_system.h"
// What tests put into files and read back: LittleEndianBytes and
// TextOfLittleEndianBytes.
#include "organiser/store/utf16_bytes.h"

namespace ondrel::test {

enum class FailingStep {
  kNone,
  kCreate,        // the file cannot be created
  kWrite,         // the write fails before any byte lands
  kPartialWrite,  // the disk fills up: half the bytes land, then it fails
  kFlush,
  kClose,
  kReplace,
};

class MemoryFileSystem final : public FileSystem {
 public:
  using Bytes = std::vector<unsigned char>;

  bool ReadAll(const Text& path, Bytes& bytes) override;
  ReadResult ReadAllUnits(const Text& path, FileUnits& units) override;
  std::unique_ptr<WritableFile> OpenForWriting(const Text& path) override;
  bool ReplaceAtomically(const Text& from, const Text& to) override;
  bool Remove(const Text& path) override;
  StampResult StampOf(const Text& path) override;

  // Fails step on every write from now on; kNone heals the file system.
  // With a path suffix, only files whose path ends with it fail.
  void FailAt(FailingStep step, Text pathSuffix = Text()) {
    failing_ = step;
    failingSuffix_ = std::move(pathSuffix);
  }

  // Fails the n-th file-system call from now on (1: the next one), of
  // whatever kind, and no other: a read reads nothing, a write lands half
  // its bytes. 0 fails none.
  void FailCall(std::size_t n) {
    failCall_ = n == 0 ? 0 : calls_ + n;
    if (n != 0) lookFailedByCount_ = false;
  }
  // Every read of the file at path fails from now on (a file another
  // program holds, or a bad sector); the file itself stays as it is.
  void MakeUnreadable(const Text& path) { unreadable_.insert(path); }

  // Calls made so far (reads, opens, writes, flushes, closes, replaces,
  // removals).
  std::size_t CallCount() const { return calls_; }
  // True when the call counted last is the one FailCall chose.
  bool LastCallFailedByCount() const { return failCall_ != 0 && calls_ == failCall_; }
  // True when the call FailCall chose was a look at a stamp (StampOf).
  bool LookFailedByCount() const { return lookFailedByCount_; }

  bool Exists(const Text& path) const { return files_.count(path) != 0; }
  const Bytes& Contents(const Text& path) const { return files_.at(path); }
  // Puts a new file at path, as another program does that renames or copies
  // a file into its place: another file, whatever the bytes.
  void Put(const Text& path, Bytes bytes);
  // Writes bytes into the file at path in place, as an editor does: the
  // same file, written anew.
  void Rewrite(const Text& path, Bytes bytes);
  std::size_t FileCount() const { return files_.size(); }

  // Called by the files it hands out. Fails counts the call.
  bool Fails(FailingStep step, const Text& path);
  Bytes& Storage(const Text& path) { return files_[path]; }
  // Gives the file at path a new last write (and a new number when it is a
  // new file).
  void Changed(const Text& path, bool newFile);

 private:
  // A file's number, and its last write as a count of every change made.
  struct Identity {
    std::uint64_t file = 0;
    std::int64_t lastWrite = 0;
  };
  std::map<Text, Bytes> files_;
  std::map<Text, Identity> identities_;
  std::uint64_t filesMade_ = 0;
  std::int64_t changes_ = 0;
  FailingStep failing_ = FailingStep::kNone;
  Text failingSuffix_;
  std::size_t calls_ = 0;
  std::size_t failCall_ = 0;
  std::set<Text> unreadable_;
  bool lookFailedByCount_ = false;
};

}  // namespace ondrel::test
