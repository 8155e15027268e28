// Bit arithmetic the scanners share.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace tepo {

// The index of the lowest bit set in bits, which is not 0.
inline std::size_t lowestBit(std::uint64_t bits) {
#if defined(_MSC_VER) && !defined(__clang__)
  unsigned long index;
  if (_BitScanForward(&index, static_cast<unsigned long>(bits))) return index;
  _BitScanForward(&index, static_cast<unsigned long>(bits >> 32));
  return 32 + index;
#else
  return static_cast<std::size_t>(__builtin_ctzll(bits));
#endif
}

// The index of the highest bit set in bits, which is not 0.
inline std::size_t highestBit(std::uint64_t bits) {
#if defined(_MSC_VER) && !defined(__clang__)
  unsigned long index;
  if (_BitScanReverse(&index, static_cast<unsigned long>(bits >> 32))) return 32 + index;
  _BitScanReverse(&index, static_cast<unsigned long>(bits));
  return index;
#else
  return static_cast<std::size_t>(63 - __builtin_clzll(bits));
#endif
}

}  // namespace tepo
