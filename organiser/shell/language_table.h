#pragma once
// The organiser's visible texts, loaded once from "ondrel.lng": UTF-16LE
// with a byte-order mark, lines ended by CR LF, section lines "[Name]" and
// entries "KeyEng=text". Portable: no Win32 here.

#include <cstdint>
#include <vector>

#include "organiser/store/file_system.h"
#include "organiser/store/ptr_array.h"
#include "organiser/store/text.h"

namespace ondrel {

class LanguageTable {
 public:
  LanguageTable() = default;
  LanguageTable(const LanguageTable&) = delete;
  LanguageTable& operator=(const LanguageTable&) = delete;

  // Reads the language file at path. False when it cannot be read; the
  // table then stays as it was (empty at start-up: every lookup is null).
  bool Load(FileSystem& files, const Text& path);
  // Builds the table from the file's bytes.
  void LoadFromBytes(const std::vector<unsigned char>& bytes);

  // The text of entry key in section, or null when either is missing. The
  // text stays valid as long as the table lives.
  const char16_t* Lookup(TextView section, TextView key) const;

 private:
  std::vector<char16_t> text_;
  PtrArray<const char16_t> lines_;
  // The section found last: saves rescanning for repeated lookups.
  mutable std::uint32_t sectionIndex_ = 0;
  mutable const char16_t* sectionName_ = nullptr;
};

}  // namespace ondrel
