// The rectangles each page's layout gives its controls for two client sizes:
// the parts that follow the window's width or height, and those that stay.
#include <gtest/gtest.h>

#include <string>

#include "tests/pages/page_cases.h"
#include "tests/pages/page_layout_rects.h"

namespace ondrel::test {
namespace {

void ExpectLayout(PageKind kind) {
  const ExpectedRects& rects = LayoutRectsAt100(kind);
  PageHost host(kind, u"<Database></Database>");
  for (std::size_t size = 0; size < 2; ++size) {
    const SIZE client = kLayoutSizes[size];
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
  ExpectLayout(PageKind::kNote);
}

TEST(PageLayoutTest, PasswordPagePlacesItsControlsForTwoClientSizes) {
  ExpectLayout(PageKind::kPassword);
}

TEST(PageLayoutTest, PhonePagePlacesItsControlsForTwoClientSizes) {
  ExpectLayout(PageKind::kPhone);
}

}  // namespace
}  // namespace ondrel::test
