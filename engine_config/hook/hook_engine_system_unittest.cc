// The hook engine on the system functions the host intercepts, as this
// system loads them.

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "engine_config/hook/hook_engine.h"
#include "engine_config/hook/testing/code_arena.h"
#include "tests/child_process.h"
#include "utils/scoped_handle.h"

// Hooks stay for good, so every case that installs one runs in a child
// process. A routine's result is 0, or the line of the first check that
// failed.
#define CHILD_CHECK(condition) \
  if (!(condition))            \
  return __LINE__

namespace {

std::wstring TempFolder() {
  wchar_t folder[MAX_PATH];
  const DWORD length = ::GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder, length < MAX_PATH ? length : 0);
}

std::wstring UniqueTempPath(const wchar_t* stem) {
  return TempFolder() + stem + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
}

// --- WriteFile in kernel32 (a thunk) and in kernelbase (the real thing) ---

HANDLE g_watched_file = nullptr;
decltype(&::WriteFile) g_kernel32_write = nullptr;
decltype(&::WriteFile) g_kernelbase_write = nullptr;
int g_kernel32_writes = 0;
int g_kernelbase_writes = 0;
DWORD g_kernel32_bytes = 0;

BOOL WINAPI Kernel32WriteDetour(HANDLE file,
                                LPCVOID buffer,
                                DWORD size,
                                LPDWORD written,
                                LPOVERLAPPED overlapped) {
  if (file == g_watched_file) {
    ++g_kernel32_writes;
    g_kernel32_bytes = size;
  }
  return g_kernel32_write(file, buffer, size, written, overlapped);
}

BOOL WINAPI KernelBaseWriteDetour(HANDLE file,
                                  LPCVOID buffer,
                                  DWORD size,
                                  LPDWORD written,
                                  LPOVERLAPPED overlapped) {
  if (file == g_watched_file)
    ++g_kernelbase_writes;
  return g_kernelbase_write(file, buffer, size, written, overlapped);
}

struct DeleteOnClose {
  std::wstring path;
  ~DeleteOnClose() { ::DeleteFileW(path.c_str()); }
};

std::string ReadWholeFile(const std::wstring& path) {
  unique_handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
  std::string bytes(256, '\0');
  DWORD read = 0;
  if (!file || !::ReadFile(file.get(), bytes.data(), bytes.size(), &read, nullptr))
    return {};
  bytes.resize(read);
  return bytes;
}

TB_CHILD_ROUTINE(HookWriteFileInBothModules) {
  const DeleteOnClose file_path{UniqueTempPath(L"tb_hook_write_")};
  unique_handle file(::CreateFileW(file_path.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   CREATE_ALWAYS, 0, nullptr));
  CHILD_CHECK(file);
  g_watched_file = file.get();
  CHILD_CHECK(HookExport(::GetModuleHandleW(L"kernelbase.dll"), "WriteFile", &KernelBaseWriteDetour,
                         &g_kernelbase_write));
  CHILD_CHECK(HookExport(::GetModuleHandleW(L"kernel32.dll"), "WriteFile", &Kernel32WriteDetour,
                         &g_kernel32_write));

  const char kPayload[] = "bytes that went through two hooks";
  DWORD written = 0;
  CHILD_CHECK(::WriteFile(file.get(), kPayload, sizeof(kPayload) - 1, &written, nullptr));
  CHILD_CHECK(written == sizeof(kPayload) - 1);
  CHILD_CHECK(g_kernel32_writes == 1);
  CHILD_CHECK(g_kernel32_bytes == sizeof(kPayload) - 1);
  // kernel32's thunk passes on to kernelbase, through that hook as well.
  CHILD_CHECK(g_kernelbase_writes == 1);
  file.reset();
  CHILD_CHECK(ReadWholeFile(file_path.path) == kPayload);
  return 0;
}

TEST(HookEngineSystemTest, WriteFileHooksWriteTheBytes) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "HookWriteFileInBothModules"), 0u);
}

// --- Registry reads in kernelbase, where the registry redirection hooks ---

constexpr wchar_t kVersionKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr wchar_t kInventedValue[] = L"TbHookInventedValue";
constexpr DWORD kInventedAnswer = 0x5EED;

decltype(&::RegOpenKeyExW) g_real_open = nullptr;
decltype(&::RegQueryValueExW) g_real_query = nullptr;
std::wstring g_opened_subkey;
std::wstring g_queried_value;

LSTATUS WINAPI OpenDetour(HKEY key, LPCWSTR subkey, DWORD options, REGSAM access, PHKEY result) {
  if (subkey)
    g_opened_subkey = subkey;
  return g_real_open(key, subkey, options, access, result);
}

LSTATUS WINAPI
QueryDetour(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (name)
    g_queried_value = name;
  // Answers one made-up value itself, so the caller can tell it was asked.
  if (name && std::wcscmp(name, kInventedValue) == 0 && size && *size >= sizeof(DWORD) && data) {
    std::memcpy(data, &kInventedAnswer, sizeof(DWORD));
    *size = sizeof(DWORD);
    if (type)
      *type = REG_DWORD;
    return ERROR_SUCCESS;
  }
  return g_real_query(key, name, reserved, type, data, size);
}

std::optional<std::wstring> ReadBuildNumber() {
  unique_hkey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return std::nullopt;
  wchar_t text[64] = {};
  DWORD size = sizeof(text) - sizeof(wchar_t);
  DWORD type = 0;
  if (::RegQueryValueExW(key.get(), L"CurrentBuildNumber", nullptr, &type,
                         reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  return std::wstring(text);
}

TB_CHILD_ROUTINE(HookRegistryReads) {
  const std::optional<std::wstring> before = ReadBuildNumber();
  CHILD_CHECK(before && !before->empty());
  const HMODULE kernelbase = ::GetModuleHandleW(L"kernelbase.dll");
  CHILD_CHECK(HookExport(kernelbase, "RegOpenKeyExW", &OpenDetour, &g_real_open));
  CHILD_CHECK(HookExport(kernelbase, "RegQueryValueExW", &QueryDetour, &g_real_query));

  // Through advapi32, as any caller in the process would.
  CHILD_CHECK(ReadBuildNumber() == before);
  CHILD_CHECK(g_opened_subkey == kVersionKey);
  CHILD_CHECK(g_queried_value == L"CurrentBuildNumber");

  unique_hkey key;
  CHILD_CHECK(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_READ, key.put()) ==
              ERROR_SUCCESS);
  DWORD answer = 0;
  DWORD size = sizeof(answer);
  DWORD type = 0;
  CHILD_CHECK(::RegQueryValueExW(key.get(), kInventedValue, nullptr, &type,
                                 reinterpret_cast<BYTE*>(&answer), &size) == ERROR_SUCCESS);
  CHILD_CHECK(answer == kInventedAnswer && type == REG_DWORD);
  // Other names still reach the real function, which knows no such value.
  CHILD_CHECK(::RegQueryValueExW(key.get(), L"TbHookNoSuchValue", nullptr, nullptr, nullptr,
                                 nullptr) == ERROR_FILE_NOT_FOUND);
  return 0;
}

TEST(HookEngineSystemTest, RegistryHooksOpenAndReadRealKeys) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "HookRegistryReads"), 0u);
}

// --- CreateWindowExW in user32 ---

decltype(&::CreateWindowExW) g_real_create_window = nullptr;
std::wstring g_created_title;
HWND g_created_window = nullptr;

HWND WINAPI CreateWindowDetour(DWORD ex_style,
                               LPCWSTR class_name,
                               LPCWSTR title,
                               DWORD style,
                               int x,
                               int y,
                               int width,
                               int height,
                               HWND parent,
                               HMENU menu,
                               HINSTANCE instance,
                               LPVOID param) {
  if (title)
    g_created_title = title;
  g_created_window = g_real_create_window(ex_style, class_name, title, style, x, y, width, height,
                                          parent, menu, instance, param);
  return g_created_window;
}

TB_CHILD_ROUTINE(HookWindowCreation) {
  CHILD_CHECK(HookExport(::GetModuleHandleW(L"user32.dll"), "CreateWindowExW", &CreateWindowDetour,
                         &g_real_create_window));
  unique_hwnd window(::CreateWindowExW(0, L"STATIC", L"tb hooked window", WS_POPUP, 10, 20, 300,
                                       200, nullptr, nullptr, nullptr, nullptr));
  CHILD_CHECK(window);
  CHILD_CHECK(window.get() == g_created_window);
  CHILD_CHECK(g_created_title == L"tb hooked window");
  wchar_t text[64] = {};
  CHILD_CHECK(::GetWindowTextW(window.get(), text, 64) > 0);
  CHILD_CHECK(std::wstring(text) == L"tb hooked window");
  CHILD_CHECK(::GetClassNameW(window.get(), text, 64) > 0);
  CHILD_CHECK(::CompareStringOrdinal(text, -1, L"STATIC", -1, TRUE) == CSTR_EQUAL);
  RECT rect;
  CHILD_CHECK(::GetWindowRect(window.get(), &rect));
  CHILD_CHECK(rect.right - rect.left == 300 && rect.bottom - rect.top == 200);
  return 0;
}

TEST(HookEngineSystemTest, CreateWindowHookCreatesTheWindow) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "HookWindowCreation"), 0u);
}

// --- InternetSetCookieExW in wininet ---

constexpr wchar_t kCookieUrl[] = L"http://hooktest.tabbridge.example/";

decltype(&::InternetSetCookieExW) g_real_set_cookie = nullptr;
std::wstring g_cookie_url;
std::wstring g_cookie_data;

DWORD WINAPI
SetCookieDetour(LPCWSTR url, LPCWSTR name, LPCWSTR data, DWORD flags, DWORD_PTR reserved) {
  if (url && data) {
    g_cookie_url = url;
    g_cookie_data = data;
  }
  return g_real_set_cookie(url, name, data, flags, reserved);
}

TB_CHILD_ROUTINE(HookCookieSetter) {
  const HMODULE wininet = LoadSystemLibrary(L"wininet.dll");
  CHILD_CHECK(wininet);
  const auto set_cookie = reinterpret_cast<decltype(&::InternetSetCookieExW)>(
      reinterpret_cast<void*>(::GetProcAddress(wininet, "InternetSetCookieExW")));
  const auto get_cookie = reinterpret_cast<decltype(&::InternetGetCookieW)>(
      reinterpret_cast<void*>(::GetProcAddress(wininet, "InternetGetCookieW")));
  CHILD_CHECK(set_cookie && get_cookie);
  CHILD_CHECK(HookExport(wininet, "InternetSetCookieExW", &SetCookieDetour, &g_real_set_cookie));

  // A session cookie with a value of this run only, so no earlier run can
  // have left it behind.
  const std::wstring value =
      L"v" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(::GetTickCount());
  CHILD_CHECK(set_cookie(kCookieUrl, L"tbhook", value.c_str(), 0, 0) != COOKIE_STATE_UNKNOWN);
  CHILD_CHECK(g_cookie_url == kCookieUrl);
  CHILD_CHECK(g_cookie_data == value);

  wchar_t cookies[512] = {};
  DWORD size = 512;
  CHILD_CHECK(get_cookie(kCookieUrl, nullptr, cookies, &size));
  CHILD_CHECK(std::wstring(cookies).find(L"tbhook=" + value) != std::wstring::npos);
  return 0;
}

TEST(HookEngineSystemTest, CookieHookSetsTheCookie) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "HookCookieSetter"), 0u);
}

// --- The exports the host intercepts, as this system loads them ---

struct Export {
  const wchar_t* module;
  const char* name;
  bool needed;  // hooked by the host, so it must be hookable
};

constexpr Export kExports[] = {
    {L"kernelbase.dll", "RegOpenKeyExW", true},
    {L"kernelbase.dll", "RegQueryValueExW", true},
    {L"kernelbase.dll", "RegQueryValueExA", true},
    {L"kernelbase.dll", "RegSetValueExW", true},
    {L"kernelbase.dll", "RegOpenKeyExA", true},
    {L"kernelbase.dll", "RegCloseKey", true},
    {L"kernelbase.dll", "WriteFile", false},
    {L"kernelbase.dll", "SetUnhandledExceptionFilter", false},
    {L"kernel32.dll", "RegOpenKeyExW", false},
    {L"kernel32.dll", "RegQueryValueExW", false},
    {L"kernel32.dll", "RegQueryValueExA", false},
    {L"kernel32.dll", "RegSetValueExW", false},
    {L"kernel32.dll", "RegOpenKeyExA", false},
    {L"kernel32.dll", "RegCloseKey", false},
    {L"kernel32.dll", "WriteFile", true},
    {L"kernel32.dll", "SetUnhandledExceptionFilter", true},
    {L"wininet.dll", "InternetSetCookieExW", true},
    {L"wininet.dll", "InternetSetCookieW", true},
    {L"wininet.dll", "InternetSetCookieExA", true},
    {L"wininet.dll", "InternetSetCookieA", true},
    {L"wininet.dll", "InternetSetStatusCallbackA", true},
    {L"wininet.dll", "HttpOpenRequestA", true},
    {L"wininet.dll", "HttpOpenRequestW", true},
    {L"wininet.dll", "InternetSetOptionA", true},
    {L"wininet.dll", "InternetSetOptionW", true},
    {L"wininet.dll", "InternetOpenA", true},
    {L"wininet.dll", "InternetOpenW", true},
    {L"wininet.dll", "HttpQueryInfoW", false},
    {L"wininet.dll", "HttpSendRequestW", false},
    {L"wininet.dll", "InternetGetCookieW", false},
    {L"user32.dll", "CreateWindowExW", true},
};
constexpr size_t kExportCount = sizeof(kExports) / sizeof(kExports[0]);

// What the child found for each export.
enum Outcome : char {
  kHooked = 'y',
  kRefused = 'n',
  kMissing = '-',
  kSameAsEarlier = '=',  // the export is another row's function
};

constexpr wchar_t kOutcomeFileVariable[] = L"TB_HOOK_EXPORTS_OUT";

void* ExportAddress(const Export& row) {
  HMODULE module = ::GetModuleHandleW(row.module);
  if (!module)
    module = LoadSystemLibrary(row.module);
  return module ? reinterpret_cast<void*>(::GetProcAddress(module, row.name)) : nullptr;
}

// Hooks every export with a detour that passes each call on, and writes one
// outcome per row to the file named by the environment.
TB_CHILD_ROUTINE(HookEveryInterceptedExport) {
  wchar_t out_path[MAX_PATH];
  CHILD_CHECK(::GetEnvironmentVariableW(kOutcomeFileVariable, out_path, MAX_PATH) > 0);
  std::optional<CodeArena> arena = CodeArena::Create(0x1000);
  CHILD_CHECK(arena);
  static void* trampolines[kExportCount] = {};
  std::vector<void*> targets;
  std::string outcomes;
  for (size_t i = 0; i < kExportCount; ++i) {
    void* const target = ExportAddress(kExports[i]);
    targets.push_back(target);
    if (!target) {
      outcomes += kMissing;
      continue;
    }
    if (std::find(targets.begin(), targets.end() - 1, target) != targets.end() - 1) {
      outcomes += kSameAsEarlier;
      continue;
    }
    // The detour calls through the variable SetHook fills in.
    trampolines[i] = target;
    uint8_t* detour = arena->Put(JumpThroughSlot(&trampolines[i]));
    CHILD_CHECK(detour);
    outcomes += SetHook(&trampolines[i], detour) ? kHooked : kRefused;
  }

  // The hooked process still works: this write goes through both WriteFile
  // hooks, the file functions under them and the registry ones.
  unique_handle out(::CreateFileW(out_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  CHILD_CHECK(out);
  CHILD_CHECK(::WriteFile(out.get(), outcomes.data(), outcomes.size(), &written, nullptr));
  CHILD_CHECK(written == outcomes.size());
  unique_hkey key;
  CHILD_CHECK(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_READ, key.put()) ==
              ERROR_SUCCESS);
  return 0;
}

std::string Hex(const void* code, size_t size) {
  std::string text;
  char byte[4];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof(byte), "%02x ", static_cast<const uint8_t*>(code)[i]);
    text += byte;
  }
  text.pop_back();
  return text;
}

class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
    ::SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedEnvironmentVariable() { ::SetEnvironmentVariableW(name_, nullptr); }
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

 private:
  const wchar_t* name_;
};

TEST(HookEngineSystemTest, InterceptedExportsAreHookable) {
  const DeleteOnClose out{UniqueTempPath(L"tb_hook_exports_")};
  {
    const ScopedEnvironmentVariable variable(kOutcomeFileVariable, out.path);
    ASSERT_EQ(RunChild(CurrentTestProgram(), "HookEveryInterceptedExport"), 0u);
  }
  const std::string outcomes = ReadWholeFile(out.path);
  ASSERT_EQ(outcomes.size(), kExportCount);

  std::printf("%-44s %-47s %s\n", "export", "first 16 bytes", "hooked");
  for (size_t i = 0; i < kExportCount; ++i) {
    const Export& row = kExports[i];
    const std::string module(row.module, row.module + std::wcslen(row.module));
    const void* address = ExportAddress(row);
    std::printf("%-44s %-47s %c\n", (module + "!" + row.name).c_str(),
                address ? Hex(address, 16).c_str() : "(missing)", outcomes[i]);
    if (row.needed) {
      EXPECT_EQ(outcomes[i], kHooked) << module << "!" << row.name;
    }
  }
}

}  // namespace
