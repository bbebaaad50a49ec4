#ifndef HOST_FUNCTIONS_MANIFEST_H_
#define HOST_FUNCTIONS_MANIFEST_H_

#include <optional>
#include <string>
#include <string_view>

// The browser's native-messaging manifest for the executable at `exe_path`
// (UTF-8): "name", "description", "path", "type" and "allowed_origins", one
// member per line. None when it cannot be printed.
std::optional<std::string> BuildManifest(std::string_view exe_path);

// The string "path" of a manifest's text; none when the text is not a JSON
// object or has no such string.
std::optional<std::string> ManifestExePath(std::string_view text);

#endif  // HOST_FUNCTIONS_MANIFEST_H_
