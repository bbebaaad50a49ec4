#ifndef UI_BANNER_MODE_BANNER_H_
#define UI_BANNER_MODE_BANNER_H_

#include <windows.h>

#include <functional>
#include <memory>

#include "channel/client_delegate.h"
#include "ui/skin/skin_view.h"

// The strip along a frame's top: says the page runs in Internet Explorer
// mode, shows the emulation mode with a menu to change it, and reports its
// actions (feedback, rate, close, mode choice) to the frame's controller.
class CModeBanner : public SkinView {
 public:
  static constexpr int kFeedbackId = 70000;
  static constexpr int kCloseSmallId = 70001;
  static constexpr int kCloseLargeId = 70002;
  static constexpr int kLogoSmallId = 70003;
  static constexpr int kLogoLargeId = 70004;
  static constexpr int kRateId = 70010;
  static constexpr int kSentenceId = 70020;
  static constexpr int kModeLinkId = 70021;

  // Null when the skin has no banner layout. `client` is not owned.
  static std::unique_ptr<CModeBanner> Make(const Skin& skin, NativeMessage::ClientDelegate* client);
  ~CModeBanner() override;

  // Before Create, or later to change what is shown. A locked mode hides
  // the link and its menu.
  void SetMode(int mode, bool locked);
  // A child of `parent`, shown without activation; `snapped_scale` picks the
  // small or large logo and close button.
  [[nodiscard]] bool Create(HWND parent, const RECT& rect, UINT id, int snapped_scale);

  int mode() const { return mode_; }

  // Shows the menu and returns the chosen command, 0 when dismissed.
  using MenuRunner = std::function<UINT(HMENU menu, HWND owner)>;
  void SetMenuRunnerForTesting(MenuRunner runner) { run_menu_ = std::move(runner); }

  TB_BEGIN_MSG_MAP()
  TB_MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
  TB_CHAIN_MSG_MAP(SkinView)
  TB_END_MSG_MAP()

 protected:
  void PaintHook(HDC dc, const RECT& client) override;

 private:
  CModeBanner(const Skin& skin, const Layout& layout, NativeMessage::ClientDelegate* client);

  LRESULT OnNotify(UINT, WPARAM, LPARAM, bool&);

  void SetTexts();
  void ShowMode();
  void LayOutModeLink();
  void ChooseMode();

  NativeMessage::ClientDelegate* const client_;
  int mode_ = 11000;
  bool locked_ = true;
  MenuRunner run_menu_;
};

#endif  // UI_BANNER_MODE_BANNER_H_
