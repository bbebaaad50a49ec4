// CIEControl hosting the stand-in engine (tools/stand_in_engine), which
// raises the engine's events for pages served from this process and asks
// the host what the engine asks.

#include <gtest/gtest.h>

#include <exdisp.h>

#include <memory>
#include <string>
#include <vector>

#include "ie_control/ie_control.h"
#include "ie_control/ie_test_util.h"
#include "tests/testing/test_http_server.h"
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
  }

  void ServePage(const std::string& path, const std::string& title, const std::string& body = "") {
    server_.Serve(path, {.body = "<!DOCTYPE html><html><head><title>" + title +
                                 "</title></head><body>" + body + "</body></html>"});
  }

  bool NavigateAndWaitFor(const std::wstring& url, const std::wstring& last_report) {
    control_.Navigate(url.c_str(), false);
    const bool seen = PumpMessagesUntil([&] { return !notify_.Matching(last_report).empty(); });
    PumpMessagesFor(200);  // anything late would show
    return seen;
  }

  ScopedStandInEngine engine_;
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
  const HWND hwnd = control_.Create(frame_.get(), RECT{0, 0, 400, 300}, kControlId, false);
  ASSERT_NE(hwnd, nullptr);

  ASSERT_TRUE(NavigateAndWaitFor(page, L"DocumentComplete 6 " + page + L" [Page title]"));
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

}  // namespace
