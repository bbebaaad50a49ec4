#include "main_frame/dpi_scale.h"

#include <gtest/gtest.h>

#include "main_frame/tab_geometry.h"
#include "tests/child_process.h"
#include "tests/scoped_registry_backup.h"
#include "ui_base/ax_test_util.h"
#include "utils/scoped_handle.h"

namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

// A process reads the display's DPI once: a child sees the changed value.
TB_CHILD_ROUTINE(DpiScaleOfAWindow) {
  ::SetProcessDPIAware();
  const unique_hwnd window = CreatePlainWindow();
  if (!window)
    return 100;
  // The exit code carries the scale and the banner height: 150 and 45 at 144 DPI.
  const int scale = GetDpiScale(window.get());
  return scale * 1000 + BannerHeightForDpiScale(scale);
}

TEST(DpiScaleTest, ScaledDisplayGivesAScaledBanner) {
  ScopedRegistryKeyBackup desktop(HKEY_CURRENT_USER, kDesktopKey);
  const DWORD dpi = 144;
  ASSERT_EQ(
      ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi)),
      ERROR_SUCCESS);
  EXPECT_EQ(RunChild(CurrentTestProgram(), "DpiScaleOfAWindow"), 150045u);
}

}  // namespace
