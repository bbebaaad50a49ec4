#include "engine_config/feature_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Names(int engine_version) {
  std::vector<std::wstring> names;
  for (const FeatureValue& value : FeatureValuesForEngine(engine_version, 8888))
    names.push_back(value.feature);
  return names;
}

}  // namespace

// Newer engines get what older ones get, in the same order; the last three
// rows are for engine 11 only.
TEST(FeatureTableTest, RowsByEngineVersion) {
  const int kCounts[][2] = {{7, 0}, {8, 29}, {9, 36}, {10, 36}, {11, 39}, {INT_MAX, 36}};
  for (const auto& [version, count] : kCounts)
    EXPECT_EQ(Names(version).size(), size_t(count)) << version;
  const std::vector<std::wstring> eight = Names(8), nine = Names(9), eleven = Names(11);
  EXPECT_TRUE(std::equal(eight.begin(), eight.end(), nine.begin()));
  EXPECT_TRUE(std::equal(nine.begin(), nine.end(), eleven.begin()));
  EXPECT_EQ(Names(INT_MAX), nine);
  EXPECT_EQ(eleven.back(), L"FEATURE_IGNORE_ZONE_WHEN_CONSTRUCTING_SECURITYID");
}

TEST(FeatureTableTest, EmulationRowFirstAndTheRestOnOrOff) {
  // The protections these switch off would break pages the program shows.
  const std::set<std::wstring> kOff = {
      L"FEATURE_SHOW_APP_PROTOCOL_WARN_DIALOG",
      L"FEATURE_INTERNET_SHELL_FOLDERS",
      L"FEATURE_BLOCK_LMZ_SCRIPT",
      L"FEATURE_PROTOCOL_LOCKDOWN",
      L"FEATURE_WEBOC_POPUPMANAGEMENT",
      L"FEATURE_ENABLE_SCRIPT_PASTE_URLACTION_IF_PROMPT",
      L"FEATURE_USE_LEGACY_JSCRIPT",
      L"FEATURE_LAYOUT9_QUIRKS_EMULATION",
      L"Feature_Enable_Compat_Logging",
      L"FEATURE_USE_WEBOC_OMNAVIGATOR_IMPLEMENTATION",
  };
  const std::vector<FeatureValue> values = FeatureValuesForEngine(11, 0xFFFFFFFF);
  EXPECT_STREQ(values.front().feature, L"FEATURE_BROWSER_EMULATION");
  EXPECT_EQ(values.front().value, 0xFFFFFFFFu);
  for (size_t i = 1; i < values.size(); ++i)
    EXPECT_EQ(values[i].value, kOff.count(values[i].feature) ? 0u : 1u) << values[i].feature;
}
