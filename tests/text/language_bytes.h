#pragma once
// "ondrel.lng" bytes from a text, for the language tests.

#include <vector>

#include "organiser/store/text.h"
#include "organiser/store/utf16_bytes.h"

namespace ondrel::test {

// The text as UTF-16LE bytes, without a byte-order mark.
inline std::vector<unsigned char> LanguageBytesWithoutMark(const Text& text) {
  return LittleEndianBytes(text);
}

// The text as the shipped file holds it: byte-order mark, then UTF-16LE.
inline std::vector<unsigned char> LanguageBytes(const Text& text) {
  return LittleEndianBytes(u'\uFEFF' + text);
}

}  // namespace ondrel::test
