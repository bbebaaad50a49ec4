#include "tools/stand_in_engine/testing/scoped_stand_in_engine.h"

#include <windows.h>

#include <exdisp.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "tests/child_process.h"
#include "tools/stand_in_engine/testing/engine_test.h"
#include "tools/stand_in_engine/testing/test_container.h"

namespace {

using Microsoft::WRL::ComPtr;

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

ComPtr<IUnknown> CreateWebBrowser() {
  ComPtr<IUnknown> browser;
  ::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&browser));
  return browser;
}

// For register_test.py, which registers the engine from outside: 0 when
// CLSID_WebBrowser makes a stand-in that loads a page, 1 when Wine's control
// answers, 2 when nothing usable does.
TB_CHILD_ROUTINE(StandInAnswersWebBrowser) {
  ScopedOleInitialize ole;
  TestContainer container;
  const ComPtr<IUnknown> browser = CreateWebBrowser();
  if (!ole.ok() || !browser)
    return 2;
  if (!IsImplementedIn(browser.Get(), ::GetModuleHandleW(L"stand_in_engine.dll")))
    return 1;
  const bool loaded = container.Host(browser) && SUCCEEDED(container.Navigate(L"about:blank")) &&
                      container.WaitForTrace(L"DocumentComplete top about:blank");
  return loaded ? 0 : 2;
}

TEST(ScopedStandInEngineTest, CoCreateInstanceGetsTheStandInWhileRegisteredAndWineAfter) {
  ScopedOleInitialize ole;
  ASSERT_TRUE(ole.ok());
  const ServerKey before = ReadServerKey();
  {
    ScopedStandInEngine engine;
    ASSERT_TRUE(engine.registered());
    EXPECT_EQ(ReadServerKey(), (ServerKey{engine.dll_path(), L"Apartment"}));

    // The product creates its control this way; it must get the stand-in,
    // and a working one.
    TestContainer container;
    ComPtr<IUnknown> browser = CreateWebBrowser();
    ASSERT_TRUE(browser);
    EXPECT_TRUE(IsImplementedIn(browser.Get(), ::GetModuleHandleW(L"stand_in_engine.dll")));
    ASSERT_TRUE(container.Host(browser));
    ASSERT_EQ(container.Navigate(L"about:blank"), S_OK);
    EXPECT_TRUE(container.WaitForTrace(L"DocumentComplete top about:blank"));
  }
  EXPECT_EQ(ReadServerKey(), before);
  const ComPtr<IUnknown> wine_browser = CreateWebBrowser();
  ASSERT_TRUE(wine_browser);
  EXPECT_TRUE(IsImplementedIn(wine_browser.Get(), ::GetModuleHandleW(L"ieframe.dll")));
}

TEST(ScopedStandInEngineTest, MissingDllLeavesTheRegistrationAlone) {
  const ServerKey before = ReadServerKey();
  {
    ScopedStandInEngine engine(L"C:\\nowhere\\stand_in_engine.dll");
    EXPECT_FALSE(engine.registered());
    EXPECT_EQ(ReadServerKey(), before);
  }
  EXPECT_EQ(ReadServerKey(), before);
}

}  // namespace
