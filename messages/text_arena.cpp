#include "messages/text_arena.h"

#include <cstring>
#include <new>

#include "runtime/pages.h"

namespace tepo {

namespace {

// 128 KB: a typical file fills a dozen, and a text longer than a quarter of
// one gets a block of its own so that at most a quarter is left unused.
constexpr std::size_t kBlockUnits = 64 * 1024;
constexpr std::size_t kOwnBlockUnits = kBlockUnits / 4;
#ifdef _WIN32
// A message's length, in units, below which it is copied without the C library.
constexpr std::size_t kShortText = 256;
#endif

}  // namespace

void TextArena::makeRoomForBlock() {
  // Room first, so that a block is never made that the list cannot take.
  if (blocks_.size() == blocks_.capacity()) blocks_.reserve(blocks_.size() * 2 + 8);
}

TextView TextArena::store(TextView text) {
  const std::size_t units = text.size() + 1;
  char16_t* target;
  if (units > kOwnBlockUnits) {
    // The shared block keeps filling: free_ still points into it.
    makeRoomForBlock();
    blocks_.push_back(newBlock(units));
    target = blocks_.back().get();
    reserved_ += units;
  } else {
    if (units > left_) {
      makeRoomForBlock();
      blocks_.push_back(newBlock(kBlockUnits));
      free_ = blocks_.back().get();
      left_ = kBlockUnits;
      reserved_ += kBlockUnits;
    }
    target = free_;
    free_ += units;
    left_ -= units;
  }
  copyUnits(text, target);
  target[text.size()] = u'\0';
  return TextView(target, text.size());
}

void copyUnits(TextView text, void* to) {
  char* bytes = static_cast<char*>(to);
#ifdef _WIN32
  if (text.size() < kShortText) {
    // A call to the C library's copy costs more than a message's own copy
    // under Wine, whose msvcrt makes it. Four units at a time, the rest one
    // by one: each copy's size is fixed, so it is inlined. Elsewhere the C
    // library's copy is the quicker.
    std::size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) std::memcpy(bytes + 2 * i, text.data() + i, 4 * sizeof(char16_t));
    for (; i < text.size(); ++i) std::memcpy(bytes + 2 * i, &text[i], sizeof(char16_t));
    return;
  }
#endif
  // An empty text may have no storage at all, and the C library's copy
  // must not be handed a null source even for no bytes.
  if (text.empty()) return;
  std::memcpy(bytes, text.data(), text.size() * sizeof(char16_t));
}

TextArena::Block TextArena::newBlock(std::size_t units) {
  return Block(static_cast<char16_t*>(allocatePages(units * sizeof(char16_t))), BlockRelease{units});
}

void TextArena::BlockRelease::operator()(char16_t* block) const noexcept {
  releasePages(block, units * sizeof(char16_t));
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
