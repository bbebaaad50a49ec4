#include "ui/rating/rating_view.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "utils/product_addresses.h"
#include "utils/string_util.h"

namespace {

class RecordingClient : public NativeMessage::ClientDelegate {
 public:
  bool ClientNewTab(const wchar_t* url, bool force_ie) override {
    tabs.push_back(WideToUtf8(url) + (force_ie ? " ie" : " browser"));
    return true;
  }
  std::vector<std::string> tabs;
};

class RatingViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    skin_ = Skin::Start(8);
    ASSERT_TRUE(skin_);
    Open();
  }

  void Open() {
    view_ = CRatingView::Make(*skin_, &client_, /*centred=*/true, nullptr);
    ASSERT_TRUE(view_);
    ASSERT_TRUE(view_->Create());
  }

  LPARAM Centre(int id) const {
    const SkinRect r = *view_->ElementRect(id);
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  void Hover(int id) { ::SendMessageW(view_->hwnd(), WM_MOUSEMOVE, 0, Centre(id)); }
  void Leave() { ::SendMessageW(view_->hwnd(), WM_MOUSELEAVE, 0, 0); }
  void Click(int id) {
    Hover(id);
    ::SendMessageW(view_->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Centre(id));
    ::SendMessageW(view_->hwnd(), WM_LBUTTONUP, 0, Centre(id));
  }
  static int Star(int n) { return CRatingView::kFirstStarId + n - 1; }

  // "+" for a filled star, "-" for an empty one, then the status line.
  std::wstring Shown() const {
    std::wstring stars;
    for (int n = 1; n <= 5; ++n)
      stars += view_->ElementSkin(Star(n)) == "rate_p" ? L'+' : L'-';
    return stars + L" " + view_->ElementText(CRatingView::kStatusId).value_or(L"?");
  }

  std::unique_ptr<Skin> skin_;
  RecordingClient client_;
  std::unique_ptr<CRatingView> view_;
};

TEST_F(RatingViewTest, HoverPreviewsARatingAndLeavingRestoresTheChosenOne) {
  EXPECT_EQ(Shown(), L"----- ");
  Click(Star(2));
  EXPECT_EQ(Shown(), L"++--- We can do better");
  Hover(Star(5));
  EXPECT_EQ(Shown(), L"+++++ Thanks for your support");
  Leave();
  EXPECT_EQ(Shown(), L"++--- We can do better");
}

TEST_F(RatingViewTest, RateNowWaitsForAStarThenOpensThePageOfTheRating) {
  EXPECT_EQ(view_->ElementEnabled(CRatingView::kRateNowId), false);
  Click(CRatingView::kRateNowId);
  EXPECT_TRUE(client_.tabs.empty());
  EXPECT_TRUE(view_->hwnd());

  Click(Star(5));
  EXPECT_EQ(view_->ElementEnabled(CRatingView::kRateNowId), true);
  Click(Star(2));
  Click(CRatingView::kRateNowId);
  EXPECT_EQ(client_.tabs, std::vector<std::string>{std::string(kFeedbackPage) + " browser"});
  EXPECT_FALSE(view_->hwnd()) << "closed once rated";

  client_.tabs.clear();
  Open();
  Click(Star(5));
  Click(CRatingView::kRateNowId);
  EXPECT_EQ(client_.tabs, std::vector<std::string>{std::string(kReviewPage) + " browser"});
}

}  // namespace
