#pragma once
// The one place where the pages cross from the store's char16_t text to the
// wchar_t of the Win32 API. Both are UTF-16 code units on this platform.

#include <string>

#include "organiser/store/text.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

namespace ondrel {

inline const wchar_t* AsWide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}

inline const char16_t* AsText(const wchar_t* text) {
  return reinterpret_cast<const char16_t*>(text);
}

}  // namespace ondrel
