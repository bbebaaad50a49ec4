#include "engine_config/hook/hook_block_table.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

MEMORY_BASIC_INFORMATION Query(const void* address) {
  MEMORY_BASIC_INFORMATION region = {};
  ::VirtualQuery(address, &region, sizeof(region));
  return region;
}

// Blocks are released by the test, so the table can be tried in process.
TEST(HookBlockTableTest, HoldsAtMostOneHundredZeroedExecutableBlocks) {
  HookBlockTable table;
  const uintptr_t target = reinterpret_cast<uintptr_t>(&Query);
  std::vector<uint8_t*> blocks;
  for (size_t i = 0; i < 100; ++i) {
    blocks.push_back(table.Allocate(target));
    ASSERT_TRUE(blocks.back()) << i;
  }
  EXPECT_FALSE(table.Allocate(target));
  for (uint8_t* block : {blocks[0], blocks[1]}) {
    EXPECT_LT(reinterpret_cast<uintptr_t>(block), target + 0x7FF80000u);
    EXPECT_EQ(Query(block).Protect, DWORD{PAGE_EXECUTE_READ});
    EXPECT_EQ(std::vector<uint8_t>(block, block + HookBlockTable::kBlockSize),
              std::vector<uint8_t>(HookBlockTable::kBlockSize, 0));
  }
  // Blocks it did not give are ignored; a released one frees memory and slot.
  uint8_t elsewhere[16];
  table.Release(elsewhere);
  table.Release(nullptr);
  EXPECT_EQ(table.count(), 100u);
  table.Release(blocks[0]);
  EXPECT_EQ(Query(blocks[0]).State, DWORD{MEM_FREE});
  EXPECT_EQ(table.Allocate(target), blocks[0]);
  for (uint8_t* block : blocks)
    table.Release(block);
  EXPECT_EQ(table.count(), 0u);
}

}  // namespace
