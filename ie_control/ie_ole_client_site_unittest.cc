#include "ie_control/ie_ole_client_site.h"

#include <gtest/gtest.h>

#include <mshtmhst.h>

#include "utils/com_ptr.h"

namespace {

// mingw-w64's uuid library lacks it.
constexpr GUID kDocHostCommandHandler = {0xf38bc242,
                                         0xb950,
                                         0x11d1,
                                         {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

class CloseCounter : public IIEControlNotify {
 public:
  void NotifyCloseTab() override { ++closes; }
  int closes = 0;
};

class IEOleClientSiteTest : public testing::Test {
 protected:
  void SetUp() override { site_->SetNotify(&notify_); }

  CloseCounter notify_;
  com_ptr<IEOleClientSite> site_ = MakeComObject<IEOleClientSite>();
};

TEST_F(IEOleClientSiteTest, ScriptErrorsKeepScriptsRunningAndScriptCloseIsLeftToTheOwner) {
  // The engine may hand over an out VARIANT it never initialised: what it
  // seems to hold must not be released.
  VARIANT out;
  V_VT(&out) = VT_UNKNOWN;
  V_UNKNOWN(&out) = reinterpret_cast<IUnknown*>(static_cast<UINT_PTR>(0x10));
  EXPECT_EQ(site_->Exec(&kDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out), S_OK);
  EXPECT_EQ(V_VT(&out), VT_BOOL);
  EXPECT_EQ(V_BOOL(&out), VARIANT_TRUE);
  EXPECT_EQ(site_->Exec(nullptr, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, nullptr), S_OK);
  EXPECT_EQ(notify_.closes, 0);

  EXPECT_EQ(site_->Exec(nullptr, OLECMDID_CLOSE, 0, nullptr, nullptr), S_FALSE);
  EXPECT_EQ(notify_.closes, 1);
  EXPECT_EQ(site_->Exec(nullptr, OLECMDID_SHOWFIND, 0, nullptr, nullptr), E_NOINTERFACE);
  EXPECT_EQ(site_->Exec(nullptr, 2300, 0, nullptr, nullptr), OLECMDERR_E_UNKNOWNGROUP);
}

TEST_F(IEOleClientSiteTest, HostInfoAndTheEnginesOwnContextMenu) {
  // DPI awareness, themes and forms auto-complete.
  DWORD flags = 0xFFFFFFFF;
  DWORD double_click = 0xFFFFFFFF;
  EXPECT_EQ(site_->GetHostInfo(&flags, &double_click), S_OK);
  EXPECT_EQ(flags, 0x40244000u);
  EXPECT_EQ(double_click, static_cast<DWORD>(DOCHOSTUIDBLCLK_DEFAULT));
  EXPECT_EQ(site_->GetHostInfo(nullptr, &double_click), E_POINTER);

  HRESULT menu_result = S_OK;
  EXPECT_EQ(site_->ShowContextMenu(CONTEXT_MENU_DEFAULT, 10, 10, nullptr, nullptr, &menu_result),
            S_OK);
  EXPECT_EQ(menu_result, E_NOTIMPL);
}

}  // namespace
