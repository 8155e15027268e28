#include "files/save.h"

#include "files/paths.h"

#include <memory>

namespace tepo {

namespace {

constexpr std::size_t kLongPath = 248;  // below this every call takes a plain path

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

void VersionOf::add(const char* bytes, std::size_t size) {
  // FNV-1a: a change by someone else is no attack.
  for (std::size_t i = 0; i < size; ++i) {
    hash_ ^= static_cast<unsigned char>(bytes[i]);
    hash_ *= 1099511628211ull;
  }
  size_ += size;
}

FileVersion versionOf(const std::string& bytes) {
  VersionOf version;
  version.add(bytes.data(), bytes.size());
  return version.version();
}

FileVersion FileOps::version(const Text& path) {
  std::unique_ptr<InputFile> file;
  try {
    file = open(path);
  } catch (const RuntimeError& e) {
    if (e.code() == ErrorCode::FileNotFound) return FileVersion();
    throw;
  }
  VersionedInput versioned(*file);
  readToTheEnd(versioned);
  return versioned.version();
}

void readToTheEnd(InputFile& file) {
  std::unique_ptr<char[]> block(new char[64 * 1024]);
  while (file.read(block.get(), 64 * 1024) > 0) {
  }
}

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

Text extendedPath(const Text& path) {
  if (path.size() < kLongPath || path.compare(0, 4, u"\\\\?\\") == 0) return path;
  Text backslashed = path;
  for (char16_t& c : backslashed) {
    if (c == u'/') c = u'\\';
  }
  if (backslashed.compare(0, 2, u"\\\\") == 0) return u"\\\\?\\UNC\\" + backslashed.substr(2);
  bool driveAbsolute = backslashed.size() >= 3 && backslashed[1] == u':' && backslashed[2] == u'\\';
  return driveAbsolute ? u"\\\\?\\" + backslashed : path;
}

}  // namespace tepo
