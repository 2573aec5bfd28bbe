#pragma once
// How values sit inside the stored text: escaping of '&' and '<' when
// writing, and reading the value of an element out of a block.

#include <cstddef>
#include <optional>

#include "organiser/store/text.h"

namespace ondrel {

// Appends value to out with '&' written as "&amp;" and '<' as "&lt;", so
// no value can look like a tag.
void AppendEncoded(Text& out, TextView value);

// Undoes AppendEncoded: "&amp;" reads as '&' and "&lt;" as '<'; any other
// '&' stays itself, so files written before escaping still read as written.
Text Decode(TextView stored);
// The same into a text whose storage is reused (cleared first).
void DecodeInto(Text& decoded, TextView stored);

// The raw (still encoded) value of an element: the text between the first
// openTag in text and the next closeTag. When closeTag never follows, the
// value runs to the next '<' or the end of text, since a value written here
// never holds a raw '<'. None when openTag does not occur.
std::optional<TextView> FindRawValue(TextView text, TextView openTag, TextView closeTag);

// Several elements looked for together, with what a walk may assume about
// their opening tags, worked out once for the many texts it walks. Every
// opening tag starts with '<'. The arrays are not owned and must outlive
// the set.
class ElementTags {
 public:
  ElementTags(const TextView* openTags, const TextView* closeTags, std::size_t count);

  std::size_t count() const { return count_; }
  TextView open(std::size_t index) const { return openTags_[index]; }
  TextView close(std::size_t index) const { return closeTags_[index]; }
  // True when no two opening tags can both start at one place (none is a
  // prefix of another, none is given twice), so the first tag found at a
  // place is the only one there.
  bool oneTagPerPlace() const { return oneTagPerPlace_; }
  // True when some opening tag could start where a closing tag does (it
  // starts with "</" or is a lone '<'); otherwise a walk passes closing tags
  // without comparing.
  bool someTagOpensWithSlash() const { return someTagOpensWithSlash_; }

 private:
  const TextView* openTags_;
  const TextView* closeTags_;
  std::size_t count_;
  bool oneTagPerPlace_ = true;
  bool someTagOpensWithSlash_ = false;
};

// The same as FindRawValue for several elements in one pass over text:
// values[i] receives what FindRawValue(text, tags.open(i), tags.close(i))
// would give.
void FindRawValues(TextView text, const ElementTags& tags, std::optional<TextView>* values);

// FindRawValues done lazily: the walk over the tags of text goes only as far
// as the elements asked for so far, so a search that rejects a document on
// its first field never walks the rest. tags and values are not owned.
class ElementWalker {
 public:
  ElementWalker(TextView text, const ElementTags& tags, std::optional<TextView>* values);

  // The raw value of element index, as FindRawValue would give it.
  const std::optional<TextView>& Value(std::size_t index);
  // Walks to the end (or until every element is found).
  void FindAll();

 private:
  // Looks at the '<' the walk stands on, then moves to the next one.
  void Step();

  TextView text_;
  const ElementTags& tags_;
  std::optional<TextView>* values_;
  std::size_t missing_;
  std::size_t at_;
  // The element after the one found last: written blocks hold their
  // elements in the order asked for, so it is tried first.
  std::size_t expected_ = 0;
};

// Decodes a raw value into a field; a missing value gives no value.
TextField DecodeField(const std::optional<TextView>& raw);

}  // namespace ondrel
