#include "main_frame/main_frame_controller_manager.h"

#include <windows.h>

#include <new>
#include <string>
#include <utility>
#include <vector>

#include "channel/client_notifications.h"
#include "channel/msg_window.h"
#include "channel/std_handles.h"
#include "engine_config/ie_feature_control.h"
#include "host_functions/run_process.h"
#include "host_functions/version_compare.h"
#include "main_frame/main_frame.h"
#include "utils/log.h"
#include "utils/string_util.h"

CMainFrameControllerManager& CMainFrameControllerManager::GetInstance() {
  // Never destroyed: at exit the reader thread may still be blocked on the
  // input, or finishing a message, inside them. Process exit ends it.
  static auto* const stream = new StdChannelStream;
  static auto* const manager = new CMainFrameControllerManager(stream, &CMsgWindow::GetInstance());
  return *manager;
}

CMainFrameControllerManager::CMainFrameControllerManager(NativeMessage::Stream* stream,
                                                         NativeMessage::CallRunner* runner)
    : channel_(this, stream, runner) {}

CMainFrameControllerManager::~CMainFrameControllerManager() {
  // Controllers left here belong to windows that may outlive us.
  for (auto& [id, controller] : frames_)
    (void)controller.release();
}

bool CMainFrameControllerManager::StartReader() {
  return reader_.Start(this, 0);
}

void CMainFrameControllerManager::Run(CThreadRun*, int) {
  channel_.ReadLoop();
}

template <typename Call>
bool CMainFrameControllerManager::Forward(int frame_id, Call call) {
  DCHECK_CALLED_ON_VALID_THREAD(ui_thread_);
  IFrameController* controller = GetFrameController(frame_id);
  return controller ? call(controller) : false;
}

bool CMainFrameControllerManager::CrxCreate(const CreateParams& params) {
  DCHECK_CALLED_ON_VALID_THREAD(ui_thread_);
  LOG(DEBUG) << L"CrxCreate " << Utf8ToWide(params.url);
  IFrameController* controller = CreateController();
  if (!controller) {
    SendCommonResponse(params.session_id, "-1");
    return false;
  }
  const int frame_id = controller->GetFrameId();
  creating_frame_id_ = frame_id;
  const bool created = controller->CrxCreate(params);
  creating_frame_id_ = -1;
  if (created)
    return true;
  // No window: nothing will ever close this frame. Its id stays used.
  LOG(DEBUG) << L"CrxCreate no frame FrameId " << frame_id;
  RemoveController(frame_id);
  SendCommonResponse(params.session_id, "-1");
  return false;
}

bool CMainFrameControllerManager::CrxAttach(const AttachParams& params) {
  LOG(DEBUG) << L"CrxAttach Title " << params.title << L" FrameId: " << params.frame_id;
  IFrameController* controller = GetFrameController(params.frame_id);
  if (!controller) {
    LOG(DEBUG) << L"CrxAttach GetFrameController ERROR FrameId: " << params.frame_id;
    return false;
  }
  return controller->CrxAttach(params);
}

bool CMainFrameControllerManager::CrxDetach(int frame_id) {
  return Forward(frame_id, [&](IFrameController* c) { return c->CrxDetach(frame_id); });
}

bool CMainFrameControllerManager::CrxActivate(int frame_id, bool active) {
  return Forward(frame_id, [&](IFrameController* c) { return c->CrxActivate(frame_id, active); });
}

bool CMainFrameControllerManager::CrxNavigate(const NavigateParams& params) {
  return Forward(params.frame_id, [&](IFrameController* c) { return c->CrxNavigate(params); });
}

bool CMainFrameControllerManager::CrxReSize(int frame_id, int width, int height) {
  return Forward(frame_id,
                 [&](IFrameController* c) { return c->CrxReSize(frame_id, width, height); });
}

bool CMainFrameControllerManager::CrxBack(int frame_id) {
  return Forward(frame_id, [&](IFrameController* c) { return c->CrxBack(frame_id); });
}

bool CMainFrameControllerManager::CrxForward(int frame_id) {
  return Forward(frame_id, [&](IFrameController* c) { return c->CrxForward(frame_id); });
}

bool CMainFrameControllerManager::CrxReload(int frame_id) {
  return Forward(frame_id, [&](IFrameController* c) { return c->CrxReload(frame_id); });
}

bool CMainFrameControllerManager::CrxFocus(int frame_id) {
  return Forward(frame_id, [&](IFrameController* c) { return c->CrxFocus(frame_id); });
}

bool CMainFrameControllerManager::CrxPrint(int frame_id) {
  return Forward(frame_id, [&](IFrameController* c) { return c->CrxPrint(frame_id); });
}

bool CMainFrameControllerManager::CrxSetEmulation(int frame_id, int session_id, int mode) {
  // Takes effect in the next process: the engine reads it at start-up.
  const bool stored = IEFeatureControl::GetInstance().SetEmulation(mode);
  SendCommonResponse(session_id, "-1");
  return stored;
}

bool CMainFrameControllerManager::CrxPing(const PingParams& params) {
  return SendCommonResponse(params.session_id, "-1");
}

bool CMainFrameControllerManager::CrxClose(int frame_id, int session_id) {
  DCHECK_CALLED_ON_VALID_THREAD(ui_thread_);
  LOG(DEBUG) << L"CrxClose FrameId " << frame_id;
  IFrameController* controller = GetFrameController(frame_id);
  if (!controller) {
    LOG(DEBUG) << L"CrxClose not found  CMainFrameController " << frame_id;
    return false;
  }
  controller->CrxClose(frame_id, -1);
  return true;
}

bool CMainFrameControllerManager::QuitExtension() {
  DCHECK_CALLED_ON_VALID_THREAD(ui_thread_);
  // Closing a frame removes it from the map (its window's final message),
  // and may remove others: walk the ids and look each one up again. The lock
  // is not held while a frame closes.
  std::vector<int> ids;
  {
    AutoLock lock(map_lock_);
    for (const auto& entry : frames_)
      ids.push_back(entry.first);
  }
  for (int id : ids) {
    if (IFrameController* controller = GetFrameController(id))
      controller->CrxClose(id, -1);
  }
  {
    AutoLock lock(map_lock_);
    // What is left had no window to close; its controllers are not deleted,
    // since a window that is still going away may yet call into them.
    for (auto& [id, controller] : frames_)
      (void)controller.release();
    frames_.clear();
  }
  QuitMessageLoop();
  LOG(DEBUG) << L"QuitExtension";
  return true;
}

bool CMainFrameControllerManager::CrxCheckVersion(const CheckVersionParams& params) {
  const bool differs = CompareVersions(std::string_view(kHostVersion), params.version) != 0;
  return SendCommonResponse(params.session_id, differs ? "update" : "");
}

bool CMainFrameControllerManager::CrxUpdate(const UpdateParams& params) {
  if (services_.update)
    services_.update(params);
  else
    LOG(DEBUG) << L"CrxUpdate no installer";
  return SendCommonResponse(params.session_id, "-1");
}

bool CMainFrameControllerManager::CrxIEOptions(int frame_id, int session_id) {
  wchar_t system_dir[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(system_dir, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    const std::wstring rundll = std::wstring(system_dir) + L"\\rundll32.exe";
    if (::GetFileAttributesW(rundll.c_str()) != INVALID_FILE_ATTRIBUTES)
      RunProcess(rundll, L"shell32.dll,Control_RunDLL inetcpl.cpl,,0", 0, true);
  }
  return SendCommonResponse(session_id, "-1");
}

bool CMainFrameControllerManager::CrxGroupPolicies(int frame_id, int session_id) {
  if (!services_.group_policies) {
    LOG(DEBUG) << L"CrxGroupPolicies not available";
    return SendCommonResponse(session_id, "unknown");
  }
  return SendCommonResponse(session_id, services_.group_policies());
}

bool CMainFrameControllerManager::CrxDeviceId(int frame_id, int session_id) {
  if (!services_.device_id) {
    LOG(DEBUG) << L"CrxDeviceId not available";
    return SendCommonResponse(session_id, "unknown");
  }
  return SendCommonResponse(session_id, services_.device_id());
}

bool CMainFrameControllerManager::CrxGetDefaultEmulation(int session_id) {
  const int mode = IEFeatureControl::GetInstance().GetDefaultEmulation();
  return SendCommonResponse(session_id, std::to_string(mode));
}

void CMainFrameControllerManager::OnRequestDropped(std::string_view where) {
  // The line needs memory too; without it the drop goes unrecorded.
  try {
    LOG(ERROR) << L"Request dropped, out of memory in " << Utf8ToWide(where);
  } catch (const std::bad_alloc&) {
  }
}

bool CMainFrameControllerManager::SendToExtension(std::string_view text) {
  return channel_.WriteMessage(text);
}

bool CMainFrameControllerManager::SendCommonResponse(int session_id, std::string_view ret) {
  const auto text = BuildCommonResponse(session_id, ret);
  return text && SendToExtension(*text);
}

bool CMainFrameControllerManager::SendCookieSync(std::wstring_view url,
                                                 std::wstring_view values,
                                                 bool http_only) {
  int frame_id = -1;
  if (!GetFirstFrameId(&frame_id))
    return false;
  const auto text = BuildCookieSync(WideToUtf8(url), WideToUtf8(values), http_only, frame_id);
  return text && SendToExtension(*text);
}

IFrameController* CMainFrameControllerManager::CreateController() {
  if (!services_.create_controller) {
    LOG(DEBUG) << L"CreateController no frames in this build";
    return nullptr;
  }
  AutoLock lock(map_lock_);
  const int frame_id = ++last_frame_id_;
  std::unique_ptr<IFrameController> controller = services_.create_controller(frame_id);
  if (!controller)
    return nullptr;
  IFrameController* raw = controller.get();
  frames_[frame_id] = std::move(controller);
  return raw;
}

IFrameController* CMainFrameControllerManager::GetFrameController(int frame_id) {
  AutoLock lock(map_lock_);
  const auto it = frames_.find(frame_id);
  return it == frames_.end() ? nullptr : it->second.get();
}

int CMainFrameControllerManager::GetFrameCount() {
  AutoLock lock(map_lock_);
  return static_cast<int>(frames_.size());
}

bool CMainFrameControllerManager::GetFirstFrameId(int* frame_id) {
  AutoLock lock(map_lock_);
  if (frames_.empty())
    return false;
  *frame_id = frames_.begin()->first;
  return true;
}

int CMainFrameControllerManager::FindOtherFrameId(int frame_id) {
  AutoLock lock(map_lock_);
  for (auto it = frames_.rbegin(); it != frames_.rend(); ++it) {
    if (it->first != frame_id && it->second)
      return it->first;
  }
  return -1;
}

bool CMainFrameControllerManager::RemoveController(int frame_id) {
  std::unique_ptr<IFrameController> controller;
  {
    AutoLock lock(map_lock_);
    const auto it = frames_.find(frame_id);
    if (it == frames_.end())
      return false;
    controller = std::move(it->second);
    frames_.erase(it);
  }
  // Deleted outside the lock: the frame, view and control go with it, and
  // whatever they run must not find the map locked.
  controller.reset();
  LOG(DEBUG) << L"RemoveController " << frame_id;
  return true;
}

bool CMainFrameControllerManager::CreateNewFrame(int opener_frame_id,
                                                 int* new_frame_id,
                                                 CMainFrame** frame) {
  DCHECK_CALLED_ON_VALID_THREAD(ui_thread_);
  IFrameController* opener = GetFrameController(opener_frame_id);
  const CreateParams* opener_params = opener ? opener->GetCreateParams() : nullptr;
  if (!opener_params)
    return false;
  const CreateParams params = *opener_params;
  IFrameController* controller = CreateController();
  if (!controller)
    return false;
  const int frame_id = controller->GetFrameId();
  const int outer_frame_id = std::exchange(creating_frame_id_, frame_id);
  controller->CreateFrameFrom(params, frame);
  creating_frame_id_ = outer_frame_id;
  if (!*frame || !(*frame)->hwnd()) {
    // Nothing would ever close a frame without a window.
    LOG(DEBUG) << L"CreateNewFrame no frame FrameId " << frame_id;
    *frame = nullptr;
    RemoveController(frame_id);
    return false;
  }
  *new_frame_id = frame_id;
  return true;
}

INewFrameSource::Result CMainFrameControllerManager::CreateFrameForNewWindow(
    int opener_frame_id,
    int* new_frame_id,
    com_ptr<IDispatch>* browser) {
  CMainFrame* frame = nullptr;
  if (!CreateNewFrame(opener_frame_id, new_frame_id, &frame))
    return Result::kNoFrame;
  com_ptr<IWebBrowser2> web_browser;
  if (frame->GetFrameBrowser(&web_browser) && SUCCEEDED(web_browser.query(browser)))
    return Result::kCreated;
  // The extension never hears of this frame, so it must not stay.
  ::DestroyWindow(frame->hwnd());
  *new_frame_id = -1;
  return Result::kNoBrowser;
}

void CMainFrameControllerManager::ProcessFrameDestroy(int frame_id) {
  LOG(DEBUG) << L"ProcessFrameDestroy FrameId " << frame_id;
  // A window that fails while being created ends before its controller is
  // done with it; CrxCreate removes that controller.
  if (frame_id == creating_frame_id_)
    return;
  int review_frame_id = -1;
  if (GetFrameCount() > 1 && services_.should_show_review && services_.should_show_review())
    review_frame_id = FindOtherFrameId(frame_id);
  RemoveController(frame_id);
  if (review_frame_id > 0) {
    if (IFrameController* controller = GetFrameController(review_frame_id)) {
      LOG(DEBUG) << L"ShowReviewDialog FrameId " << review_frame_id;
      controller->ShowReviewDialog(false);
    }
  }
  if (GetFrameCount() == 0) {
    QuitMessageLoop();
    LOG(DEBUG) << L"Frame Count Is 0, QuitMessageLoop";
  }
}

void CMainFrameControllerManager::QuitMessageLoop() {
  channel_.Stop();
  ::PostQuitMessage(0);
}
