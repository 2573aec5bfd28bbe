#include "organiser/store/text_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace ondrel::test {
namespace {

// The wide scans (eight or four units per step) must answer exactly as the standard find does, at
// every start position, for units at every offset within a word and for
// neighbours that differ from the unit by one bit.
TEST(TextScanTest, AgreesWithTheStandardFindEverywhere) {
  std::mt19937 random(7);
  const char16_t alphabet[] = {u'<', u'&', u'a', u'/', u'D', u'=', u'>', 0x3C3C, 0x013C,
                               0x3D, 0x00, 0xFFFF, 0x803C};
  std::uniform_int_distribution<std::size_t> pick(0, std::size(alphabet) - 1);
  const TextView patterns[] = {u"<", u"&", u"</D", u"<a>", u"", u"\xFFFF\x803C"};
  for (int round = 0; round < 300; ++round) {
    Text text(round % 71, u'x');
    for (char16_t& unit : text) unit = alphabet[pick(random)];
    for (std::size_t from = 0; from <= text.size() + 1; ++from) {
      for (char16_t unit : alphabet) {
        ASSERT_EQ(FindUnit(text, unit, from), TextView(text).find(unit, from))
            << "round " << round << " from " << from;
      }
      for (TextView pattern : patterns) {
        ASSERT_EQ(FindText(text, pattern, from), TextView(text).find(pattern, from))
            << "round " << round << " from " << from;
      }
      // A tag named from 'D', opening or closing: the first "<D" or "</D".
      const std::size_t opening = TextView(text).find(u"<D", from);
      const std::size_t closing = TextView(text).find(u"</D", from);
      ASSERT_EQ(FindTagStart(text, u'D', from), std::min(opening, closing))
          << "round " << round << " from " << from;
    }
  }
}

}  // namespace
}  // namespace ondrel::test
