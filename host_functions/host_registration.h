#ifndef HOST_FUNCTIONS_HOST_REGISTRATION_H_
#define HOST_FUNCTIONS_HOST_REGISTRATION_H_

#include <optional>
#include <string>

// The values under the current user's native-messaging host key.

// Creates the key when it is missing; false when it cannot be opened.
[[nodiscard]] bool CreateHostKey();

// A REG_SZ or REG_EXPAND_SZ value (not expanded); `name` empty reads the
// default value. None when the key or value is missing or of another type.
std::optional<std::wstring> ReadHostValue(const wchar_t* name);

// The default value names the manifest; "extension_id" and
// "last_update_time" come along.
[[nodiscard]] bool RegisterManifest(const std::wstring& manifest_path);
[[nodiscard]] bool SetRegisteredVersion(const std::wstring& version);

#endif  // HOST_FUNCTIONS_HOST_REGISTRATION_H_
