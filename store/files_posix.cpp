// POSIX file layer for the native tests and benchmarks; paths are UTF-16 like
// on Windows and go to the file system as UTF-8.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

#include "store/files.h"

namespace tepo {

namespace {

std::string utf8(const Text& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

Text fromUtf8(const std::string& s) {
  Text out;
  for (std::size_t i = 0; i < s.size();) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    char32_t c;
    int extra;
    if (b < 0x80) {
      c = b;
      extra = 0;
    } else if (b < 0xE0) {
      c = b & 0x1F;
      extra = 1;
    } else if (b < 0xF0) {
      c = b & 0x0F;
      extra = 2;
    } else {
      c = b & 0x07;
      extra = 3;
    }
    ++i;
    for (int k = 0; k < extra && i < s.size(); ++k, ++i) c = (c << 6) | (s[i] & 0x3F);
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

class PosixInputFile : public InputFile {
 public:
  explicit PosixInputFile(int fd) : fd_(fd) {}
  ~PosixInputFile() override { ::close(fd_); }
  PosixInputFile(const PosixInputFile&) = delete;
  PosixInputFile& operator=(const PosixInputFile&) = delete;

  std::size_t read(char* buffer, std::size_t size) override {
    for (;;) {
      ssize_t n = ::read(fd_, buffer, size);
      if (n >= 0) return static_cast<std::size_t>(n);
      if (errno != EINTR) raise(ErrorCode::DeviceIo);
    }
  }

 private:
  int fd_;
};

class PosixFileOps : public FileOps {
 public:
  Handle createTemp(const Text& target, Text& tempPath) override {
    auto unique = static_cast<uint16_t>(::getpid() * 31 + ::time(nullptr));
    for (int tries = 0; tries < 0x10000; ++tries, ++unique) {
      Text name = siblingName(target, unique, u".tmp");
      int fd = ::open(utf8(name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
      if (fd >= 0) {
        tempPath = name;
        return reinterpret_cast<Handle>(static_cast<intptr_t>(fd) + 1);
      }
      if (errno != EEXIST) return nullptr;
    }
    return nullptr;
  }

  bool write(Handle file, const char* data, std::size_t size) override {
    int fd = fdOf(file);
    while (size > 0) {
      ssize_t n = ::write(fd, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  bool flush(Handle file) override { return ::fsync(fdOf(file)) == 0; }
  bool close(Handle file) override { return ::close(fdOf(file)) == 0; }
  bool exists(const Text& path) override { return ::access(utf8(path).c_str(), F_OK) == 0; }
  // As the Windows call does: the old file stays under the backup name.
  bool replace(const Text& target, const Text& replacement, const Text& backup) override {
    if (::link(utf8(target).c_str(), utf8(backup).c_str()) != 0) return false;
    if (std::rename(utf8(replacement).c_str(), utf8(target).c_str()) != 0) {
      ::unlink(utf8(backup).c_str());
      return false;
    }
    return true;
  }
  bool move(const Text& from, const Text& to) override {
    return std::rename(utf8(from).c_str(), utf8(to).c_str()) == 0;
  }
  bool remove(const Text& path) override { return ::unlink(utf8(path).c_str()) == 0; }

 private:
  static int fdOf(Handle file) { return static_cast<int>(reinterpret_cast<intptr_t>(file) - 1); }
};

}  // namespace

std::unique_ptr<InputFile> openInput(const Text& path) {
  if (path.empty()) raise(ErrorCode::FileNotFound);
  int fd = ::open(utf8(path).c_str(), O_RDONLY);
  if (fd < 0) raise(errno == ENOENT ? ErrorCode::FileNotFound : ErrorCode::FileAccess);
  return std::make_unique<PosixInputFile>(fd);
}

FileOps& systemFileOps() {
  static PosixFileOps ops;
  return ops;
}

Text besideExecutable(const Text& name) {
  char buffer[4096];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  std::string path = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string(".");
  std::size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
  return fromUtf8(folder) + u"/" + name;
}

}  // namespace tepo
