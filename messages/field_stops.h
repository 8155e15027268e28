// Where the field rules must look closer in a text: its commas, double
// quotes, CRs, LFs and backslashes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/bits.h"

namespace tepo {

// One bit for each unit of a text, set at the units above. They are found
// for a whole block at once, sixteen units at a time where the processor
// can and without a branch for each, so that the field rules go from one to
// the next instead of looking at every character.
class FieldStops {
 public:
  // The text is size units long now; its units from from on are new or
  // changed, and their bits are found again. Each "\n" that begins at or
  // after fresh becomes a line break on the way, as the field rules make it
  // (no two overlap), and is no stop: the rules meet a backslash only where
  // it stays one, or where its n is yet to come. Before fresh the rules have
  // passed already, and a line break made there reads as a line end.
  void update(char16_t* text, std::size_t from, std::size_t fresh, std::size_t size);
  // The first stop at or after at, or size.
  std::size_t next(std::size_t at) const {
    std::size_t word = at / 64;
    if (word >= words_.size()) return size_;
    std::uint64_t bits = words_[word] & (~std::uint64_t(0) << (at % 64));
    while (bits == 0) {
      if (++word == words_.size()) return size_;
      bits = words_[word];
    }
    return word * 64 + lowestBit(bits);
  }

 private:
  std::vector<std::uint64_t> words_;
  std::size_t size_ = 0;
};

}  // namespace tepo
