#pragma once
// The ordered controls that the Tab key cycles through; filled by the
// active page, read by the message loop. Never owns the windows.

#include <windows.h>

#include <type_traits>

#include "organiser/store/ptr_array.h"

namespace ondrel {

using FocusRing = PtrArray<std::remove_pointer_t<HWND>>;

// The Tab-key rule of the message loop: a WM_KEYDOWN of VK_TAB whose target
// is in the ring moves the focus to the next ring entry (the last wraps to
// the first) and is consumed. Shift does not reverse it.
bool HandleFocusRingTab(const FocusRing& ring, const MSG& message);

}  // namespace ondrel
