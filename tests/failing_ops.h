// File operations for tests, native and under Wine: the system's own, with one
// step made to fail, and a failed replace step leaving the files as the
// Windows call documents it for each of its errors.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "files/file_ops.h"

namespace tepo::testing {

enum class FailAt { None, CreateTemp, Write, Flush, Close, Replace };

// How the files stand after the replace step failed.
enum class ReplaceLeaves {
  // ERROR_UNABLE_TO_REMOVE_REPLACED, ERROR_UNABLE_TO_MOVE_REPLACEMENT with a
  // backup name, and every other error: both files keep their names.
  BothInPlace,
  // ERROR_UNABLE_TO_MOVE_REPLACEMENT without a backup name: the old file no
  // longer exists, the new one keeps its temporary name.
  OldDeleted,
  // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: the old file under the backup name,
  // the new one under its temporary name.
  OldAtBackup,
};

class FailingOps : public FileOps {
 public:
  explicit FailingOps(FailAt failAt = FailAt::None, ReplaceLeaves leaves = ReplaceLeaves::BothInPlace)
      : failAt_(failAt), leaves_(leaves) {}

  // Further refusals while the save puts things back.
  bool newCannotMove = false;  // the temporary file cannot be renamed
  bool oldCannotMove = false;  // the backup cannot be renamed
  bool removesFail = false;

  // Another program wrote the file: its stamp is not the one seen at the load.
  bool writtenElsewhere = false;

  std::unique_ptr<InputFile> open(const Text& path) override { return real().open(path); }
  std::unique_ptr<OutputFile> createTemp(const Text& target, Text& tempPath) override {
    calls.push_back("createTemp");
    if (failAt_ == FailAt::CreateTemp) return nullptr;
    std::unique_ptr<OutputFile> file = real().createTemp(target, tempPath);
    temps.insert(tempPath);
    return file ? std::make_unique<Output>(std::move(file), *this) : nullptr;
  }
  bool exists(const Text& path) override { return real().exists(path); }
  bool replace(const Text& target, const Text& replacement, const Text& backup) override {
    calls.push_back("replace");
    if (failAt_ != FailAt::Replace) return real().replace(target, replacement, backup);
    if (leaves_ == ReplaceLeaves::OldDeleted) real().remove(target);
    if (leaves_ == ReplaceLeaves::OldAtBackup) real().move(target, backup);
    return false;
  }
  bool move(const Text& from, const Text& to) override {
    calls.push_back("move");
    if (newCannotMove && temps.count(from)) return false;
    if (oldCannotMove && !temps.count(from)) return false;
    return real().move(from, to);
  }
  bool remove(const Text& path) override { return !removesFail && real().remove(path); }
  FileStamp stamp(const Text& path) override {
    FileStamp stamp = real().stamp(path);
    if (writtenElsewhere) stamp.writeTime += 1;
    return stamp;
  }
  FileVersion version(const Text& path) override {
    FileVersion version = real().version(path);
    if (writtenElsewhere) version.hash += 1;
    return version;
  }

  std::set<Text> temps;
  // The steps that put bytes on the disk and files in place, in their order.
  std::vector<std::string> calls;

 private:
  // The temporary file, its steps recorded and the chosen one failing.
  class Output : public OutputFile {
   public:
    Output(std::unique_ptr<OutputFile> real, FailingOps& ops) : real_(std::move(real)), ops_(ops) {}
    bool write(const char* d, std::size_t n) override {
      ops_.calls.push_back("write");
      if (ops_.failAt_ != FailAt::Write) return real_->write(d, n);
      real_->write(d, n / 2);  // half of it reached the disk
      return false;
    }
    bool flush() override {
      ops_.calls.push_back("flush");
      return ops_.failAt_ != FailAt::Flush && real_->flush();
    }
    bool close() override {
      ops_.calls.push_back("close");
      return real_->close() && ops_.failAt_ != FailAt::Close;
    }

   private:
    std::unique_ptr<OutputFile> real_;
    FailingOps& ops_;
  };

  static FileOps& real() { return systemFileOps(); }
  FailAt failAt_;
  ReplaceLeaves leaves_;
};

}  // namespace tepo::testing
