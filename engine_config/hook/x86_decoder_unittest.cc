#include "engine_config/hook/x86_decoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

// Opcode maps, operand layouts and flows are checked against Capstone in
// x86_decoder_capstone_unittest.cc; these are the rules it cannot show.

namespace {

std::vector<uint8_t> Bytes(const std::string& hex) {
  std::vector<uint8_t> bytes;
  unsigned value;
  int consumed;
  for (const char* p = hex.c_str(); std::sscanf(p, "%2x%n", &value, &consumed) == 1; p += consumed)
    bytes.push_back(static_cast<uint8_t>(value));
  return bytes;
}

// Decodes from a heap block of exactly these bytes, so that ASan reports any
// read past the end.
X86DecodeResult Decode(const std::string& hex) {
  const std::vector<uint8_t> bytes = Bytes(hex);
  return DecodeX86Instruction(bytes.data(), bytes.size());
}

TEST(X86DecoderTest, AcceptsLegacyPrefixesUpToFifteenBytes) {
  const X86DecodeResult fifteen = Decode("66 66 66 66 66 66 66 66 66 66 66 66 66 66 90");
  ASSERT_TRUE(fifteen.ok());
  EXPECT_EQ(fifteen.instruction.length, 15);
  for (const char* hex : {"66 66 66 66 66 66 66 66 66 66 66 66 66 66 66 90",
                          "2e 2e 2e 2e 2e c7 84 24 00 01 00 00 01 00 00 00",
                          // Known too long before the buffer runs out.
                          "2e 2e 2e 2e 2e 2e 2e 2e 2e 2e 2e e9"}) {
    EXPECT_EQ(Decode(hex).error, X86DecodeError::kTooLong) << hex;
  }
}

// Capstone accepts LOCK anywhere, so this side is ours alone.
TEST(X86DecoderTest, AllowsLockOnlyOnMemoryReadModifyWrite) {
  EXPECT_TRUE(Decode("f0 0f ba 28 01").ok());
  for (const char* hex :
       {"f0 01 c8", "f0 03 08", "f0 83 38 01", "f0 8b 00", "f0 0f ba 20 01", "f0 90"}) {
    EXPECT_EQ(Decode(hex).error, X86DecodeError::kInvalid) << hex;
  }
}

TEST(X86DecoderTest, DeclinesVexEvexAndXop) {
  EXPECT_EQ(Decode("c5 f8 77").error, X86DecodeError::kVex);
  EXPECT_EQ(Decode("62 f1 7c 48 58 c0").error, X86DecodeError::kEvex);
  EXPECT_EQ(Decode("8f e8 78 c2 c0 01").error, X86DecodeError::kXop);
}

TEST(X86DecoderTest, FailsOnEmptyInput) {
  EXPECT_EQ(DecodeX86Instruction(nullptr, 0).error, X86DecodeError::kTruncated);
}

}  // namespace
