#include "ui/banner/mode_banner.h"

#include <string>

#include "host_functions/system_info.h"
#include "ui/banner/banner_model.h"
#include "ui/skin/gdiplus_headers.h"
#include "utils/log.h"
#include "utils/log_failure.h"
#include "utils/product_addresses.h"
#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

constexpr int kBannerLayout = 103;

UINT TrackMenuAtCursor(HMENU menu, HWND owner) {
  POINT cursor = {};
  ::GetCursorPos(&cursor);
  return static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                            cursor.x, cursor.y, 0, owner, nullptr));
}

std::wstring CloseTip() {
  std::wstring format = PickLocalizedText(L"Close and open this page in a %s tab",
                                          L"\u5173\u95ed\u5e76\u5728%s\u6807\u7b7e\u9875\u4e2d"
                                          L"\u6253\u5f00\u6b64\u9875\u9762",
                                          L"\u95dc\u9589\u4e26\u5728%s\u6a19\u7c64\u9801\u4e2d"
                                          L"\u958b\u555f\u6b64\u9801\u9762");
  const size_t slot = format.find(L"%s");
  if (slot != std::wstring::npos)
    format.replace(slot, 2, GetBrowserName());
  return format;
}

}  // namespace

std::unique_ptr<CModeBanner> CModeBanner::Make(const Skin& skin,
                                               NativeMessage::ClientDelegate* client) {
  const std::optional<Layout> layout = skin.LoadLayout(kBannerLayout);
  if (!layout)
    return nullptr;
  return std::unique_ptr<CModeBanner>(new CModeBanner(skin, *layout, client));
}

CModeBanner::CModeBanner(const Skin& skin,
                         const Layout& layout,
                         NativeMessage::ClientDelegate* client)
    : SkinView(skin, layout), client_(client), run_menu_(&TrackMenuAtCursor) {}

CModeBanner::~CModeBanner() {
  if (hwnd())
    ::DestroyWindow(hwnd());
}

void CModeBanner::SetMode(int mode, bool locked) {
  mode_ = mode;
  locked_ = locked;
  ShowMode();
}

bool CModeBanner::Create(HWND parent, const RECT& rect, UINT id, int snapped_scale) {
  static const WindowClassInfo kClass = {L"TabBridge_BannerWND",
                                         CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                         reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), IDC_ARROW};
  if (!RegisterWindowClass(kClass) ||
      !CreateSkinWindow(kClass, parent, rect, WS_CHILD | WS_CLIPCHILDREN | WS_TABSTOP,
                        WS_EX_CONTROLPARENT, id)) {
    return false;
  }
  const bool large = UsesLargeVariants(snapped_scale);
  ShowElement(kCloseSmallId, !large);
  ShowElement(kLogoSmallId, !large);
  ShowElement(kCloseLargeId, large);
  ShowElement(kLogoLargeId, large);
  SetTexts();
  ShowMode();
  ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  return true;
}

void CModeBanner::SetTexts() {
  const std::wstring sentence = PickLocalizedText(
      L"This page is running in Internet Explorer mode. Powered by "
      L"TabBridge.",
      L"\u6b64\u9875\u9762\u6b63\u5728 Internet Explorer "
      L"\u6a21\u5f0f\u4e0b\u8fd0\u884c\u3002\u7531 TabBridge "
      L"\u63d0\u4f9b\u652f\u6301\u3002",
      L"\u6b64\u9801\u9762\u6b63\u5728 Internet Explorer "
      L"\u6a21\u5f0f\u4e0b\u57f7\u884c\u3002\u7531 TabBridge "
      L"\u63d0\u4f9b\u652f\u63f4\u3002");
  const std::wstring feedback =
      PickLocalizedText(L"Feedback", L"\u53cd\u9988", L"\u610f\u898b\u53cd\u61c9");
  const std::wstring rate_tip = PickLocalizedText(
      L"Rate TabBridge", L"\u7ed9 TabBridge \u8bc4\u5206", L"\u70ba TabBridge \u8a55\u5206");
  const std::wstring close_tip = CloseTip();
  SetElementText(kSentenceId, sentence);
  SetElementText(kFeedbackId, feedback);
  SetElementTip(kRateId, rate_tip);
  SetElementTip(kCloseSmallId, close_tip);
  SetElementTip(kCloseLargeId, close_tip);
  LOG(DEBUG) << L"Banner texts: " << sentence << L" | " << feedback << L" | " << rate_tip << L" | "
             << close_tip;
}

void CModeBanner::ShowMode() {
  if (!hwnd())
    return;
  ShowElement(kModeLinkId, !locked_);
  if (locked_)
    return;
  const ModeName name = ModeNameOf(mode_);
  SetElementText(kModeLinkId, name.link);
  SetElementTip(kModeLinkId, name.long_name);
  LayOutModeLink();
}

void CModeBanner::LayOutModeLink() {
  if (!hwnd() || locked_)
    return;
  const std::optional<std::wstring> sentence = ElementText(kSentenceId);
  const std::optional<std::wstring> link = ElementText(kModeLinkId);
  const std::optional<SkinRect> rect = ElementRect(kSentenceId);
  if (!sentence || sentence->empty() || !link || link->empty() || !rect)
    return;
  // The sentence element takes the extent of its text in its own font; the
  // moved link keeps its place when the skin lays the elements out again.
  if (rect->width() <= 0)
    return;
  const std::string pos = ModeLinkPos(rect->left, rect->width());
  MoveElement(kModeLinkId, pos);
  LOG(DEBUG) << L"Banner mode link " << ElementText(kModeLinkId).value_or(L"") << L" at "
             << Utf8ToWide(pos);
}

void CModeBanner::ChooseMode() {
  if (locked_)
    return;
  unique_hmenu menu(::CreatePopupMenu());
  if (!menu)
    return;
  for (const ModeMenuEntry& entry : ModeMenu()) {
    const UINT flags = MF_STRING | (entry.mode == mode_ ? MF_CHECKED : MF_UNCHECKED);
    LOG_IF_WIN32_BOOL_FALSE(
        ::AppendMenuW(menu.get(), flags, entry.command, ModeNameOf(entry.mode).long_name));
  }
  const UINT command = run_menu_(menu.get(), hwnd());
  menu.reset();
  const std::optional<int> chosen = ModeOfCommand(command);
  if (!chosen)
    return;
  mode_ = *chosen;
  ShowMode();
  client_->ClientSetCompatibleMode(mode_);
}

LRESULT CModeBanner::OnNotify(UINT, WPARAM, LPARAM lparam, bool& handled) {
  const auto* header = reinterpret_cast<const NMHDR*>(lparam);
  if (header->hwndFrom != hwnd() || header->code != kSkinNotifyClick) {
    handled = false;
    return 0;
  }
  switch (header->idFrom) {
    case kFeedbackId:
      client_->ClientNewTab(Utf8ToWide(kFeedbackPage).c_str(), /*force_ie=*/false);
      break;
    case kCloseSmallId:
    case kCloseLargeId:
      client_->ClientLeaveCurrentTab();
      break;
    case kRateId:
      client_->ShowReviewDialog(/*from_banner=*/true);
      break;
    case kModeLinkId:
      ChooseMode();
      break;
    default:
      handled = false;
  }
  return 0;
}

void CModeBanner::PaintHook(HDC dc, const RECT& client) {
  const int w = client.right - client.left;
  const int h = client.bottom - client.top;
  const Gdiplus::Point outline[] = {{3, 0},         {w - 4, 0},     {w - 1, 3},
                                    {w - 1, h - 4}, {w - 4, h - 1}, {3, h - 1},
                                    {0, h - 4},     {0, 3},         {3, 0}};
  Gdiplus::Graphics graphics(dc);
  const Gdiplus::Pen pen(Gdiplus::Color(0x6E, 0, 0, 0), 1.0f);
  graphics.DrawLines(&pen, outline, 9);
}
