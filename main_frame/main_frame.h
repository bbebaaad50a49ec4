#ifndef MAIN_FRAME_MAIN_FRAME_H_
#define MAIN_FRAME_MAIN_FRAME_H_

#include <windows.h>

#include <docobj.h>
#include <exdisp.h>

#include <functional>
#include <memory>
#include <string>

#include "channel/msg_window.h"
#include "channel/request_params.h"
#include "ie_control/wnd_proc_hook.h"
#include "tab_view/tab_view.h"
#include "ui/banner/mode_banner.h"
#include "ui_base/message_loop.h"
#include "ui_base/task_queue.h"
#include "ui_base/window_impl.h"
#include "utils/com_ptr.h"

class CMainFrameController;

// The window that shows one page in one browser tab: created hidden, later
// laid over the tab's content in the browser's window (main_frame_attach.cc).
// It holds the page's view and a slot for the mode banner along its top.
// When its window is gone it reports to the manager, which deletes the
// controller and, with it, this object.
class CMainFrame : public WindowImpl, public CMessageFilter, public CWndProcHook {
 public:
  static constexpr int kViewControlId = 6;
  static constexpr int kBannerControlId = 111;

  // `controller` owns the frame.
  explicit CMainFrame(CMainFrameController* controller);
  ~CMainFrame() override;

  // The hidden window, twice the tab's size; false when it could not be
  // made (the frame then does nothing).
  [[nodiscard]] bool CreateFrame(const CreateParams& params);
  // Sets the request's cookies for its URL, then queues the navigation.
  void Navigate(const NavigateParams& params);
  bool GetFrameBrowser(com_ptr<IWebBrowser2>* browser);
  // The page's address; the last one asked for when the engine cannot tell.
  std::wstring GetLocationURL();
  [[nodiscard]] bool ExecBrowserCommand(OLECMDID command);
  // Whether a print preview or, failing that, the print dialog opened. Both
  // are modal loops in which the frame may close: this object may be gone
  // when the call returns.
  [[nodiscard]] bool Print();
  // Any thread: runs `call` on the frame's thread, unless the window goes
  // first (the call is then freed unrun).
  [[nodiscard]] bool PostCall(TaskQueue::Task call);
  // Closes for good: the window is destroyed before this returns, and so is
  // this object when the manager owns the controller.
  void QuitExtension();
  // The page closes itself: nothing shows, moves or focuses the frame again.
  void MarkClosing() { closing_ = true; }

  // Placement over the browser's tab (main_frame_attach.cc).
  bool AttachTab(const AttachParams& params);
  void DetachTab();
  bool ActivateTab(bool active);
  void ReSizeBrowser(int width, int height);
  void ShowMainFrame();
  void FocusMainFrame(bool force);
  // The browser window while attached; null otherwise.
  HWND ParentWindow() const;

  CTabView& view() { return view_; }
  const CreateParams& create_params() const { return create_params_; }
  bool is_attached() const { return attached_; }
  bool is_active() const { return active_; }
  bool is_layered() const { return layered_; }

  // CMessageFilter
  bool PreTranslateMessage(MSG* msg) override;

  void SetTickCountForTesting(std::function<DWORD()> tick_count);
  void SetReleaseCodeForTesting(int release_code);

  TB_BEGIN_MSG_MAP()
  TB_MESSAGE_HANDLER(WM_CREATE, OnCreate)
  TB_MESSAGE_HANDLER(WM_CLOSE, OnClose)
  TB_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  TB_MESSAGE_HANDLER(WM_SIZE, OnSize)
  TB_MESSAGE_HANDLER(RunCallMessage, OnRunCall)
  TB_END_MSG_MAP()

 protected:
  void OnFinalMessage(HWND hwnd) override;

 private:
  LRESULT OnCreate(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  LRESULT OnClose(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  LRESULT OnDestroy(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  LRESULT OnSize(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);
  LRESULT OnRunCall(UINT message, WPARAM wparam, LPARAM lparam, bool& handled);

  void CreateBanner();
  void LayOutChildren();
  void RemoveMessageFilter();
  int FrameId() const;

  CTabView view_;
  HWND render_widget_ = nullptr;
  bool active_ = true;
  bool attached_ = false;
  bool banner_ = true;
  std::unique_ptr<CModeBanner> mode_banner_;  // only with a banner and a skin
  CMainFrameController* const controller_;
  std::wstring last_url_;
  CreateParams create_params_;
  DWORD last_focus_time_ = 0;
  bool destroyed_ = false;
  bool closing_ = false;
  bool layered_ = false;
  std::function<DWORD()> tick_count_;
  std::function<int()> release_code_;
  TaskQueue calls_{RunCallMessage};
};

#endif  // MAIN_FRAME_MAIN_FRAME_H_
