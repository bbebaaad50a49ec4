#include "engine_config/hook/hook_engine.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>

#include "engine_config/hook/hook_block_table.h"
#include "engine_config/hook/hook_jump.h"
#include "engine_config/hook/hook_memory.h"
#include "engine_config/hook/hook_prologue.h"
#include "utils/critical_section.h"

namespace {

// Trampoline block layout.
constexpr size_t kTargetField = 0;
constexpr size_t kPrologueSizeField = 4;
constexpr size_t kDetourField = 8;
constexpr size_t kRelayOffset = 12;
constexpr size_t kTrampolineOffset = 44;
constexpr size_t kPrologueCopyOffset = 76;

// The hook jump goes in with one 8-byte exchange.
constexpr size_t kExchangeSize = 8;
// Chains of thunks are short; a longer one is taken for a loop (EB FE).
constexpr int kMaxJumpHops = 16;

struct HookEngine {
  CriticalSection lock;
  HookBlockTable blocks;
};

HookEngine& Engine() {
  // Never destroyed: hooks and their trampolines outlive static destructors.
  static HookEngine* const engine = new HookEngine;
  return *engine;
}

uintptr_t AddressOf(const void* pointer) {
  return reinterpret_cast<uintptr_t>(pointer);
}

// Where a call to `code` really ends up once E9, EB and FF 25 jumps are
// followed; nothing when that is not readable code or the jumps never end.
std::optional<uintptr_t> FollowJumps(uintptr_t code) {
  for (int hop = 0; hop < kMaxJumpHops; ++hop) {
    uint8_t bytes[6];
    const size_t readable = ReadMemory(code, bytes, sizeof(bytes));
    const JumpHop jump = ReadJump(bytes, readable, code);
    switch (jump.kind) {
      case JumpHop::Kind::kNone:
        return readable > 0 ? std::optional<uintptr_t>(code) : std::nullopt;
      case JumpHop::Kind::kDirect:
        code = jump.address;
        break;
      case JumpHop::Kind::kIndirect: {
        const std::optional<uint32_t> destination = ReadPointer(jump.address);
        if (!destination)
          return std::nullopt;
        code = *destination;
        break;
      }
      case JumpHop::Kind::kTruncated:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<uintptr_t> SkipForwardingStub(uintptr_t code) {
  uint8_t bytes[8];
  const std::optional<uint32_t> slot = ForwardingStubSlot(bytes, ReadMemory(code, bytes, 8));
  return slot ? ReadPointer(*slot) : code;
}

// Gives a block back to the table unless the hook that uses it went in.
class PendingBlock {
 public:
  PendingBlock(HookBlockTable& table, uint8_t* block) : table_(table), block_(block) {}
  ~PendingBlock() {
    if (block_)
      table_.Release(block_);
  }
  PendingBlock(const PendingBlock&) = delete;
  PendingBlock& operator=(const PendingBlock&) = delete;

  uint8_t* get() const { return block_; }
  uintptr_t address(size_t offset) const { return AddressOf(block_) + offset; }
  void Keep() { block_ = nullptr; }

 private:
  HookBlockTable& table_;
  uint8_t* block_;
};

void StoreField(uint8_t* block, size_t offset, uint32_t value) {
  std::memcpy(block + offset, &value, sizeof(value));
}

bool InstallHook(void** variable, uintptr_t target, uintptr_t detour) {
  uint8_t code[kMaxPrologueSize];
  const size_t readable = ReadMemory(target, code, sizeof(code));
  const std::optional<size_t> prologue_size = MeasurePrologue(code, readable);
  if (!prologue_size || readable < kExchangeSize)
    return false;
  const size_t prologue = *prologue_size;
  // A detour inside the code it replaces would jump into its own jump; this
  // is also what a second hook with the same detour looks like.
  if (detour - target < prologue)
    return false;

  HookBlockTable& blocks = Engine().blocks;
  PendingBlock block(blocks, blocks.Allocate(target));
  if (!block.get())
    return false;

  // Every jump is worked out before anything is written: one that cannot be
  // encoded fails the hook instead of leaving a hole to jump into.
  const uintptr_t trampoline = block.address(kTrampolineOffset);
  const std::optional<JumpBytes> jump_back = EncodeJump(trampoline + prologue, target + prologue);
  const bool direct = EncodeJump(target, detour).has_value();
  const std::optional<JumpBytes> relay =
      direct ? std::nullopt : EncodeJump(block.address(kRelayOffset), detour);
  const std::optional<JumpBytes> hook =
      EncodeJump(target, direct ? detour : block.address(kRelayOffset));
  if (!jump_back || !hook || (!direct && !relay))
    return false;

  ScopedCodeWrite target_write(target, std::max(prologue, kExchangeSize));
  if (!target_write.ok())
    return false;
  {
    ScopedCodeWrite block_write(AddressOf(block.get()), HookBlockTable::kBlockSize);
    if (!block_write.ok())
      return false;
    std::memcpy(block.get() + kTrampolineOffset, code, prologue);
    std::memcpy(block.get() + kPrologueCopyOffset, code, prologue);
    std::memcpy(block.get() + kTrampolineOffset + prologue, jump_back->data(), kJumpSize);
    if (relay)
      std::memcpy(block.get() + kRelayOffset, relay->data(), kJumpSize);
    StoreField(block.get(), kTargetField, target);
    StoreField(block.get(), kPrologueSizeField, prologue);
    StoreField(block.get(), kDetourField, detour);
  }

  uint64_t old_bytes;
  std::memcpy(&old_bytes, code, kExchangeSize);
  uint64_t new_bytes = old_bytes;
  std::memcpy(&new_bytes, hook->data(), kJumpSize);
  void* const original = *variable;
  // The detour may run on another thread as soon as the jump is in, and it
  // calls through the variable: it must already lead to the trampoline.
  __atomic_store_n(variable, reinterpret_cast<void*>(trampoline), __ATOMIC_RELEASE);
  // The target's own first 8 bytes, aligned or not. A locked exchange is
  // indivisible even across a cache-line boundary (only slower), and a thread
  // fetching the code sees the 5 jump bytes whole whenever they share a line,
  // as they do for any target starting 16-byte aligned, like compiled
  // functions. An aligned 8-byte window around the target could not hold
  // the jump at all for targets 4 to 7 bytes past an 8-byte boundary.
  // Threads are not stopped: one paused between two of the moved
  // instructions would resume inside the jump, so hooks go in before the
  // threads that call their targets exist.
  // Comparing with the bytes the trampoline was made from also catches code
  // that changed meanwhile.
  if (!CompareExchange8Bytes(target, old_bytes, new_bytes)) {
    __atomic_store_n(variable, original, __ATOMIC_RELEASE);
    return false;
  }
  block.Keep();
  return true;
}

}  // namespace

bool SetHook(void** target, void* detour) {
  if (!target || !*target || !detour)
    return false;
  const std::optional<uintptr_t> stub_target = SkipForwardingStub(AddressOf(*target));
  if (!stub_target)
    return false;
  AutoLock lock(Engine().lock);
  const std::optional<uintptr_t> real_target = FollowJumps(*stub_target);
  const std::optional<uintptr_t> real_detour = FollowJumps(AddressOf(detour));
  return real_target && real_detour && InstallHook(target, *real_target, *real_detour);
}

bool HookExport(HMODULE module, const char* export_name, void* detour, void** trampoline) {
  if (!trampoline)
    return false;
  *trampoline = module && export_name
                    ? reinterpret_cast<void*>(::GetProcAddress(module, export_name))
                    : nullptr;
  return *trampoline && SetHook(trampoline, detour);
}

bool IsAddressInModule(const wchar_t* module_name, const void* address) {
  if (!module_name)
    return false;
  const uintptr_t base = AddressOf(::GetModuleHandleW(module_name));
  if (!base)
    return false;
  // The module may be going away under us: read its headers without trusting them.
  IMAGE_DOS_HEADER dos;
  if (ReadMemory(base, &dos, sizeof(dos)) != sizeof(dos) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
      dos.e_lfanew < 0) {
    return false;
  }
  IMAGE_NT_HEADERS32 nt;
  if (ReadMemory(base + dos.e_lfanew, &nt, sizeof(nt)) != sizeof(nt) ||
      nt.Signature != IMAGE_NT_SIGNATURE) {
    return false;
  }
  return AddressOf(address) >= base && AddressOf(address) - base < nt.OptionalHeader.SizeOfImage;
}

HMODULE LoadSystemLibrary(const wchar_t* file_name) {
  // A bare file name only: anything with a path could leave the folder.
  if (!file_name || !*file_name || std::wcspbrk(file_name, L"\\/:"))
    return nullptr;
  std::wstring path(MAX_PATH, L'\0');
  UINT length = ::GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
  if (length >= path.size()) {
    path.resize(length);
    length = ::GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
  }
  if (length == 0 || length >= path.size())
    return nullptr;
  path.resize(length);
  if (path.back() != L'\\')
    path += L'\\';
  path += file_name;
  return ::LoadLibraryW(path.c_str());
}
