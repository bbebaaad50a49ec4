// The library itself: calls made from here on the tests' behalf, and an
// engine stand-in that misbehaves inside the program.
#include <windows.h>

#include <wininet.h>

#include <cwchar>
#include <filesystem>
#include <fstream>

#include "tests/outside_caller/outside_caller.h"
#include "utils/scoped_handle.h"

namespace {

// Writes one frame to every pipe handle of the process, as a library holding
// a copy of the original standard output would. The number of writes that
// succeeded; `pipes` is how many pipes there are.
int WriteFrameToEveryPipe(int* pipes) {
  static const char kFrame[] = "\x15\0\0\0{\"action\":\"intruder\"}";
  int successes = 0;
  for (uintptr_t value = 4; value < 0x2000; value += 4) {
    const HANDLE handle = reinterpret_cast<HANDLE>(value);
    if (::GetFileType(handle) != FILE_TYPE_PIPE)
      continue;
    ++*pipes;
    DWORD written = 0;
    if (::WriteFile(handle, kFrame, sizeof(kFrame) - 1, &written, nullptr) && written > 0)
      ++successes;
  }
  return successes;
}

// The FEATURE_BROWSER_EMULATION value for this program, read as the engine
// reads it: below the machine's feature-control key; 0 when there is none.
DWORD ReadEngineEmulation() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  unique_hkey feature_control;
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                      L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl", 0, KEY_READ,
                      feature_control.put()) != ERROR_SUCCESS ||
      ::RegGetValueW(feature_control.get(), L"FEATURE_BROWSER_EMULATION",
                     std::wcsrchr(path, L'\\') + 1, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS) {
    return 0;
  }
  return value;
}

// Whether the option "TabProcGrowth" reads as REG_DWORD 0 from any key.
bool TabProcGrowthIsOff() {
  DWORD value = 7;
  DWORD type = REG_NONE;
  DWORD size = sizeof(value);
  return ::RegQueryValueExW(HKEY_CURRENT_USER, L"TabProcGrowth", nullptr, &type,
                            reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
         type == REG_DWORD && value == 0;
}

}  // namespace

extern "C" {

__declspec(dllexport) BOOL WINAPI
    OutsideWriteFile(HANDLE file, const void* data, DWORD size, DWORD* written) {
  return ::WriteFile(file, data, size, written, nullptr);
}

__declspec(dllexport) LSTATUS WINAPI
    OutsideRegOpenKeyExW(HKEY key, LPCWSTR subkey, DWORD options, REGSAM access, PHKEY result) {
  return ::RegOpenKeyExW(key, subkey, options, access, result);
}

__declspec(dllexport) LSTATUS WINAPI OutsideRegQueryValueExW(HKEY key,
                                                             LPCWSTR name,
                                                             LPDWORD reserved,
                                                             LPDWORD type,
                                                             LPBYTE data,
                                                             LPDWORD size) {
  return ::RegQueryValueExW(key, name, reserved, type, data, size);
}

__declspec(dllexport) HWND WINAPI OutsideCreateWindowExW(DWORD ex_style,
                                                         LPCWSTR class_name,
                                                         LPCWSTR window_name,
                                                         DWORD style,
                                                         int x,
                                                         int y,
                                                         int width,
                                                         int height,
                                                         HWND parent,
                                                         HMENU menu,
                                                         HINSTANCE instance,
                                                         LPVOID param) {
  return ::CreateWindowExW(ex_style, class_name, window_name, style, x, y, width, height, parent,
                           menu, instance, param);
}

__declspec(dllexport) DWORD WINAPI OutsideInternetSetCookieExW(const wchar_t* url,
                                                               const wchar_t* name,
                                                               const wchar_t* data,
                                                               DWORD flags,
                                                               DWORD_PTR reserved) {
  return ::InternetSetCookieExW(url, name, data, flags, reserved);
}

__declspec(dllexport) BOOL WINAPI
    OutsideInternetSetCookieW(const wchar_t* url, const wchar_t* name, const wchar_t* data) {
  return ::InternetSetCookieW(url, name, data);
}

__declspec(dllexport) DWORD WINAPI OutsideInternetSetCookieExA(const char* url,
                                                               const char* name,
                                                               const char* data,
                                                               DWORD flags,
                                                               DWORD_PTR reserved) {
  return ::InternetSetCookieExA(url, name, data, flags, reserved);
}

__declspec(dllexport) BOOL WINAPI
    OutsideInternetSetCookieA(const char* url, const char* name, const char* data) {
  return ::InternetSetCookieA(url, name, data);
}

__declspec(dllexport) HINTERNET WINAPI OutsideInternetOpenW(const wchar_t* agent, DWORD access) {
  return ::InternetOpenW(agent, access, nullptr, nullptr, 0);
}

__declspec(dllexport) INTERNET_STATUS_CALLBACK WINAPI
    OutsideInternetSetStatusCallbackA(HINTERNET handle, INTERNET_STATUS_CALLBACK callback) {
  return ::InternetSetStatusCallbackA(handle, callback);
}

// Registered as the WebBrowser control's server, the library is loaded into
// the program as the engine is, and misbehaves as engine modules may. It
// adds what it saw to the file TB_PROBE_RESULT names, a line "<pipes>
// <writes that succeeded> <emulation read> <1 when TabProcGrowth reads as
// 0>". Serving no class, it is then also tried in a surrogate process.
__declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, void** object) {
  *object = nullptr;
  if (const wchar_t* result = _wgetenv(L"TB_PROBE_RESULT")) {
    int pipes = 0;
    const int written = WriteFrameToEveryPipe(&pipes);
    std::ofstream(std::filesystem::path(result), std::ios::app)
        << pipes << ' ' << written << ' ' << ReadEngineEmulation() << ' ' << TabProcGrowthIsOff()
        << '\n';
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

}  // extern "C"
