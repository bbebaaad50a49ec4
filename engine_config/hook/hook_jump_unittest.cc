#include "engine_config/hook/hook_jump.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(HookJumpTest, EncodesDisplacementFromTheEndOfTheJump) {
  // Near the top of the address space `from + 5` must not wrap.
  EXPECT_EQ(EncodeJump(0xFFFFFFF0, 0xFFFFFFF0), (JumpBytes{0xE9, 0xFB, 0xFF, 0xFF, 0xFF}));
}

TEST(HookJumpTest, RefusesDisplacementsBeyondTheLimit) {
  EXPECT_EQ(EncodeJump(0x10000000, 0x10000005u + 0x7FFF0000u),
            (JumpBytes{0xE9, 0x00, 0x00, 0xFF, 0x7F}));
  EXPECT_FALSE(EncodeJump(0x10000000, 0x10000005u + 0x7FFF0001u));
  EXPECT_EQ(EncodeJump(0xF0000000, 0xF0000005 - 0x7FFF0000),
            (JumpBytes{0xE9, 0x00, 0x00, 0x01, 0x80}));
  EXPECT_FALSE(EncodeJump(0xF0000000, 0xF0000005 - 0x7FFF0001));
  // Wrapping rel32 arithmetic would reach these, but the distance counts.
  EXPECT_FALSE(EncodeJump(0x00001000, 0xFFFFF000));
}

// Reads a heap block of exactly these bytes, so that ASan catches any read
// past `size`.
JumpHop Read(std::vector<uint8_t> bytes, uint32_t address = 0x1000) {
  return ReadJump(bytes.data(), bytes.size(), address);
}

TEST(HookJumpTest, FollowsJumps) {
  const struct {
    std::vector<uint8_t> code;
    uint32_t address;
    JumpHop::Kind kind;
    uint32_t destination;
  } cases[] = {
      {{0xE9, 0x10, 0x00, 0x00, 0x00}, 0x1000, JumpHop::Kind::kDirect, 0x1015},
      {{0xEB, 0x80}, 0x1000, JumpHop::Kind::kDirect, 0x0F82},
      {{0xE9, 0x00, 0x00, 0x00, 0x00}, 0xFFFFFFFC, JumpHop::Kind::kDirect, 1},  // wraps like EIP
      {{0xFF, 0x25, 0x78, 0x56, 0x34, 0x12}, 0x1000, JumpHop::Kind::kIndirect, 0x12345678}};
  for (const auto& c : cases) {
    const JumpHop hop = Read(c.code, c.address);
    EXPECT_EQ(hop.kind, c.kind) << c.destination;
    EXPECT_EQ(hop.address, c.destination);
  }
}

TEST(HookJumpTest, IgnoresOtherCodeAndReportsJumpsCutShort) {
  for (const std::vector<uint8_t>& code :
       std::vector<std::vector<uint8_t>>{{},
                                         {0xFF},  // a lone FF may start anything
                                         {0xE8, 0x00, 0x00, 0x00, 0x00},
                                         {0xFF, 0x15, 0x00, 0x10, 0x40, 0x00},  // call [abs]
                                         {0x74, 0x02}}) {
    EXPECT_EQ(Read(code).kind, JumpHop::Kind::kNone) << code.size();
  }
  for (const std::vector<uint8_t>& cut : std::vector<std::vector<uint8_t>>{
           {0xE9, 0x10, 0x00, 0x00}, {0xEB}, {0xFF, 0x25}, {0xFF, 0x25, 0x00, 0x10, 0x40}}) {
    EXPECT_EQ(Read(cut).kind, JumpHop::Kind::kTruncated) << cut.size();
  }
}

TEST(HookJumpTest, RecognisesOnlyTheExactForwardingStub) {
  const uint8_t stub[] = {0x8B, 0xFF, 0xFF, 0x25, 0x44, 0x33, 0x22, 0x11};
  const uint8_t other[] = {0x8B, 0xFF, 0xFF, 0x15, 0x44, 0x33, 0x22, 0x11};  // call
  EXPECT_EQ(ForwardingStubSlot(stub, 8), 0x11223344u);
  EXPECT_FALSE(ForwardingStubSlot(stub, 7));
  EXPECT_FALSE(ForwardingStubSlot(other, 8));
}

}  // namespace
