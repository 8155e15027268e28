#include "messages/text_arena.h"

#include <algorithm>

namespace tepo {

namespace {

// 128 KB: a typical file fills a dozen, and a text longer than a quarter of
// one gets a block of its own so that at most a quarter is left unused.
constexpr std::size_t kBlockUnits = 64 * 1024;
constexpr std::size_t kOwnBlockUnits = kBlockUnits / 4;

}  // namespace

TextView TextArena::store(TextView text) {
  const std::size_t units = text.size() + 1;
  char16_t* target;
  if (units > kOwnBlockUnits) {
    // The shared block keeps filling: free_ still points into it.
    blocks_.reserve(blocks_.size() + 1);
    blocks_.emplace_back(new char16_t[units]);
    target = blocks_.back().get();
    reserved_ += units;
  } else {
    if (units > left_) {
      blocks_.reserve(blocks_.size() + 1);
      blocks_.emplace_back(new char16_t[kBlockUnits]);
      free_ = blocks_.back().get();
      left_ = kBlockUnits;
      reserved_ += kBlockUnits;
    }
    target = free_;
    free_ += units;
    left_ -= units;
  }
  std::copy(text.begin(), text.end(), target);
  target[text.size()] = u'\0';
  return TextView(target, text.size());
}

TextArena& TextArena::operator=(TextArena&& other) noexcept {
  if (this == &other) return *this;
  blocks_ = std::move(other.blocks_);
  free_ = other.free_;
  left_ = other.left_;
  reserved_ = other.reserved_;
  other.blocks_.clear();
  other.free_ = nullptr;
  other.left_ = 0;
  other.reserved_ = 0;
  return *this;
}

void TextArena::clear() {
  blocks_.clear();
  free_ = nullptr;
  left_ = 0;
  reserved_ = 0;
}

}  // namespace tepo
