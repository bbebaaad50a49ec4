#include "engine_config/hook/hook_memory.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr size_t kPage = 0x1000;

DWORD ProtectionOf(const void* address) {
  MEMORY_BASIC_INFORMATION region;
  return ::VirtualQuery(address, &region, sizeof(region)) ? region.Protect : 0;
}

// Three pages: read-write, then `second`, then reserved only; the first two
// filled with 0x11.
struct ThreePages {
  explicit ThreePages(DWORD second) {
    DWORD ignored;
    if (!memory || !::VirtualAlloc(page(0), 2 * kPage, MEM_COMMIT, PAGE_READWRITE) ||
        !std::memset(page(0), 0x11, 2 * kPage) ||
        !::VirtualProtect(page(1), kPage, second, &ignored)) {
      memory.reset();
    }
  }
  uint8_t* page(size_t index) const { return static_cast<uint8_t*>(memory.get()) + index * kPage; }
  uintptr_t address(size_t index) const { return uintptr_t(page(index)); }

  unique_virtual_memory memory{::VirtualAlloc(nullptr, 3 * kPage, MEM_RESERVE, PAGE_NOACCESS)};
};

TEST(HookMemoryTest, ReadsUpToTheFirstUnreadablePage) {
  uint8_t buffer[32] = {};
  for (const DWORD second :
       {DWORD{PAGE_NOACCESS}, DWORD{PAGE_READWRITE | PAGE_GUARD}, DWORD{PAGE_EXECUTE_READ}}) {
    ThreePages pages(second);
    ASSERT_TRUE(pages.memory);
    const size_t readable = second == PAGE_EXECUTE_READ ? sizeof(buffer) : 5;
    EXPECT_EQ(ReadMemory(pages.address(1) - 5, buffer, sizeof(buffer)), readable) << second;
    EXPECT_EQ(buffer[4], 0x11);
    // A guard page stays armed.
    EXPECT_EQ(ProtectionOf(pages.page(1)), second);
    EXPECT_EQ(ReadMemory(pages.address(2) - 3, buffer, sizeof(buffer)),
              second == PAGE_EXECUTE_READ ? 3u : 0u);
  }
  ThreePages pages(PAGE_EXECUTE_READ);
  EXPECT_EQ(ReadMemory(0, buffer, sizeof(buffer)), 0u);
  EXPECT_EQ(ReadPointer(pages.address(2) - 4), 0x11111111u);
  EXPECT_EQ(ReadPointer(pages.address(2) - 3), std::nullopt);
}

TEST(HookMemoryTest, MakesCodeWritableAndPutsEachPageBack) {
  ThreePages pages(PAGE_EXECUTE_READ);
  DWORD ignored;
  ASSERT_TRUE(pages.memory && ::VirtualProtect(pages.page(0), kPage, PAGE_READONLY, &ignored));
  {
    ScopedCodeWrite write(pages.address(1) - 4, 8);
    ASSERT_TRUE(write.ok());
    std::memset(pages.page(1) - 4, 0x22, 8);
  }
  EXPECT_EQ(ProtectionOf(pages.page(0)), DWORD{PAGE_READONLY});
  EXPECT_EQ(ProtectionOf(pages.page(1)), DWORD{PAGE_EXECUTE_READ});
  EXPECT_EQ(pages.page(1)[3], 0x22);
  // Reaching into the reserved page: nothing changes.
  EXPECT_FALSE(ScopedCodeWrite(pages.address(2) - 4, 8).ok());
  EXPECT_EQ(ProtectionOf(pages.page(1)), DWORD{PAGE_EXECUTE_READ});
}

// The hook jump goes in with one locked exchange, even across a cache line.
TEST(HookMemoryTest, ExchangesEightBytesAcrossACacheLine) {
  alignas(64) uint64_t buffer[9] = {};
  const uintptr_t address = reinterpret_cast<uintptr_t>(buffer) + 61;
  EXPECT_FALSE(CompareExchange8Bytes(address, 1, 2));
  EXPECT_TRUE(CompareExchange8Bytes(address, 0, 0x0807060504030201u));
  EXPECT_EQ(ReadPointer(address + 4), 0x08070605u);
}

}  // namespace
