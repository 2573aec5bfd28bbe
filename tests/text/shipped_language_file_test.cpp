// The "ondrel.lng" that the build ships: its bytes have the shape the
// loader expects, and it answers every text the organiser looks up.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "organiser/platform/platform.h"
#include "organiser/store/file_system.h"
#include "organiser/text/language_table.h"

namespace ondrel::test {
namespace {

// Every (section, key) pair that the shell and the pages look up.
struct TextKey {
  const char16_t* section;
  const char16_t* key;
};

const TextKey kOrganiserTexts[] = {
    {u"MainWindow", u"SoftwareTitle"},   {u"MainWindow", u"Tab1"},
    {u"MainWindow", u"Tab2"},            {u"MainWindow", u"Tab3"},
    {u"MainWindow", u"MessageWarning"},  {u"MainWindow", u"MessageSaveQuestion"},
    {u"MainWindow", u"MessageSaveFailed"}, {u"MainWindow", u"ButtonSave"},
    {u"MainWindow", u"ButtonCancel"},    {u"MainWindow", u"ButtonRemove"},
    {u"MainWindow", u"ButtonNew"},       {u"MainWindow", u"MessageLoadFailed"},
    {u"MainWindow", u"MessageLoadDamaged"}, {u"MainWindow", u"MessageRemoveFailed"},
    {u"MainWindow", u"MessageFileChanged"},

    {u"NotePage", u"HeaderLastChange"},  {u"NotePage", u"HeaderKeywords"},
    {u"NotePage", u"HeaderSubject"},     {u"NotePage", u"LabelSearchPanel"},
    {u"NotePage", u"LabelDocument"},     {u"NotePage", u"LabelSubject"},
    {u"NotePage", u"LabelKeywords"},     {u"NotePage", u"LabelBody"},
    {u"NotePage", u"LabelLastChange"},   {u"NotePage", u"ButtonFind"},

    {u"PasswordPage", u"HeaderSite"},    {u"PasswordPage", u"HeaderLogin"},
    {u"PasswordPage", u"LabelListPanel"}, {u"PasswordPage", u"LabelDocument"},
    {u"PasswordPage", u"LabelSite"},     {u"PasswordPage", u"LabelLogin"},
    {u"PasswordPage", u"LabelPassword"},

    {u"PhonePage", u"HeaderName"},       {u"PhonePage", u"HeaderEmail"},
    {u"PhonePage", u"HeaderHomePhone"},  {u"PhonePage", u"LabelListPanel"},
    {u"PhonePage", u"LabelDocument"},    {u"PhonePage", u"FirstName"},
    {u"PhonePage", u"MiddleName"},       {u"PhonePage", u"LastName"},
    {u"PhonePage", u"NicName"},          {u"PhonePage", u"Email"},
    {u"PhonePage", u"HomePhone"},        {u"PhonePage", u"Mobile"},
    {u"PhonePage", u"BusinessPhone"},    {u"PhonePage", u"JobTitle"},
    {u"PhonePage", u"Department"},       {u"PhonePage", u"CompanyName"},
    {u"PhonePage", u"Icq"},              {u"PhonePage", u"BirthDay"},
};

Text ShippedFilePath() {
  const std::string path = ONDREL_SHIPPED_LANGUAGE_FILE;
  return Text(path.begin(), path.end());
}

Text Printable(const char16_t* text) {
  return text == nullptr ? Text(u"(null)") : Text(text);
}

std::string Narrow(const Text& text) {
  std::string narrow;
  for (char16_t unit : text) narrow += unit < 0x80 ? static_cast<char>(unit) : '?';
  return narrow;
}

class ShippedLanguageFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files_ = NewPlatformFileSystem();
    ASSERT_TRUE(files_->ReadAll(ShippedFilePath(), bytes_)) << ONDREL_SHIPPED_LANGUAGE_FILE;
  }

  std::unique_ptr<FileSystem> files_;
  std::vector<unsigned char> bytes_;
};

TEST_F(ShippedLanguageFileTest, IsUtf16WithMarkAndCrLfAfterEveryLine) {
  ASSERT_GE(bytes_.size(), 4u);
  EXPECT_EQ(bytes_.size() % 2, 0u);
  EXPECT_EQ(bytes_[0], 0xFF);
  EXPECT_EQ(bytes_[1], 0xFE);
  std::size_t lineEnds = 0;
  for (std::size_t i = 2; i + 1 < bytes_.size(); i += 2) {
    const unsigned unit = bytes_[i] | (bytes_[i + 1] << 8);
    if (unit == u'\n') {
      ASSERT_GE(i, 4u);
      EXPECT_EQ(bytes_[i - 2] | (bytes_[i - 1] << 8), u'\r') << "LF without CR at byte " << i;
      ++lineEnds;
    }
    if (unit == u'\r') {
      ASSERT_LT(i + 3, bytes_.size()) << "CR without LF at the end";
      EXPECT_EQ(bytes_[i + 2] | (bytes_[i + 3] << 8), u'\n') << "CR without LF at byte " << i;
    }
    EXPECT_NE(unit, 0u) << "zero unit at byte " << i;
  }
  EXPECT_GT(lineEnds, 40u);
  const std::size_t n = bytes_.size();
  EXPECT_EQ(bytes_[n - 4] | (bytes_[n - 3] << 8), u'\r');
  EXPECT_EQ(bytes_[n - 2] | (bytes_[n - 1] << 8), u'\n');
}

TEST_F(ShippedLanguageFileTest, AnswersEveryTextOfTheOrganiser) {
  LanguageTable table;
  ASSERT_TRUE(table.Load(*files_, ShippedFilePath()));
  for (const TextKey& text : kOrganiserTexts) {
    const char16_t* found = table.Lookup(text.section, text.key);
    ASSERT_NE(found, nullptr) << Narrow(text.section) << " / " << Narrow(text.key);
    EXPECT_FALSE(Text(found).empty()) << Narrow(text.section) << " / " << Narrow(text.key);
  }
}

TEST_F(ShippedLanguageFileTest, KnownTextsReadBackExactly) {
  LanguageTable table;
  ASSERT_TRUE(table.Load(*files_, ShippedFilePath()));
  EXPECT_EQ(Printable(table.Lookup(u"MainWindow", u"Tab1")), u"Notes");
  EXPECT_EQ(Printable(table.Lookup(u"MainWindow", u"Tab2")), u"Passwords");
  EXPECT_EQ(Printable(table.Lookup(u"MainWindow", u"Tab3")), u"Phone Book");
  // The save warning names the file and tells the user how to retry.
  const Text saveFailed = Printable(table.Lookup(u"MainWindow", u"MessageSaveFailed"));
  EXPECT_NE(saveFailed.find(u"ondrel.db"), Text::npos);
  EXPECT_NE(saveFailed.find(u"Save"), Text::npos);
  // The start warnings name the file; the shell puts the backup's name in
  // place of "%1".
  EXPECT_NE(Printable(table.Lookup(u"MainWindow", u"MessageLoadFailed")).find(u"\"ondrel.db\""),
            Text::npos);
  EXPECT_NE(Printable(table.Lookup(u"MainWindow", u"MessageLoadDamaged")).find(u"\"%1\""),
            Text::npos);
  // A failed removal says so, not that edits wait in the form; the notice
  // of another program's version names its backup.
  const Text removeFailed = Printable(table.Lookup(u"MainWindow", u"MessageRemoveFailed"));
  EXPECT_NE(removeFailed.find(u"removed"), Text::npos);
  EXPECT_EQ(removeFailed.find(u"form"), Text::npos);
  EXPECT_NE(Printable(table.Lookup(u"MainWindow", u"MessageFileChanged")).find(u"\"%1\""),
            Text::npos);
}

}  // namespace
}  // namespace ondrel::test
