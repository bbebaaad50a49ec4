#include "tests/child_process.h"

#include <cstdio>
#include <map>
#include <string_view>

#include "utils/scoped_handle.h"

namespace {

constexpr std::string_view kChildSwitch = "--tb-child=";
// Neither a small code nor an NTSTATUS: only a routine that returned ends so.
// Wine hands the low byte to Linux as the exit status, where it reads as the
// result plus one.
constexpr DWORD kReturnedBase = 0x2B000001;
constexpr DWORD kResultLimit = 0x01000000;

std::map<std::string, ChildRoutine, std::less<>>& Routines() {
  static std::map<std::string, ChildRoutine, std::less<>> routines;
  return routines;
}

DWORD ExitCodeOf(int result) {
  return kReturnedBase + static_cast<DWORD>(result) % kResultLimit;
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
    const int result = routine == Routines().end() ? kUnknownChildRoutine : routine->second();
    return static_cast<int>(ExitCodeOf(result));
  }
  return std::nullopt;
}

void ExitChild(int result) {
  ::ExitProcess(ExitCodeOf(result));
}

std::wstring CurrentTestProgram() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

std::optional<DWORD> RunChild(const std::wstring& program, const char* routine, DWORD timeout_ms) {
  std::wstring command_line = L"\"" + program + L"\" --tb-child=";
  for (const char* c = routine; *c; ++c)
    command_line += static_cast<wchar_t>(*c);
  STARTUPINFOW startup = {sizeof(startup)};
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info)) {
    return std::nullopt;
  }
  const unique_handle thread(info.hThread);
  const unique_handle process(info.hProcess);
  DWORD exit_code = 0;
  if (::WaitForSingleObject(process.get(), timeout_ms) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 1);
    ::WaitForSingleObject(process.get(), INFINITE);
    std::fprintf(stderr, "child did not end in time\n");
    return std::nullopt;
  }
  if (!::GetExitCodeProcess(process.get(), &exit_code) ||
      exit_code - kReturnedBase >= kResultLimit) {
    std::fprintf(stderr, "child ended without returning, exit code 0x%08lx\n", exit_code);
    return std::nullopt;
  }
  return exit_code - kReturnedBase;
}
