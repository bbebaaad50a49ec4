#include "main_frame/main_frame.h"

#include <shlobj.h>

#include <algorithm>
#include <cwchar>

#include "host_functions/system_info.h"
#include "main_frame/dpi_scale.h"
#include "main_frame/frame_keys.h"
#include "main_frame/main_frame_controller.h"
#include "main_frame/main_frame_controller_manager.h"
#include "main_frame/tab_geometry.h"
#include "ui/skin/skin.h"
#include "utils/log.h"
#include "utils/log_failure.h"
#include "utils/ole_owners.h"

namespace {

// Keeps the doubled size of a tab the extension reports within what a window
// and our arithmetic can hold.
constexpr int kMaxTabExtent = 32767;

// A class of its own, named after its record the way the window library
// names generated classes.
const WindowClassInfo& FrameWindowClass() {
  static struct {
    wchar_t name[32];
    WindowClassInfo info;
  } record;
  static const bool named = [] {
    std::swprintf(record.name, std::size(record.name), L"ATL:%p", static_cast<void*>(&record));
    record.info = {record.name, 0, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)),
                   IDC_ARROW};
    return true;
  }();
  (void)named;
  return record.info;
}

bool IsKeyDown(int virtual_key) {
  return ::GetKeyState(virtual_key) < 0;
}

}  // namespace

CMainFrame::CMainFrame(CMainFrameController* controller)
    : view_(controller, controller->manager()),
      controller_(controller),
      tick_count_([] { return ::GetTickCount(); }),
      release_code_(&GetSystemVersion) {
  // The view's handlers may close the frame (a modal loop of the page): the
  // frame then ends only when they are done.
  view_.SetLifetimeOwner(this);
}

CMainFrame::~CMainFrame() {
  LOG(DEBUG) << L"CMainFrame Destructor " << static_cast<const void*>(this);
  RemoveMessageFilter();
}

bool CMainFrame::CreateFrame(const CreateParams& params) {
  banner_ = params.banner;
  create_params_ = params;
  const int width = std::clamp(params.width, 0, kMaxTabExtent);
  const int height = std::clamp(params.height, 0, kMaxTabExtent);
  if (!CreateWindowOfClass(FrameWindowClass(), nullptr, RECT{-width, -height, width, height},
                           WS_POPUP, WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, 0)) {
    return false;
  }
  wchar_t desktop[MAX_PATH] = L"";
  if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT,
                                   desktop))) {
    LOG_IF_WIN32_BOOL_FALSE(::SetCurrentDirectoryW(desktop));
  }
  return true;
}

void CMainFrame::Navigate(const NavigateParams& params) {
  if (!params.url.empty())
    last_url_ = params.url;
  view_.SetCookies(params.url.c_str(), params.cookie.c_str());
  view_.Navigate(params.url.c_str(), /*with_start_page=*/false);
}

bool CMainFrame::GetFrameBrowser(com_ptr<IWebBrowser2>* browser) {
  return view_.GetBrowser(browser);
}

std::wstring CMainFrame::GetLocationURL() {
  com_ptr<IWebBrowser2> browser;
  if (!GetFrameBrowser(&browser))
    return std::wstring();
  unique_bstr url;
  if (FAILED(browser->get_LocationURL(url.put())) || url.length() == 0)
    return last_url_;
  return std::wstring(url.get(), url.length());
}

bool CMainFrame::ExecBrowserCommand(OLECMDID command) {
  com_ptr<IWebBrowser2> browser;
  return GetFrameBrowser(&browser) &&
         SUCCEEDED(browser->ExecWB(command, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr));
}

bool CMainFrame::Print() {
  const ScopedUse in_use(this);
  if (ExecBrowserCommand(OLECMDID_PRINTPREVIEW))
    return true;
  return hwnd() && ExecBrowserCommand(OLECMDID_PRINT);
}

bool CMainFrame::PostCall(TaskQueue::Task call) {
  return hwnd() && calls_.Post(hwnd(), std::move(call));
}

void CMainFrame::QuitExtension() {
  closing_ = true;
  if (destroyed_) {
    LOG(DEBUG) << L"CMainFrame QuitExtension destroyed";
  } else if (::IsWindow(hwnd())) {
    LOG(DEBUG) << L"CMainFrame QuitExtension DestroyWindow";
    const HWND window = hwnd();
    ::ShowWindow(window, SW_HIDE);
    // May delete this object: nothing of it is touched afterwards.
    ::DestroyWindow(window);
  } else {
    LOG(DEBUG) << L"CMainFrame QuitExtension IsWindow false";
  }
}

bool CMainFrame::PreTranslateMessage(MSG* msg) {
  const HWND window = hwnd();
  if (!msg || !window || (msg->hwnd != window && !::IsChild(window, msg->hwnd)))
    return false;
  const FrameKey key = {msg->message, static_cast<unsigned>(msg->wParam), IsKeyDown(VK_CONTROL),
                        IsKeyDown(VK_SHIFT), IsKeyDown(VK_MENU)};
  switch (ClassifyFrameKey(key, create_params_.f12)) {
    case FrameKeyCommand::kOpenDevTools:
      controller_->OpenDevTools();
      return true;
    case FrameKeyCommand::kSaveAs:
      LOG_IF_FALSE(ExecBrowserCommand(OLECMDID_SAVEAS));
      return true;
    case FrameKeyCommand::kClose:
      // The engine turns it into the page closing itself.
      LOG_IF_FALSE(ExecBrowserCommand(OLECMDID_CLOSE));
      return true;
    case FrameKeyCommand::kNone:
      break;
  }
  return view_.PreTranslateMessage(msg);
}

void CMainFrame::SetTickCountForTesting(std::function<DWORD()> tick_count) {
  tick_count_ = std::move(tick_count);
}

void CMainFrame::SetReleaseCodeForTesting(int release_code) {
  release_code_ = [release_code] { return release_code; };
}

LRESULT CMainFrame::OnCreate(UINT, WPARAM, LPARAM, bool&) {
  RECT client = {};
  ::GetClientRect(hwnd(), &client);
  LOG_IF_FALSE(view_.Create(hwnd(), client, kViewControlId, /*visible=*/true));
  if (banner_)
    CreateBanner();
  if (CMessageLoop* loop = app_module::GetMessageLoop())
    loop->AddMessageFilter(this);
  LOG(DEBUG) << L"OnCreate";
  LOG_IF_FALSE(HookWindow(hwnd()));
  return 0;
}

LRESULT CMainFrame::OnClose(UINT, WPARAM, LPARAM, bool&) {
  closing_ = true;
  ::DestroyWindow(hwnd());
  return 0;
}

LRESULT CMainFrame::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
  LOG(DEBUG) << L"OnDestroy " << static_cast<const void*>(this) << L" destroyed " << destroyed_;
  if (destroyed_)
    return 0;
  destroyed_ = true;
  calls_.Clear();
  view_.Close();
  RemoveMessageFilter();
  handled = false;
  return 0;
}

LRESULT CMainFrame::OnSize(UINT, WPARAM, LPARAM, bool&) {
  LayOutChildren();
  return 0;
}

LRESULT CMainFrame::OnRunCall(UINT, WPARAM wparam, LPARAM, bool&) {
  calls_.OnWakeUp(wparam);
  return 0;
}

void CMainFrame::OnFinalMessage(HWND) {
  LOG(DEBUG) << L"OnFinalMessage " << static_cast<const void*>(this);
  CMainFrameControllerManager* manager = controller_->manager();
  // Deletes the controller and this object.
  manager->ProcessFrameDestroy(controller_->GetFrameId());
}

void CMainFrame::CreateBanner() {
  const Skin* skin = Skin::Shared();
  if (!skin)
    return;
  mode_banner_ = CModeBanner::Make(*skin, controller_);
  if (!mode_banner_)
    return;
  mode_banner_->SetMode(create_params_.compatible_mode, create_params_.compatible_mode_gp);
  const int scale = SnapDpiScale(GetDpiScale(hwnd()));
  const RECT strip = {0, 0, create_params_.width, BannerHeightForDpiScale(scale)};
  if (!mode_banner_->Create(hwnd(), strip, kBannerControlId, scale))
    mode_banner_.reset();
}

void CMainFrame::LayOutChildren() {
  RECT client = {};
  ::GetClientRect(hwnd(), &client);
  RECT view = client;
  const HWND banner = ::GetDlgItem(hwnd(), kBannerControlId);
  if (banner_ && banner) {
    const int banner_height = BannerHeightForDpiScale(GetDpiScale(hwnd()));
    ::MoveWindow(banner, 0, 0, client.right, banner_height, TRUE);
    view.top = banner_height;
  }
  if (view_.hwnd()) {
    ::MoveWindow(view_.hwnd(), view.left, view.top, view.right - view.left,
                 std::max(0L, view.bottom - view.top), TRUE);
  }
}

void CMainFrame::RemoveMessageFilter() {
  if (CMessageLoop* loop = app_module::GetMessageLoop())
    loop->RemoveMessageFilter(this);
}

int CMainFrame::FrameId() const {
  return controller_->GetFrameId();
}
