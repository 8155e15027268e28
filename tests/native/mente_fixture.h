// What the editor table's native tests share: a table loaded from bytes, a
// save as a user who answers OK, the plan of a save, a file that breaks.
#pragma once

#include <functional>
#include <string>

#include "editor/mente_table.h"
#include "editor/save_output.h"
#include "editor/save_plan.h"
#include "messages/message_writer.h"
#include "temp_dir.h"

namespace tepo::testing {

// The editor's table loaded from a tepo.dat of these bytes.
inline MenteTable loadedFrom(const TempDir& dir, const std::string& bytes) {
  dir.write("tepo.dat", bytes);
  MenteTable table;
  table.load(dir.text("tepo.dat"), systemFileOps());
  return table;
}

// Saves as a user who answers every question OK or No would, over whatever
// is on disk.
inline SaveResult saveUnasked(MenteTable& table, const Text& path, FileOps& ops = systemFileOps()) {
  return table.write(path, ops, table.settle(table.encoding()));
}

// What a save of the table writes, with no question asked.
inline SaveOutput written(const MenteTable& table) { return formatSave(table.rows(), table.kept(), table.encoding()); }

// The plan of a save of the table to its own file.
inline SavePlan planOf(const MenteTable& table) { return SavePlan(table, table.file().path, systemFileOps()); }

// The first message row for which test holds, or -1.
inline int firstRow(const MenteTable& table, const std::function<bool(int row)>& test) {
  for (int row = 0; row < table.count(); ++row) {
    if (test(row)) return row;
  }
  return -1;
}
// The first message row that the reader's rules changed from what the file said.
inline int firstChanged(const MenteTable& table) {
  return firstRow(table, [&](int row) { return table.rows().note(row).changed; });
}
// The first message row that loses characters in the table's encoding.
inline int firstLossy(const MenteTable& table) {
  return firstRow(table, [&](int row) { return hasUnrepresentable(table.rows().text(row), table.encoding()); });
}

// A file whose reading fails after its first block, as on a drive that went
// away; or, whole, one that ends there.
class BrokenFile : public InputFile {
 public:
  explicit BrokenFile(std::string first, bool whole = false) : first_(std::move(first)), whole_(whole) {}
  std::size_t read(char* buffer, std::size_t size) override {
    if (served_ && whole_) return 0;
    if (served_) raise(ErrorCode::DeviceIo);
    served_ = true;
    std::size_t n = std::min(size, first_.size());
    first_.copy(buffer, n);
    return n;
  }

 private:
  std::string first_;
  bool whole_;
  bool served_ = false;
};

// The text in UTF-16, little or big endian.
inline std::string utf16(const Text& text, bool bigEndian) {
  std::string bytes;
  for (char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

}  // namespace tepo::testing
