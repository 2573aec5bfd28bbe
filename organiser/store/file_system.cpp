#include "organiser/store/file_system.h"

#include <cstring>

namespace ondrel {
namespace {

// Removes the temporary file after a failed step; the target is untouched.
bool Abandon(FileSystem& files, const Text& temporaryPath) {
  files.Remove(temporaryPath);
  return false;
}

}  // namespace

bool FileSystem::ReadAllUnits(const Text& path, FileUnits& units) {
  std::vector<unsigned char> bytes;
  if (!ReadAll(path, bytes)) return false;
  unsigned char* storage = units.ReserveBytes(bytes.size(), 0);
  if (!bytes.empty()) std::memcpy(storage, bytes.data(), bytes.size());
  units.FinishBytes(bytes.size());
  return true;
}

bool WriteFileAtomically(FileSystem& files, const Text& path, const void* data,
                         std::size_t size) {
  return WriteFileAtomically(
      files, path, [data, size](WritableFile& file) { return file.Write(data, size); });
}

bool WriteFileAtomically(FileSystem& files, const Text& path,
                         const std::function<bool(WritableFile&)>& writeContent) {
  // Same folder as the target, so that the final rename never crosses a
  // volume and stays one atomic step.
  const Text temporaryPath = path + u".tmp";
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
  if (!files.ReplaceAtomically(temporaryPath, path)) return Abandon(files, temporaryPath);
  return true;
}

}  // namespace ondrel
