// A file handed out a few bytes at a time, and the messages the reader takes
// from it: block boundaries anywhere.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "files/input.h"
#include "messages/message_reader.h"

namespace tepo::testing {

// Hands out a byte string a few bytes at a time, to test block boundaries.
class ChunkedFile : public InputFile {
 public:
  ChunkedFile(std::string bytes, std::size_t chunk) : bytes_(std::move(bytes)), chunk_(chunk) {}
  std::size_t read(char* buffer, std::size_t size) override {
    std::size_t n = std::min({size, chunk_, bytes_.size() - pos_});
    std::copy_n(bytes_.data() + pos_, n, buffer);
    pos_ += n;
    return n;
  }

 private:
  std::string bytes_;
  std::size_t chunk_;
  std::size_t pos_ = 0;
};

inline std::vector<Text> readBytes(const std::string& bytes, std::size_t chunk = 1 << 20) {
  ChunkedFile file(bytes, chunk);
  std::vector<Text> out;
  readMessages(file, [&](TextView m, const FieldNote&) { out.emplace_back(m); });
  return out;
}

}  // namespace tepo::testing
