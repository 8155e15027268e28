// The evidence of real text that tells a line's encoding, made by
// tools/reading_model.py from the text of Debian's packages (see
// scripts/corpus.sh). Costs are -log2 of a probability, in quarter bits.
#pragma once

#include <cstddef>

namespace tepo::reading {

// Classes of characters, in the generator's order.
enum Class : unsigned char {
  kEdge,    // the start or end of the line
  kSpace,   // ASCII blanks
  kAlpha,   // ASCII letters
  kDigit,   // ASCII digits
  kAPunct,  // other ASCII
  kHiragana,
  kKatakana,
  kHalfKatakana,
  kKanji1,  // the most frequent kanji
  kKanji2,  // the next ones
  kKanji3,  // the rest of the code page's first level, and rare ones seen
  kKanji0,  // ideographs never seen: mostly the second level
  kCjkPunct,
  kLatin1,  // letters of Latin-1
  kLatinExtended,
  kLatin1Symbol,
  kModifier,  // IPA, modifier letters, combining marks
  kGreek,
  kCyrillic,
  kHangul,
  kThai,
  kDevanagari,
  kSymbol,  // general punctuation, arrows, mathematics, shapes, dingbats
  kEmoji,
  kPrivateUse,
  kC1,
  kOther,  // the other scripts
  kClassCount
};

// Japanese, Chinese, Korean, Latin, Greek, Cyrillic, other scripts.
constexpr std::size_t kGroupCount = 7;

// The characters each class lists, sorted, with their class and their cost
// within it; the class's others cost kUnlistedCost.
extern const std::size_t kCharacterCount;
extern const char16_t kCharacters[];
extern const unsigned char kCharacterClass[];
extern const unsigned char kCharacterCost[];
extern const unsigned char kUnlistedCost[kClassCount];
// The cost of a class after a class, in each group.
extern const unsigned char kPairCost[kClassCount][kClassCount][kGroupCount];

}  // namespace tepo::reading
