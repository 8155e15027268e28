#include "files/save.h"

#include <memory>

namespace tepo {

namespace {

void removeOrNote(FileOps& ops, const Text& path, SaveResult& result) {
  if (ops.exists(path) && !ops.remove(path)) result.leftovers.push_back(path);
}

// A name beside path that no file has yet, for the old file while it is replaced.
Text unusedBackupName(FileOps& ops, const Text& path) {
  for (uint32_t unique = 0; unique < 0x10000; ++unique) {
    Text name = siblingName(path, static_cast<uint16_t>(unique), u".bak");
    if (!ops.exists(name)) return name;
  }
  return Text();
}

// The replace step failed: put back whichever copy is complete, and never
// delete the last one.
SaveResult recover(FileOps& ops, const Text& path, const Text& tempPath, const Text& backup) {
  SaveResult result;
  if (ops.exists(path)) {
    // The old file kept its name; the new contents were not put in place.
    removeOrNote(ops, tempPath, result);
    removeOrNote(ops, backup, result);
    return result;
  }
  // The old file has gone to the backup: the new one goes in its place if it can.
  if (ops.move(tempPath, path)) {
    result.saved = true;
    removeOrNote(ops, backup, result);
    return result;
  }
  if (ops.exists(backup) && ops.move(backup, path)) {
    removeOrNote(ops, tempPath, result);
    return result;
  }
  // Neither could be put back: both stay where they are, and the user is told.
  result.newContentsAt = tempPath;
  if (ops.exists(backup)) result.oldContentsAt = backup;
  return result;
}

}  // namespace

SaveResult saveAtomically(FileOps& ops, const Text& path, const std::string& bytes) {
  SaveResult result;
  Text tempPath;
  std::unique_ptr<OutputFile> file = ops.createTemp(path, tempPath);
  if (!file) return result;

  bool written = file->write(bytes.data(), bytes.size()) && file->flush();
  bool closed = file->close();
  if (!written || !closed) {
    removeOrNote(ops, tempPath, result);
    return result;
  }
  if (!ops.exists(path)) {
    // The first save: nothing to keep.
    if (ops.move(tempPath, path)) {
      result.saved = true;
    } else {
      removeOrNote(ops, tempPath, result);
    }
    return result;
  }
  const Text backup = unusedBackupName(ops, path);
  if (backup.empty()) {
    removeOrNote(ops, tempPath, result);
    return result;
  }
  if (ops.replace(path, tempPath, backup)) {
    result.saved = true;
    removeOrNote(ops, backup, result);
    return result;
  }
  return recover(ops, path, tempPath, backup);
}

Text siblingName(const Text& target, uint16_t unique, const char16_t* extension) {
  std::size_t slash = target.find_last_of(u"\\/");
  Text name = slash == Text::npos ? Text() : target.substr(0, slash + 1);
  name += u"tep";
  static const char16_t kHex[] = u"0123456789ABCDEF";
  for (int shift = 12; shift >= 0; shift -= 4) name += kHex[(unique >> shift) & 0xF];
  name += extension;
  return name;
}

}  // namespace tepo
