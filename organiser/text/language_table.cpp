#include "organiser/text/language_table.h"

#include <algorithm>

#include "organiser/store/utf16_bytes.h"

namespace ondrel {
namespace {

constexpr char16_t kCarriageReturn = u'\r';
constexpr TextView kLanguageCode = u"Eng";

// True when the zero-terminated line begins with prefix. Stops at the
// line's terminator, so it never reads past the end of the line.
bool StartsWith(const char16_t* line, TextView prefix) {
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (line[i] == 0 || line[i] != prefix[i]) return false;
  }
  return true;
}

bool IsSectionLine(const char16_t* line) { return line[0] == u'['; }

}  // namespace

bool LanguageTable::Load(FileSystem& files, const Text& path) {
  std::vector<unsigned char> bytes;
  if (!files.ReadAll(path, bytes)) return false;
  LoadFromBytes(bytes);
  return true;
}

void LanguageTable::LoadFromBytes(const std::vector<unsigned char>& bytes) {
  const std::size_t unitCount = bytes.size() / 2;
  // Two zero units past the data: every line, the tail without CR included,
  // ends with a terminator inside the buffer.
  std::vector<char16_t> text(unitCount + 2, 0);
  DecodeLittleEndian(bytes.data(), unitCount, text.data());

  lines_.Clear();
  hasSection_ = false;
  sectionName_.clear();
  sectionIndex_ = 0;
  text_ = std::move(text);

  // Reserve the slots once: a file of millions of short lines would
  // otherwise grow the array 16 slots at a time.
  const std::size_t crCount = static_cast<std::size_t>(
      std::count(text_.begin(), text_.begin() + unitCount, kCarriageReturn));
  if (crCount + 2 < UINT32_MAX - 16) lines_.Grow(static_cast<std::uint32_t>(crCount + 2));

  // Unit 0 is the byte-order mark and is never examined.
  std::size_t position = 1;
  while (position < unitCount) {
    std::size_t end = position;
    while (end < unitCount && text_[end] != kCarriageReturn) ++end;
    if (end == unitCount) {
      // A last line without CR LF: kept as a line rather than lost.
      lines_.Append(&text_[position]);
      break;
    }
    // The CR and the unit after it (normally the LF) belong to no line.
    text_[end] = 0;
    text_[end + 1] = 0;
    if (end > position) lines_.Append(&text_[position]);
    position = end + 2;
  }
}

bool LanguageTable::FindSection(TextView section, std::uint32_t& index) const {
  for (std::uint32_t i = 0; i < lines_.count(); ++i) {
    const char16_t* line = lines_[i];
    if (IsSectionLine(line) && StartsWith(line + 1, section)) {
      index = i;
      return true;
    }
  }
  return false;
}

const char16_t* LanguageTable::Lookup(TextView section, TextView key) const {
  if (!hasSection_ || sectionName_ != section) {
    std::uint32_t index = 0;
    if (!FindSection(section, index)) return nullptr;
    sectionName_.assign(section.data(), section.size());
    sectionIndex_ = index;
    hasSection_ = true;
  }

  Text probe(key);
  probe += kLanguageCode;
  probe += u'=';
  for (std::uint32_t i = sectionIndex_ + 1; i < lines_.count(); ++i) {
    const char16_t* line = lines_[i];
    if (IsSectionLine(line)) break;
    if (StartsWith(line, probe)) return line + probe.size();
  }
  return nullptr;
}

}  // namespace ondrel
