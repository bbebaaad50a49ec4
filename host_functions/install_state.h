#ifndef HOST_FUNCTIONS_INSTALL_STATE_H_
#define HOST_FUNCTIONS_INSTALL_STATE_H_

#include <optional>
#include <string>

// Where the host is installed for the current user and how the browser finds
// it: a key of the current user names the manifest, the manifest names the
// executable and the extension that may start it.

inline constexpr wchar_t kHostRegistryKey[] =
    L"Software\\Google\\Chrome\\NativeMessagingHosts\\com.tabbridge.helper";
inline constexpr char kNativeHostName[] = "com.tabbridge.helper";
inline constexpr char kExtensionId[] = "kccfkjohlmdimceejcjdedpnnbkcnpbb";
inline constexpr char kExtensionOrigin[] = "chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb/";

// "<local application data>\tabbridge", its "tabbridge.exe" and
// "com.tabbridge.helper.json"; none when the local application data folder
// is unknown.
std::optional<std::wstring> GetInstallFolder();
std::optional<std::wstring> GetInstalledExePath();
std::optional<std::wstring> GetManifestPath();

// The host key exists (it is created when missing), its default value names
// an existing manifest, and the manifest parses and its "path" names an
// existing file.
bool IsInstalled();

// The running executable should replace the installed one: the registered
// "version" is missing or older, or equal but the files' MD5 digests differ.
bool NeedsUpdate();

#endif  // HOST_FUNCTIONS_INSTALL_STATE_H_
