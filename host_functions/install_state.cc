#include "host_functions/install_state.h"

#include <windows.h>

#include <shlobj.h>

#include "host_functions/file_digest.h"
#include "host_functions/file_ops.h"
#include "host_functions/host_registration.h"
#include "host_functions/manifest.h"
#include "host_functions/version_compare.h"
#include "utils/host_version.h"
#include "utils/string_util.h"

std::optional<std::wstring> GetInstallFolder() {
  wchar_t folder[MAX_PATH];
  if (FAILED(
          ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) ||
      folder[0] == L'\0') {
    return std::nullopt;
  }
  std::wstring path = folder;
  if (path.back() != L'\\')
    path += L'\\';
  return path + L"tabbridge";
}

std::optional<std::wstring> GetInstalledExePath() {
  auto folder = GetInstallFolder();
  return folder ? std::optional(*folder + L"\\tabbridge.exe") : std::nullopt;
}

std::optional<std::wstring> GetManifestPath() {
  auto folder = GetInstallFolder();
  return folder ? std::optional(*folder + L"\\com.tabbridge.helper.json") : std::nullopt;
}

bool IsInstalled() {
  // An earlier check may have left the key empty; that counts as missing.
  if (!CreateHostKey())
    return false;
  const std::wstring manifest_path = ReadHostValue(L"").value_or(L"");
  if (manifest_path.empty() || !FileExists(manifest_path))
    return false;
  const std::optional<std::string> manifest = ReadWholeFile(manifest_path);
  if (!manifest || manifest->empty())
    return false;
  const std::optional<std::string> exe_path = ManifestExePath(*manifest);
  return exe_path && FileExists(Utf8ToWide(*exe_path));
}

bool NeedsUpdate() {
  const std::wstring installed_version = ReadHostValue(L"version").value_or(L"");
  if (installed_version.empty())
    return true;
  const int order = CompareVersions(Utf8ToWide(kHostVersion), installed_version);
  if (order != 0)
    return order > 0;
  const std::optional<std::wstring> installed = GetInstalledExePath();
  if (!installed)
    return true;
  // A file that cannot be read counts as different.
  const std::optional<std::string> own_digest = Md5FileText(GetRunningExePath());
  const std::optional<std::string> installed_digest = Md5FileText(*installed);
  return !own_digest || !installed_digest || *own_digest != *installed_digest;
}
