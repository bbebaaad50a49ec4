#ifndef HOST_FUNCTIONS_FILE_OPS_H_
#define HOST_FUNCTIONS_FILE_OPS_H_

#include <optional>
#include <string>
#include <string_view>

// File helpers of the installer. The copy, move and delete helpers refuse a
// path of MAX_PATH (260) characters or more.

bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);

// The path of this process's executable; empty when it is too long.
std::wstring GetRunningExePath();

// `path` followed by the system tick count in decimal: a name beside it that
// the clean-up at start-up removes.
std::wstring SideName(const std::wstring& path);

// A folder is removed, a file deleted; a file that will not go is handed to
// the shell's delete operation, whose "not found" also counts as gone.
[[nodiscard]] bool DeletePath(const std::wstring& path);

// Puts a copy of `source` at `destination`. A destination that cannot be
// deleted (a running executable) is moved aside to its side name first, and
// moved back when the copy fails.
[[nodiscard]] bool ReplaceWithCopy(const std::wstring& source, const std::wstring& destination);

// The whole file; none when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::wstring& path);

// Creates or truncates `path`, unshared, and stores every byte of `bytes`.
[[nodiscard]] bool WriteWholeFile(const std::wstring& path, std::string_view bytes);

#endif  // HOST_FUNCTIONS_FILE_OPS_H_
