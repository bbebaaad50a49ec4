#ifndef TESTS_CHILD_PROCESS_H_
#define TESTS_CHILD_PROCESS_H_

#include <windows.h>

#include <optional>
#include <string>

// Tests that need a fresh process (hooks that stay for good, settings read
// once per process) run a routine of this test program in a child:
//
//   TB_CHILD_ROUTINE(LogOneLine) {
//     LOG(ERROR) << L"one";
//     CHILD_CHECK(::GetLastError() == 0);
//     return 0;
//   }
//   ...
//   EXPECT_EQ(RunChild(CurrentTestProgram(), "LogOneLine"), 0u);
//
// The child is this program (or a copy of it) started with
// --tb-child=<name>; it runs the routine instead of the tests and exits with
// its result, offset so that a child that crashes (which under an emulated
// Wine may end with code 0) never passes for one that returned.

using ChildRoutine = int (*)();

// Exit code of a child asked for a routine nobody registered.
constexpr int kUnknownChildRoutine = 125;

bool RegisterChildRoutine(const char* name, ChildRoutine routine);

#define TB_CHILD_ROUTINE(name)                                                              \
  static int name();                                                                        \
  [[maybe_unused]] static const bool name##_registered = RegisterChildRoutine(#name, name); \
  static int name()

// In a routine: ends it with the line of the check that failed.
#define CHILD_CHECK(condition) \
  if (!(condition))            \
  return __LINE__

// Ends a routine from where it cannot return (an exception filter).
[[noreturn]] void ExitChild(int result);

// The child's exit code when the command line names a routine.
std::optional<int> RunChildRoutineFromCommandLine(int argc, char** argv);

std::wstring CurrentTestProgram();

// Runs `routine` in a child started from `program` (this test program or a
// copy of it); its result, or nothing when it could not start, crashed or
// did not end in time, in which case it is ended.
// Long enough for a child under a loaded Wine, short of ctest's limit.
constexpr DWORD kChildTimeoutMs = 20000;

std::optional<DWORD> RunChild(const std::wstring& program,
                              const char* routine,
                              DWORD timeout_ms = kChildTimeoutMs);

#endif  // TESTS_CHILD_PROCESS_H_
