// The message file's field rules, applied to decoded text as it arrives.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "messages/field_stops.h"
#include "runtime/runtime.h"

namespace tepo {

// Positions of a buffer that carry a mark, one bit each, so that marking
// every character of a long field costs an eighth of a byte each.
class Marks {
 public:
  // Marks begin .. end - 1.
  void mark(std::size_t begin, std::size_t end);
  bool any(std::size_t begin, std::size_t end) const { return begin < bits_.size() && anyFrom(begin, end); }
  // The buffer lost its first n characters.
  void dropFront(std::size_t n);

 private:
  bool anyFrom(std::size_t begin, std::size_t end) const;

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

// One field as FieldParser hands it out.
struct Field {
  // Its characters inside the parser, which the caller may change in place,
  // valid until the next feed.
  char16_t* text = nullptr;
  std::size_t length = 0;
  // It differs from what the text said: leading spaces skipped, text
  // dropped after a closing quote, a quote open across a line end or to the
  // end, a line split at a comma (both sides), or bytes the decoder could
  // not read. A "\n" made a line break is no change.
  bool changed = false;
  // Some of it was fed as read in the other encoding.
  bool otherEncoding = false;
  FieldLines lines;
};

// Splits text into comma-delimited fields:
// - leading spaces before a field are skipped (a tab is an ordinary character);
// - a field that begins with a double quote runs to the next double quote, commas
//   and line ends included; what follows the closing quote up to the next comma or
//   line end is dropped;
// - otherwise a field runs to the first comma, CR or LF; its other characters,
//   trailing blanks and double quotes included, are kept as they are;
// - a comma, a CR LF pair, a lone CR or a lone LF ends a field and is consumed;
// - in the field handed out, every "\n" is a line break, as expandLineBreaks
//   makes it (the scan does the same as it passes).
// Each character is looked at once, however long a field grows.
class FieldParser {
 public:
  // bad, when given, holds the positions in chunk of characters that stand
  // for bytes the decoder could not read; otherEncoding tells that the chunk
  // was read in another encoding than the rest of the file. A chunk comes
  // once next has handed out every field it could: the text before it has
  // been scanned, and the line breaks made in it are not looked at again.
  void feed(const Text& chunk, const std::vector<std::size_t>* bad = nullptr, bool otherEncoding = false) {
    feed(chunk.data(), chunk.size(), bad, otherEncoding);
  }
  void feed(const char16_t* chunk, std::size_t length, const std::vector<std::size_t>* bad = nullptr,
            bool otherEncoding = false);
  // The same, taking the chunk's storage when no field is open, so that a
  // block is not copied; chunk is left for the caller to fill anew.
  void feed(Text&& chunk, const std::vector<std::size_t>* bad = nullptr, bool otherEncoding = false);

  // The next complete field, if there is one. Until atEnd is true a field
  // that reaches the end of the text so far is incomplete and stays for the
  // next feed; at the end, nothing once no input is left.
  std::optional<Field> next(bool atEnd);

 private:
  void dropConsumed();
  // Notes what feed was told of the chunk that lands at at.
  void mark(std::size_t at, std::size_t length, const std::vector<std::size_t>* bad, bool otherEncoding);
  void startNextField(std::size_t after);
  // Each of these goes on from scan_; false at the end of the text so far.
  bool findStart();
  bool findClosingQuote(bool atEnd);
  std::size_t findDelimiter(bool quoted, bool atEnd);
  // At the backslash at scan_: a "\n" there becomes a line break, and the
  // scan goes on after it; false when what follows is yet to come.
  bool passBackslash(bool atEnd);
  // A field with no space or quote before it and no comma in it, ended by a
  // line end within the text so far: taken at once. Otherwise false, and the
  // rules go on from where the look stopped.
  bool takePlainLine(std::optional<Field>& field);
  // Fills field in when the field is complete.
  void endField(std::optional<Field>& field, bool quoted, bool atEnd);
  // Hands out the field and notes what the rules did to it: the unit at
  // ended ended it, unless ended is after (the end of the text did).
  void take(Field& field, std::size_t begin, std::size_t end, std::size_t ended, std::size_t after,
            bool changedByRules);

  Text buffer_;
  FieldStops stops_;
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
