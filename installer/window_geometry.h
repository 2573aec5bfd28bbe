// Sizes and positions of the installer window, free of Win32 so they can be
// tested alone.
#pragma once

namespace ondrel::installer {

struct Size {
  int width;
  int height;
};

struct Point {
  int x;
  int y;
};

// The window size whose client area is `client`, given the client size
// measured when the window itself was sized `client`: the frame is added once.
Size WindowSizeForClient(Size client, Size measuredClient);

// Top-left corner that centres a window on a display; a window larger than
// the display sits at its left or top edge instead of beyond it.
Point CentredOrigin(Size display, Size window);

}  // namespace ondrel::installer
