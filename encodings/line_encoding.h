// Which encoding a line of a message file is in when the file carries no
// mark: the system's code page or UTF-8. Short Shift-JIS texts are often
// well-formed UTF-8 too (ﾊｲﾃｸ reads as ʲø, 凜。 as ꣁB); then the reading
// that holds characters nobody types loses.
#pragma once

#include <cstddef>

#include "runtime/runtime.h"

namespace tepo {

// Whether no Japanese user types the character into a message: C1 controls,
// private use (the code page's user-defined characters), and the scripts and
// symbols beyond the code page that a misread Shift-JIS line brings up
// (modifier letters, Indic and Southeast Asian scripts, Yi, Hangul, rare
// ideographs of extension A). Emoji, kanji beyond the code page, Latin
// letters with accents and common symbols are typed.
bool nobodyTypes(char32_t c);

// How one line's bytes read in each of the two encodings.
struct LineReadings {
  bool ascii = true;             // the same in both
  bool utf8 = true;              // well-formed UTF-8
  bool utf8Cut = false;          // not, only because the bytes end inside a character
  std::size_t utf8Unlikely = 0;  // characters of the UTF-8 reading that nobody types
  // Of the code page's reading, asked only where it decides something.
  bool ansiKnown = false;
  bool ansi = false;  // no byte that is no character
  std::size_t ansiUnlikely = 0;
};

// The UTF-8 side of the line at once; the code page's side is filled in by
// readAnsi, which costs a decoding.
LineReadings examineLine(const char* bytes, std::size_t length);
void readAnsi(LineReadings& line, const char* bytes, std::size_t length);

// What a line, read alone, says of the file's encoding.
enum class LineVerdict {
  Same,       // ASCII: nothing
  Utf8,       // only UTF-8 reads it
  Ansi,       // it is no UTF-8
  LeansUtf8,  // both read it; the code page's reading holds more characters nobody types
  LeansAnsi,  // both read it; UTF-8's reading holds more characters nobody types
  Either,     // both read it as well
};
// Needs readAnsi for a non-ASCII line that is well-formed UTF-8.
LineVerdict verdictOf(const LineReadings& line);

}  // namespace tepo
