#ifndef ENGINE_CONFIG_FEATURE_TABLE_H_
#define ENGINE_CONFIG_FEATURE_TABLE_H_

#include <cstdint>
#include <vector>

// One feature-control value: the key named `feature` holds `value` for this
// program and for iexplore.exe.
struct FeatureValue {
  const wchar_t* feature;
  uint32_t value;
};

// The feature values an engine of this major version is given, in the order
// they are written (FEATURE_TABBED_BROWSING comes twice). The emulation mode
// is FEATURE_BROWSER_EMULATION's value. Nothing for version 7 and below.
std::vector<FeatureValue> FeatureValuesForEngine(int engine_version, uint32_t emulation);

#endif  // ENGINE_CONFIG_FEATURE_TABLE_H_
