#include "engine_config/hook/hook_prologue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const std::string& hex) {
  std::vector<uint8_t> bytes;
  unsigned value;
  int consumed;
  for (const char* p = hex.c_str(); std::sscanf(p, "%2x%n", &value, &consumed) == 1;
       p += consumed) {
    bytes.push_back(static_cast<uint8_t>(value));
  }
  return bytes;
}

// Measures a heap block of exactly these bytes, so that ASan catches any read
// past the end.
std::optional<size_t> Measure(const std::string& hex) {
  const std::vector<uint8_t> bytes = Bytes(hex);
  return MeasurePrologue(bytes.data(), bytes.size());
}

TEST(HookPrologueTest, CoversWholeInstructionsUpToFiveBytes) {
  struct Case {
    const char* hex;
    size_t length;
  } cases[] = {
      {"8b ff 55 8b ec 5d ff 25 00 10 40 00", 5},  // hot-patch thunk
      {"8b ff 55 8b ec 83 e4 f0 83 ec 40", 5},
      {"8d 4c 24 04 83 e4 f0 ff 71 fc 55 89 e5", 7},  // lea, then and
      {"55 89 e5 57 56 53 83 e4 f0", 5},
      {"b8 01 00 00 00 c3", 5},
      {"8b 84 24 00 01 00 00 c3", 7},
      // Four bytes, then the longest instruction there is.
      {"90 90 90 90 26 26 26 26 26 66 81 84 24 00 01 00 00 34 12", 19},
      // A branch right after the fifth byte stays where it is.
      {"8b ff 55 8b ec e8 00 00 00 00", 5},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Measure(c.hex), c.length) << c.hex;
}

TEST(HookPrologueTest, RefusesControlTransfersWithinFiveBytes) {
  for (const char* hex : {
           "e9 00 00 00 00",                 // jmp rel32 first
           "55 e8 00 00 00 00",              // call rel32
           "8b ff eb 00 90 90",              // jmp rel8
           "8b ff 74 02 90 90",              // jz
           "8b ff e3 02 90 90",              // jecxz
           "8b ff e2 fe 90 90",              // loop
           "55 ff 15 00 10 40 00",           // call [abs]
           "55 ff 25 00 10 40 00",           // jmp [abs]
           "55 ff e0 90 90",                 // jmp eax
           "55 c3 90 90 90",                 // ret
           "55 8b ec 5d c3",                 // ret as fifth byte
           "8b ff c2 08 00 90",              // ret 8
           "90 90 90 90 0f 84 00 00 00 00",  // jz rel32 as fifth byte
       }) {
    EXPECT_EQ(Measure(hex), std::nullopt) << hex;
  }
}

TEST(HookPrologueTest, RefusesWhatCannotBeDecoded) {
  for (const char* hex : {
           "8b ff 8d c0 90 90",  // lea with a register operand
           "55 c5 f8 77 90 90",  // vzeroupper (VEX)
           "55 0f 0e 90 90 90",  // femms
           "",
       }) {
    EXPECT_EQ(Measure(hex), std::nullopt) << hex;
  }
}

TEST(HookPrologueTest, RefusesCodeEndingBeforeFiveBytes) {
  const std::vector<uint8_t> whole = Bytes("8b ff 55 8b ec");
  for (size_t size = 0; size < whole.size(); ++size) {
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + size);
    EXPECT_EQ(MeasurePrologue(cut.data(), cut.size()), std::nullopt) << size;
  }
  // An instruction that starts within five bytes must fit whole.
  EXPECT_EQ(Measure("55 8b 84 24 00 01 00"), std::nullopt);
}

}  // namespace
