#include "editor/table_reader.h"

#include <algorithm>
#include <new>
#include <string>

#include "messages/message_reader.h"

namespace tepo {

namespace {

// A file read through another, its bytes kept on the way.
class KeepingInput : public InputFile {
 public:
  KeepingInput(InputFile& file, std::string& kept) : file_(file), kept_(kept) {}
  std::size_t read(char* buffer, std::size_t size) override {
    std::size_t got = file_.read(buffer, size);
    kept_.append(buffer, got);
    return got;
  }

 private:
  InputFile& file_;
  std::string& kept_;
};

}  // namespace

void TableReader::read(InputFile& file, std::uint64_t size) {
  kept_.clear();
  if (size > 0) {
    // Room for the bytes at once instead of through copies as they come;
    // a file that grew meanwhile still fits, by growing.
    try {
      kept_.bytes().reserve(roomForBytes(size));
    } catch (const std::bad_alloc&) {
    }
  }
  KeepingInput keeping(file, kept_.bytes());
  readFrom(keeping, size);
}

void TableReader::readKept() {
  kept_.clearStretches();
  BytesInput file(kept_.bytes());
  readFrom(file);
}

void TableReader::store(TextView message, const FieldNote& note) {
  if (!table_) return rows_.appendRead(message, note);
  const int row = rows_.count();
  rows_.appendRead(TextView(), note);
  same_->push_back(row < table_->count() && table_->text(row) == message);
}

void TableReader::readFrom(InputFile& file, std::uint64_t size) {
  rows_.clear();
  if (size > 0) {
    // Slots untouched cost nothing.
    try {
      rows_.reserve(mostMessages(size));
    } catch (const std::bad_alloc&) {
    }
  }
  if (same_) {
    // A read-back reads about as many messages as the table holds.
    same_->clear();
    same_->reserve(static_cast<std::size_t>(table_->count()));
    rows_.reserve(static_cast<std::size_t>(table_->count()));
  }
  complete_ = false;
  ReadFacts facts;
  try {
    readMessages(
        file, [this](TextView message, const FieldNote& note) { store(message, note); }, &facts);
  } catch (const RuntimeError& e) {
    kept_.setEncoding(facts.encoding);
    if (e.code() == ErrorCode::Overflow) {
      // The rest of the file stays as it is: read it to its end, so that a
      // save can write it back behind the messages the rows hold.
      try {
        readToTheEnd(file);
        complete_ = true;
        kept_.find(rows_, true, false);
      } catch (const RuntimeError&) {
      }
    }
    throw;
  } catch (const std::bad_alloc&) {
    kept_.setEncoding(facts.encoding);
    raise(ErrorCode::OutOfMemory);
  }
  kept_.setEncoding(facts.encoding, facts.settledAt);
  complete_ = true;
  kept_.find(rows_, false, facts.endsInsideCharacter);
}

}  // namespace tepo
