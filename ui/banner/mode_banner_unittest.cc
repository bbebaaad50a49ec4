#include "ui/banner/mode_banner.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "utils/product_addresses.h"
#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

class RecordingClient : public NativeMessage::ClientDelegate {
 public:
  bool ClientNewTab(const wchar_t* url, bool force_ie) override {
    return Record("new_tab " + WideToUtf8(url) + (force_ie ? " ie" : " browser"));
  }
  bool ClientLeaveCurrentTab() override { return Record("leave"); }
  bool ClientSetCompatibleMode(int mode) override { return Record("mode " + std::to_string(mode)); }
  bool ShowReviewDialog(bool from_banner) override {
    return Record(from_banner ? "review from banner" : "review");
  }
  std::vector<std::string> calls;

 private:
  bool Record(std::string call) {
    calls.push_back(std::move(call));
    return true;
  }
};

class ModeBannerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    skin_ = Skin::Start(8);
    ASSERT_TRUE(skin_);
    parent_.reset(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1200, 60, nullptr, nullptr,
                                    nullptr, nullptr));
    ASSERT_TRUE(parent_);
  }

  std::unique_ptr<CModeBanner> Open(int mode, bool locked, int scale = 100) {
    auto banner = CModeBanner::Make(*skin_, &client_);
    EXPECT_TRUE(banner);
    banner->SetMode(mode, locked);
    EXPECT_TRUE(banner->Create(parent_.get(), {0, 0, 1200, 30}, 111, scale));
    banner->SetMenuRunnerForTesting([this](HMENU menu, HWND) {
      menus_.push_back(MenuText(menu));
      return next_command_;
    });
    return banner;
  }

  static void Click(CModeBanner& banner, int id) {
    const SkinRect r = *banner.ElementRect(id);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::SendMessageW(banner.hwnd(), WM_MOUSEMOVE, 0, at);
    ::SendMessageW(banner.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(banner.hwnd(), WM_LBUTTONUP, 0, at);
  }

  // One line per entry: "command name", with a "*" before a checked one.
  static std::vector<std::wstring> MenuText(HMENU menu) {
    std::vector<std::wstring> lines;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
      wchar_t name[64] = L"";
      ::GetMenuStringW(menu, i, name, 64, MF_BYPOSITION);
      const bool checked = ::GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED;
      lines.push_back((checked ? L"*" : L"") + std::to_wstring(::GetMenuItemID(menu, i)) + L" " +
                      name);
    }
    return lines;
  }

  std::unique_ptr<Skin> skin_;
  unique_hwnd parent_;
  RecordingClient client_;
  std::vector<std::vector<std::wstring>> menus_;
  UINT next_command_ = 0;
};

TEST_F(ModeBannerTest, LargeScaleLinkNamesTheModeEightPixelsAfterTheSentence) {
  const auto banner = Open(10002, false, 125);
  EXPECT_EQ(banner->ElementShown(CModeBanner::kCloseSmallId), false);
  EXPECT_EQ(banner->ElementShown(CModeBanner::kLogoLargeId), true);
  EXPECT_EQ(banner->ElementText(CModeBanner::kModeLinkId), L"IE Mode \u25BE");
  const SkinRect sentence = *banner->ElementRect(CModeBanner::kSentenceId);
  EXPECT_GT(sentence.width(), 200);
  EXPECT_EQ(banner->ElementRect(CModeBanner::kModeLinkId)->left, sentence.right + 8);
}

TEST_F(ModeBannerTest, MenuChoiceIsReportedAndDismissalSendsNothing) {
  const auto banner = Open(11000, false);
  next_command_ = 3;
  Click(*banner, CModeBanner::kModeLinkId);
  ASSERT_EQ(menus_.size(), 1u);
  ASSERT_EQ(menus_[0].size(), 9u);
  EXPECT_EQ(menus_[0][0], L"1 IE 7 Standard Mode");
  EXPECT_EQ(menus_[0][7], L"*8 IE 11 Standard Mode");
  EXPECT_EQ(client_.calls, std::vector<std::string>{"mode 8888"});
  EXPECT_EQ(banner->ElementText(CModeBanner::kModeLinkId), L"IE 8 \u25BE");

  next_command_ = 0;
  Click(*banner, CModeBanner::kModeLinkId);
  ASSERT_EQ(menus_.size(), 2u);
  EXPECT_EQ(menus_[1][2], L"*3 IE 8 Mandatory Standard Mode");
  EXPECT_EQ(client_.calls.size(), 1u);
  EXPECT_EQ(banner->mode(), 8888);
}

TEST_F(ModeBannerTest, LockedModeHidesTheLinkAndItsMenu) {
  const auto banner = Open(11000, true);
  EXPECT_EQ(banner->ElementShown(CModeBanner::kModeLinkId), false);
  next_command_ = 3;
  Click(*banner, CModeBanner::kModeLinkId);
  EXPECT_TRUE(menus_.empty());
  EXPECT_TRUE(client_.calls.empty());
}

TEST_F(ModeBannerTest, ButtonsReachTheClient) {
  const struct {
    int id;
    std::string call;
  } cases[] = {
      {CModeBanner::kFeedbackId, "new_tab " + std::string(kFeedbackPage) + " browser"},
      {CModeBanner::kCloseSmallId, "leave"},
      {CModeBanner::kRateId, "review from banner"},
  };
  const auto banner = Open(11000, false);
  for (const auto& c : cases) {
    client_.calls.clear();
    Click(*banner, c.id);
    EXPECT_EQ(client_.calls, std::vector<std::string>{c.call}) << c.id;
  }
}

}  // namespace
