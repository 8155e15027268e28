// Random choice of a message index.
#pragma once

#include <cstdint>
#include <random>

#include "runtime/runtime.h"

namespace tepo {

// r x (msgCount - 1) in single precision, to the nearest integer, a tie to the
// even one. For msgCount 0 the result may be -1, which lies outside the table.
int16_t pickIndex(float r, int16_t msgCount);

// Uniform single-precision values 0 <= r < 1, seeded once from the clock.
class RandomSource {
 public:
  void seedFromClock();
  float next();

 private:
  std::mt19937 engine_;
};

}  // namespace tepo
