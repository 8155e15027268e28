#include "runtime/pages.h"

#include <algorithm>
#include <cstring>
#include <new>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tepo {

#ifdef _WIN32
void* allocatePages(std::size_t bytes) {
  if (bytes < kPagesAtLeast) return ::operator new(bytes);
  void* pages = VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!pages) throw std::bad_alloc();
  return pages;
}

void releasePages(void* memory, std::size_t bytes) noexcept {
  if (!memory) return;
  if (bytes < kPagesAtLeast) {
    ::operator delete(memory);
  } else {
    VirtualFree(memory, 0, MEM_RELEASE);
  }
}
#else
// The C library maps blocks this large on their own and unmaps them when freed.
void* allocatePages(std::size_t bytes) { return ::operator new(bytes); }

void releasePages(void* memory, std::size_t) noexcept { ::operator delete(memory); }
#endif

char* PageBytes::room(std::size_t n) {
  if (capacity_ - size_ < n) {
    if (n > static_cast<std::size_t>(-1) / 2 - size_) throw std::bad_alloc();
    reserve(std::max(capacity_ * 2, size_ + n));
  }
  return data_ + size_;
}

void PageBytes::dropFront(std::size_t n) {
  std::memmove(data_, data_ + n, size_ - n);
  size_ -= n;
}

void PageBytes::shrinkToFit() {
  if (size_ == capacity_) return;
  PageBytes fit;
  if (size_ > 0) {
    fit.reserve(size_);
    std::memcpy(fit.data_, data_, size_);
    fit.size_ = size_;
  }
  swap(fit);
}

void PageBytes::reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  char* grown = static_cast<char*>(allocatePages(capacity));
  if (size_ > 0) std::memcpy(grown, data_, size_);
  releasePages(data_, capacity_);
  data_ = grown;
  capacity_ = capacity;
}

}  // namespace tepo
