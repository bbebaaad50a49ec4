#include "ui/rating/rating_view.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "host_functions/review_settings.h"
#include "host_functions/system_info.h"
#include "ui/rating/rating_placement.h"
#include "ui/skin/skin_painter.h"
#include "utils/log.h"
#include "utils/log_failure.h"
#include "utils/product_addresses.h"
#include "utils/string_util.h"

namespace {

constexpr int kRatingLayout = 104;
constexpr int kShadowSize = 28;
constexpr int kShadowMargin = 30;
// The prompt that comes by itself waits a moment after the frame closed.
constexpr UINT kCentredDelayMs = 2;
constexpr UINT kBesideTaskbarDelayMs = 2000;
constexpr int kFiveStars = 4;

std::wstring SubtitleText() {
  std::wstring format = PickLocalizedText(
      L"Tap a star to rate your experience on the %s.",
      L"\u70b9\u51fb\u661f\u7ea7\uff0c\u5728%s\u4e3a TabBridge \u8bc4\u5206\u3002",
      L"\u9ede\u9078\u661f\u7d1a\uff0c\u5728%s\u70ba TabBridge \u8a55\u5206\u3002");
  const size_t slot = format.find(L"%s");
  if (slot != std::wstring::npos) {
    format.replace(slot, 2,
                   PickLocalizedText(L"Chrome Web Store", L"Chrome \u5e94\u7528\u5546\u5e97",
                                     L"Chrome \u7dda\u4e0a\u61c9\u7528\u7a0b\u5f0f\u5546\u5e97"));
  }
  return format;
}

SkinRect ToSkinRect(const RECT& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace

std::unique_ptr<CRatingView> CRatingView::Make(const Skin& skin,
                                               NativeMessage::ClientDelegate* client,
                                               bool centred,
                                               HWND owner) {
  const std::optional<Layout> layout = skin.LoadLayout(kRatingLayout);
  if (!layout)
    return nullptr;
  return std::unique_ptr<CRatingView>(new CRatingView(skin, *layout, client, centred, owner));
}

CRatingView::CRatingView(const Skin& skin,
                         const Layout& layout,
                         NativeMessage::ClientDelegate* client,
                         bool centred,
                         HWND owner)
    : SkinView(skin, layout), client_(client), centred_(centred), owner_(owner) {}

CRatingView::~CRatingView() {
  if (hwnd())
    ::DestroyWindow(hwnd());
}

bool CRatingView::Create() {
  static const WindowClassInfo kClass = {L"TabBridge_RatingWND",
                                         CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                         reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), IDC_ARROW};
  const RECT rect = {0, 0, layout().width, layout().height};
  if (!RegisterWindowClass(kClass) || !CreateSkinWindow(kClass, nullptr, rect, 0, 0, 0))
    return false;
  shadow_ = std::make_unique<ShadowWindow>(static_cast<ShadowPaintHook*>(this), kShadowSize);
  if (!shadow_->Create(hwnd())) {
    LOG(DEBUG) << L"CRatingView shadow ERROR";
    shadow_.reset();
  }
  SetTexts();
  ApplyState();
  LOG_IF_WIN32_BOOL_FALSE(::SetTimer(hwnd(), kShowTimerId,
                                     centred_ ? kCentredDelayMs : kBesideTaskbarDelayMs, nullptr));
  return true;
}

void CRatingView::SetTexts() {
  SetElementText(kTitleId,
                 PickLocalizedText(L"Enjoying TabBridge?", L"\u559c\u6b22 TabBridge \u5417\uff1f",
                                   L"\u559c\u6b61 TabBridge \u55ce\uff1f"));
  SetElementText(kSubtitleId, SubtitleText());
  SetElementText(kRateNowId, PickLocalizedText(L"Rate Now", L"\u7acb\u5373\u8bc4\u5206",
                                               L"\u7acb\u5373\u8a55\u5206"));
  SetElementText(kLaterId, PickLocalizedText(L"Maybe later", L"\u7a0d\u540e\u518d\u8bf4",
                                             L"\u7a0d\u5f8c\u518d\u8aaa"));
  SetElementText(kFooterId, PickLocalizedText(L"Takes 5 seconds", L"\u53ea\u9700 5 \u79d2",
                                              L"\u53ea\u9700 5 \u79d2"));
}

void CRatingView::ApplyState() {
  const bool chosen = selected_ >= 0;
  EnableElement(kRateNowId, chosen);
  SetElementStyle(kRateNowId, chosen ? "review_primary_style" : "review_primary_disabled_style");
  UpdateStars();
}

void CRatingView::UpdateStars() {
  // A star under the pointer previews its rating over the chosen one.
  const int effective = hovered_ >= 0 ? hovered_ : selected_;
  for (int i = 0; i < kStarCount; ++i)
    SetElementSkin(kFirstStarId + i, i <= effective ? "rate_p" : "rate_n");
  std::wstring status;
  if (effective == kFiveStars) {
    status = PickLocalizedText(L"Thanks for your support", L"\u611f\u8c22\u4f60\u7684\u652f\u6301",
                               L"\u611f\u8b1d\u4f60\u7684\u652f\u6301");
  } else if (effective >= 0) {
    status = PickLocalizedText(L"We can do better", L"\u6211\u4eec\u4f1a\u7ee7\u7eed\u6539\u8fdb",
                               L"\u6211\u5011\u6703\u7e7c\u7e8c\u6539\u9032");
  }
  SetElementText(kStatusId, status);
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void CRatingView::RateNow() {
  if (selected_ < 0)
    return;
  const char* page = selected_ == kFiveStars ? kReviewPage : kFeedbackPage;
  client_->ClientNewTab(Utf8ToWide(page).c_str(), /*force_ie=*/false);
  ::DestroyWindow(hwnd());
}

LRESULT CRatingView::OnNotify(UINT, WPARAM, LPARAM lparam, bool& handled) {
  const auto* header = reinterpret_cast<const NMHDR*>(lparam);
  if (header->hwndFrom != hwnd()) {
    handled = false;
    return 0;
  }
  const int id = static_cast<int>(header->idFrom);
  if (id >= kFirstStarId && id < kFirstStarId + kStarCount) {
    const int star = id - kFirstStarId;
    if (header->code == kSkinNotifyClick) {
      selected_ = star;
      ApplyState();
    } else if (header->code == kSkinNotifyHover) {
      hovered_ = star;
      UpdateStars();
    } else if (header->code == kSkinNotifyLeave) {
      hovered_ = -1;
      UpdateStars();
    }
    return 0;
  }
  if (header->code != kSkinNotifyClick) {
    handled = false;
    return 0;
  }
  switch (id) {
    case kRateNowId:
      RateNow();
      break;
    case kCloseId:
    case kLaterId:
      ::DestroyWindow(hwnd());
      break;
    default:
      handled = false;
  }
  return 0;
}

LRESULT CRatingView::OnTimer(UINT, WPARAM wparam, LPARAM, bool& handled) {
  if (wparam != kShowTimerId) {
    handled = false;
    return 0;
  }
  ::KillTimer(hwnd(), kShowTimerId);
  ShowNow();
  return 0;
}

void CRatingView::ShowNow() {
  Place();
  MarkReviewShown();
  ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  // Topmost once shown: the display server puts the shadow, which comes up
  // with the window, on top of everything until the window is raised.
  LOG_IF_WIN32_BOOL_FALSE(
      ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
  StampReviewShown(static_cast<uint32_t>(std::time(nullptr)));
}

void CRatingView::Place() {
  RECT window = {};
  ::GetWindowRect(hwnd(), &window);
  SkinRect placed;
  if (centred_) {
    RECT over = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    const HWND around = owner_ ? owner_ : ::GetParent(hwnd());
    if (around)
      ::GetWindowRect(around, &over);
    placed = CentreOn(ToSkinRect(window), ToSkinRect(over));
  } else {
    std::optional<SkinRect> taskbar;
    RECT tray = {};
    if (const HWND tray_window = ::FindWindowW(L"Shell_TrayWnd", nullptr);
        tray_window && ::GetWindowRect(tray_window, &tray)) {
      taskbar = ToSkinRect(tray);
    }
    const SkinRect dialog = ToSkinRect(window);
    placed = BesideTaskbar({dialog.width(), dialog.height()},
                           {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)},
                           ::GetSystemMetrics(SM_CXHSCROLL), taskbar);
  }
  LOG_IF_WIN32_BOOL_FALSE(::SetWindowPos(hwnd(), nullptr, placed.left, placed.top, placed.width(),
                                         placed.height(), SWP_NOZORDER | SWP_NOACTIVATE));
}

LRESULT CRatingView::OnWindowPosChanged(UINT, WPARAM, LPARAM, bool& handled) {
  if (shadow_)
    shadow_->Follow();
  handled = false;  // the default turns it into WM_SIZE, which lays out
  return 0;
}

LRESULT CRatingView::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
  shadow_.reset();
  handled = false;
  return 0;
}

void CRatingView::PaintHook(HDC dc, const RECT& client) {
  // The last pixel row and column, which the client rectangle excludes.
  const int right = client.right - 1;
  const int bottom = client.bottom - 1;
  const Gdiplus::Point outline[] = {{client.left, client.top},
                                    {right, client.top},
                                    {right, bottom},
                                    {client.left, bottom},
                                    {client.left, client.top}};
  Gdiplus::Graphics graphics(dc);
  const Gdiplus::Pen pen(Gdiplus::Color(0x6E, 0, 0, 0), 1.0f);
  graphics.DrawLines(&pen, outline, 5);
}

void CRatingView::PaintShadow(Gdiplus::Graphics& graphics, const SkinRect& area) {
  PaintNinePart(skin(), graphics, "dlg_shadow", kShadowMargin, area);
}
