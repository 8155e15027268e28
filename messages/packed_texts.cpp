#include "messages/packed_texts.h"

#include <cstring>
#include <new>
#include <string_view>

#include "encodings/ansi.h"
#include "messages/text_arena.h"

namespace tepo {

void PackedTexts::clear() {
  PageBytes none;
  bytes_.swap(none);
  PageVector<std::uint32_t> one(1, 0);
  starts_.swap(one);
  packed_ = true;
}

void PackedTexts::reserve(std::size_t texts, std::size_t bytes) {
  starts_.reserve(texts + 1);
  bytes_.reserve(bytes);
}

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Where the bytes are found in text from at on, starting where step allows:
// every other byte in UTF-16, a character's first byte in the code page.
template <class Step>
bool found(std::string_view text, std::string_view bytes, Step step) {
  std::size_t boundary = 0;
  for (std::size_t at = text.find(bytes); at != std::string_view::npos; at = text.find(bytes, boundary)) {
    while (boundary < at) boundary += step(boundary);
    if (boundary == at) return true;
  }
  return false;
}

}  // namespace

SoughtText::SoughtText(const Text& sought) : text(sought), bytes(sought.size() * 2, '\0') {
  const std::size_t length = ansi::encodeExactly(sought.data(), sought.size(), &bytes[0]);
  inCodePage = length != kNone;
  bytes.resize(inCodePage ? length : 0);
}

bool PackedTexts::holds(std::size_t i, const SoughtText& sought) const {
  const std::uint32_t start = starts_[i];
  const std::size_t begin = start & ~kWide;
  const std::string_view text(bytes_.data() + begin, (starts_[i + 1] & ~kWide) - begin);
  if (text.empty()) return false;
  if (sought.text.empty()) return true;
  if (start & kWide) {
    const std::string_view units(reinterpret_cast<const char*>(sought.text.data()), sought.text.size() * 2);
    return found(text, units, [](std::size_t) { return std::size_t(2); });
  }
  if (!sought.inCodePage) return false;
  return found(text, sought.bytes, [&](std::size_t at) { return ansi::characterLength(text.data(), at, text.size()); });
}

char* PackedTexts::roomFor(TextView text) {
  if (text.size() > (kWide - 1 - bytes_.size()) / 2) throw std::bad_alloc();
  if (starts_.size() == starts_.capacity()) starts_.reserve(starts_.size() * 2);
  return bytes_.room(text.size() * 2);
}

void PackedTexts::added(std::size_t length, bool wide) {
  // The text's own entry takes the wide mark; the next begins behind it.
  if (wide) starts_.back() |= kWide;
  bytes_.commit(length);
  starts_.push_back(static_cast<std::uint32_t>(bytes_.size()));
}

void PackedTexts::add(TextView text) {
  char* room = roomFor(text);
  std::size_t length;
  unsigned units = 0;
  for (char16_t c : text) units |= c;
  if (units < 0x80) {
    // The code page's first 128 characters are ASCII's: no conversion needed.
    for (std::size_t i = 0; i < text.size(); ++i) room[i] = static_cast<char>(text[i]);
    length = text.size();
  } else {
    length = ansi::encodeExactly(text.data(), text.size(), room);
  }
  const bool wide = length == kNone;
  if (wide) {
    length = text.size() * 2;
    copyUnits(text, room);
  }
  added(length, wide);
}

void PackedTexts::addAsIs(TextView text) {
  char* room = roomFor(text);
  copyUnits(text, room);
  added(text.size() * 2, true);
  packed_ = false;
}

void PackedTexts::pack() {
  if (packed_) return;
  try {
    PackedTexts small;
    small.reserve(size(), bytes_.size());
    Text text;
    for (std::size_t i = 0; i < size(); ++i) {
      textInto(i, text);
      small.add(text);
    }
    // Held all day: only what the texts take stays committed.
    small.bytes_.shrinkToFit();
    *this = std::move(small);
  } catch (const std::bad_alloc&) {
    // What is held still reads as it did.
  }
}

void PackedTexts::textInto(std::size_t i, Text& out) const {
  const std::uint32_t start = starts_[i];
  const std::size_t begin = start & ~kWide;
  const std::size_t end = starts_[i + 1] & ~kWide;
  const char* bytes = bytes_.data() + begin;
  if (start & kWide) {
    out.resize((end - begin) / 2);
    std::memcpy(&out[0], bytes, end - begin);
  } else {
    ansi::decodeInto(bytes, end - begin, out);
  }
}

}  // namespace tepo
