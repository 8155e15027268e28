#include "messages/fields.h"

#include <algorithm>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define TEPO_FIELDS_SSE2 1
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif
#endif

namespace tepo {

namespace {

#ifdef TEPO_FIELDS_SSE2
// The lowest bit set in a mask that is not 0.
inline unsigned lowestBit(unsigned mask) {
#if defined(_MSC_VER) && !defined(__clang__)
  unsigned long index;
  _BitScanForward(&index, mask);
  return static_cast<unsigned>(index);
#else
  return static_cast<unsigned>(__builtin_ctz(mask));
#endif
}
#endif

// Where the first of the stops lies in data[at, size), or size. Text is
// mostly letters: eight units at a time are looked at in one go where the
// processor can.
template <char16_t... Stops>
std::size_t findFirst(const char16_t* data, std::size_t at, std::size_t size) {
#ifdef TEPO_FIELDS_SSE2
  for (; at + 8 <= size; at += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    __m128i hits = _mm_setzero_si128();
    ((hits = _mm_or_si128(hits, _mm_cmpeq_epi16(units, _mm_set1_epi16(static_cast<short>(Stops))))), ...);
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    // Two bits a unit.
    if (mask != 0) return at + lowestBit(mask) / 2;
  }
#endif
  while (at < size && ((data[at] != Stops) && ...)) ++at;
  return at;
}

}  // namespace

void Marks::mark(std::size_t begin, std::size_t end) {
  if (begin >= end) return;
  if (bits_.size() < end) bits_.resize(end, false);
  std::fill(bits_.begin() + static_cast<std::ptrdiff_t>(begin), bits_.begin() + static_cast<std::ptrdiff_t>(end), true);
}

bool Marks::any(std::size_t begin, std::size_t end) const {
  end = std::min(end, bits_.size());
  for (std::size_t i = begin; i < end; ++i) {
    if (bits_[i]) return true;
  }
  return false;
}

void Marks::dropFront(std::size_t n) {
  bits_.erase(bits_.begin(), bits_.begin() + static_cast<std::ptrdiff_t>(std::min(n, bits_.size())));
}

void FieldParser::dropConsumed() {
  // Drop what has been consumed so that the buffer holds only the open field;
  // what was learnt of it moves along.
  if (pos_ == 0) return;
  buffer_.erase(0, pos_);
  scan_ -= pos_;
  if (start_ != Text::npos) start_ -= pos_;
  if (close_ != Text::npos) close_ -= pos_;
  if (backslash_ != Text::npos) backslash_ -= pos_;
  bad_.dropFront(pos_);
  other_.dropFront(pos_);
  pos_ = 0;
}

void FieldParser::mark(std::size_t at, std::size_t length, const std::vector<std::size_t>* bad, bool otherEncoding) {
  if (bad) {
    for (std::size_t i : *bad) bad_.mark(at + i, at + i + 1);
  }
  if (otherEncoding) other_.mark(at, at + length);
}

void FieldParser::feed(const char16_t* chunk, std::size_t length, const std::vector<std::size_t>* bad,
                       bool otherEncoding) {
  dropConsumed();
  mark(buffer_.size(), length, bad, otherEncoding);
  buffer_.append(chunk, length);
}

void FieldParser::feed(Text&& chunk, const std::vector<std::size_t>* bad, bool otherEncoding) {
  if (pos_ < buffer_.size()) {
    feed(chunk.data(), chunk.size(), bad, otherEncoding);
    return;
  }
  dropConsumed();
  buffer_.swap(chunk);
  mark(0, buffer_.size(), bad, otherEncoding);
}

void FieldParser::startNextField(std::size_t after) {
  pos_ = scan_ = after;
  start_ = close_ = backslash_ = Text::npos;
  lineEndInQuotes_ = false;
  quotedCr_ = quotedLf_ = quotedPairs_ = 0;
}

Field FieldParser::take(std::size_t begin, std::size_t end, std::size_t after, bool changedByRules) {
  Field field;
  field.changed = changedByRules || afterComma_ || bad_.any(pos_, after);
  // What ended the field, if anything was consumed after it.
  const char16_t delimiter = after > end ? buffer_[after - 1] : u'\0';
  const bool lineEnd = delimiter == u'\n' || delimiter == u'\r';
  field.lines.lineEnds = quotedCr_ + quotedLf_ - quotedPairs_ + (lineEnd ? 1 : 0);
  field.lines.endsLine = delimiter != u',';
  field.otherEncoding = other_.any(pos_, after);
  field.text = &buffer_[0] + begin;
  field.length = end - begin;
  // No "\n" begins before the field's first backslash.
  if (backslash_ < end) expandLineBreaks(&buffer_[0] + backslash_, end - backslash_);
  // A comma split the line the user wrote: the field after it is a piece too.
  afterComma_ = delimiter == u',';
  startNextField(after);
  return field;
}

bool FieldParser::findStart() {
  const std::size_t size = buffer_.size();
  while (scan_ < size && buffer_[scan_] == u' ') ++scan_;
  if (scan_ == size) return false;
  start_ = scan_;
  if (buffer_[start_] == u'"') ++scan_;
  return true;
}

bool FieldParser::findClosingQuote() {
  const std::size_t size = buffer_.size();
  const char16_t* data = buffer_.data();
  for (;; ++scan_) {
    scan_ = findFirst<u'"', u'\r', u'\n', u'\\'>(data, scan_, size);
    if (scan_ == size) return false;
    const char16_t c = data[scan_];
    if (c == u'"') break;
    if (c == u'\\') {
      if (backslash_ == Text::npos) backslash_ = scan_;
      continue;
    }
    lineEndInQuotes_ = true;
    if (c == u'\r') {
      ++quotedCr_;
    } else {
      ++quotedLf_;
      if (data[scan_ - 1] == u'\r') ++quotedPairs_;
    }
  }
  close_ = scan_++;
  return true;
}

std::size_t FieldParser::findDelimiter() {
  const std::size_t size = buffer_.size();
  const char16_t* data = buffer_.data();
  for (;; ++scan_) {
    scan_ = findFirst<u',', u'\r', u'\n', u'\\'>(data, scan_, size);
    if (scan_ == size || data[scan_] != u'\\') return scan_;
    if (backslash_ == Text::npos) backslash_ = scan_;
  }
}

std::optional<Field> FieldParser::next(bool atEnd) {
  const std::size_t size = buffer_.size();
  if (pos_ >= size) return std::nullopt;
  if (start_ == Text::npos && !findStart()) {
    if (!atEnd) return std::nullopt;
    // Only spaces remain: they make one empty field.
    return take(size, size, size, true);
  }
  const bool quoted = buffer_[start_] == u'"';
  if (quoted && close_ == Text::npos && !findClosingQuote()) {
    if (!atEnd) return std::nullopt;
    // Never closed: the field runs to the end of the text.
    Field field = take(start_ + 1, size, size, true);
    field.lines.unclosed = true;
    return field;
  }
  return endField(quoted, atEnd);
}

std::optional<Field> FieldParser::endField(bool quoted, bool atEnd) {
  const std::size_t size = buffer_.size();
  const std::size_t delimiter = findDelimiter();
  const char16_t* data = buffer_.data();
  std::size_t after;
  if (delimiter == size) {
    if (!atEnd) return std::nullopt;
    after = size;
  } else if (data[delimiter] == u'\r') {
    // A CR may be the first half of a CR LF that the next chunk completes.
    if (delimiter + 1 >= size && !atEnd) return std::nullopt;
    after = delimiter + 1;
    if (after < size && data[after] == u'\n') ++after;
  } else {
    after = delimiter + 1;
  }
  const bool trimmed = start_ > pos_;
  const bool dropped = quoted && close_ + 1 != delimiter;
  const bool splitAtComma = delimiter < size && data[delimiter] == u',';
  return take(quoted ? start_ + 1 : start_, quoted ? close_ : delimiter, after,
              trimmed || dropped || lineEndInQuotes_ || splitAtComma);
}

void expandLineBreaks(char16_t* field, std::size_t length) {
  for (std::size_t i = findFirst<u'\\'>(field, 0, length); i + 1 < length; i = findFirst<u'\\'>(field, i + 1, length)) {
    if (field[i + 1] == u'n') {
      field[i] = u'\r';
      field[++i] = u'\n';
    }
  }
}

}  // namespace tepo
