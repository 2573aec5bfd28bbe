#include "tests/support/memory_file_system.h"

#include <cstring>

namespace ondrel::test {
namespace {

class MemoryWritableFile final : public WritableFile {
 public:
  MemoryWritableFile(MemoryFileSystem& files, Text path)
      : files_(files), path_(std::move(path)) {}

  bool Write(const void* data, std::size_t size) override {
    const bool fails = files_.Fails(FailingStep::kWrite, path_);
    const auto* bytes = static_cast<const unsigned char*>(data);
    MemoryFileSystem::Bytes& storage = files_.Storage(path_);
    if (fails && files_.LastCallFailedByCount()) {
      // A counted failure is a full disk: half the bytes land.
      storage.insert(storage.end(), bytes, bytes + size / 2);
      files_.Changed(path_, false);
      return false;
    }
    if (fails) return false;
    if (files_.Fails(FailingStep::kPartialWrite, path_)) {
      storage.insert(storage.end(), bytes, bytes + size / 2);
      files_.Changed(path_, false);
      return false;
    }
    storage.insert(storage.end(), bytes, bytes + size);
    files_.Changed(path_, false);
    return true;
  }

  bool Flush() override { return !files_.Fails(FailingStep::kFlush, path_); }

  bool Close() override { return !files_.Fails(FailingStep::kClose, path_); }

 private:
  MemoryFileSystem& files_;
  Text path_;
};

bool EndsWith(const Text& text, const Text& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

bool MemoryFileSystem::ReadAll(const Text& path, Bytes& bytes) {
  if (Fails(FailingStep::kNone, path) || unreadable_.count(path) != 0) return false;
  auto found = files_.find(path);
  if (found == files_.end()) return false;
  bytes = found->second;
  return true;
}

ReadResult MemoryFileSystem::ReadAllUnits(const Text& path, FileUnits& units) {
  if (Fails(FailingStep::kNone, path) || unreadable_.count(path) != 0) {
    return ReadResult{ReadResult::Status::kFailed, u"injected"};
  }
  auto found = files_.find(path);
  if (found == files_.end()) return ReadResult{ReadResult::Status::kNoFile, Text()};
  const Bytes& bytes = found->second;
  unsigned char* storage = units.ReserveBytes(bytes.size(), 0);
  if (!bytes.empty()) std::memcpy(storage, bytes.data(), bytes.size());
  units.FinishBytes(bytes.size());
  return ReadResult{ReadResult::Status::kRead, Text()};
}

std::unique_ptr<WritableFile> MemoryFileSystem::OpenForWriting(const Text& path) {
  if (Fails(FailingStep::kCreate, path)) return nullptr;
  Changed(path, files_.count(path) == 0);
  files_[path].clear();
  return std::make_unique<MemoryWritableFile>(*this, path);
}

bool MemoryFileSystem::ReplaceAtomically(const Text& from, const Text& to) {
  if (Fails(FailingStep::kReplace, to)) return false;
  auto found = files_.find(from);
  if (found == files_.end()) return false;
  Bytes moved = std::move(found->second);
  files_.erase(found);
  files_[to] = std::move(moved);
  // The renamed file keeps its number and its last write.
  identities_[to] = identities_[from];
  identities_.erase(from);
  return true;
}

bool MemoryFileSystem::Remove(const Text& path) {
  if (Fails(FailingStep::kNone, path)) return false;
  identities_.erase(path);
  return files_.erase(path) != 0;
}

StampResult MemoryFileSystem::StampOf(const Text& path) {
  StampResult result;
  if (Fails(FailingStep::kNone, path)) {
    if (LastCallFailedByCount()) lookFailedByCount_ = true;
    return result;
  }
  auto found = files_.find(path);
  if (found == files_.end()) {
    result.status = StampResult::Status::kNoFile;
    return result;
  }
  const Identity& identity = identities_[path];
  result.status = StampResult::Status::kFound;
  result.stamp.file = identity.file;
  result.stamp.size = found->second.size();
  result.stamp.lastWrite = identity.lastWrite;
  return result;
}

void MemoryFileSystem::Put(const Text& path, Bytes bytes) {
  files_[path] = std::move(bytes);
  Changed(path, true);
}

void MemoryFileSystem::Rewrite(const Text& path, Bytes bytes) {
  const bool newFile = files_.count(path) == 0;
  files_[path] = std::move(bytes);
  Changed(path, newFile);
}

void MemoryFileSystem::Changed(const Text& path, bool newFile) {
  Identity& identity = identities_[path];
  if (newFile || identity.file == 0) identity.file = ++filesMade_;
  identity.lastWrite = ++changes_;
}

bool MemoryFileSystem::Fails(FailingStep step, const Text& path) {
  // Each call asks once with its own step (reads and removals with kNone),
  // so that counting sees every call exactly once.
  if (step == FailingStep::kPartialWrite) return failing_ == step && EndsWith(path, failingSuffix_);
  ++calls_;
  if (calls_ == failCall_) return true;
  return step != FailingStep::kNone && failing_ == step && EndsWith(path, failingSuffix_);
}

}  // namespace ondrel::test
