#ifndef TOOLS_STAND_IN_ENGINE_TESTING_TEST_CONTAINER_H_
#define TOOLS_STAND_IN_ENGINE_TESTING_TEST_CONTAINER_H_

#include <windows.h>

#include <exdisp.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "tools/stand_in_engine/testing/event_recorder.h"
#include "tools/stand_in_engine/testing/test_site.h"
#include "utils/scoped_handle.h"

// Upper bound for anything the engine is expected to do in a test.
inline constexpr DWORD kEngineWaitMs = 10000;

// A minimal in-place container for one WebBrowser control in tests, built
// the way OLE lays out hosting (not a copy of the product's host): a popup
// window, a TestSite and an EventRecorder advised on DWebBrowserEvents2.
class TestContainer {
 public:
  TestContainer();
  TestContainer(const TestContainer&) = delete;
  TestContainer& operator=(const TestContainer&) = delete;
  ~TestContainer();

  // Sites `control`, activates it in place and advises the recorder; false
  // when any step fails.
  [[nodiscard]] bool Host(Microsoft::WRL::ComPtr<IUnknown> control);
  // Unadvises, closes and unsites the control and lets it go.
  void Unhost();

  HWND window() const { return window_.get(); }
  IWebBrowser2* browser() const { return browser_.Get(); }
  TestSite& site() { return *site_.Get(); }
  EventRecorder& recorder() { return *recorder_.Get(); }
  const std::vector<std::wstring>& trace() const { return trace_; }
  void ClearTrace() { trace_.clear(); }

  HRESULT Navigate(const std::wstring& url);
  // Pumps until the trace holds `line`.
  bool WaitForTrace(const std::wstring& line, DWORD timeout_ms = kEngineWaitMs);
  // Pumps until the trace holds a line that starts with `prefix`.
  bool WaitForTracePrefix(const std::wstring& prefix, DWORD timeout_ms = kEngineWaitMs);

 private:
  unique_hwnd window_;
  std::vector<std::wstring> trace_;
  Microsoft::WRL::ComPtr<TestSite> site_;
  Microsoft::WRL::ComPtr<EventRecorder> recorder_;
  Microsoft::WRL::ComPtr<IUnknown> control_;
  Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
  Microsoft::WRL::ComPtr<IConnectionPoint> events_;
  DWORD cookie_ = 0;
};

#endif  // TOOLS_STAND_IN_ENGINE_TESTING_TEST_CONTAINER_H_
