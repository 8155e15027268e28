// The save that never leaves half a file: through a temporary file beside the
// old one, which stays until the new one is in its place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/file_ops.h"
#include "runtime/runtime.h"

namespace tepo {

// What a save did. When it failed, the old file is in its place byte for
// byte, unless neither copy could be put back: then newContentsAt and
// oldContentsAt name the files that hold them. leftovers are files the save
// made and could not remove.
struct SaveResult {
  bool saved = false;
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

}  // namespace tepo
