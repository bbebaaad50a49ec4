#include "ui/skin/skin_catalog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/skin/skin_test_util.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

SkinCatalog ReadCatalog(SkinProblems* problems) {
  SkinCatalog catalog;
  EXPECT_TRUE(ParseSkinStrings(ReadSkinResource("strings.xml"), &catalog, problems));
  EXPECT_TRUE(ParseSkins(ReadSkinResource("skins.xml"), &catalog, problems));
  EXPECT_TRUE(ParseSkinStyles(ReadSkinResource("styles.xml"), &catalog, problems));
  return catalog;
}

uint32_t BigEndian(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i)
    value = value << 8 | static_cast<uint8_t>(bytes.at(at + i));
  return value;
}

TEST(SkinCatalogTest, TheImagesAreStripsOfTheirFrameWidth) {
  SkinProblems problems;
  const SkinCatalog catalog = ReadCatalog(&problems);
  EXPECT_THAT(problems, ElementsAre());
  struct Case {
    const char* name;
    int source;
    int frame_width;
    uint32_t width;
    uint32_t height;
  } cases[] = {
      {"btn_sys_close_x1", 1000, 16, 48, 17}, {"btn_sys_close_x2", 1001, 32, 96, 32},
      {"img_logo_x1", 1002, 0, 16, 16},       {"img_logo_x2", 1003, 0, 32, 32},
      {"rate_n", 1004, 36, 108, 36},          {"rate_p", 1005, 36, 36, 36},
      {"btn_sys_close", 1006, 28, 84, 28},    {"btn_reviews", 1007, 114, 456, 36},
      {"btn_ie_debug", 1008, 16, 48, 16},     {"dlg_shadow", 1009, 0, 106, 106},
      {"btn_love", 1010, 32, 96, 32},
  };
  EXPECT_EQ(catalog.images.size(), std::size(cases));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(catalog.images.contains(c.name));
    EXPECT_EQ(catalog.images.at(c.name).resource_id, c.source);
    EXPECT_EQ(catalog.images.at(c.name).frame_width, c.frame_width);
    const std::string png = ReadSkinResource(std::to_string(c.source) + ".png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(BigEndian(png, 16), c.width);
    EXPECT_EQ(BigEndian(png, 20), c.height);
  }
}

TEST(SkinCatalogTest, ButtonsStylesAndFontNames) {
  SkinProblems problems;
  const SkinCatalog catalog = ReadCatalog(&problems);
  EXPECT_EQ(catalog.strings.at(0), L"Microsoft YaHei");
  EXPECT_EQ(catalog.strings.at(2), L"Tahoma");
  EXPECT_EQ(catalog.buttons.size(), 6u);
  const ButtonSkin& primary = catalog.buttons.at("review_primary_btn");
  EXPECT_EQ(primary.border, (SkinColor{0x5d, 0x36, 0xf4}));
  EXPECT_EQ(primary.hover_down, (SkinColor{0x98, 0x33, 0xff}));
  EXPECT_EQ(primary.push_down, (SkinColor{0x78, 0x20, 0xe5}));

  const StyleClass& rate = catalog.styles.at("review_primary_style");
  EXPECT_EQ(rate.skin, "review_primary_btn");
  EXPECT_EQ(rate.text, (SkinColor{0xff, 0xff, 0xff}));
  EXPECT_EQ(rate.disabled, (SkinColor{0x9c, 0xa3, 0xaf}));
  EXPECT_EQ(rate.font, (FontCode{2, true, false, false}));
  EXPECT_EQ(rate.text_flags, 0x25u);
  EXPECT_EQ(rate.cursor, SkinCursor::kHand);
  EXPECT_TRUE(rate.smooth_text);
  const StyleClass& link = catalog.styles.at("linkmode_underline_w");
  EXPECT_EQ(link.hover, (SkinColor{0xf4, 0xea, 0x2a}));
  EXPECT_FALSE(link.smooth_text);
  EXPECT_EQ(catalog.styles.size(), 25u);
}

TEST(SkinCatalogTest, UnreadableEntriesAreLeftOutWithAReason) {
  SkinCatalog catalog;
  SkinProblems problems;
  ASSERT_TRUE(ParseSkins(R"(<skins>
      <png name="ok" src="1000" subwidth="16"/>
      <png name="no_source"/>
      <png name="bad_source" src="x1000"/>
      <png src="1001"/>
      <png name="bad_width" src="1002" subwidth="0"/>
      <button name="short" border="7D9EBC"/>
      <icon name="unknown"/>
    </skins>)",
                         &catalog, &problems));
  ASSERT_TRUE(ParseSkinStyles(R"(<styles>
      <class name="ok" font="0202"/>
      <class name="bad_font" font="22"/>
      <class name="bad_colour" crtext="red"/>
      <class name="no_skin" skin="missing"/>
      <class name="bad_cursor" cursor="wait"/>
    </styles>)",
                              &catalog, &problems));
  EXPECT_THAT(catalog.images, ElementsAre(testing::Key("ok")));
  EXPECT_TRUE(catalog.buttons.empty());
  EXPECT_THAT(catalog.styles, ElementsAre(testing::Key("ok")));
  ASSERT_EQ(problems.size(), 10u);
  EXPECT_THAT(problems[0], HasSubstr("<png no_source> line 3"));
  EXPECT_THAT(problems[4], HasSubstr("bad colour bg"));
  EXPECT_THAT(problems[5], HasSubstr("<icon unknown> line 8: skipped, unknown element"));
}

TEST(SkinCatalogTest, DocumentsThatAreNotSkinDocuments) {
  SkinCatalog catalog;
  SkinProblems problems;
  EXPECT_FALSE(ParseSkins("<skins><png", &catalog, &problems));
  EXPECT_FALSE(ParseSkins("<styles/>", &catalog, &problems));
  EXPECT_FALSE(ParseSkinStrings("", &catalog, &problems));
  EXPECT_EQ(problems.size(), 3u);
}

}  // namespace
