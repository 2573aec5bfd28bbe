#include "window_geometry.h"

#include <gtest/gtest.h>

#include <ostream>

namespace ondrel::test {
using namespace ondrel::installer;
namespace {

TEST(WindowGeometry, FrameIsAddedOnceToTheClientSize) {
  // At 600 x 400 the frame leaves a client area of 592 x 373.
  const Size window = WindowSizeForClient({600, 400}, {592, 373});
  EXPECT_EQ(window.width, 608);
  EXPECT_EQ(window.height, 427);
}

struct CentringCase {
  Size display;
  Size window;
  Point expected;
};

void PrintTo(const CentringCase& centring, std::ostream* out) {
  *out << "display " << centring.display.width << 'x' << centring.display.height << " window "
       << centring.window.width << 'x' << centring.window.height;
}

class CentredOriginTest : public ::testing::TestWithParam<CentringCase> {};

TEST_P(CentredOriginTest, CentresAndNeverGoesBeyondTheTopLeft) {
  const Point origin = CentredOrigin(GetParam().display, GetParam().window);
  EXPECT_EQ(origin.x, GetParam().expected.x);
  EXPECT_EQ(origin.y, GetParam().expected.y);
}

INSTANTIATE_TEST_SUITE_P(Displays, CentredOriginTest,
                         ::testing::Values(CentringCase{{1024, 768}, {608, 427}, {208, 170}},
                                           CentringCase{{1024, 768}, {609, 428}, {207, 170}},
                                           CentringCase{{640, 480}, {608, 427}, {16, 26}},
                                           CentringCase{{600, 400}, {608, 427}, {0, 0}},
                                           CentringCase{{800, 300}, {608, 427}, {96, 0}},
                                           CentringCase{{0, 0}, {608, 427}, {0, 0}}));

}  // namespace
}  // namespace ondrel::test
