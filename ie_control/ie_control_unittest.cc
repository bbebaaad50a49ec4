#include "ie_control/ie_control.h"

#include <gtest/gtest.h>

#include <exdisp.h>

#include <algorithm>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "tests/child_process.h"
#include "tests/testing/test_http_server.h"
#include "tools/stand_in_engine/testing/scoped_stand_in_engine.h"
#include "ui_base/ax_test_util.h"
#include "utils/ole_owners.h"

// CIEControl hosting the stand-in engine (tools/stand_in_engine), which
// raises the engine's events for pages served from this process and fails
// every other address, after BeforeNavigate2.

namespace {

constexpr int kControlId = 6;

// Every report as one line, e.g. L"BeforeNavigate 6 top http://...".
class RecordingNotify : public IIEControlNotify {
 public:
  void NotifyNavigateComplete(int id, const wchar_t* url) override {
    Add(L"NavigateComplete " + std::to_wstring(id), url);
  }
  void NotifyNavigateError(int id, const wchar_t* url) override {
    Add(L"NavigateError " + std::to_wstring(id), url);
  }
  void NotifyDocumentComplete(int id, const wchar_t* url, const wchar_t* title) override {
    Add(L"DocumentComplete " + std::to_wstring(id), url, title);
  }
  void NotifyBeforeNavigate(int id, bool top_frame, const wchar_t* url) override {
    Add(L"BeforeNavigate " + std::to_wstring(id) + (top_frame ? L" top" : L" sub"), url);
  }
  void NotifyTitleChange(const wchar_t* title) override { Add(L"TitleChange", title); }

  size_t Count(const std::wstring& prefix) const {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::wstring& line) { return line.starts_with(prefix); });
  }

  std::vector<std::wstring> lines;

 private:
  void Add(const std::wstring& report, const wchar_t* text, const wchar_t* title = nullptr) {
    lines.push_back(report + L" " + (text ? text : L"(null)") +
                    (title ? L" [" + std::wstring(title) + L"]" : L""));
  }
};

// The host as the engine would be: it takes every message forwarded to it.
WNDPROC g_host_proc = nullptr;

LRESULT CALLBACK TakeForwarded(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return message == WM_FORWARDMSG ? 1
                                  : ::CallWindowProcW(g_host_proc, hwnd, message, wparam, lparam);
}

std::wstring Page(const wchar_t* name) {
  return L"res://" + CurrentTestProgram() + L"/" + name;
}

class CIEControlTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(engine_.registered());
    ASSERT_TRUE(ole_.ok());
    ASSERT_TRUE(server_.Start());
    frame_ = CreatePlainWindow(nullptr, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
    ASSERT_TRUE(frame_);
    ASSERT_NE(control_.Create(frame_.get(), RECT{0, 0, 400, 300}, kControlId, false), nullptr);
  }

  void TearDown() override {
    control_.Close();
    ::DestroyWindow(control_.hwnd());
  }

  // Runs what is queued; the addresses the engine was asked for, once
  // `expected` navigations have failed.
  std::vector<std::wstring> Started(size_t expected) {
    static constexpr wchar_t kStarted[] = L"BeforeNavigate 6 top ";
    (void)PumpMessagesUntil([&] { return notify_.Count(L"NavigateError") >= expected; });
    PumpMessagesFor(500);  // anything late would show
    std::vector<std::wstring> urls;
    for (const std::wstring& line : notify_.lines) {
      if (line.starts_with(kStarted))
        urls.push_back(line.substr(std::size(kStarted) - 1));
    }
    return urls;
  }

  ScopedStandInEngine engine_;
  ScopedOleInitialize ole_;
  TestHttpServer server_;
  RecordingNotify notify_;
  unique_hwnd frame_;
  CIEControl control_{nullptr, &notify_, L"start.htm", L"error.htm"};
};

TEST_F(CIEControlTest, NavigateQueuesTheStartPageAndEachNonEmptyUrl) {
  control_.Navigate(L"", false);
  control_.Navigate(nullptr, false);
  MSG queued;
  EXPECT_FALSE(::PeekMessageW(&queued, control_.hwnd(), WM_IECONTROL_NAVIGATE,
                              WM_IECONTROL_NAVIGATE, PM_NOREMOVE));
  std::wstring url = L"http://127.0.0.1:9/first";
  control_.Navigate(url.c_str(), true);
  url = L"changed after the call";
  std::vector<std::wstring> started = Started(2);
  started.resize(std::min<size_t>(started.size(), 2));  // the error page follows
  EXPECT_EQ(started, (std::vector<std::wstring>{Page(L"start.htm"), L"http://127.0.0.1:9/first"}));
}

TEST_F(CIEControlTest, FailedNavigationGoesToTheErrorPageOnceInAnyLetterCase) {
  std::wstring shouted = Page(L"error.htm");
  std::transform(shouted.begin(), shouted.end(), shouted.begin(), ::towupper);
  for (const std::wstring& url : {std::wstring(L"http://127.0.0.1:9/"), shouted}) {
    SCOPED_TRACE(url);
    notify_.lines.clear();
    control_.Navigate(url.c_str(), false);
    // The error page fails too; that failure is not retried.
    const std::vector<std::wstring> expected =
        url == shouted ? std::vector<std::wstring>{url}
                       : std::vector<std::wstring>{url, Page(L"error.htm")};
    EXPECT_EQ(Started(expected.size()), expected);
    EXPECT_EQ(notify_.Count(L"NavigateError"), expected.size());
  }
}

TEST_F(CIEControlTest, KeyboardAndMouseGoToTheEngineButBackspaceKeyDown) {
  const HWND hwnd = control_.hwnd();
  g_host_proc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TakeForwarded)));
  // The keyboard and mouse ranges, and the messages just outside them.
  const struct {
    UINT message;
    WPARAM wparam;
    bool forwarded;
  } cases[] = {{WM_KEYDOWN, VK_BACK, false}, {WM_CHAR, L'\b', true},  {WM_KEYDOWN, 'A', true},
               {WM_UNICHAR, 'A', true},      {WM_MOUSEMOVE, 0, true}, {0x020D, 0, true},
               {0x020E, 0, false},           {0x00FF, 0, false},      {0x010A, 0, false}};
  for (const auto& c : cases) {
    MSG msg = {hwnd, c.message, c.wparam, 0};
    EXPECT_EQ(control_.PreTranslateMessage(&msg), c.forwarded) << c.message;
  }
  ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_host_proc));
}

TEST_F(CIEControlTest, NavigationReportsEveryStartTheTitleAndTheTopDocumentOnly) {
  const auto serve = [&](const char* path, const char* title, const char* body) {
    server_.Serve(path, {.body = std::string("<!DOCTYPE html><html><head><title>") + title +
                                 "</title></head><body>" + body + "</body></html>"});
  };
  serve("/page.html", "Page title", "<iframe src=\"/frame.html\" name=\"inner\"></iframe>");
  serve("/frame.html", "Frame title", "");
  const std::wstring page = server_.Url("/page.html");
  const std::wstring frame = server_.Url("/frame.html");
  control_.Navigate(page.c_str(), false);
  ASSERT_TRUE(PumpMessagesUntil([&] { return notify_.Count(L"DocumentComplete") > 0; }));
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
  EXPECT_TRUE(::IsWindowVisible(control_.hwnd()));
}

TEST_F(CIEControlTest, EventsAfterTheControlLetGoReachNobody) {
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
