#ifndef UI_RATING_RATING_VIEW_H_
#define UI_RATING_RATING_VIEW_H_

#include <windows.h>

#include <memory>

#include "channel/client_delegate.h"
#include "ui/skin/shadow_window.h"
#include "ui/skin/skin_view.h"

// The rating prompt: five stars, "Rate Now" and "Maybe later". Five stars
// open the extension's review page, fewer the feedback page, both in a new
// browser tab. It waits hidden for its timer, then shows itself topmost
// without taking the focus: centred over its owner when the user asked for
// it, beside the taskbar when it comes by itself.
class CRatingView : public SkinView, private ShadowPaintHook {
 public:
  static constexpr int kFirstStarId = 70005;  // to 70009
  static constexpr int kStarCount = 5;
  static constexpr int kCloseId = 70011;
  static constexpr int kStatusId = 70012;
  static constexpr int kTitleId = 70013;
  static constexpr int kSubtitleId = 70014;
  static constexpr int kFooterId = 70015;
  static constexpr int kRateNowId = 60004;
  static constexpr int kLaterId = 60005;
  static constexpr UINT_PTR kShowTimerId = 1000;

  // Null when the skin has no rating layout. `client` is not owned; `owner`
  // (may be null) is what a centred dialog is centred on.
  static std::unique_ptr<CRatingView> Make(const Skin& skin,
                                           NativeMessage::ClientDelegate* client,
                                           bool centred,
                                           HWND owner);
  ~CRatingView() override;

  // The hidden window and its timer; false when the window cannot be made.
  [[nodiscard]] bool Create();
  bool centred() const { return centred_; }

  TB_BEGIN_MSG_MAP()
  TB_MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
  TB_MESSAGE_HANDLER(WM_TIMER, OnTimer)
  TB_MESSAGE_HANDLER(WM_WINDOWPOSCHANGED, OnWindowPosChanged)
  TB_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  TB_CHAIN_MSG_MAP(SkinView)
  TB_END_MSG_MAP()

 protected:
  void PaintHook(HDC dc, const RECT& client) override;

 private:
  CRatingView(const Skin& skin,
              const Layout& layout,
              NativeMessage::ClientDelegate* client,
              bool centred,
              HWND owner);

  LRESULT OnNotify(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnTimer(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnWindowPosChanged(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, bool&);

  // ShadowPaintHook
  void PaintShadow(Gdiplus::Graphics& graphics, const SkinRect& area) override;

  void SetTexts();
  void ApplyState();
  void UpdateStars();
  void Place();
  void ShowNow();
  void RateNow();

  NativeMessage::ClientDelegate* const client_;
  const bool centred_;
  const HWND owner_;
  int selected_ = -1;  // star index 0-4 that was clicked
  int hovered_ = -1;   // star index 0-4 under the pointer
  std::unique_ptr<ShadowWindow> shadow_;
};

#endif  // UI_RATING_RATING_VIEW_H_
