// The rectangles each page's layout gives its controls for two client sizes:
// the parts that follow the window's width or height, and those that stay.
#include <gtest/gtest.h>

#include <string>

#include "tests/pages/page_cases.h"

namespace ondrel::test {
namespace {

struct Rect {
  int x, y, width, height;
};

// The two client sizes laid out, and for each control in creation order its
// rectangle at the first and at the second size, worked out from the layout
// formulas.
constexpr SIZE kSizes[2] = {{600, 420}, {800, 560}};
struct ControlRects {
  Rect atSize[2];
};
using ExpectedRects = std::vector<ControlRects>;

const ExpectedRects kNoteRects = {
    {{{254, 40, 337, 122}, {254, 40, 537, 122}}},
    {{{3, 26, 594, 142}, {3, 26, 794, 142}}},
    {{{3, 172, 594, 245}, {3, 172, 794, 385}}},
    {{{78, 113, 80, 20}, {78, 113, 80, 20}}},
    {{{168, 113, 80, 20}, {168, 113, 80, 20}}},
    {{{10, 46, 65, 20}, {10, 46, 65, 20}}},
    {{{10, 70, 65, 20}, {10, 70, 65, 20}}},
    {{{10, 94, 65, 20}, {10, 94, 65, 20}}},
    {{{10, 118, 65, 20}, {10, 118, 65, 20}}},
    {{{10, 192, 65, 18}, {10, 192, 65, 18}}},
    {{{10, 216, 65, 18}, {10, 216, 65, 18}}},
    {{{160, 111, 8, 20}, {160, 111, 8, 20}}},
    {{{78, 139, 80, 22}, {78, 139, 80, 22}}},
    {{{10, 388, 76, 22}, {10, 528, 76, 22}}},
    {{{90, 388, 76, 22}, {90, 528, 76, 22}}},
    {{{170, 388, 76, 22}, {170, 528, 76, 22}}},
    {{{250, 388, 76, 22}, {250, 528, 76, 22}}},
    {{{78, 41, 170, 20}, {78, 41, 170, 20}}},
    {{{78, 65, 170, 20}, {78, 65, 170, 20}}},
    {{{78, 89, 170, 20}, {78, 89, 170, 20}}},
    {{{80, 187, 510, 20}, {80, 187, 710, 20}}},
    {{{80, 211, 510, 20}, {80, 211, 710, 20}}},
    {{{10, 235, 580, 147}, {10, 235, 780, 287}}},
};
const ExpectedRects kPasswordRects = {
    {{{10, 41, 580, 202}, {10, 41, 780, 342}}},
    {{{3, 26, 594, 225}, {3, 26, 794, 365}}},
    {{{3, 255, 594, 162}, {3, 395, 794, 162}}},
    {{{10, 275, 65, 18}, {10, 415, 65, 18}}},
    {{{10, 299, 65, 18}, {10, 439, 65, 18}}},
    {{{10, 323, 65, 18}, {10, 463, 65, 18}}},
    {{{10, 388, 76, 22}, {10, 528, 76, 22}}},
    {{{90, 388, 76, 22}, {90, 528, 76, 22}}},
    {{{170, 388, 76, 22}, {170, 528, 76, 22}}},
    {{{250, 388, 76, 22}, {250, 528, 76, 22}}},
    {{{80, 270, 510, 20}, {80, 410, 710, 20}}},
    {{{80, 294, 510, 20}, {80, 434, 710, 20}}},
    {{{80, 318, 510, 20}, {80, 458, 710, 20}}},
    {{{10, 342, 580, 40}, {10, 482, 780, 40}}},
};
const ExpectedRects kPhoneRects = {
    {{{10, 41, 321, 369}, {10, 41, 521, 509}}},
    {{{3, 26, 335, 391}, {3, 26, 535, 531}}},
    {{{343, 26, 254, 391}, {543, 26, 254, 531}}},
    {{{350, 44, 90, 18}, {550, 44, 90, 18}}},
    {{{350, 66, 90, 18}, {550, 66, 90, 18}}},
    {{{350, 88, 90, 18}, {550, 88, 90, 18}}},
    {{{350, 110, 90, 18}, {550, 110, 90, 18}}},
    {{{350, 132, 90, 18}, {550, 132, 90, 18}}},
    {{{350, 154, 90, 18}, {550, 154, 90, 18}}},
    {{{350, 176, 90, 18}, {550, 176, 90, 18}}},
    {{{350, 198, 90, 18}, {550, 198, 90, 18}}},
    {{{350, 220, 90, 18}, {550, 220, 90, 18}}},
    {{{350, 242, 90, 18}, {550, 242, 90, 18}}},
    {{{350, 264, 90, 18}, {550, 264, 90, 18}}},
    {{{350, 286, 90, 18}, {550, 286, 90, 18}}},
    {{{350, 308, 90, 18}, {550, 308, 90, 18}}},
    {{{350, 362, 76, 22}, {550, 502, 76, 22}}},
    {{{430, 362, 76, 22}, {630, 502, 76, 22}}},
    {{{350, 388, 76, 22}, {550, 528, 76, 22}}},
    {{{430, 388, 76, 22}, {630, 528, 76, 22}}},
    {{{440, 41, 150, 20}, {640, 41, 150, 20}}},
    {{{440, 63, 150, 20}, {640, 63, 150, 20}}},
    {{{440, 85, 150, 20}, {640, 85, 150, 20}}},
    {{{440, 107, 150, 20}, {640, 107, 150, 20}}},
    {{{440, 129, 150, 20}, {640, 129, 150, 20}}},
    {{{440, 151, 150, 20}, {640, 151, 150, 20}}},
    {{{440, 173, 150, 20}, {640, 173, 150, 20}}},
    {{{440, 195, 150, 20}, {640, 195, 150, 20}}},
    {{{440, 217, 150, 20}, {640, 217, 150, 20}}},
    {{{440, 239, 150, 20}, {640, 239, 150, 20}}},
    {{{440, 261, 150, 20}, {640, 261, 150, 20}}},
    {{{440, 283, 150, 20}, {640, 283, 150, 20}}},
    {{{440, 305, 150, 20}, {640, 305, 150, 20}}},
    {{{350, 327, 240, 29}, {550, 327, 240, 169}}},
};

void ExpectLayout(PageKind kind, const ExpectedRects& rects) {
  PageHost host(kind, u"<Database></Database>");
  for (std::size_t size = 0; size < 2; ++size) {
    const SIZE client = kSizes[size];
    SCOPED_TRACE(std::to_string(client.cx) + "x" + std::to_string(client.cy));
    host.Resize(client.cx, client.cy);
    RECT actualClient{};
    GetClientRect(host.window(), &actualClient);
    ASSERT_EQ(actualClient.right, client.cx);
    ASSERT_EQ(actualClient.bottom, client.cy);
    const auto& controls = host.page().controls();
    ASSERT_EQ(controls.size(), rects.size());
    for (std::size_t slot = 0; slot < controls.size(); ++slot) {
      const RECT actual = ChildRect(controls[slot]);
      const Rect& expected = rects[slot].atSize[size];
      EXPECT_EQ(actual.left, expected.x) << "control " << slot;
      EXPECT_EQ(actual.top, expected.y) << "control " << slot;
      EXPECT_EQ(actual.right - actual.left, expected.width) << "control " << slot;
      EXPECT_EQ(actual.bottom - actual.top, expected.height) << "control " << slot;
      EXPECT_TRUE(IsWindowVisible(controls[slot])) << "control " << slot;
    }
  }
}

TEST(PageLayoutTest, NotePagePlacesItsControlsForTwoClientSizes) {
  ExpectLayout(PageKind::kNote, kNoteRects);
}

TEST(PageLayoutTest, PasswordPagePlacesItsControlsForTwoClientSizes) {
  ExpectLayout(PageKind::kPassword, kPasswordRects);
}

TEST(PageLayoutTest, PhonePagePlacesItsControlsForTwoClientSizes) {
  ExpectLayout(PageKind::kPhone, kPhoneRects);
}

}  // namespace
}  // namespace ondrel::test
