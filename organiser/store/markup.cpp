#include "organiser/store/markup.h"

namespace ondrel {
namespace {

constexpr TextView kAmpersandEntity = u"&amp;";
constexpr TextView kLessThanEntity = u"&lt;";

bool NeedsEncoding(TextView value) {
  for (char16_t c : value) {
    if (c == u'&' || c == u'<') return true;
  }
  return false;
}

// Where the value that starts at valueStart ends when closeTag is missing.
std::size_t UnclosedValueEnd(TextView text, std::size_t valueStart) {
  std::size_t next = text.find(u'<', valueStart);
  return next == TextView::npos ? text.size() : next;
}

TextView ValueAfterOpenTag(TextView text, std::size_t valueStart, TextView closeTag) {
  std::size_t close = text.find(closeTag, valueStart);
  if (close == TextView::npos) close = UnclosedValueEnd(text, valueStart);
  return text.substr(valueStart, close - valueStart);
}

}  // namespace

void AppendEncoded(Text& out, TextView value) {
  if (!NeedsEncoding(value)) {
    out.append(value);
    return;
  }
  for (char16_t c : value) {
    if (c == u'&') {
      out.append(kAmpersandEntity);
    } else if (c == u'<') {
      out.append(kLessThanEntity);
    } else {
      out.push_back(c);
    }
  }
}

void DecodeInto(Text& decoded, TextView stored) {
  decoded.clear();
  std::size_t amp = stored.find(u'&');
  if (amp == TextView::npos) {
    decoded.append(stored);
    return;
  }
  decoded.reserve(stored.size());
  decoded.append(stored.substr(0, amp));
  std::size_t i = amp;
  while (i < stored.size()) {
    char16_t c = stored[i];
    if (c == u'&') {
      TextView rest = stored.substr(i);
      if (rest.compare(0, kAmpersandEntity.size(), kAmpersandEntity) == 0) {
        decoded.push_back(u'&');
        i += kAmpersandEntity.size();
        continue;
      }
      if (rest.compare(0, kLessThanEntity.size(), kLessThanEntity) == 0) {
        decoded.push_back(u'<');
        i += kLessThanEntity.size();
        continue;
      }
    }
    decoded.push_back(c);
    ++i;
  }
}

Text Decode(TextView stored) {
  Text decoded;
  DecodeInto(decoded, stored);
  return decoded;
}

std::optional<TextView> FindRawValue(TextView text, TextView openTag, TextView closeTag) {
  std::size_t open = text.find(openTag);
  if (open == TextView::npos) return std::nullopt;
  return ValueAfterOpenTag(text, open + openTag.size(), closeTag);
}

void FindRawValues(TextView text, const TextView* openTags, const TextView* closeTags,
                   std::size_t count, std::optional<TextView>* values) {
  std::size_t missing = count;
  for (std::size_t i = 0; i < count; ++i) values[i].reset();
  // Every occurrence of an opening tag starts at a '<': visiting each '<'
  // once finds the first occurrence of every tag in one pass.
  std::size_t at = text.find(u'<');
  while (at != TextView::npos && missing > 0) {
    TextView rest = text.substr(at);
    for (std::size_t i = 0; i < count; ++i) {
      if (values[i] || rest.size() < openTags[i].size()) continue;
      if (rest.compare(0, openTags[i].size(), openTags[i]) != 0) continue;
      values[i] = ValueAfterOpenTag(text, at + openTags[i].size(), closeTags[i]);
      --missing;
    }
    at = text.find(u'<', at + 1);
  }
}

TextField DecodeField(const std::optional<TextView>& raw) {
  if (!raw) return std::nullopt;
  return Decode(*raw);
}

}  // namespace ondrel
