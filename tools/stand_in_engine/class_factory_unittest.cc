#include <windows.h>

#include <exdisp.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <memory>

#include "tools/stand_in_engine/testing/engine_test.h"
#include "tools/stand_in_engine/testing/stand_in_dll.h"

namespace {

using Microsoft::WRL::ComPtr;

class StandInDllTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dll_.loaded()); }

  ScopedOleInitialize ole_;
  StandInDll dll_;
};

TEST_F(StandInDllTest, ClassObjectOnlyForTheWebBrowser) {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(dll_.GetClassObject(CLSID_InternetExplorer, IID_PPV_ARGS(&factory)),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(factory, nullptr);
  EXPECT_EQ(dll_.GetClassObject(CLSID_WebBrowser, IID_IClassFactory, nullptr), E_POINTER);
  ComPtr<IDispatch> not_a_factory;
  EXPECT_EQ(dll_.GetClassObject(CLSID_WebBrowser, IID_PPV_ARGS(&not_a_factory)), E_NOINTERFACE);
  EXPECT_EQ(not_a_factory, nullptr);
  ASSERT_EQ(dll_.GetClassObject(CLSID_WebBrowser, IID_PPV_ARGS(&factory)), S_OK);

  ComPtr<IUnknown> browser;
  ComPtr<IUnknown> outer = factory;
  EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_PPV_ARGS(&browser)), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(browser, nullptr);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
  ComPtr<IClassFactory> not_a_browser;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&not_a_browser)), E_NOINTERFACE);
  EXPECT_EQ(not_a_browser, nullptr);
  ComPtr<IWebBrowser2> web_browser;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&web_browser)), S_OK);
  EXPECT_TRUE(IsImplementedIn(web_browser.Get(), dll_.module()));
}

TEST_F(StandInDllTest, CanUnloadOnlyWhenNothingIsInUse) {
  EXPECT_EQ(dll_.CanUnloadNow(), S_OK);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(dll_.GetClassObject(CLSID_WebBrowser, IID_PPV_ARGS(&factory)), S_OK);
  EXPECT_EQ(dll_.CanUnloadNow(), S_FALSE);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  ComPtr<IWebBrowser2> browser;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&browser)), S_OK);
  factory.Reset();
  EXPECT_EQ(dll_.CanUnloadNow(), S_FALSE);

  // The connection point keeps its browser.
  ComPtr<IConnectionPointContainer> points;
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(browser.As(&points), S_OK);
  ASSERT_EQ(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &point), S_OK);
  browser.Reset();
  points.Reset();
  EXPECT_EQ(dll_.CanUnloadNow(), S_FALSE);
  point.Reset();
  EXPECT_EQ(dll_.CanUnloadNow(), S_FALSE);  // still locked

  ASSERT_EQ(dll_.GetClassObject(CLSID_WebBrowser, IID_PPV_ARGS(&factory)), S_OK);
  ASSERT_EQ(factory->LockServer(FALSE), S_OK);
  factory.Reset();
  EXPECT_EQ(dll_.CanUnloadNow(), S_OK);
}

// A worker that is still loading keeps the DLL in memory after everyone
// else let it go, and lets it go itself once done.
TEST(StandInDllLifetimeTest, LoadUnderWayOutlivesTheBrowserAndTheDll) {
  ScopedOleInitialize ole;
  TestHttpServer server;
  ASSERT_TRUE(server.Start());
  server.Serve("/slow.html", {.body = "<title>slow</title>", .hold = true});
  auto dll = std::make_unique<StandInDll>();
  ASSERT_TRUE(dll->loaded());
  const HMODULE module = dll->module();
  {
    TestContainer container;
    ASSERT_TRUE(container.Host(dll->CreateBrowser()));
    ASSERT_EQ(container.Navigate(server.Url("/slow.html")), S_OK);
    ASSERT_TRUE(server.WaitForRequests(1));
  }
  EXPECT_EQ(dll->CanUnloadNow(), S_OK);
  dll.reset();
  EXPECT_EQ(::GetModuleHandleW(L"stand_in_engine.dll"), module);
  server.ReleaseHeld();
  EXPECT_TRUE(PumpMessagesUntil([] { return !::GetModuleHandleW(L"stand_in_engine.dll"); }));
}

}  // namespace
