#include "organiser/store/markup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace ondrel::test {
namespace {

// One set of elements looked for together.
struct TagSetCase {
  const char* name;
  std::vector<TextView> open;
  std::vector<TextView> close;
};

// Sets that exercise what the walk assumes: the tag after the last one
// found is tried first, the first match at a place ends the look only when
// no tag is a prefix of another or given twice, and closing tags are passed
// over only when no opening tag starts with "</".
const TagSetCase kTagSets[] = {
    {"distinct tags", {u"<A>", u"<B>", u"<Body>"}, {u"</A>", u"</B>", u"</Body>"}},
    {"one tag a prefix of another", {u"<B", u"<Body>", u"<A>"}, {u"</B>", u"</Body>", u"</A>"}},
    {"the same tag twice", {u"<Body>", u"<A>", u"<Body>"}, {u"</Body>", u"</A>", u"</Body>"}},
    {"an opening tag that starts with a slash", {u"</A>", u"<A>"}, {u"</B>", u"</A>"}},
    {"a tag that is a lone '<'", {u"<A>", u"<"}, {u"</A>", u"</A>"}},
};

// Random texts made of tag pieces, in and out of order, with missing and
// repeated elements and closing tags.
Text RandomText(std::mt19937& random) {
  const TextView pieces[] = {u"<A>", u"</A>", u"<B>", u"</B>", u"<Body>", u"</Body>",
                             u"<Bo",  u"x",    u"&amp;", u"<",  u"/",      u"</Document>"};
  std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
  std::uniform_int_distribution<int> length(0, 14);
  Text text;
  for (int i = length(random); i > 0; --i) text.append(pieces[pick(random)]);
  return text;
}

TEST(ElementWalkerTest, FindsWhatEachElementReadAloneFinds) {
  std::mt19937 random(11);
  for (const TagSetCase& set : kTagSets) {
    const ElementTags tags(set.open.data(), set.close.data(), set.open.size());
    for (int round = 0; round < 400; ++round) {
      const Text text = RandomText(random);
      std::vector<std::optional<TextView>> all(set.open.size());
      FindRawValues(text, tags, all.data());

      // The lazy walk, asked in an order of its own, must agree as well.
      std::vector<std::optional<TextView>> lazy(set.open.size());
      ElementWalker walker(text, tags, lazy.data());
      std::vector<std::size_t> order(set.open.size());
      for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
      std::shuffle(order.begin(), order.end(), random);

      for (std::size_t i : order) {
        const std::optional<TextView> alone = FindRawValue(text, set.open[i], set.close[i]);
        ASSERT_EQ(all[i], alone) << set.name << ", element " << i << " in "
                                 << std::string(text.begin(), text.end());
        ASSERT_EQ(walker.Value(i), alone) << set.name << ", element " << i << " (lazy) in "
                                          << std::string(text.begin(), text.end());
      }
    }
  }
}

}  // namespace
}  // namespace ondrel::test
