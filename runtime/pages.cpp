#include "runtime/pages.h"

#include <algorithm>
#include <cstring>
#include <new>

#ifdef _WIN32
#include <windows.h>
#elif defined(__GLIBC__)
#include <malloc.h>
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

void giveBackFreedHeapPages() noexcept {
  // A debugger turns on the heap's checks of freed blocks, which the system
  // would then see change.
  if (IsDebuggerPresent()) return;
  HANDLE heap = GetProcessHeap();
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const UINT_PTR page = system.dwPageSize;
  // A free block keeps its links to the other free blocks at its start, and
  // may keep a pointer back to its start at its end: both stay untouched.
  const UINT_PTR margin = 64;
  if (!HeapLock(heap)) return;
  PROCESS_HEAP_ENTRY entry{};
  while (HeapWalk(heap, &entry)) {
    if (entry.wFlags & (PROCESS_HEAP_ENTRY_BUSY | PROCESS_HEAP_REGION | PROCESS_HEAP_UNCOMMITTED_RANGE)) continue;
    const UINT_PTR start = reinterpret_cast<UINT_PTR>(entry.lpData);
    if (entry.cbData < 2 * margin + page) continue;
    const UINT_PTR from = (start + margin + page - 1) & ~(page - 1);
    const UINT_PTR to = (start + entry.cbData - margin) & ~(page - 1);
    if (to > from) VirtualAlloc(reinterpret_cast<void*>(from), to - from, MEM_RESET, PAGE_READWRITE);
  }
  HeapUnlock(heap);
}
#else
// The C library maps blocks this large on their own and unmaps them when freed.
void* allocatePages(std::size_t bytes) { return ::operator new(bytes); }

void releasePages(void* memory, std::size_t) noexcept { ::operator delete(memory); }

void giveBackFreedHeapPages() noexcept {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}
#endif

char* PageBytes::grownRoom(std::size_t n) {
  if (n > static_cast<std::size_t>(-1) / 2 - size_) throw std::bad_alloc();
  reserve(std::max(capacity_ * 2, size_ + n));
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
