#include "ui/skin/skin_layout.h"

#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/skin/skin_test_util.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

SkinCatalog ReadCatalog() {
  SkinCatalog catalog;
  SkinProblems problems;
  EXPECT_TRUE(ParseSkins(ReadSkinResource("skins.xml"), &catalog, &problems));
  EXPECT_TRUE(ParseSkinStyles(ReadSkinResource("styles.xml"), &catalog, &problems));
  return catalog;
}

// Image frames as the skins give them; texts 100 by 20.
SkinSize NaturalSize(const LayoutElement& element) {
  static const std::map<std::string, SkinSize> frames = {
      {"img_logo_x1", {16, 16}},      {"img_logo_x2", {32, 32}},      {"btn_love", {32, 32}},
      {"btn_sys_close_x1", {16, 17}}, {"btn_sys_close_x2", {32, 32}}, {"btn_sys_close", {28, 28}},
      {"rate_n", {36, 36}},
  };
  const auto frame = frames.find(element.skin);
  return frame != frames.end() ? frame->second : SkinSize{100, 20};
}

std::map<int, SkinRect> PlaceById(const Layout& layout, int width, int height) {
  std::map<int, SkinRect> rects;
  for (const PlacedElement& placed :
       PlaceElements(layout.elements, {0, 0, width, height}, NaturalSize)) {
    rects[placed.element->id] = placed.rect;
  }
  return rects;
}

TEST(SkinLayoutTest, Banner) {
  SkinProblems problems;
  const std::optional<Layout> layout =
      ParseLayout(ReadSkinResource("banner_layout.xml"), ReadCatalog(), &problems);
  ASSERT_TRUE(layout);
  EXPECT_THAT(problems, ElementsAre());
  EXPECT_EQ(layout->width, 600);
  EXPECT_TRUE(layout->child && layout->resizable && layout->shown && !layout->no_border);
  EXPECT_FALSE(layout->header);
  EXPECT_EQ(layout->background, (SkinColor{0x4e, 0x6e, 0xf2}));
  ASSERT_EQ(layout->elements.size(), 8u);
  const LayoutElement& mode_link = layout->elements[3];
  EXPECT_EQ(mode_link.kind, ElementKind::kLink);
  EXPECT_EQ(mode_link.text, L"IE 11 \u25be");
  EXPECT_EQ(mode_link.style, "linkmode_underline_w");
  EXPECT_EQ(layout->elements[5].tip, L"rate");
  EXPECT_EQ(layout->elements[6].name, "btn_close_x1");
  EXPECT_FALSE(layout->elements[6].shown);

  // 100 % and 150 %: the window grows, the positions keep their pixels.
  std::map<int, SkinRect> rects = PlaceById(*layout, 600, 30);
  EXPECT_EQ(rects[70001], (SkinRect{562, 7, 578, 24}));
  EXPECT_EQ(rects[70003], (SkinRect{10, 9, 26, 25}));
  EXPECT_EQ(rects[70000], (SkinRect{400, 6, 500, 26}));
  rects = PlaceById(*layout, 900, 45);
  EXPECT_EQ(rects[70002], (SkinRect{854, 6, 886, 38}));
  EXPECT_EQ(rects[70004], (SkinRect{10, 7, 42, 39}));
  EXPECT_EQ(rects[70010], (SkinRect{600, 6, 632, 38}));
}

TEST(SkinLayoutTest, RatingDialogAndItsStarPanel) {
  SkinProblems problems;
  const std::optional<Layout> layout =
      ParseLayout(ReadSkinResource("rating_layout.xml"), ReadCatalog(), &problems);
  ASSERT_TRUE(layout);
  // The star panel's class is not a style of ours: it is drawn plain.
  EXPECT_THAT(problems, ElementsAre(HasSubstr("no class \"frame_panel\"")));
  EXPECT_EQ(layout->title, L"TabBridge");
  EXPECT_TRUE(layout->no_border && layout->header);
  EXPECT_FALSE(layout->app_window || layout->shown);
  const std::map<int, SkinRect> rects = PlaceById(*layout, 430, 596);
  EXPECT_EQ(rects.at(70011), (SkinRect{388, 22, 416, 50}));
  EXPECT_EQ(rects.at(70003), (SkinRect{199, 66, 231, 98}));
  EXPECT_EQ(rects.at(70005), (SkinRect{107, 316, 143, 352}));
  EXPECT_EQ(rects.at(70009), (SkinRect{283, 316, 319, 352}));
  EXPECT_EQ(rects.at(60004), (SkinRect{64, 422, 366, 478}));
  EXPECT_EQ(rects.at(70015), (SkinRect{44, 552, 386, 578}));
  const LayoutElement& rate = layout->elements[6];
  EXPECT_EQ(rate.text, L"Rate Now");
  EXPECT_TRUE(rate.takes_header_clicks);
  EXPECT_EQ(layout->elements[4].children.size(), 5u);
}

TEST(SkinLayoutTest, ElementsThatCannotBeShownAreLeftOut) {
  SkinProblems problems;
  const std::optional<Layout> layout = ParseLayout(R"(<layer width="100" height="20"><body>
      <text id="1" pos="0,0"/>
      <text id="2"/>
      <text id="3" pos="0,x"/>
      <img id="4" pos="0,0"/>
      <imgbtn id="5" pos="0,0" skin="missing"/>
      <img id="6" pos="0,0" skin="rate_n"/>
      <widget id="7" pos="0,0"/>
      <text id="8" pos="0,0" class="unknown"/>
      <text id="x9" pos="0,0"/>
      <dlg pos="0,0,50,20"><text id="10" pos="0,0,-0,-0"/><img pos="0,0"/></dlg>
    </body></layer>)",
                                                   ReadCatalog(), &problems);
  ASSERT_TRUE(layout);
  std::vector<int> ids;
  for (const PlacedElement& placed : PlaceElements(layout->elements, {0, 0, 100, 20}, NaturalSize))
    ids.push_back(placed.element->id);
  EXPECT_THAT(ids, ElementsAre(1, 6, 8, 0, 10));
  EXPECT_EQ(layout->elements[2].style, "");
  ASSERT_EQ(problems.size(), 8u);
  EXPECT_THAT(problems[0], HasSubstr("<text 2> line 3: skipped, bad pos \"\""));
  EXPECT_THAT(problems[3], HasSubstr("no image skin \"missing\""));
}

TEST(SkinLayoutTest, LayersThatCannotBeRead) {
  SkinProblems problems;
  for (const char* xml : {"<layer width=\"10\"/>", "<layer width=\"0\" height=\"1\"/>",
                          "<body width=\"1\" height=\"1\"/>", "<layer"}) {
    EXPECT_FALSE(ParseLayout(xml, {}, &problems)) << xml;
  }
  EXPECT_EQ(problems.size(), 4u);
  const std::optional<Layout> empty = ParseLayout("<layer width='1' height='1'/>", {}, &problems);
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->elements.empty());
  EXPECT_TRUE(
      ParseLayout("<layer width='1' height='1'><body crbg='blue'/></layer>", {}, &problems));
  ASSERT_EQ(problems.size(), 6u);
  EXPECT_THAT(problems[5], HasSubstr("<body> line 1: drawn white, bad crbg"));
}

}  // namespace
