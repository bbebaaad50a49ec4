#ifndef ENGINE_CONFIG_HOOK_TESTING_CODE_ARENA_H_
#define ENGINE_CONFIG_HOOK_TESTING_CODE_ARENA_H_

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

#include "engine_config/hook/hook_memory.h"

// Executable memory for hand-written machine code in hook tests. Hooked code
// must stay mapped for the rest of the process, so tests that hook it keep
// the arena alive until their process ends.
class CodeArena {
 public:
  // `size` bytes (rounded up to pages) of read-write-execute memory, placed
  // by the system or at `address` exactly.
  static std::optional<CodeArena> Create(size_t size, uintptr_t address = 0);
  // The first free spot from `from` upwards (in steps of 64 KiB) below `to`.
  static std::optional<CodeArena> CreateBetween(uintptr_t from, uintptr_t to, size_t size);

  CodeArena(CodeArena&&) = default;
  CodeArena& operator=(CodeArena&&) = default;

  uint8_t* base() const { return static_cast<uint8_t*>(memory_.get()); }
  size_t size() const { return size_; }
  // Where the next `Put` with this alignment goes, for code that depends on
  // its own address.
  uint8_t* Next(size_t alignment = 16) const;
  // Copies `code` to the next free `alignment`-aligned spot; null when full
  // or when `code` is empty.
  uint8_t* Put(const std::vector<uint8_t>& code, size_t alignment = 16);

 private:
  CodeArena(unique_virtual_memory memory, size_t size) : memory_(std::move(memory)), size_(size) {}

  unique_virtual_memory memory_;
  size_t size_ = 0;
  size_t used_ = 0;
};

// Little-endian operand bytes.
std::vector<uint8_t> Le32(uint32_t value);
// Machine code placed at `at`: a jump or call of the given opcode (E8, E9)
// to `to`, and EB rel8 (empty when `to` is out of its reach).
std::vector<uint8_t> Rel32(uint8_t opcode, const void* at, const void* to);
std::vector<uint8_t> ShortJump(const void* at, const void* to);
// int __cdecl (int a, int b) returning a + b + k, with the hot-patch
// prologue Windows and Wine give their exports.
std::vector<uint8_t> AddFunction(int32_t k);
// int __cdecl () returning `value` from a single 5-byte instruction.
std::vector<uint8_t> ConstFunction(int32_t value);
std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts);

#endif  // ENGINE_CONFIG_HOOK_TESTING_CODE_ARENA_H_
