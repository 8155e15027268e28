// The encodings a message file may be in: the one tepo makes, and those
// Notepad saves.
#pragma once

#include <cstddef>

namespace tepo {

enum class FileEncoding {
  Ansi,     // the system's ANSI code page: every file tepo makes
  Utf8,     // UTF-8 without a byte order mark
  Utf8Bom,  // UTF-8 after the byte order mark EF BB BF
  Utf16Le,  // UTF-16 little endian after FF FE: Notepad's "Unicode"
  Utf16Be,  // UTF-16 big endian after FE FF: Notepad's "Unicode big endian"
};

inline bool isUtf8(FileEncoding encoding) {
  return encoding == FileEncoding::Utf8 || encoding == FileEncoding::Utf8Bom;
}

inline bool isUtf16(FileEncoding encoding) {
  return encoding == FileEncoding::Utf16Le || encoding == FileEncoding::Utf16Be;
}

// The bytes one unit of the encoding takes: a line end is one unit.
inline std::size_t unitSize(FileEncoding encoding) { return isUtf16(encoding) ? 2 : 1; }

}  // namespace tepo
