#include "organiser/store/document_kinds.h"

#include <string>

#include "tests/store/store_fixture.h"

namespace ondrel::test {
namespace {

class DocumentKindsTest : public StoreTest {};

// Every field of every kind gets a text of its own, survives a save and a
// reload, and comes back under the same index.
TEST_F(DocumentKindsTest, EveryFieldOfEveryKindRoundTrips) {
  const char16_t* kinds[] = {NoteDocument::kTypeName, PasswordDocument::kTypeName,
                             PhoneDocument::kTypeName};
  for (const char16_t* kind : kinds) {
    FieldedDocument* document = Fielded(database_->CreateDocument(kind));
    ASSERT_NE(document, nullptr);
    for (std::size_t i = 0; i < document->FieldCount(); ++i) {
      Text value = Text(kind) + u" field " + Text(document->FieldName(i)) + u"\r\nline 2";
      document->SetField(document->Field(i), TextView(value));
    }
    ASSERT_TRUE(database_->Save(document));
  }

  std::unique_ptr<Database> reloaded = Reloaded();
  ASSERT_EQ(reloaded->DocumentCount(), 3u);
  for (std::uint32_t d = 0; d < 3; ++d) {
    FieldedDocument* original = Fielded(database_->DocumentAt(d));
    FieldedDocument* loaded = Fielded(reloaded->DocumentAt(d));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(TextView(loaded->TypeName()), TextView(original->TypeName()));
    EXPECT_FALSE(loaded->IsDirty());
    EXPECT_EQ(loaded->GetCreateDate(), original->GetCreateDate());
    EXPECT_EQ(loaded->GetModifyDate(), original->GetModifyDate());
    for (std::size_t i = 0; i < loaded->FieldCount(); ++i) {
      EXPECT_EQ(loaded->Field(i), original->Field(i)) << "field " << i;
    }
  }
}

TEST_F(DocumentKindsTest, FieldsAreWrittenInEachKindsOrderAndEmptyOnesLeftOut) {
  struct Case {
    const char16_t* kind;
    std::size_t fields[3];
    std::size_t fieldCount;
    const char16_t* elements;
  };
  const Case cases[] = {
      {NoteDocument::kTypeName,
       {NoteDocument::kBody, NoteDocument::kKeywords, NoteDocument::kSubject}, 3,
       u"<Subject>v</Subject><Keywords>v</Keywords><Body>v</Body>"},
      {NoteDocument::kTypeName, {NoteDocument::kBody, NoteDocument::kKeywords}, 2,
       u"<Keywords>v</Keywords><Body>v</Body>"},
      {PhoneDocument::kTypeName, {PhoneDocument::kMobile, PhoneDocument::kLastName}, 2,
       u"<LastName>v</LastName><Mobile>v</Mobile>"},
      {PasswordDocument::kTypeName,
       {PasswordDocument::kBody, PasswordDocument::kPassword, PasswordDocument::kSite}, 3,
       u"<Site>v</Site><Password>v</Password><Body>v</Body>"},
  };
  for (const Case& c : cases) {
    FieldedDocument* document = Fielded(database_->CreateDocument(c.kind));
    for (std::size_t i = 0; i < c.fieldCount; ++i) {
      document->SetField(document->Field(c.fields[i]), TextView(u"v"));
    }
    ASSERT_TRUE(database_->Save(document));
    Text expected = u"<Document><DocumentType>" + Text(c.kind) +
                    u"</DocumentType><CreateDate>05.03.2024 09:07</CreateDate>"
                    u"<ModifyDate>05.03.2024 09:07</ModifyDate>" +
                    c.elements + u"</Document>";
    EXPECT_EQ(document->GetText(), expected);
  }
}

// The stored text of each kind, written out in full: the tag names and
// their order are what files of earlier versions hold.
TEST_F(DocumentKindsTest, EachKindIsStoredAsExactlyThisText) {
  struct Case {
    const char16_t* kind;
    const char16_t* fields;  // after the envelope
  };
  const Case cases[] = {
      {NoteDocument::kTypeName, u"<Subject>v0</Subject><Keywords>v2</Keywords><Body>v1</Body>"},
      {PasswordDocument::kTypeName,
       u"<Site>v0</Site><Login>v1</Login><Password>v2</Password><Body>v3</Body>"},
      {PhoneDocument::kTypeName,
       u"<FirstName>v0</FirstName><MiddleName>v1</MiddleName><LastName>v2</LastName>"
       u"<NicName>v3</NicName><Email>v4</Email><HomePhone>v5</HomePhone><Mobile>v6</Mobile>"
       u"<BusinessPhone>v7</BusinessPhone><JobTitle>v8</JobTitle><Department>v9</Department>"
       u"<CompanyName>v10</CompanyName><Icq>v11</Icq><BirthDay>v12</BirthDay><Body>v13</Body>"},
  };
  for (const Case& c : cases) {
    FieldedDocument* document = Fielded(database_->CreateDocument(c.kind));
    for (std::size_t i = 0; i < document->FieldCount(); ++i) {
      const std::string number = std::to_string(i);
      document->SetField(document->Field(i), TextView(u"v" + Text(number.begin(), number.end())));
    }
    ASSERT_TRUE(database_->Save(document));
    EXPECT_EQ(document->GetText(), u"<Document><DocumentType>" + Text(c.kind) +
                                       u"</DocumentType><CreateDate>05.03.2024 09:07</CreateDate>"
                                       u"<ModifyDate>05.03.2024 09:07</ModifyDate>" +
                                       c.fields + u"</Document>");
  }
}

// A note holding what the note kind does not read keeps it, exactly as
// read, after its fields whenever it is written anew.
TEST_F(DocumentKindsTest, WhatAKindDoesNotReadIsWrittenBackAfterItsFields) {
  struct Case {
    const char* what;
    const char16_t* stored;    // the elements after <CreateDate>
    const char16_t* rewritten;  // the same after the subject became "edited"
  };
  const Case cases[] = {
      {"element of a newer version", u"<Subject>s</Subject><Colour>red</Colour><Body>b</Body>",
       u"<Subject>edited</Subject><Body>b</Body><Colour>red</Colour>"},
      {"second Body", u"<Subject>s</Subject><Body>b</Body><Body>second</Body>",
       u"<Subject>edited</Subject><Body>b</Body><Body>second</Body>"},
      {"text between elements", u"\r\n  <Subject>s</Subject>\r\n  <Body>b</Body>\r\n",
       u"<Subject>edited</Subject><Body>b</Body>\r\n  \r\n  \r\n"},
      {"empty field before a second one", u"<Subject>s</Subject><Body></Body><Body>second</Body>",
       u"<Subject>edited</Subject><Body></Body><Body>second</Body>"},
      {"missing closing tag", u"<Subject>s<Extra/>x</Document>",
       u"<Subject>edited</Subject><Extra/>x"},
      {"a known element inside a field", u"<Subject>a<Body>b</Body>c</Subject><Body>d</Body>",
       u"<Subject>edited</Subject><Body>b</Body><Body>d</Body>"},
      {"elements nested in an unknown one",
       u"<Extra><Keywords>k</Keywords><Inner>i</Inner></Extra><Subject>s</Subject>",
       u"<Subject>edited</Subject><Keywords>k</Keywords><Extra><Inner>i</Inner></Extra>"},
      {"a second creation date",
       u"<Subject>s</Subject><CreateDate>later</CreateDate>",
       u"<Subject>edited</Subject><CreateDate>later</CreateDate>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Text envelope =
        u"<Document><DocumentType>NoteDocument</DocumentType><CreateDate>01.02.2020 10:00"
        u"</CreateDate>";
    Text stored = envelope + u"<ModifyDate>02.02.2020 10:00</ModifyDate>" + c.stored;
    if (stored.size() < 11 || stored.compare(stored.size() - 11, 11, u"</Document>") != 0) {
      stored += u"</Document>";
    }
    PutFile(u"<Database>" + stored + u"</Database>");
    database_ = Reloaded();
    EXPECT_FALSE(lastLoad_.damaged);
    auto* note = static_cast<NoteDocument*>(database_->DocumentAt(0));
    const Text unread = note->UnreadText();
    note->SetField(note->subject(), TextView(u"edited"));
    ASSERT_TRUE(database_->Save(note));
    EXPECT_EQ(FileText(), u"<Database>" + envelope + u"<ModifyDate>05.03.2024 09:07</ModifyDate>" +
                              c.rewritten + u"</Document></Database>");
    std::unique_ptr<Database> reloaded = Reloaded();
    auto* again = static_cast<NoteDocument*>(reloaded->DocumentAt(0));
    EXPECT_EQ(again->subject(), Text(u"edited"));
    EXPECT_EQ(again->body(), note->body());
    EXPECT_EQ(again->UnreadText(), unread);
  }
}

// A creation date stored empty stays empty: the rewrite keeps an empty
// element first, so the one kept unread further on is not read instead.
TEST_F(DocumentKindsTest, AnEmptyCreationDateStaysTheOneReadFirst) {
  PutFile(u"<Database><Document><DocumentType>NoteDocument</DocumentType><CreateDate>"
          u"</CreateDate><Subject>s</Subject><CreateDate>later</CreateDate></Document>"
          u"</Database>");
  database_ = Reloaded();
  auto* note = static_cast<NoteDocument*>(database_->DocumentAt(0));
  ASSERT_EQ(note->GetCreateDate(), Text());
  note->SetField(note->subject(), TextView(u"edited"));
  ASSERT_TRUE(database_->Save(note));
  std::unique_ptr<Database> reloaded = Reloaded();
  auto* again = static_cast<NoteDocument*>(reloaded->DocumentAt(0));
  EXPECT_EQ(again->GetCreateDate(), Text());
  EXPECT_EQ(again->UnreadText(), u"<CreateDate>later</CreateDate>");
}

// A document made new again, whatever it held, has no field, no text and
// nothing unread.
TEST_F(DocumentKindsTest, InitNewForgetsEveryField) {
  for (const char16_t* kind :
       {NoteDocument::kTypeName, PasswordDocument::kTypeName, PhoneDocument::kTypeName}) {
    SCOPED_TRACE(std::string(TextView(kind).begin(), TextView(kind).end()));
    FieldedDocument* document = Fielded(database_->CreateDocument(kind));
    document->LoadFromText(u"<Document><DocumentType>" + Text(kind) +
                           u"</DocumentType><Extra>x</Extra></Document>");
    for (std::size_t i = 0; i < document->FieldCount(); ++i) {
      document->SetField(document->Field(i), TextView(u"v"));
    }
    ASSERT_TRUE(database_->Save(document));
    ASSERT_FALSE(document->UnreadText().empty());
    document->InitNew();
    for (std::size_t i = 0; i < document->FieldCount(); ++i) {
      EXPECT_FALSE(document->Field(i).has_value()) << "field " << i;
    }
    EXPECT_TRUE(document->StoredText().empty());
    EXPECT_TRUE(document->UnreadText().empty());
    EXPECT_FALSE(document->IsDirty());
  }
}

TEST_F(DocumentKindsTest, MissingElementsReadAsNoValueAndTheRestIsKept) {
  PasswordDocument password(clock_);
  password.LoadFromText(
      u"<Document><DocumentType>PasswordDocument</DocumentType><Site>example</Site>"
      u"<Password>secret</Password></Document>");
  EXPECT_EQ(password.site(), Text(u"example"));
  EXPECT_FALSE(password.login().has_value());
  EXPECT_EQ(password.password(), Text(u"secret"));
  EXPECT_FALSE(password.GetCreateDate().has_value());
  EXPECT_EQ(password.DayNumber(), 0);
}

// The kinds read all their elements in one pass; it must give what reading
// each element on its own gives, whatever the block holds.
TEST_F(DocumentKindsTest, ParsingMatchesReadingEachElementAlone) {
  const char16_t* blocks[] = {
      u"<Document><Subject>a<Body>b</Body></Subject><Body>c</Body></Document>",
      u"<Document><Body>x</Body><Subject>s<Keywords>k</Document>",
      u"<Document><<Subject>>&lt;&amp;</Subject><Subject>second</Subject></Document>",
      u"<Document><CreateDate>1<ModifyDate>2</ModifyDate></CreateDate></Document>",
      u"<Document><Subject></Subject><Keywords></Document>",
  };
  for (const char16_t* block : blocks) {
    NoteDocument note(clock_);
    note.LoadFromText(block);
    for (std::size_t i = 0; i < note.FieldCount(); ++i) {
      Text name(note.FieldName(i));
      EXPECT_EQ(note.Field(i), note.ExtractTag(u"<" + name + u">", u"</" + name + u">"))
          << "field " << i;
    }
    EXPECT_EQ(note.GetCreateDate(), note.ExtractTag(u"<CreateDate>", u"</CreateDate>"));
    EXPECT_EQ(note.GetModifyDate(), note.ExtractTag(u"<ModifyDate>", u"</ModifyDate>"));
  }
}

TEST_F(DocumentKindsTest, KindNamesCompareExactly) {
  EXPECT_NE(ConstructKind(u"NoteDocument", clock_), nullptr);
  EXPECT_NE(ConstructKind(u"PasswordDocument", clock_), nullptr);
  EXPECT_NE(ConstructKind(u"PhoneDocument", clock_), nullptr);
  EXPECT_EQ(ConstructKind(u"notedocument", clock_), nullptr);
  EXPECT_EQ(ConstructKind(u"Document", clock_), nullptr);
  EXPECT_EQ(ConstructKind(u"", clock_), nullptr);
  EXPECT_EQ(database_->CreateDocument(u"NoteDocumentX"), nullptr);
}

}  // namespace
}  // namespace ondrel::test
