#pragma once
// The font every page sets on its controls (the list view keeps its own),
// held by a move-only owner that deletes it when the owner goes.

#include <windows.h>

namespace ondrel {

class FontHandle {
 public:
  FontHandle() = default;
  explicit FontHandle(HFONT font) : font_(font) {}
  ~FontHandle() { Release(); }

  FontHandle(const FontHandle&) = delete;
  FontHandle& operator=(const FontHandle&) = delete;
  FontHandle(FontHandle&& other) noexcept : font_(other.font_) { other.font_ = nullptr; }
  FontHandle& operator=(FontHandle&& other) noexcept {
    if (this != &other) {
      // Release what we hold before taking the other's font, or it leaks.
      Release();
      font_ = other.font_;
      other.font_ = nullptr;
    }
    return *this;
  }

  HFONT get() const { return font_; }
  explicit operator bool() const { return font_ != nullptr; }

 private:
  void Release() {
    if (font_ != nullptr) DeleteObject(font_);
    font_ = nullptr;
  }

  HFONT font_ = nullptr;
};

// "MS Sans Serif", 13 pixels high, as on every page.
inline FontHandle CreatePageFont() {
  return FontHandle(CreateFontW(13, 0, 0, 0, 100, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                FF_SWISS, L"MS Sans Serif"));
}

}  // namespace ondrel
