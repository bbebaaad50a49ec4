#include "ui/skin/shadow_window.h"

#include <gtest/gtest.h>

#include "ui/skin/skin.h"
#include "ui/skin/skin_painter.h"

namespace {

class RecordingHook : public ShadowPaintHook {
 public:
  void PaintShadow(Gdiplus::Graphics&, const SkinRect& area) override { painted = area; }
  SkinRect painted;
};

TEST(ShadowWindowTest, SitsAroundAndBehindTheShadedWindow) {
  const unique_hwnd shaded(::CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP, 100, 100, 200, 100,
                                             nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(shaded);
  RecordingHook hook;
  ShadowWindow shadow(&hook, 28);
  ASSERT_TRUE(shadow.Create(shaded.get()));
  shadow.Follow();
  EXPECT_FALSE(::IsWindowVisible(shadow.hwnd()));

  ::ShowWindow(shaded.get(), SW_SHOWNOACTIVATE);
  shadow.Follow();
  EXPECT_TRUE(::IsWindowVisible(shadow.hwnd()));
  EXPECT_EQ(hook.painted, (SkinRect{0, 0, 256, 156}));
  RECT rect = {};
  ::GetWindowRect(shadow.hwnd(), &rect);
  EXPECT_EQ(rect.left, 72);
  EXPECT_EQ(rect.bottom, 228);
  EXPECT_EQ(::GetWindow(shaded.get(), GW_HWNDNEXT), shadow.hwnd());
  EXPECT_TRUE(::GetWindowLongW(shadow.hwnd(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);

  ::ShowWindow(shaded.get(), SW_HIDE);
  shadow.Follow();
  EXPECT_FALSE(::IsWindowVisible(shadow.hwnd()));
}

TEST(ShadowWindowTest, TheDialogShadowFadesOutwards) {
  const std::unique_ptr<Skin> skin = Skin::Start(8);
  ASSERT_TRUE(skin);
  Gdiplus::Bitmap pixels(300, 200, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics graphics(&pixels);
    PaintNinePart(*skin, graphics, "dlg_shadow", 30, {0, 0, 300, 200});
  }
  const auto alpha = [&](int x, int y) {
    Gdiplus::Color colour;
    pixels.GetPixel(x, y, &colour);
    return colour.GetA();
  };
  EXPECT_EQ(alpha(0, 0), 0);
  EXPECT_LT(alpha(5, 100), alpha(20, 100));
  EXPECT_LT(alpha(150, 195), alpha(150, 180));
  EXPECT_GT(alpha(26, 100), 30);
  EXPECT_EQ(alpha(150, 100), 0);
}

}  // namespace
