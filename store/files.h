// The file layer: reading a file in blocks, and the steps of a safe save. One
// implementation per platform; the save steps are a seam that tests can replace.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "store/runtime.h"

namespace tepo {

class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to size bytes; 0 means the end of the file. A failure raises.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

// Opens for reading; a missing file raises FileNotFound, any other failure FileAccess.
std::unique_ptr<InputFile> openInput(const Text& path);

// The steps of writing a file through a temporary one beside it.
class FileOps {
 public:
  using Handle = void*;
  virtual ~FileOps() = default;
  // Creates a new, empty temporary file in the folder of target; nullptr on failure.
  virtual Handle createTemp(const Text& target, Text& tempPath) = 0;
  virtual bool write(Handle file, const char* data, std::size_t size) = 0;
  // Pushes the contents to the disk.
  virtual bool flush(Handle file) = 0;
  virtual bool close(Handle file) = 0;
  // Puts temp in target's place in one step; target may or may not exist.
  virtual bool replace(const Text& target, const Text& temp) = 0;
  virtual bool remove(const Text& path) = 0;
};

// The platform's file operations.
FileOps& systemFileOps();

// Writes bytes to path so that either the whole new contents or the old file,
// byte for byte, is there afterwards. Returns false on failure, with no
// temporary file left behind.
bool saveAtomically(FileOps& ops, const Text& path, const std::string& bytes);

// The folder that holds the running executable followed by the given name.
Text besideExecutable(const Text& name);

}  // namespace tepo
