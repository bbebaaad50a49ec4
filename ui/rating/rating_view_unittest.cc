#include "ui/rating/rating_view.h"

#include <string>

#include <gtest/gtest.h>

#include "utils/product_addresses.h"
#include "utils/string_util.h"

namespace {

class RatingViewTest : public ::testing::Test, public NativeMessage::ClientDelegate {
 protected:
  void SetUp() override {
    skin_ = Skin::Start(8);
    view_ = skin_ ? CRatingView::Make(*skin_, this, /*centred=*/true, nullptr) : nullptr;
    ASSERT_TRUE(view_ && view_->Create());
  }
  bool ClientNewTab(const wchar_t* url, bool force_ie) override {
    opened_ += WideToUtf8(url) + (force_ie ? " ie;" : " browser;");
    return true;
  }

  // Stars count from 1; a star's or button's middle gets the messages.
  void Send(int id, std::initializer_list<UINT> messages) {
    const SkinRect r = *view_->ElementRect(id < 10 ? CRatingView::kFirstStarId + id - 1 : id);
    for (UINT message : messages)
      ::SendMessageW(view_->hwnd(), message, 0, MAKELPARAM(r.left + 18, r.top + 18));
  }
  void Click(int id) { Send(id, {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}); }

  // "+" for a filled star, "-" for an empty one, then the status line.
  std::wstring Shown() const {
    std::wstring stars;
    for (int id = CRatingView::kFirstStarId; id < CRatingView::kFirstStarId + 5; ++id)
      stars += view_->ElementSkin(id) == "rate_p" ? L'+' : L'-';
    return stars + L" " + view_->ElementText(CRatingView::kStatusId).value_or(L"?");
  }

  std::unique_ptr<Skin> skin_;
  std::unique_ptr<CRatingView> view_;
  std::string opened_;
};

TEST_F(RatingViewTest, HoverPreviewsARatingAndLeavingRestoresTheChosenOne) {
  EXPECT_EQ(Shown(), L"----- ");
  Click(2);
  EXPECT_EQ(Shown(), L"++--- We can do better");
  Send(5, {WM_MOUSEMOVE});
  EXPECT_EQ(Shown(), L"+++++ Thanks for your support");
  Send(5, {WM_MOUSELEAVE});
  EXPECT_EQ(Shown(), L"++--- We can do better");
}

TEST_F(RatingViewTest, RateNowWaitsForAStarThenOpensThePageOfTheRating) {
  for (const auto& [stars, page] :
       {std::pair{2, kFeedbackPage}, std::pair{4, kFeedbackPage}, std::pair{5, kReviewPage}}) {
    view_ = CRatingView::Make(*skin_, this, /*centred=*/true, nullptr);
    ASSERT_TRUE(view_->Create());
    EXPECT_EQ(view_->ElementEnabled(CRatingView::kRateNowId), false);
    Click(stars);
    EXPECT_EQ(view_->ElementEnabled(CRatingView::kRateNowId), true);
    opened_.clear();
    Click(CRatingView::kRateNowId);
    EXPECT_EQ(opened_, std::string(page) + " browser;") << stars;
    EXPECT_FALSE(view_->hwnd()) << "closed once rated";
  }
}

}  // namespace
