#include "diagnostics/checks.h"

#include <algorithm>

#include "engine_config/emulation_mode.h"
#include "host_functions/install_state.h"
#include "utils/json_owner.h"
#include "utils/string_util.h"

namespace {

constexpr char kReinstall[] =
    " Run tabbridge.exe without arguments (a double click) to install it.";

Finding Ok(const char* topic, std::string text) {
  return {topic, true, std::move(text)};
}
Finding Problem(const char* topic, std::string text) {
  return {topic, false, std::move(text)};
}

std::string Utf8(const std::wstring& text) {
  return WideToUtf8(text);
}

std::string EmulationText(int emulation) {
  return std::to_string(emulation) + " (" + EmulationLongLabel(emulation) + ")";
}

bool HoldsString(const cJSON* array, const char* text) {
  const cJSON* item = nullptr;
  cJSON_ArrayForEach(item, array) {
    if (cJSON_IsString(item) && std::string_view(item->valuestring) == text)
      return true;
  }
  return false;
}

}  // namespace

Finding DescribeVersion(const char* version, int release_code) {
  return Ok("Version",
            std::string(version) + " on Windows release code " + std::to_string(release_code));
}

Finding DescribeEngine(int major_version, int default_emulation, std::optional<int> stored) {
  return Ok("Engine", "Internet Explorer " + std::to_string(major_version) +
                          ", default emulation " + EmulationText(default_emulation) +
                          ", stored emulation " +
                          (stored ? EmulationText(*stored) : "none (the default applies)"));
}

Finding CheckInstalledCopy(bool installed, const std::optional<std::wstring>& exe_path) {
  if (!exe_path)
    return Problem("Installed copy", "the local application data folder is unknown.");
  if (!installed)
    return Problem("Installed copy", "not installed (" + Utf8(*exe_path) + ")." + kReinstall);
  return Ok("Installed copy", Utf8(*exe_path));
}

Finding CheckUpdate(bool needs_update) {
  if (needs_update) {
    return Problem("Update",
                   "the installed copy differs from this tabbridge.exe or is older. Run this "
                   "tabbridge.exe without arguments to update it.");
  }
  return Ok("Update", "the installed copy is up to date");
}

Finding DescribeStaleCopies(size_t count, const std::wstring& folder) {
  if (count == 0)
    return Ok("Stale copies", "none");
  return Ok("Stale copies", std::to_string(count) + " set aside in " + Utf8(folder) +
                                "; the host removes them when the browser next starts it");
}

Finding CheckManifest(const std::wstring& path,
                      const std::optional<std::string>& content,
                      const FileExists& file_exists) {
  const std::string where = Utf8(path);
  if (!content)
    return Problem("Manifest", where + " is missing or unreadable." + kReinstall);
  const unique_json manifest(cJSON_ParseWithLength(content->data(), content->size()));
  if (!cJSON_IsObject(manifest.get()))
    return Problem("Manifest", where + " is not valid JSON." + kReinstall);
  const cJSON* exe = cJSON_GetObjectItemCaseSensitive(manifest.get(), "path");
  if (!cJSON_IsString(exe))
    return Problem("Manifest", where + " has no \"path\"." + kReinstall);
  if (!file_exists(Utf8ToWide(exe->valuestring))) {
    return Problem("Manifest", where + ": \"path\" names " + exe->valuestring +
                                   ", which does not exist." + kReinstall);
  }
  if (!HoldsString(cJSON_GetObjectItemCaseSensitive(manifest.get(), "allowed_origins"),
                   kExtensionOrigin)) {
    return Problem("Manifest", where + ": \"allowed_origins\" lacks " + kExtensionOrigin +
                                   ", so the extension may not start the host." + kReinstall);
  }
  return Ok("Manifest", where + " names " + exe->valuestring);
}

std::vector<Finding> CheckRegistrations(const RegistrationKey& user,
                                        const RegistrationKey& machine,
                                        const FileExists& file_exists) {
  const std::string key = Utf8(kHostRegistryKey);
  const std::string user_key = "HKCU\\" + key;
  const std::string machine_key = "HKLM\\" + key;
  const bool user_registers = user.manifest && !user.manifest->empty();
  const bool machine_registers = machine.manifest && !machine.manifest->empty();
  if (!user_registers && !machine_registers) {
    return {Problem("Registration", "neither " + user_key + " nor " + machine_key +
                                        " names a manifest, so the browser cannot find the host." +
                                        kReinstall)};
  }
  // A browser reads the current user's key first.
  const bool use_user = user_registers;
  const RegistrationKey& used = use_user ? user : machine;
  const std::string& used_key = use_user ? user_key : machine_key;
  std::vector<Finding> findings;
  if (!file_exists(*used.manifest)) {
    findings.push_back(Problem("Registration", used_key + " names " + Utf8(*used.manifest) +
                                                   ", which does not exist." + kReinstall));
  } else {
    findings.push_back(
        Ok("Registration", "the browser reads " + used_key + ": " + Utf8(*used.manifest)));
  }
  if (use_user && user.extension_id != Utf8ToWide(kExtensionId)) {
    findings.push_back(Problem("Registration", "the value \"extension_id\" of " + used_key +
                                                   " is missing or wrong." + kReinstall));
  }
  if (use_user && !user.version) {
    findings.push_back(Problem(
        "Registration", "the value \"version\" of " + used_key + " is missing." + kReinstall));
  }
  if (use_user && machine.exists) {
    findings.push_back(Ok("Registration", machine_key + " exists too; the browser ignores it"));
  }
  return findings;
}

Finding DescribePolicies(const std::optional<std::string>& document) {
  if (!document)
    return Ok("Policies", "none (no HKLM\\SOFTWARE\\Policies\\tabbridge)");
  std::string compact = *document;
  cJSON_Minify(compact.data());
  return Ok("Policies", compact.c_str());
}

Finding CheckLogSettings(const std::optional<LogLevelSetting>& level,
                         const std::wstring& log_file) {
  const std::string file = "; the installed host logs to " + Utf8(log_file);
  if (!level) {
    return Ok("Log",
              "threshold ERROR (default), so the log stays empty; set HKCU\\Software\\"
              "tabbridge LogLevel (REG_DWORD) to 0 for a full log" +
                  file);
  }
  if (!level->is_number) {
    return Problem("Log",
                   "HKCU\\Software\\tabbridge LogLevel is not a REG_DWORD and is ignored. "
                   "Store it as a REG_DWORD (0 logs everything) or delete it.");
  }
  // Levels above ERROR count as ERROR: every line of the host is below it.
  static constexpr const char* kNames[] = {"DEBUG", "INFO", "WARNING", "ERROR"};
  const int threshold = std::min(static_cast<int>(level->number), 3);
  return Ok("Log", "LogLevel " + std::to_string(static_cast<int>(level->number)) + ", threshold " +
                       kNames[std::max(threshold, 0)] + file);
}

Finding DescribeCrashDumps(size_t count, const std::wstring& folder) {
  return Ok("Crash dumps", std::to_string(count) + " kept in " + Utf8(folder));
}
