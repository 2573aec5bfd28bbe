#pragma once
// File reads and writes behind a small seam: the platform's files in the
// program, fault-injecting or in-memory ones in tests. Paths are UTF-16.

#include <cstddef>
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

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Reads the whole file at path into bytes. False when the file cannot be
  // opened or read; bytes is then unspecified.
  virtual bool ReadAll(const Text& path, std::vector<unsigned char>& bytes) = 0;

  // Reads the whole file at path as UTF-16LE code units, to its real end
  // even when that lies past the size reported at opening. On anything but
  // kRead, units is unspecified. A read refused because another program
  // holds the file (a sharing or lock violation) is tried again for about
  // two seconds before it counts. This one goes through ReadAll, copies, and
  // cannot tell a missing file from an unreadable one; a platform's files
  // read straight into the units instead, which a large database needs.
  // Throws std::bad_alloc when the file does not fit in memory.
  virtual ReadResult ReadAllUnits(const Text& path, FileUnits& units);

  // Creates the file at path for writing, truncating an existing one.
  // Null on failure.
  virtual std::unique_ptr<WritableFile> OpenForWriting(const Text& path) = 0;

  // Replaces the file `to` with the file `from` in one atomic step (from is
  // renamed over to). A replace refused for a passing sharing violation is
  // retried a few times. False when to was left as it was.
  virtual bool ReplaceAtomically(const Text& from, const Text& to) = 0;

  // Deletes the file at path; false when it could not be deleted.
  virtual bool Remove(const Text& path) = 0;
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
// write failed.
bool WriteFileAtomically(FileSystem& files, const Text& path,
                         const std::function<bool(WritableFile&)>& writeContent);

}  // namespace ondrel
