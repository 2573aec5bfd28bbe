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
  // Builds the table from the file's bytes. Any bytes give a sound table:
  // an odd last byte is ignored, the first code unit is skipped as the
  // byte-order mark, and text after the last CR counts as a last line.
  void LoadFromBytes(const std::vector<unsigned char>& bytes);

  // The text of entry key in section, or null when either is missing. The
  // text stays valid as long as the table lives (until the next load).
  const char16_t* Lookup(TextView section, TextView key) const;

  // Non-empty lines kept by the last load (section lines and entries).
  std::uint32_t LineCount() const { return lines_.count(); }

 private:
  // Index in lines_ of the first section line named section; false if none.
  bool FindSection(TextView section, std::uint32_t& index) const;

  std::vector<char16_t> text_;
  // Each line points into text_ and ends with a zero unit.
  PtrArray<const char16_t> lines_;
  // The section asked for last and where its line stands: a repeated
  // lookup in the same section skips the scan for the section line.
  mutable Text sectionName_;
  mutable std::uint32_t sectionIndex_ = 0;
  mutable bool hasSection_ = false;
};

}  // namespace ondrel
