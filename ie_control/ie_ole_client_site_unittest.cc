#include "ie_control/ie_ole_client_site.h"

#include <gtest/gtest.h>

#include <exdisp.h>
#include <mshtmhst.h>

#include "ie_control/ie_test_util.h"
#include "ui_base/ax_test_util.h"
#include "utils/com_ptr.h"

namespace {

// mingw-w64's uuid library lacks it.
constexpr GUID kDocHostCommandHandler = {0xf38bc242,
                                         0xb950,
                                         0x11d1,
                                         {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

class IEOleClientSiteTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ole_.ok());
    site_->SetNotify(&notify_);
  }

  ScopedOleInitialize ole_;
  RecordingNotify notify_;
  com_ptr<IEOleClientSite> site_ = MakeComObject<IEOleClientSite>();
};

TEST_F(IEOleClientSiteTest, ScriptErrorsKeepScriptsRunningWithoutADialog) {
  // The engine may hand over an out VARIANT it never initialised: what it
  // seems to hold must not be released.
  VARIANT out;
  V_VT(&out) = VT_UNKNOWN;
  V_UNKNOWN(&out) = reinterpret_cast<IUnknown*>(static_cast<UINT_PTR>(0x10));
  EXPECT_EQ(site_->Exec(&kDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out), S_OK);
  EXPECT_EQ(V_VT(&out), VT_BOOL);
  EXPECT_EQ(V_BOOL(&out), VARIANT_TRUE);
  // Without a place for the answer, still handled.
  EXPECT_EQ(site_->Exec(nullptr, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, nullptr), S_OK);
  EXPECT_TRUE(notify_.lines.empty());
}

TEST_F(IEOleClientSiteTest, ScriptCloseIsReportedAndLeftToTheOwner) {
  EXPECT_EQ(site_->Exec(nullptr, OLECMDID_CLOSE, 0, nullptr, nullptr), S_FALSE);
  EXPECT_EQ(notify_.lines, std::vector<std::wstring>{L"CloseTab"});
  // The command group is not looked at.
  EXPECT_EQ(site_->Exec(&kDocHostCommandHandler, OLECMDID_CLOSE, 0, nullptr, nullptr), S_FALSE);
  EXPECT_EQ(notify_.lines.size(), 2u);

  com_ptr<IEOleClientSite> unattached = MakeComObject<IEOleClientSite>();
  EXPECT_EQ(unattached->Exec(nullptr, OLECMDID_CLOSE, 0, nullptr, nullptr), S_FALSE);
}

TEST_F(IEOleClientSiteTest, FindIsRefusedAndOtherCommandsAreUnknown) {
  EXPECT_EQ(site_->Exec(nullptr, OLECMDID_SHOWFIND, 0, nullptr, nullptr), E_NOINTERFACE);
  for (const DWORD command : {0u, 1u, 39u, 41u, 43u, 44u, 46u, 2300u, 0xFFFFFFFFu}) {
    VARIANT out;
    ::VariantInit(&out);
    EXPECT_EQ(site_->Exec(nullptr, command, 0, nullptr, &out), OLECMDERR_E_UNKNOWNGROUP) << command;
    EXPECT_EQ(V_VT(&out), VT_EMPTY) << command;
  }
  OLECMD command = {OLECMDID_CLOSE, 0};
  EXPECT_EQ(site_->QueryStatus(nullptr, 1, &command, nullptr), OLECMDERR_E_UNKNOWNGROUP);
  EXPECT_TRUE(notify_.lines.empty());
}

TEST_F(IEOleClientSiteTest, HostInfoAsksForDpiAwarenessThemesAndFormsAutoComplete) {
  DWORD flags = 0xFFFFFFFF;
  DWORD double_click = 0xFFFFFFFF;
  EXPECT_EQ(site_->GetHostInfo(&flags, &double_click), S_OK);
  EXPECT_EQ(flags, 0x40244000u);
  EXPECT_EQ(double_click, static_cast<DWORD>(DOCHOSTUIDBLCLK_DEFAULT));
  EXPECT_EQ(site_->GetHostInfo(nullptr, &double_click), E_POINTER);
  EXPECT_EQ(site_->GetHostInfo(&flags, nullptr), E_POINTER);
}

TEST_F(IEOleClientSiteTest, EngineKeepsItsContextMenuAcceleratorsAndMessageBoxes) {
  HRESULT menu_result = S_OK;
  EXPECT_EQ(site_->ShowContextMenu(CONTEXT_MENU_DEFAULT, 10, 10, nullptr, nullptr, &menu_result),
            S_OK);
  EXPECT_EQ(menu_result, E_NOTIMPL);

  HRESULT accelerator_result = S_FALSE;
  EXPECT_EQ(site_->TranslateAccelerator(0, WM_KEYDOWN, VK_F5, 0, nullptr, 0, &accelerator_result),
            S_OK);
  EXPECT_EQ(accelerator_result, S_FALSE);  // untouched

  LRESULT box_result = 0;
  EXPECT_EQ(site_->ShowMessage(nullptr, const_cast<LPOLESTR>(L"text"), nullptr, MB_OK, nullptr, 0,
                               &box_result),
            E_NOTIMPL);
  EXPECT_EQ(site_->ShowHelp(nullptr, nullptr, 0, 0, POINT{}, nullptr), E_NOTIMPL);
}

TEST_F(IEOleClientSiteTest, EverythingElseIsLeftToTheEngine) {
  HRESULT result = S_OK;
  EXPECT_EQ(site_->ShowUI(0, nullptr, nullptr, nullptr, nullptr, &result), E_NOTIMPL);
  EXPECT_EQ(site_->HideUI(), E_NOTIMPL);
  EXPECT_EQ(site_->UpdateUI(), E_NOTIMPL);
  EXPECT_EQ(site_->EnableModeless(VARIANT_TRUE), E_NOTIMPL);
  EXPECT_EQ(site_->OnDocWindowActivate(VARIANT_TRUE), E_NOTIMPL);
  EXPECT_EQ(site_->OnFrameWindowActivate(VARIANT_TRUE), E_NOTIMPL);
  EXPECT_EQ(site_->ResizeBorder(0, 0, 1, 1, nullptr, VARIANT_TRUE), E_NOTIMPL);
  BSTR text = nullptr;
  EXPECT_EQ(site_->GetOptionKeyPath(&text, 0), E_NOTIMPL);
  com_ptr<IUnknown> object;
  EXPECT_EQ(site_->GetDropTarget(nullptr, object.put()), E_NOTIMPL);
  EXPECT_EQ(site_->TranslateUrl(0, nullptr, &text), E_NOTIMPL);
  EXPECT_EQ(site_->FilterDataObject(nullptr, object.put()), E_NOTIMPL);
  UINT count = 0;
  EXPECT_EQ(site_->GetTypeInfoCount(&count), E_NOTIMPL);
  EXPECT_EQ(site_->GetTypeInfo(0, 0, nullptr), E_NOTIMPL);
  EXPECT_EQ(site_->GetIDsOfNames(IID_NULL, nullptr, 0, 0, nullptr), E_NOTIMPL);
  EXPECT_EQ(site_->Invoke(0, IID_NULL, 0, 0, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
  EXPECT_TRUE(notify_.lines.empty());
}

// Stands in for the platform's Shell UI helper class: hands out one object
// and notes which interface it was asked for.
class HelperFactory : public ComObject<IClassFactory> {
 public:
  STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** out) override {
    requested = iid;
    *out = helper.get();
    helper->AddRef();
    return S_OK;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

  IID requested = IID_NULL;
  com_ptr<IEOleClientSite> helper = MakeComObject<IEOleClientSite>();  // any IDispatch will do

 protected:
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(iid, {Offer<IClassFactory>(this)});
  }
};

TEST_F(IEOleClientSiteTest, ExternalIsANewShellUIHelper) {
  com_ptr<HelperFactory> factory = MakeComObject<HelperFactory>();
  DWORD cookie = 0;
  ASSERT_EQ(::CoRegisterClassObject(CLSID_ShellUIHelper, factory->GetUnknown(),
                                    CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
            S_OK);
  com_ptr<IDispatch> external;
  EXPECT_EQ(site_->GetExternal(external.put()), S_OK);
  ::CoRevokeClassObject(cookie);
  EXPECT_TRUE(IsSameComObject(external.get(), factory->helper->GetUnknown()));
  EXPECT_EQ(factory->requested, IID_IShellUIHelper);
  EXPECT_EQ(site_->GetExternal(nullptr), E_NOTIMPL);
}

TEST_F(IEOleClientSiteTest, NoExternalWhereTheHelperCannotBeMade) {
  // Wine's ieframe registers the class but does not serve it.
  IDispatch* external = reinterpret_cast<IDispatch*>(1);
  EXPECT_EQ(site_->GetExternal(&external), E_NOTIMPL);
  EXPECT_EQ(external, nullptr);
}

TEST_F(IEOleClientSiteTest, AnswersItsFourInterfacesOnly) {
  com_ptr<IUnknown> unknown;
  ASSERT_EQ(site_.query(&unknown), S_OK);
  for (const IID& iid : {IID_IDispatch, __uuidof(IDocHostUIHandlerDispatch), IID_IOleCommandTarget,
                         __uuidof(IDocHostShowUI)}) {
    com_ptr<IUnknown> answer;
    ASSERT_EQ(site_->QueryInterface(iid, answer.put_void()), S_OK);
    EXPECT_TRUE(IsSameComObject(answer.get(), unknown.get()));
  }
  for (const IID& iid : {IID_IDocHostUIHandler, IID_IOleClientSite, IID_IServiceProvider}) {
    com_ptr<IUnknown> answer;
    EXPECT_EQ(site_->QueryInterface(iid, answer.put_void()), E_NOINTERFACE);
  }
}

}  // namespace
