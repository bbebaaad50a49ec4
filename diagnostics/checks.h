#ifndef DIAGNOSTICS_CHECKS_H_
#define DIAGNOSTICS_CHECKS_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "diagnostics/finding.h"

// The report's findings, judged from what the Windows side gathered. Paths
// are wide; the report is UTF-8.

using FileExists = std::function<bool(const std::wstring& path)>;

Finding DescribeVersion(const char* version, int release_code);
Finding DescribeEngine(int major_version, int default_emulation, std::optional<int> stored);

// `exe_path` is none when the local application data folder is unknown.
Finding CheckInstalledCopy(bool installed, const std::optional<std::wstring>& exe_path);
Finding CheckUpdate(bool needs_update);
Finding DescribeStaleCopies(size_t count, const std::wstring& folder);

// `content` is none when the file cannot be read.
Finding CheckManifest(const std::wstring& path,
                      const std::optional<std::string>& content,
                      const FileExists& file_exists);

// A native-messaging host key: whether it exists and its values.
struct RegistrationKey {
  bool exists = false;
  std::optional<std::wstring> manifest;  // the default value
  std::optional<std::wstring> extension_id;
  std::optional<std::wstring> version;
};
// The current user's key, which the installer writes, the local machine's,
// and which of the two a browser reads.
std::vector<Finding> CheckRegistrations(const RegistrationKey& user,
                                        const RegistrationKey& machine,
                                        const FileExists& file_exists);

// `document` is none without the machine's policy key.
Finding DescribePolicies(const std::optional<std::string>& document);

// The "LogLevel" setting, none when absent; only a REG_DWORD is a number.
struct LogLevelSetting {
  bool is_number;
  uint32_t number;
};
Finding CheckLogSettings(const std::optional<LogLevelSetting>& level, const std::wstring& log_file);

Finding DescribeCrashDumps(size_t count, const std::wstring& folder);

#endif  // DIAGNOSTICS_CHECKS_H_
