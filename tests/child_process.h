#ifndef TESTS_CHILD_PROCESS_H_
#define TESTS_CHILD_PROCESS_H_

#include <windows.h>

#include <optional>
#include <string>

#include "utils/scoped_handle.h"

// Tests that need a fresh process (settings read once per process, several
// writers at once) run a routine of this test program in a child:
//
//   TB_CHILD_ROUTINE(LogOneLine) {
//     LOG(ERROR) << L"one";
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
// Routines return results below this.
constexpr DWORD kChildResultLimit = 0x01000000;
// Long enough for a child under a loaded Wine, short of ctest's limit.
constexpr DWORD kChildTimeoutMs = 20000;

bool RegisterChildRoutine(const char* name, ChildRoutine routine);

#define TB_CHILD_ROUTINE(name)                                                              \
  static int name();                                                                        \
  [[maybe_unused]] static const bool name##_registered = RegisterChildRoutine(#name, name); \
  static int name()

// The child's exit code when the command line names a routine.
std::optional<int> RunChildRoutineFromCommandLine(int argc, char** argv);

// Ends the child from anywhere (an exception filter, say) as if its routine
// had returned `result`.
[[noreturn]] void ExitChild(int result);

std::wstring CurrentTestProgram();

class ChildProcess {
 public:
  // Starts `program` (this test program or a copy of it) running `routine`.
  static std::optional<ChildProcess> Start(const std::wstring& program, const char* routine);

  ChildProcess(ChildProcess&&) = default;
  ChildProcess& operator=(ChildProcess&&) = default;
  // Ends the child if it still runs, so no test leaves one behind.
  ~ChildProcess();

  DWORD id() const { return id_; }
  // The routine's result; nothing when the child crashed, or has not ended
  // in time, in which case it is ended.
  std::optional<DWORD> Wait(DWORD timeout_ms = kChildTimeoutMs);

 private:
  ChildProcess(unique_handle process, DWORD id) : process_(std::move(process)), id_(id) {}
  void EndIfRunning();

  unique_handle process_;
  DWORD id_ = 0;
};

// Starts a child and waits for it; nothing when it could not start, crashed or
// did not end in time.
std::optional<DWORD> RunChild(const std::wstring& program,
                              const char* routine,
                              DWORD timeout_ms = kChildTimeoutMs);

#endif  // TESTS_CHILD_PROCESS_H_
