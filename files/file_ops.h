// The file system seam: every operation on a file goes through FileOps, which
// tests replace. One implementation per platform.
#pragma once

#include <cstddef>
#include <memory>

#include "files/input.h"
#include "files/version.h"
#include "runtime/runtime.h"

namespace tepo {

// A file being written. Closed when destroyed, if nobody closed it.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual bool write(const char* data, std::size_t size) = 0;
  // Pushes the contents to the disk.
  virtual bool flush() = 0;
  // False when the system could not finish the file.
  virtual bool close() = 0;
};

// The steps of opening and reading a file, of writing one through a
// temporary file beside it, and what tells whether someone else wrote it.
class FileOps {
 public:
  virtual ~FileOps() = default;
  // Opens for reading; a missing file (or an empty path) raises
  // FileNotFound, any other failure FileAccess.
  virtual std::unique_ptr<InputFile> open(const Text& path) = 0;
  // Creates a new, empty file of a name no other file has, "tep" and four hex
  // digits with ".tmp", in the folder of target; null on failure.
  virtual std::unique_ptr<OutputFile> createTemp(const Text& target, Text& tempPath) = 0;
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

}  // namespace tepo
