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

// The same for several elements in one pass over text: values[i] receives
// what FindRawValue(text, openTags[i], closeTags[i]) would give.
void FindRawValues(TextView text, const TextView* openTags, const TextView* closeTags,
                   std::size_t count, std::optional<TextView>* values);

// FindRawValues done lazily: the walk over the tags of text goes only as far
// as the elements asked for so far, so a search that rejects a document on
// its first field never walks the rest. The arrays are not owned.
class ElementWalker {
 public:
  ElementWalker(TextView text, const TextView* openTags, const TextView* closeTags,
                std::size_t count, std::optional<TextView>* values);

  // The raw value of element index, as FindRawValue would give it.
  const std::optional<TextView>& Value(std::size_t index);
  // Walks to the end (or until every element is found).
  void FindAll();

 private:
  // Looks at the '<' the walk stands on, then moves to the next one.
  void Step();

  TextView text_;
  const TextView* openTags_;
  const TextView* closeTags_;
  std::size_t count_;
  std::optional<TextView>* values_;
  std::size_t missing_;
  std::size_t at_;
  // The element after the one found last: written blocks hold their
  // elements in the order asked for, so it is tried first.
  std::size_t expected_ = 0;
  // True when no two opening tags can both start at one place (none is a
  // prefix of another), so the first tag found there ends the look.
  bool oneTagPerPlace_ = true;
  // True when some opening tag starts with "</"; otherwise a closing tag
  // is passed over without looking at the opening tags.
  bool someTagOpensWithSlash_ = false;
};

// Decodes a raw value into a field; a missing value gives no value.
TextField DecodeField(const std::optional<TextView>& raw);

}  // namespace ondrel
