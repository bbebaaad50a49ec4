#ifndef MAIN_FRAME_MAIN_FRAME_CONTROLLER_MANAGER_H_
#define MAIN_FRAME_MAIN_FRAME_CONTROLLER_MANAGER_H_

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "channel/native_message.h"
#include "main_frame/frame_controller.h"
#include "main_frame/thread_run.h"
#include "tab_view/new_frame_source.h"
#include "utils/critical_section.h"
#include "utils/log_failure.h"

// Stands between the extension channel and the frames: hands out frame ids,
// owns the controllers, answers the process-wide requests, forwards the
// per-frame ones and ends the message loop when the last frame is gone or the
// input ends.
class CMainFrameControllerManager : public IThreadRunCallBack,
                                    public NativeMessage::Delegate,
                                    public INewFrameSource {
 public:
  // Services that other parts of the program plug in; each may be absent.
  struct Services {
    FrameControllerFactory create_controller;
    // Whether the rating prompt is due when a frame closes.
    std::function<bool()> should_show_review;
    // The policy and device-identifier documents answered as "ret".
    std::function<std::string()> group_policies;
    std::function<std::string()> device_id;
    // Installs a newer executable sent by the extension.
    std::function<void(const UpdateParams&)> update;
  };

  // The process's manager, on the channel's standard handles. It lives until
  // the process ends, and so does its reader thread.
  static CMainFrameControllerManager& GetInstance();

  CMainFrameControllerManager(NativeMessage::Stream* stream, NativeMessage::CallRunner* runner);
  ~CMainFrameControllerManager() override;
  CMainFrameControllerManager(const CMainFrameControllerManager&) = delete;
  CMainFrameControllerManager& operator=(const CMainFrameControllerManager&) = delete;

  Services& services() { return services_; }
  NativeMessage& channel() { return channel_; }

  // Starts the reader thread. Called once the message window exists. The
  // reader must end before a manager that started it is destroyed.
  bool StartReader();

  // IThreadRunCallBack: the reader thread's body.
  void Run(CThreadRun* thread, int param) override;

  // NativeMessage::Delegate
  bool CrxCreate(const CreateParams& params) override;
  bool CrxAttach(const AttachParams& params) override;
  bool CrxDetach(int frame_id) override;
  bool CrxActivate(int frame_id, bool active) override;
  bool CrxNavigate(const NavigateParams& params) override;
  bool CrxReSize(int frame_id, int width, int height) override;
  bool CrxBack(int frame_id) override;
  bool CrxForward(int frame_id) override;
  bool CrxReload(int frame_id) override;
  bool CrxSetEmulation(int frame_id, int session_id, int mode) override;
  bool CrxPing(const PingParams& params) override;
  bool CrxClose(int frame_id, int session_id) override;
  bool QuitExtension() override;
  bool CrxCheckVersion(const CheckVersionParams& params) override;
  bool CrxUpdate(const UpdateParams& params) override;
  bool CrxFocus(int frame_id) override;
  bool CrxPrint(int frame_id) override;
  bool CrxIEOptions(int frame_id, int session_id) override;
  bool CrxGroupPolicies(int frame_id, int session_id) override;
  bool CrxDeviceId(int frame_id, int session_id) override;
  bool CrxGetDefaultEmulation(int session_id) override;
  void OnRequestDropped(std::string_view where) override;

  // Senders; any thread.
  bool SendToExtension(std::string_view text);
  bool SendCommonResponse(int session_id, std::string_view ret);
  // Reported for the open frame with the smallest id; not sent when none is.
  bool SendCookieSync(std::wstring_view url, std::wstring_view values, bool http_only);

  // Bookkeeping; any thread.
  IFrameController* GetFrameController(int frame_id);
  int GetFrameCount();
  bool GetFirstFrameId(int* frame_id);
  int FindOtherFrameId(int frame_id);
  bool RemoveController(int frame_id);

  // A frame for a window that the opener's page opens: made from a copy of
  // the opener's create record, not navigated, nothing sent. False when the
  // opener is unknown or has no frame, or the new frame gets no window.
  [[nodiscard]] bool CreateNewFrame(int opener_frame_id, int* new_frame_id, CMainFrame** frame);

  // INewFrameSource
  Result CreateFrameForNewWindow(int opener_frame_id,
                                 int* new_frame_id,
                                 com_ptr<IDispatch>* browser) override;

  // The frame's window has received its final message.
  void ProcessFrameDestroy(int frame_id);
  void QuitMessageLoop();

 private:
  IFrameController* CreateController();
  template <typename Call>
  bool Forward(int frame_id, Call call);

  std::map<int, std::unique_ptr<IFrameController>> frames_;
  int last_frame_id_ = 0;
  // The frame whose controller is inside CrxCreate; UI thread only.
  int creating_frame_id_ = -1;
  // Requests run on the thread that made the manager, the UI thread.
  ThreadChecker ui_thread_;
  CThreadRun reader_;
  NativeMessage channel_;
  CriticalSection map_lock_;
  Services services_;
};

#endif  // MAIN_FRAME_MAIN_FRAME_CONTROLLER_MANAGER_H_
