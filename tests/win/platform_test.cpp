// The test environment itself, and what the program asks of the system below
// its windows: a wrong setup must fail loudly here rather than
// quietly test another code page or font.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "encodings/ansi.h"
#include "encodings/cp932.h"
#include "forms/controls.h"
#include "forms/screen.h"
#include "runtime/pages.h"

namespace {

TEST(Platform, AnsiCodePageIs932) { EXPECT_EQ(GetACP(), 932u); }

TEST(Platform, AnsiConversionIsShiftJis) {
  EXPECT_EQ(tepo::ansi::encode(u"ソ表"), std::string("\x83\x5C\x95\x5C"));
  EXPECT_EQ(tepo::ansi::decode(std::string("\x82\xA0")), u"あ");
  EXPECT_EQ(tepo::ansi::byteLength(u"あa"), 3u);
  EXPECT_TRUE(tepo::ansi::isLeadByte(0x83));
  EXPECT_FALSE(tepo::ansi::isLeadByte('a'));
  bool lossy = false;
  tepo::ansi::encodeForFile(u"\U0001F600", &lossy);
  EXPECT_TRUE(lossy);
}

// The native tests' stand-in for the code page, a table made from the
// definition this system converts with, gives what the program gets from
// the system: for every UTF-16 unit and every one- and two-byte sequence.
TEST(Platform, CodePageTableConvertsAsTheSystem) {
  int differences = 0;
  auto report = [&](const std::string& what) {
    if (++differences <= 20) ADD_FAILURE() << what;
  };
  auto hex = [](const std::string& bytes) {
    std::ostringstream out;
    out << std::hex;
    for (char b : bytes) out << ' ' << static_cast<unsigned>(static_cast<unsigned char>(b));
    return out.str();
  };
  for (unsigned b = 0; b < 0x100; ++b) {
    if (tepo::cp932::isLeadByte(static_cast<unsigned char>(b)) !=
        tepo::ansi::isLeadByte(static_cast<unsigned char>(b))) {
      report("lead byte " + hex(std::string(1, static_cast<char>(b))));
    }
  }
  for (unsigned u = 0; u < 0x10000; ++u) {
    const tepo::Text one(1, static_cast<char16_t>(u));
    bool systemLossy = false, tableLossy = false;
    const std::string systemFile = tepo::ansi::encodeForFile(one, &systemLossy);
    const std::string tableFile = tepo::cp932::encodeForFile(one, &tableLossy);
    const std::string systemBytes = tepo::ansi::encode(one), tableBytes = tepo::cp932::encode(one);
    // The exact form a kept message takes, which must read back as the unit.
    char systemExact[2], tableExact[2];
    const std::size_t systemLength = tepo::ansi::encodeExactly(one.data(), 1, systemExact);
    const std::size_t tableLength = tepo::cp932::encodeExactly(one.data(), 1, tableExact);
    const bool exactAgrees = systemLength == tableLength &&
                             (systemLength == static_cast<std::size_t>(-1) ||
                              (std::string(systemExact, systemLength) == std::string(tableExact, tableLength) &&
                               tepo::ansi::decode(systemExact, systemLength) == one));
    if (systemFile != tableFile || systemLossy != tableLossy || systemBytes != tableBytes || !exactAgrees ||
        tepo::ansi::hasCharacter(one[0]) != tepo::cp932::hasCharacter(one[0])) {
      std::ostringstream what;
      what << "U+" << std::hex << u << ": file" << hex(systemFile) << (systemLossy ? " lossy" : "") << ", best fit"
           << hex(systemBytes) << "; the table's: file" << hex(tableFile) << (tableLossy ? " lossy" : "")
           << ", best fit" << hex(tableBytes);
      report(what.str());
    }
  }
  // Each sequence alone, then all two-byte ones in one block.
  std::string all;
  auto compareDecoding = [&](const std::string& bytes) {
    tepo::Text systemText, tableText, systemPlain, tablePlain;
    std::vector<std::size_t> systemBad, tableBad;
    tepo::ansi::decodeInto(bytes.data(), bytes.size(), systemText, &systemBad);
    tepo::cp932::decodeInto(bytes.data(), bytes.size(), tableText, &tableBad);
    tepo::ansi::decodeInto(bytes.data(), bytes.size(), systemPlain);
    tepo::cp932::decodeInto(bytes.data(), bytes.size(), tablePlain, nullptr);
    if (systemText != tableText || systemBad != tableBad || systemPlain != tablePlain) {
      std::ostringstream what;
      what << "bytes" << hex(bytes.substr(0, 2)) << (bytes.size() > 2 ? " ..." : "") << ": " << systemText.size()
           << " units, " << systemBad.size() << " bad; the table's: " << tableText.size() << " units, "
           << tableBad.size() << " bad";
      report(what.str());
    }
  };
  for (unsigned first = 0; first < 0x100; ++first) {
    compareDecoding(std::string(1, static_cast<char>(first)));
    for (unsigned second = 0; second < 0x100; ++second) {
      const std::string pair{static_cast<char>(first), static_cast<char>(second)};
      compareDecoding(pair);
      all += pair;
    }
  }
  compareDecoding(all);
  EXPECT_EQ(differences, 0);
}

TEST(Platform, GothicFontIsAJapaneseMonospace) {
  tepo::UniqueFont font = tepo::forms::createFont(L"ＭＳ ゴシック", 9);
  ASSERT_TRUE(font);
  tepo::WindowDC screen(nullptr);
  HDC dc = screen.get();
  tepo::SelectedObject selected(dc, font.get());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SIZE narrow{}, wide{};
  GetTextExtentPoint32W(dc, L"iiii", 4, &narrow);
  GetTextExtentPoint32W(dc, L"WWWW", 4, &wide);
  SIZE kana{};
  GetTextExtentPoint32W(dc, L"あ", 1, &kana);
  EXPECT_EQ(tm.tmCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(narrow.cx, wide.cx) << "not monospaced: the font substitution is missing";
  EXPECT_EQ(kana.cx, 2 * narrow.cx / 4) << "a full-width character is two half-width cells";
}

// Freed blocks of every size between live ones, so that some free block ends
// on a page's edge: what the heap keeps at either end of one must survive.
TEST(Platform, FreedHeapPagesGivenBackLeaveTheHeapWhole) {
  HANDLE heap = GetProcessHeap();
  std::vector<char*> freed, kept;
  for (std::size_t i = 0; i < 1536; ++i) {
    freed.push_back(static_cast<char*>(HeapAlloc(heap, 0, 2 * 4096 + 8 * (i % 512))));
    kept.push_back(static_cast<char*>(HeapAlloc(heap, 0, 24)));
    ASSERT_TRUE(freed.back() && kept.back());
    std::memset(kept.back(), static_cast<int>(i % 251), 24);
  }
  for (char* block : freed) ASSERT_TRUE(HeapFree(heap, 0, block));
  tepo::giveBackFreedHeapPages();
  EXPECT_TRUE(HeapValidate(heap, 0, nullptr));
  for (std::size_t i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(std::string(kept[i], 24), std::string(24, static_cast<char>(i % 251))) << i;
  }
  // Each live block freed now joins the free block before it, found from its end.
  for (char* block : kept) ASSERT_TRUE(HeapFree(heap, 0, block));
  EXPECT_TRUE(HeapValidate(heap, 0, nullptr));
}

TEST(Platform, ScreenIs96DotsPerInch) {
  EXPECT_FLOAT_EQ(tepo::forms::twipsPerPixelX(), 15.0f);
  EXPECT_FLOAT_EQ(tepo::forms::twipsPerPixelY(), 15.0f);
}

}  // namespace
