#include "organiser/win32/focus_ring.h"

namespace ondrel {

bool HandleFocusRingTab(const FocusRing& ring, const MSG& message) {
  if (message.message != WM_KEYDOWN || message.wParam != VK_TAB) return false;
  const std::uint32_t count = ring.count();
  for (std::uint32_t i = 0; i < count; ++i) {
    if (ring[i] == message.hwnd) {
      SetFocus(ring[i + 1 == count ? 0 : i + 1]);
      return true;
    }
  }
  // A window outside the ring keeps the dialog keyboard interface.
  return false;
}

}  // namespace ondrel
