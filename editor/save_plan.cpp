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

}  // namespace

SavePlan::SavePlan(const MenteTable& table) : table_(table) {
  settle(table.encoding());
  advance(Step::Incomplete);
}

void SavePlan::settle(FileEncoding encoding) { saving_ = table_.settle(encoding); }

template <typename Test>
int SavePlan::firstRewritten(Test test) const {
  for (const MenteTable::Output::Piece& piece : saving_.output.pieces) {
    if (!piece.kept && test(piece.row)) return piece.row;
  }
  return -1;
}

int SavePlan::rowFor(Step step) const {
  const FileEncoding encoding = saving_.output.encoding;
  switch (step) {
    case Step::Incomplete:
      // Only what the table holds would be written: the rest of the file is gone.
      return !table_.loadComplete() || saving_.output.restLost ? 0 : -1;
    case Step::Misread: {
      // A byte order mark leaves the reader no choice.
      if (encoding != FileEncoding::Ansi && encoding != FileEncoding::Utf8) return -1;
      const std::vector<MenteTable::ReadBack>& reading = saving_.reading;
      for (std::size_t p = 0; p < reading.size(); ++p) {
        const MenteTable::Output::Piece& piece = saving_.output.pieces[p];
        if (reading[p].backRow < 0 || reading[p].same) continue;
        // What the writer's line loses, or cannot carry, is asked about on its own.
        const Text& message = table_.list()[static_cast<std::size_t>(piece.row)];
        if (!piece.kept && (hasUnrepresentable(message, encoding) || formatCannotCarry(message))) continue;
        return piece.row;
      }
      return -1;
    }
    case Step::Lossy:
      if (!saving_.output.lossy) return -1;
      return firstRewritten(
          [&](int row) { return hasUnrepresentable(table_.list()[static_cast<std::size_t>(row)], encoding); });
    case Step::ChangedOnLoad:
      return firstRewritten([&](int row) { return table_.note(row).changed; });
    case Step::OtherEncoding:
      return firstRewritten([&](int row) { return table_.note(row).otherEncoding; });
    case Step::Uncarriable:
      return firstRewritten([&](int row) { return formatCannotCarry(table_.list()[static_cast<std::size_t>(row)]); });
    case Step::Done:
      break;
  }
  return -1;
}

void SavePlan::advance(Step step) {
  const FileEncoding encoding = saving_.output.encoding;
  const Text file = encodingName(encoding);
  for (; step != Step::Done; step = static_cast<Step>(static_cast<int>(step) + 1)) {
    if (asked_[static_cast<int>(step)]) continue;
    const int row = rowFor(step);
    if (row < 0) continue;
    const Text number = decimal(row + 1);
    question_ = Question();
    switch (step) {
      case Step::Incomplete:
        question_.text = kAskIncomplete;
        break;
      case Step::Misread:
        // tepo must read back what it writes: the mark of UTF-8 settles it.
        question_.text = number + substitute(kAskMisread, u"file", file);
        question_.offersUtf8 = true;
        break;
      case Step::Lossy:
        // The code page lacks the character, UTF-8 has every one.
        question_.offersUtf8 = encoding == FileEncoding::Ansi;
        question_.text = number + (question_.offersUtf8 ? substitute(kAskLossyOrUtf8, u"file", file) : kAskLossy);
        break;
      case Step::ChangedOnLoad:
        // A hand-written line the reader's rules changed would be written back changed.
        question_.text = number + kAskChangedOnLoad;
        break;
      case Step::OtherEncoding:
        // A line another tool wrote in the other encoding goes back in the file's.
        question_.text =
            number +
            substitute(substitute(kAskOtherEncoding, u"line", isUtf8(encoding) ? u"ANSI" : u"UTF-8"), u"file", file);
        break;
      case Step::Uncarriable:
        // Saying "saved" for a message that comes back cut short, or that
        // swallows the ones after it, would mislead.
        question_.text = number + kAskUncarriable;
        break;
      case Step::Done:
        break;
    }
    break;
  }
  step_ = step;
}

void SavePlan::answer(Answer answer) {
  if (step_ == Step::Done) return;
  asked_[static_cast<int>(step_)] = true;
  if (answer == Answer::Cancel) {
    declined_ = true;
    step_ = Step::Done;
    return;
  }
  if (answer == Answer::Yes && question_.offersUtf8) {
    // Every line is written anew in UTF-8: what was asked of the old
    // bytes is asked again of the new where it applies. UTF-8 loses half
    // a surrogate pair too, which the answer did not agree to.
    settle(FileEncoding::Utf8Bom);
    asked_[static_cast<int>(Step::Lossy)] = false;
    advance(Step::Incomplete);
    return;
  }
  advance(static_cast<Step>(static_cast<int>(step_) + 1));
}

}  // namespace tepo
