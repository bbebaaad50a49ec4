#ifndef MAIN_FRAME_MAIN_FRAME_TEST_UTIL_H_
#define MAIN_FRAME_MAIN_FRAME_TEST_UTIL_H_

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "main_frame/main_frame.h"
#include "main_frame/main_frame_controller.h"
#include "main_frame/main_frame_controller_manager.h"
#include "main_frame/window_finder.h"
#include "tests/channel_test_util.h"
#include "tests/scoped_registry_backup.h"
#include "tools/stand_in_engine/testing/scoped_stand_in_engine.h"
#include "ui_base/ax_test_util.h"
#include "utils/scoped_handle.h"

// Test support for frames: a manager writing into memory, real controllers
// and frames hosting the stand-in engine, and windows shaped like a
// browser's.

// Upper bound for anything a frame or the engine is expected to do.
inline constexpr DWORD kFrameWaitMs = 10000;

// A member of a notification's JSON text as text (strings unquoted, numbers
// and booleans as printed); nothing when it is missing.
std::optional<std::string> JsonMember(const std::string& text, const char* name);

// A controller that remembers what only the frame asks of it.
class TestController : public CMainFrameController {
 public:
  using CMainFrameController::CMainFrameController;
  bool OpenDevTools() override;
  int dev_tools_requests = 0;
};

// Frames made through a manager of the test's own, on the stand-in engine.
// Frames still open at the end are closed.
class FrameTest : public testing::Test {
 protected:
  FrameTest();
  ~FrameTest() override;
  void SetUp() override;

  // host_create with the given record; the new frame's controller.
  TestController* Create(CreateParams params);
  TestController* Controller(int frame_id);
  // Sent texts whose "action" is `action`.
  std::vector<std::string> Sent(const std::string& action) const;
  std::vector<std::string> SentActions() const;
  bool WaitForSent(const std::string& action, size_t count = 1);
  // Removes a quit message the manager posted; true when there was one.
  static bool TakeQuitMessage();

  ScopedOleInitialize ole_;
  // Completed pages count in the user's settings; the engine is registered
  // for the machine.
  ScopedRegistryKeyBackup settings_{HKEY_CURRENT_USER, L"Software\\tabbridge"};
  ScopedStandInEngine engine_;
  CaptureStream stream_;
  InlineRunner runner_;
  CMainFrameControllerManager manager_{&stream_, &runner_};
};

// A top-level window shaped like the browser's: the given title and screen
// rectangle, a render widget at `render` in its client area and a compositor
// child. Shown without activation.
class TestBrowserWindow {
 public:
  TestBrowserWindow(const std::wstring& title,
                    const RECT& window,
                    const RECT& render,
                    DWORD ex_style = 0);
  HWND hwnd() const { return top_.get(); }
  HWND render() const { return render_; }
  HWND compositor() const { return compositor_; }
  RECT RenderScreenRect() const;

 private:
  unique_hwnd top_;
  HWND render_ = nullptr;
  HWND compositor_ = nullptr;
};

// A title no other window has.
std::wstring UniqueTitle(const std::wstring& base);

// Screen rectangle of a window.
RECT ScreenRect(HWND window);

// Rectangles in expectations.
inline bool operator==(const RECT& a, const RECT& b) {
  return ::EqualRect(&a, &b) != FALSE;
}
void PrintTo(const RECT& rect, std::ostream* out);

#endif  // MAIN_FRAME_MAIN_FRAME_TEST_UTIL_H_
