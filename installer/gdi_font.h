// Move-only owner of a GDI font.
#pragma once

#include <windows.h>

#include <utility>

namespace ondrel::installer {

class GdiFont {
 public:
  GdiFont() = default;
  explicit GdiFont(HFONT font) : font_(font) {}
  GdiFont(const GdiFont&) = delete;
  GdiFont& operator=(const GdiFont&) = delete;
  GdiFont(GdiFont&& other) noexcept : font_(std::exchange(other.font_, nullptr)) {}
  GdiFont& operator=(GdiFont&& other) noexcept {
    if (this != &other) {
      Delete();
      font_ = std::exchange(other.font_, nullptr);
    }
    return *this;
  }
  ~GdiFont() { Delete(); }

  HFONT get() const { return font_; }

 private:
  void Delete() {
    if (font_) DeleteObject(std::exchange(font_, nullptr));
  }

  HFONT font_ = nullptr;
};

// The installer's two fonts: "MS Sans Serif" 13 for the buttons, "Courier"
// 15 for the licence. They must outlive the controls that use them.
struct InstallerFonts {
  GdiFont buttons;
  GdiFont licence;
};

// Creates both fonts; a font that cannot be made stays empty and the
// controls keep the system font.
InstallerFonts CreateInstallerFonts();

}  // namespace ondrel::installer
