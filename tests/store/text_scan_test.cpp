#include "organiser/store/text_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

namespace ondrel::test {
namespace {

// Each build runs the path it is made for: SSE2 natively on x86-64 and in
// the 64-bit Windows build, plain words in the shipped 32-bit program and
// in the native build made without SSE2 to test that path.
TEST(TextScanTest, RunsThePathThisBuildIsMadeFor) {
  const std::string path = ScanUsesSse2() ? "SSE2" : "plain words";
  std::printf("text scan path: %s\n", path.c_str());
#ifdef ONDREL_EXPECT_SCAN_PATH
  EXPECT_EQ(path, ONDREL_EXPECT_SCAN_PATH);
#else
  GTEST_SKIP() << "no path expected on this processor";
#endif
}

// The wide scans (eight or four units per step) must answer exactly as the
// standard find does, at every start position, for units at every offset
// within a word and for neighbours that differ from the unit by one bit.
// The text is a view into a longer one whose next units would complete a
// tag or a pattern: a scan that looked past its end would find them.
TEST(TextScanTest, AgreesWithTheStandardFindEverywhere) {
  std::mt19937 random(7);
  const char16_t alphabet[] = {u'<', u'&', u'a', u'/', u'D', u'=', u'>', 0x3C3C, 0x013C,
                               0x3D, 0x00, 0xFFFF, 0x803C};
  std::uniform_int_distribution<std::size_t> pick(0, std::size(alphabet) - 1);
  const TextView patterns[] = {u"<", u"&", u"</D", u"<a>", u"", u"\xFFFF\x803C"};
  for (int round = 0; round < 300; ++round) {
    Text buffer(round % 71, u'x');
    for (char16_t& unit : buffer) unit = alphabet[pick(random)];
    if (round % 3 == 0 && buffer.size() >= 2) buffer.replace(buffer.size() - 2, 2, u"</");
    const std::size_t size = buffer.size();
    buffer += u"D</D<D&<a>\xFFFF\x803C";
    const TextView text = TextView(buffer).substr(0, size);
    for (std::size_t from = 0; from <= text.size() + 1; ++from) {
      for (char16_t unit : alphabet) {
        ASSERT_EQ(FindUnit(text, unit, from), text.find(unit, from))
            << "round " << round << " from " << from;
      }
      for (TextView pattern : patterns) {
        ASSERT_EQ(FindText(text, pattern, from), text.find(pattern, from))
            << "round " << round << " from " << from;
      }
      // A tag named from 'D', opening or closing: the first "<D" or "</D".
      const std::size_t opening = text.find(u"<D", from);
      const std::size_t closing = text.find(u"</D", from);
      ASSERT_EQ(FindTagStart(text, u'D', from), std::min(opening, closing))
          << "round " << round << " from " << from;
    }
  }
}

}  // namespace
}  // namespace ondrel::test
