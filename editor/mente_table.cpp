#include "editor/mente_table.h"

#include <memory>
#include <utility>

#include "editor/table_reader.h"

namespace tepo {

void MenteTable::reset(const Text& path) {
  // A copy first: path may be the table's own.
  MessageFile file;
  file.path = path;
  rows_ = MenteRows();
  kept_.clear();
  loadComplete_ = true;
  file_ = std::move(file);
}

void MenteTable::read(InputFile& file, std::uint64_t size) {
  TableReader reader(rows_, kept_);
  try {
    reader.read(file, size);
  } catch (const RuntimeError&) {
    loadComplete_ = reader.complete();
    file_.encoding = kept_.encoding();
    throw;
  }
  loadComplete_ = true;
  file_.encoding = kept_.encoding();
}

void MenteTable::load(const Text& path, FileOps& ops) {
  reset(path);
  std::unique_ptr<InputFile> file;
  try {
    file = ops.open(path);
  } catch (const RuntimeError& e) {
    // Nothing was there to lose. A file that cannot be read may hold
    // anything: the question about an incomplete load speaks for it.
    loadComplete_ = e.code() == ErrorCode::FileNotFound;
    file_.known = loadComplete_;
    throw;
  }
  // The bytes the table keeps are the file's version too.
  try {
    read(*file, ops.stamp(path).size);
  } catch (const RuntimeError&) {
    // Past the 32767th message the rest was read as well; after a read
    // error nothing is known of the file.
    file_.known = loadComplete_;
    if (file_.known) file_.version = versionOf(kept_.bytes());
    throw;
  }
  file_.version = versionOf(kept_.bytes());
  file_.known = true;
}

void MenteTable::load(InputFile& file) {
  reset();
  read(file);
}

SaveResult MenteTable::write(const Text& path, FileOps& ops, Saving saving) {
  SaveResult result = saveAtomically(ops, path, saving.output.bytes);
  if (!result) return result;
  file_.path = path;
  file_.version = versionOf(saving.output.bytes);
  file_.known = true;
  kept_ = std::move(saving.back);
  kept_.takeBytes(std::move(saving.output.bytes));
  file_.encoding = kept_.encoding();
  rows_.setOrigins(std::move(saving.origins));
  rows_.markSaved();
  return result;
}

}  // namespace tepo
