#ifndef ENGINE_CONFIG_HOOK_HOOK_MEMORY_H_
#define ENGINE_CONFIG_HOOK_HOOK_MEMORY_H_

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "utils/scoped_handle.h"

// Reading and rewriting code of this process. Reads never fault: whatever is
// not mapped or not readable just ends them.

// Copies up to `size` bytes from `address`; stops at the first byte that
// cannot be read and returns how many were copied.
size_t ReadMemory(uintptr_t address, void* buffer, size_t size);
std::optional<uint32_t> ReadPointer(uintptr_t address);

// Replaces the 8 bytes at `address` with `desired` when they still hold
// `expected`, as one LOCK CMPXCHG8B. The address need not be aligned: a locked
// operation stays indivisible across a cache-line boundary, only slower.
[[nodiscard]] bool CompareExchange8Bytes(uintptr_t address, uint64_t expected, uint64_t desired);

// Code made writable for the lifetime of the object. On the way out the
// instruction cache is flushed and every page gets its own protection back.
class ScopedCodeWrite {
 public:
  ScopedCodeWrite(uintptr_t address, size_t size);
  ~ScopedCodeWrite();
  ScopedCodeWrite(const ScopedCodeWrite&) = delete;
  ScopedCodeWrite& operator=(const ScopedCodeWrite&) = delete;

  // False when some page could not be made writable; nothing is then changed.
  [[nodiscard]] bool ok() const { return ok_; }

 private:
  struct Page {
    uintptr_t base;
    DWORD protection;
  };

  void Restore();

  uintptr_t address_;
  size_t size_;
  bool ok_ = false;
  std::vector<Page> pages_;
};

struct VirtualMemoryTraits {
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::VirtualFree(h, 0, MEM_RELEASE); }
};

using unique_virtual_memory = UniqueAny<VirtualMemoryTraits>;

#endif  // ENGINE_CONFIG_HOOK_HOOK_MEMORY_H_
