#pragma once
// The one place where the portable UTF-16 text (char16_t) meets the Win32
// wide-character API (wchar_t). Both are 16-bit code units on Windows.

#include <cstddef>

#include "organiser/store/text.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text must be UTF-16 code units");

namespace ondrel {

inline const wchar_t* AsWide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}

inline const wchar_t* AsWide(const Text& text) { return AsWide(text.c_str()); }

inline Text ToText(const wchar_t* text, std::size_t length) {
  return Text(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace ondrel
