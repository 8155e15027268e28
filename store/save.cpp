#include "store/files.h"

namespace tepo {

bool saveAtomically(FileOps& ops, const Text& path, const std::string& bytes) {
  Text tempPath;
  FileOps::Handle file = ops.createTemp(path, tempPath);
  if (!file) return false;

  bool written = ops.write(file, bytes.data(), bytes.size()) && ops.flush(file);
  bool closed = ops.close(file);
  if (written && closed && ops.replace(path, tempPath)) return true;

  ops.remove(tempPath);
  return false;
}

}  // namespace tepo
