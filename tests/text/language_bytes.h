#pragma once
// Helpers of the language tests: "ondrel.lng" bytes from a text, and a
// file system that keeps its files in memory.

#include <map>
#include <memory>
#include <vector>

#include "organiser/store/file_system.h"
#include "organiser/store/text.h"

namespace ondrel::test {

// The text as UTF-16LE bytes, without a byte-order mark.
inline std::vector<unsigned char> LanguageBytesWithoutMark(const Text& text) {
  std::vector<unsigned char> bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
    bytes.push_back(static_cast<unsigned char>(unit >> 8));
  }
  return bytes;
}

// The text as the shipped file holds it: byte-order mark, then UTF-16LE.
inline std::vector<unsigned char> LanguageBytes(const Text& text) {
  return LanguageBytesWithoutMark(u'\uFEFF' + text);
}

// Reads only; the language table never writes.
class InMemoryFiles final : public FileSystem {
 public:
  void Put(const Text& path, std::vector<unsigned char> bytes) { files_[path] = std::move(bytes); }

  bool ReadAll(const Text& path, std::vector<unsigned char>& bytes) override {
    auto found = files_.find(path);
    if (found == files_.end()) return false;
    bytes = found->second;
    return true;
  }
  std::unique_ptr<WritableFile> OpenForWriting(const Text&) override { return nullptr; }
  bool ReplaceAtomically(const Text&, const Text&) override { return false; }
  bool Remove(const Text&) override { return false; }

 private:
  std::map<Text, std::vector<unsigned char>> files_;
};

}  // namespace ondrel::test
