#include "encodings/line_encoding.h"

#include <vector>

#include "encodings/ansi.h"
#include "encodings/utf8.h"

namespace tepo {

namespace {

struct Range {
  char32_t first;
  char32_t last;
};

// What Japanese users type beyond ASCII, whether the code page has it or not.
constexpr Range kTyped[] = {
    {0x00A0, 0x017F},    // Latin-1 and Latin Extended-A: café, Tōkyō, ©, °
    {0x200B, 0x200D},    // zero width space and joiners, as in emoji sequences
    {0x2010, 0x2027},    // dashes, quotes, bullets, ellipsis
    {0x2030, 0x203E},    // per mille, primes, reference mark
    {0x2047, 0x2049},    // ⁇ ⁈ ⁉
    {0x20A0, 0x20BF},    // currency signs
    {0x2100, 0x23FF},    // letterlike symbols, number forms, arrows, mathematics, ⌚
    {0x2460, 0x27BF},    // enclosed numbers, box drawing, shapes, symbols, dingbats
    {0x2934, 0x2935},    // ⤴ ⤵
    {0x2B05, 0x2B55},    // ⬅ ⬆ ⬛ ⭐ ⭕
    {0x3000, 0x30FF},    // ideographic punctuation, hiragana, katakana
    {0x31F0, 0x33FF},    // small katakana, enclosed and squared CJK: ㈱ ㍻ ㋿
    {0x4E00, 0x9FFF},    // ideographs
    {0xF900, 0xFAFF},    // compatibility ideographs
    {0xFE00, 0xFE0F},    // variation selectors
    {0xFE30, 0xFE4F},    // vertical forms
    {0xFF00, 0xFFEF},    // full-width and half-width forms
    {0x10000, 0xEFFFF},  // emoji and ideographs beyond the first plane
};

}  // namespace

bool nobodyTypes(char32_t c) {
  // Kana and kanji first: most of a Japanese line.
  if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) || c < 0x80) return false;
  if (c < 0xA0) return true;
  if ((c >= 0xE000 && c <= 0xF8FF) || c >= 0xF0000) return true;
  for (const Range& r : kTyped) {
    if (c >= r.first && c <= r.last) return false;
  }
  // Greek and Cyrillic letters and the like, where the code page has them.
  return c > 0xFFFF || !ansi::hasCharacter(static_cast<char16_t>(c));
}

LineReadings examineLine(const char* bytes, std::size_t length) {
  LineReadings line;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < length;) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    line.ascii = false;
    const utf8::Character c = utf8::characterAt(p + i, length - i);
    if (c.length == 0) {
      line.utf8 = false;
      line.utf8Cut = c.cut;
      return line;
    }
    if (nobodyTypes(c.code)) ++line.utf8Unlikely;
    i += c.length;
  }
  return line;
}

void readAnsi(LineReadings& line, const char* bytes, std::size_t length) {
  Text text;
  std::vector<std::size_t> bad;
  ansi::decodeInto(bytes, length, text, &bad);
  line.ansiKnown = true;
  line.ansi = bad.empty();
  line.ansiUnlikely = 0;
  for (char16_t c : text) {
    if (nobodyTypes(c)) ++line.ansiUnlikely;
  }
}

LineVerdict verdictOf(const LineReadings& line) {
  if (line.ascii) return LineVerdict::Same;
  if (!line.utf8) return LineVerdict::Ansi;
  if (!line.ansi) return LineVerdict::Utf8;
  if (line.utf8Unlikely > line.ansiUnlikely) return LineVerdict::LeansAnsi;
  if (line.ansiUnlikely > line.utf8Unlikely) return LineVerdict::LeansUtf8;
  return LineVerdict::Either;
}

}  // namespace tepo
