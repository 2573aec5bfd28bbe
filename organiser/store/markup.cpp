#include "organiser/store/markup.h"

#include <cstring>

#include "organiser/store/text_scan.h"

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

// The value after an opening tag ending at valueStart. firstLess is the
// first '<' at or after valueStart (npos when none): a value written here
// holds no '<', so the closing tag is normally right there.
TextView ValueAt(TextView text, std::size_t valueStart, std::size_t firstLess,
                 TextView closeTag) {
  std::size_t end = TextView::npos;
  if (firstLess != TextView::npos && text.compare(firstLess, closeTag.size(), closeTag) == 0) {
    end = firstLess;
  } else {
    end = FindText(text, closeTag, valueStart);
    // No closing tag: the value ends at the next tag.
    if (end == TextView::npos) end = firstLess == TextView::npos ? text.size() : firstLess;
  }
  return text.substr(valueStart, end - valueStart);
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
  std::size_t amp = FindUnit(stored, u'&');
  if (amp == TextView::npos) {
    decoded.append(stored);
    return;
  }
  decoded.reserve(stored.size());
  std::size_t copied = 0;
  while (amp != TextView::npos) {
    decoded.append(stored.substr(copied, amp - copied));
    if (stored.compare(amp, kAmpersandEntity.size(), kAmpersandEntity) == 0) {
      decoded.push_back(u'&');
      copied = amp + kAmpersandEntity.size();
    } else if (stored.compare(amp, kLessThanEntity.size(), kLessThanEntity) == 0) {
      decoded.push_back(u'<');
      copied = amp + kLessThanEntity.size();
    } else {
      decoded.push_back(u'&');  // a lone '&' reads as itself
      copied = amp + 1;
    }
    amp = FindUnit(stored, u'&', copied);
  }
  decoded.append(stored.substr(copied));
}

Text Decode(TextView stored) {
  Text decoded;
  DecodeInto(decoded, stored);
  return decoded;
}

std::optional<TextView> FindRawValue(TextView text, TextView openTag, TextView closeTag) {
  std::size_t open = FindText(text, openTag);
  if (open == TextView::npos) return std::nullopt;
  const std::size_t valueStart = open + openTag.size();
  return ValueAt(text, valueStart, FindUnit(text, u'<', valueStart), closeTag);
}

ElementTags::ElementTags(const TextView* openTags, const TextView* closeTags, std::size_t count)
    : openTags_(openTags), closeTags_(closeTags), count_(count) {
  for (std::size_t i = 0; i < count; ++i) {
    const TextView tag = openTags[i];
    if (tag.size() < 2 || tag[1] == u'/') someTagOpensWithSlash_ = true;
    for (std::size_t j = 0; j < count; ++j) {
      if (j != i && openTags[j].substr(0, tag.size()) == tag) oneTagPerPlace_ = false;
    }
  }
}

void FindRawValues(TextView text, const ElementTags& tags, std::optional<TextView>* values) {
  ElementWalker(text, tags, values).FindAll();
}

ElementWalker::ElementWalker(TextView text, const ElementTags& tags,
                             std::optional<TextView>* values)
    : text_(text),
      tags_(tags),
      values_(values),
      missing_(tags.count()),
      // Every occurrence of an opening tag starts at a '<': visiting each '<'
      // once finds the first occurrence of every tag.
      at_(FindUnit(text, u'<')) {
  for (std::size_t i = 0; i < tags.count(); ++i) values[i].reset();
}

const std::optional<TextView>& ElementWalker::Value(std::size_t index) {
  while (!values_[index] && at_ != TextView::npos) Step();
  return values_[index];
}

void ElementWalker::FindAll() {
  while (missing_ > 0 && at_ != TextView::npos) Step();
}

void ElementWalker::Step() {
  const TextView text = text_;
  const std::size_t at = at_;
  const std::size_t count = tags_.count();
  // The next '<' is both where the walk goes on and, for a value written
  // here, where the value's closing tag stands.
  const std::size_t next = FindUnit(text, u'<', at + 1);
  at_ = next;
  const std::size_t rest = text.size() - at;
  const char16_t second = rest > 1 ? text[at + 1] : u'\0';
  if (second == u'/' && !tags_.someTagOpensWithSlash()) return;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t i = expected_ + k < count ? expected_ + k : expected_ + k - count;
    const TextView tag = tags_.open(i);
    // Tags differ in their second unit far more often than not: test it
    // before comparing the whole tag.
    if (values_[i] || rest < tag.size() || (tag.size() > 1 && second != tag[1]) ||
        std::memcmp(text.data() + at, tag.data(), tag.size() * sizeof(char16_t)) != 0) {
      continue;
    }
    const std::size_t valueStart = at + tag.size();
    const std::size_t firstLess =
        next == TextView::npos || next >= valueStart ? next : FindUnit(text, u'<', valueStart);
    values_[i] = ValueAt(text, valueStart, firstLess, tags_.close(i));
    --missing_;
    if (tags_.oneTagPerPlace()) {
      expected_ = i + 1 < count ? i + 1 : 0;
      return;
    }
  }
}

TextField DecodeField(const std::optional<TextView>& raw) {
  if (!raw) return std::nullopt;
  return Decode(*raw);
}

}  // namespace ondrel
