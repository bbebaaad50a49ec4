#include "channel/write_guard.h"

#include <windows.h>

#include <psapi.h>

#include <cstdint>

#include "channel/outgoing_frame_tracker.h"
#include "channel/std_handles.h"
#include "engine_config/hook/hook_engine.h"
#include "utils/critical_section.h"

namespace {

decltype(&::WriteFile) g_real_write_file = nullptr;
bool g_installed = false;

// The program's own image; empty when it could not be read, which leaves
// only the length rule.
uintptr_t g_image_start = 0;
uintptr_t g_image_end = 0;

struct OutputState {
  CriticalSection lock;
  OutgoingFrameTracker frames;
};

// Never destroyed: other threads may still write while the process exits.
OutputState& Output() {
  static OutputState* const state = new OutputState;
  return *state;
}

bool IsInOwnImage(const void* address) {
  if (g_image_end == 0)
    return true;
  const auto value = reinterpret_cast<uintptr_t>(address);
  return value >= g_image_start && value < g_image_end;
}

BOOL Refuse(DWORD* written) {
  if (written)
    *written = 0;
  ::SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

BOOL WINAPI GuardedWriteFile(HANDLE file,
                             const void* buffer,
                             DWORD size,
                             DWORD* written,
                             OVERLAPPED* overlapped) {
  if (file != ChannelOutputHandle())
    return g_real_write_file(file, buffer, size, written, overlapped);
  if (!IsInOwnImage(__builtin_return_address(0)))
    return Refuse(written);
  if (!buffer)
    return g_real_write_file(file, buffer, size, written, overlapped);

  // Held across the write so that the frame boundaries seen here are the
  // ones that reach the pipe.
  OutputState& output = Output();
  AutoLock lock(output.lock);
  if (!output.frames.Admits(buffer, size))
    return Refuse(written);
  const BOOL result = g_real_write_file(file, buffer, size, written, overlapped);
  if (result)
    output.frames.Wrote(buffer, size, written ? *written : size);
  else
    output.frames.Failed();
  return result;
}

// Where WriteFile really lives: kernel32's export only forwards to
// kernelbase, and callers that link kernelbase directly would pass a hook on
// the forwarder.
HMODULE WriteFileModule() {
  const HMODULE kernelbase = ::GetModuleHandleW(L"kernelbase.dll");
  if (kernelbase && ::GetProcAddress(kernelbase, "WriteFile"))
    return kernelbase;
  return ::GetModuleHandleW(L"kernel32.dll");
}

}  // namespace

bool InstallWriteGuard() {
  // Start-up runs this on the only thread there is.
  if (g_installed)
    return false;
  MODULEINFO image = {};
  if (::GetModuleInformation(::GetCurrentProcess(), ::GetModuleHandleW(nullptr), &image,
                             sizeof(image))) {
    g_image_start = reinterpret_cast<uintptr_t>(image.lpBaseOfDll);
    g_image_end = g_image_start + image.SizeOfImage;
  }
  Output();
  g_installed = HookExport(WriteFileModule(), "WriteFile", &GuardedWriteFile, &g_real_write_file);
  return g_installed;
}
