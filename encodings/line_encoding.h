// Which encoding a line of a message file is in when the file carries no
// mark: the system's code page or UTF-8. Short Shift-JIS texts are often
// well-formed UTF-8 too (ﾊｲﾃｸ reads as ʲø, 凜。 as ꣁB), and UTF-8 often
// reads in the code page (おやすみ as 縺翫ｄ縺吶∩); then each reading is
// weighed by how real text it looks: how often its characters, and the
// classes of neighbouring characters, occur in real writing, in the language
// group that fits it best, Japanese first. Integer costs only, so that every
// build decides alike.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/runtime.h"

namespace tepo {

// Japanese, Chinese, Korean, Latin, Greek, Cyrillic, other scripts; a
// lane more, unused, so that a character adds to all in one go.
constexpr std::size_t kLanguageGroups = 7;
constexpr std::size_t kLanes = 8;

// The cost of a text as real writing in each language group, in quarter
// bits (-log2 of how likely it is).
struct GroupCosts {
  std::int32_t cost[kLanes] = {};
  void add(const GroupCosts& other) {
    for (std::size_t g = 0; g < kLanes; ++g) cost[g] += other.cost[g];
  }
  // The cost in the group that fits best, Japanese being the likeliest.
  std::int32_t best() const;
};

// A text's costs, fed a character at a time. ASCII beside ASCII costs
// nothing: it reads the same in both encodings.
class TextCost {
 public:
  TextCost();
  void add(char32_t c);
  // The costs so far, the line ending here.
  GroupCosts groups() const;

 private:
  const struct ReadingPlane* plane_;
  std::int32_t characters_ = 0;
  GroupCosts pairs_;
  unsigned char previous_;
  bool previousAscii_ = true;
};

// The costs of a whole decoded line.
GroupCosts textCost(const char16_t* text, std::size_t length);

// How one line's bytes read in each of the two encodings.
struct LineReadings {
  bool ascii = true;              // the same in both
  bool utf8 = true;               // well-formed UTF-8
  bool utf8Cut = false;           // not, only because the bytes end inside a character
  std::size_t cutAt = 0;          // where that character starts
  GroupCosts utf8Costs;           // of the UTF-8 reading, up to a cut
  std::int32_t utf8Cost = 0;      // the best of them
  std::size_t nonAsciiBytes = 0;  // up to where the UTF-8 reading stopped
  // Two half-width kana (C2-DF, A1-BF) and its line end at most: one
  // character in UTF-8.
  bool pair = false;
  // Of the code page's reading, asked only where it decides something.
  bool ansiKnown = false;
  bool ansi = false;  // no byte that is no character
  GroupCosts ansiCosts;
  std::int32_t ansiCost = 0;
};

// The UTF-8 side of the line at once; the code page's side is filled in by
// readAnsi, which costs a decoding. Of a line cut inside a UTF-8 character,
// both weigh only what comes before it.
LineReadings examineLine(const char* bytes, std::size_t length);
void readAnsi(LineReadings& line, const char* bytes, std::size_t length);

// Whether a file in the code page takes the line as its own whatever it
// weighs: it is ASCII, or no UTF-8 before its end (a character merely cut
// off by the end is weighed). A look at the bytes without examineLine's
// weighing, for the many lines that are no UTF-8 from their first kana.
bool goesWithCodePage(const char* bytes, std::size_t length);
// How many bytes of whole lines at the start of bytes a file in the code
// page takes so, up to and including the line that reaches limit.
std::size_t codePageLines(const char* bytes, std::size_t length, std::size_t limit);

// A line whose readings differ by this much goes its own way, whatever the
// file's encoding.
constexpr std::int32_t kStrongLine = 16 * 4;
// Evidence for a file's encoding that settles it; a line only one reading
// takes is worth this much.
constexpr std::int32_t kDecisive = 40 * 4;

// How much more the line reads as UTF-8 than in the code page (negative:
// less). Needs readAnsi for a non-ASCII line that is UTF-8 or cut.
std::int32_t utf8Evidence(const LineReadings& line);

// What a file's lines say of its encoding. The lines that both read are
// weighed together, in one language group for all, so that lines that each
// fit some language (з, ŵ, μ) lose to a reading that fits one (ﾐｷ, ﾅｵ, ﾎｼ).
class FileEvidence {
 public:
  // Needs readAnsi as utf8Evidence does.
  void add(const LineReadings& line);
  // How much more the lines so far read as UTF-8.
  std::int32_t utf8() const;
  // The lines so far that are not ASCII are one pair (LineReadings::pair)
  // that both read. On a Japanese system two half-width kana are a far
  // likelier message than a lone letter of another alphabet in UTF-8
  // (ﾐｷ, not з), so it leans to the code page, however it weighs alone.
  bool lonePair() const { return lonePair_ && decided_ == 0; }

 private:
  std::int32_t decided_ = 0;  // from lines only one reading takes
  std::int32_t weighed_ = 0;  // lines both read
  bool lonePair_ = false;
  GroupCosts utf8_;
  GroupCosts ansi_;
};

// Whether the UTF-8 reading is plainly text, so that no reading in the code
// page could be strong against it: such a line of a UTF-8 file is taken
// without decoding it twice.
bool plainlyUtf8(const LineReadings& line);

}  // namespace tepo
