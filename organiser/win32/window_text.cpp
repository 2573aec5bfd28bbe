#include "organiser/win32/window_text.h"

#include "organiser/win32/wide_text.h"

namespace ondrel {

Text ReadWindowText(HWND window) {
  if (window == nullptr) return Text();
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return Text();
  // The length may be an upper bound; the copy reports what it really took.
  Text text(static_cast<std::size_t>(length) + 1, u'\0');
  const int copied = GetWindowTextW(window, reinterpret_cast<wchar_t*>(&text[0]), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

void WriteWindowText(HWND window, const char16_t* text) {
  SetWindowTextW(window, text != nullptr ? AsWide(text) : L"");
}

}  // namespace ondrel
