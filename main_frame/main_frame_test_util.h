#ifndef MAIN_FRAME_MAIN_FRAME_TEST_UTIL_H_
#define MAIN_FRAME_MAIN_FRAME_TEST_UTIL_H_

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "main_frame/main_frame.h"
#include "main_frame/main_frame_controller.h"
#include "main_frame/main_frame_controller_manager.h"
#include "main_frame/window_finder.h"
#include "tests/channel_test_util.h"
#include "tests/scoped_registry_backup.h"
#include "tests/testing/test_http_server.h"
#include "tools/stand_in_engine/testing/scoped_stand_in_engine.h"
#include "ui_base/ax_test_util.h"
#include "utils/scoped_handle.h"
#include "utils/string_util.h"

// Test support for frames: a manager writing into memory, real controllers
// and frames on the stand-in engine, and windows shaped like a browser's.

using Texts = std::vector<std::string>;

inline bool operator==(const RECT& a, const RECT& b) {
  return ::EqualRect(&a, &b) != FALSE;
}

inline RECT ScreenRect(HWND window) {
  RECT rect = {};
  ::GetWindowRect(window, &rect);
  return rect;
}

// Removes a quit message the manager posted; true when there was one.
inline bool TakeQuitMessage() {
  MSG msg;
  return ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

// A title no other window has.
inline std::wstring UniqueTitle(const std::wstring& base) {
  static int counter = 0;
  return base + L" " + std::to_wstring(::GetCurrentProcessId()) + L"." + std::to_wstring(++counter);
}

// A window of a class of its own name whose procedure is DefWindowProcW: a
// visible child at `rect` in `parent`, or a top-level window shown on top
// without activation (which costs seconds when it goes, under Xvfb).
inline HWND CreateTestWindow(const wchar_t* class_name,
                             HWND parent,
                             const RECT& rect,
                             const std::wstring& title = L"",
                             DWORD ex_style = 0) {
  WNDCLASSEXW window_class = {sizeof(window_class)};
  window_class.lpfnWndProc = &::DefWindowProcW;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = class_name;
  ::RegisterClassExW(&window_class);  // fails once it exists
  const HWND window = ::CreateWindowExW(
      ex_style, class_name, title.c_str(), parent ? WS_CHILD | WS_VISIBLE : WS_POPUP, rect.left,
      rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, nullptr, nullptr);
  if (!parent) {
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
  return window;
}

// A top-level window shaped like the browser's: a render widget at `render`
// in its client area, over a compositor child.
struct TestBrowserWindow {
  TestBrowserWindow(const std::wstring& title,
                    const RECT& rect,
                    const RECT& render_rect,
                    DWORD ex_style = 0)
      : top(CreateTestWindow(L"TabBridgeTestBrowser", nullptr, rect, title, ex_style)),
        compositor(CreateTestWindow(kCompositorWindowClass,
                                    top.get(),
                                    {0, 0, rect.right - rect.left, rect.bottom - rect.top})),
        render(CreateTestWindow(kRenderWidgetClass, top.get(), render_rect)) {}
  unique_hwnd top;
  HWND compositor;
  HWND render;
};

// A controller that counts what only the frame asks of it.
class TestController : public CMainFrameController {
 public:
  using CMainFrameController::CMainFrameController;
  bool OpenDevTools() override {
    ++dev_tools_requests;
    return false;
  }
  int dev_tools_requests = 0;
};

// Frames made through a manager of the test's own; those still open at the
// end are closed.
class FrameTest : public testing::Test {
 protected:
  // A browser whose render window, 780 x 520, sits 70 pixels down.
  static constexpr RECT kBrowser = {100, 80, 900, 680};
  static constexpr RECT kRender = {0, 70, 780, 590};

  FrameTest() {
    manager_.services().create_controller = [this](int frame_id) {
      last_frame_id_ = frame_id;
      return std::make_unique<TestController>(frame_id, &manager_);
    };
  }
  ~FrameTest() override {
    for (int id = 1; id <= last_frame_id_; ++id) {
      manager_.CrxClose(id, -1);
      manager_.RemoveController(id);  // one whose frame never had a window
    }
    TakeQuitMessage();
  }
  void SetUp() override {
    ASSERT_TRUE(ole_.ok());
    ASSERT_TRUE(engine_.registered()) << "stand_in_engine.dll not found beside the test program";
  }

  // host_create for a tab of the render window's size.
  static CreateParams Params(const std::string& url = "") {
    return {.port = "port-7", .url = url, .session_id = 1, .width = 780, .height = 520};
  }
  AttachParams Attach(int width = 780) const { return {title_, width, 520, 1}; }
  TestController* Create(const CreateParams& params = Params()) {
    manager_.CrxCreate(params);
    return Controller(last_frame_id_);
  }
  TestController* Controller(int frame_id) {
    return static_cast<TestController*>(manager_.GetFrameController(frame_id));
  }
  // A page titled `title` (a word) on the test's server; its address.
  std::string ServePage(const std::string& title) {
    if (!server_.port()) {
      EXPECT_TRUE(server_.Start());
    }
    server_.Serve("/" + title, {.body = "<title>" + title + "</title>"});
    return WideToUtf8(server_.Url("/" + title));
  }
  Texts Sent(std::string_view action) const {
    Texts sent;
    for (const std::string& text : stream_.Messages()) {
      if (text.find("\"" + std::string(action) + "\"") != std::string::npos)
        sent.push_back(text);
    }
    return sent;
  }
  bool WaitForSent(std::string_view action, size_t count) {
    return PumpMessagesUntil([&] { return Sent(action).size() >= count; });
  }

  ScopedOleInitialize ole_;
  // Completed pages count in the user's settings.
  ScopedRegistryKeyBackup settings_{HKEY_CURRENT_USER, L"Software\\tabbridge"};
  ScopedStandInEngine engine_;
  TestHttpServer server_;
  CaptureStream stream_;
  InlineRunner runner_;
  CMainFrameControllerManager manager_{&stream_, &runner_};
  int last_frame_id_ = 0;
  const std::wstring title_ = UniqueTitle(L"Test Browser");
};

#endif  // MAIN_FRAME_MAIN_FRAME_TEST_UTIL_H_
