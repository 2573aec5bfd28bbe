#include "organiser/store/document_kinds.h"

#include "organiser/store/markup.h"

namespace ondrel {
namespace {

// Opening and closing tags of up to this many elements per kind, built once.
constexpr std::size_t kMaxElements = 16;

// The two stamps come first in every kind's element list, then the fields.
constexpr std::size_t kStampCount = 2;

struct KindTags {
  std::size_t count = 0;
  Text open[kMaxElements];
  Text close[kMaxElements];
  TextView openViews[kMaxElements];
  TextView closeViews[kMaxElements];
  std::unique_ptr<ElementTags> elements;  // over the views above
};

std::unique_ptr<KindTags> MakeTags(const KindLayout& layout) {
  auto made = std::make_unique<KindTags>();
  KindTags& tags = *made;
  auto add = [&tags](TextView name) {
    std::size_t i = tags.count++;
    tags.open[i] = u"<" + Text(name) + u">";
    tags.close[i] = u"</" + Text(name) + u">";
  };
  add(u"CreateDate");
  add(u"ModifyDate");
  for (std::size_t i = 0; i < layout.fieldCount; ++i) {
    add(layout.fieldNames[layout.writtenOrder[i]]);
  }
  for (std::size_t i = 0; i < tags.count; ++i) {
    tags.openViews[i] = tags.open[i];
    tags.closeViews[i] = tags.close[i];
  }
  tags.elements = std::make_unique<ElementTags>(tags.openViews, tags.closeViews, tags.count);
  return made;
}

const char16_t* const kNoteFields[] = {u"Subject", u"Body", u"Keywords"};
const std::size_t kNoteOrder[] = {NoteDocument::kSubject, NoteDocument::kKeywords,
                                  NoteDocument::kBody};

const char16_t* const kPasswordFields[] = {u"Site", u"Login", u"Password", u"Body"};
const std::size_t kPasswordOrder[] = {0, 1, 2, 3};

const char16_t* const kPhoneFields[] = {
    u"FirstName", u"MiddleName", u"LastName", u"NicName",     u"Email",
    u"HomePhone", u"Mobile",     u"BusinessPhone", u"JobTitle", u"Department",
    u"CompanyName", u"Icq",      u"BirthDay",      u"Body"};
const std::size_t kPhoneOrder[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};

static_assert(sizeof(kNoteFields) / sizeof(kNoteFields[0]) == NoteDocument::kFieldCount, "");
static_assert(sizeof(kPasswordFields) / sizeof(kPasswordFields[0]) ==
                  PasswordDocument::kFieldCount, "");
static_assert(sizeof(kPhoneFields) / sizeof(kPhoneFields[0]) == PhoneDocument::kFieldCount, "");
static_assert(PhoneDocument::kFieldCount + kStampCount <= kMaxElements, "");

const KindLayout kNoteLayout = {NoteDocument::kTypeName, NoteDocument::kFieldCount, kNoteFields,
                                kNoteOrder};
const KindLayout kPasswordLayout = {PasswordDocument::kTypeName, PasswordDocument::kFieldCount,
                                    kPasswordFields, kPasswordOrder};
const KindLayout kPhoneLayout = {PhoneDocument::kTypeName, PhoneDocument::kFieldCount,
                                 kPhoneFields, kPhoneOrder};

const KindTags& TagsOf(const KindLayout& layout) {
  // Made once and kept for the whole run: the views point into the texts.
  static const std::unique_ptr<KindTags> note = MakeTags(kNoteLayout);
  static const std::unique_ptr<KindTags> password = MakeTags(kPasswordLayout);
  static const std::unique_ptr<KindTags> phone = MakeTags(kPhoneLayout);
  if (&layout == &kNoteLayout) return *note;
  if (&layout == &kPasswordLayout) return *password;
  return *phone;
}

}  // namespace

const char16_t NoteDocument::kTypeName[] = u"NoteDocument";
const char16_t PasswordDocument::kTypeName[] = u"PasswordDocument";
const char16_t PhoneDocument::kTypeName[] = u"PhoneDocument";

FieldedDocument::FieldedDocument(Database* database, const KindLayout& layout, TextField* fields)
    : Document(database), layout_(layout), fields_(fields) {}

void FieldedDocument::Serialize() {
  if (!IsDirty()) return;
  WriteEnvelope();
  const KindTags& tags = TagsOf(layout_);
  for (std::size_t i = 0; i < layout_.fieldCount; ++i) {
    AddFragment(tags.openViews[kStampCount + i], fields_[layout_.writtenOrder[i]],
                tags.closeViews[kStampCount + i]);
  }
  BuildText();
}

void FieldedDocument::Parse() {
  const KindTags& tags = TagsOf(layout_);
  std::optional<TextView> raw[kMaxElements];
  FindRawValues(StoredText(), *tags.elements, raw);
  SetStamps(DecodeField(raw[0]), DecodeField(raw[1]));
  for (std::size_t i = 0; i < layout_.fieldCount; ++i) {
    fields_[layout_.writtenOrder[i]] = DecodeField(raw[kStampCount + i]);
  }
}

void FieldedDocument::InitNew() {
  Document::InitNew();
  ClearFields();
}

void FieldedDocument::LoadFromText(TextView text) {
  Document::LoadFromText(text);
  ClearFields();
  Parse();
}

const char16_t* FieldedDocument::TypeName() const { return layout_.typeName; }

void FieldedDocument::ClearFields() {
  for (std::size_t i = 0; i < layout_.fieldCount; ++i) fields_[i].reset();
}

NoteDocument::NoteDocument(Database* database)
    : FieldedDocument(database, kNoteLayout, fields_) {}

PasswordDocument::PasswordDocument(Database* database)
    : FieldedDocument(database, kPasswordLayout, fields_) {}

PhoneDocument::PhoneDocument(Database* database)
    : FieldedDocument(database, kPhoneLayout, fields_) {}

std::unique_ptr<Document> ConstructKind(TextView typeName, Database* database) {
  if (typeName == NoteDocument::kTypeName) return std::make_unique<NoteDocument>(database);
  if (typeName == PasswordDocument::kTypeName) {
    return std::make_unique<PasswordDocument>(database);
  }
  if (typeName == PhoneDocument::kTypeName) return std::make_unique<PhoneDocument>(database);
  return nullptr;
}

}  // namespace ondrel
