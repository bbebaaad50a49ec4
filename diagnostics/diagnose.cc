#include "diagnostics/diagnose.h"

#include <optional>
#include <string>

#include "diagnostics/checks.h"
#include "engine_config/ie_feature_control.h"
#include "engine_config/policy_set.h"
#include "host_functions/install_state.h"
#include "host_functions/system_info.h"
#include "utils/host_version.h"
#include "utils/scoped_handle.h"

namespace {

// Manifests are a few hundred bytes; anything far larger is not one.
constexpr DWORD kMaxManifestSize = 1 << 20;

bool FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> ReadSmallFile(const std::wstring& path) {
  const unique_handle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size;
  if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxManifestSize)
    return std::nullopt;
  std::string content(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!::ReadFile(file.get(), content.data(), DWORD(content.size()), &read, nullptr))
    return std::nullopt;
  content.resize(read);
  return content;
}

std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name) {
  constexpr DWORD kFlags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  DWORD size = 0;
  if (::RegGetValueW(key, nullptr, name, kFlags, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  std::wstring text(size / sizeof(wchar_t), L'\0');
  if (::RegGetValueW(key, nullptr, name, kFlags, nullptr, text.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
  return text;
}

RegistrationKey ReadRegistration(HKEY root) {
  RegistrationKey registration;
  unique_hkey key;
  if (::RegOpenKeyExW(root, kHostRegistryKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return registration;
  registration.exists = true;
  registration.manifest = ReadString(key.get(), L"");
  registration.extension_id = ReadString(key.get(), L"extension_id");
  registration.version = ReadString(key.get(), L"version");
  return registration;
}

std::optional<LogLevelSetting> ReadLogLevel() {
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof(value);
  const LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\tabbridge", L"LogLevel",
                                        RRF_RT_ANY, &type, &value, &size);
  if (status == ERROR_FILE_NOT_FOUND)
    return std::nullopt;
  return LogLevelSetting{status == ERROR_SUCCESS && type == REG_DWORD, value};
}

// Files in `folder` whose names match `pattern`, other than `except`.
size_t CountFiles(const std::wstring& folder, const wchar_t* pattern, const wchar_t* except) {
  WIN32_FIND_DATAW data;
  const unique_hfind search(::FindFirstFileW((folder + L"\\" + pattern).c_str(), &data));
  if (!search)
    return 0;
  size_t count = 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (!except || ::lstrcmpiW(data.cFileName, except) != 0)) {
      ++count;
    }
  } while (::FindNextFileW(search.get(), &data));
  return count;
}

std::wstring DumpFolder() {
  wchar_t temp[MAX_PATH];
  const DWORD length = ::GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp, length < MAX_PATH ? length : 0) + L"tabbridge";
}

void AddInstallFindings(std::vector<Finding>* findings) {
  const bool installed = IsInstalled();
  findings->push_back(CheckInstalledCopy(installed, GetInstalledExePath()));
  if (installed)
    findings->push_back(CheckUpdate(NeedsUpdate()));
  if (const std::optional<std::wstring> folder = GetInstallFolder())
    findings->push_back(
        DescribeStaleCopies(CountFiles(*folder, L"tabbridge.exe*", L"tabbridge.exe"), *folder));
}

void AddRegistrationFindings(std::vector<Finding>* findings) {
  const RegistrationKey user = ReadRegistration(HKEY_CURRENT_USER);
  const RegistrationKey machine = ReadRegistration(HKEY_LOCAL_MACHINE);
  // The manifest the browser would read, else where the installer puts it.
  std::wstring manifest = GetManifestPath().value_or(L"");
  if (user.manifest && !user.manifest->empty())
    manifest = *user.manifest;
  else if (machine.manifest && !machine.manifest->empty())
    manifest = *machine.manifest;
  findings->push_back(CheckManifest(manifest, ReadSmallFile(manifest), &FileExists));
  for (Finding& finding : CheckRegistrations(user, machine, &FileExists))
    findings->push_back(std::move(finding));
}

}  // namespace

std::vector<Finding> Diagnose() {
  std::vector<Finding> findings;
  findings.push_back(DescribeVersion(kHostVersion, GetSystemVersion()));
  IEFeatureControl& engine = IEFeatureControl::GetInstance();
  int stored = 0;
  const bool has_stored = engine.GetStoredEmulation(&stored);
  findings.push_back(DescribeEngine(GetIEMajorVersion(), engine.GetDefaultEmulation(),
                                    has_stored ? std::optional<int>(stored) : std::nullopt));
  AddInstallFindings(&findings);
  AddRegistrationFindings(&findings);
  std::string policies;
  findings.push_back(DescribePolicies(PolicySet().ReadAndSerialise(&policies)
                                          ? std::optional<std::string>(policies)
                                          : std::nullopt));
  findings.push_back(CheckLogSettings(
      ReadLogLevel(), GetInstallFolder().value_or(L"") + L"\\log\\tabbridge.exe.log"));
  const std::wstring dumps = DumpFolder();
  findings.push_back(DescribeCrashDumps(CountFiles(dumps, L"tabbridge_*.dump", nullptr), dumps));
  return findings;
}
