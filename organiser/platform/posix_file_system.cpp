// The platform's files on POSIX systems: open/read/write/fsync/rename.

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "organiser/platform/platform.h"
#include "organiser/platform/posix_path.h"
#include "organiser/store/file_system.h"
#include "organiser/win32/unique_handle.h"

namespace ondrel {
namespace {

// A descriptor from open(2), closed by its owner; -1 when there is none.
struct FileDescriptorTraits {
  using Handle = int;
  static Handle Invalid() { return -1; }
  static void Close(Handle fd) { ::close(fd); }
};
using FileDescriptor = UniqueHandle<FileDescriptorTraits>;

class PosixWritableFile final : public WritableFile {
 public:
  explicit PosixWritableFile(FileDescriptor fd) : fd_(std::move(fd)) {}

  bool Write(const void* data, std::size_t size) override {
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
      ssize_t written = ::write(fd_.get(), next, size);
      if (written < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (written == 0) return false;
      next += written;
      size -= static_cast<std::size_t>(written);
    }
    return true;
  }

  bool Flush() override { return ::fsync(fd_.get()) == 0; }

  // A close that fails can lose what was written: the caller hears of it.
  bool Close() override {
    const int fd = fd_.Release();
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  FileDescriptor fd_;
};

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// One read(2) on fd, repeated when a signal interrupts it.
ReadChunk ChunkReader(int fd) {
  return [fd](unsigned char* storage, std::size_t room) -> long long {
    for (;;) {
      ssize_t got = ::read(fd, storage, room);
      if (got >= 0 || errno != EINTR) return got;
    }
  };
}

ReadResult Failed(int error) {
  const char* words = std::strerror(error);
  return ReadResult{ReadResult::Status::kFailed, Text(words, words + std::strlen(words))};
}

// Opens path for reading when it names a regular file; size receives its
// size as reported now. On failure, error receives errno's reason.
FileDescriptor OpenRegularFile(const Text& path, std::size_t& size, int& error) {
  FileDescriptor fd(::open(Utf8Path(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) {
    error = errno;
    return fd;
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) {
    error = errno;
    return FileDescriptor();
  }
  if (!S_ISREG(info.st_mode)) {
    error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return FileDescriptor();
  }
  size = static_cast<std::size_t>(info.st_size);
  return fd;
}

template <typename Target>
ReadResult ReadWholeFile(const Text& path, Target& target) {
  std::size_t size = 0;
  int error = 0;
  FileDescriptor fd = OpenRegularFile(path, size, error);
  if (!fd) {
    if (error == ENOENT || error == ENOTDIR) return ReadResult{ReadResult::Status::kNoFile, Text()};
    return Failed(error);
  }
  if (!ReadOpenFile(size, ChunkReader(fd.get()), target)) return Failed(errno);
  return ReadResult{ReadResult::Status::kRead, Text()};
}

class PosixFileSystem final : public FileSystem {
 public:
  bool ReadAll(const Text& path, std::vector<unsigned char>& bytes) override {
    return ReadWholeFile(path, bytes).read();
  }

  ReadResult ReadAllUnits(const Text& path, FileUnits& units) override {
    return ReadWholeFile(path, units);
  }

  std::unique_ptr<WritableFile> OpenForWriting(const Text& path) override {
    FileDescriptor fd(
        ::open(Utf8Path(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd) return nullptr;
    return std::make_unique<PosixWritableFile>(std::move(fd));
  }

  bool ReplaceAtomically(const Text& from, const Text& to) override {
    const std::string target = Utf8Path(to);
    if (::rename(Utf8Path(from).c_str(), target.c_str()) != 0) return false;
    // The rename itself must reach the disk too, or a power cut could bring
    // back the old name.
    FileDescriptor folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder) ::fsync(folder.get());
    return true;
  }

  bool Remove(const Text& path) override { return ::unlink(Utf8Path(path).c_str()) == 0; }

  // No program holds a file against another here: one look is enough.
  StampResult StampOf(const Text& path) override {
    StampResult result;
    struct stat info {};
    if (::stat(Utf8Path(path).c_str(), &info) != 0) {
      result.status = errno == ENOENT || errno == ENOTDIR ? StampResult::Status::kNoFile
                                                           : StampResult::Status::kFailed;
      return result;
    }
    result.status = StampResult::Status::kFound;
    result.stamp.volume = static_cast<std::uint64_t>(info.st_dev);
    result.stamp.file = static_cast<std::uint64_t>(info.st_ino);
    result.stamp.size = static_cast<std::uint64_t>(info.st_size);
    result.stamp.lastWrite = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 +
                             info.st_mtim.tv_nsec;
    return result;
  }
};

}  // namespace

std::unique_ptr<FileSystem> NewPlatformFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace ondrel
