#include "messages/line_starts.h"

#include <algorithm>
#include <cstring>

#include "messages/message_writer.h"

namespace tepo {

unsigned unitAt(const std::string& bytes, std::size_t at, FileEncoding encoding) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
  if (!isUtf16(encoding)) return p[0];
  return encoding == FileEncoding::Utf16Be ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
}

namespace {

// The same for a byte encoding: the lines found by their LFs, a lone CR
// among them looked for in each.
void byteLineStarts(const std::string& bytes, std::size_t from, std::vector<std::size_t>& starts) {
  const char* const begin = bytes.data();
  const char* const end = begin + bytes.size();
  for (const char* line = begin + from; line < end;) {
    const auto* lf = static_cast<const char*>(std::memchr(line, '\n', static_cast<std::size_t>(end - line)));
    const char* stop = lf ? lf : end;
    for (const char* cr = line;
         (cr = static_cast<const char*>(std::memchr(cr, '\r', static_cast<std::size_t>(stop - cr))));) {
      // A CR right before the LF is half of a pair.
      if (++cr != lf) starts.push_back(static_cast<std::size_t>(cr - begin));
    }
    if (!lf) break;
    line = lf + 1;
    starts.push_back(static_cast<std::size_t>(line - begin));
  }
}

}  // namespace

std::vector<std::size_t> lineStarts(const std::string& bytes, FileEncoding encoding, std::size_t from) {
  const std::size_t unit = unitSize(encoding);
  const std::size_t mark = std::min(from == ~std::size_t(0) ? byteOrderMark(encoding).size() : from, bytes.size());
  std::vector<std::size_t> starts{mark};
  if (unit == 1) {
    byteLineStarts(bytes, mark, starts);
    return starts;
  }
  for (std::size_t i = mark; i + unit <= bytes.size(); i += unit) {
    const unsigned c = unitAt(bytes, i, encoding);
    const bool last = i + 2 * unit > bytes.size();
    if (c == '\n' || (c == '\r' && (last || unitAt(bytes, i + unit, encoding) != '\n'))) starts.push_back(i + unit);
  }
  return starts;
}

}  // namespace tepo
