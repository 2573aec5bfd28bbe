// Fuzz target for the database loader: any bytes load without harm, and
// what a save writes loads back as the same documents.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>

#include "organiser/store/database.h"
#include "organiser/store/document_kinds.h"
#include "organiser/store/search.h"
#include "tests/support/memory_file_system.h"

namespace {

using ondrel::Database;
using ondrel::Document;
using ondrel::FieldedDocument;
using ondrel::Text;
using ondrel::TextField;

const Text kPath = u"ondrel.db";

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "database fuzzer: %s\n", what);
  std::abort();
}

// On disk an empty field and a missing one are the same.
Text OrEmpty(const TextField& field) { return field.value_or(Text()); }

// The kinds read all elements in one pass; it must agree with reading each
// element alone.
void CheckParsing(FieldedDocument& document) {
  for (std::size_t i = 0; i < document.FieldCount(); ++i) {
    Text name(document.FieldName(i));
    Check(document.Field(i) == document.ExtractTag(u"<" + name + u">", u"</" + name + u">"),
          "one-pass field differs from ExtractTag");
  }
  Check(document.GetCreateDate() == document.ExtractTag(u"<CreateDate>", u"</CreateDate>"),
        "one-pass CreateDate differs from ExtractTag");
}

// Search must select exactly the documents that reading each field on its
// own would select.
void CheckSearch(Database& database, const char16_t* kind, const char16_t* const* texts) {
  ondrel::SearchQuery query;
  query.Reset();
  query.kind = kind;
  query.from = {1900, 1, 1};
  query.to = {2100, 12, 31};
  const char16_t* tags[] = {u"Subject", u"Body", u"Site"};
  for (int i = 0; i < 3; ++i) query.AddPair(tags[i], texts[i]);
  ondrel::PtrArray<Document> found;
  database.Search(found, query);

  std::uint32_t expected = 0;
  for (std::uint32_t d = 0; d < database.DocumentCount(); ++d) {
    Document* document = database.DocumentAt(d);
    if (Text(document->TypeName()) != kind) continue;
    std::int32_t day = document->DayNumber();
    if (day < ondrel::DayNumberOf(query.from) || day > ondrel::DayNumberOf(query.to)) continue;
    bool matches = true;
    for (int i = 0; i < 3 && matches; ++i) {
      Text tag(tags[i]);
      TextField value = document->ExtractTag(u"<" + tag + u">", u"</" + tag + u">");
      ondrel::PtrArray<Text> terms(ondrel::Ownership::kOwns);
      ondrel::ParseTerms(texts[i], terms);
      std::optional<ondrel::TextView> view;
      if (value) view = ondrel::TextView(*value);
      matches = ondrel::MatchesAllTerms(view, terms);
    }
    if (!matches) continue;
    Check(expected < found.count() && found[expected] == document, "search result differs");
    ++expected;
  }
  Check(expected == found.count(), "search found too many");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ondrel::test::MemoryFileSystem files;
  ondrel::FixedClock clock({2024, 3, 5, 9, 7});
  files.Put(kPath, ondrel::test::MemoryFileSystem::Bytes(data, data + size));

  Database loaded(files, clock);
  const ondrel::LoadResult result = loaded.Load(kPath);
  Check(result.status == ondrel::LoadResult::Status::kRead, "an existing file was not read");
  if (result.damaged) {
    // What the store could not keep is kept, byte for byte, in the backup.
    Check(files.Exists(result.backupPath) &&
              files.Contents(result.backupPath) ==
                  ondrel::test::MemoryFileSystem::Bytes(data, data + size),
          "the damaged file's backup differs from it");
  }
  for (std::uint32_t i = 0; i < loaded.DocumentCount(); ++i) {
    Document* document = loaded.DocumentAt(i);
    Check(!document->IsDirty(), "a loaded document is dirty");
    document->DayNumber();
    if (auto* fielded = dynamic_cast<FieldedDocument*>(document)) CheckParsing(*fielded);
  }

  const char16_t* const broad[] = {u"o", u"", u""};
  const char16_t* const narrow[] = {u"a", u"\"b c\" ", u"\"\""};
  for (const char16_t* kind : {ondrel::NoteDocument::kTypeName, ondrel::PasswordDocument::kTypeName}) {
    CheckSearch(loaded, kind, broad);
    CheckSearch(loaded, kind, narrow);
  }

  // Written unchanged, every block loads back byte for byte.
  Check(loaded.Save(nullptr), "save to memory failed");
  Database reloaded(files, clock);
  const ondrel::LoadResult second = reloaded.Load(kPath);
  Check(second.status == ondrel::LoadResult::Status::kRead && !second.damaged,
        "a file the store wrote did not load cleanly");
  Check(reloaded.DocumentCount() == loaded.DocumentCount(), "document count changed");
  for (std::uint32_t i = 0; i < loaded.DocumentCount(); ++i) {
    Check(Text(reloaded.DocumentAt(i)->TypeName()) == loaded.DocumentAt(i)->TypeName(),
          "kind changed");
    Check(reloaded.DocumentAt(i)->GetText() == loaded.DocumentAt(i)->GetText(),
          "block changed");
  }

  // Written anew from their fields, the documents keep every field.
  for (std::uint32_t i = 0; i < reloaded.DocumentCount(); ++i) {
    if (dynamic_cast<FieldedDocument*>(reloaded.DocumentAt(i))) reloaded.DocumentAt(i)->MarkDirty();
  }
  Check(reloaded.Save(nullptr), "second save to memory failed");
  Database rewritten(files, clock);
  Check(rewritten.Load(kPath).status == ondrel::LoadResult::Status::kRead, "second reload failed");
  Check(rewritten.DocumentCount() == reloaded.DocumentCount(), "count changed on rewrite");
  for (std::uint32_t i = 0; i < reloaded.DocumentCount(); ++i) {
    auto* before = dynamic_cast<FieldedDocument*>(reloaded.DocumentAt(i));
    auto* after = dynamic_cast<FieldedDocument*>(rewritten.DocumentAt(i));
    Check((before == nullptr) == (after == nullptr), "kind lost on rewrite");
    if (before == nullptr) continue;
    Check(Text(before->TypeName()) == after->TypeName(), "kind changed on rewrite");
    Check(OrEmpty(before->GetCreateDate()) == OrEmpty(after->GetCreateDate()),
          "CreateDate changed on rewrite");
    for (std::size_t f = 0; f < before->FieldCount(); ++f) {
      Check(OrEmpty(before->Field(f)) == OrEmpty(after->Field(f)), "field changed on rewrite");
    }
    Check(before->UnreadText() == after->UnreadText(), "unread text changed on rewrite");
  }
  return 0;
}
