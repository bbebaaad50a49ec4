#include "engine_config/hook/hook_engine.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine_config/hook/testing/code_arena.h"
#include "tests/child_process.h"
#include "utils/scoped_handle.h"

// Hooks stay for good, so every case that installs one runs in a child
// process. A routine's result is 0, or the line of the first check that
// failed.
#define CHILD_CHECK(condition) \
  if (!(condition))            \
  return __LINE__

namespace {

using AddFn = int (*)(int, int);

// The trampoline block, as the engine lays it out.
constexpr size_t kRelayOffset = 12;
constexpr size_t kTrampolineOffset = 44;
constexpr size_t kPrologueCopyOffset = 76;
constexpr uint32_t kMaxJumpDistance = 0x7FFF0000;

template <typename T>
uintptr_t AddressOf(T* pointer) {
  return reinterpret_cast<uintptr_t>(pointer);
}

const uint8_t* BlockOf(const void* trampoline) {
  return static_cast<const uint8_t*>(trampoline) - kTrampolineOffset;
}

// Where the E9 jump at `code` lands; 0 when `code` is not one.
uintptr_t JumpDestination(const void* code) {
  const uint8_t* bytes = static_cast<const uint8_t*>(code);
  uint32_t displacement;
  std::memcpy(&displacement, bytes + 1, 4);
  return bytes[0] == 0xE9 ? AddressOf(bytes) + 5 + displacement : 0;
}

std::vector<uint8_t> Copy(const void* code, size_t size) {
  const uint8_t* bytes = static_cast<const uint8_t*>(code);
  return std::vector<uint8_t>(bytes, bytes + size);
}

template <typename Fn>
Fn As(const void* code) {
  return reinterpret_cast<Fn>(const_cast<void*>(code));
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
  const std::vector<uint8_t> entry_bytes = Copy(entry, 8);
  const std::vector<uint8_t> prologue = Copy(function, 5);
  Hooked<N>::real = As<AddFn>(entry);
  CHILD_CHECK(SetHook(&Hooked<N>::real, &Hooked<N>::Detour));
  const uint8_t* block = BlockOf(reinterpret_cast<void*>(Hooked<N>::real));
  // The trampoline runs the moved prologue, then the rest of the function.
  CHILD_CHECK(JumpDestination(block + kTrampolineOffset + 5) == AddressOf(function) + 5);
  CHILD_CHECK(Copy(block + kPrologueCopyOffset, 5) == prologue);
  CHILD_CHECK(JumpDestination(function) == AddressOf(&Hooked<N>::Detour));
  // The jumps in front are left alone.
  CHILD_CHECK(entry == function || Copy(entry, 8) == entry_bytes);
  CHILD_CHECK(As<AddFn>(entry)(2, 3) == 5 + k + 1000);
  CHILD_CHECK(Hooked<N>::real(2, 3) == 5 + k);
  return 0;
}

TB_CHILD_ROUTINE(HookFollowsLeadingJumps) {
  std::optional<CodeArena> arena = CodeArena::Create(0x1000);
  CHILD_CHECK(arena);
  uint8_t* plain = arena->Put(AddFunction(1));
  uint8_t* after_chain = arena->Put(AddFunction(3));
  uint8_t* after_stub = arena->Put(AddFunction(4));
  uint8_t* slots = arena->Put(Concat({Le32(AddressOf(after_chain)), Le32(AddressOf(after_stub))}));
  // EB to E9 to FF 25 to the function.
  uint8_t* indirect = arena->Put(Concat({{0xFF, 0x25}, Le32(AddressOf(slots))}));
  uint8_t* relative = arena->Put(Rel32(0xE9, arena->Next(), indirect));
  uint8_t* chain = arena->Put(ShortJump(arena->Next(), relative));
  // An import forwarding stub: mov edi,edi; jmp [slot].
  uint8_t* stub = arena->Put(Concat({{0x8B, 0xFF, 0xFF, 0x25}, Le32(AddressOf(slots + 4))}));
  CHILD_CHECK(chain && stub);
  if (const int line = HookAndCheck<0>(plain, plain, 1))
    return line;
  if (const int line = HookAndCheck<2>(chain, after_chain, 3))
    return line;
  return HookAndCheck<3>(stub, after_stub, 4);
}

TEST(HookEngineTest, HooksWhereLeadingJumpsLead) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "HookFollowsLeadingJumps"), 0u);
}

// Nothing is installed on these, so they run in the test process itself.
class HookEngineRefusalTest : public testing::Test {
 protected:
  void SetUp() override {
    std::optional<CodeArena> arena = CodeArena::Create(0x1000);
    std::optional<CodeArena> detours = CodeArena::Create(0x1000);
    ASSERT_TRUE(arena && detours);
    // Two pages of which only the first is committed.
    edge_.reset(::VirtualAlloc(nullptr, 0x2000, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_TRUE(edge_ && ::VirtualAlloc(edge_.get(), 0x1000, MEM_COMMIT, PAGE_EXECUTE_READWRITE));
    page_end_ = static_cast<uint8_t*>(edge_.get()) + 0x1000;
    arena_ = std::move(*arena);
    detour_ = detours->Put(ConstFunction(7));
    detours_ = std::move(*detours);
  }

  // SetHook must fail and leave both the variable and the code unchanged.
  void ExpectRefused(const char* what, uint8_t* target, void* detour = nullptr) {
    SCOPED_TRACE(what);
    ASSERT_NE(target, nullptr);
    const std::vector<uint8_t> arena_before = Copy(arena_->base(), arena_->size());
    const std::vector<uint8_t> edge_before = Copy(edge_.get(), 0x1000);
    void* variable = target;
    EXPECT_FALSE(SetHook(&variable, detour ? detour : detour_));
    EXPECT_EQ(variable, target);
    EXPECT_EQ(Copy(arena_->base(), arena_->size()), arena_before);
    EXPECT_EQ(Copy(edge_.get(), 0x1000), edge_before);
  }

  std::optional<CodeArena> arena_;
  std::optional<CodeArena> detours_;
  unique_virtual_memory edge_;
  uint8_t* page_end_ = nullptr;
  uint8_t* detour_ = nullptr;
};

TEST_F(HookEngineRefusalTest, RefusesProloguesItCannotMove) {
  ExpectRefused("call", arena_->Put(Concat({{0x55}, Rel32(0xE8, arena_->Next() + 1, detour_)})));
  // Cut by the uncommitted page: the prologue, then the 8 exchanged bytes.
  std::memcpy(page_end_ - 3, "\x55\x8B\xEC", 3);
  ExpectRefused("prologue cut", page_end_ - 3);
  std::memcpy(page_end_ - 6, "\xB8\x01\x00\x00\x00\xC3", 6);
  ExpectRefused("exchange cut", page_end_ - 6);
}

TEST_F(HookEngineRefusalTest, RefusesJumpsIntoNothingOrInCircles) {
  ExpectRefused("jump into nothing", arena_->Put(Rel32(0xE9, arena_->Next(), page_end_)));
  ExpectRefused("stub through nothing",
                arena_->Put(Concat({{0x8B, 0xFF, 0xFF, 0x25}, Le32(AddressOf(page_end_))})));
  ExpectRefused("detour into nothing", arena_->Put(AddFunction(1)),
                detours_->Put(Rel32(0xE9, detours_->Next(), page_end_ + 16)));
  ExpectRefused("jump to itself", arena_->Put({0xEB, 0xFE}));
  uint8_t* first = arena_->Next();
  arena_->Put(Rel32(0xE9, first, first + 16));
  arena_->Put(Rel32(0xE9, first + 16, first));
  ExpectRefused("two jumps to each other", first);
}

TEST_F(HookEngineRefusalTest, RefusesMissingArgumentsAndSelfHooks) {
  uint8_t* function = arena_->Put(AddFunction(1));
  EXPECT_FALSE(SetHook(static_cast<void**>(nullptr), detour_));
  void* null_target = nullptr;
  EXPECT_FALSE(SetHook(&null_target, detour_));
  void* variable = function;
  EXPECT_FALSE(SetHook(&variable, nullptr));
  EXPECT_EQ(variable, function);
  ExpectRefused("detour is the target", function, function);
  ExpectRefused("detour inside the prologue", function, function + 2);
  ExpectRefused("detour jumps to the target", function,
                detours_->Put(Rel32(0xE9, detours_->Next(), function)));
}

// A detour more than 2 GB away needs memory above 2 GB, which a 32-bit
// process only gets when its image is large-address aware: such children
// run from a copy of this program with that flag set.
class HookEngineFarDetourTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t folder[MAX_PATH];
    ASSERT_TRUE(::GetTempPathW(MAX_PATH, folder));
    copy_ =
        std::wstring(folder) + L"tb_hook_laa_" + std::to_wstring(::GetCurrentProcessId()) + L".exe";
    ASSERT_TRUE(::CopyFileW(CurrentTestProgram().c_str(), copy_.c_str(), FALSE));
    unique_handle file(::CreateFileW(copy_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    IMAGE_DOS_HEADER dos;
    IMAGE_FILE_HEADER header;
    DWORD done = 0;
    ASSERT_TRUE(file && ::ReadFile(file.get(), &dos, sizeof(dos), &done, nullptr));
    const LONG at = dos.e_lfanew + sizeof(DWORD);  // past the signature
    ASSERT_EQ(::SetFilePointer(file.get(), at, nullptr, FILE_BEGIN), DWORD(at));
    ASSERT_TRUE(::ReadFile(file.get(), &header, sizeof(header), &done, nullptr));
    header.Characteristics |= IMAGE_FILE_LARGE_ADDRESS_AWARE;
    ASSERT_EQ(::SetFilePointer(file.get(), at, nullptr, FILE_BEGIN), DWORD(at));
    ASSERT_TRUE(::WriteFile(file.get(), &header, sizeof(header), &done, nullptr));
  }
  void TearDown() override { ::DeleteFileW(copy_.c_str()); }

  std::wstring copy_;
};

TB_CHILD_ROUTINE(FarDetourGoesThroughTheRelay) {
  std::optional<CodeArena> high = CodeArena::CreateBetween(0xC0000000u, 0xF0000000u, 0x1000);
  CHILD_CHECK(high);
  uint8_t* target = high->Put(AddFunction(6));
  // The detour lies in this program's image, near the bottom.
  CHILD_CHECK(AddressOf(target) - AddressOf(&Hooked<0>::Detour) > kMaxJumpDistance);
  Hooked<0>::real = As<AddFn>(target);
  CHILD_CHECK(SetHook(&Hooked<0>::real, &Hooked<0>::Detour));
  const uint8_t* block = BlockOf(reinterpret_cast<void*>(Hooked<0>::real));
  CHILD_CHECK(JumpDestination(target) == AddressOf(block) + kRelayOffset);
  CHILD_CHECK(JumpDestination(block + kRelayOffset) == AddressOf(&Hooked<0>::Detour));
  CHILD_CHECK(As<AddFn>(target)(2, 3) == 1011);
  return 0;
}

TEST_F(HookEngineFarDetourTest, IsReachedThroughTheRelayJump) {
  EXPECT_EQ(RunChild(copy_, "FarDetourGoesThroughTheRelay"), 0u);
}

TEST(LoadSystemLibraryTest, LoadsBareNamesOnly) {
  EXPECT_TRUE(unique_hmodule(LoadSystemLibrary(L"wininet.dll")));
  for (const wchar_t* name : {L"tb_no_such_library.dll", L"", L"../system32/wininet.dll",
                              L"C:wininet.dll", L"C:\\windows\\system32\\wininet.dll"}) {
    EXPECT_FALSE(unique_hmodule(LoadSystemLibrary(name)));
  }
}

}  // namespace
