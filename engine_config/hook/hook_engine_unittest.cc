#include "engine_config/hook/hook_engine.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine_config/hook/hook_memory.h"
#include "tests/child_process.h"
#include "utils/scoped_handle.h"

// Hooks stay for good, so every case that installs one runs in a child
// process.
namespace {

using AddFn = int (*)(int, int);
using Code = std::vector<uint8_t>;

// The trampoline block, as the engine lays it out.
constexpr size_t kRelayOffset = 12;
constexpr size_t kTrampolineOffset = 44;
constexpr size_t kPrologueCopyOffset = 76;

template <typename T>
uintptr_t AddressOf(T* pointer) {
  return reinterpret_cast<uintptr_t>(pointer);
}

// A page of executable memory for hand-written code, placed by the system or
// at `address`; the page after it is reserved only. Hooked code must stay
// mapped, so children keep theirs.
class CodeArena {
 public:
  explicit CodeArena(uintptr_t address = 0)
      : memory_(
            ::VirtualAlloc(reinterpret_cast<void*>(address), 0x2000, MEM_RESERVE, PAGE_NOACCESS)) {
    if (memory_ && !::VirtualAlloc(base(), 0x1000, MEM_COMMIT, PAGE_EXECUTE_READWRITE))
      memory_.reset();
  }

  bool ok() const { return memory_.get() != nullptr; }
  uint8_t* end() const { return base() + 0x1000; }
  Code Bytes() const { return Code(base(), end()); }
  // Where the next `Put` goes, for code that depends on its own address.
  uint8_t* Next() const { return base() + (used_ + 15) / 16 * 16; }
  uint8_t* Put(const Code& code) {
    uint8_t* const at = Next();
    std::memcpy(at, code.data(), code.size());
    used_ = at + code.size() - base();
    return at;
  }

 private:
  uint8_t* base() const { return static_cast<uint8_t*>(memory_.get()); }

  unique_virtual_memory memory_;
  size_t used_ = 0;
};

Code Concat(std::initializer_list<Code> parts) {
  Code code;
  for (const Code& part : parts)
    code.insert(code.end(), part.begin(), part.end());
  return code;
}

Code Le32(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

// E8/E9 rel32 and EB rel8 placed at `at`, to `to`.
Code Rel32(uint8_t opcode, const void* at, const void* to) {
  return Concat({{opcode}, Le32(AddressOf(to) - (AddressOf(at) + 5))});
}

Code ShortJump(const void* at, const void* to) {
  return {0xEB, static_cast<uint8_t>(AddressOf(to) - (AddressOf(at) + 2))};
}

// int __cdecl (int a, int b) returning a + b + k, with the hot-patch
// prologue Windows and Wine give their exports.
Code AddFunction(int32_t k) {
  return Concat({{0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x8B, 0x45, 0x08, 0x03, 0x45, 0x0C, 0x05},
                 Le32(static_cast<uint32_t>(k)),
                 {0x5D, 0xC3}});
}

// Where the E9 jump at `code` lands; 0 when `code` is not one.
uintptr_t JumpDestination(const uint8_t* code) {
  uint32_t displacement;
  std::memcpy(&displacement, code + 1, 4);
  return code[0] == 0xE9 ? AddressOf(code) + 5 + displacement : 0;
}

// Detour N adds 1000 to what the real function answers through its
// trampoline.
template <int N>
struct Hooked {
  static inline AddFn real = nullptr;
  static int Detour(int a, int b) { return real(a, b) + 1000; }
};

// Hooks `entry`, which leads to `function` (AddFunction(k)): the hook must
// sit on `function` and work both ways.
template <int N>
int HookAndCheck(uint8_t* entry, uint8_t* function, int k) {
  const Code entry_bytes(entry, entry + 8);
  const Code prologue(function, function + 5);
  Hooked<N>::real = reinterpret_cast<AddFn>(entry);
  CHILD_CHECK(SetHook(&Hooked<N>::real, &Hooked<N>::Detour));
  const uint8_t* block = reinterpret_cast<const uint8_t*>(Hooked<N>::real) - kTrampolineOffset;
  // The trampoline runs the moved prologue, then the rest of the function.
  CHILD_CHECK(JumpDestination(block + kTrampolineOffset + 5) == AddressOf(function) + 5);
  CHILD_CHECK(Code(block + kPrologueCopyOffset, block + kPrologueCopyOffset + 5) == prologue);
  CHILD_CHECK(JumpDestination(function) == AddressOf(&Hooked<N>::Detour));
  // The jumps in front are left alone.
  CHILD_CHECK(entry == function || Code(entry, entry + 8) == entry_bytes);
  CHILD_CHECK(reinterpret_cast<AddFn>(entry)(2, 3) == 5 + k + 1000);
  CHILD_CHECK(Hooked<N>::real(2, 3) == 5 + k);
  return 0;
}

TB_CHILD_ROUTINE(HookFollowsLeadingJumps) {
  CodeArena arena;
  CHILD_CHECK(arena.ok());
  uint8_t* after_chain = arena.Put(AddFunction(3));
  uint8_t* after_stub = arena.Put(AddFunction(4));
  uint8_t* slots = arena.Put(Concat({Le32(AddressOf(after_chain)), Le32(AddressOf(after_stub))}));
  // EB to E9 to FF 25 to the function.
  uint8_t* indirect = arena.Put(Concat({{0xFF, 0x25}, Le32(AddressOf(slots))}));
  uint8_t* relative = arena.Put(Rel32(0xE9, arena.Next(), indirect));
  uint8_t* chain = arena.Put(ShortJump(arena.Next(), relative));
  // An import forwarding stub: mov edi,edi; jmp [slot].
  uint8_t* stub = arena.Put(Concat({{0x8B, 0xFF, 0xFF, 0x25}, Le32(AddressOf(slots + 4))}));
  if (const int line = HookAndCheck<1>(chain, after_chain, 3))
    return line;
  return HookAndCheck<2>(stub, after_stub, 4);
}

TEST(HookEngineTest, HooksWhereLeadingJumpsLead) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "HookFollowsLeadingJumps"), 0u);
}

// Nothing is installed here, so it runs in the test process itself. SetHook
// must fail and leave both the variable and the code unchanged.
TEST(HookEngineTest, RefusesWhatItCannotHookSafely) {
  CodeArena arena;
  CodeArena detours;
  ASSERT_TRUE(arena.ok() && detours.ok());
  uint8_t* const detour = detours.Put(Concat({{0xB8}, Le32(7), {0xC3}}));  // mov eax,7; ret
  const auto expect_refused = [&](const char* what, uint8_t* target, void* with = nullptr) {
    const Code before = arena.Bytes();
    void* variable = target;
    EXPECT_FALSE(SetHook(&variable, with ? with : detour)) << what;
    EXPECT_EQ(variable, target) << what;
    EXPECT_EQ(arena.Bytes(), before) << what;
  };
  uint8_t* const end = arena.end();  // of the committed memory
  expect_refused("call", arena.Put(Concat({{0x55}, Rel32(0xE8, arena.Next() + 1, detour)})));
  // Cut short: the prologue, then the 8 exchanged bytes.
  std::memcpy(end - 3, "\x55\x8B\xEC", 3);
  expect_refused("prologue cut", end - 3);
  std::memcpy(end - 6, "\xB8\x01\x00\x00\x00\xC3", 6);
  expect_refused("exchange cut", end - 6);

  expect_refused("jump into nothing", arena.Put(Rel32(0xE9, arena.Next(), end)));
  expect_refused("stub through nothing",
                 arena.Put(Concat({{0x8B, 0xFF, 0xFF, 0x25}, Le32(AddressOf(end))})));
  expect_refused("detour into nothing", arena.Put(AddFunction(1)),
                 detours.Put(Rel32(0xE9, detours.Next(), detours.end() + 16)));
  expect_refused("jump to itself", arena.Put({0xEB, 0xFE}));
  uint8_t* first = arena.Next();
  arena.Put(Rel32(0xE9, first, first + 16));
  arena.Put(Rel32(0xE9, first + 16, first));
  expect_refused("two jumps to each other", first);

  uint8_t* function = arena.Put(AddFunction(1));
  EXPECT_FALSE(SetHook(static_cast<void**>(nullptr), detour));
  void* null_target = nullptr;
  EXPECT_FALSE(SetHook(&null_target, detour));
  void* variable = function;
  EXPECT_FALSE(SetHook(&variable, nullptr));
  EXPECT_EQ(variable, function);
  expect_refused("detour is the target", function, function);
  expect_refused("detour inside the prologue", function, function + 2);
  expect_refused("detour jumps to the target", function,
                 detours.Put(Rel32(0xE9, detours.Next(), function)));
}

// A detour more than 2 GB away needs memory above 2 GB, which a 32-bit
// process only gets when its image is large-address aware: the child runs
// from a copy of this program with that flag set.
TB_CHILD_ROUTINE(FarDetourGoesThroughTheRelay) {
  uintptr_t at = 0xC0000000u;
  CodeArena high(at);
  while (!high.ok() && (at += 0x10000) < 0xF0000000u)
    high = CodeArena(at);
  CHILD_CHECK(high.ok());
  uint8_t* target = high.Put(AddFunction(6));
  Hooked<0>::real = reinterpret_cast<AddFn>(target);
  CHILD_CHECK(SetHook(&Hooked<0>::real, &Hooked<0>::Detour));
  const uint8_t* block = reinterpret_cast<const uint8_t*>(Hooked<0>::real) - kTrampolineOffset;
  CHILD_CHECK(JumpDestination(target) == AddressOf(block) + kRelayOffset);
  CHILD_CHECK(JumpDestination(block + kRelayOffset) == AddressOf(&Hooked<0>::Detour));
  CHILD_CHECK(reinterpret_cast<AddFn>(target)(2, 3) == 1011);
  return 0;
}

TEST(HookEngineFarDetourTest, IsReachedThroughTheRelayJump) {
  const std::filesystem::path copy =
      std::filesystem::temp_directory_path() /
      ("tb_hook_laa_" + std::to_string(::GetCurrentProcessId()) + ".exe");
  ASSERT_TRUE(std::filesystem::copy_file(CurrentTestProgram(), copy,
                                         std::filesystem::copy_options::overwrite_existing));
  {
    std::fstream file(copy, std::ios::in | std::ios::out | std::ios::binary);
    int32_t header = 0;
    uint16_t flags = 0;
    file.seekg(offsetof(IMAGE_DOS_HEADER, e_lfanew)).read(reinterpret_cast<char*>(&header), 4);
    const std::streamoff at = header + 4 + offsetof(IMAGE_FILE_HEADER, Characteristics);
    file.seekg(at).read(reinterpret_cast<char*>(&flags), 2);
    flags |= IMAGE_FILE_LARGE_ADDRESS_AWARE;
    ASSERT_TRUE(file.seekp(at).write(reinterpret_cast<const char*>(&flags), 2).flush());
  }
  EXPECT_EQ(RunChild(copy.wstring(), "FarDetourGoesThroughTheRelay"), 0u);
  std::filesystem::remove(copy);
}

TEST(LoadSystemLibraryTest, LoadsBareNamesOnly) {
  EXPECT_TRUE(unique_hmodule(LoadSystemLibrary(L"wininet.dll")));
  for (const wchar_t* name : {L"tb_no_such_library.dll", L"", L"../system32/wininet.dll",
                              L"C:wininet.dll", L"C:\\windows\\system32\\wininet.dll"}) {
    EXPECT_FALSE(unique_hmodule(LoadSystemLibrary(name)));
  }
}

}  // namespace
