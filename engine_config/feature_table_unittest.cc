#include "engine_config/feature_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const wchar_t* const kOnlyEleven[] = {
    L"FEATURE_WEBOC_ENABLE_HTTP2",
    L"FEATURE_ENABLE_TOKEN_BINDING",
    L"FEATURE_IGNORE_ZONE_WHEN_CONSTRUCTING_SECURITYID",
};

std::vector<std::wstring> Names(const std::vector<FeatureValue>& values) {
  std::vector<std::wstring> names;
  for (const FeatureValue& value : values)
    names.push_back(value.feature);
  return names;
}

size_t Count(const std::vector<FeatureValue>& values, const std::wstring& feature) {
  size_t count = 0;
  for (const FeatureValue& value : values)
    count += feature == value.feature;
  return count;
}

bool Contains(const std::vector<FeatureValue>& values, const std::wstring& feature) {
  return Count(values, feature) > 0;
}

}  // namespace

TEST(FeatureTableTest, RowCountsByEngineVersion) {
  const std::map<int, size_t> kExpected = {
      {INT_MIN, 0}, {-1, 0},  {0, 0},   {6, 0},   {7, 0},        {8, 29},
      {9, 36},      {10, 36}, {11, 39}, {12, 36}, {INT_MAX, 36},
  };
  for (const auto& [version, count] : kExpected)
    EXPECT_EQ(FeatureValuesForEngine(version, 7000).size(), count) << version;
}

TEST(FeatureTableTest, EngineElevenGetsEveryRow) {
  const std::vector<FeatureValue> values = FeatureValuesForEngine(11, 11000);
  ASSERT_EQ(values.size(), 39u);
  EXPECT_STREQ(values.front().feature, L"FEATURE_BROWSER_EMULATION");
  EXPECT_EQ(values.front().value, 11000u);
  EXPECT_EQ(Count(values, L"FEATURE_TABBED_BROWSING"), 2u);
  // Every other feature is written once.
  const std::vector<std::wstring> names = Names(values);
  EXPECT_EQ(std::set<std::wstring>(names.begin(), names.end()).size(), 38u);
  for (const wchar_t* feature : kOnlyEleven)
    EXPECT_EQ(Count(values, feature), 1u) << feature;
  // The last three rows are the ones only engine 11 gets.
  EXPECT_STREQ(values[36].feature, kOnlyEleven[0]);
  EXPECT_STREQ(values[38].feature, kOnlyEleven[2]);
}

TEST(FeatureTableTest, KeyNamesKeepTheirCase) {
  const std::vector<std::wstring> names = Names(FeatureValuesForEngine(11, 11000));
  for (const std::wstring& name : names) {
    if (name == L"Feature_Enable_Compat_Logging")
      continue;
    EXPECT_EQ(name.rfind(L"FEATURE_", 0), 0u) << name;
    for (wchar_t c : name)
      EXPECT_FALSE(c >= L'a' && c <= L'z') << name;
  }
  EXPECT_EQ(std::count(names.begin(), names.end(), L"Feature_Enable_Compat_Logging"), 1);
}

TEST(FeatureTableTest, ValuesTurnedOff) {
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
  for (const FeatureValue& value : FeatureValuesForEngine(11, 11000)) {
    if (std::wstring(value.feature) == L"FEATURE_BROWSER_EMULATION")
      continue;
    EXPECT_EQ(value.value, kOff.count(value.feature) ? 0u : 1u) << value.feature;
  }
}

TEST(FeatureTableTest, EmulationRowCarriesTheGivenMode) {
  for (int version : {8, 9, 10, 11, 12}) {
    const std::vector<FeatureValue> values = FeatureValuesForEngine(version, 8888);
    ASSERT_FALSE(values.empty());
    EXPECT_STREQ(values.front().feature, L"FEATURE_BROWSER_EMULATION");
    EXPECT_EQ(values.front().value, 8888u);
    EXPECT_EQ(Count(values, L"FEATURE_BROWSER_EMULATION"), 1u);
  }
  // Whatever the number, it is written as given.
  EXPECT_EQ(FeatureValuesForEngine(9, 0xFFFFFFFF).front().value, 0xFFFFFFFFu);
}

// Newer engines get everything older ones get, in the same order.
TEST(FeatureTableTest, OlderEnginesGetALeadingPart) {
  const std::vector<std::wstring> eight = Names(FeatureValuesForEngine(8, 8000));
  const std::vector<std::wstring> nine = Names(FeatureValuesForEngine(9, 8000));
  const std::vector<std::wstring> ten = Names(FeatureValuesForEngine(10, 8000));
  const std::vector<std::wstring> eleven = Names(FeatureValuesForEngine(11, 8000));
  const std::vector<std::wstring> twelve = Names(FeatureValuesForEngine(12, 8000));
  EXPECT_TRUE(std::equal(eight.begin(), eight.end(), nine.begin()));
  EXPECT_EQ(nine, ten);
  EXPECT_EQ(ten, twelve);
  EXPECT_TRUE(std::equal(ten.begin(), ten.end(), eleven.begin()));

  // Engine 8 gets neither the rows for 9 nor those for exactly 11.
  const std::vector<FeatureValue> values = FeatureValuesForEngine(8, 8000);
  EXPECT_FALSE(Contains(values, L"FEATURE_GPU_RENDERING"));
  EXPECT_FALSE(Contains(values, L"Feature_Enable_Compat_Logging"));
  EXPECT_TRUE(Contains(values, L"FEATURE_WEBOC_DOCUMENT_ZOOM"));
  EXPECT_EQ(Count(values, L"FEATURE_TABBED_BROWSING"), 2u);
  for (int version : {8, 9, 10, 12}) {
    for (const wchar_t* feature : kOnlyEleven)
      EXPECT_FALSE(Contains(FeatureValuesForEngine(version, 8000), feature)) << version;
  }
}
