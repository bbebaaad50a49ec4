#include "main_frame/tab_geometry.h"

#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kBannerHeight = 30;
constexpr uint32_t kFocusGateMs = 400;
constexpr int kRenderSizeTolerance = 11;

}  // namespace

int SnapDpiScale(int percent) {
  if (percent < 125)
    return 100;
  if (percent < 150)
    return 125;
  if (percent < 175)
    return 150;
  if (percent < 200)
    return 175;
  if (percent < 250)
    return 200;
  if (percent < 300)
    return 250;
  return 300;
}

int BannerHeightForDpiScale(int percent) {
  return SnapDpiScale(percent) * kBannerHeight / 100;
}

bool RenderSizeMatches(int requested_width,
                       int requested_height,
                       int actual_width,
                       int actual_height) {
  // In 64 bits: sizes come from another process and from the extension.
  return std::llabs(static_cast<long long>(actual_width) - requested_width) <
             kRenderSizeTolerance &&
         std::llabs(static_cast<long long>(actual_height) - requested_height) <
             kRenderSizeTolerance;
}

bool WithinFocusGate(unsigned long last_tick, unsigned long now_tick) {
  return static_cast<uint32_t>(now_tick - last_tick) < kFocusGateMs;
}
