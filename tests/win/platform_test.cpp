// The test environment itself: a wrong setup must fail loudly here rather than
// quietly test another code page or font.
#include <gtest/gtest.h>
#include <windows.h>

#include "encodings/ansi.h"
#include "forms/controls.h"
#include "forms/screen.h"

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

TEST(Platform, ScreenIs96DotsPerInch) {
  EXPECT_FLOAT_EQ(tepo::forms::twipsPerPixelX(), 15.0f);
  EXPECT_FLOAT_EQ(tepo::forms::twipsPerPixelY(), 15.0f);
}

}  // namespace
