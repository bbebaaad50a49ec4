#include "engine_config/hook/hook_jump.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Kind = JumpHop::Kind;

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

// Each case reads a heap block of exactly its bytes, so that ASan catches any
// read past the end.
TEST(HookJumpTest, FollowsOnlyJumpsAndReportsThoseCutShort) {
  const struct {
    std::vector<uint8_t> code;
    uint32_t address;
    Kind kind;
    uint32_t destination;
  } cases[] = {
      {{0xE9, 0x10, 0x00, 0x00, 0x00}, 0x1000, Kind::kDirect, 0x1015},
      {{0xEB, 0x80}, 0x1000, Kind::kDirect, 0x0F82},
      {{0xE9, 0x00, 0x00, 0x00, 0x00}, 0xFFFFFFFC, Kind::kDirect, 1},  // wraps like EIP
      {{0xFF, 0x25, 0x78, 0x56, 0x34, 0x12}, 0x1000, Kind::kIndirect, 0x12345678},
      {{}, 0x1000, Kind::kNone, 0},
      {{0xFF}, 0x1000, Kind::kNone, 0},  // a lone FF may start anything
      {{0xFF, 0x15, 0x00, 0x10, 0x40, 0x00}, 0x1000, Kind::kNone, 0},  // call [abs]
      {{0xE9, 0x10, 0x00, 0x00}, 0x1000, Kind::kTruncated, 0},
      {{0xEB}, 0x1000, Kind::kTruncated, 0},
      {{0xFF, 0x25}, 0x1000, Kind::kTruncated, 0},
      {{0xFF, 0x25, 0x00, 0x10, 0x40}, 0x1000, Kind::kTruncated, 0},
  };
  for (const auto& c : cases) {
    const JumpHop hop = ReadJump(c.code.data(), c.code.size(), c.address);
    EXPECT_EQ(hop.kind, c.kind) << &c - cases;
    EXPECT_EQ(hop.address, c.destination) << &c - cases;
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
