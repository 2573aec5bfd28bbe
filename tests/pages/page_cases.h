#pragma once
// The three pages as test data: a prepared store of three records per page,
// the form's edit ids and element names, and what each list column shows.

#include <ostream>
#include <string>
#include <vector>

#include "tests/pages/page_test_support.h"

namespace ondrel::test {

struct PageCase {
  const char* name;
  PageKind kind;
  const char* kindName;
  std::vector<StoredRecord> records;
  int saveId;  // Cancel, Remove, New follow
  std::vector<int> formIds;
  std::vector<const char*> formTags;
  // The form field each column shows, or -1 for the modification date.
  std::vector<int> columnFields;
  // A form field that a column shows: the one the tests change.
  int keyField;

  int CancelId() const { return saveId + 1; }
  int RemoveId() const { return saveId + 2; }
  int NewId() const { return saveId + 3; }
  int KeyEdit() const { return formIds[keyField]; }
  int KeyColumn() const;
  // The stored value of form field f of record r ("" when absent).
  Text Value(std::size_t record, std::size_t field) const;
  Text Element(const char* tag, const Text& value) const;
  Text FileText() const { return DatabaseText(records); }
  Text FileTextOfFirstRecord() const { return DatabaseText({records[0]}); }
};

const std::vector<PageCase>& AllPageCases();

// Test names and failure messages show the page, not the struct's bytes.
inline void PrintTo(const PageCase& page, std::ostream* out) { *out << page.name; }

}  // namespace ondrel::test
