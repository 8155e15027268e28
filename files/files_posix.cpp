// POSIX file layer for the native tests and benchmarks; paths are UTF-16 like
// on Windows and go to the file system as UTF-8.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

#include "encodings/utf8.h"
#include "files/file_ops.h"
#include "files/paths.h"
#include "files/save.h"

namespace tepo {

namespace {

std::string posixPath(const Text& text) { return utf8::encode(text); }

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

class PosixOutputFile : public OutputFile {
 public:
  explicit PosixOutputFile(int fd) : fd_(fd) {}
  ~PosixOutputFile() override { close(); }
  PosixOutputFile(const PosixOutputFile&) = delete;
  PosixOutputFile& operator=(const PosixOutputFile&) = delete;

  bool write(const char* data, std::size_t size) override {
    while (size > 0) {
      ssize_t n = ::write(fd_, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  bool flush() override { return ::fsync(fd_) == 0; }
  bool close() override {
    if (fd_ < 0) return true;
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

class PosixFileOps : public FileOps {
 public:
  std::unique_ptr<InputFile> open(const Text& path) override {
    if (path.empty()) raise(ErrorCode::FileNotFound);
    int fd = ::open(posixPath(path).c_str(), O_RDONLY);
    if (fd < 0) raise(errno == ENOENT ? ErrorCode::FileNotFound : ErrorCode::FileAccess);
    return std::make_unique<PosixInputFile>(fd);
  }

  std::unique_ptr<OutputFile> createTemp(const Text& target, Text& tempPath) override {
    auto unique = static_cast<uint16_t>(::getpid() * 31 + ::time(nullptr));
    for (int tries = 0; tries < 0x10000; ++tries, ++unique) {
      Text name = siblingName(target, unique, u".tmp");
      int fd = ::open(posixPath(name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
      if (fd >= 0) {
        tempPath = name;
        return std::make_unique<PosixOutputFile>(fd);
      }
      if (errno != EEXIST) return nullptr;
    }
    return nullptr;
  }

  bool exists(const Text& path) override { return ::access(posixPath(path).c_str(), F_OK) == 0; }
  // As the Windows call does: the old file stays under the backup name.
  bool replace(const Text& target, const Text& replacement, const Text& backup) override {
    if (::link(posixPath(target).c_str(), posixPath(backup).c_str()) != 0) return false;
    if (std::rename(posixPath(replacement).c_str(), posixPath(target).c_str()) != 0) {
      ::unlink(posixPath(backup).c_str());
      return false;
    }
    return true;
  }
  bool move(const Text& from, const Text& to) override {
    return std::rename(posixPath(from).c_str(), posixPath(to).c_str()) == 0;
  }
  bool remove(const Text& path) override { return ::unlink(posixPath(path).c_str()) == 0; }
  FileStamp stamp(const Text& path) override {
    FileStamp stamp;
    struct stat info;
    if (::stat(posixPath(path).c_str(), &info) != 0) return stamp;
    stamp.exists = true;
    stamp.size = static_cast<uint64_t>(info.st_size);
    stamp.writeTime =
        static_cast<uint64_t>(info.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(info.st_mtim.tv_nsec);
    return stamp;
  }
};

}  // namespace

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
  return utf8::decode(folder) + u"/" + name;
}

}  // namespace tepo
