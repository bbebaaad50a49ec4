#include "main_frame/main_frame_controller.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <exdisp.h>
#include <wininet.h>

#include <string>
#include <tuple>
#include <vector>

#include "channel/client_notifications.h"
#include "main_frame/main_frame.h"
#include "main_frame/main_frame_test_util.h"
#include "tools/stand_in_engine/testing/scoped_journal.h"
#include "ui/skin/skin.h"
#include "ui_base/com_object.h"
#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

using ControllerTest = FrameTest;

LRESULT CALLBACK RefuseWindows(int code, WPARAM wparam, LPARAM lparam) {
  return code == HCBT_CREATEWND ? 1 : ::CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(ControllerTest, CreateWithoutAWindowLeavesTheAnswerToTheManager) {
  CMainFrameController controller(1, &manager_);
  {
    const unique_hhook refusal(
        ::SetWindowsHookExW(WH_CBT, &RefuseWindows, nullptr, ::GetCurrentThreadId()));
    ASSERT_TRUE(refusal);
    EXPECT_FALSE(controller.CrxCreate(Params("http://127.0.0.1:9/never")));
  }
  EXPECT_TRUE(stream_.Messages().empty());
}

// Stands in this process for an engine out of resources: every browser asked
// of it is refused.
class ScopedRefusingEngine {
 public:
  ScopedRefusingEngine() {
    ok_ = ::CoRegisterClassObject(CLSID_WebBrowser, MakeComObject<Factory>()->GetUnknown(),
                                  CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_) == S_OK;
  }
  ~ScopedRefusingEngine() {
    if (ok_)
      ::CoRevokeClassObject(cookie_);
  }
  ScopedRefusingEngine(const ScopedRefusingEngine&) = delete;
  ScopedRefusingEngine& operator=(const ScopedRefusingEngine&) = delete;
  bool ok() const { return ok_; }

 private:
  class Factory final : public ComObject<IClassFactory> {
   public:
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, void** object) override {
      if (object)
        *object = nullptr;
      return E_OUTOFMEMORY;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

   protected:
    void* FindInterface(REFIID iid) override {
      return FindInterfaceIn(iid, {Offer<IClassFactory>(this)});
    }
  };

  DWORD cookie_ = 0;
  bool ok_ = false;
};

// The frame keeps its id and window without a page; it answers nothing more
// and the next frame the engine makes works.
TEST_F(ControllerTest, AFrameTheEngineRefusedIsAnsweredAndTheNextOneWorks) {
  {
    const ScopedRefusingEngine refusing;
    ASSERT_TRUE(refusing.ok());
    Create(Params(ServePage("refused")));
  }
  const auto* refused = static_cast<CMainFrameController*>(manager_.GetFrameController(1));
  ASSERT_TRUE(refused && ::IsWindow(refused->frame()->hwnd()));
  EXPECT_TRUE(manager_.CrxBack(1) && manager_.CrxReload(1));
  EXPECT_TRUE(manager_.CrxNavigate({1, L"http://127.0.0.1:9/", L""}));

  Create(Params(ServePage("next")));
  ASSERT_TRUE(WaitForPage());
  const Texts sent = stream_.Messages();
  // The answers, then the second page's start and its two titles.
  ASSERT_EQ(sent.size(), 5u) << testing::PrintToString(sent);
  EXPECT_EQ(sent[0], *BuildCommonResponse(1, "1"));
  EXPECT_EQ(sent[1], *BuildCommonResponse(1, "2"));
  EXPECT_EQ(sent[4], *BuildTitleChange("next", 2));
}

// The prompt that waits to come up by itself stays; the user's own request
// replaces it with a centred one, which then stays while it is up.
TEST_F(ControllerTest, RatingPromptIsKeptUntilTheUserAsksWhileItWaits) {
  Skin::StartShared(8);
  {
    CMainFrameController controller(1, &manager_);
    ASSERT_TRUE(controller.ShowReviewDialog(false));
    const CRatingView* waiting = controller.rating_view();
    EXPECT_FALSE(waiting->centred());
    EXPECT_TRUE(controller.ShowReviewDialog(false));
    EXPECT_EQ(controller.rating_view(), waiting);

    EXPECT_TRUE(controller.ShowReviewDialog(true));
    const CRatingView* asked = controller.rating_view();
    EXPECT_TRUE(asked->centred());
    EXPECT_TRUE(PumpMessagesUntil([&] { return ::IsWindowVisible(asked->hwnd()); }));
    EXPECT_TRUE(controller.ShowReviewDialog(true));
    EXPECT_EQ(controller.rating_view(), asked);
  }
  Skin::EndShared();
}

// A window the page opens: a hidden frame made from the opener's record,
// announced with the cookies that scripts may see.
TEST_F(ControllerTest, NewWindowGetsAFrameFromTheOpenersRecordAndItsScriptCookies) {
  CreateParams opener = Params(ServePage("opener"));
  opener.banner = opener.f12 = false;
  CMainFrameController* controller = Create(opener);
  ASSERT_TRUE(WaitForPage());
  const std::wstring url =
      L"http://tb-new-window-" + std::to_wstring(::GetCurrentProcessId()) + L".test/";
  ASSERT_TRUE(::InternetSetCookieW(url.c_str(), nullptr, L"visible=1"));
  ASSERT_EQ(::InternetSetCookieExW(url.c_str(), nullptr, L"hidden=2; httponly",
                                   INTERNET_COOKIE_HTTPONLY, 0),
            static_cast<DWORD>(COOKIE_STATE_ACCEPT));
  stream_.bytes.clear();

  int id = 0;
  CMainFrame* frame = nullptr;
  EXPECT_FALSE(manager_.CreateNewFrame(5, &id, &frame)) << "no such opener";
  ASSERT_TRUE(manager_.CreateNewFrame(1, &id, &frame));
  const auto* second = static_cast<CMainFrameController*>(manager_.GetFrameController(2));
  ASSERT_EQ(second->frame(), frame);
  EXPECT_EQ(second->GetPort(), "port-7");
  const CreateParams& copy = frame->create_params();
  EXPECT_EQ(std::tie(copy.url, copy.banner, copy.f12),
            std::tie(opener.url, opener.banner, opener.f12));
  EXPECT_FALSE(::IsWindowVisible(frame->hwnd()));
  EXPECT_TRUE(controller->ClientNewWindow(
      {.url = url, .features = L"width=300", .popup = true, .new_frame_id = id}));
  PumpMessagesFor(100);
  EXPECT_EQ(stream_.Messages(),
            Texts{*BuildNewWindow(WideToUtf8(url), true, "visible=1", "width=300", 1, 2, "port-7")})
      << "the new frame neither answers nor navigates";
  EXPECT_EQ(frame->GetLocationURL(), L"");

  {
    const unique_hhook refusal(
        ::SetWindowsHookExW(WH_CBT, &RefuseWindows, nullptr, ::GetCurrentThreadId()));
    EXPECT_FALSE(manager_.CreateNewFrame(1, &id, &frame)) << "a frame without a window";
  }
  EXPECT_EQ(manager_.GetFrameController(3), nullptr);
}

using AttachedControllerTest = AttachedFrameTest;

TEST_F(AttachedControllerTest, PrintDismissesBrowserMenusThenPreviews) {
  ScopedJournal journal;
  EXPECT_TRUE(controller_->CrxPrint(1));
  MSG msg;
  using Key = std::tuple<UINT, WPARAM, LPARAM>;
  std::vector<Key> keys;
  while (::PeekMessageW(&msg, browser_.top.get(), WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
    keys.emplace_back(msg.message, msg.wParam, msg.lParam);
  EXPECT_EQ(keys, (std::vector<Key>{{WM_KEYDOWN, VK_ESCAPE, 0x00010001},
                                    {WM_KEYUP, VK_ESCAPE, 0x00010001}}));
  const auto previews = journal.Records(L"print_preview");
  ASSERT_EQ(previews.size(), 1u);
  EXPECT_EQ(previews[0].Field(L"url"), server_.Url("/attached"));
  EXPECT_TRUE(journal.Records(L"print").empty());
}

}  // namespace
