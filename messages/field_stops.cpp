#include "messages/field_stops.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define TEPO_STOPS_SSE2 1
#endif

namespace tepo {

namespace {

bool isStop(char16_t c) { return c == u',' || c == u'"' || c == u'\r' || c == u'\n' || c == u'\\'; }

#ifdef TEPO_STOPS_SSE2
// Sixteen bits for the sixteen units at text.
unsigned stopsOf16(const char16_t* text) {
  const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
  const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + 8));
  __m128i hits[2] = {_mm_setzero_si128(), _mm_setzero_si128()};
  for (char16_t stop : {u',', u'"', u'\r', u'\n', u'\\'}) {
    const __m128i unit = _mm_set1_epi16(static_cast<short>(stop));
    hits[0] = _mm_or_si128(hits[0], _mm_cmpeq_epi16(first, unit));
    hits[1] = _mm_or_si128(hits[1], _mm_cmpeq_epi16(second, unit));
  }
  // Each hit is -1, which stays -1 as a byte.
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(hits[0], hits[1])));
}
#endif

// The bits of the 64 units at text.
std::uint64_t stopsOf64(const char16_t* text) {
  std::uint64_t bits = 0;
#ifdef TEPO_STOPS_SSE2
  for (unsigned i = 0; i < 64; i += 16) bits |= std::uint64_t(stopsOf16(text + i)) << i;
#else
  for (unsigned i = 0; i < 64; ++i) bits |= std::uint64_t(isStop(text[i])) << i;
#endif
  return bits;
}

}  // namespace

void FieldStops::update(const char16_t* text, std::size_t from, std::size_t size) {
  size_ = size;
  words_.resize((size + 63) / 64);
  for (std::size_t word = from / 64; word < words_.size(); ++word) {
    const std::size_t at = word * 64;
    if (at + 64 <= size) {
      words_[word] = stopsOf64(text + at);
      continue;
    }
    std::uint64_t bits = 0;
    for (std::size_t i = at; i < size; ++i) bits |= std::uint64_t(isStop(text[i])) << (i - at);
    words_[word] = bits;
  }
}

}  // namespace tepo
