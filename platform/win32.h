// What every Windows-side layer shares: owned handles, a window's device
// context and an object selected into it, and UTF-16 text as a wide string.
// One move-only wrapper for every kind of handle, so that nothing is deleted
// by hand and nothing is freed twice.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace tepo {

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

  // Closes now, for a caller that must know whether closing worked (a file
  // whose last bytes reach the disk only then).
  bool close() {
    if (h_ == Traits::empty()) return true;
    return Traits::close(std::exchange(h_, Traits::empty()));
  }

 private:
  Type h_ = Traits::empty();
};

template <typename T>
struct GdiTraits {
  using Type = T;
  static constexpr T empty() { return nullptr; }
  static bool close(T h) { return DeleteObject(reinterpret_cast<HGDIOBJ>(h)) != FALSE; }
};

struct IconTraits {
  using Type = HICON;
  static constexpr HICON empty() { return nullptr; }
  static bool close(HICON h) { return DestroyIcon(h) != FALSE; }
};

struct MenuTraits {
  using Type = HMENU;
  static constexpr HMENU empty() { return nullptr; }
  static bool close(HMENU h) { return DestroyMenu(h) != FALSE; }
};

struct FileTraits {
  using Type = HANDLE;
  static HANDLE empty() { return INVALID_HANDLE_VALUE; }
  static bool close(HANDLE h) { return CloseHandle(h) != FALSE; }
};

// Processes, threads and the like, whose empty value is null.
struct KernelTraits {
  using Type = HANDLE;
  static constexpr HANDLE empty() { return nullptr; }
  static bool close(HANDLE h) { return CloseHandle(h) != FALSE; }
};

struct MemoryDCTraits {
  using Type = HDC;
  static constexpr HDC empty() { return nullptr; }
  static bool close(HDC h) { return DeleteDC(h) != FALSE; }
};

struct FindTraits {
  using Type = HANDLE;
  static HANDLE empty() { return INVALID_HANDLE_VALUE; }
  static bool close(HANDLE h) { return FindClose(h) != FALSE; }
};

using UniqueRegion = UniqueHandle<GdiTraits<HRGN>>;
using UniqueFont = UniqueHandle<GdiTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiTraits<HBRUSH>>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueBitmap = UniqueHandle<GdiTraits<HBITMAP>>;
using UniqueFile = UniqueHandle<FileTraits>;
using UniqueKernelObject = UniqueHandle<KernelTraits>;
using UniqueMemoryDC = UniqueHandle<MemoryDCTraits>;
using UniqueFind = UniqueHandle<FindTraits>;

// A window's device context (the screen's for no window), released with this.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a device context; the one it replaced goes back
// with this.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (previous_) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// UTF-16 text for the wide Win32 calls.
inline const wchar_t* wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

}  // namespace tepo
