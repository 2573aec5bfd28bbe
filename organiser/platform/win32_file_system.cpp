// The platform's files on Windows: CreateFileW, WriteFile, FlushFileBuffers
// and MoveFileExW.

#include <windows.h>

#include <string>
#include <utility>

#include "organiser/platform/platform.h"
#include "organiser/platform/win32_path.h"
#include "organiser/store/file_system.h"
#include "organiser/win32/kernel_handle.h"

namespace ondrel {
namespace {

// How often and how long a replace refused by another program holding the
// file (a virus scanner, an indexer) is tried again.
constexpr int kReplaceAttempts = 5;
constexpr DWORD kReplacePauseMs = 50;

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

  // A close that fails can lose what was written: the caller hears of it.
  bool Close() override {
    const HANDLE handle = handle_.Release();
    return handle == INVALID_HANDLE_VALUE || CloseHandle(handle) != 0;
  }

 private:
  FileHandle handle_;
};

bool IsPassingRefusal(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION;
}

// How long a read refused because another program holds the file (a
// backup, sync or virus-scanning program) is tried again before it counts.
constexpr DWORD kReadPatienceMs = 2000;
constexpr DWORD kReadPauseMs = 50;

bool IsHeldByAnotherProgram(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// The system's own sentence for an error code, without its line break.
Text ReasonOf(DWORD error) {
  LocalMemory<wchar_t> words;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(words.Receive()), 0, nullptr);
  Text reason;
  if (length != 0 && words) reason.assign(words.get(), words.get() + length);
  while (!reason.empty() &&
         (reason.back() == u'\r' || reason.back() == u'\n' || reason.back() == u' ')) {
    reason.pop_back();
  }
  if (reason.empty()) {
    const std::wstring number = std::to_wstring(error);
    reason = u"Error " + Text(number.begin(), number.end());
  }
  return reason;
}

// One ReadFile on file, at most 256 MB at a time; error receives the code of
// a failed read.
ReadChunk ChunkReader(HANDLE file, DWORD& error) {
  return [file, &error](unsigned char* storage, std::size_t room) -> long long {
    DWORD want = room > 0x10000000 ? 0x10000000 : static_cast<DWORD>(room);
    DWORD got = 0;
    if (!ReadFile(file, storage, want, &got, nullptr)) {
      error = GetLastError();
      return -1;
    }
    return got;
  };
}

// One attempt at reading the whole file; error receives the code of what
// failed (ERROR_SUCCESS when the whole file was read).
template <typename Target>
void TryReadWholeFile(const std::wstring& path, Target& target, DWORD& error) {
  error = ERROR_SUCCESS;
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    error = GetLastError();
    return;
  }
  LARGE_INTEGER fileSize{};
  if (!GetFileSizeEx(file.get(), &fileSize) || fileSize.QuadPart < 0) {
    error = GetLastError();
    return;
  }
  // Leaves room for the byte past the end that the read asks for.
  if (static_cast<unsigned long long>(fileSize.QuadPart) >= (std::size_t(-1) >> 1)) {
    error = ERROR_NOT_ENOUGH_MEMORY;
    return;
  }
  if (!ReadOpenFile(static_cast<std::size_t>(fileSize.QuadPart), ChunkReader(file.get(), error),
                    target)) {
    if (error == ERROR_SUCCESS) error = ERROR_READ_FAULT;
  }
}

template <typename Target>
ReadResult ReadWholeFile(const Text& path, Target& target) {
  const std::wstring widePath = WidePath(path);
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD error = ERROR_SUCCESS;
    TryReadWholeFile(widePath, target, error);
    if (error == ERROR_SUCCESS) return ReadResult{ReadResult::Status::kRead, Text()};
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return ReadResult{ReadResult::Status::kNoFile, Text()};
    }
    if (!IsHeldByAnotherProgram(error) || GetTickCount() - start >= kReadPatienceMs) {
      return ReadResult{ReadResult::Status::kFailed, ReasonOf(error)};
    }
    Sleep(kReadPauseMs);
  }
}

class Win32FileSystem final : public FileSystem {
 public:
  bool ReadAll(const Text& path, std::vector<unsigned char>& bytes) override {
    return ReadWholeFile(path, bytes).read();
  }

  ReadResult ReadAllUnits(const Text& path, FileUnits& units) override {
    return ReadWholeFile(path, units);
  }

  std::unique_ptr<WritableFile> OpenForWriting(const Text& path) override {
    FileHandle file(CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
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
