#include "runtime/runtime.h"

#include <cmath>

namespace tepo {

namespace {

std::string narrowName(ErrorCode code) { return "tepo runtime error " + std::to_string(static_cast<int>(code)); }

}  // namespace

RuntimeError::RuntimeError(ErrorCode code)
    : std::runtime_error(narrowName(code)), code_(code), description_(describe(code)) {}

Text describe(ErrorCode code) {
  switch (code) {
    case ErrorCode::Overflow:
      return u"オーバーフローしました。";
    case ErrorCode::OutOfMemory:
      return u"メモリが不足しています。";
    case ErrorCode::SubscriptOutOfRange:
      return u"インデックスが有効範囲にありません。";
    case ErrorCode::Internal:
      return u"内部エラーです。";
    case ErrorCode::FileNotFound:
      return u"ファイルが見つかりません。";
    case ErrorCode::FileAccess:
      return u"ファイルにアクセスできません。";
    case ErrorCode::DeviceIo:
      return u"デバイス I/O エラーです。";
  }
  return u"アプリケーション定義またはオブジェクト定義のエラーです。";
}

void raise(ErrorCode code) { throw RuntimeError(code); }

Text decimal(long long n) {
  const std::string digits = std::to_string(n);
  return Text(digits.begin(), digits.end());
}

int16_t toInt16(long long value) {
  if (value < INT16_MIN || value > INT16_MAX) raise(ErrorCode::Overflow);
  return static_cast<int16_t>(value);
}

int16_t add16(int16_t a, int16_t b) { return toInt16(static_cast<long long>(a) + b); }
int16_t sub16(int16_t a, int16_t b) { return toInt16(static_cast<long long>(a) - b); }
int16_t mul16(int16_t a, int16_t b) { return toInt16(static_cast<long long>(a) * b); }

namespace {

// Round half to even without depending on the floating-point environment.
double roundHalfEven(double value) {
  double floorValue = std::floor(value);
  double diff = value - floorValue;
  if (diff > 0.5) return floorValue + 1.0;
  if (diff < 0.5) return floorValue;
  return std::fmod(floorValue, 2.0) == 0.0 ? floorValue : floorValue + 1.0;
}

}  // namespace

int16_t roundToInt16(double value) {
  if (!std::isfinite(value)) raise(ErrorCode::Overflow);
  double r = roundHalfEven(value);
  if (r < INT16_MIN || r > INT16_MAX) raise(ErrorCode::Overflow);
  return static_cast<int16_t>(r);
}

int32_t roundToInt32(double value) {
  if (!std::isfinite(value)) raise(ErrorCode::Overflow);
  double r = roundHalfEven(value);
  if (r < INT32_MIN || r > INT32_MAX) raise(ErrorCode::Overflow);
  return static_cast<int32_t>(r);
}

}  // namespace tepo
