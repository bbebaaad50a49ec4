#include "ie_control/ie_ax.h"

#include <gtest/gtest.h>

#include <exdisp.h>
#include <mshtmhst.h>

#include "ie_control/ie_test_util.h"
#include "tests/scoped_registry_backup.h"
#include "tools/stand_in_engine/testing/scoped_stand_in_engine.h"
#include "ui_base/ax_test_util.h"

namespace {

int g_destroys_behind_host = 0;

// The window's own procedure, behind the host: counts what reaches it.
LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY)
    ++g_destroys_behind_host;
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

class IEAxTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ole_.ok());
    g_destroys_behind_host = 0;
    parent_ = CreatePlainWindow();
    ASSERT_TRUE(parent_);
    window_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200,
                                parent_.get(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc));
  }

  // Windows go before any fixture member a control may still write to.
  void TearDown() override { parent_.reset(); }

  // Wine's own control: no stand-in engine registered by a test running
  // alongside meanwhile.
  ScopedRegistryKeyBackup wine_browser_{HKEY_LOCAL_MACHINE, kWebBrowserServerKey};
  ScopedOleInitialize ole_;
  RecordingNotify notify_;
  unique_hwnd parent_;
  HWND window_ = nullptr;
  com_ptr<IEAx> host_ = MakeComObject<IEAx>();
};

// The WebBrowser class of this process replaced by the fake control.
class IEAxFakeBrowserTest : public IEAxTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fake_browser_.ok());
    IEAxTest::SetUp();
  }

  FakeControlRecord record_;
  ScopedFakeControlClass fake_browser_{CLSID_WebBrowser, &record_};
};

TEST_F(IEAxTest, OffersTheNewWindowManagerAsItsOnlyService) {
  com_ptr<IUnknown> service;
  EXPECT_EQ(host_->QueryService(IID_INewWindowManager, IID_INewWindowManager, service.put_void()),
            E_FAIL);  // nothing created yet
  EXPECT_FALSE(service);

  host_->CreateBrowser(window_, &notify_);
  com_ptr<INewWindowManager> manager;
  ASSERT_EQ(host_->QueryService(IID_INewWindowManager, IID_INewWindowManager, manager.put_void()),
            S_OK);
  EXPECT_EQ(manager->EvaluateNewWindow(L"http://a/", nullptr, nullptr, nullptr, FALSE, 0, 0), S_OK);
  EXPECT_EQ(notify_.Matching(L"EvaluateNewWindow").size(), 1u);

  // The manager's own interface rules apply to what is asked of it.
  com_ptr<IDispatch> dispatch;
  EXPECT_EQ(host_->QueryService(IID_INewWindowManager, IID_IDispatch, dispatch.put_void()),
            E_NOINTERFACE);

  for (const GUID& other : {IID_IOleCommandTarget, IID_IWebBrowserApp, IID_IDocHostUIHandler}) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(host_->QueryService(other, IID_IUnknown, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
  }
  EXPECT_EQ(host_->QueryService(IID_INewWindowManager, IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(IEAxTest, ShowUIAndCommandQuestionsGoToTheClientSite) {
  com_ptr<IUnknown> none;
  EXPECT_EQ(host_->QueryInterface(IID_IOleCommandTarget, none.put_void()), E_NOINTERFACE);
  EXPECT_EQ(host_->QueryInterface(__uuidof(IDocHostShowUI), none.put_void()), E_NOINTERFACE);
  EXPECT_FALSE(none);

  host_->CreateBrowser(window_, &notify_);
  com_ptr<IOleCommandTarget> command_target;
  com_ptr<IDocHostShowUI> show_ui;
  ASSERT_EQ(host_->QueryInterface(IID_IOleCommandTarget, command_target.put_void()), S_OK);
  ASSERT_EQ(host_->QueryInterface(__uuidof(IDocHostShowUI), show_ui.put_void()), S_OK);
  EXPECT_FALSE(IsSameComObject(command_target.get(), host_->GetUnknown()));
  EXPECT_TRUE(IsSameComObject(command_target.get(), show_ui.get()));
}

TEST_F(IEAxTest, HostInfoComesFromTheClientSite) {
  host_->CreateBrowser(window_, &notify_);
  com_ptr<IDocHostUIHandler> handler;
  ASSERT_EQ(host_->QueryInterface(IID_IDocHostUIHandler, handler.put_void()), S_OK);
  DOCHOSTUIINFO info = {sizeof(info)};
  EXPECT_EQ(handler->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, 0x40244000u);
  EXPECT_EQ(info.dwDoubleClick, static_cast<DWORD>(DOCHOSTUIDBLCLK_DEFAULT));
}

TEST_F(IEAxTest, CreatesWinesWebBrowserWithItsDialogsOn) {
  host_->CreateBrowser(window_, &notify_);
  com_ptr<IWebBrowser2> browser;
  ASSERT_EQ(host_->QueryControl(&browser), S_OK);
  // Wine's control keeps no drop-target setting to read back.
  VARIANT_BOOL silent = VARIANT_TRUE;
  EXPECT_EQ(browser->get_Silent(&silent), S_OK);
  EXPECT_EQ(silent, VARIANT_FALSE);
  // The engine calls back into its site: a script close reaches the owner.
  com_ptr<IOleCommandTarget> command_target;
  ASSERT_EQ(host_->QueryInterface(IID_IOleCommandTarget, command_target.put_void()), S_OK);
  EXPECT_EQ(command_target->Exec(nullptr, OLECMDID_CLOSE, 0, nullptr, nullptr), S_FALSE);
  EXPECT_EQ(notify_.lines, std::vector<std::wstring>{L"CloseTab"});
}

TEST_F(IEAxFakeBrowserTest, SecondDestroyIsSwallowed) {
  host_->CreateBrowser(window_, &notify_);
  ASSERT_TRUE(record_.alive);
  ::SendMessageW(window_, WM_DESTROY, 0, 0);
  EXPECT_EQ(g_destroys_behind_host, 1);
  EXPECT_FALSE(record_.alive);  // the control went with the first one
  com_ptr<IUnknown> control;
  EXPECT_EQ(host_->QueryControl(&control), E_NOINTERFACE);

  ::SendMessageW(window_, WM_DESTROY, 0, 0);
  ::DestroyWindow(window_);  // its own WM_DESTROY is a later one too
  EXPECT_EQ(g_destroys_behind_host, 1);
}

TEST_F(IEAxFakeBrowserTest, LivesOnWithItsWindowAfterItsOwnerLetsGo) {
  host_->CreateBrowser(window_, &notify_);
  host_.reset();
  MSG taken = {window_, WM_KEYDOWN, kKeyTakenByControl, 0};
  EXPECT_EQ(::SendMessageW(window_, WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(&taken)), 1);
  ::DestroyWindow(window_);
  EXPECT_FALSE(record_.alive);
}

TEST_F(IEAxFakeBrowserTest, LastReferenceGoesWithTheWindow) {
  host_->CreateBrowser(window_, &notify_);
  IEAx* const raw = host_.release();
  ::DestroyWindow(window_);
  // The control and the final message have let go; ours is the last.
  EXPECT_EQ(raw->Release(), 0u);
}

TEST_F(IEAxFakeBrowserTest, FaultWhileForwardingAcceleratorsIsSwallowed) {
  host_->CreateBrowser(window_, &notify_);
  MSG taken = {window_, WM_KEYDOWN, kKeyTakenByControl, 0};
  MSG faulting = {window_, WM_KEYDOWN, kKeyThatFaults, 0};
  EXPECT_EQ(::SendMessageW(window_, WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(&taken)), 1);
  EXPECT_EQ(::SendMessageW(window_, WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(&faulting)), 0);
  EXPECT_EQ(::SendMessageW(window_, WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(&taken)), 1);
}

TEST_F(IEAxFakeBrowserTest, ControlWithoutIWebBrowser2KeepsTheClientSiteUnattached) {
  host_->CreateBrowser(window_, &notify_);
  EXPECT_TRUE(record_.alive);
  com_ptr<IOleCommandTarget> command_target;
  ASSERT_EQ(host_->QueryInterface(IID_IOleCommandTarget, command_target.put_void()), S_OK);
  EXPECT_EQ(command_target->Exec(nullptr, OLECMDID_CLOSE, 0, nullptr, nullptr), S_FALSE);
  EXPECT_TRUE(notify_.lines.empty());
}

}  // namespace
