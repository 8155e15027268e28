// Figures for the message file: loading and saving 32767 messages, each as a
// ratio to the bare floor measured in the same run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>
#else
#include <malloc.h>
#include <sys/resource.h>
#endif

#include "bench/bench_reading.h"
#include "editor/mente_table.h"
#include "editor/read_back.h"
#include "editor/save_plan.h"
#include "encodings/ansi.h"
#include "encodings/utf8.h"
#include "files/file_ops.h"
#include "files/paths.h"
#include "files/save.h"
#include "messages/message_file.h"
#include "messages/message_reader.h"
#include "messages/message_table.h"
#include "messages/message_writer.h"
#include "search/match.h"

using namespace tepo;

namespace {

double medianMs(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// The median time of loading the file into the table; a load that stops
// early (too many messages) counts as it went.
double loadMs(int runs, MessageTable& table, const Text& path) {
  return medianMs(runs, [&] {
    try {
      table.load(path, systemFileOps());
    } catch (const RuntimeError&) {
    }
  });
}

std::vector<Text> generateMessages() {
  const std::vector<Text> words = {u"こんにちは", u"今日は",     u"いい天気", u"ですね", u"hello", u"world",
                                   u"tepo",       u"メッセージ", u"表示",     u"ソフト", u"and",   u"more"};
  std::mt19937 random(7);
  std::vector<Text> messages;
  for (int i = 0; i < 32767; ++i) {
    Text m;
    int n = 3 + static_cast<int>(random() % 6);
    for (int k = 0; k < n; ++k) {
      m += words[random() % words.size()];
      if (random() % 10 == 0)
        m += u"\r\n";
      else
        m += u' ';
    }
    messages.push_back(m);
  }
  return messages;
}

}  // namespace

std::string bench::readAll(const Text& path) {
  std::unique_ptr<InputFile> file = systemFileOps().open(path);
  std::string bytes;
  char block[256 * 1024];
  for (std::size_t n; (n = file->read(block, sizeof(block))) > 0;) bytes.append(block, n);
  return bytes;
}

namespace {

using bench::readAll;

// What any save that survives a power cut does: the bytes into a temporary
// file beside the old one, flushed to the disk, then put in its place.
void durableReplace(const Text& path, const std::string& bytes) {
  FileOps& ops = systemFileOps();
  Text temp;
  std::unique_ptr<OutputFile> file = ops.createTemp(path, temp);
  if (!file) return;
  const bool written = file->write(bytes.data(), bytes.size()) && file->flush();
  if (!file->close() || !written) return;
  const Text backup = siblingName(path, 0xFFFF, u".bak");
  if (ops.replace(path, temp, backup)) ops.remove(backup);
}

// A file that is one growing field: a line with no line end, or a quote that
// is never closed. The reader must take each character once, so the time per
// MB stays flat as the field grows.
void longFields() {
  const Text path = besideExecutable(u"bench-long.dat");
  const std::string piece = ansi::encode(u"tepo のメッセージ ");
  for (bool quoted : {false, true}) {
    for (std::size_t megabytes : {1u, 8u, 64u}) {
      std::string bytes = quoted ? "\"" : "";
      while (bytes.size() < (megabytes << 20)) bytes += piece;
      if (!saveAtomically(systemFileOps(), path, bytes)) return;
      MessageTable table;
      double load = loadMs(3, table, path);
      std::printf("one field, %-24s %3zu MB: %8.1f ms  %6.2f ms per MB  (%zu characters)\n",
                  quoted ? "a quote never closed," : "a line with no line end,", megabytes, load,
                  load / static_cast<double>(megabytes), table.at(0).size());
    }
  }
  systemFileOps().remove(path);
}

// The memory the process holds now: its private committed bytes as Windows
// counts them (Wine does not count them: there, its working set); natively,
// what the C library's heap has handed out.
double currentMemory() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return static_cast<double>(wine ? counters.WorkingSetSize : counters.PrivateUsage);
#else
  const struct mallinfo2 heap = mallinfo2();
  return static_cast<double>(heap.uordblks + heap.hblkhd);
#endif
}

// The most memory the process has held so far, in bytes.
double peakMemory() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return static_cast<double>(counters.PeakWorkingSetSize);
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) * 1024.0;
#endif
}

// A file of bytes that are no character in either encoding, one field long:
// what the load costs in memory beyond what the process held before, per
// byte of the file. Run in a process of its own, since the peak never falls.
int badBytes(std::size_t megabytes) {
  const Text path = besideExecutable(u"bench-bad.dat");
  {
    // Written a block at a time, so that the file's bytes are not the peak.
    FileOps& ops = systemFileOps();
    Text temp;
    std::unique_ptr<OutputFile> file = ops.createTemp(path, temp);
    std::string block;
    while (block.size() < (1u << 20)) block += "\x85\x40";  // a row the code page leaves empty
    bool written = file != nullptr;
    for (std::size_t i = 0; written && i < megabytes; ++i) written = file->write(block.data(), block.size());
    if (file) written = file->close() && written;
    if (!written || !ops.move(temp, path)) {
      std::fprintf(stderr, "cannot write the benchmark file\n");
      return 1;
    }
  }
  const double before = peakMemory();
  auto start = std::chrono::steady_clock::now();
  MessageTable table;
  try {
    table.load(path, systemFileOps());
  } catch (const RuntimeError&) {
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const double grown = peakMemory() - before;
  std::printf(
      "bad bytes, one field, %3zu MB: load %8.1f ms, peak memory %7.1f MB more, %.2f bytes per byte (%zu "
      "characters)\n",
      megabytes, ms, grown / 1048576.0, grown / static_cast<double>(megabytes << 20), table.at(0).size());
  systemFileOps().remove(path);
  return 0;
}

// A save of the editor's table against the durable replace of the same
// bytes, and what the table costs in memory while the window has it.
void saveFigures(const Text& path, const std::string& bytes, int runs) {
  const double before = currentMemory();
  auto mente = std::make_unique<MenteTable>();
  mente->load(path, systemFileOps());
  const double held = currentMemory() - before;
  double floorSave = medianMs(runs, [&] { durableReplace(path, bytes); });
  // As a save the user answers OK after changing one message in the middle:
  // its plan, the look at the disk included, then the write.
  std::vector<double> plans;
  const int changed = mente->count() / 2;
  const Text edits[] = {u"書き換えたメッセージ", Text(mente->rows().text(changed))};
  int edit = 0;
  double save = medianMs(runs, [&] {
    mente->update(changed, edits[edit++ % 2]);
    auto start = std::chrono::steady_clock::now();
    SavePlan plan(*mente, path, systemFileOps());
    while (plan.question()) plan.answer(SavePlan::Answer::Ok);
    plans.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    mente->write(path, systemFileOps(), plan.takeSaving());
  });
  std::sort(plans.begin(), plans.end());
  const double planned = plans[plans.size() / 2];
  mente->update(changed, edits[edit++ % 2]);
  double format = medianMs(runs, [&] { formatSave(mente->rows(), mente->kept(), mente->encoding()); });
  // What the plan took while it read back the whole output.
  double whole = medianMs(runs, [&] { settle(mente->rows(), mente->kept(), mente->encoding(), ReadBack::Whole); });
  std::printf(
      "save:   %8.2f ms  floor (temporary file, write, flush, replace) %8.2f ms  ratio %.2f  (the plan %.2f ms, "
      "of it formatting %.2f ms; the rest is the write; settled reading back the whole output: %.2f ms)\n",
      save, floorSave, save / floorSave, planned, format, whole);
  mente->reset();
  const double reset = currentMemory() - before;
  mente.reset();
  std::printf("editor table at 32767 messages: holds %.2f MB; emptied %.2f MB, gone %.2f MB more than before\n",
              held / 1048576.0, reset / 1048576.0, (currentMemory() - before) / 1048576.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "bad-bytes") return badBytes(std::strtoul(argv[2], nullptr, 10));
  if (argc == 3 && std::string(argv[1]) == "reading") return bench::reading(argv[2]);
  const Text path = besideExecutable(u"bench-tepo.dat");
  std::string bytes;
  {
    // The generator's strings are gone before anything is timed, as they
    // would be in the program, which starts with the file.
    const std::vector<Text> messages = generateMessages();
    bytes = formatFile(messages, messages.size());
  }
  if (!saveAtomically(systemFileOps(), path, bytes)) {
    std::fprintf(stderr, "cannot write the benchmark file\n");
    return 1;
  }
  std::printf("file: 32767 messages, %zu bytes\n", bytes.size());

  const int runs = 15;
  std::size_t decoded = 0;
  double floorLoad = medianMs(runs, [&] { decoded = ansi::decode(readAll(path)).size(); });
  MessageTable table;
  double load = loadMs(runs, table, path);
  std::printf("load:   %8.2f ms  floor (read + one decode) %8.2f ms  ratio %.2f  (%d messages, %zu chars)\n", load,
              floorLoad, load / floorLoad, table.count(), decoded);
  // What tepo does a moment later, its balloon shown: the table made small.
  double pack = 0;
  {
    std::vector<double> packs;
    for (int i = 0; i < runs; ++i) {
      MessageTable loaded;
      loadMs(1, loaded, path);
      packs.push_back(medianMs(1, [&] { loaded.pack(); }));
    }
    std::sort(packs.begin(), packs.end());
    pack = packs[packs.size() / 2];
  }
  table.pack();
  std::printf("  then packed for the day: %.2f ms\n", pack);
  {
    // What the icon's table holds all day, against the file's own size.
    table.reset();
    const double before = currentMemory();
    MessageTable held;
    loadMs(1, held, path);
    held.pack();
    const double packed = currentMemory() - before;
    std::printf("  the table holds %.2f MB packed (the file is %.2f MB)\n", packed / 1048576.0,
                static_cast<double>(readAll(path).size()) / 1048576.0);
    loadMs(1, table, path);
    table.pack();
  }
  {
    // The same messages as Notepad saves them in UTF-8, against one UTF-8 decoding.
    const Text utf8Path = besideExecutable(u"bench-utf8.dat");
    MessageTable asRead;
    asRead.load(path, systemFileOps());
    std::vector<Text> messages;
    for (long i = 0; i < asRead.count(); ++i) messages.push_back(asRead.at(i));
    const std::string utf8Bytes = formatFile(messages, messages.size(), FileEncoding::Utf8);
    if (saveAtomically(systemFileOps(), utf8Path, utf8Bytes)) {
      double floorUtf8 = medianMs(runs, [&] { decoded = utf8::decode(readAll(utf8Path)).size(); });
      MessageTable utf8Table;
      double loadUtf8 = loadMs(runs, utf8Table, utf8Path);
      std::printf("load UTF-8: %8.2f ms  floor (read + one decode) %8.2f ms  ratio %.2f  (%zu bytes)\n", loadUtf8,
                  floorUtf8, loadUtf8 / floorUtf8, utf8Bytes.size());
      systemFileOps().remove(utf8Path);
    }
  }

  saveFigures(path, bytes, runs);
  std::size_t hits = 0;
  double search = medianMs(runs, [&] { hits = static_cast<std::size_t>(findHits(table, u"天気").hitCount); });
  double searchNone = medianMs(runs, [&] { findHits(table, u"見つからない言葉"); });
  std::printf("search: %8.3f ms for %d messages (%.1f ns a message, %zu hits); without a hit %.3f ms\n", search,
              table.count(), search * 1e6 / table.count(), hits, searchNone);
  // What each click on the icon adds: the check whether the file changed.
  const int stamps = 20000;
  double stampMs = medianMs(5, [&] {
    for (int i = 0; i < stamps; ++i) table.reloadIfChanged(systemFileOps());
  });
  std::printf("check before a pick (file unchanged): %.2f us a click\n", stampMs * 1000.0 / stamps);
  systemFileOps().remove(path);
  longFields();
  return 0;
}
