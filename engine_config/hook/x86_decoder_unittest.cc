#include "engine_config/hook/x86_decoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

// Opcode maps, operand layouts and flows are checked against Capstone in
// x86_decoder_capstone_unittest.cc; these are the rules it cannot show.

namespace {

// Decodes from a heap block of exactly these bytes, so that ASan reports any
// read past the end.
X86DecodeResult Decode(const char* hex) {
  std::vector<uint8_t> bytes;
  unsigned value;
  int consumed;
  for (const char* p = hex; std::sscanf(p, "%2x%n", &value, &consumed) == 1; p += consumed)
    bytes.push_back(static_cast<uint8_t>(value));
  return DecodeX86Instruction(bytes.data(), bytes.size());
}

TEST(X86DecoderTest, RulesCapstoneCannotShow) {
  using enum X86DecodeError;
  const struct {
    const char* hex;
    X86DecodeError error;
  } cases[] = {
      // Legacy prefixes up to the 15-byte limit, known too long before the
      // buffer runs out.
      {"66 66 66 66 66 66 66 66 66 66 66 66 66 66 90", kNone},
      {"66 66 66 66 66 66 66 66 66 66 66 66 66 66 66 90", kTooLong},
      {"2e 2e 2e 2e 2e c7 84 24 00 01 00 00 01 00 00 00", kTooLong},
      {"2e 2e 2e 2e 2e 2e 2e 2e 2e 2e 2e e9", kTooLong},
      // LOCK only on memory read-modify-write (Capstone accepts it anywhere).
      {"f0 0f ba 28 01", kNone},
      {"f0 01 c8", kInvalid},
      {"f0 03 08", kInvalid},
      {"f0 83 38 01", kInvalid},
      {"f0 8b 00", kInvalid},
      {"f0 0f ba 20 01", kInvalid},
      {"f0 90", kInvalid},
      {"c5 f8 77", kVex},
      {"62 f1 7c 48 58 c0", kEvex},
      {"8f e8 78 c2 c0 01", kXop},
      {"", kTruncated},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Decode(c.hex).error, c.error) << c.hex;
  EXPECT_EQ(Decode(cases[0].hex).instruction.length, 15);
}

}  // namespace
