#include "files/paths.h"

namespace tepo {

namespace {

constexpr std::size_t kLongPath = 248;  // below this every call takes a plain path

}  // namespace

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
