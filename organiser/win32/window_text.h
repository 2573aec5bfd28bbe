#pragma once
// Reading and setting the text of a control as the store's UTF-16 text.

#include <windows.h>

#include "organiser/store/text.h"

namespace ondrel {

// The control's whole text; empty for a null or textless window.
Text ReadWindowText(HWND window);

// Sets the control's text; a null text empties it.
void WriteWindowText(HWND window, const char16_t* text);

}  // namespace ondrel
