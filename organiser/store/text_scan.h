#pragma once
// Fast searches in UTF-16 text: loading and searching spend most of their
// time looking for '<', '&' and tags, so these look at four code units per
// step instead of one.

#include <cstddef>
#include <cstring>

#include "organiser/store/text.h"

namespace ondrel {

// True when pattern stands in text at position at (one memory compare; the
// standard compare of char16_t text goes unit by unit).
inline bool TextAt(TextView text, std::size_t at, TextView pattern) {
  return at <= text.size() && text.size() - at >= pattern.size() &&
         std::memcmp(text.data() + at, pattern.data(), pattern.size() * sizeof(char16_t)) == 0;
}

// True when this build scans eight units per step with SSE2 (every
// x86-64); false where it scans four per step in plain 64-bit words, as the
// shipped 32-bit program does, built for processors without SSE2.
bool ScanUsesSse2();

// Position of the first unit at or after from, or TextView::npos.
std::size_t FindUnit(TextView text, char16_t unit, std::size_t from = 0);

// Position of the first occurrence of pattern at or after from, or
// TextView::npos; an empty pattern is found at from.
std::size_t FindText(TextView text, TextView pattern, std::size_t from = 0);

// Position of the first '<' at or after from that is followed by letter or
// by '/' and letter (a tag whose name starts with letter, opening or
// closing), or TextView::npos. Looking at the units after each '<' in the
// same step passes every other tag without stopping.
std::size_t FindTagStart(TextView text, char16_t letter, std::size_t from = 0);

}  // namespace ondrel
