#pragma once
// The one scaling rule of all three programs. Every number in a layout (a
// position, a size, a gap, a font height, a column width) is a design value
// at 96 DPI, the display's 100 %; it becomes pixels only here, at the DPI the
// window is shown at. At 96 DPI every value stays what it is.
//
// This header includes no Win32 header, so its test also runs natively.

namespace ondrel {

// The DPI the layout values are designed for: 100 %.
constexpr int kDesignDpi = 96;

// value, a length at fromDpi, as a length at toDpi: rounded to the nearest
// pixel, halves away from zero, as MulDiv rounds. Negative values (offsets
// from the right or bottom edge) round as their positive twins do, so that a
// layout stays symmetrical. A DPI that is not positive (a failed query)
// counts as 96.
constexpr int ScaleBetweenDpis(int value, int fromDpi, int toDpi) {
  if (fromDpi <= 0) fromDpi = kDesignDpi;
  if (toDpi <= 0) toDpi = kDesignDpi;
  const long long product = static_cast<long long>(value) * toDpi;
  const long long magnitude = product < 0 ? -product : product;
  const long long rounded = (magnitude + fromDpi / 2) / fromDpi;
  return static_cast<int>(product < 0 ? -rounded : rounded);
}

// A 96-DPI design value in pixels at dpi.
constexpr int ScaleForDpi(int designValue, int dpi) {
  return ScaleBetweenDpis(designValue, kDesignDpi, dpi);
}

}  // namespace ondrel
