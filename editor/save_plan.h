// What a save of the editor's table does: the questions it asks, in order,
// and the bytes it then writes. The maintenance window asks the questions
// and writes what the plan settled on.
#pragma once

#include "editor/mente_table.h"
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

  explicit SavePlan(const MenteTable& table);

  // The question to ask now; null once the bytes are settled, or declined.
  const Question* question() const { return step_ == Step::Done ? nullptr : &question_; }
  // Cancel declines the save; every other answer goes on.
  void answer(Answer answer);

  bool declined() const { return declined_; }
  // What to write, and what it reads back as.
  const Saving& saving() const { return saving_; }

 private:
  enum class Step { Incomplete, Misread, Lossy, ChangedOnLoad, OtherEncoding, Uncarriable, Done };
  void settle(FileEncoding encoding);
  // Moves to the first step from step on whose question applies.
  void advance(Step step);
  // The first row written as the writer's line that the test picks, or -1.
  template <typename Test>
  int firstRewritten(Test test) const;
  // The row whose question the step asks, or -1 when it does not apply.
  int rowFor(Step step) const;

  const MenteTable& table_;
  Saving saving_;
  Step step_ = Step::Incomplete;
  Question question_;
  bool asked_[static_cast<int>(Step::Done)] = {};
  bool declined_ = false;
};

}  // namespace tepo
