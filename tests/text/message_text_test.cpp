// Messages that name a file: the name, not the path, goes where "%1" stands.
#include <gtest/gtest.h>

#include "organiser/text/message_text.h"

namespace ondrel::test {
namespace {

TEST(MessageNamingFileTest, PutsTheFileNameInPlaceOfTheFirstPlaceholder) {
  struct Case {
    const char16_t* message;
    const char16_t* path;
    const char16_t* shown;
  };
  const Case cases[] = {
      {u"Kept as \"%1\" here.", u"C:\\Ondrel\\ondrel.db.bak", u"Kept as \"ondrel.db.bak\" here."},
      {u"%1", u"/home/user/ondrel.db.1.bak", u"ondrel.db.1.bak"},
      {u"Kept as %1, not %1.", u"ondrel.db.bak", u"Kept as ondrel.db.bak, not %1."},
      // A translation that lost the placeholder still names the file.
      {u"Kept aside.", u"C:\\a\\ondrel.db.bak", u"Kept aside. ondrel.db.bak"},
      {u"", u"C:\\a\\b.bak", u" b.bak"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MessageNamingFile(c.message, c.path), Text(c.shown));
  }
}

}  // namespace
}  // namespace ondrel::test
