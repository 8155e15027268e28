// The message file's field rules, applied to decoded text as it arrives.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/runtime.h"

namespace tepo {

// Positions of a buffer that carry a mark, one bit each, so that marking
// every character of a long field costs an eighth of a byte each.
class Marks {
 public:
  // Marks begin .. end - 1.
  void mark(std::size_t begin, std::size_t end);
  bool any(std::size_t begin, std::size_t end) const;
  // The buffer lost its first n characters.
  void dropFront(std::size_t n);

 private:
  std::vector<bool> bits_;  // empty until something is marked
};

// Where a field lies among the lines of the text: how many line ends it
// took (a CR LF pair, a lone CR or a lone LF, inside quotes or as its
// delimiter), and whether it is the last field of its line, which a line
// end or the end of the text ends rather than a comma. Counted in the same
// way in the file's bytes, they find the field's lines there.
struct FieldLines {
  uint32_t lineEnds = 0;
  bool endsLine = false;
  // Its quote was never closed: a line end written after it would join it.
  bool unclosed = false;
};

// Splits text into comma-delimited fields:
// - leading spaces before a field are skipped (a tab is an ordinary character);
// - a field that begins with a double quote runs to the next double quote, commas
//   and line ends included; what follows the closing quote up to the next comma or
//   line end is dropped;
// - otherwise a field runs to the first comma, CR or LF; its other characters,
//   trailing blanks and double quotes included, are kept as they are;
// - a comma, a CR LF pair, a lone CR or a lone LF ends a field and is consumed.
// Each character is looked at once, however long a field grows.
class FieldParser {
 public:
  // bad, when given, holds the positions in chunk of characters that stand
  // for bytes the decoder could not read; otherEncoding tells that the chunk
  // was read in another encoding than the rest of the file.
  void feed(const Text& chunk, const std::vector<std::size_t>* bad = nullptr, bool otherEncoding = false) {
    feed(chunk.data(), chunk.size(), bad, otherEncoding);
  }
  void feed(const char16_t* chunk, std::size_t length, const std::vector<std::size_t>* bad = nullptr,
            bool otherEncoding = false);

  // Takes the next complete field: its characters inside the parser, which
  // the caller may change in place, valid until the next feed. Until atEnd is
  // true a field that reaches the end of the text so far is incomplete and
  // stays for the next feed. Returns false when no complete field is
  // available or, at the end, no input is left. changed, when given, tells
  // whether the field differs from what the text said: leading spaces
  // skipped, text dropped after a closing quote, a quote open across a line
  // end or to the end, a line split at a comma (both sides), or bytes the
  // decoder could not read. otherEncoding, when given, tells whether some of
  // it was fed as read in the other encoding.
  // lines, when given, tells where the field lies among the lines.
  bool next(char16_t*& field, std::size_t& length, bool atEnd, bool* changed = nullptr, bool* otherEncoding = nullptr,
            FieldLines* lines = nullptr);

 private:
  void startNextField(std::size_t after);
  // Hands out the field and notes what the rules did to it.
  bool take(char16_t*& field, std::size_t& length, std::size_t begin, std::size_t end, std::size_t after,
            bool changedByRules, bool* changed, bool* otherEncoding, FieldLines* lines);

  Text buffer_;
  std::size_t pos_ = 0;  // where the open field begins
  // How far the open field has been read, so that a feed goes on from there.
  std::size_t scan_ = 0;
  std::size_t start_ = Text::npos;  // its first character after the spaces, once seen
  std::size_t close_ = Text::npos;  // the closing quote of a quoted field, once seen
  bool lineEndInQuotes_ = false;
  // Line ends inside the open field's quotes: a CR LF pair counts once.
  uint32_t quotedCr_ = 0;
  uint32_t quotedLf_ = 0;
  uint32_t quotedPairs_ = 0;
  bool afterComma_ = false;  // the open field began after a comma
  Marks bad_;
  Marks other_;
};

// Every "\n" (backslash, n) becomes CR LF, scanned left to right without
// overlap, in place: both are two units long.
void expandLineBreaks(char16_t* field, std::size_t length);

}  // namespace tepo
