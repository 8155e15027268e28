// Figures for the message file: loading and saving 32767 messages, each as a
// ratio to the bare floor measured in the same run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "editor/mente_table.h"
#include "search/match.h"
#include "store/ansi.h"
#include "store/files.h"
#include "store/message_file.h"
#include "store/message_table.h"

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

std::string readAll(const Text& path) {
  std::unique_ptr<InputFile> file = openInput(path);
  std::string bytes;
  char block[256 * 1024];
  for (std::size_t n; (n = file->read(block, sizeof(block))) > 0;) bytes.append(block, n);
  return bytes;
}

void writeOnce(const Text& path, const std::string& bytes) {
  FileOps& ops = systemFileOps();
  Text temp;
  FileOps::Handle h = ops.createTemp(path, temp);
  ops.write(h, bytes.data(), bytes.size());
  ops.close(h);
  ops.remove(temp);
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
      double load = medianMs(3, [&] {
        try {
          table.load(path);
        } catch (const RuntimeError&) {
        }
      });
      std::printf("one field, %-24s %3zu MB: %8.1f ms  %6.2f ms per MB  (%zu characters)\n",
                  quoted ? "a quote never closed," : "a line with no line end,", megabytes, load,
                  load / static_cast<double>(megabytes), table.at(0).size());
    }
  }
  systemFileOps().remove(path);
}

}  // namespace

int main() {
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
  double load = medianMs(runs, [&] {
    try {
      table.load(path);
    } catch (const RuntimeError&) {
    }
  });
  std::printf("load:   %8.2f ms  floor (read + one decode) %8.2f ms  ratio %.2f  (%d messages, %zu chars)\n", load,
              floorLoad, load / floorLoad, table.count(), decoded);

  // The editor's copy of the table is what a save writes.
  MenteTable mente;
  mente.load(path);
  double floorSave = medianMs(runs, [&] { writeOnce(path, bytes); });
  double save = medianMs(runs, [&] { mente.save(path, systemFileOps()); });
  double format = medianMs(runs, [&] { mente.fileBytes(); });
  std::printf(
      "save:   %8.2f ms  floor (write the bytes once) %8.2f ms  ratio %.2f  (formatting %.2f ms, the rest "
      "is flushing to the disk and the replace)\n",
      save, floorSave, save / floorSave, format);
  std::size_t hits = 0;
  double search = medianMs(runs, [&] { hits = static_cast<std::size_t>(findHits(table.list(), u"天気").hitCount); });
  double searchNone = medianMs(runs, [&] { findHits(table.list(), u"見つからない言葉"); });
  std::printf("search: %8.3f ms for %d messages (%.1f ns a message, %zu hits); without a hit %.3f ms\n", search,
              table.count(), search * 1e6 / table.count(), hits, searchNone);
  // What each click on the icon adds: the check whether the file changed.
  const int stamps = 20000;
  double stampMs = medianMs(5, [&] {
    for (int i = 0; i < stamps; ++i) table.reloadIfChanged();
  });
  std::printf("check before a pick (file unchanged): %.2f us a click\n", stampMs * 1000.0 / stamps);
  systemFileOps().remove(path);
  longFields();
  return 0;
}
