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
// its result.

using ChildRoutine = int (*)();

// Exit code of a child asked for a routine nobody registered.
constexpr int kUnknownChildRoutine = 125;
// Long enough for a child under a loaded Wine, short of ctest's limit.
constexpr DWORD kChildTimeoutMs = 20000;

bool RegisterChildRoutine(const char* name, ChildRoutine routine);

#define TB_CHILD_ROUTINE(name)                                                              \
  static int name();                                                                        \
  [[maybe_unused]] static const bool name##_registered = RegisterChildRoutine(#name, name); \
  static int name()

// The routine's result when the command line names one.
std::optional<int> RunChildRoutineFromCommandLine(int argc, char** argv);

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
  // The exit code; nothing when the child has not ended in time, in which
  // case it is ended.
  std::optional<DWORD> Wait(DWORD timeout_ms = kChildTimeoutMs);

 private:
  ChildProcess(unique_handle process, DWORD id) : process_(std::move(process)), id_(id) {}
  void EndIfRunning();

  unique_handle process_;
  DWORD id_ = 0;
};

// Starts a child and waits for it; nothing when it could not start or did not
// end in time.
std::optional<DWORD> RunChild(const std::wstring& program,
                              const char* routine,
                              DWORD timeout_ms = kChildTimeoutMs);

#endif  // TESTS_CHILD_PROCESS_H_
