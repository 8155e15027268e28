#include "encodings/utf8.h"

namespace tepo::utf8 {

Character characterAt(const unsigned char* p, std::size_t n) {
  Character c;
  const unsigned b = p[0];
  std::size_t trail;
  unsigned low = 0x80, high = 0xBF;  // the range of the first trail byte
  if (b < 0x80) {
    trail = 0;
  } else if (b >= 0xC2 && b <= 0xDF) {
    trail = 1;
  } else if (b >= 0xE0 && b <= 0xEF) {
    trail = 2;
    if (b == 0xE0) low = 0xA0;   // no overlong forms
    if (b == 0xED) high = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    trail = 3;
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return c;
  }
  c.code = trail == 0 ? b : b & (0x3Fu >> trail);
  for (std::size_t i = 1; i <= trail; ++i) {
    c.skip = i;
    if (i >= n) {
      c.cut = true;
      return c;
    }
    const unsigned t = p[i];
    if (t < (i == 1 ? low : 0x80u) || t > (i == 1 ? high : 0xBFu)) return c;
    c.code = (c.code << 6) | (t & 0x3F);
  }
  c.length = trail + 1;
  return c;
}

std::size_t completePrefix(const char* bytes, std::size_t length) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  // Back over at most three trail bytes to the byte that starts the last character.
  std::size_t start = length;
  for (int back = 0; back < 4 && start > 0; ++back) {
    --start;
    if ((p[start] & 0xC0) != 0x80) break;
  }
  return start < length && characterAt(p + start, length - start).cut ? start : length;
}

void decodeInto(const char* bytes, std::size_t length, Text& out, std::vector<std::size_t>* bad) {
  out.clear();
  out.reserve(length);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < length;) {
    if (p[i] < 0x80) {
      out += static_cast<char16_t>(p[i++]);
      continue;
    }
    const Character c = characterAt(p + i, length - i);
    if (c.length == 0) {
      if (bad) bad->push_back(out.size());
      out += u'\uFFFD';
      i += c.skip;
      continue;
    }
    if (c.code >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c.code - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c.code - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c.code);
    }
    i += c.length;
  }
}

Text decode(const std::string& bytes) {
  Text out;
  decodeInto(bytes.data(), bytes.size(), out);
  return out;
}

std::string encode(const Text& text, bool* lossy) {
  if (lossy) *lossy = false;
  std::string out;
  out.reserve(text.size() * 3);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDFFF) {
      bool pair = c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      if (!pair) {
        out += '?';
        if (lossy) *lossy = true;
        continue;
      }
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace tepo::utf8
