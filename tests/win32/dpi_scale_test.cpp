// The one scaling rule: 100 % values at each DPI, rounded as MulDiv rounds
// (halves away from zero, negative offsets as their positive twins), and
// under Windows compared with MulDiv itself.
#include "organiser/win32/dpi_scale.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace ondrel::test {
namespace {

struct ScaleCase {
  int value;
  int fromDpi;
  int toDpi;
  int expected;
};

TEST(DpiScale, RoundsToTheNearestPixelHalvesAwayFromZero) {
  const ScaleCase cases[] = {
      {13, 96, 96, 13},      // 100 % changes nothing
      {13, 96, 120, 16},     // 16.25
      {13, 96, 144, 20},     // 19.5: a half goes up
      {13, 96, 192, 26},
      {3, 96, 120, 4},       // 3.75
      {1, 96, 144, 2},       // 1.5
      {2, 96, 120, 3},       // 2.5
      {-1, 96, 144, -2},     // an offset from an edge: as its positive twin
      {-2, 96, 120, -3},
      {-7, 96, 120, -9},     // -8.75
      {-257, 96, 144, -386}, // -385.5
      {0, 96, 192, 0},
      {150, 144, 96, 100},   // back from 150 %
      {-11, 96, 144, -17},   // a font height given as negative
      {40000, 96, 192, 80000},
      {13, 96, 0, 13},       // a DPI the system did not give counts as 100 %
      {13, 0, 144, 20},
  };
  for (const ScaleCase& c : cases) {
    EXPECT_EQ(ScaleBetweenDpis(c.value, c.fromDpi, c.toDpi), c.expected)
        << c.value << " from " << c.fromDpi << " to " << c.toDpi;
  }
  EXPECT_EQ(ScaleForDpi(13, 144), 20);
}

#ifdef _WIN32
TEST(DpiScale, AgreesWithMulDiv) {
  for (int dpi : {72, 96, 108, 120, 144, 168, 192, 240, 288}) {
    for (int value = -600; value <= 600; ++value) {
      ASSERT_EQ(ScaleForDpi(value, dpi), MulDiv(value, dpi, kDesignDpi)) << value << " at " << dpi;
    }
  }
}
#endif

}  // namespace
}  // namespace ondrel::test
