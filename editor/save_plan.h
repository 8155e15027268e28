// What a save of the editor's table does: the questions it asks, in order,
// and the bytes it then writes. The maintenance window asks each question
// and hands the answer back; then it writes what the plan settled on.
#pragma once

#include <cstddef>
#include <vector>

#include "editor/mente_table.h"
#include "editor/read_back.h"
#include "files/file_ops.h"
#include "files/version.h"
#include "runtime/runtime.h"

namespace tepo {

class SavePlan {
 public:
  enum class Answer { Ok, Yes, No, Cancel };
  struct Question {
    Text text;
    // Yes, No and Cancel, Yes writing UTF-8 with its byte order mark
    // instead; otherwise OK and Cancel.
    bool offersUtf8 = false;
  };

  // A save of the table to path; the file there is looked at through ops.
  SavePlan(const MenteTable& table, const Text& path, FileOps& ops);

  // The question to ask now; null once the bytes are settled, or declined.
  const Question* question() const { return step_ == kDone ? nullptr : &question_; }
  // Cancel declines the save; every other answer goes on.
  void answer(Answer answer);

  bool declined() const { return declined_; }
  // What to write, and what it reads back as.
  const Saving& saving() const { return saving_; }
  Saving takeSaving() { return std::move(saving_); }

 private:
  struct Step;
  static const Step kSteps[];
  static const std::size_t kDone;

  // Moves to the first step from step on whose question applies.
  void advance(std::size_t step);
  // What the answers do: go on; write UTF-8 with its mark instead; take the
  // file on disk as it is now, unless it changes again meanwhile.
  void goOn() { advance(step_ + 1); }
  void toUtf8();
  void acceptDisk();

  // Each step's row, or -1 where it does not apply, and its question.
  int incompleteRow();
  int misreadRow();
  int lossyRow();
  int changedOnLoadRow();
  int otherEncodingRow();
  int uncarriableRow();
  int changedElsewhereRow();
  Question askIncomplete(int row) const;
  Question askMisread(int row) const;
  Question askLossy(int row) const;
  Question askChangedOnLoad(int row) const;
  Question askOtherEncoding(int row) const;
  Question askUncarriable(int row) const;
  Question askChangedElsewhere(int row) const;

  // The first row written as the writer's line that the test picks, or -1.
  template <typename Test>
  int firstRewritten(Test test) const;

  const MenteTable& table_;
  const Text path_;
  FileOps& ops_;
  Saving saving_;
  std::size_t step_ = 0;
  Question question_;
  std::vector<bool> asked_;
  bool declined_ = false;
  // What a save may find on disk: what the table read or wrote there, or
  // what the user agreed to overwrite; and what is there now.
  FileVersion expected_;
  FileVersion onDisk_;
};

}  // namespace tepo
