#include "tab_view/tab_view.h"

#include <shellapi.h>
#include <shlwapi.h>
#include <wininet.h>

#include "host_functions/review_settings.h"
#include "tab_view/cookie_lines.h"
#include "tab_view/new_window_rules.h"
#include "utils/log.h"
#include "utils/log_failure.h"

namespace {

std::wstring OrEmpty(const wchar_t* text) {
  return text ? text : L"";
}

}  // namespace

CTabView::CTabView(NativeMessage::ClientDelegate* owner, INewFrameSource* new_frames)
    : CIEControl(/*external=*/nullptr, /*notify=*/this), owner_(owner), new_frames_(new_frames) {}

void CTabView::SetCookies(const wchar_t* url, const wchar_t* cookie_text) {
  if (!url || !*url || !cookie_text || !*cookie_text)
    return;
  for (const CookieLine& line : ParseCookieLines(cookie_text)) {
    LOG_IF_WIN32_BOOL_FALSE(::InternetSetCookieExW(
        url, nullptr, line.cookie.c_str(), line.http_only ? INTERNET_COOKIE_HTTPONLY : 0, 0));
  }
}

void CTabView::NotifyDocumentComplete(int control_id, const wchar_t* url, const wchar_t* title) {
  const unsigned long count = IncrementReviewOpenCount();
  LOG(DEBUG) << L"NotifyDocumentComplete FrameId " << owner_->GetFrameId() << L" ReviewOpenCount "
             << count;
  owner_->ClientTitleChange(title);
}

void CTabView::NotifyBeforeNavigate(int control_id, bool top_frame, const wchar_t* url) {
  owner_->ClientBeforeNavigate(top_frame, url);
}

void CTabView::NotifyTitleChange(const wchar_t* title) {
  owner_->ClientTitleChange(title);
}

void CTabView::NotifyCloseTab() {
  LOG(DEBUG) << L"NotifyCloseTab FrameId " << owner_->GetFrameId();
  owner_->ClientCloseTab();
}

void CTabView::NotifyEvaluateNewWindow(const wchar_t* url,
                                       const wchar_t* name,
                                       const wchar_t* url_context,
                                       const wchar_t* features,
                                       BOOL replace,
                                       DWORD flags,
                                       DWORD user_action_time) {
  new_windows_.Add({.url = url && *url ? url : L"about:blank",
                    .name = OrEmpty(name),
                    .url_context = OrEmpty(url_context),
                    .features = OrEmpty(features),
                    .replace = static_cast<uint32_t>(replace),
                    .flags = flags,
                    .user_action_time = user_action_time});
}

void CTabView::NotifyNewWindow(IDispatch** new_window,
                               VARIANT_BOOL* cancel,
                               DWORD flags,
                               const wchar_t* url_context,
                               const wchar_t* url) {
  const std::wstring event_url = OrEmpty(url);
  NewFrameParam param{.url = event_url.empty() ? L"about:blank" : event_url};
  LOG(DEBUG) << L"NotifyNewWindow " << param.url;
  if (std::optional<NewWindowParam> record =
          new_windows_.Take(event_url, OrEmpty(url_context), flags)) {
    param.features = std::move(record->features);
    LOG(DEBUG) << L"NotifyNewWindow GetNewWindowCacheParam " << param.features;
  }
  if (!event_url.empty() && ::UrlIsW(event_url.c_str(), URLIS_FILEURL) && NamesFolder(event_url) &&
      OpenFolderInShell(event_url)) {
    *cancel = VARIANT_TRUE;
    return;
  }
  int new_frame_id = -1;
  com_ptr<IDispatch> browser;
  switch (new_frames_->CreateFrameForNewWindow(owner_->GetFrameId(), &new_frame_id, &browser)) {
    case INewFrameSource::Result::kCreated:
      param.popup = AsksForPopup(flags);
      param.new_frame_id = new_frame_id;
      owner_->ClientNewWindow(param);
      *new_window = browser.release();
      LOG(DEBUG) << L"NotifyNewWindow SUCCESS nNewFrameId: " << new_frame_id;
      return;
    case INewFrameSource::Result::kNoFrame:
      LOG(DEBUG) << L"NotifyNewWindow CreateNewFrame ERROR";
      break;
    case INewFrameSource::Result::kNoBrowser:
      LOG(DEBUG) << L"NotifyNewWindow GetFrameBrowser ERROR";
      break;
  }
  LOG(DEBUG) << L"NotifyNewWindow NativeNewTab";
  *cancel = VARIANT_TRUE;
  owner_->ClientNewTab(param.url.c_str(), /*force_ie=*/true);
}

bool CTabView::OpenFolderInShell(const std::wstring& url) {
  LOG(DEBUG) << L"ShellExecuteEx " << url;
  SHELLEXECUTEINFOW info = {sizeof(info)};
  info.hwnd = hwnd();
  info.lpVerb = L"open";
  info.lpFile = url.c_str();
  info.nShow = SW_SHOW;
  return LOG_IF_WIN32_BOOL_FALSE(::ShellExecuteExW(&info));
}
