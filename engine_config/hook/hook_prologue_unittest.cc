#include "engine_config/hook/hook_prologue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <vector>

namespace {

// Measures a heap block of exactly these bytes, so that ASan catches any read
// past the end.
std::optional<size_t> Measure(const char* hex) {
  std::vector<uint8_t> bytes;
  unsigned value;
  int consumed;
  for (const char* p = hex; std::sscanf(p, "%2x%n", &value, &consumed) == 1; p += consumed)
    bytes.push_back(static_cast<uint8_t>(value));
  return MeasurePrologue(bytes.data(), bytes.size());
}

TEST(HookPrologueTest, CoversWholeInstructionsUpToFiveBytes) {
  const struct {
    const char* hex;
    size_t length;
  } cases[] = {{"8b ff 55 8b ec 5d ff 25 00 10 40 00", 5},
               {"8d 4c 24 04 83 e4 f0 ff 71 fc", 7},
               // Four bytes, then the longest instruction there is.
               {"90 90 90 90 26 26 26 26 26 66 81 84 24 00 01 00 00 34 12", 19},
               // A branch right after the fifth byte stays where it is.
               {"8b ff 55 8b ec e8 00 00 00 00", 5}};
  for (const auto& c : cases)
    EXPECT_EQ(Measure(c.hex), c.length) << c.hex;
}

TEST(HookPrologueTest, RefusesBranchesAndCodeItCannotMeasure) {
  for (const char* hex : {
           "55 e8 00 00 00 00",              // call rel32
           "8b ff e2 fe 90 90",              // loop
           "55 8b ec 5d c3",                 // ret as fifth byte
           "90 90 90 90 0f 84 00 00 00 00",  // jz rel32 as fifth byte
           "8b ff 8d c0 90 90",              // lea with a register operand
           "55 c5 f8 77 90 90",              // VEX
           "", "8b ff 55 8b",
           "55 8b 84 24 00 01 00",  // an instruction started must fit whole
       }) {
    EXPECT_EQ(Measure(hex), std::nullopt) << hex;
  }
}

}  // namespace
