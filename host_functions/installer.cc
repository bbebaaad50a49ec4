#include "host_functions/installer.h"

#include <windows.h>

#include <shlobj.h>

#include <optional>
#include <string>

#include "host_functions/file_digest.h"
#include "host_functions/file_ops.h"
#include "host_functions/host_registration.h"
#include "host_functions/install_state.h"
#include "host_functions/manifest.h"
#include "host_functions/update_file.h"
#include "host_functions/version_compare.h"
#include "utils/host_version.h"
#include "utils/log.h"
#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

bool EnsureFolder(const std::wstring& folder) {
  if (!FolderExists(folder))
    (void)::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  // Its "already exists" may also mean a file of that name.
  return FolderExists(folder);
}

// The file to install and the version to register for it.
struct UpdateSource {
  std::wstring path;
  std::wstring version;
};

std::optional<UpdateSource> ChooseSource(const UpdatePackage* package,
                                         const std::wstring& installed_exe) {
  if (!package)
    return UpdateSource{GetRunningExePath(), Utf8ToWide(kHostVersion)};
  const std::wstring version = Utf8ToWide(package->version);
  // Older versions are taken too: the extension may roll an update back.
  if (CompareVersions(Utf8ToWide(kHostVersion), version) == 0)
    return std::nullopt;
  const std::optional<std::wstring> file = WriteUpdateFile(package->content, installed_exe);
  if (!file)
    return std::nullopt;
  const std::optional<std::string> digest = Md5FileText(*file);
  if (!digest || !EqualsAsciiIgnoreCase(*digest, package->md5)) {
    LOG(DEBUG) << L"Update MD5 mismatch " << *file;
    return std::nullopt;
  }
  return UpdateSource{*file, version};
}

}  // namespace

InstallError InstallOrUpdate() {
  if (!IsInstalled())
    return Install();
  if (!NeedsUpdate())
    return InstallError::kNone;
  return Update(nullptr);
}

InstallError Install() {
  const std::optional<std::wstring> folder = GetInstallFolder();
  if (!folder || !EnsureFolder(*folder))
    return InstallError::kInstallFolder;
  const std::optional<std::wstring> exe = GetInstalledExePath();
  if (!exe)
    return InstallError::kInstallPath;
  if (!ReplaceWithCopy(GetRunningExePath(), *exe))
    return InstallError::kCopyExecutable;
  const std::wstring manifest_path = *GetManifestPath();
  const std::optional<std::string> manifest = BuildManifest(WideToUtf8(*exe));
  if (!manifest || !WriteWholeFile(manifest_path, *manifest) || !FileExists(manifest_path))
    return InstallError::kManifest;
  if (!RegisterManifest(manifest_path))
    return InstallError::kHostKey;
  if (!SetRegisteredVersion(Utf8ToWide(kHostVersion)))
    return InstallError::kInstallVersion;
  LOG(DEBUG) << L"Install SUCCESS " << *exe;
  return InstallError::kNone;
}

InstallError Update(const UpdatePackage* package) {
  const std::optional<std::wstring> exe = GetInstalledExePath();
  if (!exe)
    return InstallError::kUpdatePath;
  const std::optional<UpdateSource> source = ChooseSource(package, *exe);
  if (!source || !FileExists(source->path))
    return InstallError::kUpdateSource;
  if (!ReplaceWithCopy(source->path, *exe))
    return InstallError::kReplaceExecutable;
  if (!SetRegisteredVersion(source->version))
    return InstallError::kUpdateVersion;
  LOG(DEBUG) << L"Update SUCCESS " << source->version;
  return InstallError::kNone;
}

InstallError InstallFromExtension(const UpdatePackage& package) {
  if (!IsInstalled()) {
    const InstallError error = Install();
    LOG(DEBUG) << L"Install before update " << static_cast<uint32_t>(error);
  }
  return Update(&package);
}

bool CleanupStaleCopies() {
  const std::optional<std::wstring> folder = GetInstallFolder();
  if (!folder || !FolderExists(*folder))
    return false;
  WIN32_FIND_DATAW found;
  unique_hfind search(::FindFirstFileW((*folder + L"\\tabbridge.exe*").c_str(), &found));
  if (!search)
    return false;
  do {
    const std::wstring name = found.cFileName;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"tabbridge.exe") {
      const bool deleted = DeletePath(*folder + L"\\" + name);
      LOG(DEBUG) << L"CleanupStaleCopies " << name << L" " << deleted;
    }
  } while (::FindNextFileW(search.get(), &found));
  return true;
}
