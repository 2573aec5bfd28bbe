#pragma once
// Selection of documents of one kind by words and quoted phrases in chosen
// fields and by a range of modification days.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "organiser/store/day_number.h"
#include "organiser/store/ptr_array.h"
#include "organiser/store/text.h"

namespace ondrel {

class SearchQuery {
 public:
  SearchQuery() = default;

  // Empties both lists.
  void Reset();
  // Appends a copy of tag (element name without brackets, e.g. u"Subject")
  // and of the text to search for in it.
  void AddPair(TextView tag, TextView text);

  std::unique_ptr<PtrArray<Text>> tags;
  std::unique_ptr<PtrArray<Text>> texts;
  Date from;
  Date to;
  const char16_t* kind = nullptr;  // not owned
};

// Splits a search text into terms: quoted phrases first (an unmatched quote
// counts as a space), then the words separated by spaces.
void ParseTerms(TextView text, PtrArray<Text>& terms);

// True when value contains every term; a missing value matches only when
// there are no terms.
bool MatchesAllTerms(const std::optional<TextView>& value, const PtrArray<Text>& terms);

// Position of the first occurrence of term in value, with A-Z folded to
// a-z on both sides; none for an empty value.
std::optional<std::size_t> FindNoCase(TextView value, TextView term);

}  // namespace ondrel
