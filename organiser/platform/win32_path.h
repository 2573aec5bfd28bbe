#pragma once
// The one place where the store's UTF-16 paths cross to the Win32 wchar_t
// interface.

#include <string>

#include "organiser/store/text.h"

namespace ondrel {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

inline std::wstring WidePath(TextView path) {
  return std::wstring(path.begin(), path.end());
}

}  // namespace ondrel
