// Any pos text: parsed or refused, and a parsed one placed in any parent of
// window size gives a rectangle that is never inside out.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>

#include "tests/fuzz_util.h"
#include "ui/skin/skin_pos.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  constexpr int kScreen = 1 << 16;
  const SkinRect parent = {
      in.ConsumeIntegralInRange(-kScreen, kScreen), in.ConsumeIntegralInRange(-kScreen, kScreen),
      in.ConsumeIntegralInRange(-kScreen, kScreen), in.ConsumeIntegralInRange(-kScreen, kScreen)};
  const SkinSize natural = {in.ConsumeIntegralInRange(0, kScreen),
                            in.ConsumeIntegralInRange(0, kScreen)};
  const std::optional<SkinPos> pos = ParsePos(in.ConsumeRemainingBytesAsString());
  if (pos) {
    const SkinRect rect = ResolvePos(*pos, parent, natural);
    FuzzCheck(rect.width() >= 0 && rect.height() >= 0);
  }
  return 0;
}
