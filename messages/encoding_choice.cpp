#include "messages/encoding_choice.h"

namespace tepo {

namespace {

// What waits for the file's evidence stays within this many bytes in a file
// that never says much.
constexpr std::size_t kLongestWait = 256 * 1024;

}  // namespace

void EncodingChooser::settle(FileEncoding encoding, bool withFile) {
  main_ = encoding;
  settled_ = true;
  lines_.settled(encoding, seen_);
  // The lines that waited for it, in their order.
  std::vector<Waiting> waiting;
  waiting.swap(waiting_);
  for (Waiting& line : waiting) place(line.begin, line.end, line.readings, line.last, withFile);
}

// The file's lines so far had too little evidence to settle it: it goes the
// way they lean, UTF-8 on a tie of lines beyond ASCII. A lone pair of bytes
// is the file's evidence and goes with the file, whatever it weighs alone.
void EncodingChooser::settleByEvidence() {
  const std::int32_t evidence = evidence_.utf8();
  settle(evidence > 0 || (evidence == 0 && sawNonAscii_) ? FileEncoding::Utf8 : FileEncoding::Ansi,
         evidence_.lonePair());
}

void EncodingChooser::add(std::size_t begin, std::size_t end, bool last) {
  LineReadings readings = examineLine(lines_.bytesAt(begin), end - begin);
  if (settled_) {
    place(begin, end, readings, last);
  } else {
    seen_ = end;
    weigh(begin, end, readings, last);
  }
}

std::size_t EncodingChooser::addCodePageLines(std::size_t begin, std::size_t end, std::size_t limit) {
  if (!settled_ || isUtf8(main_)) return begin;
  const std::size_t taken = codePageLines(lines_.bytesAt(begin), end - begin, limit);
  if (taken > 0) lines_.take(begin, begin + taken, FileEncoding::Ansi, false, false);
  return begin + taken;
}

// A line before the file settled: its evidence adds up with the others'.
void EncodingChooser::weigh(std::size_t begin, std::size_t end, LineReadings& readings, bool last) {
  // ASCII reads the same in either: it is taken at once unless lines wait.
  if (readings.ascii && waiting_.empty()) {
    lines_.take(begin, end, FileEncoding::Ansi, false, last);
    return;
  }
  if (!readings.ascii) {
    if (readings.utf8 || readings.utf8Cut) readAnsiOnce(begin, end, readings);
    sawNonAscii_ = true;
    evidence_.add(readings);
  }
  const std::int32_t evidence = evidence_.utf8();
  if (evidence >= kDecisive) {
    settle(FileEncoding::Utf8);
  } else if (evidence <= -kDecisive) {
    settle(FileEncoding::Ansi);
  } else {
    waiting_.push_back({begin, end, readings, last});
    if (end - waiting_.front().begin > kLongestWait) settleByEvidence();
    return;
  }
  place(begin, end, readings, last);
}

void EncodingChooser::place(std::size_t begin, std::size_t end, LineReadings& readings, bool last, bool withFile) {
  const bool mainUtf8 = isUtf8(main_);
  const bool utf8 = readings.ascii || withFile ? mainUtf8 : readsAsUtf8(begin, end, readings, last);
  lines_.take(begin, end, utf8 ? FileEncoding::Utf8 : FileEncoding::Ansi, utf8 != mainUtf8, last);
}

bool EncodingChooser::readsAsUtf8(std::size_t begin, std::size_t end, LineReadings& readings, bool last) {
  const bool mainUtf8 = isUtf8(main_);
  if (!readings.utf8 && !(last && readings.utf8Cut)) {
    if (!mainUtf8) return false;
    // No UTF-8: the code page, unless that reads it no better.
    readAnsiOnce(begin, end, readings);
    return !readings.ansi;
  }
  // The mark said UTF-8.
  if (main_ == FileEncoding::Utf8Bom && readings.utf8) return true;
  if (mainUtf8 && plainlyUtf8(readings)) return true;
  // A character cut off at the end after UTF-8 is a writer at work; it
  // weighs like any other line.
  readAnsiOnce(begin, end, readings);
  const std::int32_t evidence = utf8Evidence(readings);
  return evidence >= kStrongLine || (evidence > -kStrongLine && mainUtf8);
}

void EncodingChooser::readAnsiOnce(std::size_t begin, std::size_t end, LineReadings& readings) const {
  if (!readings.ansiKnown) readAnsi(readings, lines_.bytesAt(begin), end - begin);
}

}  // namespace tepo
