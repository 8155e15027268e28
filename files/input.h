// Reading a file in blocks: the file system's files, and bytes in memory
// read as one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

#include "runtime/runtime.h"

namespace tepo {

class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to size bytes; 0 means the end of the file. A failure raises.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

// Bytes in memory, read as a file.
class BytesInput : public InputFile {
 public:
  explicit BytesInput(const std::string& bytes) : bytes_(bytes) {}
  std::size_t read(char* buffer, std::size_t size) override {
    std::size_t n = std::min(size, bytes_.size() - at_);
    bytes_.copy(buffer, n, at_);
    at_ += n;
    return n;
  }

 private:
  const std::string& bytes_;
  std::size_t at_ = 0;
};

// Reads the rest of the file, for what reading it does by the way (a
// version); a failure raises.
void readToTheEnd(InputFile& file);

}  // namespace tepo
