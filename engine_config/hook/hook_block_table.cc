#include "engine_config/hook/hook_block_table.h"

#include <windows.h>

#include <algorithm>

namespace {

// Search windows: low targets look from the bottom of the address space up
// to a little under 2 GB past themselves, high ones from a little under
// 2 GB below themselves up to the top.
constexpr uint64_t kLowTargetLimit = 0x80000000;
constexpr uint64_t kLowWindowReach = 0x7FF80000;
constexpr uint64_t kHighWindowReach = 0x7FFF0000;
constexpr uint64_t kHighWindowEnd = 0xFFF80000;

void* AddressOf(uint64_t address) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(address));
}

}  // namespace

HookBlockTable::HookBlockTable() {
  SYSTEM_INFO info;
  ::GetSystemInfo(&info);
  granularity_ = info.dwAllocationGranularity;
}

uint8_t* HookBlockTable::Allocate(uintptr_t target) {
  if (count_ == kMaxBlocks)
    return nullptr;
  const bool low = target < kLowTargetLimit;
  const uint64_t start = low ? 1 : target - kHighWindowReach;
  const uint64_t end = low ? target + kLowWindowReach : kHighWindowEnd;
  for (uint64_t position = start; position < end;) {
    MEMORY_BASIC_INFORMATION region;
    if (!::VirtualQuery(AddressOf(position), &region, sizeof(region)))
      break;
    const uint64_t region_end =
        reinterpret_cast<uintptr_t>(region.BaseAddress) + static_cast<uint64_t>(region.RegionSize);
    if (region.State == MEM_FREE && region.RegionSize >= kBlockSize &&
        region.RegionSize >= granularity_) {
      const uint64_t candidate = (position + granularity_ - 1) / granularity_ * granularity_;
      if (void* block = ::VirtualAlloc(AddressOf(candidate), kBlockSize, MEM_COMMIT | MEM_RESERVE,
                                       PAGE_EXECUTE_READ)) {
        *std::find(slots_.begin(), slots_.end(), nullptr) = static_cast<uint8_t*>(block);
        ++count_;
        return static_cast<uint8_t*>(block);
      }
    }
    if (region_end <= position)
      break;
    position = region_end;
  }
  return nullptr;
}

void HookBlockTable::Release(uint8_t* block) {
  const auto slot = std::find(slots_.begin(), slots_.end(), block);
  if (block == nullptr || slot == slots_.end())
    return;
  *slot = nullptr;
  --count_;
  ::VirtualFree(block, 0, MEM_RELEASE);
}
