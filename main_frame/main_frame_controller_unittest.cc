#include "main_frame/main_frame_controller.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "channel/client_notifications.h"
#include "main_frame/main_frame.h"
#include "main_frame/main_frame_test_util.h"
#include "tools/stand_in_engine/testing/scoped_journal.h"
#include "utils/string_util.h"

namespace {

using ControllerTest = FrameTest;

LRESULT CALLBACK RefuseWindows(int code, WPARAM wparam, LPARAM lparam) {
  return code == HCBT_CREATEWND ? 1 : ::CallNextHookEx(nullptr, code, wparam, lparam);
}

struct HookTraits {
  using Handle = HHOOK;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::UnhookWindowsHookEx(h); }
};

TEST_F(ControllerTest, CreateWithoutAWindowLeavesTheAnswerToTheManager) {
  TestController controller(1, &manager_);
  {
    const UniqueAny<HookTraits> refusal(
        ::SetWindowsHookExW(WH_CBT, &RefuseWindows, nullptr, ::GetCurrentThreadId()));
    ASSERT_TRUE(refusal);
    EXPECT_FALSE(controller.CrxCreate(Params("http://127.0.0.1:9/never")));
  }
  EXPECT_TRUE(stream_.Messages().empty());
}

TEST_F(ControllerTest, NewFrameCopiesTheOpenersRecordWithoutNavigating) {
  CreateParams opener = Params(ServePage("opener"));
  opener.banner = opener.f12 = false;
  opener.compatible_mode = 8000;
  Create(opener);
  ASSERT_TRUE(WaitForSent("client_title_change", 2));
  const size_t sent_before = stream_.Messages().size();

  int new_frame_id = 0;
  CMainFrame* frame = nullptr;
  EXPECT_FALSE(manager_.CreateNewFrame(5, &new_frame_id, &frame)) << "no such opener";
  ASSERT_TRUE(manager_.CreateNewFrame(1, &new_frame_id, &frame));
  EXPECT_EQ(new_frame_id, 2);
  ASSERT_EQ(Controller(2)->frame(), frame);
  EXPECT_EQ(Controller(2)->GetPort(), "port-7");
  const CreateParams& copy = frame->create_params();
  EXPECT_EQ(std::tie(copy.url, copy.banner, copy.f12, copy.compatible_mode),
            std::tie(opener.url, opener.banner, opener.f12, opener.compatible_mode));
  EXPECT_FALSE(::IsWindowVisible(frame->hwnd()));
  PumpMessagesFor(100);
  EXPECT_EQ(stream_.Messages().size(), sent_before) << "no answer, no navigation";
  EXPECT_EQ(frame->GetLocationURL(), L"");
}

TEST_F(ControllerTest, NewWindowCarriesTheCookiesScriptsMaySee) {
  TestController* controller = Create();
  const std::wstring url =
      L"http://tb-new-window-" + std::to_wstring(::GetCurrentProcessId()) + L".test/";
  ASSERT_TRUE(::InternetSetCookieW(url.c_str(), nullptr, L"visible=1"));
  ASSERT_EQ(::InternetSetCookieExW(url.c_str(), nullptr, L"hidden=2; httponly",
                                   INTERNET_COOKIE_HTTPONLY, 0),
            static_cast<DWORD>(COOKIE_STATE_ACCEPT));
  stream_.bytes.clear();
  Texts expected;
  for (const auto& [page, cookie] : {std::pair(url, "visible=1"), {L"http://tb-none.test/", ""}}) {
    EXPECT_TRUE(controller->ClientNewWindow(
        {.url = page, .features = L"width=300", .popup = true, .new_frame_id = 4}));
    expected.push_back(
        *BuildNewWindow(WideToUtf8(page), true, cookie, "width=300", 1, 4, "port-7"));
  }
  EXPECT_EQ(stream_.Messages(), expected);
}

TEST_F(ControllerTest, PrintDismissesBrowserMenusThenPreviews) {
  ScopedJournal journal;
  TestBrowserWindow browser(title_, kBrowser, kRender);
  const std::string url = ServePage("print");
  TestController* controller = Create(Params(url));
  ASSERT_TRUE(WaitForSent("client_title_change", 2));
  ASSERT_TRUE(controller->CrxAttach(Attach()));
  EXPECT_TRUE(controller->CrxPrint(1));
  MSG msg;
  using Key = std::tuple<UINT, WPARAM, LPARAM>;
  std::vector<Key> keys;
  while (::PeekMessageW(&msg, browser.top.get(), WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
    keys.emplace_back(msg.message, msg.wParam, msg.lParam);
  EXPECT_EQ(keys, (std::vector<Key>{{WM_KEYDOWN, VK_ESCAPE, 0x00010001},
                                    {WM_KEYUP, VK_ESCAPE, 0x00010001}}));
  const auto previews = journal.Records(L"print_preview");
  ASSERT_EQ(previews.size(), 1u);
  EXPECT_EQ(previews[0].Field(L"url"), Utf8ToWide(url));
  EXPECT_TRUE(journal.Records(L"print").empty());
}

}  // namespace
