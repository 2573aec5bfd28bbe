#include "tests/pages/page_cases.h"

#include <cstring>

namespace ondrel::test {

int PageCase::KeyColumn() const {
  for (std::size_t c = 0; c < columnFields.size(); ++c) {
    if (columnFields[c] == keyField) return static_cast<int>(c);
  }
  return -1;
}

Text PageCase::Value(std::size_t record, std::size_t field) const {
  for (const auto& [tag, value] : records.at(record).elements) {
    if (std::strcmp(tag, formTags.at(field)) == 0) return T(value);
  }
  return Text();
}

Text PageCase::Element(const char* tag, const Text& value) const {
  return u"<" + T(tag) + u">" + value + u"</" + T(tag) + u">";
}

const std::vector<PageCase>& AllPageCases() {
  static const std::vector<PageCase> cases = {
      {"Note",
       PageKind::kNote,
       "NoteDocument",
       {
           {"NoteDocument", "05.03.2004 09:12",
            {{"Subject", "Shopping"}, {"Keywords", "home"}, {"Body", "milk and bread"}}},
           {"NoteDocument", "17.06.2009 14:30",
            {{"Subject", "Red car repair"}, {"Keywords", "car garage"},
             {"Body", "the red car needs new tyres"}}},
           {"NoteDocument", "18.06.2009 08:05",
            {{"Subject", "Holiday plans"}, {"Keywords", "travel"}, {"Body", "book the red hotel"}}},
       },
       102,
       {110, 111, 112},
       {"Subject", "Keywords", "Body"},
       {-1, 1, 0},
       0},
      {"Password",
       PageKind::kPassword,
       "PasswordDocument",
       {
           {"PasswordDocument", "02.02.2005 10:00",
            {{"Site", "example.org"}, {"Login", "alice"}, {"Password", "s3cret"}, {"Body", "work account"}}},
           {"PasswordDocument", "03.03.2006 11:00",
            {{"Site", "mail.test"}, {"Login", "bob"}, {"Password", "hunter2"}, {"Body", "mail"}}},
           {"PasswordDocument", "04.04.2007 12:00",
            {{"Site", "bank.test"}, {"Login", "carol"}, {"Password", "pin 1234"}}},
       },
       122,
       {127, 128, 129, 130},
       {"Site", "Login", "Password", "Body"},
       {0, 1},
       0},
      {"Phone",
       PageKind::kPhone,
       "PhoneDocument",
       {
           {"PhoneDocument", "05.05.2008 13:00",
            {{"FirstName", "Ann"}, {"LastName", "Lee"}, {"NicName", "annie"}, {"Email", "ann@example.org"},
             {"HomePhone", "555-0100"}, {"Body", "met at school"}}},
           {"PhoneDocument", "06.06.2009 14:00",
            {{"FirstName", "Bob"}, {"NicName", "bobby"}, {"Email", "bob@example.org"},
             {"HomePhone", "555-0101"}, {"BirthDay", "in spring"}}},
           {"PhoneDocument", "07.07.2010 15:00",
            {{"FirstName", "Cy"}, {"MiddleName", "J"}, {"NicName", "cy"}, {"Mobile", "555-0199"},
             {"CompanyName", "Acme"}, {"Icq", "12345"}}},
       },
       142,
       {147, 148, 149, 150, 151, 152, 153, 154, 155, 156, 157, 158, 159, 160},
       {"FirstName", "MiddleName", "LastName", "NicName", "Email", "HomePhone", "Mobile",
        "BusinessPhone", "JobTitle", "Department", "CompanyName", "Icq", "BirthDay", "Body"},
       {3, 4, 5},
       3},
  };
  return cases;
}

}  // namespace ondrel::test
