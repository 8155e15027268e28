#include "messages/field_stops.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define TEPO_STOPS_SSE2 1
#endif

namespace tepo {

namespace {

bool isStop(char16_t c) { return c == u',' || c == u'"' || c == u'\r' || c == u'\n' || c == u'\\'; }

#ifdef TEPO_STOPS_SSE2
// The eight units at text, their "\n" pairs made line breaks in place; carry
// says whether the unit before began such a pair, and is left saying whether
// the last of the eight does. Their stops, a pair being none, come back as
// -1 units.
__m128i breakPairs8(char16_t* text, __m128i& carry) {
  const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
  const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + 1));
  const __m128i pairs = _mm_and_si128(_mm_cmpeq_epi16(here, _mm_set1_epi16(static_cast<short>(u'\\'))),
                                      _mm_cmpeq_epi16(next, _mm_set1_epi16(static_cast<short>(u'n'))));
  const __m128i ns = _mm_or_si128(_mm_slli_si128(pairs, 2), carry);
  carry = _mm_srli_si128(pairs, 14);
  __m128i stops = _mm_setzero_si128();
  for (char16_t stop : {u',', u'"', u'\r', u'\n', u'\\'}) {
    stops = _mm_or_si128(stops, _mm_cmpeq_epi16(here, _mm_set1_epi16(static_cast<short>(stop))));
  }
  const __m128i changed = _mm_or_si128(pairs, ns);
  const __m128i made = _mm_or_si128(_mm_and_si128(pairs, _mm_set1_epi16(static_cast<short>(u'\r'))),
                                    _mm_and_si128(ns, _mm_set1_epi16(static_cast<short>(u'\n'))));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(text), _mm_or_si128(_mm_andnot_si128(changed, here), made));
  return _mm_andnot_si128(pairs, stops);
}

// The same for 64 units, sixteen at a time and without a branch for each,
// their stops as bits; the unit after the last is read too.
std::uint64_t breakPairs64(char16_t* text, bool& made) {
  std::uint64_t bits = 0;
  __m128i carry = made ? _mm_cvtsi32_si128(0xFFFF) : _mm_setzero_si128();
  for (unsigned i = 0; i < 64; i += 16) {
    const __m128i first = breakPairs8(text + i, carry);
    const __m128i second = breakPairs8(text + i + 8, carry);
    // Each stop is -1, which stays -1 as a byte.
    bits |= std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(first, second)))) << i;
  }
  made = _mm_cvtsi128_si32(carry) != 0;
  return bits;
}
#endif

}  // namespace

void FieldStops::update(char16_t* text, std::size_t from, std::size_t fresh, std::size_t size) {
  size_ = size;
  words_.resize((size + 63) / 64);
  bool made = false;  // the last unit looked at began a line break made
  for (std::size_t word = from / 64; word < words_.size(); ++word) {
    const std::size_t at = word * 64;
#ifdef TEPO_STOPS_SSE2
    if (at >= fresh && at + 64 < size) {
      words_[word] = breakPairs64(text + at, made);
      continue;
    }
#endif
    std::uint64_t bits = 0;
    for (std::size_t i = at; i < size && i < at + 64; ++i) {
      if (made) {
        text[i] = u'\n';
        made = false;
      } else if (i >= fresh && i + 1 < size && text[i] == u'\\' && text[i + 1] == u'n') {
        text[i] = u'\r';
        made = true;
      } else {
        bits |= std::uint64_t(isStop(text[i])) << (i - at);
      }
    }
    words_[word] = bits;
  }
}

}  // namespace tepo
