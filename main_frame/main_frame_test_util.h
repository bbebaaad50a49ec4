#ifndef MAIN_FRAME_MAIN_FRAME_TEST_UTIL_H_
#define MAIN_FRAME_MAIN_FRAME_TEST_UTIL_H_

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
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

// A window of the class `class_name`, registered here with DefWindowProcW as
// its procedure: a visible child at `rect` in `parent`, or a top-level window
// at `rect` shown without activation (which would cost seconds when the
// window goes, under Xvfb).
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
  if (!parent)
    ::ShowWindow(window, SW_SHOWNA);
  return window;
}

// A top-level window shaped like the browser's: a render widget at
// `render_rect` in its client area, over a compositor child.
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
      return std::make_unique<CMainFrameController>(frame_id, &manager_);
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
    ASSERT_TRUE(server_.Start());
  }

  // host_create for a tab of the render window's size.
  static CreateParams Params(const std::string& url = "") {
    return {.port = "port-7", .url = url, .session_id = 1, .width = 780, .height = 520};
  }
  AttachParams Attach(int width = 780) const { return {title_, width, 520, 1}; }
  CMainFrameController* Create(const CreateParams& params = Params()) {
    manager_.CrxCreate(params);
    return static_cast<CMainFrameController*>(manager_.GetFrameController(last_frame_id_));
  }
  // A page titled `title` (a word) on the test's server; its address.
  std::string ServePage(const std::string& title) {
    server_.Serve("/" + title, {.body = "<title>" + title + "</title>"});
    return WideToUtf8(server_.Url("/" + title));
  }
  // Waits for the page to report its title twice: at the change, and when
  // the document completes.
  bool WaitForPage() {
    return PumpMessagesUntil([&] {
      const Texts sent = stream_.Messages();
      return std::count_if(sent.begin(), sent.end(), [](const std::string& text) {
               return text.find("client_title_change") != std::string::npos;
             }) >= 2;
    });
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

// A frame showing a page, attached at tick 100000 over the browser's render
// window.
class AttachedFrameTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    controller_ = Create(Params(ServePage("attached")));
    ASSERT_TRUE(WaitForPage());
    controller_->frame()->SetTickCountForTesting([this] { return now_; });
    ASSERT_TRUE(controller_->frame()->AttachTab(Attach()));
    placed_ = ScreenRect(window_ = controller_->frame()->hwnd());
  }
  // Moves the focus away, lets `step` milliseconds pass and has the frame
  // take it: by force, or else with `front` in front. Whether the page has it.
  bool FocusAfter(DWORD step, HWND front = nullptr) {
    ::SetFocus(elsewhere_.get());
    now_ += step;
    if (front) {
      ::SetForegroundWindow(front);
      controller_->CrxFocus(1);
    } else {
      controller_->frame()->FocusMainFrame(/*force=*/true);
    }
    const HWND focus = ::GetFocus();
    return focus && ::IsChild(controller_->frame()->view().hwnd(), focus);
  }

  TestBrowserWindow browser_{title_, kBrowser, kRender};
  const unique_hwnd elsewhere_ = CreatePlainWindow(browser_.top.get(), WS_CHILD | WS_VISIBLE);
  CMainFrameController* controller_ = nullptr;
  HWND window_ = nullptr;
  RECT placed_ = {};
  DWORD now_ = 100000;
};

#endif  // MAIN_FRAME_MAIN_FRAME_TEST_UTIL_H_
