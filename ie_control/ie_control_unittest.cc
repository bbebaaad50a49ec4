#include "ie_control/ie_control.h"

#include <gtest/gtest.h>

#include <exdispid.h>

#include <algorithm>
#include <cwchar>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "ie_control/ie_test_util.h"
#include "tests/scoped_registry_backup.h"
#include "tests/testing/test_http_server.h"
#include "tools/stand_in_engine/testing/scoped_stand_in_engine.h"
#include "ui_base/ax_test_util.h"

// These run against the WebBrowser control the Wine prefix provides. Wine's
// control has no HTML engine: every navigation ends in NavigateError, after
// BeforeNavigate2.

namespace {

constexpr int kControlId = 6;
constexpr UINT kFault = WM_APP + 20;

class TestControl : public CIEControl {
 public:
  explicit TestControl(IIEControlNotify* notify,
                       const wchar_t* start_page = nullptr,
                       const wchar_t* error_page = nullptr)
      : CIEControl(nullptr, notify, start_page, error_page) {}

  int destroys = 0;

  TB_BEGIN_MSG_MAP()
  TB_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  TB_MESSAGE_HANDLER(kFault, OnFault)
  TB_CHAIN_MSG_MAP(CIEControl)
  TB_END_MSG_MAP()

 private:
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
    ++destroys;
    handled = false;
    return 0;
  }
  LRESULT OnFault(UINT, WPARAM, LPARAM, bool&) {
    volatile UINT_PTR address = 0x10;
    *reinterpret_cast<volatile int*>(address) = 1;
    return 5;
  }
};

// Names every DWebBrowserEvents2 event that arrives, whatever its shape.
class EventNames : public ComObject<IDispatch> {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP
  Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
    ids.push_back(id);
    counts.push_back(params ? params->cArgs : 0);
    return S_OK;
  }
  std::vector<DISPID> ids;
  std::vector<UINT> counts;

 protected:
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(iid, {Offer<IDispatch>(this)});
  }
};

// Messages WM_FORWARDMSG carried to the host, in front of the whole chain.
std::vector<UINT> g_forwarded;
WNDPROC g_behind_recorder = nullptr;

LRESULT CALLBACK ForwardRecorder(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_FORWARDMSG) {
    g_forwarded.push_back(reinterpret_cast<MSG*>(lparam)->message);
    return 1;
  }
  return ::CallWindowProcW(g_behind_recorder, hwnd, message, wparam, lparam);
}

class CIEControlTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ole_.ok());
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

  // Runs the navigations queued for `control`, in order; the addresses the
  // engine was asked for. It announces the first at once and, while that one
  // is under way, the next ones from its own messages: `expected` tells how
  // many to wait for.
  std::vector<std::wstring> QueuedNavigations(CIEControl& control, size_t expected) {
    static constexpr wchar_t kStarted[] = L"BeforeNavigate 6 top ";
    notify_.lines.clear();
    MSG msg;
    while (::PeekMessageW(&msg, control.hwnd(), WM_IECONTROL_NAVIGATE, WM_IECONTROL_NAVIGATE,
                          PM_REMOVE)) {
      ::DispatchMessageW(&msg);
    }
    (void)PumpMessagesUntil([&] { return notify_.Matching(kStarted).size() >= expected; });
    std::vector<std::wstring> urls;
    for (const std::wstring& line : notify_.Matching(kStarted))
      urls.push_back(line.substr(std::wcslen(kStarted)));
    return urls;
  }

  // Wine's own control: no stand-in engine registered by a test running
  // alongside meanwhile.
  ScopedRegistryKeyBackup wine_browser_{HKEY_LOCAL_MACHINE, kWebBrowserServerKey};
  ScopedOleInitialize ole_;
  RecordingNotify notify_;
  unique_hwnd frame_;
  TestControl control_{&notify_};
};

TEST_F(CIEControlTest, CreateBuildsTheBrowserInAGuardedChildWindow) {
  const HWND hwnd = Create();
  ASSERT_NE(hwnd, nullptr);
  wchar_t class_name[64] = L"";
  ::GetClassNameW(hwnd, class_name, 64);
  EXPECT_STREQ(class_name, L"TabBridge_IEWND");
  EXPECT_EQ(::GetClassLongPtrW(hwnd, GCL_STYLE), CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS);
  EXPECT_EQ(::GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND), COLOR_WINDOW + 1);
  EXPECT_EQ(reinterpret_cast<HCURSOR>(::GetClassLongPtrW(hwnd, GCLP_HCURSOR)),
            ::LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE)), 0x52000000u);
  EXPECT_EQ(::GetWindowLongW(hwnd, GWL_EXSTYLE), 0);
  EXPECT_EQ(::GetParent(hwnd), frame_.get());
  EXPECT_EQ(::GetDlgCtrlID(hwnd), kControlId);

  EXPECT_EQ(control_.GetHostWindow(), hwnd);
  com_ptr<IWebBrowser2> browser;
  EXPECT_TRUE(control_.GetBrowser(&browser));
  EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&GuardedWndProc));
  EXPECT_NE(::GetPropW(hwnd, kWndProcHookProperty), nullptr);
  EXPECT_EQ(control_.hooked_window(), hwnd);
}

TEST_F(CIEControlTest, HiddenControlHasNoVisibleStyle) {
  const HWND hwnd = Create(/*visible=*/false);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE)), 0x42000000u);
}

TEST_F(CIEControlTest, FailedWindowLeavesNothingBehind) {
  EXPECT_EQ(
      control_.Create(reinterpret_cast<HWND>(0x7FFFFF0), RECT{0, 0, 10, 10}, kControlId, true),
      nullptr);
  EXPECT_EQ(control_.GetHostWindow(), nullptr);
  com_ptr<IWebBrowser2> browser;
  EXPECT_FALSE(control_.GetBrowser(&browser));
  EXPECT_FALSE(control_.PreTranslateMessage(nullptr));
  std::wstring title;
  EXPECT_FALSE(control_.GetTitle(&title));
  EXPECT_FALSE(control_.FocusWebBrowser());
  control_.GoBack();  // nothing to call: no effect, no fault
  control_.Close();
  control_.Navigate(L"http://127.0.0.1/", false);
}

TEST_F(CIEControlTest, NavigateQueuesOneCopyPerNonEmptyUrl) {
  ASSERT_NE(Create(), nullptr);
  control_.Navigate(L"", false);
  control_.Navigate(nullptr, false);
  control_.Navigate(L"", true);  // no start page in this control
  EXPECT_TRUE(QueuedNavigations(control_, 0).empty());

  std::wstring url = L"http://127.0.0.1:9/first";
  control_.Navigate(url.c_str(), true);
  url = L"changed after the call";
  EXPECT_EQ(QueuedNavigations(control_, 1), std::vector<std::wstring>{L"http://127.0.0.1:9/first"});
}

TEST_F(CIEControlTest, StartPageGoesAheadWhenAskedFor) {
  TestControl with_pages(&notify_, L"start.htm", L"error.htm");
  ASSERT_NE(with_pages.Create(frame_.get(), RECT{0, 0, 100, 100}, kControlId, true), nullptr);
  wchar_t module[MAX_PATH];
  ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  with_pages.Navigate(L"http://127.0.0.1:9/", true);
  with_pages.Navigate(nullptr, true);
  with_pages.Navigate(L"http://127.0.0.1:9/again", false);
  std::vector<std::wstring> urls = QueuedNavigations(with_pages, 4);
  // Wine's engine fails them all: the error page follows.
  urls.resize(std::min<size_t>(urls.size(), 4));
  const std::wstring start = std::wstring(L"res://") + module + L"/start.htm";
  EXPECT_EQ(urls, (std::vector<std::wstring>{start, L"http://127.0.0.1:9/", start,
                                             L"http://127.0.0.1:9/again"}));
  with_pages.Close();
  ::DestroyWindow(with_pages.hwnd());
}

TEST_F(CIEControlTest, FailedNavigationGoesToTheErrorPageOnce) {
  TestControl with_pages(&notify_, nullptr, L"error.htm");
  ASSERT_NE(with_pages.Create(frame_.get(), RECT{0, 0, 100, 100}, kControlId, true), nullptr);
  wchar_t module[MAX_PATH];
  ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  const std::wstring error_page = std::wstring(L"res://") + module + L"/error.htm";
  // Wine's engine fails every navigation, the error page's own included.
  with_pages.Navigate(L"http://127.0.0.1:9/", false);
  ASSERT_TRUE(PumpMessagesUntil([&] { return notify_.Matching(L"NavigateError").size() == 2; }));
  PumpMessagesFor(500);
  EXPECT_EQ(notify_.Matching(L"NavigateError"),
            (std::vector<std::wstring>{L"NavigateError 6 http://127.0.0.1:9/",
                                       L"NavigateError 6 " + error_page}));
  // Both navigations were announced as they started.
  EXPECT_EQ(notify_.Matching(L"BeforeNavigate").size(), 2u);
  with_pages.Close();
  ::DestroyWindow(with_pages.hwnd());
}

TEST_F(CIEControlTest, NavigationReportsBeforeNavigateAndTheErrorOfWinesEngine) {
  TestHttpServer server;
  ASSERT_TRUE(server.Start());
  server.Serve("/page.html", {.body = "<html><head><title>Page</title></head></html>"});
  ASSERT_NE(Create(), nullptr);
  com_ptr<IWebBrowser2> browser;
  ASSERT_TRUE(control_.GetBrowser(&browser));
  // A second listener names what Wine's control raises.
  com_ptr<EventNames> names = MakeComObject<EventNames>();
  com_ptr<IConnectionPointContainer> container;
  com_ptr<IConnectionPoint> point;
  DWORD cookie = 0;
  ASSERT_EQ(browser.query(&container), S_OK);
  ASSERT_EQ(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put()), S_OK);
  ASSERT_EQ(point->Advise(names->GetUnknown(), &cookie), S_OK);

  const std::wstring url = server.Url("/page.html");
  control_.Navigate(url.c_str(), false);
  EXPECT_TRUE(PumpMessagesUntil([&] { return !notify_.Matching(L"NavigateError").empty(); }));
  PumpMessagesFor(300);  // anything late
  (void)point->Unadvise(cookie);

  EXPECT_EQ(notify_.Matching(L"BeforeNavigate"),
            std::vector<std::wstring>{L"BeforeNavigate 6 top " + url});
  EXPECT_EQ(notify_.Matching(L"NavigateError"),
            std::vector<std::wstring>{L"NavigateError 6 " + url});
  EXPECT_TRUE(notify_.Matching(L"DocumentComplete").empty());
  ASSERT_TRUE(server.WaitForRequests(1));
  EXPECT_EQ(server.requests()[0].path, "/page.html");

  std::cout << "[ INFO     ] Wine's WebBrowser raised (DISPID/arguments):";
  for (size_t i = 0; i < names->ids.size(); ++i)
    std::cout << " " << names->ids[i] << "/" << names->counts[i];
  std::cout << std::endl;
  EXPECT_NE(std::find(names->ids.begin(), names->ids.end(), DISPID_BEFORENAVIGATE2),
            names->ids.end());
}

TEST_F(CIEControlTest, CloseStopsTheReports) {
  ASSERT_NE(Create(), nullptr);
  control_.Close();
  control_.Navigate(L"http://127.0.0.1:9/", false);
  PumpMessagesFor(500);
  EXPECT_TRUE(notify_.lines.empty());
  com_ptr<IWebBrowser2> browser;
  ASSERT_TRUE(control_.GetBrowser(&browser));
  VARIANT_BOOL visible = VARIANT_TRUE;
  EXPECT_EQ(browser->get_Visible(&visible), S_OK);
  EXPECT_EQ(visible, VARIANT_FALSE);
}

TEST_F(CIEControlTest, BackspaceKeyDownIsNeverForwardedToTheEngine) {
  const HWND hwnd = Create();
  ASSERT_NE(hwnd, nullptr);
  g_forwarded.clear();
  g_behind_recorder = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForwardRecorder)));
  const auto translated = [&](UINT message, WPARAM wparam) {
    MSG msg = {hwnd, message, wparam, 0};
    return control_.PreTranslateMessage(&msg);
  };
  EXPECT_FALSE(translated(WM_KEYDOWN, VK_BACK));
  EXPECT_TRUE(translated(WM_KEYUP, VK_BACK));
  EXPECT_TRUE(translated(WM_CHAR, L'\b'));
  EXPECT_TRUE(translated(WM_KEYDOWN, 'A'));
  EXPECT_TRUE(translated(WM_SYSKEYDOWN, VK_BACK));
  EXPECT_TRUE(translated(WM_UNICHAR, 'A'));
  EXPECT_TRUE(translated(WM_MOUSEMOVE, 0));
  EXPECT_TRUE(translated(WM_LBUTTONDOWN, 0));
  EXPECT_TRUE(translated(0x020D, 0));
  // Outside the keyboard and mouse ranges nothing goes.
  EXPECT_FALSE(translated(0x020E, 0));
  EXPECT_FALSE(translated(0x00FF, 0));
  EXPECT_FALSE(translated(0x010A, 0));
  EXPECT_FALSE(translated(WM_PAINT, 0));
  EXPECT_FALSE(translated(WM_TIMER, 0));
  EXPECT_EQ(g_forwarded, (std::vector<UINT>{WM_KEYUP, WM_CHAR, WM_KEYDOWN, WM_SYSKEYDOWN,
                                            WM_UNICHAR, WM_MOUSEMOVE, WM_LBUTTONDOWN, 0x020D}));
  ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_behind_recorder));
}

TEST_F(CIEControlTest, EngineDecidesWhetherAForwardedKeyIsTaken) {
  const HWND hwnd = Create();
  ASSERT_NE(hwnd, nullptr);
  // Wine's control takes no accelerators; the answer is its, not ours.
  MSG key = {hwnd, WM_KEYDOWN, 'A', 0};
  EXPECT_FALSE(control_.PreTranslateMessage(&key));
}

TEST_F(CIEControlTest, SecondDestroyOfTheHostIsSwallowed) {
  const HWND hwnd = Create();
  ASSERT_NE(hwnd, nullptr);
  ::SendMessageW(hwnd, WM_DESTROY, 0, 0);
  EXPECT_EQ(control_.destroys, 1);
  com_ptr<IWebBrowser2> browser;
  EXPECT_FALSE(control_.GetBrowser(&browser));  // let go at the first
  ::SendMessageW(hwnd, WM_DESTROY, 0, 0);
  ::DestroyWindow(hwnd);
  EXPECT_EQ(control_.destroys, 1);
  EXPECT_EQ(control_.hwnd(), nullptr);
}

TEST_F(CIEControlTest, FaultInTheWindowProcedureEndsTheMessageWithZero) {
  const HWND hwnd = Create();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(::SendMessageW(hwnd, kFault, 0, 0), 0);
  // The window is still in working order, its own map included.
  EXPECT_EQ(::SendMessageW(hwnd, kFault, 0, 0), 0);
  control_.Navigate(L"http://127.0.0.1:9/", false);
  EXPECT_EQ(QueuedNavigations(control_, 1), std::vector<std::wstring>{L"http://127.0.0.1:9/"});
  com_ptr<IWebBrowser2> browser;
  EXPECT_TRUE(control_.GetBrowser(&browser));
}

TEST_F(CIEControlTest, ObjectGoneBeforeItsWindowLeavesTheProcedureAsItWas) {
  auto control = std::make_unique<TestControl>(&notify_);
  const HWND hwnd = control->Create(frame_.get(), RECT{0, 0, 100, 100}, kControlId, true);
  ASSERT_NE(hwnd, nullptr);
  const LONG_PTR guarded = ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
  ASSERT_EQ(guarded, reinterpret_cast<LONG_PTR>(&GuardedWndProc));
  control->Close();
  control.reset();
  EXPECT_NE(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC), guarded);
  EXPECT_EQ(::GetPropW(hwnd, kWndProcHookProperty), nullptr);
  EXPECT_EQ(::SendMessageW(hwnd, WM_IECONTROL_NAVIGATE, 0, 0), 0);  // no object behind it
  ::DestroyWindow(hwnd);
}

TEST_F(CIEControlTest, PageOfWinesEngineHasNoDocumentToFocusOrName) {
  ASSERT_NE(Create(), nullptr);
  EXPECT_FALSE(control_.FocusWebBrowser());
  std::wstring title = L"unchanged";
  EXPECT_FALSE(control_.GetTitle(&title));
  EXPECT_EQ(title, L"unchanged");
}

}  // namespace
