// How a frame sits over its browser tab: it becomes a sibling of the tab's
// render window in the browser's window, covers it exactly and stays above
// it. It moves only when the extension asks; between requests it follows the
// browser window as its child.
#include "host_functions/system_info.h"
#include "main_frame/main_frame.h"
#include "main_frame/main_frame_controller.h"
#include "main_frame/tab_geometry.h"
#include "main_frame/window_finder.h"
#include "utils/log.h"

namespace {

constexpr DWORD kAttachedStyle = WS_CHILD | WS_CLIPCHILDREN;
constexpr BYTE kOpaque = 255;

void AddStyle(HWND window, LONG style) {
  ::SetWindowLongW(window, GWL_STYLE, ::GetWindowLongW(window, GWL_STYLE) | style);
}

}  // namespace

bool CMainFrame::AttachTab(const AttachParams& params) {
  const HWND window = hwnd();
  if (!window) {
    LOG(DEBUG) << L"AttachTab no window FrameId: " << params.frame_id;
    return false;
  }
  FindWindowSpec browser_spec;
  browser_spec.title_part = params.title;
  const HWND browser = FindTopLevelWindow(&browser_spec);
  attached_ = false;
  active_ = true;
  if (!browser) {
    render_widget_ = nullptr;
    ::ShowWindow(window, SW_HIDE);
    LOG(DEBUG) << L"AttachTab hChromeFrameWnd NULL FrameId: " << params.frame_id;
    return false;
  }
  RECT browser_rect = {};
  ::GetWindowRect(browser, &browser_rect);
  if (browser_rect.right - browser_rect.left < params.width) {
    LOG(DEBUG) << L"AttachTab nFrameWidth < params.nWidth FrameId: " << params.frame_id;
    return false;
  }
  const HWND render = FindRenderWidget(browser, params.width, params.height);
  if (!render) {
    LOG(DEBUG) << L"AttachTab hChromeRenderWnd NULL FrameId: " << params.frame_id;
    return false;
  }

  // The browser's own children must not paint over the frame.
  FindWindowSpec compositor_spec;
  compositor_spec.class_name = kCompositorWindowClass;
  if (const HWND compositor = FindChildWindow(browser, &compositor_spec))
    AddStyle(compositor, WS_CLIPSIBLINGS);
  AddStyle(render, WS_CLIPSIBLINGS);

  ::SetWindowLongW(window, GWL_STYLE, kAttachedStyle);
  // A child of a window without a redirection bitmap shows only when layered.
  if (!layered_ && IsChromeRemoveRedirectionBitmapOn(release_code_(), browser)) {
    ::SetWindowLongW(window, GWL_EXSTYLE, ::GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(window, 0, kOpaque, LWA_ALPHA);
    layered_ = true;
  }
  ::SetParent(window, browser);
  render_widget_ = render;
  attached_ = true;

  ReSizeBrowser(params.width, params.height);
  ShowMainFrame();
  FocusMainFrame(/*force=*/true);
  LOG(DEBUG) << L"AttachTab SUCCESS " << params.title << L" FrameId: " << params.frame_id;
  return true;
}

void CMainFrame::DetachTab() {
  render_widget_ = nullptr;
  attached_ = false;
  ::SetParent(hwnd(), nullptr);
  ::ShowWindow(hwnd(), SW_HIDE);
}

bool CMainFrame::ActivateTab(bool active) {
  LOG(DEBUG) << L"ActivateTab " << active << L" FrameId " << FrameId();
  if (active && render_widget_) {
    active_ = true;
    ShowMainFrame();
  } else {
    active_ = false;
    ::ShowWindow(hwnd(), SW_HIDE);
  }
  return true;
}

void CMainFrame::ReSizeBrowser(int width, int height) {
  const HWND parent = ParentWindow();
  if (!parent || !active_ || !attached_ || controller_->IsClosing())
    return;
  POINT origin = {0, 0};
  ::ClientToScreen(parent, &origin);
  RECT render = {};
  // A render window that has gone gives no place to go to.
  if (!::GetWindowRect(render_widget_, &render))
    return;
  ::MoveWindow(hwnd(), render.left - origin.x, render.top - origin.y, width, height, TRUE);
  LOG(DEBUG) << L"ReSizeBrowser";
}

void CMainFrame::ShowMainFrame() {
  if (controller_->IsClosing() || !attached_)
    return;
  LOG(DEBUG) << L"ShowMainFrame FrameId " << FrameId();
  ::SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CMainFrame::FocusMainFrame(bool force) {
  if (closing_ || destroyed_ || controller_->IsClosing() || !attached_)
    return;
  const DWORD now = tick_count_();
  if (WithinFocusGate(last_focus_time_, now)) {
    LOG(DEBUG) << L"FocusMainFrame Not NeedFocus FrameId " << FrameId();
    return;
  }
  last_focus_time_ = now;
  if (force) {
    (void)view_.FocusWebBrowser();
    LOG(DEBUG) << L"FocusMainFrame FrameId " << FrameId() << L" FocusWebBrowser Force";
  } else if (const HWND root = ::GetAncestor(hwnd(), GA_ROOT); ::IsWindow(root)) {
    if (root == ::GetForegroundWindow()) {
      (void)view_.FocusWebBrowser();
      LOG(DEBUG) << L"FocusMainFrame FrameId " << FrameId() << L" FocusWebBrowser ";
    } else {
      LOG(DEBUG) << L"FocusMainFrame Skip Not Foreground FrameId " << FrameId();
    }
  }
  // A layered child is not repainted with its parent.
  if (layered_)
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

HWND CMainFrame::ParentWindow() const {
  const HWND window = hwnd();
  if (!window)
    return nullptr;
  // A top-level window's parent is the desktop.
  const HWND parent = ::GetAncestor(window, GA_PARENT);
  return parent == ::GetDesktopWindow() ? nullptr : parent;
}
