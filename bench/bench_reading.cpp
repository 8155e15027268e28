// The reading table's figures: bench_messages reading <corpus folder>.
#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_reading.h"
#include "encodings/ansi.h"
#include "encodings/utf8.h"
#include "messages/message_reader.h"
#include "messages/message_writer.h"

using namespace tepo;

namespace {
// Kaomoji as Japanese messages carry them; no package holds them, and the
// model never saw them.
const char* const kKaomoji[] = {
    u8"おやすみ(*´꒳`*)",
    u8"(´・ω・`)",
    u8"ありがとう(*^▽^*)",
    u8"(｀・ω・´)ゞ",
    u8"(≧▽≦)",
    u8"よろしく(^_^)/",
    u8"(；´Д｀)",
    u8"(╯°□°)╯︵ ┻━┻",
    u8"_(:3」∠)_",
    u8"(´；ω；`)ｳｯ…",
    u8"ヽ(・∀・)ﾉ",
    u8"(*´ω`*)",
    u8"(｡･ω･｡)",
    u8"(っ´ω`c)",
    u8"＼(^o^)／",
    u8"(・ω<)",
    u8"(*ﾟ▽ﾟ*)",
    u8"( ˘ω˘ )ｽﾔｧ",
    u8"(◞‸◟)",
    u8"(๑•̀ㅂ•́)و✧",
    u8"(´∀｀)",
    u8"ʕ•ᴥ•ʔ",
    u8"(￣ー￣)ﾆﾔﾘ",
    u8"了解です(^^;",
    u8"(´-ω-`)",
    u8"（＾ω＾）",
    u8"(ﾟДﾟ)",
    u8"٩(ˊᗜˋ*)و",
    u8"(｡>﹏<｡)",
    u8"(* ´ ▽ ` *)",
    u8"おつかれさま(´▽`)ﾉ",
    u8"(ง •̀_•́)ง",
    u8"( ´ ▽ ` )ﾉ",
    u8"(〃▽〃)",
    u8"がんばって(๑•̀ㅂ•́)و",
    u8"(╥﹏╥)",
    u8"ｷﾀ━━━(ﾟ∀ﾟ)━━━!!",
    u8"(*・ω・)ﾉ",
};

std::vector<Text> corpusLines(const std::string& folder, const char* language) {
  std::vector<Text> lines;
  std::string bytes;
  try {
    bytes = bench::readAll(utf8::decode(folder + "/" + language + ".txt"));
  } catch (const RuntimeError&) {
    return lines;
  }
  std::size_t index = 0;
  for (std::size_t at = 0; at < bytes.size(); ++index) {
    std::size_t lf = bytes.find('\n', at);
    if (lf == std::string::npos) lf = bytes.size();
    if (index % 10 == 0) {
      Text line = utf8::decode(bytes.substr(at, lf - at));
      // A byte order mark in a line would be taken for the file's.
      if (!formatCannotCarry(line) && line.find(u'\uFEFF') == Text::npos) lines.push_back(std::move(line));
    }
    at = lf + 1;
  }
  return lines;
}

// Whether the file of these messages in the encoding reads back as written.
bool readsAsWritten(const std::vector<Text>& messages, FileEncoding encoding) {
  const std::string bytes = formatFile(messages, messages.size(), encoding);
  BytesInput file(bytes);
  std::vector<Text> out;
  bool other = false;
  ReadFacts facts;
  readMessages(
      file,
      [&](TextView m, const FieldNote& note) {
        other = other || note.otherEncoding;
        out.emplace_back(m);
      },
      &facts);
  // A file of ASCII is both.
  const bool ascii =
      std::none_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return out == messages && !other && (facts.encoding == encoding || ascii);
}

struct Tally {
  std::size_t files = 0;
  std::size_t right = 0;
  std::size_t skipped = 0;  // lines the code page cannot hold
  std::vector<Text> wrong;
  void count(const std::vector<Text>& messages, FileEncoding encoding) {
    if (encoding == FileEncoding::Ansi) {
      for (const Text& m : messages) {
        if (ansi::decode(ansi::encodeForFile(m)) != m) {
          ++skipped;
          return;
        }
      }
    }
    ++files;
    if (readsAsWritten(messages, encoding)) {
      ++right;
    } else if (wrong.size() < 5) {
      Text all;
      for (const Text& m : messages) all += (all.empty() ? u"" : u" / ") + m;
      wrong.push_back(all);
    }
  }
  void print(const char* name) const {
    std::printf("%-34s %7zu files %8.3f %% read as written", name, files, files ? 100.0 * right / files : 0.0);
    if (skipped) std::printf(" (%zu skipped: not in the code page)", skipped);
    std::printf("\n");
    for (const Text& w : wrong) std::printf("    wrong: %s\n", utf8::encode(w).c_str());
  }
};

}  // namespace

int bench::reading(const std::string& folder) {
  const std::vector<Text> japanese = corpusLines(folder, "ja");
  if (japanese.empty()) {
    std::fprintf(stderr, "no %s/ja.txt: run scripts/corpus.sh first\n", folder.c_str());
    return 1;
  }
  for (FileEncoding encoding : {FileEncoding::Utf8, FileEncoding::Ansi}) {
    const char* name = encoding == FileEncoding::Utf8 ? "UTF-8" : "Shift-JIS";
    Tally one, few, many, kaomoji, shortOnes;
    for (const Text& line : japanese) one.count({line}, encoding);
    // Short messages: each line's first 2 to 6 characters, where they are
    // more than ASCII.
    for (std::size_t i = 0; i < japanese.size(); ++i) {
      Text start = japanese[i].substr(0, 2 + i % 5);
      while (!start.empty() && (start.back() == u' ' || (start.back() >= 0xD800 && start.back() < 0xDC00)))
        start.pop_back();
      if (std::any_of(start.begin(), start.end(), [](char16_t c) { return c >= 0x80; }) && !formatCannotCarry(start))
        shortOnes.count({start}, encoding);
    }
    for (const char* k : kKaomoji) kaomoji.count({utf8::decode(k)}, encoding);
    // Files of 2 to 5 lines, then of 5 to 12, drawn in order from the lines.
    std::mt19937 random(7);
    for (std::size_t at = 0; at < japanese.size();) {
      const std::size_t n = std::min<std::size_t>(2 + random() % 4, japanese.size() - at);
      few.count(std::vector<Text>(japanese.begin() + at, japanese.begin() + at + n), encoding);
      at += n;
    }
    for (std::size_t at = 0; at + 5 <= japanese.size();) {
      const std::size_t n = std::min<std::size_t>(5 + random() % 8, japanese.size() - at);
      many.count(std::vector<Text>(japanese.begin() + at, japanese.begin() + at + n), encoding);
      at += n;
    }
    std::printf("%s:\n", name);
    one.print("  Japanese, one line");
    shortOnes.print("  Japanese, 2 to 6 characters");
    kaomoji.print("  kaomoji, one line");
    few.print("  Japanese, 2 to 5 lines");
    many.print("  Japanese, 5 to 12 lines");
  }
  const char* const languages[] = {"de", "fr", "es", "it", "pt-br", "pl", "cs",    "hu",    "ro", "tr",
                                   "vi", "sv", "el", "ru", "uk",    "ko", "zh-cn", "zh-tw", "th", "hi"};
  std::printf("UTF-8, one line:\n");
  Tally all;
  for (const char* language : languages) {
    Tally tally;
    for (const Text& line : corpusLines(folder, language)) {
      tally.count({line}, FileEncoding::Utf8);
      all.count({line}, FileEncoding::Utf8);
    }
    tally.print((std::string("  ") + language).c_str());
  }
  all.print("  the 20 languages together");
  return 0;
}
