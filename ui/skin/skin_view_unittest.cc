#include "ui/skin/skin_view.h"

#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/skin/gdi_owners.h"

namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

constexpr int kBannerLayout = 103;
constexpr int kRatingLayout = 104;

class TestView : public SkinView {
 public:
  TestView(const Skin& skin, const Layout& layout) : SkinView(skin, layout) {}
  ~TestView() override {
    if (hwnd())
      ::DestroyWindow(hwnd());
  }

  bool Create(int width, int height) {
    static const WindowClassInfo kClass = {L"TabBridge_SkinTestWND", 0, nullptr, nullptr};
    return RegisterWindowClass(kClass) &&
           CreateSkinWindow(kClass, nullptr, {0, 0, width, height}, WS_POPUP, 0, 0);
  }

  // Sends a mouse message at a client point.
  void Mouse(UINT message, int x, int y) { ::SendMessageW(hwnd(), message, 0, MAKELPARAM(x, y)); }

  std::vector<std::pair<UINT, UINT_PTR>> notes;

  TB_BEGIN_MSG_MAP()
  TB_MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
  TB_CHAIN_MSG_MAP(SkinView)
  TB_END_MSG_MAP()

 private:
  LRESULT OnNotify(UINT, WPARAM, LPARAM lparam, bool&) {
    const auto* header = reinterpret_cast<const NMHDR*>(lparam);
    notes.emplace_back(header->code, header->idFrom);
    return 0;
  }
};

// The view's drawing in 32-bit pixels.
class Canvas {
 public:
  Canvas(SkinView& view, int width, int height) : width_(width) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    pixels_ = static_cast<const uint32_t*>(bits);
    dc_.reset(::CreateCompatibleDC(nullptr));
    const ScopedSelectObject select(dc_.get(), bitmap_.get());
    view.PaintTo(dc_.get());
  }
  // RRGGBB.
  uint32_t At(int x, int y) const { return pixels_[y * width_ + x] & 0xFFFFFF; }
  int CountOf(uint32_t colour, const SkinRect& r) const {
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x)
        count += At(x, y) == colour;
    }
    return count;
  }

 private:
  int width_;
  unique_hbitmap bitmap_;
  unique_memory_dc dc_;
  const uint32_t* pixels_ = nullptr;
};

class SkinViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    skin_ = Skin::Start(8);
    ASSERT_TRUE(skin_);
  }
  std::unique_ptr<TestView> Open(int layout_id, int width, int height) {
    const std::optional<Layout> layout = skin_->LoadLayout(layout_id);
    EXPECT_TRUE(layout);
    auto view = std::make_unique<TestView>(*skin_, *layout);
    EXPECT_TRUE(view->Create(width, height));
    return view;
  }

  std::unique_ptr<Skin> skin_;
};

TEST_F(SkinViewTest, BannerLaysOutAndPaintsItsStates) {
  const auto view = Open(kBannerLayout, 600, 30);
  ASSERT_TRUE(view->ShowElement(70001, true));
  ASSERT_TRUE(view->SetElementText(70020, L"This page is running in Internet Explorer mode."));
  EXPECT_EQ(view->ElementRect(70001), (SkinRect{562, 7, 578, 24}));
  const SkinRect text = *view->ElementRect(70020);
  EXPECT_EQ(text.left, 50);
  EXPECT_GT(text.width(), 150);
  // Hover over the close button draws its next frame.
  const Canvas normal(*view, 600, 30);
  view->Mouse(WM_MOUSEMOVE, 570, 15);
  const Canvas hover(*view, 600, 30);
  view->Mouse(WM_LBUTTONDOWN, 570, 15);
  const Canvas pressed(*view, 600, 30);
  EXPECT_EQ(normal.At(2, 2), 0x4E6EF2u);
  EXPECT_NE(normal.At(564, 15), hover.At(564, 15));
  EXPECT_NE(hover.At(564, 15), pressed.At(564, 15));
  EXPECT_NE(normal.At(564, 15), pressed.At(564, 15));
  EXPECT_GT(normal.CountOf(0xFFFFFF, text), 20);
  // Hidden elements are not drawn: the x2 button's area keeps the background.
  EXPECT_EQ(normal.At(560, 15), 0x4E6EF2u);
  EXPECT_FALSE(view->SetElementText(12345, L"no such element"));
}

TEST_F(SkinViewTest, ClicksHoversAndLeaves) {
  const auto view = Open(kBannerLayout, 600, 30);
  const SkinRect feedback = *view->ElementRect(70000);
  const int x = feedback.left + 2, y = feedback.top + 5;
  view->Mouse(WM_MOUSEMOVE, x, y);
  view->Mouse(WM_MOUSEMOVE, x + 1, y);
  view->Mouse(WM_LBUTTONDOWN, x, y);
  view->Mouse(WM_LBUTTONUP, x, y);
  // A press that ends elsewhere is no click.
  view->Mouse(WM_LBUTTONDOWN, x, y);
  view->Mouse(WM_LBUTTONUP, 5, 5);
  view->Mouse(WM_MOUSEMOVE, 5, 5);
  // Hidden (the x2 close button) and disabled elements stay silent.
  view->Mouse(WM_MOUSEMOVE, 560, 15);
  ASSERT_TRUE(view->EnableElement(70000, false));
  view->Mouse(WM_LBUTTONDOWN, x, y);
  view->Mouse(WM_LBUTTONUP, x, y);
  EXPECT_THAT(view->notes, ElementsAre(Pair(kSkinNotifyHover, 70000), Pair(kSkinNotifyClick, 70000),
                                       Pair(kSkinNotifyLeave, 70000)));
}

TEST_F(SkinViewTest, RatingDialogButtonsAndStars) {
  const auto view = Open(kRatingLayout, 430, 596);
  const SkinRect rate = *view->ElementRect(60004);
  const int x = rate.left + 10, y = (rate.top + rate.bottom) / 2;
  const Canvas disabled_look(*view, 430, 596);
  EXPECT_EQ(disabled_look.At(x, y), 0xE5E7EBu);
  ASSERT_TRUE(view->SetElementStyle(60004, "review_primary_style"));
  const Canvas enabled_look(*view, 430, 596);
  EXPECT_NE(enabled_look.At(x, y), 0xE5E7EBu);
  EXPECT_EQ(view->ElementRect(70009), (SkinRect{283, 316, 319, 352}));
  ASSERT_TRUE(view->SetElementSkin(70009, "rate_p"));
  EXPECT_FALSE(view->SetElementSkin(70009, "no_such_skin"));
  EXPECT_EQ(Canvas(*view, 430, 596).At(301, 336), 0xF5B301u);
  EXPECT_EQ(enabled_look.At(2, 2), 0xFFFFFFu);
  ASSERT_TRUE(view->MoveElement(60005, "0,0,10,10"));
  EXPECT_FALSE(view->MoveElement(60005, "0,|"));
  EXPECT_EQ(view->ElementRect(60005), (SkinRect{0, 0, 10, 10}));
}

TEST_F(SkinViewTest, AMissingLayoutIsNoLayout) {
  EXPECT_FALSE(skin_->LoadLayout(105));
  EXPECT_EQ(skin_->Image(1011), nullptr);
  EXPECT_EQ(skin_->FrameSize("rate_n").width, 36);
}

}  // namespace
