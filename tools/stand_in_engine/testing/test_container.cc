#include "tools/stand_in_engine/testing/test_container.h"

#include <ocidl.h>

#include <algorithm>

#include "tools/stand_in_engine/scoped_com.h"
#include "ui_base/ax_test_util.h"

namespace {

constexpr wchar_t kWindowClass[] = L"StandInTestContainer";

HWND CreateContainerWindow() {
  WNDCLASSEXW window_class = {sizeof(window_class)};
  window_class.lpfnWndProc = ::DefWindowProcW;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = kWindowClass;
  if (!::RegisterClassExW(&window_class) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return nullptr;
  // A popup at fixed coordinates: Xvfb has no window manager to place it.
  HWND window = ::CreateWindowExW(0, kWindowClass, L"stand-in test", WS_POPUP, 0, 0, 640, 480,
                                  nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  // Not activated: Wine under Xvfb takes seconds to destroy an activated window.
  if (window)
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

}  // namespace

TestContainer::TestContainer() : window_(CreateContainerWindow()) {
  site_ = NewComObject<TestSite>(window_.get(), &trace_);
}

TestContainer::~TestContainer() {
  Unhost();
}

bool TestContainer::Host(Microsoft::WRL::ComPtr<IUnknown> control) {
  Microsoft::WRL::ComPtr<IOleObject> ole_object;
  Microsoft::WRL::ComPtr<IConnectionPointContainer> points;
  if (!window_ || !control || FAILED(control.As(&ole_object)) || FAILED(control.As(&browser_)) ||
      FAILED(control.As(&points))) {
    return false;
  }
  control_ = control;
  recorder_ = NewComObject<EventRecorder>(control.Get(), &trace_);
  RECT position = site_->position;
  return SUCCEEDED(ole_object->SetClientSite(site_.Get())) &&
         SUCCEEDED(ole_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0,
                                      window_.get(), &position)) &&
         SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &events_)) &&
         SUCCEEDED(events_->Advise(recorder_.Get(), &cookie_));
}

void TestContainer::Unhost() {
  if (events_ && cookie_)
    events_->Unadvise(cookie_);
  events_.Reset();
  cookie_ = 0;
  Microsoft::WRL::ComPtr<IOleObject> ole_object;
  if (control_ && SUCCEEDED(control_.As(&ole_object))) {
    ole_object->Close(OLECLOSE_NOSAVE);
    ole_object->SetClientSite(nullptr);
  }
  browser_.Reset();
  control_.Reset();
}

HRESULT TestContainer::Navigate(const std::wstring& url) {
  const unique_bstr text = MakeBstr(url);
  ScopedVariant flags, frame, post_data, headers;
  return browser_->Navigate(text.get(), flags.get(), frame.get(), post_data.get(), headers.get());
}

bool TestContainer::WaitForTrace(const std::wstring& line, DWORD timeout_ms) {
  return PumpMessagesUntil(
      [&] { return std::find(trace_.begin(), trace_.end(), line) != trace_.end(); }, timeout_ms);
}

bool TestContainer::WaitForTracePrefix(const std::wstring& prefix, DWORD timeout_ms) {
  return PumpMessagesUntil(
      [&] {
        return std::any_of(trace_.begin(), trace_.end(),
                           [&](const std::wstring& line) { return line.starts_with(prefix); });
      },
      timeout_ms);
}
