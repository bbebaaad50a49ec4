#ifndef HOST_FUNCTIONS_INSTALLER_H_
#define HOST_FUNCTIONS_INSTALLER_H_

#include <cstdint>
#include <string_view>

// Installs this executable for the current user as the extension's
// native-messaging host, and replaces the installed copy by a newer one.

// The step that failed; the user sees the number.
enum class InstallError : uint32_t {
  kNone = 0,
  kInstallFolder = 1,
  kInstallPath = 2,
  kCopyExecutable = 3,
  kManifest = 4,
  kHostKey = 5,
  kInstallVersion = 6,
  kUpdatePath = 7,
  kUpdateSource = 8,
  kReplaceExecutable = 9,
  kUpdateVersion = 10,
};

// An executable sent by the extension: base64 content, its version and the
// MD5 of the decoded bytes in hexadecimal (any case), all UTF-8.
struct UpdatePackage {
  std::string_view content;
  std::string_view version;
  std::string_view md5;
};

// Installs when not installed, else updates from this executable when it is
// newer or differs; an installed copy that is not older is left alone and
// counts as success.
[[nodiscard]] InstallError InstallOrUpdate();

// Copies this executable into the install folder, writes the manifest and
// registers it. Steps already done are not undone when a later one fails.
[[nodiscard]] InstallError Install();

// Replaces the installed executable by `package`, whose version must differ
// from this one's and whose bytes must match its MD5; without a package, by
// this executable. The registered "version" follows.
[[nodiscard]] InstallError Update(const UpdatePackage* package);

// What the extension's update request does: installs when needed, then
// updates from `package`.
[[nodiscard]] InstallError InstallFromExtension(const UpdatePackage& package);

// Deletes the set-aside executables ("tabbridge.exe" and digits) directly in
// the install folder; false when the folder cannot be searched.
bool CleanupStaleCopies();

#endif  // HOST_FUNCTIONS_INSTALLER_H_
