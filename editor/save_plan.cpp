#include "editor/save_plan.h"

#include "messages/message_writer.h"

namespace tepo {

namespace {

constexpr char16_t kAskIncomplete[] =
    u"ファイルを最後まで読み込めませんでした。読み込めなかったメッセージは、保存するとファイルから失われます。"
    u"このまま保存しますか？";
constexpr char16_t kAskMisread[] =
    u"行目のメッセージは、このまま {file} で保存すると、次に開いたとき別の文字コードとして読まれ、違う文字に"
    u"なります。UTF-8（BOM 付き）で保存しますか？\r\n「いいえ」を選ぶと {file} のまま保存します。";
constexpr char16_t kAskLossyOrUtf8[] =
    u"行目のメッセージには、{file} で保存できない文字が含まれています。UTF-8（BOM 付き）で保存しますか？\r\n"
    u"「いいえ」を選ぶと、その文字を ? に置き換えて {file} で保存します。";
constexpr char16_t kAskLossy[] =
    u"行目のメッセージにはファイルに保存できない文字が含まれています。?に置き換えて保存しますか？";
constexpr char16_t kAskChangedOnLoad[] =
    u"行目のメッセージは、ファイルに書かれていたとおりには読み込めていません（先頭の空白、閉じた \" の後ろの文字、"
    u"閉じていない \"、行を区切った , 、読めないバイトのどれかのため）。保存すると、ファイルのその部分は"
    u"読み込んだとおりに書き換わります。このまま保存しますか？";
constexpr char16_t kAskOtherEncoding[] =
    u"行目のメッセージは、ファイルのほかの行と違う文字コード（{line}）で書かれていました。保存すると、この行も"
    u"ほかの行と同じ文字コード（{file}）で書き換わります。このまま保存しますか？";
constexpr char16_t kAskUncarriable[] =
    u"行目のメッセージは、\" で始まるか、\" と共に , か先頭の空白を含むか、CR LF の組でない CR か LF、"
    u"または \\n という並びを含むため、次に開いたとき元どおりに読み込めません。このまま保存しますか？";
constexpr char16_t kAskChangedElsewhere[] =
    u"ファイルは、開いた後にほかのプログラムで変更されています。保存すると、その変更は失われます。"
    u"このまま保存しますか？";

// The encoding as Notepad names it, in the order of FileEncoding.
Text encodingName(FileEncoding encoding) {
  static const char16_t* const kNames[] = {u"ANSI", u"UTF-8", u"UTF-8 (BOM 付き)", u"UTF-16 LE", u"UTF-16 BE"};
  return kNames[static_cast<int>(encoding)];
}

// The text with every {name} replaced by value.
Text substitute(Text text, const Text& name, const Text& value) {
  const Text key = u"{" + name + u"}";
  for (std::size_t at; (at = text.find(key)) != Text::npos;) text.replace(at, key.size(), value);
  return text;
}

// The question about the row, counted from 1 as the user sees the rows.
SavePlan::Question aboutRow(int row, const Text& text, bool offersUtf8 = false) {
  return SavePlan::Question{decimal(row + 1) + text, offersUtf8};
}

}  // namespace

// One question of a save: when it applies (the row it is about, or -1),
// what it asks, and what OK does. Yes, where offered, writes UTF-8 with its
// mark instead; No goes on to the next; Cancel declines the save.
struct SavePlan::Step {
  int (SavePlan::*applies)();
  Question (SavePlan::*asks)(int row) const;
  void (SavePlan::*accept)();
};

// In the order they are asked. Another program's change comes last: a
// question may have stood for minutes, and what is on disk then is what
// the write replaces.
const SavePlan::Step SavePlan::kSteps[] = {
    {&SavePlan::incompleteRow, &SavePlan::askIncomplete, &SavePlan::goOn},
    {&SavePlan::misreadRow, &SavePlan::askMisread, &SavePlan::goOn},
    {&SavePlan::lossyRow, &SavePlan::askLossy, &SavePlan::goOn},
    {&SavePlan::changedOnLoadRow, &SavePlan::askChangedOnLoad, &SavePlan::goOn},
    {&SavePlan::otherEncodingRow, &SavePlan::askOtherEncoding, &SavePlan::goOn},
    {&SavePlan::uncarriableRow, &SavePlan::askUncarriable, &SavePlan::goOn},
    {&SavePlan::changedElsewhereRow, &SavePlan::askChangedElsewhere, &SavePlan::acceptDisk},
};
const std::size_t SavePlan::kDone = sizeof(kSteps) / sizeof(kSteps[0]);

SavePlan::SavePlan(const MenteTable& table, const Text& path, FileOps& ops)
    : table_(table), path_(path), ops_(ops), asked_(kDone, false), expected_(table.file().version) {
  saving_ = table_.settle(table_.encoding());
  advance(0);
}

void SavePlan::advance(std::size_t step) {
  for (; step < kDone; ++step) {
    if (asked_[step]) continue;
    const int row = (this->*kSteps[step].applies)();
    if (row < 0) continue;
    question_ = (this->*kSteps[step].asks)(row);
    break;
  }
  step_ = step;
}

void SavePlan::answer(Answer answer) {
  if (step_ == kDone) return;
  asked_[step_] = true;
  if (answer == Answer::Cancel) {
    declined_ = true;
    step_ = kDone;
  } else if (answer == Answer::Yes && question_.offersUtf8) {
    toUtf8();
  } else if (answer == Answer::No) {
    goOn();
  } else {
    (this->*kSteps[step_].accept)();
  }
}

void SavePlan::toUtf8() {
  // Every line is written anew in UTF-8: the questions not answered yet are
  // asked of the new bytes where they apply, and the lossy one again, as
  // UTF-8 loses half a surrogate pair too, which the answer did not agree to.
  saving_ = table_.settle(FileEncoding::Utf8Bom);
  for (std::size_t step = 0; step < kDone; ++step) {
    if (kSteps[step].applies == &SavePlan::lossyRow) asked_[step] = false;
  }
  advance(0);
}

void SavePlan::acceptDisk() {
  // Asked again if the file changes while the question is up.
  expected_ = onDisk_;
  asked_[step_] = false;
  advance(step_);
}

template <typename Test>
int SavePlan::firstRewritten(Test test) const {
  for (const SaveOutput::Piece& piece : saving_.output.pieces) {
    if (!piece.kept && test(piece.row)) return piece.row;
  }
  return -1;
}

int SavePlan::incompleteRow() {
  // Only what the table holds would be written: the rest of the file is gone.
  return !table_.loadComplete() || saving_.output.restLost ? 0 : -1;
}

int SavePlan::misreadRow() {
  const FileEncoding encoding = saving_.output.encoding;
  // A byte order mark leaves the reader no choice.
  if (encoding != FileEncoding::Ansi && encoding != FileEncoding::Utf8) return -1;
  for (std::size_t p = 0; p < saving_.reading.size(); ++p) {
    const SaveOutput::Piece& piece = saving_.output.pieces[p];
    if (saving_.reading[p].backRow < 0 || saving_.reading[p].same) continue;
    // What the writer's line loses, or cannot carry, is asked about on its own.
    const TextView message = table_.rows().text(piece.row);
    if (!piece.kept && (hasUnrepresentable(message, encoding) || formatCannotCarry(message))) continue;
    return piece.row;
  }
  return -1;
}

int SavePlan::lossyRow() {
  if (!saving_.output.lossy) return -1;
  const FileEncoding encoding = saving_.output.encoding;
  return firstRewritten([&](int row) { return hasUnrepresentable(table_.rows().text(row), encoding); });
}

int SavePlan::changedOnLoadRow() {
  return firstRewritten([&](int row) { return table_.rows().note(row).changed; });
}

int SavePlan::otherEncodingRow() {
  return firstRewritten([&](int row) { return table_.rows().note(row).otherEncoding; });
}

int SavePlan::uncarriableRow() {
  return firstRewritten([&](int row) { return formatCannotCarry(table_.rows().text(row)); });
}

int SavePlan::changedElsewhereRow() {
  // A file the table never read whole has nothing of it to compare; one held
  // by a writer cannot be read, and the write will most likely fail anyway.
  const MessageFile& file = table_.file();
  if (!file.known || path_ != file.path) return -1;
  try {
    onDisk_ = ops_.version(path_);
  } catch (const RuntimeError&) {
    return -1;
  }
  return onDisk_ != expected_ ? 0 : -1;
}

SavePlan::Question SavePlan::askIncomplete(int) const { return Question{kAskIncomplete}; }

SavePlan::Question SavePlan::askMisread(int row) const {
  // tepo must read back what it writes: the mark of UTF-8 settles it.
  return aboutRow(row, substitute(kAskMisread, u"file", encodingName(saving_.output.encoding)), true);
}

SavePlan::Question SavePlan::askLossy(int row) const {
  // The code page lacks the character, UTF-8 has every one.
  const FileEncoding encoding = saving_.output.encoding;
  if (encoding != FileEncoding::Ansi) return aboutRow(row, kAskLossy);
  return aboutRow(row, substitute(kAskLossyOrUtf8, u"file", encodingName(encoding)), true);
}

SavePlan::Question SavePlan::askChangedOnLoad(int row) const {
  // A hand-written line the reader's rules changed would be written back changed.
  return aboutRow(row, kAskChangedOnLoad);
}

SavePlan::Question SavePlan::askOtherEncoding(int row) const {
  // A line another tool wrote in the other encoding goes back in the file's.
  const FileEncoding encoding = saving_.output.encoding;
  const Text text = substitute(kAskOtherEncoding, u"line", isUtf8(encoding) ? u"ANSI" : u"UTF-8");
  return aboutRow(row, substitute(text, u"file", encodingName(encoding)));
}

SavePlan::Question SavePlan::askUncarriable(int row) const {
  // Saying "saved" for a message that comes back cut short, or that swallows
  // the ones after it, would mislead.
  return aboutRow(row, kAskUncarriable);
}

SavePlan::Question SavePlan::askChangedElsewhere(int) const {
  // What another program (Notepad, a second tepo) wrote since the load would
  // be overwritten without a word.
  return Question{kAskChangedElsewhere};
}

}  // namespace tepo
