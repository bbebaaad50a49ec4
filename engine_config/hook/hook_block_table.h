#ifndef ENGINE_CONFIG_HOOK_HOOK_BLOCK_TABLE_H_
#define ENGINE_CONFIG_HOOK_HOOK_BLOCK_TABLE_H_

#include <array>
#include <cstddef>
#include <cstdint>

// The executable blocks that hold trampolines, each within jump range of its
// hook target. Not thread-safe: the engine's lock guards it.
class HookBlockTable {
 public:
  static constexpr size_t kBlockSize = 108;
  static constexpr size_t kMaxBlocks = 100;

  HookBlockTable();
  HookBlockTable(const HookBlockTable&) = delete;
  HookBlockTable& operator=(const HookBlockTable&) = delete;

  // A zeroed block, committed PAGE_EXECUTE_READ, at the lowest free
  // allocation granule of the window around `target`; null when all slots
  // are taken or nothing in the window is free.
  uint8_t* Allocate(uintptr_t target);
  // Frees a block that `Allocate` returned.
  void Release(uint8_t* block);

  size_t count() const { return count_; }

 private:
  std::array<uint8_t*, kMaxBlocks> slots_ = {};
  size_t count_ = 0;
  uint64_t granularity_;
};

#endif  // ENGINE_CONFIG_HOOK_HOOK_BLOCK_TABLE_H_
