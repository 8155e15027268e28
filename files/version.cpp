#include "files/version.h"

#include <memory>

#include "files/file_ops.h"

namespace tepo {

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

}  // namespace tepo
