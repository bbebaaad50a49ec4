#include "utils/crash_handler.h"

#include <dbghelp.h>
#include <shlobj.h>

#include <atomic>
#include <vector>

#include "utils/crash_report_text.h"
#include "utils/http_client.h"
#include "utils/log.h"
#include "utils/scoped_handle.h"
#include "utils/stack_text.h"

namespace {

constexpr DWORD kUploadTimeoutMs = 10000;

using SetFilterFunction = LPTOP_LEVEL_EXCEPTION_FILTER(WINAPI*)(LPTOP_LEVEL_EXCEPTION_FILTER);

std::atomic<bool> g_installed{false};
SetFilterFunction g_real_set_filter = nullptr;
// What later callers set; kept only to be handed back.
std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER> g_remembered{nullptr};
decltype(&::MiniDumpWriteDump) g_write_dump = nullptr;

// Process-lifetime, never destroyed: a crash may come during exit.
CrashReportSettings& Settings() {
  static auto* settings = new CrashReportSettings();
  return *settings;
}

void SaveDump(EXCEPTION_POINTERS* exception) {
  if (!g_write_dump)
    return;
  const std::wstring folder = CrashDumpFolder();
  const int created = ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  if (created != ERROR_SUCCESS && created != ERROR_ALREADY_EXISTS)
    return;
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  const std::wstring path = folder + L"\\" +
                            DumpFileName({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                                          now.wSecond, now.wMilliseconds},
                                         ::GetTickCount());
  LOG(DEBUG) << L"SaveDump " << path;
  const unique_handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return;
  MINIDUMP_EXCEPTION_INFORMATION information = {::GetCurrentThreadId(), exception, FALSE};
  g_write_dump(::GetCurrentProcess(), ::GetCurrentProcessId(), file.get(), MiniDumpNormal,
               &information, nullptr, nullptr);
}

void UploadReport(const CONTEXT& context) {
  const CrashReportSettings& settings = Settings();
  if (settings.endpoint.empty())
    return;
  const std::string stack = StackText(::GetCurrentThread(), context, settings.release_code);
  if (stack.empty())
    return;
  std::string ignored;
  (void)HttpPost(settings.endpoint, CrashReportBody(settings.version, settings.release_code, stack),
                 &ignored, kUploadTimeoutMs);
}

void PruneDumps() {
  const std::wstring folder = CrashDumpFolder();
  if (folder.empty())
    return;
  std::vector<std::wstring> dumps;
  WIN32_FIND_DATAW found;
  const unique_hfind search(::FindFirstFileW((folder + L"\\" + kDumpPattern).c_str(), &found));
  for (bool more = search.is_valid(); more; more = ::FindNextFileW(search.get(), &found)) {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      dumps.push_back(folder + L"\\" + found.cFileName);
  }
  for (const std::wstring& path : DumpsToPrune(std::move(dumps)))
    ::DeleteFileW(path.c_str());
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception) {
  if (exception && exception->ExceptionRecord && exception->ContextRecord) {
    SaveDump(exception);
    UploadReport(*exception->ContextRecord);
    PruneDumps();
  }
  return EXCEPTION_EXECUTE_HANDLER;
}

LPTOP_LEVEL_EXCEPTION_FILTER WINAPI GuardedSetFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter) {
  if (!g_installed)
    return g_real_set_filter(filter);
  return g_remembered.exchange(filter);
}

}  // namespace

bool InstallCrashHandler(HookExportFunction hook_export, CrashReportSettings settings) {
  static std::atomic<bool> started{false};
  if (started.exchange(true))
    return false;
  Settings() = std::move(settings);
  if (const HMODULE dbghelp = DebugHelpLibrary()) {
    g_write_dump = reinterpret_cast<decltype(&::MiniDumpWriteDump)>(
        reinterpret_cast<void*>(::GetProcAddress(dbghelp, "MiniDumpWriteDump")));
  }
  void* real = nullptr;
  const bool hooked =
      hook_export(::GetModuleHandleW(L"kernel32.dll"), "SetUnhandledExceptionFilter",
                  reinterpret_cast<void*>(&GuardedSetFilter), &real);
  g_real_set_filter =
      real ? reinterpret_cast<SetFilterFunction>(real) : &::SetUnhandledExceptionFilter;
  g_remembered = g_real_set_filter(&CrashFilter);
  g_installed = true;
  return hooked;
}

std::wstring CrashDumpFolder() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH)
    return L"";
  std::wstring folder(temp, length);
  if (folder.back() != L'\\')
    folder += L'\\';
  return folder + L"tabbridge";
}
