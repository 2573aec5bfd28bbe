#pragma once
// The rectangles each page's layout gives its controls at 100 % (96 DPI), for
// two client sizes, worked out from the layout formulas: the layout tests
// compare with them as they are, the scale tests scaled.

#include <windows.h>

#include <vector>

#include "tests/pages/page_test_support.h"

namespace ondrel::test {

struct Rect {
  int x, y, width, height;
};

// The two client sizes laid out, and for each control in creation order its
// rectangle at the first and at the second size.
constexpr SIZE kLayoutSizes[2] = {{600, 420}, {800, 560}};
struct ControlRects {
  Rect atSize[2];
};
using ExpectedRects = std::vector<ControlRects>;

// The rectangles of kind's controls, in creation order.
const ExpectedRects& LayoutRectsAt100(PageKind kind);

}  // namespace ondrel::test
