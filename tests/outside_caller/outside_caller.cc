// The library itself: calls made from here on the tests' behalf, and
// routines that run inside other processes.
#include <windows.h>

#include <wininet.h>

#include "tests/outside_caller/outside_caller.h"
#include "utils/scoped_handle.h"

namespace {

constexpr wchar_t kEngineFeatureControl[] =
    L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl";

}  // namespace

extern "C" {

__declspec(dllexport) BOOL
    OutsideWriteFile(HANDLE file, const void* data, DWORD size, DWORD* written) {
  return ::WriteFile(file, data, size, written, nullptr);
}

__declspec(dllexport) LSTATUS OutsideRegOpenKeyExW(HKEY key,
                                                   const wchar_t* subkey,
                                                   DWORD options,
                                                   REGSAM access,
                                                   HKEY* result) {
  return ::RegOpenKeyExW(key, subkey, options, access, result);
}

__declspec(dllexport) LSTATUS OutsideRegQueryValueExW(HKEY key,
                                                      const wchar_t* name,
                                                      DWORD* reserved,
                                                      DWORD* type,
                                                      BYTE* data,
                                                      DWORD* size) {
  return ::RegQueryValueExW(key, name, reserved, type, data, size);
}

__declspec(dllexport) LSTATUS OutsideRegQueryValueExA(HKEY key,
                                                      const char* name,
                                                      DWORD* reserved,
                                                      DWORD* type,
                                                      BYTE* data,
                                                      DWORD* size) {
  return ::RegQueryValueExA(key, name, reserved, type, data, size);
}

__declspec(dllexport) HWND OutsideCreateWindowExW(DWORD ex_style,
                                                  const wchar_t* class_name,
                                                  const wchar_t* window_name,
                                                  DWORD style,
                                                  int x,
                                                  int y,
                                                  int width,
                                                  int height,
                                                  HWND parent,
                                                  HMENU menu,
                                                  HINSTANCE instance,
                                                  void* param) {
  return ::CreateWindowExW(ex_style, class_name, window_name, style, x, y, width, height, parent,
                           menu, instance, param);
}

__declspec(dllexport) DWORD OutsideInternetSetCookieExW(const wchar_t* url,
                                                        const wchar_t* name,
                                                        const wchar_t* data,
                                                        DWORD flags,
                                                        DWORD_PTR reserved) {
  return ::InternetSetCookieExW(url, name, data, flags, reserved);
}

__declspec(dllexport) BOOL
    OutsideInternetSetCookieW(const wchar_t* url, const wchar_t* name, const wchar_t* data) {
  return ::InternetSetCookieW(url, name, data);
}

__declspec(dllexport) DWORD OutsideInternetSetCookieExA(const char* url,
                                                        const char* name,
                                                        const char* data,
                                                        DWORD flags,
                                                        DWORD_PTR reserved) {
  return ::InternetSetCookieExA(url, name, data, flags, reserved);
}

__declspec(dllexport) BOOL
    OutsideInternetSetCookieA(const char* url, const char* name, const char* data) {
  return ::InternetSetCookieA(url, name, data);
}

__declspec(dllexport) HINTERNET OutsideInternetOpenW(const wchar_t* agent, DWORD access) {
  return ::InternetOpenW(agent, access, nullptr, nullptr, 0);
}

__declspec(dllexport) INTERNET_STATUS_CALLBACK
    OutsideInternetSetStatusCallbackA(HINTERNET handle, INTERNET_STATUS_CALLBACK callback) {
  return ::InternetSetStatusCallbackA(handle, callback);
}

// A thread routine for a library injected into another process: it writes
// one frame to every pipe handle it can find there, as a library holding a
// copy of the process's original standard output would. The result is the
// number of pipes found times 256 plus the number of writes that succeeded.
__declspec(dllexport) DWORD WINAPI WriteFrameToEveryPipe(void*) {
  static const char kFrame[] = "\x15\0\0\0{\"action\":\"intruder\"}";
  DWORD pipes = 0;
  DWORD successes = 0;
  for (uintptr_t value = 4; value < 0x2000; value += 4) {
    const HANDLE handle = reinterpret_cast<HANDLE>(value);
    if (::GetFileType(handle) != FILE_TYPE_PIPE)
      continue;
    ++pipes;
    DWORD written = 0;
    if (::WriteFile(handle, kFrame, sizeof(kFrame) - 1, &written, nullptr) && written > 0)
      ++successes;
  }
  return pipes * 256 + successes;
}

// A thread routine for a library injected into another process: tells
// whether that process answers registry reads the way the redirection does.
// Bit 0: "TabProcGrowth" of HKCU reads as REG_DWORD 0. Bit 1: the engine's
// feature-control key of HKLM opens a key whose "tb_probe" value is 1, as
// the test marks the program's own feature key.
__declspec(dllexport) DWORD WINAPI ProbeRegistryRedirection(void*) {
  DWORD result = 0;
  DWORD value = 7;
  DWORD type = REG_NONE;
  DWORD size = sizeof(value);
  if (::RegQueryValueExW(HKEY_CURRENT_USER, L"TabProcGrowth", nullptr, &type,
                         reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
      type == REG_DWORD && value == 0) {
    result |= 1;
  }
  unique_hkey key;
  size = sizeof(value);
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEngineFeatureControl, 0, KEY_READ, key.put()) ==
          ERROR_SUCCESS &&
      ::RegQueryValueExW(key.get(), L"tb_probe", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) == ERROR_SUCCESS &&
      type == REG_DWORD && value == 1) {
    result |= 2;
  }
  return result;
}

// A thread routine for a library injected into another process: the
// FEATURE_BROWSER_EMULATION value for that process's program, read the way
// the engine reads it (the machine's feature-control key, then the feature
// below it, then the value named after the program); 0 when there is none.
__declspec(dllexport) DWORD WINAPI ReadEngineEmulation(void*) {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return 0;
  const wchar_t* program = path;
  for (const wchar_t* c = path; *c; ++c) {
    if (*c == L'\\')
      program = c + 1;
  }
  unique_hkey feature_control;
  unique_hkey feature;
  DWORD value = 0;
  DWORD type = REG_NONE;
  DWORD size = sizeof(value);
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEngineFeatureControl, 0, KEY_READ,
                      feature_control.put()) != ERROR_SUCCESS ||
      ::RegOpenKeyExW(feature_control.get(), L"FEATURE_BROWSER_EMULATION", 0, KEY_READ,
                      feature.put()) != ERROR_SUCCESS ||
      ::RegQueryValueExW(feature.get(), program, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    return 0;
  }
  return value;
}

}  // extern "C"
