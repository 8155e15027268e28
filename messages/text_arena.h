// Storage for many texts that live and die together, such as the message
// table's: a few large blocks instead of one heap allocation per text.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "runtime/runtime.h"

namespace tepo {

// Copies the text's units to to, which need not be aligned for them.
void copyUnits(TextView text, void* to);

class TextArena {
 public:
  TextArena() = default;
  TextArena(const TextArena&) = delete;
  TextArena& operator=(const TextArena&) = delete;
  // Moving keeps the blocks where they are, so views stay valid; the arena
  // moved from is left empty.
  TextArena(TextArena&& other) noexcept { *this = std::move(other); }
  TextArena& operator=(TextArena&& other) noexcept;

  // A copy of text that stays where it is until clear or destruction; the
  // copy is followed by a NUL. Raises std::bad_alloc, keeping what it held.
  TextView store(TextView text);

  // Frees every copy at once.
  void clear();

  // Units reserved in blocks, for the tests of how much is wasted.
  std::size_t reserved() const { return reserved_; }

 private:
  // Large blocks come straight from the system's pages, so that a table
  // emptied gives its memory back at once: in a heap, the holes the blocks
  // left between younger allocations would stay the process's.
  struct BlockRelease {
    std::size_t units = 0;
    void operator()(char16_t* block) const noexcept;
  };
  using Block = std::unique_ptr<char16_t[], BlockRelease>;
  static Block newBlock(std::size_t units);
  void makeRoomForBlock();

  std::vector<Block> blocks_;
  char16_t* free_ = nullptr;  // the unused end of the newest shared block
  std::size_t left_ = 0;
  std::size_t reserved_ = 0;
};

}  // namespace tepo
