#include "organiser/store/text_scan.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__) && defined(__GNUC__)
#include <emmintrin.h>
#define ONDREL_SCAN_SSE2 1
#endif

namespace ondrel {

bool ScanUsesSse2() {
#ifdef ONDREL_SCAN_SSE2
  return true;
#else
  return false;
#endif
}

std::size_t FindUnit(TextView text, char16_t unit, std::size_t from) {
  const char16_t* data = text.data();
  const std::size_t size = text.size();
  std::size_t i = from;
#ifdef ONDREL_SCAN_SSE2
  // Eight units per compare where the processor has SSE2 (every x86-64):
  // the byte mask of equal lanes gives the position at once.
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(unit));
  for (; i + 8 <= size; i += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(units, wanted));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask))) / 2;
  }
#endif
  // Four units in one 64-bit word: a lane equal to unit becomes zero after
  // the XOR, and the classic zero-lane test finds it (it has no false
  // positives when no lane is zero, so the unit is within these four).
  constexpr std::uint64_t kOnes = 0x0001000100010001ULL;
  constexpr std::uint64_t kHighs = 0x8000800080008000ULL;
  const std::uint64_t pattern = kOnes * unit;
  for (; i + 4 <= size; i += 4) {
    std::uint64_t word;
    std::memcpy(&word, data + i, sizeof word);
    const std::uint64_t lanes = word ^ pattern;
    if (((lanes - kOnes) & ~lanes & kHighs) != 0) break;
  }
  for (; i < size; ++i) {
    if (data[i] == unit) return i;
  }
  return TextView::npos;
}

std::size_t FindText(TextView text, TextView pattern, std::size_t from) {
  if (pattern.empty()) return from <= text.size() ? from : TextView::npos;
  if (from >= text.size()) return TextView::npos;
  // A closing tag is looked for by its '/', which stands in the text far
  // less often than '<' (every opening tag has one).
  const std::size_t anchor = pattern.size() > 1 && pattern[0] == u'<' && pattern[1] == u'/' ? 1 : 0;
  for (;;) {
    std::size_t found = FindUnit(text, pattern[anchor], from + anchor);
    if (found == TextView::npos) return TextView::npos;
    std::size_t start = found - anchor;
    if (text.size() - start < pattern.size()) return TextView::npos;
    if (text.compare(start, pattern.size(), pattern) == 0) return start;
    from = start + 1;
  }
}

std::size_t FindTagStart(TextView text, char16_t letter, std::size_t from) {
  const char16_t* data = text.data();
  const std::size_t size = text.size();
  std::size_t i = from;
#ifdef ONDREL_SCAN_SSE2
  const __m128i less = _mm_set1_epi16(static_cast<short>(u'<'));
  const __m128i slash = _mm_set1_epi16(static_cast<short>(u'/'));
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(letter));
  for (; i + 10 <= size; i += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const __m128i lessLanes = _mm_cmpeq_epi16(units, less);
    // Most steps over text hold no '<' at all: the units after it are
    // looked at only when one does.
    if (_mm_movemask_epi8(lessLanes) == 0) continue;
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 1));
    const __m128i afterNext = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 2));
    const __m128i named = _mm_or_si128(
        _mm_cmpeq_epi16(next, wanted),
        _mm_and_si128(_mm_cmpeq_epi16(next, slash), _mm_cmpeq_epi16(afterNext, wanted)));
    const int mask = _mm_movemask_epi8(_mm_and_si128(lessLanes, named));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask))) / 2;
  }
#endif
  for (;;) {
    i = FindUnit(text, u'<', i);
    if (i == TextView::npos || i + 1 >= size) return TextView::npos;
    if (data[i + 1] == letter || (data[i + 1] == u'/' && i + 2 < size && data[i + 2] == letter)) {
      return i;
    }
    ++i;
  }
}

}  // namespace ondrel
