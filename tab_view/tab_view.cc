#include "tab_view/tab_view.h"

#include <wininet.h>

#include "tab_view/cookie_lines.h"
#include "tab_view/review_counter.h"
#include "utils/log.h"
#include "utils/log_failure.h"

CTabView::CTabView(NativeMessage::ClientDelegate* owner)
    : CIEControl(/*external=*/nullptr, /*notify=*/this), owner_(owner) {}

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
