#include "host_functions/system_info.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>
#include <cwchar>
#include <vector>

#include "host_functions/version_text.h"
#include "utils/log.h"
#include "utils/scoped_handle.h"

namespace {

// The engine version when no file tells it.
constexpr int kFallbackIEMajorVersion = 7;
constexpr WORD kWesternCodePage = 1252;

std::wstring SystemFilePath(const wchar_t* file_name) {
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return {};
  std::wstring path(folder, length);
  path += L'\\';
  path += file_name;
  return path;
}

std::vector<BYTE> ReadVersionResource(const wchar_t* file) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(file, &ignored);
  std::vector<BYTE> data(size);
  if (size == 0 || !::GetFileVersionInfoW(file, 0, size, data.data()))
    data.clear();
  return data;
}

std::wstring QueryVersionString(std::vector<BYTE>& data,
                                WORD language,
                                WORD code_page,
                                const wchar_t* name) {
  wchar_t sub_block[128];
  std::swprintf(sub_block, std::size(sub_block), L"\\StringFileInfo\\%04x%04x\\%ls", language,
                code_page, name);
  wchar_t* text = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(data.data(), sub_block, reinterpret_cast<void**>(&text), &length) ||
      !text) {
    return {};
  }
  return std::wstring(text, ::wcsnlen(text, length));
}

// The version readings of GetVersionEx; the basic form where the extended
// one is refused.
std::optional<OSVERSIONINFOEXW> ReadReportedVersion() {
  OSVERSIONINFOEXW info = {sizeof(info)};
  if (::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)))
    return info;
  info = {};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
  if (::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)))
    return info;
  return std::nullopt;
}

}  // namespace

int GetSystemVersion() {
  static std::atomic<int> cached{0};
  int code = cached.load(std::memory_order_relaxed);
  if (code != 0)
    return code;
  const std::optional<OSVERSIONINFOEXW> info = ReadReportedVersion();
  code = info ? ReleaseCodeFromVersionInfo(*info, ReadRealVersion()) : 0;
  cached.store(code, std::memory_order_relaxed);
  return code;
}

int ReleaseCodeFromVersionInfo(const OSVERSIONINFOEXW& info, const RealVersion& real) {
  return ReleaseCodeForReportedVersion({info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                                        info.dwBuildNumber, info.wProductType},
                                       real);
}

RealVersion ReadRealVersion() {
  using GetNtVersionNumbers = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
  const auto get_numbers = reinterpret_cast<GetNtVersionNumbers>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetNtVersionNumbers")));
  if (get_numbers) {
    DWORD major = 0;
    DWORD minor = 0;
    DWORD build = 0;
    get_numbers(&major, &minor, &build);
    // The high bits tell free from checked builds.
    return {major, minor, build & 0xFFFF};
  }
  return ReadKernelFileVersion().value_or(RealVersion{});
}

std::optional<RealVersion> ReadKernelFileVersion() {
  const std::wstring kernel = SystemFilePath(L"ntoskrnl.exe");
  std::vector<BYTE> data = ReadVersionResource(kernel.c_str());
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (data.empty() ||
      !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      length < sizeof(*fixed)) {
    return std::nullopt;
  }
  return RealVersion{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), 0};
}

int GetIEMajorVersion(std::wstring* iexplore_path) {
  static std::atomic<int> cached{-1};
  int version = cached.load(std::memory_order_relaxed);
  if (version < 0) {
    version = ComputeIEMajorVersion(iexplore_path);
    cached.store(version, std::memory_order_relaxed);
  }
  return version;
}

int ComputeIEMajorVersion(std::wstring* iexplore_path) {
  const std::wstring mshtml = SystemFilePath(L"mshtml.dll");
  int version = MajorVersionFromText(GetFileVersionText(mshtml.c_str(), L"ProductVersion"));

  wchar_t iexplore[MAX_PATH];
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT,
                                iexplore)) ||
      !::PathAppendW(iexplore, L"internet explorer\\iexplore.exe")) {
    iexplore[0] = L'\0';
  }
  if (iexplore_path)
    *iexplore_path = iexplore;
  if (version == 0 && iexplore[0])
    version = MajorVersionFromText(GetFileVersionText(iexplore, L"ProductVersion"));
  return version != 0 ? version : kFallbackIEMajorVersion;
}

std::wstring GetFileVersionText(const wchar_t* file, const wchar_t* name) {
  std::vector<BYTE> data = ReadVersionResource(file);
  struct Translation {
    WORD language;
    WORD code_page;
  }* translation = nullptr;
  UINT length = 0;
  if (data.empty() ||
      !::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof(*translation)) {
    return {};
  }
  const WORD user_language = ::GetUserDefaultLangID();
  const Translation attempts[] = {{translation->language, translation->code_page},
                                  {user_language, translation->code_page},
                                  {translation->language, kWesternCodePage},
                                  {user_language, kWesternCodePage}};
  for (const Translation& attempt : attempts) {
    std::wstring text = QueryVersionString(data, attempt.language, attempt.code_page, name);
    if (!text.empty())
      return text;
  }
  return {};
}

bool GetComServerFolder(REFCLSID clsid, wchar_t* buffer) {
  wchar_t clsid_text[40];
  if (!::StringFromGUID2(clsid, clsid_text, std::size(clsid_text)))
    return false;
  const std::wstring key = std::wstring(L"CLSID\\") + clsid_text + L"\\InProcServer32";
  // Expands REG_EXPAND_SZ paths such as "%SystemRoot%\system32\x.dll".
  DWORD size = MAX_PATH * sizeof(wchar_t);
  if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer,
                     &size) != ERROR_SUCCESS) {
    return false;
  }
  // Drops the file name and its separator; a root such as "C:\" keeps it.
  *::PathFindFileNameW(buffer) = L'\0';
  ::PathRemoveBackslashW(buffer);
  return true;
}

UiLanguageClass GetUiLanguageClass() {
  return UiLanguageClassFor(::GetUserDefaultUILanguage());
}

std::wstring PickLocalizedText(const wchar_t* en, const wchar_t* zh_hans, const wchar_t* zh_hant) {
  const wchar_t* text = en;
  switch (GetUiLanguageClass()) {
    case kUiLanguageSimplifiedChinese:
      text = zh_hans;
      break;
    case kUiLanguageTraditionalChinese:
      text = zh_hant;
      break;
    case kUiLanguageOther:
      break;
  }
  return text ? text : L"";
}

std::wstring GetProgramFileName() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return {};
  return ::PathFindFileNameW(path);
}

const wchar_t* GetBrowserName() {
  return L"Chrome";
}

bool IsChromeRemoveRedirectionBitmap(HWND window) {
  return IsChromeRemoveRedirectionBitmapOn(GetSystemVersion(), window);
}

bool IsChromeRemoveRedirectionBitmapOn(int release_code, HWND window) {
  constexpr int kWindows11 = 13;
  constexpr LONG kNoRedirectionBitmap = 0x00200000;  // WS_EX_NOREDIRECTIONBITMAP
  if (release_code < kWindows11) {
    LOG(DEBUG) << L"GetSystemVersion " << release_code;
    return false;
  }
  if (!window || !::IsWindow(window))
    return false;
  if (::GetWindowLongW(window, GWL_EXSTYLE) & kNoRedirectionBitmap)
    return true;
  LOG(DEBUG) << L"IsChromeRemoveRedirectionBitmap false";
  return false;
}
