#include "ui_base/ax_host_window.h"

#include <gtest/gtest.h>

#include <string>

#include "ui_base/ax_test_util.h"
#include "utils/ole_owners.h"

namespace {

// CGID_MSHTML, which mingw-w64's uuid library lacks.
constexpr GUID kMshtmlCommands = {0xde4ba900,
                                  0x59ca,
                                  0x11cf,
                                  {0x95, 0x92, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

class TestHost : public AxHostWindow {
 public:
  explicit TestHost(bool* alive) : alive_(alive) { *alive_ = true; }

  STDMETHODIMP QueryService(REFGUID, REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }

 protected:
  ~TestHost() override { *alive_ = false; }

 private:
  bool* alive_;
};

// Records what the host asks of its external UI handler and answers as told.
class FakeUIHandler : public ComObject<IDocHostUIHandlerDispatch> {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
      override {
    return E_NOTIMPL;
  }
  STDMETHODIMP ShowContextMenu(DWORD id, DWORD x, DWORD y, IUnknown*, IDispatch*, HRESULT* result)
      override {
    menu_point = {static_cast<LONG>(x), static_cast<LONG>(y)};
    menu_id = id;
    *result = S_OK;
    return S_OK;
  }
  STDMETHODIMP GetHostInfo(DWORD* flags, DWORD* double_click) override {
    *flags = 0x12340000;
    *double_click = DOCHOSTUIDBLCLK_SHOWCODE;
    return S_OK;
  }
  STDMETHODIMP ShowUI(DWORD, IUnknown*, IUnknown*, IUnknown*, IUnknown*, HRESULT*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP HideUI() override { return E_NOTIMPL; }
  STDMETHODIMP UpdateUI() override { return E_NOTIMPL; }
  STDMETHODIMP EnableModeless(VARIANT_BOOL enable) override {
    modeless = enable;
    return S_OK;
  }
  STDMETHODIMP OnDocWindowActivate(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP OnFrameWindowActivate(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP ResizeBorder(long, long, long, long, IUnknown*, VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP TranslateAccelerator(DWORD_PTR hwnd,
                                    DWORD message,
                                    DWORD_PTR,
                                    DWORD_PTR,
                                    BSTR group,
                                    DWORD command,
                                    HRESULT*) override {
    accelerator_hwnd = hwnd;
    accelerator_message = message;
    accelerator_group = group ? group : L"(null)";
    accelerator_command = command;
    return S_OK;  // leaves the result alone
  }
  STDMETHODIMP GetOptionKeyPath(BSTR* key, DWORD) override {
    *key = ::SysAllocString(option_key);
    return S_OK;
  }
  STDMETHODIMP GetDropTarget(IUnknown*, IUnknown**) override { return E_NOTIMPL; }
  STDMETHODIMP GetExternal(IDispatch** external) override {
    *external = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP TranslateUrl(DWORD, BSTR, BSTR* out) override {
    *out = nullptr;
    return S_OK;  // claims success without a URL
  }
  STDMETHODIMP FilterDataObject(IUnknown*, IUnknown**) override { return E_NOTIMPL; }

  POINT menu_point = {};
  DWORD menu_id = 0;
  VARIANT_BOOL modeless = 0;
  DWORD_PTR accelerator_hwnd = 0;
  DWORD accelerator_message = 0;
  std::wstring accelerator_group;
  DWORD accelerator_command = 0;
  const wchar_t* option_key = L"Software\\TabBridgeTest";

 protected:
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(iid, {Offer<IDocHostUIHandlerDispatch>(this)});
  }
};

// An IDispatch with no members, to tell apart as window.external.
class EmptyDispatch : public ComObject<IDispatch> {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
      override {
    return E_NOTIMPL;
  }

 protected:
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(iid, {Offer<IDispatch>(this)});
  }
};

class AxHostWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ole_.ok());
    ASSERT_TRUE(fake_class_.ok());
    parent_ = CreatePlainWindow();
    ASSERT_TRUE(parent_);
    child_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 5, 5, 320, 240,
                               parent_.get(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(child_, nullptr);
    host_ = MakeComObject<TestHost>(&host_alive_);
  }

  void TearDown() override {
    host_.reset();
    parent_.reset();
  }

  ScopedOleInitialize ole_;
  FakeControlRecord record_;
  ScopedFakeControlClass fake_class_{kFakeControlClsid, &record_};
  unique_hwnd parent_;
  HWND child_ = nullptr;
  bool host_alive_ = false;
  com_ptr<TestHost> host_;
};

TEST_F(AxHostWindowTest, CreatesTheControlAndActivatesItInPlaceInTheWindow) {
  ASSERT_EQ(host_->CreateControl(kFakeControlClsidText, child_), S_OK);
  EXPECT_EQ(host_->hwnd(), child_);
  EXPECT_TRUE(record_.alive);
  // Initialised before it gets its site, since it did not ask otherwise.
  ASSERT_GE(record_.calls.size(), 4u);
  EXPECT_EQ(record_.calls[0], "GetMiscStatus");
  EXPECT_EQ(record_.calls[1], "InitNew");
  EXPECT_EQ(record_.calls[2], "SetClientSite");
  EXPECT_EQ(record_.calls[3], "DoVerb(" + std::to_string(OLEIVERB_INPLACEACTIVATE) + ")");
  EXPECT_TRUE(IsSameComObject(record_.site.get(), host_->GetUnknown()));

  EXPECT_EQ(record_.parent, child_);
  EXPECT_EQ(record_.position.right, 320);
  EXPECT_EQ(record_.position.bottom, 240);
  ASSERT_TRUE(record_.frame);
  HWND frame_window = nullptr;
  ASSERT_EQ(record_.frame->GetWindow(&frame_window), S_OK);
  EXPECT_EQ(frame_window, parent_.get());

  com_ptr<IOleObject> control;
  ASSERT_EQ(host_->QueryControl(&control), S_OK);
  com_ptr<IOleClientSite> site;
  EXPECT_EQ(control->GetClientSite(site.put()), S_OK);
  EXPECT_TRUE(IsSameComObject(site.get(), host_->GetUnknown()));
}

TEST_F(AxHostWindowTest, SiteFirstControlsGetTheirSiteBeforeInitialisation) {
  record_.misc_status = OLEMISC_SETCLIENTSITEFIRST;
  ASSERT_EQ(host_->CreateControl(kFakeControlClsidText, child_), S_OK);
  ASSERT_GE(record_.calls.size(), 3u);
  EXPECT_EQ(record_.calls[1], "SetClientSite");
  EXPECT_EQ(record_.calls[2], "InitNew");
}

TEST_F(AxHostWindowTest, RefusesBadClassIdsAndASecondControl) {
  const LONG_PTR proc = ::GetWindowLongPtrW(child_, GWLP_WNDPROC);
  EXPECT_TRUE(FAILED(host_->CreateControl(L"not a class id", child_)));
  EXPECT_TRUE(FAILED(host_->CreateControl(nullptr, child_)));
  EXPECT_EQ(::GetWindowLongPtrW(child_, GWLP_WNDPROC), proc);  // window left alone

  // A class nobody registered: the window is taken, no control comes.
  EXPECT_TRUE(FAILED(host_->CreateControl(L"{00000000-1111-2222-3333-444455556666}", child_)));
  com_ptr<IUnknown> nothing;
  EXPECT_EQ(host_->QueryControl(&nothing), E_NOINTERFACE);
  EXPECT_FALSE(nothing);
  EXPECT_EQ(host_->QueryControl(IID_IUnknown, nullptr), E_POINTER);

  ASSERT_EQ(host_->CreateControl(kFakeControlClsidText, child_), S_OK);
  EXPECT_EQ(host_->CreateControl(kFakeControlClsidText, child_), E_UNEXPECTED);
}

TEST_F(AxHostWindowTest, AnswersEverySiteInterfaceAsOneObject) {
  const IID site_interfaces[] = {
      IID_IOleClientSite,    IID_IOleInPlaceSiteWindowless,
      IID_IOleInPlaceSiteEx, IID_IOleInPlaceSite,
      IID_IOleWindow,        IID_IOleControlSite,
      IID_IOleContainer,     IID_IObjectWithSite,
      IID_IServiceProvider,  IID_IDocHostUIHandler,
      IID_IAdviseSink,
  };
  for (const IID& iid : site_interfaces) {
    com_ptr<IUnknown> answer;
    ASSERT_EQ(host_->QueryInterface(iid, answer.put_void()), S_OK);
    EXPECT_TRUE(IsSameComObject(answer.get(), host_->GetUnknown()));
  }
  com_ptr<IUnknown> none;
  EXPECT_EQ(host_->QueryInterface(IID_IDispatch, none.put_void()), E_NOINTERFACE);
  EXPECT_EQ(host_->QueryInterface(IID_IOleCommandTarget, none.put_void()), E_NOINTERFACE);
  EXPECT_FALSE(none);

  com_ptr<IOleContainer> container;
  EXPECT_EQ(host_->GetContainer(container.put()), S_OK);
  EXPECT_TRUE(IsSameComObject(container.get(), host_->GetUnknown()));
  EXPECT_EQ(host_->CanWindowlessActivate(), S_FALSE);
}

TEST_F(AxHostWindowTest, ForwardedMessagesReachTheControlsAcceleratorTranslation) {
  EXPECT_EQ(::SendMessageW(child_, WM_FORWARDMSG, 0, 0), 0);  // not subclassed yet: static
  ASSERT_EQ(host_->CreateControl(kFakeControlClsidText, child_), S_OK);
  MSG taken = {child_, WM_KEYDOWN, kKeyTakenByControl, 0};
  MSG not_taken = {child_, WM_KEYDOWN, 'A', 0};
  EXPECT_EQ(::SendMessageW(child_, WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(&taken)), 1);
  EXPECT_EQ(::SendMessageW(child_, WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(&not_taken)), 0);
  EXPECT_EQ(::SendMessageW(child_, WM_FORWARDMSG, 0, 0), 0);  // no message at all
  EXPECT_TRUE(record_.Called("TranslateAccelerator(" + std::to_string(WM_KEYDOWN) + ")"));
}

TEST_F(AxHostWindowTest, SizeAndFocusReachTheActiveControl) {
  ASSERT_EQ(host_->CreateControl(kFakeControlClsidText, child_), S_OK);
  ::MoveWindow(child_, 0, 0, 200, 100, TRUE);
  EXPECT_EQ(record_.last_object_rects.right, 200);
  EXPECT_EQ(record_.last_object_rects.bottom, 100);
  ::SetFocus(child_);
  EXPECT_TRUE(record_.Called("DoVerb(" + std::to_string(OLEIVERB_UIACTIVATE) + ")"));
}

TEST_F(AxHostWindowTest, DestroyLetsTheControlGoAndTheFinalMessageTheHost) {
  ASSERT_EQ(host_->CreateControl(kFakeControlClsidText, child_), S_OK);
  host_.reset();  // the window keeps the host alive
  EXPECT_TRUE(host_alive_);
  ::DestroyWindow(child_);
  EXPECT_TRUE(record_.Called("InPlaceDeactivate"));
  EXPECT_TRUE(record_.Called("Close(NOSAVE)"));
  EXPECT_EQ(record_.calls.back(), "SetClientSite(null)");
  EXPECT_FALSE(record_.site);
  EXPECT_FALSE(record_.alive);
  EXPECT_FALSE(host_alive_);
}

TEST_F(AxHostWindowTest, WithoutAUIHandlerTheEngineKeepsItsDefaults) {
  DOCHOSTUIINFO info = {sizeof(info)};
  EXPECT_EQ(host_->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER));
  EXPECT_EQ(host_->GetHostInfo(nullptr), E_POINTER);
  POINT point = {1, 2};
  EXPECT_EQ(host_->ShowContextMenu(0, &point, nullptr, nullptr), S_FALSE);
  MSG msg = {child_, WM_KEYDOWN, 'A', 0};
  EXPECT_EQ(host_->TranslateAccelerator(&msg, nullptr, 0), S_FALSE);
  LPOLESTR key = reinterpret_cast<LPOLESTR>(1);
  EXPECT_EQ(host_->GetOptionKeyPath(&key, 0), S_FALSE);
  EXPECT_EQ(key, nullptr);
  IDispatch* external = reinterpret_cast<IDispatch*>(1);
  EXPECT_EQ(host_->GetExternal(&external), E_NOINTERFACE);
  EXPECT_EQ(external, nullptr);
}

TEST_F(AxHostWindowTest, UIQuestionsGoToTheExternalHandler) {
  com_ptr<FakeUIHandler> handler = MakeComObject<FakeUIHandler>();
  host_->SetExternalUIHandler(handler.get());

  DOCHOSTUIINFO info = {sizeof(info)};
  EXPECT_EQ(host_->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, 0x12340000u);
  EXPECT_EQ(info.dwDoubleClick, static_cast<DWORD>(DOCHOSTUIDBLCLK_SHOWCODE));

  POINT point = {17, 23};
  EXPECT_EQ(host_->ShowContextMenu(5, &point, nullptr, nullptr), S_OK);
  EXPECT_EQ(handler->menu_point.x, 17);
  EXPECT_EQ(handler->menu_point.y, 23);
  EXPECT_EQ(handler->menu_id, 5u);
  EXPECT_EQ(host_->ShowContextMenu(5, nullptr, nullptr, nullptr), S_FALSE);  // no point, no menu

  EXPECT_EQ(host_->EnableModeless(TRUE), S_OK);
  EXPECT_EQ(handler->modeless, VARIANT_TRUE);

  // The handler leaves the result alone: nothing is taken from the engine.
  MSG msg = {child_, WM_KEYDOWN, 'A', 0};
  EXPECT_EQ(host_->TranslateAccelerator(&msg, &kMshtmlCommands, 77), S_FALSE);
  EXPECT_EQ(handler->accelerator_hwnd, reinterpret_cast<DWORD_PTR>(child_));
  EXPECT_EQ(handler->accelerator_message, static_cast<DWORD>(WM_KEYDOWN));
  EXPECT_EQ(handler->accelerator_group, L"{DE4BA900-59CA-11CF-9592-444553540000}");
  EXPECT_EQ(handler->accelerator_command, 77u);
  // Engines may pass no command group.
  EXPECT_EQ(host_->TranslateAccelerator(&msg, nullptr, 1), S_FALSE);
  EXPECT_EQ(handler->accelerator_group, L"");
  EXPECT_EQ(host_->TranslateAccelerator(nullptr, nullptr, 1), S_FALSE);

  unique_cotaskmem<wchar_t> key;
  ASSERT_EQ(host_->GetOptionKeyPath(key.put(), 0), S_OK);
  ASSERT_NE(key.get(), nullptr);
  EXPECT_STREQ(key.get(), L"Software\\TabBridgeTest");

  // Success without a URL is no translation.
  wchar_t url[] = L"http://example.test/";
  LPWSTR translated = reinterpret_cast<LPWSTR>(1);
  EXPECT_EQ(host_->TranslateUrl(0, url, &translated), S_FALSE);
  EXPECT_EQ(translated, nullptr);
  EXPECT_EQ(host_->TranslateUrl(0, url, nullptr), E_POINTER);

  IDataObject* filtered = reinterpret_cast<IDataObject*>(1);
  EXPECT_EQ(host_->FilterDataObject(nullptr, &filtered), S_FALSE);
  EXPECT_EQ(filtered, nullptr);
  IDropTarget* target = reinterpret_cast<IDropTarget*>(1);
  EXPECT_EQ(host_->GetDropTarget(nullptr, &target), E_NOTIMPL);
  EXPECT_EQ(target, nullptr);
}

TEST_F(AxHostWindowTest, ExternalDispatchStandsInWhenTheHandlerOffersNone) {
  com_ptr<FakeUIHandler> handler = MakeComObject<FakeUIHandler>();
  com_ptr<EmptyDispatch> external = MakeComObject<EmptyDispatch>();
  host_->SetExternalUIHandler(handler.get());
  host_->SetExternalDispatch(external.get());
  com_ptr<IDispatch> answer;
  ASSERT_EQ(host_->GetExternal(answer.put()), S_OK);
  EXPECT_EQ(answer.get(), static_cast<IDispatch*>(external.get()));

  host_->SetExternalDispatch(nullptr);
  EXPECT_EQ(host_->GetExternal(answer.put()), E_NOINTERFACE);
  EXPECT_FALSE(answer);
  EXPECT_EQ(host_->GetExternal(nullptr), E_POINTER);
}

TEST_F(AxHostWindowTest, PaintsItsBackgroundWhereNoControlIs) {
  // No control comes for an unregistered class; the host paints instead.
  EXPECT_TRUE(FAILED(host_->CreateControl(L"{00000000-1111-2222-3333-444455556666}", child_)));
  host_->SetBackgroundColor(RGB(0, 200, 0));
  ::InvalidateRect(child_, nullptr, TRUE);
  ::UpdateWindow(child_);
  const HDC dc = ::GetDC(child_);
  const COLORREF pixel = ::GetPixel(dc, 50, 50);
  ::ReleaseDC(child_, dc);
  EXPECT_EQ(pixel, RGB(0, 200, 0));
}

}  // namespace
