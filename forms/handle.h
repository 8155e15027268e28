// Owned Win32 handles: one move-only wrapper for every kind, so that nothing is
// deleted by hand and nothing is freed twice.
#pragma once

#include <windows.h>

#include <utility>

namespace tepo::forms {

template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Type get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::empty(); }

  // Gives up ownership, for a handle that now belongs to someone else.
  Type release() { return std::exchange(h_, Traits::empty()); }

  void reset(Type h = Traits::empty()) {
    if (h_ != Traits::empty()) Traits::close(h_);
    h_ = h;
  }

 private:
  Type h_ = Traits::empty();
};

template <typename T, typename Gdi = T>
struct GdiTraits {
  using Type = T;
  static constexpr T empty() { return nullptr; }
  static void close(T h) { DeleteObject(reinterpret_cast<HGDIOBJ>(h)); }
};

struct IconTraits {
  using Type = HICON;
  static constexpr HICON empty() { return nullptr; }
  static void close(HICON h) { DestroyIcon(h); }
};

struct MenuTraits {
  using Type = HMENU;
  static constexpr HMENU empty() { return nullptr; }
  static void close(HMENU h) { DestroyMenu(h); }
};

struct FileTraits {
  using Type = HANDLE;
  static HANDLE empty() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { CloseHandle(h); }
};

using UniqueRegion = UniqueHandle<GdiTraits<HRGN>>;
using UniqueFont = UniqueHandle<GdiTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiTraits<HBRUSH>>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueFile = UniqueHandle<FileTraits>;

}  // namespace tepo::forms
