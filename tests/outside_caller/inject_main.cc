// tb_inject.exe PROGRAM LIBRARY EXPORT: loads LIBRARY into the running
// process whose image is PROGRAM and runs its thread routine EXPORT there.
// Prints the routine's result in decimal and exits with 0, or exits with 1
// when any step fails.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <optional>
#include <string>

#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

constexpr DWORD kWaitMs = 20000;

unique_handle OpenProcessByImage(const std::wstring& program) {
  unique_handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry = {sizeof(entry)};
  if (!snapshot || !::Process32FirstW(snapshot.get(), &entry))
    return unique_handle();
  do {
    unique_handle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
    wchar_t image[MAX_PATH];
    DWORD length = MAX_PATH;
    if (process && ::QueryFullProcessImageNameW(process.get(), 0, image, &length) &&
        EqualsAsciiIgnoreCase(std::wstring_view(image, length), program)) {
      return process;
    }
  } while (::Process32NextW(snapshot.get(), &entry));
  return unique_handle();
}

// Runs `routine(argument)` on a new thread of `process`; its exit code.
std::optional<DWORD> RunRemote(HANDLE process, const void* routine, const void* argument) {
  unique_handle thread(::CreateRemoteThread(
      process, nullptr, 0,
      reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(routine)),
      const_cast<void*>(argument), 0, nullptr));
  DWORD exit_code = 0;
  if (!thread || ::WaitForSingleObject(thread.get(), kWaitMs) != WAIT_OBJECT_0 ||
      !::GetExitCodeThread(thread.get(), &exit_code)) {
    return std::nullopt;
  }
  return exit_code;
}

std::optional<DWORD> Inject(const std::wstring& program,
                            const std::wstring& library,
                            const char* routine) {
  const unique_handle process = OpenProcessByImage(program);
  // Loaded here too, to learn where the routine lies within the library.
  const unique_hmodule local(::LoadLibraryW(library.c_str()));
  const auto* local_routine =
      local ? reinterpret_cast<const BYTE*>(::GetProcAddress(local.get(), routine)) : nullptr;
  if (!process || !local_routine)
    return std::nullopt;

  const size_t path_size = (library.size() + 1) * sizeof(wchar_t);
  void* remote_path =
      ::VirtualAllocEx(process.get(), nullptr, path_size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote_path ||
      !::WriteProcessMemory(process.get(), remote_path, library.c_str(), path_size, nullptr)) {
    return std::nullopt;
  }
  // kernel32 lies at the same address in every process.
  const void* load_library = reinterpret_cast<const void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW"));
  const std::optional<DWORD> remote_base = RunRemote(process.get(), load_library, remote_path);
  ::VirtualFreeEx(process.get(), remote_path, 0, MEM_RELEASE);
  if (!remote_base || *remote_base == 0)
    return std::nullopt;

  const BYTE* local_base = reinterpret_cast<const BYTE*>(local.get());
  const void* remote_routine = reinterpret_cast<const BYTE*>(static_cast<uintptr_t>(*remote_base)) +
                               (local_routine - local_base);
  return RunRemote(process.get(), remote_routine, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4)
    return 1;
  const std::string routine = WideToUtf8(argv[3]);
  const std::optional<DWORD> result = Inject(argv[1], argv[2], routine.c_str());
  if (!result)
    return 1;
  std::printf("%lu\n", *result);
  return 0;
}
