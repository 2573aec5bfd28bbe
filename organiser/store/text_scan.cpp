#include "organiser/store/text_scan.h"

#include <cstdint>
#include <cstring>

namespace ondrel {

std::size_t FindUnit(TextView text, char16_t unit, std::size_t from) {
  const char16_t* data = text.data();
  const std::size_t size = text.size();
  std::size_t i = from;
  // Four units in one 64-bit word: a lane equal to unit becomes zero after
  // the XOR, and the classic zero-lane test finds it (it has no false
  // positives when no lane is zero, so the unit is within these four).
  constexpr std::uint64_t kOnes = 0x0001000100010001ULL;
  constexpr std::uint64_t kHighs = 0x8000800080008000ULL;
  const std::uint64_t pattern = kOnes * unit;
  for (; i + 4 <= size; i += 4) {
    std::uint64_t word;
    std::memcpy(&word, data + i, sizeof word);
    const std::uint64_t lanes = word ^ pattern;
    if (((lanes - kOnes) & ~lanes & kHighs) != 0) break;
  }
  for (; i < size; ++i) {
    if (data[i] == unit) return i;
  }
  return TextView::npos;
}

std::size_t FindText(TextView text, TextView pattern, std::size_t from) {
  if (pattern.empty()) return from <= text.size() ? from : TextView::npos;
  if (from >= text.size()) return TextView::npos;
  // A closing tag is looked for by its '/', which stands in the text far
  // less often than '<' (every opening tag has one).
  const std::size_t anchor = pattern.size() > 1 && pattern[0] == u'<' && pattern[1] == u'/' ? 1 : 0;
  for (;;) {
    std::size_t found = FindUnit(text, pattern[anchor], from + anchor);
    if (found == TextView::npos) return TextView::npos;
    std::size_t start = found - anchor;
    if (text.size() - start < pattern.size()) return TextView::npos;
    if (text.compare(start, pattern.size(), pattern) == 0) return start;
    from = start + 1;
  }
}

}  // namespace ondrel
