// The platform's files on Windows: CreateFileW, WriteFile, FlushFileBuffers
// and MoveFileExW.

#include <windows.h>

#include <string>
#include <utility>

#include "organiser/platform/win32_path.h"
#include "organiser/store/file_system.h"

namespace ondrel {
namespace {

// How often and how long a replace refused by another program holding the
// file (a virus scanner, an indexer) is tried again.
constexpr int kReplaceAttempts = 5;
constexpr DWORD kReplacePauseMs = 50;

// Owns one file handle; closes it when destroyed.
class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Reset(); }
  FileHandle(FileHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  // Closes now and says whether closing succeeded.
  bool Close() {
    HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return true;
    return CloseHandle(handle) != 0;
  }

 private:
  void Reset() {
    if (valid()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

class Win32WritableFile final : public WritableFile {
 public:
  explicit Win32WritableFile(FileHandle handle) : handle_(std::move(handle)) {}

  bool Write(const void* data, std::size_t size) override {
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
      DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(handle_.get(), next, chunk, &written, nullptr) || written == 0) {
        return false;
      }
      next += written;
      size -= written;
    }
    return true;
  }

  bool Flush() override { return FlushFileBuffers(handle_.get()) != 0; }

  bool Close() override { return handle_.Close(); }

 private:
  FileHandle handle_;
};

bool IsPassingRefusal(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION;
}

class Win32FileSystem final : public FileSystem {
 public:
  bool ReadAll(const Text& path, std::vector<unsigned char>& bytes) override {
    FileHandle file(CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return false;
    if (static_cast<unsigned long long>(size.QuadPart) > bytes.max_size()) return false;
    std::size_t filled = 0;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    for (;;) {
      if (filled == bytes.size()) bytes.resize(bytes.size() + (1 << 16));
      std::size_t room = bytes.size() - filled;
      DWORD want = room > 0x10000000 ? 0x10000000 : static_cast<DWORD>(room);
      DWORD got = 0;
      if (!ReadFile(file.get(), bytes.data() + filled, want, &got, nullptr)) return false;
      if (got == 0) break;
      filled += got;
    }
    bytes.resize(filled);
    return true;
  }

  std::unique_ptr<WritableFile> OpenForWriting(const Text& path) override {
    FileHandle file(CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return nullptr;
    return std::make_unique<Win32WritableFile>(std::move(file));
  }

  bool ReplaceAtomically(const Text& from, const Text& to) override {
    const std::wstring source = WidePath(from);
    const std::wstring target = WidePath(to);
    for (int attempt = 1;; ++attempt) {
      if (MoveFileExW(source.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
      }
      if (attempt == kReplaceAttempts || !IsPassingRefusal(GetLastError())) return false;
      Sleep(kReplacePauseMs);
    }
  }

  bool Remove(const Text& path) override { return DeleteFileW(WidePath(path).c_str()) != 0; }
};

}  // namespace

std::unique_ptr<FileSystem> NewPlatformFileSystem() {
  return std::make_unique<Win32FileSystem>();
}

}  // namespace ondrel
