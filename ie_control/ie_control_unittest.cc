#include "ie_control/ie_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "ie_control/ie_test_util.h"
#include "tests/scoped_registry_backup.h"
#include "tools/stand_in_engine/testing/scoped_stand_in_engine.h"
#include "ui_base/ax_test_util.h"

// These run against the WebBrowser control the Wine prefix provides. Wine's
// control has no HTML engine: every navigation ends in NavigateError, after
// BeforeNavigate2.

namespace {

constexpr int kControlId = 6;

// Messages WM_FORWARDMSG carried to the host.
std::vector<UINT> g_forwarded;
WNDPROC g_behind_recorder = nullptr;

LRESULT CALLBACK ForwardRecorder(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_FORWARDMSG) {
    g_forwarded.push_back(reinterpret_cast<MSG*>(lparam)->message);
    return 1;
  }
  return ::CallWindowProcW(g_behind_recorder, hwnd, message, wparam, lparam);
}

std::wstring Page(const wchar_t* name) {
  wchar_t module[MAX_PATH];
  ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  return std::wstring(L"res://") + module + L"/" + name;
}

class CIEControlTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ole_.ok());
    frame_ = CreatePlainWindow(nullptr, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
    ASSERT_TRUE(frame_);
    ASSERT_NE(control_.Create(frame_.get(), RECT{0, 0, 400, 300}, kControlId, true), nullptr);
  }

  void TearDown() override {
    control_.Close();
    ::DestroyWindow(control_.hwnd());
  }

  // Runs what is queued; the addresses the engine was asked for, once
  // `expected` navigations have failed.
  std::vector<std::wstring> Started(size_t expected) {
    static constexpr wchar_t kStarted[] = L"BeforeNavigate 6 top ";
    (void)PumpMessagesUntil([&] { return notify_.Matching(L"NavigateError").size() >= expected; });
    PumpMessagesFor(500);  // anything late would show
    std::vector<std::wstring> urls;
    for (const std::wstring& line : notify_.Matching(kStarted))
      urls.push_back(line.substr(std::size(kStarted) - 1));
    return urls;
  }

  // Wine's own control: no stand-in engine registered by a test running
  // alongside meanwhile.
  ScopedRegistryKeyBackup wine_browser_{HKEY_LOCAL_MACHINE, kWebBrowserServerKey};
  ScopedOleInitialize ole_;
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
    // Wine's engine fails the error page too; that failure is not retried.
    const std::vector<std::wstring> expected =
        url == shouted ? std::vector<std::wstring>{url}
                       : std::vector<std::wstring>{url, Page(L"error.htm")};
    EXPECT_EQ(Started(expected.size()), expected);
    EXPECT_EQ(notify_.Matching(L"NavigateError").size(), expected.size());
  }
}

TEST_F(CIEControlTest, KeyboardAndMouseGoToTheEngineButBackspaceKeyDown) {
  const HWND hwnd = control_.hwnd();
  g_forwarded.clear();
  g_behind_recorder = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForwardRecorder)));
  const auto translated = [&](UINT message, WPARAM wparam) {
    MSG msg = {hwnd, message, wparam, 0};
    return control_.PreTranslateMessage(&msg);
  };
  EXPECT_FALSE(translated(WM_KEYDOWN, VK_BACK));
  EXPECT_TRUE(translated(WM_CHAR, L'\b'));
  EXPECT_TRUE(translated(WM_KEYDOWN, 'A'));
  EXPECT_TRUE(translated(WM_UNICHAR, 'A'));
  EXPECT_TRUE(translated(WM_MOUSEMOVE, 0));
  EXPECT_TRUE(translated(0x020D, 0));
  // Outside the keyboard and mouse ranges nothing goes.
  EXPECT_FALSE(translated(0x020E, 0));
  EXPECT_FALSE(translated(0x00FF, 0));
  EXPECT_FALSE(translated(0x010A, 0));
  EXPECT_EQ(g_forwarded,
            (std::vector<UINT>{WM_CHAR, WM_KEYDOWN, WM_UNICHAR, WM_MOUSEMOVE, 0x020D}));
  ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_behind_recorder));
}

}  // namespace
