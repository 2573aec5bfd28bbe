#pragma once
// Owners of GDI objects and device contexts.

#include <windows.h>

#include "organiser/win32/unique_handle.h"

namespace ondrel {

// A font, brush or pen, deleted with DeleteObject.
template <typename ObjectHandle>
struct GdiObjectTraits {
  using Handle = ObjectHandle;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DeleteObject(handle); }
};
using Font = UniqueHandle<GdiObjectTraits<HFONT>>;
using Brush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using Pen = UniqueHandle<GdiObjectTraits<HPEN>>;

// A device context made with CreateDC, deleted with DeleteDC.
struct CreatedDcTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DeleteDC(handle); }
};
using CreatedDc = UniqueHandle<CreatedDcTraits>;

// A device context borrowed from a window: it goes back to that window.
struct WindowDcTraits {
  using Handle = HDC;
  HWND window = nullptr;  // not owned
  static Handle Invalid() { return nullptr; }
  void Close(Handle handle) const { ReleaseDC(window, handle); }
};
using WindowDc = UniqueHandle<WindowDcTraits>;

// The device context of the whole window, frame included.
inline WindowDc WholeWindowDc(HWND window) {
  return WindowDc(GetWindowDC(window), WindowDcTraits{window});
}

}  // namespace ondrel
