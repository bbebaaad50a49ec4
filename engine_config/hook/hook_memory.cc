#include "engine_config/hook/hook_memory.h"

#include <algorithm>

namespace {

uintptr_t PageSize() {
  static const uintptr_t page_size = [] {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return static_cast<uintptr_t>(info.dwPageSize);
  }();
  return page_size;
}

bool IsReadable(uintptr_t address) {
  constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  MEMORY_BASIC_INFORMATION region;
  return ::VirtualQuery(reinterpret_cast<const void*>(address), &region, sizeof(region)) &&
         region.State == MEM_COMMIT && (region.Protect & kReadable) &&
         !(region.Protect & PAGE_GUARD);
}

}  // namespace

size_t ReadMemory(uintptr_t address, void* buffer, size_t size) {
  // One page at a time, so that a readable head is still returned. The page
  // is checked first because Wine's ReadProcessMemory reads even reserved and
  // no-access pages; the system still does the copy, so memory freed between
  // check and read fails the read instead of faulting.
  size_t copied = 0;
  while (copied < size) {
    const uintptr_t from = address + copied;
    const size_t chunk = std::min<size_t>(size - copied, PageSize() - from % PageSize());
    SIZE_T read = 0;
    if (!IsReadable(from) ||
        !::ReadProcessMemory(::GetCurrentProcess(), reinterpret_cast<const void*>(from),
                             static_cast<uint8_t*>(buffer) + copied, chunk, &read) ||
        read != chunk) {
      break;
    }
    copied += chunk;
  }
  return copied;
}

std::optional<uint32_t> ReadPointer(uintptr_t address) {
  uint32_t value;
  if (ReadMemory(address, &value, sizeof(value)) != sizeof(value))
    return std::nullopt;
  return value;
}

bool CompareExchange8Bytes(uintptr_t address, uint64_t expected, uint64_t desired) {
  bool exchanged;
  asm volatile("lock cmpxchg8b %1"
               : "=@ccz"(exchanged), "+m"(*reinterpret_cast<volatile uint64_t*>(address)),
                 "+A"(expected)
               : "b"(static_cast<uint32_t>(desired)), "c"(static_cast<uint32_t>(desired >> 32))
               : "memory");
  return exchanged;
}

ScopedCodeWrite::ScopedCodeWrite(uintptr_t address, size_t size) : address_(address), size_(size) {
  const uint64_t end = uint64_t{address} + size;
  for (uint64_t page = address - address % PageSize(); page < end; page += PageSize()) {
    // Pages of one range may differ, so each is changed and put back alone.
    DWORD protection;
    if (!::VirtualProtectEx(::GetCurrentProcess(), reinterpret_cast<void*>(page), 1,
                            PAGE_EXECUTE_READWRITE, &protection)) {
      Restore();
      return;
    }
    pages_.push_back({static_cast<uintptr_t>(page), protection});
  }
  ok_ = true;
}

ScopedCodeWrite::~ScopedCodeWrite() {
  if (ok_)
    ::FlushInstructionCache(::GetCurrentProcess(), reinterpret_cast<void*>(address_), size_);
  Restore();
}

void ScopedCodeWrite::Restore() {
  for (const Page& page : pages_) {
    DWORD ignored;
    ::VirtualProtectEx(::GetCurrentProcess(), reinterpret_cast<void*>(page.base), 1,
                       page.protection, &ignored);
  }
  pages_.clear();
}
