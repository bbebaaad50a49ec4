#include "main_frame/main_frame_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "main_frame/main_frame.h"
#include "main_frame/main_frame_test_util.h"
#include "tests/testing/test_http_server.h"
#include "tools/stand_in_engine/testing/scoped_journal.h"
#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class ControllerTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    ASSERT_TRUE(server_.Start());
  }

  std::string ServePage(const std::string& path, const std::string& body) {
    server_.Serve(path, {.body = body});
    return WideToUtf8(server_.Url(path));
  }

  static CreateParams Params(int session_id, const std::string& url = "") {
    CreateParams params;
    params.session_id = session_id;
    params.port = "port-7";
    params.url = url;
    params.width = 640;
    params.height = 480;
    return params;
  }

  TestHttpServer server_;
};

struct HookTraits {
  using Handle = HHOOK;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::UnhookWindowsHookEx(h); }
};

// While it lives, no window can be made on this thread.
class ScopedWindowRefusal {
 public:
  ScopedWindowRefusal()
      : hook_(::SetWindowsHookExW(WH_CBT, &Refuse, nullptr, ::GetCurrentThreadId())) {}
  bool ok() const { return hook_.is_valid(); }

 private:
  static LRESULT CALLBACK Refuse(int code, WPARAM wparam, LPARAM lparam) {
    return code == HCBT_CREATEWND ? 1 : ::CallNextHookEx(nullptr, code, wparam, lparam);
  }
  UniqueAny<HookTraits> hook_;
};

TEST_F(ControllerTest, CreateWithoutAWindowAnswersMinusOneAndLeavesNoFrame) {
  {
    ScopedWindowRefusal refusal;
    ASSERT_TRUE(refusal.ok());
    EXPECT_FALSE(manager_.CrxCreate(Params(5, "http://127.0.0.1:9/never")));
  }
  ASSERT_EQ(Sent("client_common_response").size(), 1u);
  EXPECT_EQ(JsonMember(Sent("client_common_response")[0], "ret"), "-1");
  EXPECT_EQ(manager_.GetFrameCount(), 0);
  EXPECT_FALSE(TakeQuitMessage());

  TestController* next = Create(Params(6));
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->GetFrameId(), 2);
  EXPECT_TRUE(::IsWindow(next->frame()->hwnd()));
}

TEST_F(ControllerTest, SecondCreateOfAFrameOnlyAnswersItsId) {
  TestController* controller = Create(Params(1));
  ASSERT_NE(controller, nullptr);
  CMainFrame* frame = controller->frame();
  const HWND window = frame->hwnd();
  EXPECT_TRUE(controller->CrxCreate(Params(2, "http://127.0.0.1:9/never")));
  EXPECT_EQ(controller->frame(), frame);
  EXPECT_EQ(frame->hwnd(), window);
  ASSERT_EQ(Sent("client_common_response").size(), 2u);
  EXPECT_EQ(JsonMember(Sent("client_common_response")[1], "session_id"), "2");
  EXPECT_EQ(JsonMember(Sent("client_common_response")[1], "ret"), "1");
  PumpMessagesFor(50);
  EXPECT_TRUE(Sent("client_before_navigate").empty()) << "no navigation";
}

TEST_F(ControllerTest, AttachOfAClosingFrameAnswersMinusOneAndLeavesTheWindowAlone) {
  const std::wstring title = UniqueTitle(L"closing browser");
  TestBrowserWindow browser(title, {50, 50, 850, 650}, {0, 40, 640, 520});
  TestController* controller = Create(Params(1));
  ASSERT_NE(controller, nullptr);
  const HWND window = controller->frame()->hwnd();

  EXPECT_TRUE(controller->ClientCloseTab());
  EXPECT_TRUE(controller->IsClosing());
  ASSERT_EQ(Sent("client_close_tab").size(), 1u);
  EXPECT_EQ(JsonMember(Sent("client_close_tab")[0], "frame_id"), "1");
  EXPECT_FALSE(::IsWindowEnabled(controller->frame()->view().hwnd())) << "no more input";

  const LONG style = ::GetWindowLongW(window, GWL_STYLE);
  AttachParams attach;
  attach.title = title;
  attach.width = 640;
  attach.height = 480;
  attach.frame_id = 1;
  EXPECT_TRUE(manager_.CrxAttach(attach));
  ASSERT_EQ(Sent("client_attach_state").size(), 1u);
  EXPECT_EQ(JsonMember(Sent("client_attach_state")[0], "state"), "-1");
  EXPECT_NE(::GetAncestor(window, GA_PARENT), browser.hwnd());
  EXPECT_EQ(::GetWindowLongW(window, GWL_STYLE), style);
  EXPECT_TRUE(::IsWindow(window)) << "the frame stays until host_close";
}

TEST_F(ControllerTest, NewFrameCopiesTheOpenersRecordWithoutNavigating) {
  CreateParams opener = Params(1, ServePage("/opener.html", "<title>o</title>"));
  opener.f12 = false;
  opener.banner = false;
  opener.compatible_mode = 8000;
  ASSERT_NE(Create(opener), nullptr);
  ASSERT_TRUE(WaitForSent("client_title_change", 2));
  const size_t sent_before = stream_.Messages().size();

  int new_frame_id = 0;
  CMainFrame* frame = nullptr;
  EXPECT_FALSE(manager_.CreateNewFrame(5, &new_frame_id, &frame));
  ASSERT_TRUE(manager_.CreateNewFrame(1, &new_frame_id, &frame));
  EXPECT_EQ(new_frame_id, 2);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(Controller(2)->frame(), frame);
  EXPECT_EQ(Controller(2)->GetPort(), "port-7");
  EXPECT_FALSE(frame->create_params().f12);
  EXPECT_FALSE(frame->create_params().banner);
  EXPECT_EQ(frame->create_params().compatible_mode, 8000);
  EXPECT_EQ(frame->create_params().url, opener.url);
  ASSERT_TRUE(::IsWindow(frame->hwnd()));
  EXPECT_FALSE(::IsWindowVisible(frame->hwnd()));

  PumpMessagesFor(100);
  EXPECT_EQ(stream_.Messages().size(), sent_before) << "no answer, no navigation";
  EXPECT_EQ(frame->GetLocationURL(), L"");
}

TEST_F(ControllerTest, ControllerWithoutAFrameRefusesFrameRequests) {
  TestController controller(9, &manager_);
  AttachParams attach;
  attach.frame_id = 9;
  EXPECT_FALSE(controller.CrxAttach(attach));
  EXPECT_FALSE(controller.CrxDetach(9));
  EXPECT_FALSE(controller.CrxActivate(9, true));
  EXPECT_FALSE(controller.CrxReSize(9, 10, 10));
  EXPECT_FALSE(controller.CrxBack(9));
  EXPECT_FALSE(controller.CrxPrint(9));
  EXPECT_FALSE(controller.ClientLeaveCurrentTab());
  EXPECT_TRUE(controller.CrxFocus(9));
  EXPECT_FALSE(controller.ClientCloseTab());
  EXPECT_TRUE(controller.IsClosing());
  EXPECT_TRUE(stream_.Messages().empty());
}

TEST_F(ControllerTest, NotificationsCarryTheFrameAndThePort) {
  TestController* controller = Create(Params(1));
  ASSERT_NE(controller, nullptr);
  EXPECT_TRUE(controller->ClientNewTab(nullptr, true));
  EXPECT_TRUE(controller->ClientSetCompatibleMode(9000));
  EXPECT_TRUE(controller->ClientBeforeNavigate(false, nullptr));
  EXPECT_FALSE(controller->ClientLeaveCurrentTab()) << "nothing shown yet";

  const std::string tab = Sent("client_new_tab").at(0);
  EXPECT_EQ(JsonMember(tab, "url"), "about:blank");
  EXPECT_EQ(JsonMember(tab, "port"), "port-7");
  EXPECT_EQ(JsonMember(tab, "force_ie"), "true");
  EXPECT_EQ(JsonMember(tab, "frame_id"), "1");
  const std::string mode = Sent("client_set_compatible_mode").at(0);
  EXPECT_EQ(JsonMember(mode, "mode"), "9000");
  EXPECT_EQ(JsonMember(mode, "port"), "port-7");
  EXPECT_EQ(JsonMember(Sent("client_before_navigate").at(0), "url"), "");
  EXPECT_TRUE(Sent("client_leave_current_tab").empty());
}

TEST_F(ControllerTest, NewWindowCarriesTheCookiesScriptsMaySee) {
  TestController* controller = Create(Params(1));
  ASSERT_NE(controller, nullptr);
  const std::wstring url =
      L"http://tb-new-window-" + std::to_wstring(::GetCurrentProcessId()) + L".test/page";
  ASSERT_TRUE(::InternetSetCookieW(url.c_str(), nullptr, L"visible=1"));
  ASSERT_EQ(::InternetSetCookieExW(url.c_str(), nullptr, L"hidden=2; httponly",
                                   INTERNET_COOKIE_HTTPONLY, 0),
            static_cast<DWORD>(COOKIE_STATE_ACCEPT));

  NewFrameParam param;
  param.url = url;
  param.features = L"width=300";
  param.popup = true;
  param.new_frame_id = 4;
  EXPECT_TRUE(controller->ClientNewWindow(param));
  const std::string text = Sent("client_new_window").at(0);
  EXPECT_EQ(JsonMember(text, "cookie"), "visible=1");
  EXPECT_EQ(JsonMember(text, "features"), "width=300");
  EXPECT_EQ(JsonMember(text, "popup"), "true");
  EXPECT_EQ(JsonMember(text, "new_frame_id"), "4");
  EXPECT_EQ(JsonMember(text, "port"), "port-7");

  param.url = L"http://tb-no-cookies.test/";
  EXPECT_TRUE(controller->ClientNewWindow(param));
  EXPECT_EQ(JsonMember(Sent("client_new_window").at(1), "cookie"), "");
}

TEST_F(ControllerTest, PrintDismissesBrowserMenusThenPreviews) {
  EXPECT_FALSE(Create(Params(1))->CrxPrint(1)) << "no page";
  ScopedJournal journal;
  const std::wstring title = UniqueTitle(L"print browser");
  TestBrowserWindow browser(title, {40, 40, 840, 640}, {0, 40, 640, 520});
  const std::string url = ServePage("/print.html", "<title>print me</title>");
  TestController* controller = Create(Params(2, url));
  ASSERT_NE(controller, nullptr);
  ASSERT_TRUE(WaitForSent("client_title_change", 2));

  EXPECT_TRUE(controller->CrxPrint(2)) << "not attached: no browser to post to";
  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, browser.hwnd(), WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));

  AttachParams attach;
  attach.title = title;
  attach.width = 640;
  attach.height = 480;
  attach.frame_id = 2;
  ASSERT_TRUE(controller->CrxAttach(attach));
  EXPECT_TRUE(controller->CrxPrint(2));
  std::vector<std::pair<UINT, LPARAM>> keys;
  while (::PeekMessageW(&msg, browser.hwnd(), WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_ESCAPE));
    keys.emplace_back(msg.message, msg.lParam);
  }
  EXPECT_THAT(keys, ElementsAre(std::pair<UINT, LPARAM>(WM_KEYDOWN, 0x00010001),
                                std::pair<UINT, LPARAM>(WM_KEYUP, 0x00010001)));
  const auto previews = journal.Records(L"print_preview");
  ASSERT_EQ(previews.size(), 2u);
  EXPECT_EQ(previews[0].Field(L"url"), Utf8ToWide(url));
  EXPECT_TRUE(journal.Records(L"print").empty());
}

}  // namespace
