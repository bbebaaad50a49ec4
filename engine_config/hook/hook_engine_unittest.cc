#include "engine_config/hook/hook_engine.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
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
using ConstFn = int (*)();

// The trampoline block, as the engine lays it out.
constexpr size_t kTrampolineOffset = 44;
constexpr size_t kRelayOffset = 12;
constexpr size_t kPrologueCopyOffset = 76;
constexpr uint32_t kMaxJumpDistance = 0x7FFF0000;

template <typename T>
uintptr_t AddressOf(T* pointer) {
  return reinterpret_cast<uintptr_t>(pointer);
}

const uint8_t* BlockOf(const void* trampoline) {
  return static_cast<const uint8_t*>(trampoline) - kTrampolineOffset;
}

uint32_t Field(const uint8_t* block, size_t offset) {
  uint32_t value;
  std::memcpy(&value, block + offset, sizeof(value));
  return value;
}

// Where the E9 jump at `code` lands; 0 when `code` is not one.
uintptr_t JumpDestination(const void* code) {
  const uint8_t* bytes = static_cast<const uint8_t*>(code);
  return bytes[0] == 0xE9 ? AddressOf(bytes) + 5 + Field(bytes, 1) : 0;
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
  static inline std::atomic<int> calls{0};
  static int Detour(int a, int b) {
    ++calls;
    return real(a, b) + 1000;
  }
};

// Hooks `entry`, which leads to `function` (AddFunction(k)), and checks
// that the hook sits on `function` and works both ways.
template <int N>
int HookAndCheck(uint8_t* entry, uint8_t* function, int k) {
  using H = Hooked<N>;
  const std::vector<uint8_t> entry_bytes = Copy(entry, 8);
  const std::vector<uint8_t> function_bytes = Copy(function, 5);
  H::real = As<AddFn>(entry);
  CHILD_CHECK(SetHook(&H::real, &H::Detour));
  const uint8_t* block = BlockOf(reinterpret_cast<void*>(H::real));
  CHILD_CHECK(Field(block, 0) == AddressOf(function));
  CHILD_CHECK(Field(block, 4) == 5);
  CHILD_CHECK(Field(block, 8) == AddressOf(&H::Detour));
  CHILD_CHECK(Copy(block + kPrologueCopyOffset, 5) == function_bytes);
  CHILD_CHECK(Copy(block + kTrampolineOffset, 5) == function_bytes);
  CHILD_CHECK(JumpDestination(block + kTrampolineOffset + 5) == AddressOf(function) + 5);
  // The jumps in front are left alone unless they are the function.
  if (entry != function)
    CHILD_CHECK(Copy(entry, 8) == entry_bytes);
  CHILD_CHECK(JumpDestination(function) == AddressOf(&H::Detour));
  CHILD_CHECK(As<AddFn>(entry)(2, 3) == 5 + k + 1000);
  CHILD_CHECK(H::real(2, 3) == 5 + k);
  CHILD_CHECK(H::calls == 1);
  return 0;
}

TB_CHILD_ROUTINE(HookFollowsLeadingJumps) {
  std::optional<CodeArena> arena = CodeArena::Create(0x1000);
  CHILD_CHECK(arena);
  uint8_t* plain = arena->Put(AddFunction(1));
  uint8_t* after_e9 = arena->Put(AddFunction(2));
  uint8_t* after_eb = arena->Put(AddFunction(3));
  // Within a short jump's reach.
  uint8_t* eb = arena->Put(ShortJump(arena->Next(), after_eb));
  uint8_t* after_chain = arena->Put(AddFunction(4));
  uint8_t* after_stub = arena->Put(AddFunction(5));
  uint8_t* slots = arena->Put(Concat({Le32(AddressOf(after_chain)), Le32(AddressOf(after_stub))}));

  uint8_t* e9 = arena->Put(Rel32(0xE9, arena->Next(), after_e9));
  // EB to E9 to FF 25 to the function.
  uint8_t* indirect = arena->Put(Concat({{0xFF, 0x25}, Le32(AddressOf(slots))}));
  uint8_t* relative = arena->Put(Rel32(0xE9, arena->Next(), indirect));
  uint8_t* chain = arena->Put(ShortJump(arena->Next(), relative));
  // An import forwarding stub: mov edi,edi; jmp [slot].
  uint8_t* stub = arena->Put(Concat({{0x8B, 0xFF, 0xFF, 0x25}, Le32(AddressOf(slots + 4))}));
  CHILD_CHECK(eb && chain && stub);

  if (const int line = HookAndCheck<0>(plain, plain, 1))
    return line;
  if (const int line = HookAndCheck<1>(e9, after_e9, 2))
    return line;
  if (const int line = HookAndCheck<2>(eb, after_eb, 3))
    return line;
  if (const int line = HookAndCheck<3>(chain, after_chain, 4))
    return line;
  return HookAndCheck<4>(stub, after_stub, 5);
}

TEST(HookEngineTest, HooksWhereLeadingJumpsLead) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "HookFollowsLeadingJumps"), 0u);
}

// Memory of which only the first page is committed.
struct HalfCommitted {
  unique_virtual_memory memory;
  uint8_t* page_end = nullptr;
};

std::optional<HalfCommitted> ReserveTwoPagesCommitOne() {
  HalfCommitted pages;
  pages.memory.reset(::VirtualAlloc(nullptr, 0x2000, MEM_RESERVE, PAGE_NOACCESS));
  if (!pages.memory ||
      !::VirtualAlloc(pages.memory.get(), 0x1000, MEM_COMMIT, PAGE_EXECUTE_READWRITE)) {
    return std::nullopt;
  }
  pages.page_end = static_cast<uint8_t*>(pages.memory.get()) + 0x1000;
  return pages;
}

// Nothing is installed on these, so they run in the test process itself.
class HookEngineRefusalTest : public testing::Test {
 protected:
  void SetUp() override {
    std::optional<CodeArena> arena = CodeArena::Create(0x1000);
    std::optional<CodeArena> detours = CodeArena::Create(0x1000);
    std::optional<HalfCommitted> edge = ReserveTwoPagesCommitOne();
    ASSERT_TRUE(arena && detours && edge);
    arena_ = std::move(*arena);
    detour_ = detours->Put(ConstFunction(7));
    detours_ = std::move(*detours);
    edge_ = std::move(*edge);
  }

  // SetHook must fail and leave both the variable and the code unchanged.
  void ExpectRefused(const char* what, uint8_t* target, void* detour = nullptr) {
    SCOPED_TRACE(what);
    ASSERT_NE(target, nullptr);
    const std::vector<uint8_t> arena_before = Copy(arena_->base(), arena_->size());
    const std::vector<uint8_t> edge_before = Copy(edge_.page_end - 0x1000, 0x1000);
    void* variable = target;
    EXPECT_FALSE(SetHook(&variable, detour ? detour : detour_));
    EXPECT_EQ(variable, target);
    EXPECT_EQ(Copy(arena_->base(), arena_->size()), arena_before);
    EXPECT_EQ(Copy(edge_.page_end - 0x1000, 0x1000), edge_before);
  }

  std::optional<CodeArena> arena_;
  std::optional<CodeArena> detours_;
  HalfCommitted edge_;
  uint8_t* detour_ = nullptr;
};

TEST_F(HookEngineRefusalTest, RefusesBranchesCallsAndReturnsInTheFirstFiveBytes) {
  CodeArena& code = *arena_;
  ExpectRefused("call", code.Put(Concat({{0x55}, Rel32(0xE8, code.Next() + 1, detour_)})));
  ExpectRefused("short jump", code.Put({0x8B, 0xFF, 0xEB, 0x00, 0x90, 0x90, 0x90, 0x90}));
  ExpectRefused("jz", code.Put({0x8B, 0xFF, 0x74, 0x02, 0x90, 0x90, 0x90, 0x90}));
  ExpectRefused("ret", code.Put({0x55, 0x8B, 0xEC, 0x5D, 0xC3, 0x90, 0x90, 0x90}));
  ExpectRefused("jmp eax", code.Put({0x55, 0xFF, 0xE0, 0x90, 0x90, 0x90, 0x90, 0x90}));
  ExpectRefused("call [abs]", code.Put(Concat({{0x55, 0xFF, 0x15}, Le32(AddressOf(&detour_))})));
}

TEST_F(HookEngineRefusalTest, RefusesCodeItCannotDecode) {
  CodeArena& code = *arena_;
  ExpectRefused("lea with a register", code.Put({0x8B, 0xFF, 0x8D, 0xC0, 0x90, 0x90, 0x90, 0x90}));
  ExpectRefused("vex", code.Put({0x55, 0xC5, 0xF8, 0x77, 0x90, 0x90, 0x90, 0x90}));
}

TEST_F(HookEngineRefusalTest, StopsAtTheEndOfReadableMemory) {
  // Cut by the uncommitted page: an instruction, then the prologue, then the
  // 8 bytes the hook jump is exchanged with.
  uint8_t* page_end = edge_.page_end;
  std::memcpy(page_end - 3, "\x55\x8B\xEC", 3);
  ExpectRefused("instruction cut", page_end - 2);
  ExpectRefused("prologue cut", page_end - 3);
  std::memcpy(page_end - 6, "\xB8\x01\x00\x00\x00\xC3", 6);
  ExpectRefused("exchange cut", page_end - 6);
  std::memcpy(page_end - 4, "\xE9\x00\x00\x00", 4);
  ExpectRefused("jump operand cut", page_end - 4);
  ExpectRefused("jump into nothing", arena_->Put(Rel32(0xE9, arena_->Next(), page_end)));
  ExpectRefused("jump through nothing",
                arena_->Put(Concat({{0xFF, 0x25}, Le32(AddressOf(page_end))})));
  ExpectRefused("stub through nothing",
                arena_->Put(Concat({{0x8B, 0xFF, 0xFF, 0x25}, Le32(AddressOf(page_end))})));
  // The detour's jumps are followed too.
  uint8_t* good = arena_->Put(AddFunction(1));
  ExpectRefused("detour into nothing", good,
                detours_->Put(Rel32(0xE9, detours_->Next(), page_end + 16)));
}

TEST_F(HookEngineRefusalTest, RefusesJumpsGoingRoundInCircles) {
  ExpectRefused("jump to itself", arena_->Put({0xEB, 0xFE}));
  uint8_t* first = arena_->Next();
  uint8_t* second = first + 16;
  arena_->Put(Rel32(0xE9, first, second));
  arena_->Put(Rel32(0xE9, second, first));
  ExpectRefused("two jumps to each other", first);
}

TEST_F(HookEngineRefusalTest, RefusesMissingArgumentsAndSelfHooks) {
  uint8_t* function = arena_->Put(AddFunction(1));
  EXPECT_FALSE(SetHook(static_cast<void**>(nullptr), detour_));
  void* null_target = nullptr;
  EXPECT_FALSE(SetHook(&null_target, detour_));
  EXPECT_EQ(null_target, nullptr);
  void* variable = function;
  EXPECT_FALSE(SetHook(&variable, nullptr));
  EXPECT_EQ(variable, function);
  ExpectRefused("detour is the target", function, function);
  ExpectRefused("detour inside the prologue", function, function + 2);
  ExpectRefused("detour jumps to the target", function,
                detours_->Put(Rel32(0xE9, detours_->Next(), function)));
}

struct ViewTraits {
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::UnmapViewOfFile(h); }
};

using unique_view = UniqueAny<ViewTraits>;

// Code that can be read but never made writable: a read-only view of a
// section that a second view writes.
struct ReadOnlyView {
  unique_handle section;
  unique_view writable;
  unique_view readable;
};

std::optional<ReadOnlyView> MapReadOnlyCode(const std::vector<uint8_t>& code) {
  ReadOnlyView view;
  view.section.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_EXECUTE_READWRITE, 0,
                                          0x1000, nullptr));
  if (!view.section)
    return std::nullopt;
  view.writable.reset(::MapViewOfFile(view.section.get(), FILE_MAP_WRITE, 0, 0, 0x1000));
  view.readable.reset(::MapViewOfFile(view.section.get(), FILE_MAP_READ, 0, 0, 0x1000));
  if (!view.writable || !view.readable)
    return std::nullopt;
  std::memcpy(view.writable.get(), code.data(), code.size());
  return view;
}

TB_CHILD_ROUTINE(FailedHooksGiveTheirBlocksBack) {
  std::optional<ReadOnlyView> view = MapReadOnlyCode(AddFunction(1));
  std::optional<CodeArena> arena = CodeArena::Create(0x1000);
  CHILD_CHECK(view && arena);
  uint8_t* detour = arena->Put(ConstFunction(7));
  uint8_t* target = static_cast<uint8_t*>(view->readable.get());
  // Each attempt takes a block before it finds the code read-only; were one
  // kept, the good hook below would be the 101st.
  for (int attempt = 0; attempt < 101; ++attempt) {
    void* variable = target;
    CHILD_CHECK(!SetHook(&variable, detour));
    CHILD_CHECK(variable == target);
  }
  CHILD_CHECK(Copy(target, AddFunction(1).size()) == AddFunction(1));
  uint8_t* good = arena->Put(AddFunction(2));
  void* variable = good;
  CHILD_CHECK(SetHook(&variable, detour));
  CHILD_CHECK(As<ConstFn>(good)() == 7);
  return 0;
}

TEST(HookEngineTest, FailedHooksLeaveNoBlockBehind) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "FailedHooksGiveTheirBlocksBack"), 0u);
}

TB_CHILD_ROUTINE(HookOneHundredTargets) {
  std::optional<CodeArena> arena = CodeArena::Create(0x1000);
  CHILD_CHECK(arena);
  uint8_t* detour = arena->Put(ConstFunction(-1));
  std::vector<uint8_t*> targets;
  for (int i = 0; i < 101; ++i)
    targets.push_back(arena->Put(ConstFunction(i)));
  CHILD_CHECK(targets.back());

  std::vector<void*> trampolines(targets.begin(), targets.end());
  for (int i = 0; i < 100; ++i)
    CHILD_CHECK(SetHook(&trampolines[i], detour));
  const std::vector<uint8_t> last = Copy(targets[100], 8);
  CHILD_CHECK(!SetHook(&trampolines[100], detour));
  CHILD_CHECK(trampolines[100] == targets[100]);
  CHILD_CHECK(Copy(targets[100], 8) == last);

  for (int i = 0; i < 100; ++i) {
    CHILD_CHECK(As<ConstFn>(targets[i])() == -1);
    CHILD_CHECK(As<ConstFn>(trampolines[i])() == i);
  }
  CHILD_CHECK(As<ConstFn>(targets[100])() == 100);
  return 0;
}

TEST(HookEngineTest, TheHundredAndFirstHookFails) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "HookOneHundredTargets"), 0u);
}

TB_CHILD_ROUTINE(SecondHookWithTheSameDetour) {
  std::optional<CodeArena> arena = CodeArena::Create(0x1000);
  CHILD_CHECK(arena);
  uint8_t* target = arena->Put(AddFunction(4));
  Hooked<0>::real = As<AddFn>(target);
  CHILD_CHECK(SetHook(&Hooked<0>::real, &Hooked<0>::Detour));
  const std::vector<uint8_t> hooked = Copy(target, 8);
  // The target now leads to the detour: hooking it again would make the
  // detour jump to itself.
  AddFn again = As<AddFn>(target);
  CHILD_CHECK(!SetHook(&again, &Hooked<0>::Detour));
  CHILD_CHECK(again == As<AddFn>(target));
  CHILD_CHECK(Copy(target, 8) == hooked);
  CHILD_CHECK(As<AddFn>(target)(1, 2) == 1007);
  return 0;
}

TEST(HookEngineTest, HookingTwiceWithTheSameDetourIsRefused) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "SecondHookWithTheSameDetour"), 0u);
}

// Many targets, hooked one by one while workers keep calling all of them.
constexpr int kRaceTargets = 64;
constexpr int kRaceWorkers = 3;
constexpr DWORD kRaceWaitMs = 10000;

struct Race {
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::atomic<int> reentered{0};
  std::atomic<long> rounds{0};
  AddFn targets[kRaceTargets] = {};
  AddFn trampolines[kRaceTargets] = {};
  std::atomic<int> detour_calls[kRaceTargets] = {};
};

Race g_race;
thread_local int t_detour_depth = 0;

template <int N>
int RaceDetour(int a, int b) {
  if (t_detour_depth++ > 0)
    ++g_race.reentered;
  g_race.detour_calls[N].fetch_add(1, std::memory_order_relaxed);
  const int result = __atomic_load_n(&g_race.trampolines[N], __ATOMIC_ACQUIRE)(a, b);
  --t_detour_depth;
  return result;
}

template <size_t... N>
constexpr std::array<AddFn, sizeof...(N)> RaceDetours(std::index_sequence<N...>) {
  return {&RaceDetour<N>...};
}

DWORD WINAPI RaceWorker(void* seed) {
  uint32_t state = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(seed));
  while (!g_race.stop.load(std::memory_order_relaxed)) {
    for (int i = 0; i < kRaceTargets; ++i) {
      state = state * 1664525u + 1013904223u;
      const int a = static_cast<int>(state >> 16);
      const int b = static_cast<int>(state & 0xFFFF);
      if (g_race.targets[i](a, b) != a + b + i)
        ++g_race.wrong;
    }
    ++g_race.rounds;
  }
  return 0;
}

// Waits, for a bounded time, until `done` holds.
template <typename Condition>
bool WaitFor(Condition done) {
  for (DWORD waited = 0; !done(); waited += 1) {
    if (waited >= kRaceWaitMs)
      return false;
    ::Sleep(1);
  }
  return true;
}

TB_CHILD_ROUTINE(HookWhileOtherThreadsCall) {
  std::optional<CodeArena> arena = CodeArena::Create(0x2000);
  CHILD_CHECK(arena);
  for (int i = 0; i < kRaceTargets; ++i) {
    g_race.targets[i] = As<AddFn>(arena->Put(AddFunction(i)));
    g_race.trampolines[i] = g_race.targets[i];
  }
  CHILD_CHECK(g_race.targets[kRaceTargets - 1]);

  std::vector<unique_handle> workers;
  for (int i = 0; i < kRaceWorkers; ++i) {
    workers.emplace_back(::CreateThread(
        nullptr, 0, &RaceWorker, reinterpret_cast<void*>(uintptr_t{12345u} + i), 0, nullptr));
    CHILD_CHECK(workers.back());
  }
  const bool warmed_up = WaitFor([] { return g_race.rounds > 1000; });

  constexpr std::array<AddFn, kRaceTargets> detours =
      RaceDetours(std::make_index_sequence<kRaceTargets>());
  int hooked = 0;
  for (int i = 0; i < kRaceTargets; ++i) {
    hooked += SetHook(&g_race.trampolines[i], detours[i]) ? 1 : 0;
    // Let the workers run into the fresh jump.
    const long rounds = g_race.rounds;
    WaitFor([rounds] { return g_race.rounds > rounds + 2; });
  }
  const bool all_called = WaitFor([] {
    for (const std::atomic<int>& calls : g_race.detour_calls) {
      if (calls < 100)
        return false;
    }
    return true;
  });
  g_race.stop = true;
  std::vector<HANDLE> handles;
  for (const unique_handle& worker : workers)
    handles.push_back(worker.get());
  CHILD_CHECK(::WaitForMultipleObjects(handles.size(), handles.data(), TRUE, kRaceWaitMs) ==
              WAIT_OBJECT_0);

  CHILD_CHECK(warmed_up);
  CHILD_CHECK(hooked == kRaceTargets);
  CHILD_CHECK(g_race.wrong == 0);
  CHILD_CHECK(g_race.reentered == 0);
  CHILD_CHECK(all_called);
  return 0;
}

TEST(HookEngineTest, ThreadsRunningThroughTheTargetSeeOldOrNewCode) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "HookWhileOtherThreadsCall"), 0u);
}

// A detour more than 2 GB away needs memory above 2 GB, which a 32-bit
// process only gets when its image is large-address aware: such children
// run from a copy of this program with that flag set.
class LargeAddressAwareCopy {
 public:
  static std::optional<LargeAddressAwareCopy> Make() {
    unique_handle source(::CreateFileW(CurrentTestProgram().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size;
    if (!source || !::GetFileSizeEx(source.get(), &size))
      return std::nullopt;
    std::vector<uint8_t> image(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(source.get(), image.data(), image.size(), &read, nullptr) ||
        read != image.size() || image.size() < sizeof(IMAGE_DOS_HEADER)) {
      return std::nullopt;
    }
    const LONG nt_offset = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data())->e_lfanew;
    if (nt_offset < 0 || nt_offset + sizeof(IMAGE_NT_HEADERS32) > image.size())
      return std::nullopt;
    reinterpret_cast<IMAGE_NT_HEADERS32*>(image.data() + nt_offset)->FileHeader.Characteristics |=
        IMAGE_FILE_LARGE_ADDRESS_AWARE;

    wchar_t folder[MAX_PATH];
    if (!::GetTempPathW(MAX_PATH, folder))
      return std::nullopt;
    LargeAddressAwareCopy copy(std::wstring(folder) + L"tb_hook_engine_laa_" +
                               std::to_wstring(::GetCurrentProcessId()) + L".exe");
    unique_handle target(
        ::CreateFileW(copy.path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (!target || !::WriteFile(target.get(), image.data(), image.size(), &written, nullptr) ||
        written != image.size()) {
      return std::nullopt;
    }
    return copy;
  }

  LargeAddressAwareCopy(LargeAddressAwareCopy&& other) : path_(std::move(other.path_)) {
    other.path_.clear();
  }
  ~LargeAddressAwareCopy() {
    if (!path_.empty())
      ::DeleteFileW(path_.c_str());
  }

  const std::wstring& path() const { return path_; }

 private:
  explicit LargeAddressAwareCopy(std::wstring path) : path_(std::move(path)) {}

  std::wstring path_;
};

bool HasHighMemory() {
  SYSTEM_INFO info;
  ::GetSystemInfo(&info);
  return AddressOf(info.lpMaximumApplicationAddress) > 0xC0000000u;
}

TB_CHILD_ROUTINE(FarDetourGoesThroughTheRelay) {
  CHILD_CHECK(HasHighMemory());
  std::optional<CodeArena> high = CodeArena::CreateBetween(0xC0000000u, 0xF0000000u, 0x1000);
  CHILD_CHECK(high);
  uint8_t* target = high->Put(AddFunction(6));
  // The detour lies in this program's image, near the bottom.
  CHILD_CHECK(AddressOf(target) - AddressOf(&Hooked<0>::Detour) > kMaxJumpDistance);

  Hooked<0>::real = As<AddFn>(target);
  CHILD_CHECK(SetHook(&Hooked<0>::real, &Hooked<0>::Detour));
  const uint8_t* block = BlockOf(reinterpret_cast<void*>(Hooked<0>::real));
  CHILD_CHECK(AddressOf(target) - AddressOf(block) <= kMaxJumpDistance);
  CHILD_CHECK(JumpDestination(target) == AddressOf(block) + kRelayOffset);
  CHILD_CHECK(JumpDestination(block + kRelayOffset) == AddressOf(&Hooked<0>::Detour));
  CHILD_CHECK(Field(block, 8) == AddressOf(&Hooked<0>::Detour));
  CHILD_CHECK(As<AddFn>(target)(2, 3) == 1011);
  CHILD_CHECK(Hooked<0>::real(2, 3) == 11);

  // A detour within reach gets a direct jump and no relay.
  uint8_t* near_target = high->Put(ConstFunction(1));
  uint8_t* near_detour = high->Put(ConstFunction(2));
  void* trampoline = near_target;
  CHILD_CHECK(SetHook(&trampoline, near_detour));
  CHILD_CHECK(JumpDestination(near_target) == AddressOf(near_detour));
  CHILD_CHECK(Copy(BlockOf(trampoline) + kRelayOffset, 5) == std::vector<uint8_t>(5, 0));
  CHILD_CHECK(As<ConstFn>(near_target)() == 2);
  return 0;
}

TB_CHILD_ROUTINE(UnreachableRelayFailsTheHook) {
  CHILD_CHECK(HasHighMemory());
  std::optional<CodeArena> high = CodeArena::CreateBetween(0xC0000000u, 0xF0000000u, 0x1000);
  std::optional<CodeArena> low = CodeArena::Create(0x1000);
  CHILD_CHECK(high && low);
  uint8_t* far_detour = high->Put(ConstFunction(9));
  uint8_t* target = low->Put(ConstFunction(1));
  CHILD_CHECK(AddressOf(far_detour) - AddressOf(target) > kMaxJumpDistance);
  // Blocks of a low target come from the bottom of the address space, as far
  // from the detour as the target is, so no relay can be written. Every
  // failed attempt must give its block back.
  const std::vector<uint8_t> before = Copy(target, 8);
  for (int attempt = 0; attempt < 101; ++attempt) {
    void* variable = target;
    CHILD_CHECK(!SetHook(&variable, far_detour));
    CHILD_CHECK(variable == target);
    CHILD_CHECK(Copy(target, 8) == before);
  }
  CHILD_CHECK(As<ConstFn>(target)() == 1);
  void* variable = target;
  CHILD_CHECK(SetHook(&variable, low->Put(ConstFunction(2))));
  CHILD_CHECK(As<ConstFn>(target)() == 2);
  return 0;
}

class HookEngineFarDetourTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(copy_); }

  const std::optional<LargeAddressAwareCopy> copy_ = LargeAddressAwareCopy::Make();
};

TEST_F(HookEngineFarDetourTest, IsReachedThroughTheRelayJump) {
  EXPECT_EQ(RunChild(copy_->path(), "FarDetourGoesThroughTheRelay"), 0u);
}

TEST_F(HookEngineFarDetourTest, FailsWhenTheRelayIsOutOfReachToo) {
  EXPECT_EQ(RunChild(copy_->path(), "UnreachableRelayFailsTheHook"), 0u);
}

uint32_t ImageSize(HMODULE module) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(
      reinterpret_cast<const uint8_t*>(module) + dos->e_lfanew);
  return nt->OptionalHeader.SizeOfImage;
}

TEST(IsAddressInModuleTest, CoversExactlyTheLoadedImage) {
  const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  ASSERT_TRUE(kernel32);
  const uint8_t* base = reinterpret_cast<const uint8_t*>(kernel32);
  const uint32_t size = ImageSize(kernel32);
  EXPECT_TRUE(IsAddressInModule(
      L"kernel32.dll", reinterpret_cast<const void*>(::GetProcAddress(kernel32, "WriteFile"))));
  EXPECT_TRUE(IsAddressInModule(L"KERNEL32", base));
  EXPECT_TRUE(IsAddressInModule(L"kernel32.dll", base + size - 1));
  EXPECT_FALSE(IsAddressInModule(L"kernel32.dll", base + size));
  EXPECT_FALSE(IsAddressInModule(L"kernel32.dll", base - 1));
  EXPECT_FALSE(IsAddressInModule(L"kernel32.dll", nullptr));
  int on_the_stack = 0;
  EXPECT_FALSE(IsAddressInModule(L"kernel32.dll", &on_the_stack));
  // Another module's code is not kernel32's.
  EXPECT_FALSE(
      IsAddressInModule(L"kernel32.dll", reinterpret_cast<const void*>(&IsAddressInModule)));
}

TEST(IsAddressInModuleTest, IsFalseForModulesThatAreNotLoaded) {
  const void* code = reinterpret_cast<const void*>(&IsAddressInModule);
  EXPECT_FALSE(IsAddressInModule(L"tb_no_such_module.dll", code));
  EXPECT_FALSE(IsAddressInModule(L"ieframe.dll", code));
  EXPECT_FALSE(IsAddressInModule(L"", code));
  EXPECT_FALSE(IsAddressInModule(nullptr, code));
}

// Breaks one header field of a loaded module at a time; each must make the
// answer false without a fault, and the repair must make it true again.
TB_CHILD_ROUTINE(DamagedHeadersCountAsOutside) {
  unique_hmodule module(LoadSystemLibrary(L"msimg32.dll"));
  CHILD_CHECK(module);
  uint8_t* base = reinterpret_cast<uint8_t*>(module.get());
  const void* inside = base + 0x10;
  CHILD_CHECK(IsAddressInModule(L"msimg32.dll", inside));

  DWORD protection;
  CHILD_CHECK(::VirtualProtect(base, 0x1000, PAGE_READWRITE, &protection));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  const LONG nt_offset = dos->e_lfanew;
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS32*>(base + nt_offset);

  dos->e_magic = 0x5858;
  CHILD_CHECK(!IsAddressInModule(L"msimg32.dll", inside));
  dos->e_magic = IMAGE_DOS_SIGNATURE;
  nt->Signature = 0x00004550 ^ 0x00010000;
  CHILD_CHECK(!IsAddressInModule(L"msimg32.dll", inside));
  nt->Signature = IMAGE_NT_SIGNATURE;
  for (LONG offset : {LONG{-8}, LONG{0x7FFFFFF0}, LONG{0x00FFFFF0}}) {
    dos->e_lfanew = offset;
    CHILD_CHECK(!IsAddressInModule(L"msimg32.dll", inside));
  }
  dos->e_lfanew = nt_offset;
  CHILD_CHECK(IsAddressInModule(L"msimg32.dll", inside));

  DWORD ignored;
  CHILD_CHECK(::VirtualProtect(base, 0x1000, PAGE_NOACCESS, &ignored));
  const bool unreadable_answer = IsAddressInModule(L"msimg32.dll", inside);
  CHILD_CHECK(::VirtualProtect(base, 0x1000, protection, &ignored));
  CHILD_CHECK(!unreadable_answer);
  CHILD_CHECK(IsAddressInModule(L"msimg32.dll", inside));
  return 0;
}

TEST(IsAddressInModuleTest, DamagedOrUnreadableHeadersCountAsOutside) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "DamagedHeadersCountAsOutside"), 0u);
}

std::wstring ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
  return std::wstring(path, length < MAX_PATH ? length : 0);
}

TEST(LoadSystemLibraryTest, LoadsFromTheSystemFolder) {
  unique_hmodule wininet(LoadSystemLibrary(L"wininet.dll"));
  ASSERT_TRUE(wininet);
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  ASSERT_GT(length, 0u);
  const std::wstring expected = std::wstring(folder, length) + L"\\wininet.dll";
  EXPECT_EQ(
      ::CompareStringOrdinal(ModulePath(wininet.get()).c_str(), -1, expected.c_str(), -1, TRUE),
      CSTR_EQUAL);
  EXPECT_TRUE(::GetProcAddress(wininet.get(), "InternetSetCookieExW"));
}

TEST(LoadSystemLibraryTest, RefusesMissingFilesAndAnythingWithAPath) {
  EXPECT_FALSE(LoadSystemLibrary(L"tb_no_such_library.dll"));
  EXPECT_FALSE(LoadSystemLibrary(L""));
  EXPECT_FALSE(LoadSystemLibrary(nullptr));
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  ASSERT_GT(length, 0u);
  // Each of these names an existing library, but not by a bare file name.
  for (const std::wstring& name :
       {std::wstring(folder, length) + L"\\wininet.dll", std::wstring(L"..\\system32\\wininet.dll"),
        std::wstring(L"../system32/wininet.dll"), std::wstring(L"C:wininet.dll")}) {
    unique_hmodule module(LoadSystemLibrary(name.c_str()));
    EXPECT_FALSE(module) << std::string(name.begin(), name.end());
  }
}

}  // namespace
