#include "organiser/store/utf16_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace ondrel::test {
namespace {

using Bytes = std::vector<unsigned char>;

struct Case {
  const char* name;
  Text text;
  Bytes bytes;  // spelled out, not computed
};

// Units the file may hold whatever they mean: surrogates alone or in pairs,
// zero units, the byte-order mark and its swapped twin.
const Case kCases[] = {
    {"empty", u"", {}},
    {"ascii", u"<A>", {0x3C, 0, 0x41, 0, 0x3E, 0}},
    {"surrogate pair", u"\xD83D\xDE00", {0x3D, 0xD8, 0x00, 0xDE}},
    {"lone high surrogate", Text(1, u'\xD800'), {0x00, 0xD8}},
    {"lone low surrogate", Text(1, u'\xDFFF'), {0xFF, 0xDF}},
    {"zero unit and marks", Text(u"\xFEFF") + u'\0' + u"\xFFFE", {0xFF, 0xFE, 0, 0, 0xFE, 0xFF}},
    {"high and low bytes apart", u"\x00FF\xFF00", {0xFF, 0x00, 0x00, 0xFF}},
};

TEST(Utf16BytesTest, EncodesAndDecodesAnyUnitsLittleEndian) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LittleEndianBytes(c.text), c.bytes);
    EXPECT_EQ(TextOfLittleEndianBytes(c.bytes), c.text);

    // At an odd address, where no char16_t could stand.
    Bytes shifted(c.bytes.size() + 1, 0xAA);
    EncodeLittleEndian(c.text, shifted.data() + 1);
    EXPECT_EQ(Bytes(shifted.begin() + 1, shifted.end()), c.bytes);
    EXPECT_EQ(shifted[0], 0xAA);
    Text decoded(c.text.size(), u'?');
    DecodeLittleEndian(shifted.data() + 1, c.text.size(), decoded.data());
    EXPECT_EQ(decoded, c.text);
  }
}

// A file read into its own units buffer is put in host order where it lies.
TEST(Utf16BytesTest, DecodesInPlace) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<char16_t> units(c.text.size() + 1, u'?');
    if (!c.bytes.empty()) std::memcpy(units.data(), c.bytes.data(), c.bytes.size());
    DecodeLittleEndian(reinterpret_cast<const unsigned char*>(units.data()), c.text.size(),
                       units.data());
    EXPECT_EQ(Text(units.data(), c.text.size()), c.text);
    EXPECT_EQ(units.back(), u'?');  // nothing written past the units
  }
}

TEST(Utf16BytesTest, AnOddLastByteIsLeftOut) {
  EXPECT_EQ(TextOfLittleEndianBytes(Bytes{0x41, 0x00, 0x42}), u"A");
  EXPECT_EQ(TextOfLittleEndianBytes(Bytes{0x41}), u"");
}

}  // namespace
}  // namespace ondrel::test
