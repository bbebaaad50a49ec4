// CIEControl hosting the stand-in engine (tools/stand_in_engine), which
// raises the engine's events for pages served from this process and asks
// the host what the engine asks.

#include <gtest/gtest.h>

#include <exdisp.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ie_control/ie_control.h"
#include "ie_control/ie_test_util.h"
#include "tests/testing/test_http_server.h"
#include "tools/stand_in_engine/testing/scoped_journal.h"
#include "tools/stand_in_engine/testing/scoped_stand_in_engine.h"
#include "ui_base/ax_test_util.h"
#include "utils/ole_owners.h"

namespace {

constexpr int kControlId = 6;

class CIEControlEngineTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(engine_.registered());
    ASSERT_TRUE(ole_.ok());
    ASSERT_TRUE(server_.Start());
    frame_ = CreatePlainWindow(nullptr, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
    ASSERT_TRUE(frame_);
  }

  void TearDown() override {
    if (control_.hwnd()) {
      control_.Close();
      ::DestroyWindow(control_.hwnd());
    }
    frame_.reset();
  }

  HWND Create(bool visible = true) {
    return control_.Create(frame_.get(), RECT{0, 0, 400, 300}, kControlId, visible);
  }

  void ServePage(const std::string& path, const std::string& title, const std::string& body = "") {
    server_.Serve(path, {.body = "<!DOCTYPE html><html><head><title>" + title +
                                 "</title></head><body>" + body + "</body></html>"});
  }

  // Navigates and waits for the report that ends the navigation.
  bool NavigateAndWaitFor(const std::wstring& url, const std::wstring& last_report) {
    control_.Navigate(url.c_str(), false);
    return WaitFor(last_report);
  }

  bool WaitFor(const std::wstring& report, size_t count = 1) {
    return PumpMessagesUntil([&] { return Count(report) >= count; });
  }

  size_t Count(const std::wstring& report) const {
    return std::count(notify_.lines.begin(), notify_.lines.end(), report);
  }

  ScopedStandInEngine engine_;
  ScopedJournal journal_;
  ScopedOleInitialize ole_;
  TestHttpServer server_;
  RecordingNotify notify_;
  unique_hwnd frame_;
  CIEControl control_{nullptr, &notify_};
};

TEST_F(CIEControlEngineTest, NavigationReportsEveryStartTheTitleAndTheTopDocumentOnly) {
  ServePage("/page.html", "Page title", "<iframe src=\"/frame.html\" name=\"inner\"></iframe>");
  ServePage("/frame.html", "Frame title");
  const std::wstring page = server_.Url("/page.html");
  const std::wstring frame = server_.Url("/frame.html");
  const HWND hwnd = Create(/*visible=*/false);
  ASSERT_NE(hwnd, nullptr);

  ASSERT_TRUE(NavigateAndWaitFor(page, L"DocumentComplete 6 " + page + L" [Page title]"));
  PumpMessagesFor(200);  // anything late would show
  EXPECT_EQ(notify_.lines, (std::vector<std::wstring>{
                               L"BeforeNavigate 6 top " + page,
                               L"NavigateComplete 6 " + page,
                               L"TitleChange Page title",
                               L"BeforeNavigate 6 sub " + frame,
                               L"NavigateComplete 6 " + frame,
                               L"DocumentComplete 6 " + page + L" [Page title]",
                           }));
  // The page shows once it has arrived.
  EXPECT_TRUE(::IsWindowVisible(hwnd));
  std::wstring title;
  EXPECT_TRUE(control_.GetTitle(&title));
  EXPECT_EQ(title, L"Page title");
}

TEST_F(CIEControlEngineTest, EventsAfterTheControlLetGoReachNobody) {
  // The engine may outlive the control and still hold its event sink:
  // Unadvise is impossible once the host let go of the browser at
  // WM_DESTROY, and a control deleted without Close never tried.
  for (const bool close : {true, false}) {
    SCOPED_TRACE(close ? "closed after its window went" : "deleted without Close");
    auto control = std::make_unique<CIEControl>(nullptr, &notify_);
    const HWND hwnd = control->Create(frame_.get(), RECT{0, 0, 100, 100}, kControlId, false);
    ASSERT_NE(hwnd, nullptr);
    com_ptr<IWebBrowser2> browser;
    ASSERT_TRUE(control->GetBrowser(&browser));
    ::DestroyWindow(hwnd);
    if (close)
      control->Close();
    control.reset();
    notify_.lines.clear();
    const unique_bstr url = MakeBstr(server_.Url("/late.html").c_str());
    VARIANT empty;
    ::VariantInit(&empty);
    EXPECT_EQ(browser->Navigate(url.get(), &empty, &empty, &empty, &empty), S_OK);
    EXPECT_TRUE(notify_.lines.empty());
    (void)browser->Stop();
  }
}

TEST_F(CIEControlEngineTest, EngineIsToldTheHostFlags) {
  ServePage("/page.html", "Page");
  ASSERT_NE(Create(), nullptr);
  const std::wstring page = server_.Url("/page.html");
  ASSERT_TRUE(NavigateAndWaitFor(page, L"DocumentComplete 6 " + page + L" [Page]"));
  const std::vector<ScopedJournal::Line> host_info = journal_.Records(L"host_info");
  ASSERT_EQ(host_info.size(), 1u);
  EXPECT_EQ(host_info[0].Field(L"flags"), L"0x40244000");
  EXPECT_EQ(host_info[0].Field(L"double_click"), L"0");
}

TEST_F(CIEControlEngineTest, ScriptCloseReachesTheOwnerAndTheControlStays) {
  ServePage("/closing.html", "Closing", "<!--standin:close-->");
  const HWND hwnd = Create();
  ASSERT_NE(hwnd, nullptr);
  const std::wstring page = server_.Url("/closing.html");
  ASSERT_TRUE(NavigateAndWaitFor(page, L"CloseTab"));
  PumpMessagesFor(200);
  EXPECT_EQ(Count(L"CloseTab"), 1u);

  const std::vector<ScopedJournal::Line> close = journal_.Records(L"close");
  ASSERT_EQ(close.size(), 1u);
  EXPECT_EQ(close[0].Field(L"exec"), L"0x00000001");  // S_FALSE: taken by the host
  EXPECT_EQ(close[0].Field(L"window_closing"), L"not-raised");
  EXPECT_TRUE(::IsWindow(hwnd));
  com_ptr<IWebBrowser2> browser;
  ASSERT_TRUE(control_.GetBrowser(&browser));
  unique_bstr location;
  EXPECT_EQ(browser->get_LocationURL(location.put()), S_OK);
  EXPECT_EQ(std::wstring(location.get() ? location.get() : L""), page);
}

TEST_F(CIEControlEngineTest, ScriptErrorShowsNoDialogAndThePageGoesOn) {
  // The close after the error runs only when scripts keep running.
  ServePage("/error.html", "Error",
            "<!--standin:script-error message=\"boom\"--><!--standin:close-->");
  ASSERT_NE(Create(), nullptr);
  ASSERT_TRUE(NavigateAndWaitFor(server_.Url("/error.html"), L"CloseTab"));
  const std::vector<ScopedJournal::Line> error = journal_.Records(L"script_error");
  ASSERT_EQ(error.size(), 1u);
  EXPECT_EQ(error[0].Field(L"message"), L"boom");
  EXPECT_EQ(error[0].Field(L"exec"), L"0x00000000");
  EXPECT_EQ(error[0].Field(L"continue"), L"1");
}

TEST_F(CIEControlEngineTest, NewWindowIsEvaluatedBeforeItIsRaised) {
  ServePage("/opener.html", "Opener", "<!--standin:open url=\"/popup.html\" user-action=\"1\"-->");
  ASSERT_NE(Create(), nullptr);
  const std::wstring opener = server_.Url("/opener.html");
  const std::wstring popup = server_.Url("/popup.html");
  ASSERT_TRUE(NavigateAndWaitFor(opener, L"NewWindow 6 " + opener + L" " + popup));

  const std::vector<std::wstring> evaluated = notify_.Matching(L"EvaluateNewWindow");
  ASSERT_EQ(evaluated.size(), 1u);
  EXPECT_TRUE(evaluated[0].starts_with(L"EvaluateNewWindow " + popup + L" (null) " + opener +
                                       L" (null) 0 6 "))
      << evaluated[0];
  const auto evaluate_at = std::find(notify_.lines.begin(), notify_.lines.end(), evaluated[0]);
  const auto raised_at = std::find(notify_.lines.begin(), notify_.lines.end(),
                                   L"NewWindow 6 " + opener + L" " + popup);
  EXPECT_LT(evaluate_at, raised_at);
  const std::vector<ScopedJournal::Line> journal = journal_.Records(L"evaluate_new_window");
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0].Field(L"result"), L"0x00000000");
}

TEST_F(CIEControlEngineTest, HistoryAndRefreshGoThroughTheEngine) {
  ServePage("/a.html", "A");
  ServePage("/b.html", "B");
  const std::wstring a = server_.Url("/a.html");
  const std::wstring b = server_.Url("/b.html");
  ASSERT_NE(Create(), nullptr);
  ASSERT_TRUE(NavigateAndWaitFor(a, L"DocumentComplete 6 " + a + L" [A]"));
  ASSERT_TRUE(NavigateAndWaitFor(b, L"DocumentComplete 6 " + b + L" [B]"));

  control_.GoBack();
  ASSERT_TRUE(WaitFor(L"DocumentComplete 6 " + a + L" [A]", 2));
  control_.GoForward();
  ASSERT_TRUE(WaitFor(L"DocumentComplete 6 " + b + L" [B]", 2));
  EXPECT_EQ(Count(L"BeforeNavigate 6 top " + a), 2u);

  // A reload brings the title again, and nothing else.
  const size_t before = notify_.lines.size();
  control_.Refresh();
  ASSERT_TRUE(WaitFor(L"TitleChange B", 3));
  PumpMessagesFor(200);
  EXPECT_EQ(notify_.lines.size(), before + 1);
}

TEST_F(CIEControlEngineTest, FocusGoesToTheDocument) {
  ServePage("/page.html", "Page");
  ASSERT_NE(Create(), nullptr);
  const std::wstring page = server_.Url("/page.html");
  ASSERT_TRUE(NavigateAndWaitFor(page, L"DocumentComplete 6 " + page + L" [Page]"));
  EXPECT_TRUE(control_.FocusWebBrowser());
  // Already there: the second time only finds it so.
  EXPECT_TRUE(control_.FocusWebBrowser());
  const HWND focused = ::GetFocus();
  EXPECT_TRUE(focused && ::IsChild(control_.hwnd(), focused));
}

TEST_F(CIEControlEngineTest, EngineTakesNoAcceleratorsAndBackspaceStaysOurs) {
  ServePage("/page.html", "Page");
  const HWND hwnd = Create();
  ASSERT_NE(hwnd, nullptr);
  const std::wstring page = server_.Url("/page.html");
  ASSERT_TRUE(NavigateAndWaitFor(page, L"DocumentComplete 6 " + page + L" [Page]"));
  MSG key = {hwnd, WM_KEYDOWN, VK_F5, 0};
  EXPECT_FALSE(control_.PreTranslateMessage(&key));
  MSG backspace = {hwnd, WM_KEYDOWN, VK_BACK, 0};
  EXPECT_FALSE(control_.PreTranslateMessage(&backspace));
}

}  // namespace
