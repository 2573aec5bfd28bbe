#pragma once
// The one recipe for the fonts of all three programs. Screenshots and pixel
// tests depend on every value here: only the height and the face differ
// between the fonts.

#include <windows.h>

#include "organiser/win32/dpi_scale.h"
#include "organiser/win32/gdi_owners.h"

namespace ondrel {

// A thin (weight 100) Swiss font of the Western character set, at default
// precision and quality. Empty when the system cannot make it: controls then
// keep the system font.
inline Font MakeFont(int height, const wchar_t* face) {
  return Font(CreateFontW(height, 0, 0, 0, 100, FALSE, FALSE, FALSE, ANSI_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, face));
}

// A font designHeight pixels high at 100 %, scaled to dpi. The programs'
// faces are bitmap fonts on Windows, drawn for 100 % and coarse at any other
// size (the system picks a smaller one or doubles its pixels); each has a
// TrueType twin of the same design that ships with every Windows since 2000
// and is drawn smoothly at any size. The bitmap face is kept at 100 %, where
// it is what the programs always showed.
inline Font MakeScaledFont(int designHeight, const wchar_t* bitmapFace,
                           const wchar_t* trueTypeFace, int dpi) {
  return MakeFont(ScaleForDpi(designHeight, dpi), dpi == kDesignDpi ? bitmapFace : trueTypeFace);
}

// "MS Sans Serif", 13 pixels high at 100 %: the organiser's tabs and every
// page's controls but the list views.
inline Font MakeOrganiserFont(int dpi = kDesignDpi) {
  return MakeScaledFont(13, L"MS Sans Serif", L"Microsoft Sans Serif", dpi);
}

}  // namespace ondrel
