#include "engine_config/hook/hook_block_table.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

// Blocks are released by the test, so the table can be tried in process.
class HookBlockTableTest : public testing::Test {
 protected:
  void TearDown() override {
    for (uint8_t* block : blocks_)
      table_.Release(block);
    EXPECT_EQ(table_.count(), 0u);
  }

  uint8_t* Allocate(uintptr_t target) {
    uint8_t* block = table_.Allocate(target);
    if (block)
      blocks_.insert(block);
    return block;
  }

  void Release(uint8_t* block) {
    table_.Release(block);
    blocks_.erase(block);
  }

  HookBlockTable table_;
  std::set<uint8_t*> blocks_;
};

uintptr_t Granularity() {
  SYSTEM_INFO info;
  ::GetSystemInfo(&info);
  return info.dwAllocationGranularity;
}

MEMORY_BASIC_INFORMATION Query(const void* address) {
  MEMORY_BASIC_INFORMATION region = {};
  ::VirtualQuery(address, &region, sizeof(region));
  return region;
}

TEST_F(HookBlockTableTest, GivesZeroedExecutableBlocksFromTheBottomUp) {
  const uintptr_t target = reinterpret_cast<uintptr_t>(&Granularity);
  uint8_t* first = Allocate(target);
  uint8_t* second = Allocate(target);
  ASSERT_TRUE(first && second);
  for (uint8_t* block : {first, second}) {
    const uintptr_t address = reinterpret_cast<uintptr_t>(block);
    EXPECT_EQ(address % Granularity(), 0u);
    EXPECT_LT(address, target + 0x7FF80000u);
    const MEMORY_BASIC_INFORMATION region = Query(block);
    EXPECT_EQ(region.State, DWORD{MEM_COMMIT});
    EXPECT_EQ(region.Protect, DWORD{PAGE_EXECUTE_READ});
    EXPECT_EQ(std::vector<uint8_t>(block, block + HookBlockTable::kBlockSize),
              std::vector<uint8_t>(HookBlockTable::kBlockSize, 0));
  }
  // The walk starts at the bottom each time, so the second block is the
  // next free granule above the first.
  EXPECT_GT(second, first);
  EXPECT_EQ(table_.count(), 2u);
}

TEST_F(HookBlockTableTest, HoldsAtMostOneHundredBlocks) {
  const uintptr_t target = reinterpret_cast<uintptr_t>(&Granularity);
  for (size_t i = 0; i < HookBlockTable::kMaxBlocks; ++i)
    ASSERT_TRUE(Allocate(target)) << i;
  EXPECT_EQ(table_.count(), HookBlockTable::kMaxBlocks);
  EXPECT_FALSE(Allocate(target));

  // A released block frees its memory and its slot.
  uint8_t* released = *blocks_.begin();
  Release(released);
  EXPECT_EQ(Query(released).State, DWORD{MEM_FREE});
  EXPECT_EQ(table_.count(), HookBlockTable::kMaxBlocks - 1);
  EXPECT_EQ(Allocate(target), released);
  EXPECT_FALSE(Allocate(target));
}

TEST_F(HookBlockTableTest, IgnoresBlocksItDidNotGive) {
  uint8_t* block = Allocate(reinterpret_cast<uintptr_t>(&Granularity));
  ASSERT_TRUE(block);
  uint8_t elsewhere[16];
  table_.Release(elsewhere);
  table_.Release(nullptr);
  EXPECT_EQ(table_.count(), 1u);
  EXPECT_EQ(Query(block).State, DWORD{MEM_COMMIT});
}

}  // namespace
