#include "ie_control/ie_control.h"

#include <cwchar>

#include "ui_base/message_loop.h"
#include "utils/log.h"
#include "utils/log_failure.h"
#include "utils/ole_owners.h"

namespace {

const WindowClassInfo kWindowClass = {
    L"TabBridge_IEWND",
    CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS,
    reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)),
    IDC_ARROW,
};

std::wstring ResourcePage(const wchar_t* name) {
  if (!name || !*name)
    return std::wstring();
  wchar_t module[MAX_PATH] = L"";
  ::GetModuleFileNameW(app_module::Instance(), module, MAX_PATH);
  return std::wstring(L"res://") + module + L"/" + name;
}

// The URL an event carries, or null.
const wchar_t* UrlOf(const VARIANT* url) {
  return url && V_VT(url) == VT_BSTR ? V_BSTR(url) : nullptr;
}

// WM_XBUTTONDBLCLK: the horizontal wheel (0x020E) is left out.
constexpr UINT kLastForwardedMouseMessage = 0x020D;

bool IsKeyboardOrMouseMessage(UINT message) {
  return (message >= WM_KEYDOWN && message <= WM_UNICHAR) ||
         (message >= WM_MOUSEMOVE && message <= kLastForwardedMouseMessage);
}

}  // namespace

CIEControl::CIEControl(IDispatch* external,
                       IIEControlNotify* notify,
                       const wchar_t* start_page_name,
                       const wchar_t* error_page_name)
    : external_(com_ptr<IDispatch>(external)),
      notify_(notify),
      start_page_(ResourcePage(start_page_name)),
      error_page_(ResourcePage(error_page_name)) {}

CIEControl::~CIEControl() {
  UnhookWindow();
  com_ptr<IWebBrowser2> browser;
  (void)GetBrowser(&browser);
  LetGoOfEventSink(browser.get());
  host_.reset();
}

bool CIEControl::RegisterHostWindowClass() {
  return WindowImpl::RegisterWindowClass(kWindowClass);
}

HWND CIEControl::Create(HWND parent, const RECT& rect, int control_id, bool visible) {
  const DWORD style = WS_CHILD | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0);
  if (!CreateWindowOfClass(kWindowClass, parent, rect, style, 0, control_id))
    return nullptr;

  host_ = MakeComObject<IEAx>();
  host_->CreateBrowser(hwnd(), notify_);
  host_->SetExternalDispatch(external_.get());

  com_ptr<IWebBrowser2> browser;
  if (GetBrowser(&browser)) {
    event_sink_ = MakeComObject<IEBrowserEventSink>(this);
    LOG_IF_FALSE(event_sink_->Advise(browser.get()));
  }
  LOG_IF_FALSE(HookWindow(hwnd()));
  return hwnd();
}

void CIEControl::Navigate(const wchar_t* url, bool with_start_page) {
  if (with_start_page && !start_page_.empty())
    PostNavigate(start_page_);
  if (url && *url)
    PostNavigate(url);
}

void CIEControl::PostNavigate(const std::wstring& url) {
  // Without a window the wake-up would become a thread message.
  if (!hwnd())
    return;
  (void)navigations_.Post(hwnd(), [this, url] { NavigateNow(url); });
}

void CIEControl::GoBack() {
  com_ptr<IWebBrowser2> browser;
  if (GetBrowser(&browser))
    LOG_IF_FAILED(browser->GoBack());
}

void CIEControl::GoForward() {
  com_ptr<IWebBrowser2> browser;
  if (GetBrowser(&browser))
    LOG_IF_FAILED(browser->GoForward());
}

void CIEControl::Refresh() {
  com_ptr<IWebBrowser2> browser;
  if (GetBrowser(&browser))
    LOG_IF_FAILED(browser->Refresh());
}

bool CIEControl::GetDocument2(com_ptr<IHTMLDocument2>* document) {
  com_ptr<IWebBrowser2> browser;
  com_ptr<IDispatch> dispatch;
  if (!GetBrowser(&browser) || FAILED(browser->get_Document(dispatch.put())) || !dispatch) {
    LOG(DEBUG) << L"get_Document Fail";
    return false;
  }
  if (FAILED(dispatch.query(document)) || !*document) {
    LOG(DEBUG) << L"spDoc2 Fail";
    return false;
  }
  return true;
}

bool CIEControl::FocusDocument() {
  com_ptr<IHTMLDocument2> document;
  if (!GetDocument2(&document)) {
    LOG(DEBUG) << L"GetDocument2 Fail";
    return false;
  }
  com_ptr<IHTMLDocument4> document4;
  if (FAILED(document.query(&document4)) || !document4) {
    LOG(DEBUG) << L"spDoc4 Fail";
    return false;
  }
  VARIANT_BOOL has_focus = VARIANT_FALSE;
  if (SUCCEEDED(document4->hasFocus(&has_focus)) && has_focus == VARIANT_TRUE) {
    LOG(DEBUG) << L"spDoc4 HasFocus";
    return true;
  }
  return SUCCEEDED(document4->focus());
}

bool CIEControl::FocusHtmlWindow() {
  com_ptr<IHTMLDocument2> document;
  if (!GetDocument2(&document)) {
    LOG(DEBUG) << L"GetDocument2 Fail";
    return false;
  }
  com_ptr<IHTMLWindow2> window;
  if (FAILED(document->get_parentWindow(window.put())) || !window) {
    LOG(DEBUG) << L"get_parentWindow Fail";
    return false;
  }
  return SUCCEEDED(window->focus());
}

bool CIEControl::FocusWebBrowser() {
  if (FocusDocument()) {
    LOG(DEBUG) << L"FocusDocument Success";
    return true;
  }
  if (FocusHtmlWindow()) {
    LOG(DEBUG) << L"FocusHtmlWindow Success";
    return true;
  }
  LOG(DEBUG) << L"FocusWebBrowser Fail";
  return false;
}

bool CIEControl::GetTitle(std::wstring* title) {
  com_ptr<IHTMLDocument2> document;
  unique_bstr text;
  if (!GetDocument2(&document) || FAILED(document->get_title(text.put())) || text.length() == 0) {
    return false;
  }
  title->assign(text.get(), text.length());
  return true;
}

bool CIEControl::GetBrowser(com_ptr<IWebBrowser2>* browser) {
  browser->reset();
  return host_ && SUCCEEDED(host_->QueryControl(browser)) && *browser;
}

HWND CIEControl::GetHostWindow() const {
  return host_ ? host_->hwnd() : nullptr;
}

void CIEControl::Close() {
  if (host_)
    host_->SetExternalDispatch(nullptr);
  navigations_.Clear();
  com_ptr<IWebBrowser2> browser;
  (void)GetBrowser(&browser);
  LetGoOfEventSink(browser.get());
  if (browser) {
    LOG_IF_FAILED(browser->Stop());
    LOG_IF_FAILED(browser->put_Visible(VARIANT_FALSE));
  }
}

bool CIEControl::PreTranslateMessage(MSG* msg) {
  const HWND host = GetHostWindow();
  if (!host || !msg || !IsKeyboardOrMouseMessage(msg->message))
    return false;
  // Backspace stays an ordinary key of the page, never the engine's "back".
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_BACK)
    return false;
  return ::SendMessageW(host, WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(msg)) != 0;
}

LRESULT CIEControl::OnEraseBackground(UINT, WPARAM, LPARAM, bool&) {
  return 0;  // the control covers the window
}

LRESULT CIEControl::OnNavigate(UINT, WPARAM wparam, LPARAM, bool&) {
  navigations_.OnWakeUp(wparam);
  return 0;
}

void CIEControl::NavigateNow(const std::wstring& url) {
  com_ptr<IWebBrowser2> browser;
  if (url.empty() || !GetBrowser(&browser))
    return;
  const unique_bstr url_text = MakeBstr(url.c_str());
  VARIANT empty;
  ::VariantInit(&empty);
  // The engine may run a modal loop in here (a page's prompt) in which the
  // frame is closed; the window layer keeps this object until we are out.
  LOG_IF_FAILED(browser->Navigate(url_text.get(), &empty, &empty, &empty, &empty));
}

void CIEControl::LetGoOfEventSink(IUnknown* browser) {
  if (!event_sink_)
    return;
  // Unadvise fails without a browser; whatever the engine still raises
  // then reaches nobody.
  LOG_IF_FALSE(event_sink_->Unadvise(browser));
  event_sink_->Detach();
  event_sink_.reset();
}

int CIEControl::ControlId() const {
  return ::GetDlgCtrlID(hwnd());
}

bool CIEControl::IsTopLevelBrowser(IDispatch* frame) {
  com_ptr<IWebBrowser2> browser;
  return GetBrowser(&browser) && IsSameComObject(browser.get(), frame);
}

bool CIEControl::IsOwnPage(const wchar_t* url) const {
  return url && ((!start_page_.empty() && ::_wcsicmp(url, start_page_.c_str()) == 0) ||
                 (!error_page_.empty() && ::_wcsicmp(url, error_page_.c_str()) == 0));
}

void CIEControl::OnBeforeNavigate2(IDispatch* frame,
                                   VARIANT* url,
                                   VARIANT*,
                                   VARIANT*,
                                   VARIANT*,
                                   VARIANT*,
                                   VARIANT_BOOL*) {
  const wchar_t* url_text = UrlOf(url);
  if (notify_ && frame && url_text)
    notify_->NotifyBeforeNavigate(ControlId(), IsTopLevelBrowser(frame), url_text);
}

void CIEControl::OnNavigateError(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT_BOOL*) {
  if (notify_)
    notify_->NotifyNavigateError(ControlId(), UrlOf(url));
  // An error page that fails itself must not be tried again and again.
  const wchar_t* failed = UrlOf(url);
  if (!error_page_.empty() && !(failed && ::_wcsicmp(failed, error_page_.c_str()) == 0))
    Navigate(error_page_.c_str(), false);
}

void CIEControl::OnNavigateComplete2(IDispatch*, VARIANT* url) {
  ::ShowWindow(GetHostWindow(), SW_SHOW);
  if (IsOwnPage(UrlOf(url)))
    return;
  if (notify_)
    notify_->NotifyNavigateComplete(ControlId(), UrlOf(url));
}

void CIEControl::OnDocumentComplete(IDispatch* frame, VARIANT* url) {
  if (IsOwnPage(UrlOf(url)) || !notify_ || !IsTopLevelBrowser(frame))
    return;
  std::wstring title;
  (void)GetTitle(&title);
  notify_->NotifyDocumentComplete(ControlId(), UrlOf(url), title.c_str());
}

void CIEControl::OnTitleChange(BSTR title) {
  if (notify_ && title && *title)
    notify_->NotifyTitleChange(title);
}

void CIEControl::OnNewWindow3(IDispatch** new_window,
                              VARIANT_BOOL* cancel,
                              DWORD flags,
                              BSTR url_context,
                              BSTR url) {
  if (notify_)
    notify_->NotifyNewWindow(new_window, cancel, flags, url_context, url);
}
