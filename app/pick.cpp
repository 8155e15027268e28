#include "app/pick.h"

#include <chrono>

namespace tepo {

int16_t pickIndex(float r, int16_t msgCount) {
  float k = static_cast<float>(sub16(msgCount, 1));
  volatile float product = r * k;  // kept in single precision, not in a wider register
  return roundToInt16(product);
}

void RandomSource::seedFromClock() {
  auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  engine_.seed(static_cast<std::mt19937::result_type>(ticks ^ (ticks >> 32)));
}

float RandomSource::next() {
  // 24 random bits: every value is exact in single precision and below 1.
  return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f);
}

}  // namespace tepo
