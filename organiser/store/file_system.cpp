#include "organiser/store/file_system.h"

#include <cstring>

namespace ondrel {
namespace {

// Removes the temporary file after a failed step; the target is untouched.
bool Abandon(FileSystem& files, const Text& temporaryPath) {
  files.Remove(temporaryPath);
  return false;
}

// reserve(byteCount, keptBytes) gives storage for byteCount bytes that keeps
// the first keptBytes read so far.
bool ReadToEnd(std::size_t expectedSize, const ReadChunk& readChunk,
               const std::function<unsigned char*(std::size_t, std::size_t)>& reserve,
               std::size_t& filled) {
  std::size_t capacity = expectedSize + 1;
  unsigned char* storage = reserve(capacity, 0);
  filled = 0;
  for (;;) {
    if (filled == capacity) {
      capacity += 1 << 16;
      storage = reserve(capacity, filled);
    }
    const long long got = readChunk(storage + filled, capacity - filled);
    if (got < 0) return false;
    if (got == 0) return true;
    filled += static_cast<std::size_t>(got);
  }
}

}  // namespace

bool ReadOpenFile(std::size_t expectedSize, const ReadChunk& readChunk,
                  std::vector<unsigned char>& bytes) {
  std::size_t filled = 0;
  auto reserve = [&bytes](std::size_t byteCount, std::size_t) {
    bytes.resize(byteCount);
    return bytes.data();
  };
  if (!ReadToEnd(expectedSize, readChunk, reserve, filled)) return false;
  bytes.resize(filled);
  return true;
}

bool ReadOpenFile(std::size_t expectedSize, const ReadChunk& readChunk, FileUnits& units) {
  std::size_t filled = 0;
  auto reserve = [&units](std::size_t byteCount, std::size_t keptBytes) {
    return units.ReserveBytes(byteCount, keptBytes);
  };
  if (!ReadToEnd(expectedSize, readChunk, reserve, filled)) return false;
  units.FinishBytes(filled);
  return true;
}

ReadResult FileSystem::ReadAllUnits(const Text& path, FileUnits& units) {
  std::vector<unsigned char> bytes;
  if (!ReadAll(path, bytes)) return ReadResult{ReadResult::Status::kFailed, Text()};
  unsigned char* storage = units.ReserveBytes(bytes.size(), 0);
  if (!bytes.empty()) std::memcpy(storage, bytes.data(), bytes.size());
  units.FinishBytes(bytes.size());
  return ReadResult{ReadResult::Status::kRead, Text()};
}

bool WriteFileAtomically(FileSystem& files, const Text& path, const void* data,
                         std::size_t size) {
  return WriteFileAtomically(
      files, path, [data, size](WritableFile& file) { return file.Write(data, size); });
}

bool WriteFileAtomically(FileSystem& files, const Text& path,
                         const std::function<bool(WritableFile&)>& writeContent,
                         const std::function<bool(const Text&)>& beforeReplace) {
  // Same folder as the target, so that the final rename never crosses a
  // volume and stays one atomic step.
  const Text temporaryPath = path + u".tmp";
  try {
    std::unique_ptr<WritableFile> file = files.OpenForWriting(temporaryPath);
    if (!file) return Abandon(files, temporaryPath);
    if (!writeContent(*file) || !file->Flush()) {
      file->Close();
      file.reset();
      return Abandon(files, temporaryPath);
    }
    bool closed = file->Close();
    file.reset();
    if (!closed) return Abandon(files, temporaryPath);
    if (beforeReplace && !beforeReplace(temporaryPath)) return Abandon(files, temporaryPath);
    if (!files.ReplaceAtomically(temporaryPath, path)) return Abandon(files, temporaryPath);
    return true;
  } catch (...) {
    // Memory ran out (or a writer threw) halfway: the target was not
    // replaced, so only the temporary file needs to go.
    return Abandon(files, temporaryPath);
  }
}

}  // namespace ondrel
