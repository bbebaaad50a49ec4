#include "engine_config/hook/hook_memory.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr size_t kPage = 0x1000;

DWORD ProtectionOf(const void* address) {
  MEMORY_BASIC_INFORMATION region;
  return ::VirtualQuery(address, &region, sizeof(region)) ? region.Protect : 0;
}

// Three pages: read-write, then `second`, then reserved only.
class ThreePages {
 public:
  explicit ThreePages(DWORD second) {
    memory_.reset(::VirtualAlloc(nullptr, 3 * kPage, MEM_RESERVE, PAGE_NOACCESS));
    if (!memory_ || !::VirtualAlloc(page(0), kPage, MEM_COMMIT, PAGE_READWRITE) ||
        !::VirtualAlloc(page(1), kPage, MEM_COMMIT, PAGE_READWRITE)) {
      memory_.reset();
      return;
    }
    std::memset(page(0), 0x11, 2 * kPage);
    DWORD ignored;
    if (!::VirtualProtect(page(1), kPage, second, &ignored))
      memory_.reset();
  }

  bool ok() const { return memory_.is_valid(); }
  uint8_t* page(size_t index) const { return static_cast<uint8_t*>(memory_.get()) + index * kPage; }
  uintptr_t address(size_t index) const { return reinterpret_cast<uintptr_t>(page(index)); }

 private:
  unique_virtual_memory memory_;
};

TEST(HookMemoryTest, ReadsUpToTheFirstUnreadablePage) {
  for (const DWORD unreadable : {DWORD{PAGE_NOACCESS}, DWORD{PAGE_READWRITE | PAGE_GUARD}}) {
    ThreePages pages(unreadable);
    ASSERT_TRUE(pages.ok());
    uint8_t buffer[32] = {};
    EXPECT_EQ(ReadMemory(pages.address(1) - 5, buffer, sizeof(buffer)), 5u) << unreadable;
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 5), std::vector<uint8_t>(5, 0x11));
    EXPECT_EQ(ReadMemory(pages.address(1), buffer, sizeof(buffer)), 0u);
    // A guard page stays armed: reading around it is no access.
    EXPECT_EQ(ProtectionOf(pages.page(1)), unreadable);
  }
  ThreePages pages(PAGE_EXECUTE_READ);
  ASSERT_TRUE(pages.ok());
  uint8_t buffer[32];
  EXPECT_EQ(ReadMemory(pages.address(1) - 5, buffer, sizeof(buffer)), sizeof(buffer));
  // Only reserved: not there.
  EXPECT_EQ(ReadMemory(pages.address(2) - 3, buffer, sizeof(buffer)), 3u);
  EXPECT_EQ(ReadMemory(0, buffer, sizeof(buffer)), 0u);
  EXPECT_EQ(ReadPointer(pages.address(2) - 4), 0x11111111u);
  EXPECT_EQ(ReadPointer(pages.address(2) - 3), std::nullopt);
}

TEST(HookMemoryTest, MakesCodeWritableAndPutsEachPageBack) {
  ThreePages pages(PAGE_EXECUTE_READ);
  ASSERT_TRUE(pages.ok());
  DWORD ignored;
  ASSERT_TRUE(::VirtualProtect(pages.page(0), kPage, PAGE_READONLY, &ignored));
  {
    // Across the boundary of two pages with different protections.
    ScopedCodeWrite write(pages.address(1) - 4, 8);
    ASSERT_TRUE(write.ok());
    EXPECT_EQ(ProtectionOf(pages.page(0)), DWORD{PAGE_EXECUTE_READWRITE});
    EXPECT_EQ(ProtectionOf(pages.page(1)), DWORD{PAGE_EXECUTE_READWRITE});
    std::memset(pages.page(1) - 4, 0x22, 8);
  }
  EXPECT_EQ(ProtectionOf(pages.page(0)), DWORD{PAGE_READONLY});
  EXPECT_EQ(ProtectionOf(pages.page(1)), DWORD{PAGE_EXECUTE_READ});
  EXPECT_EQ(pages.page(1)[3], 0x22);
}

TEST(HookMemoryTest, ChangesNothingWhenOnePageCannotBeWritten) {
  ThreePages pages(PAGE_EXECUTE_READ);
  ASSERT_TRUE(pages.ok());
  {
    ScopedCodeWrite write(pages.address(2) - 4, 8);
    EXPECT_FALSE(write.ok());
    EXPECT_EQ(ProtectionOf(pages.page(1)), DWORD{PAGE_EXECUTE_READ});
  }
  EXPECT_EQ(ProtectionOf(pages.page(1)), DWORD{PAGE_EXECUTE_READ});
}

TEST(HookMemoryTest, ExchangesEightBytesAtAnyAlignment) {
  alignas(64) uint8_t buffer[128];
  // Aligned, odd, and split across a cache line.
  for (const size_t offset : {size_t{0}, size_t{3}, size_t{61}}) {
    SCOPED_TRACE(offset);
    std::memset(buffer, 0xAA, sizeof(buffer));
    const uint64_t old_bytes = 0x0807060504030201u;
    const uint64_t new_bytes = 0x0807069090909090u;
    std::memcpy(buffer + offset, &old_bytes, 8);
    const uintptr_t address = reinterpret_cast<uintptr_t>(buffer + offset);

    EXPECT_FALSE(CompareExchange8Bytes(address, new_bytes, old_bytes));
    uint64_t now;
    std::memcpy(&now, buffer + offset, 8);
    EXPECT_EQ(now, old_bytes);

    EXPECT_TRUE(CompareExchange8Bytes(address, old_bytes, new_bytes));
    std::memcpy(&now, buffer + offset, 8);
    EXPECT_EQ(now, new_bytes);
    // Neighbours untouched.
    EXPECT_EQ(offset ? buffer[offset - 1] : 0xAA, 0xAA);
    EXPECT_EQ(buffer[offset + 8], 0xAA);
  }
}

}  // namespace
