// What tells whether someone else wrote a file: its stamp, which the file
// system gives without a read, and its version, taken from its bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "files/input.h"

namespace tepo {

// A file's version as the file system tells it without a read: whether it
// exists, its size and when it was last written. Another program's save
// changes it.
struct FileStamp {
  bool exists = false;
  uint64_t size = 0;
  uint64_t writeTime = 0;  // in the platform's own units
  bool operator==(const FileStamp& other) const {
    return exists == other.exists && size == other.size && writeTime == other.writeTime;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// What a file holds, as far as a change by someone else goes: whether it
// exists, and its size and a hash of its bytes, which tell a change that
// kept the size and the last-write time (FAT's clock ticks every 2 seconds).
struct FileVersion {
  bool exists = false;
  uint64_t size = 0;
  uint64_t hash = 0;
  bool operator==(const FileVersion& other) const {
    return exists == other.exists && size == other.size && hash == other.hash;
  }
  bool operator!=(const FileVersion& other) const { return !(*this == other); }
};

// The version of bytes as they go by, block after block, however they are
// cut: the same bytes give the same version, and bytes in another order
// another one.
class VersionOf {
 public:
  void add(const char* bytes, std::size_t size);
  FileVersion version() const;

 private:
  static constexpr std::size_t kLanes = 4;
  static constexpr std::size_t kChunk = kLanes * 8;
  void addChunk(const unsigned char* chunk);

  // Four lanes of eight bytes side by side, so that a file is hashed a word,
  // not a byte, at a time.
  uint64_t lanes_[kLanes] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
                             0x27D4EB2F165667C5ull};
  unsigned char pending_[kChunk] = {};
  std::size_t pendingSize_ = 0;
  uint64_t size_ = 0;
};

// The version of bytes held whole.
FileVersion versionOf(const std::string& bytes);

// A file read through another, taking its version on the way.
class VersionedInput : public InputFile {
 public:
  explicit VersionedInput(InputFile& file) : file_(file) {}
  std::size_t read(char* buffer, std::size_t size) override {
    std::size_t got = file_.read(buffer, size);
    version_.add(buffer, got);
    return got;
  }
  FileVersion version() const { return version_.version(); }

 private:
  InputFile& file_;
  VersionOf version_;
};

}  // namespace tepo
