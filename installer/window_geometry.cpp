#include "window_geometry.h"

namespace ondrel::installer {

Size WindowSizeForClient(Size client, Size measuredClient) {
  return {2 * client.width - measuredClient.width, 2 * client.height - measuredClient.height};
}

Point CentredOrigin(Size display, Size window) {
  // Signed division rounds toward zero, as the window manager expects.
  const int x = (display.width - window.width) / 2;
  const int y = (display.height - window.height) / 2;
  return {x < 0 ? 0 : x, y < 0 ? 0 : y};
}

}  // namespace ondrel::installer
