#include "engine_config/hook/hook_jump.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(HookJumpTest, EncodesDisplacementFromTheEndOfTheJump) {
  EXPECT_EQ(EncodeJump(0x1000, 0x1005), (JumpBytes{0xE9, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(EncodeJump(0x1000, 0x1000), (JumpBytes{0xE9, 0xFB, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(EncodeJump(0x00401000, 0x00402345), (JumpBytes{0xE9, 0x40, 0x13, 0x00, 0x00}));
  // Near the top of the address space `from + 5` must not wrap.
  EXPECT_EQ(EncodeJump(0xFFFFFFF0, 0xFFFFFFF0), (JumpBytes{0xE9, 0xFB, 0xFF, 0xFF, 0xFF}));
}

TEST(HookJumpTest, RefusesDisplacementsBeyondTheLimit) {
  constexpr uint32_t kFrom = 0x10000000;
  constexpr uint32_t kEnd = kFrom + 5;
  EXPECT_EQ(EncodeJump(kFrom, kEnd + 0x7FFF0000), (JumpBytes{0xE9, 0x00, 0x00, 0xFF, 0x7F}));
  EXPECT_FALSE(EncodeJump(kFrom, kEnd + 0x7FFF0001));
  constexpr uint32_t kHighFrom = 0xF0000000;
  constexpr uint32_t kHighEnd = kHighFrom + 5;
  EXPECT_EQ(EncodeJump(kHighFrom, kHighEnd - 0x7FFF0000),
            (JumpBytes{0xE9, 0x00, 0x00, 0x01, 0x80}));
  EXPECT_FALSE(EncodeJump(kHighFrom, kHighEnd - 0x7FFF0001));
  // Wrapping rel32 arithmetic would reach these, but the distance counts.
  EXPECT_FALSE(EncodeJump(0x00001000, 0xFFFFF000));
  EXPECT_FALSE(EncodeJump(0xFFFFF000, 0x00001000));
}

// Reads from a heap block of exactly these bytes, so that ASan catches any
// read past `size`.
JumpHop Read(std::vector<uint8_t> bytes, uint32_t address) {
  return ReadJump(bytes.data(), bytes.size(), address);
}

TEST(HookJumpTest, FollowsRelativeJumpsBothWays) {
  JumpHop hop = Read({0xE9, 0x10, 0x00, 0x00, 0x00}, 0x1000);
  EXPECT_EQ(hop.kind, JumpHop::Kind::kDirect);
  EXPECT_EQ(hop.address, 0x1015u);
  hop = Read({0xE9, 0xF0, 0xFF, 0xFF, 0xFF}, 0x1000);
  EXPECT_EQ(hop.address, 0x0FF5u);
  hop = Read({0xEB, 0x7F}, 0x1000);
  EXPECT_EQ(hop.kind, JumpHop::Kind::kDirect);
  EXPECT_EQ(hop.address, 0x1081u);
  hop = Read({0xEB, 0x80}, 0x1000);
  EXPECT_EQ(hop.address, 0x0F82u);
  hop = Read({0xEB, 0xFE}, 0x1000);
  EXPECT_EQ(hop.address, 0x1000u);
  // Addresses wrap like EIP does.
  hop = Read({0xE9, 0x00, 0x00, 0x00, 0x00}, 0xFFFFFFFC);
  EXPECT_EQ(hop.address, 0x00000001u);
}

TEST(HookJumpTest, FollowsIndirectJumpThroughAbsoluteAddress) {
  const JumpHop hop = Read({0xFF, 0x25, 0x78, 0x56, 0x34, 0x12}, 0x1000);
  EXPECT_EQ(hop.kind, JumpHop::Kind::kIndirect);
  EXPECT_EQ(hop.address, 0x12345678u);
}

TEST(HookJumpTest, IgnoresEverythingElse) {
  for (const std::vector<uint8_t>& code : std::vector<std::vector<uint8_t>>{
           {},
           {0x8B, 0xFF, 0x55, 0x8B, 0xEC},
           {0xE8, 0x00, 0x00, 0x00, 0x00},        // call rel32
           {0xFF, 0x15, 0x00, 0x10, 0x40, 0x00},  // call [abs]
           {0xFF, 0x24, 0x85, 0x00, 0x10, 0x40},  // jmp [table + eax*4]
           {0xFF, 0xE0},                          // jmp eax
           {0x74, 0x02},                          // jz
           {0xFF},
       }) {
    EXPECT_EQ(Read(code, 0x1000).kind, JumpHop::Kind::kNone) << code.size();
  }
}

TEST(HookJumpTest, ReportsJumpsCutShort) {
  const std::vector<uint8_t> jumps[] = {
      {0xE9, 0x10, 0x00, 0x00, 0x00}, {0xEB, 0x10}, {0xFF, 0x25, 0x00, 0x10, 0x40, 0x00}};
  for (const std::vector<uint8_t>& jump : jumps) {
    // A lone FF may start anything.
    const size_t first_known = jump[0] == 0xFF ? 2 : 1;
    for (size_t size = first_known; size < jump.size(); ++size) {
      EXPECT_EQ(Read({jump.begin(), jump.begin() + size}, 0x1000).kind, JumpHop::Kind::kTruncated)
          << int{jump[0]} << " cut to " << size;
    }
  }
}

TEST(HookJumpTest, RecognisesOnlyTheExactForwardingStub) {
  const std::vector<uint8_t> stub = {0x8B, 0xFF, 0xFF, 0x25, 0x44, 0x33, 0x22, 0x11};
  EXPECT_EQ(ForwardingStubSlot(stub.data(), stub.size()), 0x11223344u);
  for (size_t i = 0; i < 4; ++i) {
    std::vector<uint8_t> other = stub;
    other[i] ^= 0x01;
    EXPECT_FALSE(ForwardingStubSlot(other.data(), other.size())) << i;
  }
  for (size_t size = 0; size < stub.size(); ++size) {
    const std::vector<uint8_t> cut(stub.begin(), stub.begin() + size);
    EXPECT_FALSE(ForwardingStubSlot(cut.data(), cut.size())) << size;
  }
  // The usual hot-patch prologue is not a stub.
  const std::vector<uint8_t> hot_patch = {0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x5D, 0xFF, 0x25};
  EXPECT_FALSE(ForwardingStubSlot(hot_patch.data(), hot_patch.size()));
}

}  // namespace
