#include "ui/skin/skin_notation.h"

#include <gtest/gtest.h>

namespace {

TEST(SkinNotationTest, Colours) {
  EXPECT_EQ(ParseColor("4E6EF2"), (SkinColor{0x4e, 0x6e, 0xf2}));
  EXPECT_EQ(ParseColor("5d36f4"), (SkinColor{0x5d, 0x36, 0xf4}));
  for (const char* bad : {"", "FFFFF", "FFFFFFF", "#FFFFF", "GGGGGG", " FFFFF", "-FFFFF"})
    EXPECT_FALSE(ParseColor(bad)) << bad;
}

TEST(SkinNotationTest, FontCodes) {
  struct Case {
    const char* code;
    FontCode font;
    int height;
    int weight;
  } cases[] = {
      {"0000", {0, false, false, false}, -13, 400}, {"0202", {2, false, true, false}, -15, 400},
      {"0704", {7, true, false, false}, -20, 700},  {"0301", {3, false, false, true}, -16, 400},
      {"0A07", {10, true, true, true}, -23, 700},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const std::optional<FontCode> font = ParseFontCode(c.code);
    ASSERT_TRUE(font);
    EXPECT_EQ(*font, c.font);
    EXPECT_EQ(FontHeight(*font), c.height);
    EXPECT_EQ(FontWeight(*font), c.weight);
  }
  for (const char* bad : {"", "202", "00202", "02g2", "-202"})
    EXPECT_FALSE(ParseFontCode(bad)) << bad;
}

TEST(SkinNotationTest, TextFlagsAndCursors) {
  EXPECT_EQ(ParseTextFlags("24"), 0x24u);
  EXPECT_EQ(ParseTextFlags("411"), 0x411u);
  EXPECT_FALSE(ParseTextFlags(""));
  EXPECT_FALSE(ParseTextFlags("2z"));
  EXPECT_EQ(ParseCursor("hand"), SkinCursor::kHand);
  EXPECT_EQ(ParseCursor("arrow"), SkinCursor::kArrow);
  EXPECT_FALSE(ParseCursor("Hand"));
}

TEST(SkinNotationTest, DefaultFontFaceByRelease) {
  const std::map<int, std::wstring> strings = {
      {0, L"Microsoft YaHei"}, {1, L"ZA Vorezu"}, {2, L"Tahoma"}};
  EXPECT_EQ(ChooseDefaultFontFace(7, strings).face, L"Microsoft YaHei");
  EXPECT_TRUE(ChooseDefaultFontFace(7, strings).cleartype);
  EXPECT_EQ(ChooseDefaultFontFace(6, strings).face, L"Tahoma");
  EXPECT_FALSE(ChooseDefaultFontFace(6, strings).cleartype);
  EXPECT_TRUE(ChooseDefaultFontFace(13, {{0, L"\u5fae\u8f6f\u96c5\u9ed1"}}).cleartype);
  EXPECT_EQ(ChooseDefaultFontFace(13, {}).face, L"");
}

}  // namespace
