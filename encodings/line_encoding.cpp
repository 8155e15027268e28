#include "encodings/line_encoding.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "encodings/ansi.h"
#include "encodings/reading_table.h"
#include "encodings/utf8.h"
#include "runtime/bits.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define TEPO_LINES_SSE2 1
#endif

namespace tepo {

namespace {

using namespace reading;

static_assert(kLanguageGroups == kGroupCount, "the table's groups");

// The groups other than Japanese start this much behind: tepo's users are
// Japanese, and a text that fits Japanese about as well as another group is
// Japanese.
constexpr std::int32_t kGroupPrior[kGroupCount] = {0, 24, 24, 24, 24, 24, 24};

struct Entry {
  unsigned char klass;
  unsigned char cost;
};

// The class of a code point by its range, as the generator has it.
unsigned char classByRange(char32_t c) {
  if (c < 0x80) {
    if (c == ' ' || c == '\t') return kSpace;
    if (c == '\r' || c == '\n') return kEdge;
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') return kAlpha;
    if (c >= '0' && c <= '9') return kDigit;
    return kAPunct;
  }
  if (c < 0xA0) return kC1;
  if (c < 0xC0 || c == 0xD7 || c == 0xF7) return kLatin1Symbol;
  if (c < 0x100) return kLatin1;
  if (c < 0x250 || (c >= 0x1E00 && c <= 0x1EFF)) return kLatinExtended;
  if (c < 0x370) return kModifier;
  if (c < 0x400 || (c >= 0x1F00 && c <= 0x1FFF)) return kGreek;
  if (c < 0x530) return kCyrillic;
  if (c >= 0x900 && c <= 0x97F) return kDevanagari;
  if (c >= 0xE00 && c <= 0xE7F) return kThai;
  if ((c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F) || (c >= 0xAC00 && c <= 0xD7AF)) return kHangul;
  if ((c >= 0x2000 && c <= 0x2BFF) || (c >= 0xFE00 && c <= 0xFE0F)) return kSymbol;
  if (c >= 0x3041 && c <= 0x309F) return kHiragana;
  if ((c >= 0x30A0 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF)) return kKatakana;
  if ((c >= 0x3000 && c <= 0x303F) || (c >= 0x3200 && c <= 0x33FF) || (c >= 0xFE30 && c <= 0xFE4F) ||
      (c >= 0xFF01 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFEF))
    return kCjkPunct;
  if (c >= 0xFF61 && c <= 0xFF9F) return kHalfKatakana;
  if ((c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
      (c >= 0x20000 && c <= 0x3FFFF))
    return kKanji0;
  if ((c >= 0xE000 && c <= 0xF8FF) || c >= 0xF0000) return kPrivateUse;
  if (c >= 0x1F000 && c <= 0x1FAFF) return kEmoji;
  return kOther;
}

// The first byte from i on that is not ASCII, or length: eight at a time,
// since lines are often ASCII for long.
std::size_t skipAscii(const unsigned char* p, std::size_t i, std::size_t length) {
  for (; i + 8 <= length; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    if (word & 0x8080808080808080u) break;
  }
  while (i < length && p[i] < 0x80) ++i;
  return i;
}

}  // namespace

// Class and cost of every character of the first plane, laid out once from
// the compact table, and the pairs' costs with a group of padding, so that
// a character adds to every group in one go.
static_assert(kGroupCount <= kLanes, "the groups fit the lanes");

struct ReadingPlane {
  Entry entries[0x10000];
  unsigned char pairs[kClassCount][kClassCount][kLanes];
  ReadingPlane() {
    for (std::size_t a = 0; a < kClassCount; ++a) {
      for (std::size_t b = 0; b < kClassCount; ++b) {
        for (std::size_t g = 0; g < kLanes; ++g) pairs[a][b][g] = g < kGroupCount ? kPairCost[a][b][g] : 0;
      }
    }
    for (char32_t c = 0; c < 0x10000; ++c) {
      const unsigned char k = classByRange(c);
      entries[c] = {k, c < 0x80 ? static_cast<unsigned char>(0) : kUnlistedCost[k]};
    }
    for (std::size_t i = 0; i < kCharacterCount; ++i) entries[kCharacters[i]] = {kCharacterClass[i], kCharacterCost[i]};
  }
};

static const ReadingPlane& plane() {
  static const ReadingPlane table;
  return table;
}

std::int32_t GroupCosts::best() const {
  std::int32_t least = cost[0] + kGroupPrior[0];
  for (std::size_t g = 1; g < kGroupCount; ++g) least = std::min(least, cost[g] + kGroupPrior[g]);
  return least;
}

TextCost::TextCost() : plane_(&plane()), previous_(kEdge) {}

void TextCost::add(char32_t c) {
  Entry e;
  if (c < 0x10000) {
    e = plane_->entries[c];
  } else {
    e.klass = classByRange(c);
    e.cost = kUnlistedCost[e.klass];
  }
  const bool ascii = c < 0x80;
  if (!(ascii && previousAscii_)) {
    const unsigned char* pair = plane_->pairs[previous_][e.klass];
    for (std::size_t g = 0; g < kLanes; ++g) pairs_.cost[g] += pair[g];
  }
  characters_ += e.cost;
  previous_ = e.klass;
  previousAscii_ = ascii;
}

GroupCosts TextCost::groups() const {
  GroupCosts costs = pairs_;
  for (std::size_t g = 0; g < kLanes; ++g) {
    costs.cost[g] += characters_;
    if (!previousAscii_) costs.cost[g] += plane_->pairs[previous_][kEdge][g];
  }
  return costs;
}

GroupCosts textCost(const char16_t* text, std::size_t length) {
  TextCost cost;
  for (std::size_t i = 0; i < length; ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    cost.add(c);
  }
  return cost.groups();
}

namespace {

// The UTF-8 character at p[i]. Kana and kanji take three bytes: those are
// decoded here, the rest by utf8::characterAt.
utf8::Character utf8At(const unsigned char* p, std::size_t i, std::size_t length) {
  if (i + 2 < length && (p[i] & 0xF0) == 0xE0 && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80) {
    utf8::Character c;
    c.code = (char32_t(p[i] & 0x0F) << 12) | (char32_t(p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F);
    if (c.code >= 0x800 && (c.code < 0xD800 || c.code > 0xDFFF)) {
      c.length = 3;
      return c;
    }
  }
  return utf8::characterAt(p + i, length - i);
}

// Two half-width kana and a line end at most.
bool isKanaPair(const unsigned char* p, std::size_t length) {
  if (length > 0 && p[length - 1] == '\n') --length;
  if (length > 0 && p[length - 1] == '\r') --length;
  return length == 2 && p[0] >= 0xC2 && p[0] <= 0xDF && p[1] >= 0xA1 && p[1] <= 0xBF;
}

}  // namespace

LineReadings examineLine(const char* bytes, std::size_t length) {
  LineReadings line;
  TextCost cost;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < length;) {
    if (p[i] < 0x80) {
      // Only the ASCII beside other characters costs anything.
      const std::size_t start = i;
      i = skipAscii(p, i, length);
      if (start > 0) cost.add(p[start]);
      if (i < length && !(start > 0 && i - 1 == start)) cost.add(p[i - 1]);
      continue;
    }
    line.ascii = false;
    const utf8::Character c = utf8At(p, i, length);
    if (c.length == 0) {
      line.utf8 = false;
      line.utf8Cut = c.cut;
      line.cutAt = i;
      break;
    }
    cost.add(c.code);
    line.nonAsciiBytes += c.length;
    i += c.length;
  }
  line.pair = isKanaPair(p, length);
  // Only where the reading is weighed.
  if (line.utf8 || line.utf8Cut) {
    line.utf8Costs = cost.groups();
    line.utf8Cost = line.utf8Costs.best();
  }
  return line;
}

void readAnsi(LineReadings& line, const char* bytes, std::size_t length) {
  // A cut character weighs in neither reading.
  if (line.utf8Cut) length = line.cutAt;
  Text text;
  std::vector<std::size_t> bad;
  ansi::decodeInto(bytes, length, text, &bad);
  line.ansiKnown = true;
  line.ansi = bad.empty();
  line.ansiCosts = textCost(text.data(), text.size());
  line.ansiCost = line.ansiCosts.best();
}

bool goesWithCodePage(const char* bytes, std::size_t length) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  bool ascii = true;
  for (std::size_t i = skipAscii(p, 0, length); i < length; i = skipAscii(p, i, length)) {
    const utf8::Character c = utf8::characterAt(p + i, length - i);
    if (c.length == 0) return !c.cut;
    ascii = false;
    i += c.length;
  }
  return ascii;
}

namespace {

// The bytes of 64 at p (fewer at the end) that are LFs, beyond ASCII, and
// among those the ones UTF-8 can begin a character of more than a byte with
// (0xC2-0xF4), one bit each.
struct ByteMasks {
  std::uint64_t lf = 0;
  std::uint64_t high = 0;
  std::uint64_t utf8Lead = 0;
};

ByteMasks masksAt(const unsigned char* p, std::size_t available) {
  ByteMasks m;
#ifdef TEPO_LINES_SSE2
  if (available >= 64) {
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i low = _mm_set1_epi8(static_cast<char>(0xC2));
    const __m128i top = _mm_set1_epi8(static_cast<char>(0xF4));
    for (unsigned i = 0; i < 64; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      const __m128i lead =
          _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(v, low), v), _mm_cmpeq_epi8(_mm_min_epu8(v, top), v));
      m.lf |= std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)))) << i;
      m.high |= std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(v))) << i;
      m.utf8Lead |= std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(lead))) << i;
    }
    return m;
  }
#endif
  for (std::size_t i = 0; i < available && i < 64; ++i) {
    m.lf |= std::uint64_t(p[i] == '\n') << i;
    m.high |= std::uint64_t(p[i] >= 0x80) << i;
    m.utf8Lead |= std::uint64_t(p[i] >= 0xC2 && p[i] <= 0xF4) << i;
  }
  return m;
}

}  // namespace

std::size_t codePageLines(const char* bytes, std::size_t length, std::size_t limit) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  if (limit == 0) return 0;
  // A line's first byte beyond ASCII is found for all its lines at once: a
  // carry let in at each line's start runs through its ASCII to the first
  // such byte, and an LF ends it. Only a line whose first one may begin a
  // UTF-8 character is looked at closer; most are no UTF-8 from there.
  std::size_t afterLf = 0;    // after the last LF so far: where the line begins
  std::uint64_t startIn = 1;  // a line begins at the chunk's first byte
  std::uint64_t carry = 0;
  for (std::size_t at = 0; at < length; at += 64) {
    const ByteMasks m = masksAt(p + at, length - at);
    const std::uint64_t open = ~(m.high | m.lf);
    const std::uint64_t once = open + ((m.lf << 1) | startIn);
    const std::uint64_t sum = once + carry;
    carry = once < open || sum < once ? 1 : 0;
    startIn = m.lf >> 63;
    for (std::uint64_t doubtful = sum & m.utf8Lead; doubtful != 0; doubtful &= doubtful - 1) {
      const std::size_t i = at + lowestBit(doubtful);
      const std::uint64_t before = m.lf & ((std::uint64_t(1) << (i - at)) - 1);
      const std::size_t begin = before ? at + highestBit(before) + 1 : afterLf;
      if (begin >= limit) break;
      const void* lf = std::memchr(bytes + i, '\n', length - i);
      // A whole line ends in an LF, so nothing in it is cut; one without is
      // not taken.
      if (!lf) return begin;
      const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(lf) - bytes);
      if (!goesWithCodePage(bytes + i, end + 1 - i)) return begin;
    }
    // Up to and including the line that reaches limit.
    if (limit - 1 < at + 64) {
      const std::uint64_t ends = m.lf & (~std::uint64_t(0) << (limit - 1 > at ? limit - 1 - at : 0));
      if (ends) return at + lowestBit(ends) + 1;
    }
    if (m.lf) afterLf = at + highestBit(m.lf) + 1;
  }
  return afterLf;
}

std::int32_t utf8Evidence(const LineReadings& line) {
  if (line.ascii) return 0;
  if (!line.utf8 && !line.utf8Cut) return -kDecisive;
  if (!line.ansi) return kDecisive;
  return line.ansiCost - line.utf8Cost;
}

void FileEvidence::add(const LineReadings& line) {
  if (line.ascii) return;
  if ((!line.utf8 && !line.utf8Cut) || !line.ansi) {
    decided_ += utf8Evidence(line);
    return;
  }
  lonePair_ = weighed_++ == 0 && line.pair;
  utf8_.add(line.utf8Costs);
  ansi_.add(line.ansiCosts);
}

std::int32_t FileEvidence::utf8() const {
  const std::int32_t evidence = decided_ + ansi_.best() - utf8_.best();
  // Leaning is all: a line after it may still settle the file either way.
  return lonePair() ? std::min(evidence, -1) : evidence;
}

bool plainlyUtf8(const LineReadings& line) {
  // The code page reads UTF-8's bytes as rare kanji and half-width kana,
  // which cost more than 6 bits a byte; text that costs at most 4 is no
  // match for that.
  return line.utf8 && line.utf8Cost <= static_cast<std::int32_t>(line.nonAsciiBytes) * 16;
}

}  // namespace tepo
