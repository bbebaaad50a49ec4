#ifndef UTILS_CRASH_HANDLER_H_
#define UTILS_CRASH_HANDLER_H_

#include <windows.h>

#include <string>

// When an exception escapes every handler of any thread, the crash filter
// writes a minidump into CrashDumpFolder(), posts the faulting thread's stack
// to the report endpoint, keeps the ten newest dumps and lets the process
// end. Nothing is shown to the user; every step fails silently.

// Hooks an export of `module` (the hook engine's HookExport): on success
// `*trampoline` reaches the real function; otherwise it holds the export.
using HookExportFunction = bool (*)(HMODULE module,
                                    const char* export_name,
                                    void* detour,
                                    void** trampoline);

struct CrashReportSettings {
  std::string version;
  int release_code = 0;
  // Empty: dumps are kept and nothing is sent. The report goes through the
  // process's HTTP client, so none is sent before StartHttpClient.
  std::wstring endpoint;
};

// Once per process, early: hooks kernel32's SetUnhandledExceptionFilter so
// that later callers only replace a remembered filter (returned to them, and
// never called), then puts the crash filter in force. True when the hook
// holds; the filter is in force either way. A second call does nothing.
[[nodiscard]] bool InstallCrashHandler(HookExportFunction hook_export,
                                       CrashReportSettings settings);

// "<temporary folder>\tabbridge"; empty without a temporary folder.
std::wstring CrashDumpFolder();

#endif  // UTILS_CRASH_HANDLER_H_
