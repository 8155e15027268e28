// The message file's field rules, applied to decoded text as it arrives.
#pragma once

#include "store/runtime.h"

namespace tepo {

// Splits text into comma-delimited fields:
// - leading spaces before a field are skipped (a tab is an ordinary character);
// - a field that begins with a double quote runs to the next double quote, commas
//   and line ends included; what follows the closing quote up to the next comma or
//   line end is dropped;
// - otherwise a field runs to the first comma, CR or LF; its other characters,
//   trailing blanks and double quotes included, are kept as they are;
// - a comma, a CR LF pair, a lone CR or a lone LF ends a field and is consumed.
class FieldParser {
 public:
  void feed(const Text& chunk) { feed(chunk.data(), chunk.size()); }
  void feed(const char16_t* chunk, std::size_t length);

  // Takes the next complete field. Until atEnd is true a field that reaches the
  // end of the text so far is incomplete and stays for the next feed. Returns
  // false when no complete field is available or, at the end, no input is left.
  bool next(Text& field, bool atEnd);

  // The same without a copy: the field's characters inside the parser, which
  // the caller may change in place; valid until the next feed.
  bool next(char16_t*& field, std::size_t& length, bool atEnd);

 private:
  Text buffer_;
  std::size_t pos_ = 0;
};

// Every "\n" (backslash, n) becomes CR LF, scanned left to right without overlap.
Text expandLineBreaks(Text field);
// The same in place: both are two units long.
void expandLineBreaks(char16_t* field, std::size_t length);

// Every CR LF becomes "\n": the inverse that the writer applies.
Text collapseLineBreaks(const Text& message);

}  // namespace tepo
