// The file layer: reading a file in blocks, and the steps of a safe save. One
// implementation per platform; the save steps are a seam that tests can replace.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace tepo {

class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to size bytes; 0 means the end of the file. A failure raises.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

// Bytes in memory, read as a file.
class BytesInput : public InputFile {
 public:
  explicit BytesInput(const std::string& bytes) : bytes_(bytes) {}
  std::size_t read(char* buffer, std::size_t size) override {
    std::size_t n = std::min(size, bytes_.size() - at_);
    bytes_.copy(buffer, n, at_);
    at_ += n;
    return n;
  }

 private:
  const std::string& bytes_;
  std::size_t at_ = 0;
};

// Reads the rest of the file, for what reading it does by the way (a
// version); a failure raises.
void readToTheEnd(InputFile& file);

// Opens for reading; a missing file (or an empty path) raises FileNotFound,
// any other failure FileAccess.
std::unique_ptr<InputFile> openInput(const Text& path);

// A file's version as the file system tells it without a read: whether it
// exists, its size and when it was last written. Another program's save
// changes it.
struct FileStamp {
  bool exists = false;
  uint64_t size = 0;
  uint64_t writeTime = 0;  // in the platform's own units
  bool operator==(const FileStamp& other) const {
    return exists == other.exists && size == other.size && writeTime == other.writeTime;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// What a file holds, as far as a change by someone else goes: whether it
// exists, and its size and a hash of its bytes, which tell a change that
// kept the size and the last-write time (FAT's clock ticks every 2 seconds).
struct FileVersion {
  bool exists = false;
  uint64_t size = 0;
  uint64_t hash = 0;
  bool operator==(const FileVersion& other) const {
    return exists == other.exists && size == other.size && hash == other.hash;
  }
  bool operator!=(const FileVersion& other) const { return !(*this == other); }
};

// The version of bytes as they go by, block after block.
class VersionOf {
 public:
  void add(const char* bytes, std::size_t size);
  FileVersion version() const { return FileVersion{true, size_, hash_}; }

 private:
  uint64_t size_ = 0;
  uint64_t hash_ = 14695981039346656037ull;
};

// A file read through another, taking its version on the way.
class VersionedInput : public InputFile {
 public:
  explicit VersionedInput(InputFile& file) : file_(file) {}
  std::size_t read(char* buffer, std::size_t size) override {
    std::size_t got = file_.read(buffer, size);
    version_.add(buffer, got);
    return got;
  }
  FileVersion version() const { return version_.version(); }

 private:
  InputFile& file_;
  VersionOf version_;
};

// The steps of writing a file through a temporary one beside it, and what
// tells whether someone else wrote it meanwhile.
class FileOps {
 public:
  using Handle = void*;
  virtual ~FileOps() = default;
  // Creates a new, empty file of a name no other file has, "tep" and four hex
  // digits with ".tmp", in the folder of target; nullptr on failure.
  virtual Handle createTemp(const Text& target, Text& tempPath) = 0;
  virtual bool write(Handle file, const char* data, std::size_t size) = 0;
  // Pushes the contents to the disk.
  virtual bool flush(Handle file) = 0;
  virtual bool close(Handle file) = 0;
  virtual bool exists(const Text& path) = 0;
  // Puts replacement in the place of the existing target, the old file going
  // to the name backup. On failure the files stand as the platform leaves
  // them: both under their own names, or the target already moved away.
  virtual bool replace(const Text& target, const Text& replacement, const Text& backup) = 0;
  // Renames from to to, replacing a file there, through to the disk.
  virtual bool move(const Text& from, const Text& to) = 0;
  virtual bool remove(const Text& path) = 0;
  // One call, no read: cheap enough for every click on the icon.
  virtual FileStamp stamp(const Text& path) = 0;
  // Reads the whole file; a missing one does not exist, one that cannot be
  // read raises.
  virtual FileVersion version(const Text& path);
};

// The platform's file operations.
FileOps& systemFileOps();

// The file a table was read from, and its stamp then. Until known, the
// table may not hold what the file holds: the next look reads it again.
struct LoadedFile {
  Text path;
  FileStamp stamp;
  bool known = false;
  // Whether the file must be read again; from no file, never.
  bool changed(FileOps& ops) const { return !path.empty() && (!known || ops.stamp(path) != stamp); }
};

// What a save did. When it failed, the old file is in its place byte for
// byte, unless neither copy could be put back: then newContentsAt and
// oldContentsAt name the files that hold them. leftovers are files the save
// made and could not remove.
struct SaveResult {
  bool saved = false;
  // The user would not overwrite what someone else wrote: nothing was done.
  bool declined = false;
  Text newContentsAt;
  Text oldContentsAt;
  std::vector<Text> leftovers;
  explicit operator bool() const { return saved; }
};

// Writes bytes to path so that either the whole new contents or the old
// file, byte for byte, is there afterwards, and the last complete copy of
// either is never deleted.
SaveResult saveAtomically(FileOps& ops, const Text& path, const std::string& bytes);

// The name of a file beside target: "tep", unique as four hex digits, then
// extension (".tmp", ".bak"), in target's folder, whatever its length.
Text siblingName(const Text& target, uint16_t unique, const char16_t* extension);

// The form of a path the system takes at any length: a long absolute path
// gets the "\\?\" prefix ("\\?\UNC\" for a network path); a short one, or one
// already prefixed, stays as it is.
Text extendedPath(const Text& path);

// The folder that holds the running executable followed by the given name;
// empty if the system cannot tell where the executable is.
Text besideExecutable(const Text& name);

}  // namespace tepo
