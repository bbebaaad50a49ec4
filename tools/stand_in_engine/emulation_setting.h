#ifndef TOOLS_STAND_IN_ENGINE_EMULATION_SETTING_H_
#define TOOLS_STAND_IN_ENGINE_EMULATION_SETTING_H_

#include <cstdint>
#include <optional>

// FEATURE_BROWSER_EMULATION as the engine reads it. In the machine hive,
// then the user hive, it opens the key
//   SOFTWARE\Microsoft\Internet Explorer\Main\FeatureControl
// then "FEATURE_BROWSER_EMULATION" below that handle, and queries the value
// named after the host executable's file name. The first hive with a known
// emulation value as a REG_DWORD wins. The reads go through the process's
// own RegOpenKeyExW and RegQueryValueExW, where the host may redirect them.
struct EmulationSetting {
  std::optional<uint32_t> value;
  const wchar_t* hive = nullptr;  // "HKLM" or "HKCU" when a value was found
};

// Read at the first call and kept for the life of the process, as the engine
// does; the read is journalled.
const EmulationSetting& ProcessEmulationSetting();

#endif  // TOOLS_STAND_IN_ENGINE_EMULATION_SETTING_H_
