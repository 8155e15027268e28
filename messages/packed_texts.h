// Many texts kept as small as they read back: each in the code page where
// every character of it has a form of its own there, else as UTF-16. A file's
// messages then take about the file's own bytes, where UTF-16 would take up
// to twice as many, and a text is decoded only when it is asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/pages.h"
#include "runtime/runtime.h"

namespace tepo {

// A text looked for in many packed texts, in both of the forms they take.
struct SoughtText {
  explicit SoughtText(const Text& text);
  Text text;
  // In the code page, when each character has a form of its own there;
  // otherwise no text kept in the code page can hold it.
  std::string bytes;
  bool inCodePage = false;
};

class PackedTexts {
 public:
  PackedTexts() { clear(); }

  // Behind the last; raises std::bad_alloc, keeping what it held.
  void add(TextView text);
  // The same, kept as UTF-16 for now: a copy, for a load that should be
  // quick, which pack makes small later.
  void addAsIs(TextView text);
  // Every text kept as UTF-16 that the code page holds goes into it. Short
  // of memory, the texts stay as they are.
  void pack();
  std::size_t size() const { return starts_.size() - 1; }
  // Text i as it was added, into out (its storage kept, for a caller that
  // reads one text after another).
  void textInto(std::size_t i, Text& out) const;
  Text text(std::size_t i) const {
    Text out;
    textInto(i, out);
    return out;
  }

  // Whether text i holds sought, code unit for code unit, without decoding
  // it. An empty text holds nothing, not even the empty text.
  bool holds(std::size_t i, const SoughtText& sought) const;

  void clear();
  // Room for so many texts and bytes at once, so that a load does not grow
  // into them through copies; untouched pages cost nothing.
  void reserve(std::size_t texts, std::size_t bytes);

 private:
  // Where each text begins in bytes_, with kWide set for one kept as UTF-16;
  // one more entry for where the last ends.
  static constexpr std::uint32_t kWide = 0x80000000u;
  char* roomFor(TextView text);
  void added(std::size_t length, bool wide);
  bool packed_ = true;  // no text kept as UTF-16 that the code page holds
  PageBytes bytes_;
  PageVector<std::uint32_t> starts_;
};

}  // namespace tepo
