#include <windows.h>

#include <vector>

#include "files/file_ops.h"
#include "files/paths.h"
#include "files/save.h"
#include "platform/win32.h"

namespace tepo {

namespace {

// Every path goes to the system in the form that works at any length.
struct SystemPath {
  explicit SystemPath(const Text& path) : text(extendedPath(path)) {}
  const wchar_t* c_str() const { return wide(text); }
  Text text;
};

class Win32InputFile : public InputFile {
 public:
  explicit Win32InputFile(UniqueFile file) : file_(std::move(file)) {}

  std::size_t read(char* buffer, std::size_t size) override {
    DWORD got = 0;
    if (!ReadFile(file_.get(), buffer, static_cast<DWORD>(size), &got, nullptr)) raise(ErrorCode::DeviceIo);
    return got;
  }

 private:
  UniqueFile file_;
};

class Win32OutputFile : public OutputFile {
 public:
  explicit Win32OutputFile(UniqueFile file) : file_(std::move(file)) {}

  bool write(const char* data, std::size_t size) override {
    while (size > 0) {
      DWORD chunk = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size);
      DWORD done = 0;
      if (!WriteFile(file_.get(), data, chunk, &done, nullptr) || done != chunk) return false;
      data += chunk;
      size -= chunk;
    }
    return true;
  }
  bool flush() override { return FlushFileBuffers(file_.get()) != FALSE; }
  bool close() override { return file_.close(); }

 private:
  UniqueFile file_;
};

// Whether an existing file can be replaced now: not read-only and not held
// open without sharing.
bool replaceable(const Text& path) {
  UniqueFile probe(CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE | DELETE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(probe);
}

class Win32FileOps : public FileOps {
 public:
  std::unique_ptr<InputFile> open(const Text& path) override {
    if (path.empty()) raise(ErrorCode::FileNotFound);
    UniqueFile file(CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
      DWORD error = GetLastError();
      raise(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ErrorCode::FileNotFound
                                                                           : ErrorCode::FileAccess);
    }
    return std::make_unique<Win32InputFile>(std::move(file));
  }

  // Not GetTempFileNameW, which refuses folders near MAX_PATH: the name is
  // made here and taken with CREATE_NEW, so two saves never share one.
  std::unique_ptr<OutputFile> createTemp(const Text& target, Text& tempPath) override {
    auto unique = static_cast<uint16_t>(GetTickCount() ^ (GetCurrentProcessId() << 4));
    for (int tries = 0; tries < 0x10000; ++tries, ++unique) {
      Text name = siblingName(target, unique, u".tmp");
      UniqueFile file(
          CreateFileW(SystemPath(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (file) {
        tempPath = name;
        return std::make_unique<Win32OutputFile>(std::move(file));
      }
      DWORD error = GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return nullptr;
    }
    return nullptr;
  }

  bool exists(const Text& path) override {
    return GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool replace(const Text& target, const Text& replacement, const Text& backup) override {
    // A read-only or locked target is refused before ReplaceFileW tries.
    if (!replaceable(target)) return false;
    // The old file's attributes, and its place for a reader holding it, stay.
    return ReplaceFileW(SystemPath(target).c_str(), SystemPath(replacement).c_str(), SystemPath(backup).c_str(),
                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != FALSE;
  }

  bool move(const Text& from, const Text& to) override {
    return MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }

  bool remove(const Text& path) override { return DeleteFileW(SystemPath(path).c_str()) != FALSE; }

  FileStamp stamp(const Text& path) override {
    FileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) return stamp;
    stamp.exists = true;
    stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.writeTime =
        (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return stamp;
  }
};

}  // namespace

FileOps& systemFileOps() {
  static Win32FileOps ops;
  return ops;
}

Text besideExecutable(const Text& name) {
  // The buffer grows until the whole path fits; a truncated path would name
  // another folder.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return Text();
    if (n < buffer.size()) break;
    if (buffer.size() >= 0x10000) return Text();
    buffer.resize(buffer.size() * 2);
  }
  Text path(reinterpret_cast<const char16_t*>(buffer.data()));
  std::size_t slash = path.find_last_of(u"\\/");
  if (slash == Text::npos) return Text();
  return path.substr(0, slash) + u"\\" + name;
}

}  // namespace tepo
