#include "messages/line_starts.h"

#include <algorithm>

#include "messages/message_writer.h"

namespace tepo {

unsigned unitAt(const std::string& bytes, std::size_t at, FileEncoding encoding) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
  if (!isUtf16(encoding)) return p[0];
  return encoding == FileEncoding::Utf16Be ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
}

std::vector<std::size_t> lineStarts(const std::string& bytes, FileEncoding encoding, std::size_t from) {
  const std::size_t unit = unitSize(encoding);
  const std::size_t mark = std::min(from == ~std::size_t(0) ? byteOrderMark(encoding).size() : from, bytes.size());
  std::vector<std::size_t> starts{mark};
  for (std::size_t i = mark; i + unit <= bytes.size(); i += unit) {
    const unsigned c = unitAt(bytes, i, encoding);
    const bool last = i + 2 * unit > bytes.size();
    if (c == '\n' || (c == '\r' && (last || unitAt(bytes, i + unit, encoding) != '\n'))) starts.push_back(i + unit);
  }
  return starts;
}

}  // namespace tepo
