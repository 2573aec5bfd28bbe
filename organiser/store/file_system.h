#pragma once
// File reads and writes behind a small seam: the platform's files in the
// program, fault-injecting or in-memory ones in tests. Paths are UTF-16.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "organiser/store/file_units.h"
#include "organiser/store/text.h"

namespace ondrel {

// A file open for writing. Closes itself (without reporting) when destroyed
// while still open.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Writes all of data; false when not everything was written (disk full).
  virtual bool Write(const void* data, std::size_t size) = 0;
  // Forces what was written onto the disk; false on failure.
  virtual bool Flush() = 0;
  // Closes the file; false when closing reported an error.
  virtual bool Close() = 0;
};

// What reading a whole file came to.
struct ReadResult {
  enum class Status {
    kRead,    // the whole file was read
    kNoFile,  // there is no file at the path
    kFailed,  // a file is there but could not be read
  };
  Status status = Status::kFailed;
  // kFailed: the platform's own words for why (may be empty).
  Text reason;

  bool read() const { return status == Status::kRead; }
};

// Which version of a file a path names, as far as a cheap look tells: the
// file itself (another file renamed or copied into its place is another
// file), its size and when it was last written. A file whose stamp is
// unchanged is taken to hold the same bytes; a changed stamp says only that
// the bytes may differ.
struct FileStamp {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;  // the file's number on its volume
  std::uint64_t size = 0;
  std::int64_t lastWrite = 0;  // in the platform's own units

  bool operator==(const FileStamp& other) const {
    return volume == other.volume && file == other.file && size == other.size &&
           lastWrite == other.lastWrite;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// What looking at a path found.
struct StampResult {
  enum class Status {
    kFound,   // stamp holds the file's stamp
    kNoFile,  // nothing at the path
    kFailed,  // something is there, but its stamp could not be taken
  };
  Status status = Status::kFailed;
  FileStamp stamp;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Reads the whole file at path into bytes. False when the file cannot be
  // opened or read; bytes is then unspecified.
  virtual bool ReadAll(const Text& path, std::vector<unsigned char>& bytes) = 0;

  // Reads the whole file at path as UTF-16LE code units, to its real end
  // even when that lies past the size reported at opening. On anything but
  // kRead, units is unspecified. A read refused because another program
  // holds the file is tried again for about two seconds before it counts
  // (held_file_retry.h). This one goes through ReadAll, copies, and
  // cannot tell a missing file from an unreadable one; a platform's files
  // read straight into the units instead, which a large database needs.
  // Throws std::bad_alloc when the file does not fit in memory.
  virtual ReadResult ReadAllUnits(const Text& path, FileUnits& units);

  // Creates the file at path for writing, truncating an existing one.
  // Null on failure. A create refused for a passing hold is tried again.
  virtual std::unique_ptr<WritableFile> OpenForWriting(const Text& path) = 0;

  // Replaces the file `to` with the file `from` in one atomic step (from is
  // renamed over to). A replace refused for a passing hold is tried again
  // for about two seconds. False when to was left as it was.
  virtual bool ReplaceAtomically(const Text& from, const Text& to) = 0;

  // Deletes the file at path; false when it could not be deleted.
  virtual bool Remove(const Text& path) = 0;

  // The stamp of the file at path, without opening it for reading: a file
  // another program holds can be looked at. A look refused for a passing
  // hold is tried again as a read is.
  virtual StampResult StampOf(const Text& path) = 0;
};

// One read from a file open for reading: fills at most room bytes at
// storage; returns how many, 0 at the file's end, negative on an error.
using ReadChunk = std::function<long long(unsigned char* storage, std::size_t room)>;

// Reads an open file of expectedSize bytes to its end, into bytes or into
// units. The first storage asked for is one byte more than expectedSize, so
// the read that meets the end copies nothing; reading goes on past the size
// in case the file grew meanwhile. False on a read error. For platform
// file systems.
bool ReadOpenFile(std::size_t expectedSize, const ReadChunk& readChunk,
                  std::vector<unsigned char>& bytes);
bool ReadOpenFile(std::size_t expectedSize, const ReadChunk& readChunk, FileUnits& units);

// Writes data as the whole new content of the file at path without ever
// leaving a truncated or half-written file there: the bytes go to a
// temporary file in the same folder, are flushed to disk, and replace the
// file in one atomic step. On success returns true. On failure returns
// false, the file at path is exactly as it was, and the temporary file is
// removed.
bool WriteFileAtomically(FileSystem& files, const Text& path, const void* data,
                         std::size_t size);

// The same for content written in pieces: writeContent writes the whole
// content into the temporary file it is given and returns false when any
// write failed. beforeReplace, when given, runs once the temporary file at
// the path it is given is complete and closed, just before it replaces the
// file at path, so that what stands there is looked at as late as can be;
// false from it abandons the write like any failed step.
bool WriteFileAtomically(
    FileSystem& files, const Text& path, const std::function<bool(WritableFile&)>& writeContent,
    const std::function<bool(const Text& temporaryPath)>& beforeReplace = nullptr);

}  // namespace ondrel
