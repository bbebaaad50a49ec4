#include "tests/child_process.h"

#include <cstdio>
#include <map>
#include <string_view>

namespace {

constexpr std::string_view kChildSwitch = "--tb-child=";
// Neither a small code nor an NTSTATUS: only a routine that returned ends so.
// Wine hands the low byte to Linux as the exit status, where it reads as the
// result plus one.
constexpr DWORD kReturnedBase = 0x2B000001;

int ExitCodeOf(int result) {
  return static_cast<int>(kReturnedBase + (static_cast<DWORD>(result) % kChildResultLimit));
}

std::map<std::string, ChildRoutine, std::less<>>& Routines() {
  static std::map<std::string, ChildRoutine, std::less<>> routines;
  return routines;
}

}  // namespace

bool RegisterChildRoutine(const char* name, ChildRoutine routine) {
  return Routines().emplace(name, routine).second;
}

std::optional<int> RunChildRoutineFromCommandLine(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!arg.starts_with(kChildSwitch))
      continue;
    const auto routine = Routines().find(arg.substr(kChildSwitch.size()));
    return ExitCodeOf(routine == Routines().end() ? kUnknownChildRoutine : routine->second());
  }
  return std::nullopt;
}

void ExitChild(int result) {
  ::ExitProcess(static_cast<UINT>(ExitCodeOf(result)));
}

std::wstring CurrentTestProgram() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

std::optional<ChildProcess> ChildProcess::Start(const std::wstring& program, const char* routine) {
  std::wstring command_line = L"\"" + program + L"\" --tb-child=";
  for (const char* c = routine; *c; ++c)
    command_line += static_cast<wchar_t>(*c);
  STARTUPINFOW startup = {sizeof(startup)};
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info)) {
    return std::nullopt;
  }
  unique_handle thread(info.hThread);
  return ChildProcess(unique_handle(info.hProcess), info.dwProcessId);
}

ChildProcess::~ChildProcess() {
  if (process_)
    EndIfRunning();
}

std::optional<DWORD> ChildProcess::Wait(DWORD timeout_ms) {
  DWORD exit_code = 0;
  if (::WaitForSingleObject(process_.get(), timeout_ms) != WAIT_OBJECT_0 ||
      !::GetExitCodeProcess(process_.get(), &exit_code)) {
    EndIfRunning();
    std::fprintf(stderr, "child did not end in time\n");
    return std::nullopt;
  }
  if (exit_code - kReturnedBase >= kChildResultLimit) {
    std::fprintf(stderr, "child ended without returning, exit code 0x%08lx\n", exit_code);
    return std::nullopt;
  }
  return exit_code - kReturnedBase;
}

void ChildProcess::EndIfRunning() {
  if (::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_.get(), 1);
    ::WaitForSingleObject(process_.get(), kChildTimeoutMs);
  }
}

std::optional<DWORD> RunChild(const std::wstring& program, const char* routine, DWORD timeout_ms) {
  std::optional<ChildProcess> child = ChildProcess::Start(program, routine);
  return child ? child->Wait(timeout_ms) : std::nullopt;
}
