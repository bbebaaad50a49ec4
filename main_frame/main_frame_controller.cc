#include "main_frame/main_frame_controller.h"

#include <windows.h>

#include <docobj.h>
#include <wininet.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include "channel/client_notifications.h"
#include "host_functions/system_info.h"
#include "main_frame/main_frame.h"
#include "main_frame/main_frame_controller_manager.h"
#include "ui/skin/skin.h"
#include "utils/log.h"
#include "utils/string_util.h"

namespace {

// Key data of a single press of the key with scan code 1 (Escape).
constexpr LPARAM kEscapeKeyData = 0x00010001;
// The cookie store may change between the size query and the read.
constexpr int kCookieReadAttempts = 3;

std::string Utf8(const wchar_t* text) {
  return text ? WideToUtf8(text) : std::string();
}

// What the engine would send with a request to `url`; cookies hidden from
// scripts are left out.
std::wstring CookiesFor(const std::wstring& url) {
  for (int attempt = 0; attempt < kCookieReadAttempts; ++attempt) {
    DWORD size = 0;
    if (!::InternetGetCookieW(url.c_str(), nullptr, nullptr, &size) || size == 0)
      return std::wstring();
    // Some versions count the size in bytes, others in characters: `size`
    // characters hold either.
    std::wstring cookies(size, L'\0');
    if (::InternetGetCookieW(url.c_str(), nullptr, cookies.data(), &size)) {
      cookies.resize(::wcsnlen(cookies.c_str(), cookies.size()));
      return cookies;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
      return std::wstring();
  }
  return std::wstring();
}

}  // namespace

CMainFrameController::CMainFrameController(int frame_id, CMainFrameControllerManager* manager)
    : frame_id_(frame_id), manager_(manager) {}

CMainFrameController::~CMainFrameController() = default;

bool CMainFrameController::CrxCreate(const CreateParams& params) {
  if (frame_) {
    manager_->SendCommonResponse(params.session_id, std::to_string(frame_id_));
    return true;
  }
  if (!CreateFrame(params))
    return false;
  // The extension learns the id before the first navigation can report.
  manager_->SendCommonResponse(params.session_id, std::to_string(frame_id_));
  NavigateParams navigate;
  navigate.frame_id = frame_id_;
  navigate.url = Utf8ToWide(params.url);
  navigate.cookie = Utf8ToWide(params.cookie);
  frame_->Navigate(navigate);
  return true;
}

bool CMainFrameController::CrxAttach(const AttachParams& params) {
  if (!frame_) {
    LOG(DEBUG) << L"CrxAttach m_pMainFrame NULL FrameId: " << params.frame_id;
    return false;
  }
  if (closing_) {
    LOG(DEBUG) << L"CrxAttach Close FrameId: " << params.frame_id;
    ClientAttachState(-1);
    return true;
  }
  ClientAttachState(frame_->AttachTab(params) ? 1 : 0);
  return true;
}

bool CMainFrameController::CrxDetach(int frame_id) {
  if (!frame_)
    return false;
  frame_->DetachTab();
  return true;
}

bool CMainFrameController::CrxActivate(int frame_id, bool active) {
  return frame_ && frame_->ActivateTab(active);
}

bool CMainFrameController::CrxNavigate(const NavigateParams& params) {
  if (!frame_)
    return false;
  frame_->Navigate(params);
  return true;
}

bool CMainFrameController::CrxReSize(int frame_id, int width, int height) {
  LOG(DEBUG) << L"CrxReSize FrameId " << frame_id_;
  if (!frame_)
    return false;
  frame_->ReSizeBrowser(width, height);
  frame_->ShowMainFrame();
  return true;
}

bool CMainFrameController::CrxBack(int frame_id) {
  if (!frame_)
    return false;
  frame_->view().GoBack();
  return true;
}

bool CMainFrameController::CrxForward(int frame_id) {
  if (!frame_)
    return false;
  frame_->view().GoForward();
  return true;
}

bool CMainFrameController::CrxReload(int frame_id) {
  if (!frame_)
    return false;
  frame_->view().Refresh();
  return true;
}

bool CMainFrameController::CrxClose(int frame_id, int session_id) {
  closing_ = true;
  if (!frame_)
    return false;
  // The window's end deletes this controller when the manager owns it.
  frame_->QuitExtension();
  return true;
}

bool CMainFrameController::QuitExtension() {
  return CrxClose(frame_id_, -1);
}

bool CMainFrameController::CrxFocus(int frame_id) {
  LOG(DEBUG) << L"CrxFocus " << L" FrameId " << frame_id;
  if (frame_)
    frame_->FocusMainFrame(/*force=*/false);
  return true;
}

bool CMainFrameController::CrxPrint(int frame_id) {
  if (!frame_)
    return false;
  // An open menu or pop-up of the browser would swallow the preview.
  if (const HWND parent = frame_->ParentWindow()) {
    ::PostMessageW(parent, WM_KEYDOWN, VK_ESCAPE, kEscapeKeyData);
    ::PostMessageW(parent, WM_KEYUP, VK_ESCAPE, kEscapeKeyData);
  }
  // May delete this controller: nothing of it is touched afterwards.
  return frame_->Print();
}

bool CMainFrameController::ClientNewWindow(const NewFrameParam& param) {
  return Send(BuildNewWindow(WideToUtf8(param.url), param.popup, WideToUtf8(CookiesFor(param.url)),
                             WideToUtf8(param.features), frame_id_, param.new_frame_id, port_));
}

bool CMainFrameController::ClientNewTab(const wchar_t* url, bool force_ie) {
  return Send(BuildNewTab(url ? WideToUtf8(url) : "about:blank", frame_id_, port_, force_ie));
}

bool CMainFrameController::ClientBeforeNavigate(bool top_level, const wchar_t* url) {
  return Send(BuildBeforeNavigate(top_level, Utf8(url), frame_id_));
}

bool CMainFrameController::ClientBack() {
  return Send(BuildBack(frame_id_));
}

bool CMainFrameController::ClientForward() {
  return Send(BuildForward(frame_id_));
}

bool CMainFrameController::ClientAttachState(int state) {
  std::wstring title;
  if (frame_)
    (void)frame_->view().GetTitle(&title);
  return Send(BuildAttachState(state, frame_id_, WideToUtf8(title)));
}

bool CMainFrameController::ClientTitleChange(const wchar_t* title) {
  return Send(BuildTitleChange(Utf8(title), frame_id_));
}

bool CMainFrameController::ClientLeaveCurrentTab() {
  if (!frame_)
    return false;
  const std::wstring url = frame_->GetLocationURL();
  return !url.empty() && Send(BuildLeaveCurrentTab(WideToUtf8(url), frame_id_));
}

bool CMainFrameController::ClientSetCompatibleMode(int mode) {
  return Send(BuildSetCompatibleMode(mode, frame_id_, port_));
}

bool CMainFrameController::OpenDevTools() {
  if (!frame_)
    return false;
  if (!dev_tools_site_) {
    com_ptr<IWebBrowser2> browser;
    if (!frame_->GetFrameBrowser(&browser))
      return true;
    dev_tools_site_ =
        MakeComObject<IEDevToolsSiteImpl>(com_ptr<IUnknown>(browser.get()), GetIEMajorVersion());
    LOG(DEBUG) << L"OpenDevTools new site FrameId " << frame_id_;
  }
  const HWND page = FindPageWindow(frame_->view().GetHostWindow());
  LOG(DEBUG) << L"OpenDevTools FrameId " << frame_id_ << L" page "
             << reinterpret_cast<uintptr_t>(page);
  return dev_tools_site_->Open(/*show=*/true, page);
}

bool CMainFrameController::ClientCloseTab() {
  closing_ = true;
  if (!frame_)
    return false;
  frame_->MarkClosing();
  if (const HWND view = frame_->view().hwnd())
    ::EnableWindow(view, FALSE);
  return Send(BuildCloseTab(WideToUtf8(frame_->GetLocationURL()), frame_id_));
}

std::string CMainFrameController::GetPort() const {
  return port_;
}

int CMainFrameController::GetFrameId() const {
  return frame_id_;
}

bool CMainFrameController::ShowReviewDialog(bool from_banner) {
  if (rating_view_) {
    if (const HWND window = rating_view_->hwnd()) {
      // One that is up, or waits to come up by itself, stays; the user's
      // request replaces one that still waits.
      if (!from_banner || ::IsWindowVisible(window))
        return true;
      ::DestroyWindow(window);
    }
    rating_view_.reset();
  }
  const Skin* skin = Skin::Shared();
  if (!skin)
    return false;
  const HWND owner = from_banner && frame_ ? frame_->hwnd() : nullptr;
  rating_view_ = CRatingView::Make(*skin, this, from_banner, owner);
  if (!rating_view_ || !rating_view_->Create()) {
    rating_view_.reset();
    return false;
  }
  return true;
}

const CreateParams* CMainFrameController::GetCreateParams() const {
  return frame_ ? &frame_->create_params() : nullptr;
}

void CMainFrameController::CreateFrameFrom(const CreateParams& params, CMainFrame** frame) {
  if (!frame_)
    (void)CreateFrame(params);
  *frame = frame_.get();
}

bool CMainFrameController::CreateFrame(const CreateParams& params) {
  port_ = params.port;
  frame_ = std::make_unique<CMainFrame>(this);
  if (frame_->CreateFrame(params))
    return true;
  // Later operations find no window and do nothing.
  LOG(DEBUG) << L"CreateFrame failed FrameId " << frame_id_;
  return false;
}

bool CMainFrameController::Send(const std::optional<std::string>& text) {
  return text && manager_->SendToExtension(*text);
}
