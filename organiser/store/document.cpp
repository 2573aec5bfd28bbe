#include "organiser/store/document.h"

#include <utility>

#include "organiser/store/clock.h"
#include "organiser/store/markup.h"

namespace ondrel {
namespace {

constexpr TextView kDocumentOpen = u"<Document>";
constexpr TextView kDocumentClose = u"</Document>";

void AppendPadded(Text& out, int value, int width) {
  Text digits;
  bool negative = value < 0;
  unsigned magnitude = negative ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) digits.insert(digits.begin(), u'-');
  for (int i = static_cast<int>(digits.size()); i < width; ++i) out.push_back(u'0');
  out.append(digits);
}

const Text& EmptyText() {
  static const Text empty;
  return empty;
}

}  // namespace

Document::Document(const Clock& clock) : clock_(clock) {}

Document::~Document() = default;

void Document::Serialize() {
  // A plain document has no fields to build a text from: the text it was
  // loaded with is all it holds, so it is written back as it came.
  dirty_ = false;
}

void Document::Parse() { ParseDates(); }

void Document::InitNew() {
  Forget();
  StampModifyDate();
  createDate_ = modifyDate_;
}

void Document::LoadFromText(TextView text) {
  Forget();
  text_ = Text(text);
  textLength_ = static_cast<std::int32_t>(text.size());
  dirty_ = false;
  // Loaded texts come from the file (the store's loader is the only caller
  // besides RevertToWritten, which hands back the file's own text).
  written_ = true;
  textWritten_ = true;
}

const char16_t* Document::TypeName() const { return u"Document"; }

const Text& Document::GetText() {
  Serialize();
  return text_ ? *text_ : EmptyText();
}

std::int32_t Document::GetTextLength() {
  Serialize();
  return textLength_;
}

void Document::SetField(TextField& field, std::optional<TextView> value) {
  if (!value) {
    if (!field) return;
    field.reset();
    MarkDirty();
    return;
  }
  if (field && TextView(*field) == *value) return;
  field = Text(*value);
  MarkDirty();
}

std::int32_t Document::DayNumber() {
  if (dayNumber_ != 0) return dayNumber_;
  if (!modifyDate_ || modifyDate_->empty()) return 0;
  dayNumber_ = DayNumberOfStamp(*modifyDate_);
  return dayNumber_;
}

TextField Document::ExtractTag(TextView openTag, TextView closeTag) const {
  if (!text_) return std::nullopt;
  return DecodeField(FindRawValue(*text_, openTag, closeTag));
}

void Document::AddFragment(TextView openTag, const TextField& value, TextView closeTag) {
  if (!value || value->empty()) return;
  auto fragment = std::make_unique<Text>();
  fragment->reserve(openTag.size() + value->size() + closeTag.size());
  fragment->append(openTag);
  AppendEncoded(*fragment, *value);
  fragment->append(closeTag);
  if (!fragments_) fragments_ = std::make_unique<PtrArray<Text>>(Ownership::kOwns);
  fragments_->Append(fragment.get());
  fragment.release();
}

void Document::AddEmptyElement(TextView openTag, TextView closeTag) {
  auto fragment = std::make_unique<Text>();
  fragment->reserve(openTag.size() + closeTag.size());
  fragment->append(openTag);
  fragment->append(closeTag);
  if (!fragments_) fragments_ = std::make_unique<PtrArray<Text>>(Ownership::kOwns);
  fragments_->Append(fragment.get());
  fragment.release();
}

void Document::AddRawFragment(TextView text) {
  if (text.empty()) return;
  auto fragment = std::make_unique<Text>(text);
  if (!fragments_) fragments_ = std::make_unique<PtrArray<Text>>(Ownership::kOwns);
  fragments_->Append(fragment.get());
  fragment.release();
}

void Document::WriteEnvelope() {
  StampModifyDate();
  if (fragments_) fragments_->Clear();
  AddFragment(u"<DocumentType>", Text(TypeName()), u"</DocumentType>");
  AddFragment(u"<CreateDate>", createDate_, u"</CreateDate>");
  AddFragment(u"<ModifyDate>", modifyDate_, u"</ModifyDate>");
}

void Document::BuildText() {
  if (!dirty_) return;
  std::size_t length = kDocumentOpen.size() + kDocumentClose.size();
  if (fragments_) {
    for (const Text* fragment : *fragments_) length += fragment->size();
  }
  Text text;
  text.reserve(length);
  text.append(kDocumentOpen);
  if (fragments_) {
    for (const Text* fragment : *fragments_) text.append(*fragment);
  }
  text.append(kDocumentClose);
  // The first rebuild after a write keeps the file's text aside: should
  // this write fail and the change be declined, it is what comes back.
  if (textWritten_) {
    writtenText_ = std::move(text_);
    textWritten_ = false;
  }
  text_ = std::move(text);
  textLength_ = static_cast<std::int32_t>(length);
  dirty_ = false;
}

void Document::ParseDates() {
  createDate_ = ExtractTag(u"<CreateDate>", u"</CreateDate>");
  modifyDate_ = ExtractTag(u"<ModifyDate>", u"</ModifyDate>");
  dayNumber_ = 0;
}

void Document::StampModifyDate() {
  modifyDate_.reset();
  dayNumber_ = 0;
  const LocalTime now = clock_.Now();
  modifyDate_ = FormatStamp(now.year, now.month, now.day, now.hour, now.minute);
}

void Document::MarkSaved() {
  unsaved_ = false;
  // A removed document, or a new one still without text, is not in the file.
  written_ = !deleted_ && text_.has_value();
  textWritten_ = written_;
  writtenText_.reset();
}

TextView Document::WrittenText() const {
  if (textWritten_) return text_ ? TextView(*text_) : TextView();
  return writtenText_ ? TextView(*writtenText_) : TextView();
}

void Document::RevertToWritten() {
  if (deleted_ || !unsaved_) return;
  if (!written_) {
    // Never in the file: nothing to go back to, so it leaves the live
    // records. Clean, so no save writes it.
    deleted_ = true;
    dirty_ = false;
    unsaved_ = false;
    return;
  }
  // Taken out first: loading forgets the texts it would read from.
  const Text written(WrittenText());
  LoadFromText(written);
}

void Document::Forget() {
  written_ = false;
  textWritten_ = false;
  writtenText_.reset();
  text_.reset();
  textLength_ = 0;
  dayNumber_ = 0;
  createDate_.reset();
  modifyDate_.reset();
  dirty_ = false;
  unsaved_ = false;
  // The list is made when a fragment is first added: a loaded document that
  // is never changed needs none.
  if (fragments_) fragments_->Clear();
}

void Document::SetStamps(TextField createDate, TextField modifyDate) {
  createDate_ = std::move(createDate);
  modifyDate_ = std::move(modifyDate);
  dayNumber_ = 0;
}

Text FormatStamp(int year, int month, int day, int hour, int minute) {
  Text stamp;
  stamp.reserve(16);
  AppendPadded(stamp, day, 2);
  stamp.push_back(u'.');
  AppendPadded(stamp, month, 2);
  stamp.push_back(u'.');
  AppendPadded(stamp, year, 4);
  stamp.push_back(u' ');
  AppendPadded(stamp, hour, 2);
  stamp.push_back(u':');
  AppendPadded(stamp, minute, 2);
  return stamp;
}

}  // namespace ondrel
