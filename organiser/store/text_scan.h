#pragma once
// Fast searches in UTF-16 text: loading and searching spend most of their
// time looking for '<', '&' and tags, so these look at four code units per
// step instead of one.

#include <cstddef>

#include "organiser/store/text.h"

namespace ondrel {

// Position of the first unit at or after from, or TextView::npos.
std::size_t FindUnit(TextView text, char16_t unit, std::size_t from = 0);

// Position of the first occurrence of pattern at or after from, or
// TextView::npos; an empty pattern is found at from.
std::size_t FindText(TextView text, TextView pattern, std::size_t from = 0);

// Position of the first '<' at or after from that is followed by first or
// by second, or TextView::npos. Looking at the unit after each '<' in the
// same step passes most tags without stopping.
std::size_t FindTagStart(TextView text, char16_t first, char16_t second, std::size_t from = 0);

}  // namespace ondrel
