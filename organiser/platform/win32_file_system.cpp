// The platform's files on Windows: CreateFileW, WriteFile, FlushFileBuffers
// and MoveFileExW, each tried again while another program holds the file.

#include <windows.h>

#include <string>
#include <utility>

#include "organiser/platform/platform.h"
#include "organiser/platform/win32_path.h"
#include "organiser/store/file_system.h"
#include "organiser/store/held_file_retry.h"
#include "organiser/win32/kernel_handle.h"

namespace ondrel {
namespace {

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

// True when error is another program holding the file at path for a
// while: a sharing or lock violation, or access denied to a file that is
// neither a folder nor read-only (a file being deleted or scanned answers
// so). A folder in the way or a read-only file never gives way.
bool IsHeldByAnotherProgram(DWORD error, const std::wstring& path) {
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return true;
  if (error != ERROR_ACCESS_DENIED) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
}

// Tries one step (true when done; it leaves its error for GetLastError) on
// the file at path until it is done, fails otherwise, or a hold outlasts
// the patience. The step's last error stays for the caller to read.
template <typename Step>
bool TryWhileHeld(const std::wstring& path, Step step) {
  DWORD lastError = ERROR_SUCCESS;
  const TryOutcome outcome = RetryWhileHeld(
      [&]() {
        if (step()) return TryOutcome::kDone;
        lastError = GetLastError();
        return IsHeldByAnotherProgram(lastError, path) ? TryOutcome::kHeld : TryOutcome::kFailed;
      },
      [](unsigned ms) { Sleep(ms); });
  if (outcome != TryOutcome::kDone) SetLastError(lastError);
  return outcome == TryOutcome::kDone;
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
  DWORD error = ERROR_SUCCESS;
  TryWhileHeld(widePath, [&]() {
    TryReadWholeFile(widePath, target, error);
    SetLastError(error);
    return error == ERROR_SUCCESS;
  });
  if (error == ERROR_SUCCESS) return ReadResult{ReadResult::Status::kRead, Text()};
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    return ReadResult{ReadResult::Status::kNoFile, Text()};
  }
  return ReadResult{ReadResult::Status::kFailed, ReasonOf(error)};
}

// One look at the file at path: opened for its attributes only, which no
// other program's sharing mode refuses, and for a folder too.
bool TryStamp(const std::wstring& path, FileStamp& stamp) {
  FileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return false;
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file.get(), &information)) return false;
  stamp.volume = information.dwVolumeSerialNumber;
  stamp.file = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) |
               information.nFileIndexLow;
  stamp.size = (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) |
               information.nFileSizeLow;
  stamp.lastWrite = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(information.ftLastWriteTime.dwHighDateTime) << 32) |
      information.ftLastWriteTime.dwLowDateTime);
  return true;
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
    const std::wstring widePath = WidePath(path);
    FileHandle file;
    TryWhileHeld(widePath, [&]() {
      file.Reset(CreateFileW(widePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
      return static_cast<bool>(file);
    });
    if (!file) return nullptr;
    return std::make_unique<Win32WritableFile>(std::move(file));
  }

  bool ReplaceAtomically(const Text& from, const Text& to) override {
    const std::wstring source = WidePath(from);
    const std::wstring target = WidePath(to);
    return TryWhileHeld(target, [&]() {
      return MoveFileExW(source.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    });
  }

  bool Remove(const Text& path) override { return DeleteFileW(WidePath(path).c_str()) != 0; }

  StampResult StampOf(const Text& path) override {
    const std::wstring widePath = WidePath(path);
    StampResult result;
    if (TryWhileHeld(widePath, [&]() { return TryStamp(widePath, result.stamp); })) {
      result.status = StampResult::Status::kFound;
      return result;
    }
    const DWORD error = GetLastError();
    result.status = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                        ? StampResult::Status::kNoFile
                        : StampResult::Status::kFailed;
    return result;
  }
};

}  // namespace

std::unique_ptr<FileSystem> NewPlatformFileSystem() {
  return std::make_unique<Win32FileSystem>();
}

}  // namespace ondrel
