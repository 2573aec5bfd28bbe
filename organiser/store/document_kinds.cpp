#include "organiser/store/document_kinds.h"

#include "organiser/store/markup.h"
#include "organiser/store/text_scan.h"

namespace ondrel {
namespace {

// Opening and closing tags of up to this many elements per kind, built once.
constexpr std::size_t kMaxElements = 17;

// Every kind's element list: the envelope (the type at 0, then the two
// stamps), then the fields in written order.
constexpr std::size_t kCreateIndex = 1;
constexpr std::size_t kModifyIndex = 2;
constexpr std::size_t kEnvelopeCount = 3;

constexpr TextView kDocumentOpen = u"<Document>";
constexpr TextView kDocumentClose = u"</Document>";

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
  add(u"DocumentType");
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
static_assert(PhoneDocument::kFieldCount + kEnvelopeCount <= kMaxElements, "");

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

// Where one element that was read stands in text: from its opening tag to
// the end of its closing tag (or of its value, when the closing tag is
// missing).
struct Span {
  std::size_t start;
  std::size_t end;
};

// Appends to unread what lies between start and end of text outside every
// element that was read, in text order.
void CollectUnread(TextView text, std::size_t start, std::size_t end, const KindTags& tags,
                   const std::optional<TextView>* raw, Text& unread) {
  Span spans[kMaxElements];
  std::size_t count = 0;
  for (std::size_t i = 0; i < tags.count; ++i) {
    if (!raw[i]) continue;
    const std::size_t valueStart = static_cast<std::size_t>(raw[i]->data() - text.data());
    const std::size_t valueEnd = valueStart + raw[i]->size();
    const TextView close = tags.closeViews[i];
    const bool closed = TextAt(text, valueEnd, close);
    Span span{valueStart - tags.openViews[i].size(), closed ? valueEnd + close.size() : valueEnd};
    // Kept in order of their start (a handful of elements: insertion).
    std::size_t at = count++;
    while (at > 0 && spans[at - 1].start > span.start) {
      spans[at] = spans[at - 1];
      --at;
    }
    spans[at] = span;
  }
  std::size_t position = start;
  for (std::size_t i = 0; i < count && position < end; ++i) {
    if (spans[i].start > position) {
      const std::size_t pieceEnd = spans[i].start < end ? spans[i].start : end;
      unread.append(text.substr(position, pieceEnd - position));
    }
    if (spans[i].end > position) position = spans[i].end;
  }
  if (position < end) unread.append(text.substr(position, end - position));
}

}  // namespace

const char16_t NoteDocument::kTypeName[] = u"NoteDocument";
const char16_t PasswordDocument::kTypeName[] = u"PasswordDocument";
const char16_t PhoneDocument::kTypeName[] = u"PhoneDocument";

FieldedDocument::FieldedDocument(const Clock& clock, const KindLayout& layout, TextField* fields)
    : Document(clock), layout_(layout), fields_(fields) {}

void FieldedDocument::Serialize() {
  if (!NeedsNewText()) return;
  WriteEnvelope();
  const KindTags& tags = TagsOf(layout_);
  if (!unread_.empty() && (!GetCreateDate() || GetCreateDate()->empty()) &&
      FindText(unread_, tags.openViews[kCreateIndex]) != TextView::npos) {
    // The kept text names a creation date too: the empty one written here
    // stays the one read first.
    AddEmptyElement(tags.openViews[kCreateIndex], tags.closeViews[kCreateIndex]);
  }
  for (std::size_t i = 0; i < layout_.fieldCount; ++i) {
    const TextField& field = fields_[layout_.writtenOrder[i]];
    const TextView open = tags.openViews[kEnvelopeCount + i];
    const TextView close = tags.closeViews[kEnvelopeCount + i];
    const bool empty = !field || field->empty();
    if (empty && !unread_.empty() && FindText(unread_, open) != TextView::npos) {
      // An empty field is normally left out; here the kept text holds a
      // later element of the same name, which would be read in its place.
      AddEmptyElement(open, close);
    } else {
      AddFragment(open, field, close);
    }
  }
  AddRawFragment(unread_);
  BuildText();
}

void FieldedDocument::Parse() {
  const KindTags& tags = TagsOf(layout_);
  std::optional<TextView> raw[kMaxElements];
  const TextView text = StoredText();
  FindRawValues(text, *tags.elements, raw);
  SetStamps(DecodeField(raw[kCreateIndex]), DecodeField(raw[kModifyIndex]));
  for (std::size_t i = 0; i < layout_.fieldCount; ++i) {
    fields_[layout_.writtenOrder[i]] = DecodeField(raw[kEnvelopeCount + i]);
  }
  // Inside the block's own tags (a block cut off has no closing tag).
  const std::size_t start = TextAt(text, 0, kDocumentOpen) ? kDocumentOpen.size() : 0;
  std::size_t end = text.size();
  if (end - start >= kDocumentClose.size() &&
      TextAt(text, end - kDocumentClose.size(), kDocumentClose)) {
    end -= kDocumentClose.size();
  }
  unread_.clear();
  CollectUnread(text, start, end, tags, raw, unread_);
}

void FieldedDocument::InitNew() {
  Document::InitNew();
  ClearFields();
  unread_.clear();
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

NoteDocument::NoteDocument(const Clock& clock)
    : FieldedDocument(clock, kNoteLayout, fields_) {}

PasswordDocument::PasswordDocument(const Clock& clock)
    : FieldedDocument(clock, kPasswordLayout, fields_) {}

PhoneDocument::PhoneDocument(const Clock& clock)
    : FieldedDocument(clock, kPhoneLayout, fields_) {}

std::unique_ptr<Document> ConstructKind(TextView typeName, const Clock& clock) {
  if (typeName == NoteDocument::kTypeName) return std::make_unique<NoteDocument>(clock);
  if (typeName == PasswordDocument::kTypeName) {
    return std::make_unique<PasswordDocument>(clock);
  }
  if (typeName == PhoneDocument::kTypeName) return std::make_unique<PhoneDocument>(clock);
  return nullptr;
}

}  // namespace ondrel
