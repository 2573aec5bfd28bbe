#pragma once
// The three kinds of record. Each adds a fixed list of text fields, stored
// under the element of the same name, and its type name; a kind offers its
// fields by name and as an indexable list in declared order.

#include <cstddef>
#include <memory>

#include "organiser/store/document.h"

namespace ondrel {

// What distinguishes a kind: type name, field tags in declared order and
// the order in which the fields are written and read.
struct KindLayout {
  const char16_t* typeName;
  std::size_t fieldCount;
  const char16_t* const* fieldNames;   // declared order
  const std::size_t* writtenOrder;     // indexes into fieldNames
};

class FieldedDocument : public Document {
 public:
  void Serialize() override;
  void Parse() override;
  void InitNew() override;
  void LoadFromText(TextView text) override;
  const char16_t* TypeName() const override;

  std::size_t FieldCount() const { return layout_.fieldCount; }
  TextField& Field(std::size_t index) { return fields_[index]; }
  const TextField& Field(std::size_t index) const { return fields_[index]; }
  // Element name of a field, e.g. u"Subject".
  const char16_t* FieldName(std::size_t index) const { return layout_.fieldNames[index]; }
  // What the stored text holds besides the elements this kind reads (an
  // element of a newer version, a second Body, text between elements),
  // exactly as read; written back after the fields. Usually empty.
  const Text& UnreadText() const { return unread_; }

 protected:
  FieldedDocument(const Clock& clock, const KindLayout& layout, TextField* fields);

 private:
  void ClearFields();

  const KindLayout& layout_;
  TextField* fields_;  // the kind's own array, declared order
  Text unread_;
};

class NoteDocument final : public FieldedDocument {
 public:
  enum FieldIndex : std::size_t { kSubject, kBody, kKeywords, kFieldCount };
  static const char16_t kTypeName[];

  explicit NoteDocument(const Clock& clock);
  TextField& subject() { return fields_[kSubject]; }
  TextField& body() { return fields_[kBody]; }
  TextField& keywords() { return fields_[kKeywords]; }

 private:
  // A plain array: the base keeps a pointer to it before it is constructed.
  TextField fields_[kFieldCount];
};

class PasswordDocument final : public FieldedDocument {
 public:
  enum FieldIndex : std::size_t { kSite, kLogin, kPassword, kBody, kFieldCount };
  static const char16_t kTypeName[];

  explicit PasswordDocument(const Clock& clock);
  TextField& site() { return fields_[kSite]; }
  TextField& login() { return fields_[kLogin]; }
  TextField& password() { return fields_[kPassword]; }
  TextField& body() { return fields_[kBody]; }

 private:
  // A plain array: the base keeps a pointer to it before it is constructed.
  TextField fields_[kFieldCount];
};

class PhoneDocument final : public FieldedDocument {
 public:
  enum FieldIndex : std::size_t {
    kFirstName, kMiddleName, kLastName, kNicName, kEmail, kHomePhone, kMobile,
    kBusinessPhone, kJobTitle, kDepartment, kCompanyName, kIcq, kBirthDay, kBody,
    kFieldCount
  };
  static const char16_t kTypeName[];

  explicit PhoneDocument(const Clock& clock);

 private:
  // A plain array: the base keeps a pointer to it before it is constructed.
  TextField fields_[kFieldCount];
};

// A new, unparsed document of the named kind, or null for any other name.
std::unique_ptr<Document> ConstructKind(TextView typeName, const Clock& clock);

}  // namespace ondrel
