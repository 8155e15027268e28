// The program's runtime error and the 16-bit arithmetic rules its counters follow.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tepo {

// Texts are UTF-16 in memory on every platform.
using Text = std::u16string;
// A text held by someone else, such as the message table.
using TextView = std::u16string_view;

enum class ErrorCode {
  Overflow = 6,
  OutOfMemory = 7,
  SubscriptOutOfRange = 9,
  Internal = 51,
  FileNotFound = 53,
  FileAccess = 75,
  DeviceIo = 57,
};

// One exception type for every failure the program traps; it carries the
// description the user sees after the complaint text.
class RuntimeError : public std::runtime_error {
 public:
  explicit RuntimeError(ErrorCode code);
  ErrorCode code() const { return code_; }
  const Text& description() const { return description_; }

 private:
  ErrorCode code_;
  Text description_;
};

Text describe(ErrorCode code);

// The decimal digits of n, with a minus sign when negative, nothing else.
Text decimal(long long n);

[[noreturn]] void raise(ErrorCode code);

// Narrowing to a signed 16-bit value; anything outside raises Overflow.
int16_t toInt16(long long value);
int16_t add16(int16_t a, int16_t b);
int16_t sub16(int16_t a, int16_t b);
int16_t mul16(int16_t a, int16_t b);

// Floating value to integer: nearest, a tie to the even one; out of range raises Overflow.
int16_t roundToInt16(double value);
int32_t roundToInt32(double value);

// Rounds an intermediate to single precision, as window properties store it.
inline float toSingle(double value) { return static_cast<float>(value); }

}  // namespace tepo
