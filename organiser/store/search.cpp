#include "organiser/store/search.h"

#include <vector>

#include "organiser/store/database.h"
#include "organiser/store/document.h"
#include "organiser/store/markup.h"
#include "organiser/store/text_scan.h"

namespace ondrel {
namespace {

char16_t FoldAsciiCase(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

void AppendCopy(PtrArray<Text>& list, TextView text) {
  auto copy = std::make_unique<Text>(text);
  list.Append(copy.get());
  copy.release();
}

// One pair of the query, prepared once per search rather than per document.
struct PreparedPair {
  Text openTag;
  Text closeTag;
  PtrArray<Text> terms{Ownership::kOwns};
};

}  // namespace

void SearchQuery::Reset() {
  tags = std::make_unique<PtrArray<Text>>(Ownership::kOwns);
  texts = std::make_unique<PtrArray<Text>>(Ownership::kOwns);
}

void SearchQuery::AddPair(TextView tag, TextView text) {
  if (!tags || !texts) Reset();
  AppendCopy(*tags, tag);
  AppendCopy(*texts, text);
}

void ParseTerms(TextView text, PtrArray<Text>& terms) {
  terms.Clear();
  if (text.empty()) return;
  Text work(text);

  std::size_t quote = work.find(u'"');
  while (quote != Text::npos) {
    std::size_t closing = work.find(u'"', quote + 1);
    if (closing == Text::npos) {
      work[quote] = u' ';
      break;
    }
    AppendCopy(terms, TextView(work).substr(quote + 1, closing - quote - 1));
    for (std::size_t i = quote; i <= closing; ++i) work[i] = u' ';
    quote = work.find(u'"', closing);
  }

  std::size_t at = work.find_first_not_of(u' ');
  while (at != Text::npos) {
    std::size_t space = work.find(u' ', at);
    if (space == Text::npos) {
      AppendCopy(terms, TextView(work).substr(at));
      break;
    }
    AppendCopy(terms, TextView(work).substr(at, space - at));
    at = work.find_first_not_of(u' ', space);
  }
}

bool MatchesAllTerms(const std::optional<TextView>& value, const PtrArray<Text>& terms) {
  if (!value) return terms.count() == 0;
  for (const Text* term : terms) {
    if (!FindNoCase(*value, *term)) return false;
  }
  return true;
}

std::optional<std::size_t> FindNoCase(TextView value, TextView term) {
  if (value.empty() || term.size() > value.size()) return std::nullopt;
  if (term.empty()) return 0;
  const char16_t first = FoldAsciiCase(term[0]);
  const std::size_t lastStart = value.size() - term.size();
  for (std::size_t start = 0; start <= lastStart; ++start) {
    if (FoldAsciiCase(value[start]) != first) continue;
    std::size_t i = 1;
    while (i < term.size() && FoldAsciiCase(value[start + i]) == FoldAsciiCase(term[i])) ++i;
    if (i == term.size()) return start;
  }
  return std::nullopt;
}

void Database::Search(PtrArray<Document>& result, const SearchQuery& query) const {
  result.Clear();
  if (query.kind == nullptr) return;
  const TextView kind(query.kind);
  const std::int32_t fromKey = DayNumberOf(query.from);
  const std::int32_t toKey = DayNumberOf(query.to);

  std::vector<std::unique_ptr<PreparedPair>> pairs;
  std::uint32_t pairCount = 0;
  if (query.tags && query.texts) {
    pairCount = query.tags->count() < query.texts->count() ? query.tags->count()
                                                           : query.texts->count();
  }
  for (std::uint32_t i = 0; i < pairCount; ++i) {
    auto pair = std::make_unique<PreparedPair>();
    const Text& tag = *(*query.tags)[i];
    pair->openTag = u"<" + tag + u">";
    pair->closeTag = u"</" + tag + u">";
    ParseTerms(*(*query.texts)[i], pair->terms);
    pairs.push_back(std::move(pair));
  }

  // The pairs' elements are found in one walk over each document, which goes
  // only as far as the pairs looked at before the document fails.
  std::vector<TextView> openTags;
  std::vector<TextView> closeTags;
  for (const auto& pair : pairs) {
    openTags.push_back(pair->openTag);
    closeTags.push_back(pair->closeTag);
  }
  const ElementTags elements(openTags.data(), closeTags.data(), pairs.size());
  std::vector<std::optional<TextView>> values(pairs.size());
  Text decoded;  // reused: values are decoded only when they hold a '&'
  for (std::uint32_t d = 0; d < DocumentCount(); ++d) {
    Document* document = DocumentAt(d);
    if (TextView(document->TypeName()) != kind) continue;
    const std::int32_t day = document->DayNumber();
    if (day < fromKey || day > toKey) continue;
    ElementWalker walker(document->StoredText(), elements, values.data());
    bool matches = true;
    for (std::size_t p = 0; p < pairs.size() && matches; ++p) {
      std::optional<TextView> value = walker.Value(p);
      if (value && FindUnit(*value, u'&') != TextView::npos) {
        DecodeInto(decoded, *value);
        value = TextView(decoded);
      }
      matches = MatchesAllTerms(value, pairs[p]->terms);
    }
    if (matches) result.Append(document);
  }
}

}  // namespace ondrel
