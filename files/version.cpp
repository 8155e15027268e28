#include "files/version.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "files/file_ops.h"

namespace tepo {

namespace {

constexpr uint64_t kPrime = 0x9E3779B97F4A7C15ull;  // odd: the multiplication loses nothing

uint64_t mix(uint64_t lane, uint64_t word) {
  lane = (lane ^ word) * kPrime;
  // The product's high bits reach down, so that every byte counts in every bit.
  return lane ^ (lane >> 29);
}

uint64_t wordAt(const unsigned char* bytes) {
  uint64_t word = 0;
  for (int i = 7; i >= 0; --i) word = word << 8 | bytes[i];
  return word;
}

}  // namespace

void VersionOf::addChunk(const unsigned char* chunk) {
  for (std::size_t lane = 0; lane < kLanes; ++lane) lanes_[lane] = mix(lanes_[lane], wordAt(chunk + 8 * lane));
}

void VersionOf::add(const char* bytes, std::size_t size) {
  // A change by someone else is no attack: a fast hash of good spread is enough.
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  size_ += size;
  if (pendingSize_ > 0) {
    const std::size_t taken = std::min(size, kChunk - pendingSize_);
    std::memcpy(pending_ + pendingSize_, p, taken);
    pendingSize_ += taken;
    p += taken;
    size -= taken;
    if (pendingSize_ < kChunk) return;
    addChunk(pending_);
    pendingSize_ = 0;
  }
  for (; size >= kChunk; p += kChunk, size -= kChunk) addChunk(p);
  std::memcpy(pending_, p, size);
  pendingSize_ = size;
}

FileVersion VersionOf::version() const {
  uint64_t hash = size_;
  for (std::size_t i = 0; i < pendingSize_; ++i) hash = mix(hash, pending_[i] + 1);
  for (uint64_t lane : lanes_) hash = mix(hash, lane);
  return FileVersion{true, size_, hash};
}

FileVersion versionOf(const std::string& bytes) {
  VersionOf version;
  version.add(bytes.data(), bytes.size());
  return version.version();
}

FileVersion FileOps::version(const Text& path) {
  std::unique_ptr<InputFile> file;
  try {
    file = open(path);
  } catch (const RuntimeError& e) {
    if (e.code() == ErrorCode::FileNotFound) return FileVersion();
    throw;
  }
  VersionedInput versioned(*file);
  readToTheEnd(versioned);
  return versioned.version();
}

}  // namespace tepo
