#pragma once
// The one recipe for the fonts of all three programs. Screenshots and pixel
// tests depend on every value here: only the height and the face differ
// between the fonts.

#include <windows.h>

#include <type_traits>

#include "organiser/win32/gdi_owners.h"

namespace ondrel {

// A thin (weight 100) Swiss font of the Western character set, at default
// precision and quality, its face named in UTF-16 (CreateFontW) or in the
// ANSI code page (CreateFontA).
// Empty when the system cannot make it: controls then keep the system font.
template <typename Char>
Font MakeFont(int height, const Char* face) {
  static_assert(std::is_same_v<Char, char> || std::is_same_v<Char, wchar_t>);
  const auto create = [](auto... arguments) {
    if constexpr (std::is_same_v<Char, char>) {
      return CreateFontA(arguments...);
    } else {
      return CreateFontW(arguments...);
    }
  };
  return Font(create(height, 0, 0, 0, 100, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, face));
}

// "MS Sans Serif", 13 pixels high: the organiser's tabs and every page's
// controls but the list views.
inline Font MakeOrganiserFont() { return MakeFont(13, L"MS Sans Serif"); }

}  // namespace ondrel
