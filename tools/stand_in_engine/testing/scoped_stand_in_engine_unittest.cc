#include "tools/stand_in_engine/testing/scoped_stand_in_engine.h"

#include <windows.h>

#include <exdisp.h>

#include <gtest/gtest.h>

#include "tests/child_process.h"
#include "ui_base/ax_test_util.h"
#include "utils/com_ptr.h"
#include "utils/ole_owners.h"

namespace {

struct ServerKey {
  std::wstring path;
  std::wstring threading_model;
  bool operator==(const ServerKey&) const = default;
};

std::wstring ReadString(const wchar_t* name) {
  wchar_t text[MAX_PATH] = {};
  DWORD size = sizeof(text);
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, kWebBrowserServerKey, name, RRF_RT_REG_SZ, nullptr, text,
                     &size) != ERROR_SUCCESS) {
    return L"(missing)";
  }
  return text;
}

ServerKey ReadServerKey() {
  return {ReadString(nullptr), ReadString(L"ThreadingModel")};
}

com_ptr<IWebBrowser2> CreateWebBrowser() {
  com_ptr<IWebBrowser2> browser;
  (void)::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IWebBrowser2,
                           browser.put_void());
  return browser;
}

// True when the code behind `object` lies in the loaded module `name`: tells
// the stand-in from Wine's own control.
bool ImplementedIn(IUnknown* object, const wchar_t* name) {
  HMODULE owner = nullptr;
  return object &&
         ::GetModuleHandleExW(
             GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
             *reinterpret_cast<const wchar_t* const*>(object), &owner) &&
         owner == ::GetModuleHandleW(name);
}

// Shows about:blank, unhosted, as the product's first navigation does.
bool LoadsAPage(IWebBrowser2* browser) {
  const unique_bstr url = MakeBstr(L"about:blank");
  unique_variant empty;
  return SUCCEEDED(
             browser->Navigate(url.get(), empty.get(), empty.get(), empty.get(), empty.get())) &&
         PumpMessagesUntil([browser] {
           unique_bstr location;
           return SUCCEEDED(browser->get_LocationURL(location.put())) && location.length() > 0;
         });
}

// For register_test.py, which registers the engine from outside: 0 when
// CLSID_WebBrowser makes a stand-in that loads a page, 1 when Wine's control
// answers, 2 when nothing usable does.
TB_CHILD_ROUTINE(StandInAnswersWebBrowser) {
  ScopedOleInitialize ole;
  const com_ptr<IWebBrowser2> browser = CreateWebBrowser();
  if (ImplementedIn(browser.get(), L"ieframe.dll"))
    return 1;
  return ImplementedIn(browser.get(), L"stand_in_engine.dll") && LoadsAPage(browser.get()) ? 0 : 2;
}

TEST(ScopedStandInEngineTest, CoCreateInstanceGetsTheStandInWhileRegisteredAndWineAfter) {
  ScopedOleInitialize ole;
  ASSERT_TRUE(ole.ok());
  const ServerKey before = ReadServerKey();
  {
    ScopedStandInEngine engine;
    ASSERT_TRUE(engine.registered());
    EXPECT_EQ(ReadServerKey(), (ServerKey{engine.dll_path(), L"Apartment"}));
    const com_ptr<IWebBrowser2> browser = CreateWebBrowser();
    EXPECT_TRUE(ImplementedIn(browser.get(), L"stand_in_engine.dll"));
    EXPECT_TRUE(browser && LoadsAPage(browser.get()));
  }
  EXPECT_EQ(ReadServerKey(), before);
  EXPECT_TRUE(ImplementedIn(CreateWebBrowser().get(), L"ieframe.dll"));

  // A DLL that is not there leaves the registration alone.
  EXPECT_FALSE(ScopedStandInEngine(L"C:\\nowhere\\stand_in_engine.dll").registered());
  EXPECT_EQ(ReadServerKey(), before);
}

}  // namespace
