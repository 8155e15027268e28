#include <windows.h>

#include <vector>

#include "store/files.h"

namespace tepo {

namespace {

const wchar_t* wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

class Win32InputFile : public InputFile {
 public:
  explicit Win32InputFile(HANDLE h) : handle_(h) {}
  ~Win32InputFile() override { CloseHandle(handle_); }
  Win32InputFile(const Win32InputFile&) = delete;
  Win32InputFile& operator=(const Win32InputFile&) = delete;

  std::size_t read(char* buffer, std::size_t size) override {
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, static_cast<DWORD>(size), &got, nullptr)) raise(ErrorCode::DeviceIo);
    return got;
  }

 private:
  HANDLE handle_;
};

// Whether an existing file can be replaced now: not read-only and not held
// open without sharing.
bool replaceable(const Text& path) {
  HANDLE h = CreateFileW(wide(path), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

class Win32FileOps : public FileOps {
 public:
  Handle createTemp(const Text& target, Text& tempPath) override {
    std::size_t slash = target.find_last_of(u"\\/");
    Text folder = slash == Text::npos ? Text(u".") : target.substr(0, slash);
    wchar_t name[MAX_PATH + 16];
    // Creates a uniquely named empty file, so two saves never share one.
    if (!GetTempFileNameW(wide(folder), L"tep", 0, name)) return nullptr;
    tempPath.assign(reinterpret_cast<const char16_t*>(name));
    HANDLE h = CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      DeleteFileW(name);
      return nullptr;
    }
    return h;
  }

  bool write(Handle file, const char* data, std::size_t size) override {
    while (size > 0) {
      DWORD chunk = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size);
      DWORD done = 0;
      if (!WriteFile(static_cast<HANDLE>(file), data, chunk, &done, nullptr) || done != chunk) return false;
      data += chunk;
      size -= chunk;
    }
    return true;
  }

  bool flush(Handle file) override { return FlushFileBuffers(static_cast<HANDLE>(file)) != FALSE; }

  bool close(Handle file) override { return CloseHandle(static_cast<HANDLE>(file)) != FALSE; }

  bool replace(const Text& target, const Text& temp) override {
    if (GetFileAttributesW(wide(target)) != INVALID_FILE_ATTRIBUTES) {
      // A read-only or locked target is refused before ReplaceFileW tries:
      // failing half-way, it can leave a temporary file of its own behind.
      if (!replaceable(target)) return false;
      // The old file's attributes, and its place for a reader holding it, stay.
      return ReplaceFileW(wide(target), wide(temp), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                          nullptr) != FALSE;
    }
    return MoveFileExW(wide(temp), wide(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }

  bool remove(const Text& path) override { return DeleteFileW(wide(path)) != FALSE; }
};

}  // namespace

std::unique_ptr<InputFile> openInput(const Text& path) {
  HANDLE h = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    raise(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ErrorCode::FileNotFound
                                                                         : ErrorCode::FileAccess);
  }
  return std::make_unique<Win32InputFile>(h);
}

FileOps& systemFileOps() {
  static Win32FileOps ops;
  return ops;
}

Text besideExecutable(const Text& name) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return name;
    if (n < buffer.size()) break;
    buffer.resize(buffer.size() * 2);
  }
  Text path(reinterpret_cast<const char16_t*>(buffer.data()));
  std::size_t slash = path.find_last_of(u"\\/");
  Text folder = slash == Text::npos ? Text() : path.substr(0, slash);
  return folder + u"\\" + name;
}

}  // namespace tepo
