// Memory straight from the system's pages, for buffers large enough that a
// heap would keep them once freed: under Wine a freed block of the heap stays
// the process's until the blocks after it go too, so a load's buffers would
// stay resident all day.
#pragma once

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

namespace tepo {

// At least this many bytes are worth pages of their own: smaller ones would
// waste most of the 64 KB of address space each allocation of pages takes.
constexpr std::size_t kPagesAtLeast = 64 * 1024;

// Raises std::bad_alloc. Below kPagesAtLeast the heap serves; release with
// the same size.
void* allocatePages(std::size_t bytes);
void releasePages(void* memory, std::size_t bytes) noexcept;

// For vectors that grow large, such as the message table's list: each
// larger array comes from pages and the one it outgrew goes back.
template <class T>
struct PageAllocator {
  using value_type = T;
  PageAllocator() = default;
  template <class U>
  PageAllocator(const PageAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(allocatePages(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { releasePages(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const PageAllocator<U>&) const noexcept {
    return true;
  }
  template <class U>
  bool operator!=(const PageAllocator<U>&) const noexcept {
    return false;
  }
};

// Tells the system that the whole pages inside the process heap's free blocks
// hold nothing worth keeping, so that they stop counting as the process's
// memory until the heap hands them out again. For after a window that held
// many small blocks has gone: the list box keeps each row in the heap, and
// under Wine a heap gives back only the free room at its end, which a block
// allocated later can hold up for the rest of the day.
void giveBackFreedHeapPages() noexcept;

template <class T>
using PageVector = std::vector<T, PageAllocator<T>>;

// A growing run of bytes whose front can be dropped, held in pages.
class PageBytes {
 public:
  PageBytes() = default;
  PageBytes(const PageBytes&) = delete;
  PageBytes& operator=(const PageBytes&) = delete;
  PageBytes(PageBytes&& other) noexcept { swap(other); }
  PageBytes& operator=(PageBytes&& other) noexcept {
    PageBytes taken(std::move(other));
    swap(taken);
    return *this;
  }
  ~PageBytes() { releasePages(data_, capacity_); }
  void swap(PageBytes& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }

  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  // Room for n more bytes behind the last, which commit then counts.
  char* room(std::size_t n) { return capacity_ - size_ >= n ? data_ + size_ : grownRoom(n); }
  void commit(std::size_t n) { size_ += n; }
  void dropFront(std::size_t n);
  void reserve(std::size_t capacity);
  // Gives back the room behind the last byte, for bytes kept long: a page
  // committed counts against the system's memory, touched or not.
  void shrinkToFit();

 private:
  char* grownRoom(std::size_t n);

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace tepo
