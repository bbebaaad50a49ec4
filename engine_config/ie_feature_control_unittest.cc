#include "engine_config/ie_feature_control.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "tests/child_process.h"
#include "tests/scoped_registry_backup.h"
#include "utils/scoped_handle.h"

namespace {

constexpr wchar_t kFeatureControlKey[] = L"Software\\tabbridge\\Main\\FeatureControl";
constexpr wchar_t kEmulationKey[] =
    L"Software\\tabbridge\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";
constexpr wchar_t kProgramName[] = L"tb_win_tests.exe";

template <int kVersion>
int Engine() {
  return kVersion;
}

std::optional<DWORD> StoredDword(const std::wstring& key, const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

bool Store(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  return ::RegSetKeyValueW(HKEY_CURRENT_USER, kEmulationKey, name, type, data, size) ==
         ERROR_SUCCESS;
}

// Apply hooks the registry for good, so it runs in a child process.
template <int kVersion>
int ApplyWithEngine() {
  IEFeatureControl(Engine<kVersion>).Apply();
  return 0;
}

[[maybe_unused]] const bool kApplyRoutinesRegistered =
    RegisterChildRoutine("ApplyWithEngine7", &ApplyWithEngine<7>) &&
    RegisterChildRoutine("ApplyWithEngine11", &ApplyWithEngine<11>);

// Feature keys as stored, with the value for this program; each must hold
// the same for iexplore.exe.
std::map<std::wstring, std::optional<DWORD>> WrittenFeatures() {
  std::map<std::wstring, std::optional<DWORD>> features;
  unique_hkey key;
  ::RegOpenKeyExW(HKEY_CURRENT_USER, kFeatureControlKey, 0, KEY_READ, key.put());
  wchar_t name[256];
  for (DWORD i = 0, length = 256;
       key && ::RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) ==
                  ERROR_SUCCESS;
       ++i, length = 256) {
    const std::wstring subkey = std::wstring(kFeatureControlKey) + L"\\" + name;
    features[name] = StoredDword(subkey, kProgramName);
    EXPECT_EQ(features[name], StoredDword(subkey, L"iexplore.exe")) << subkey;
  }
  return features;
}

class IEFeatureControlTest : public testing::Test {
 protected:
  void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kFeatureControlKey); }

  std::optional<DWORD> Apply(const char* routine) {
    return RunChild(CurrentTestProgram(), routine);
  }

  ScopedRegistryKeyBackup tree_{HKEY_CURRENT_USER, kFeatureControlKey};
  IEFeatureControl control_{Engine<9>};
};

}  // namespace

TEST_F(IEFeatureControlTest, SetEmulationWritesBothRows) {
  int value = 0;
  EXPECT_FALSE(control_.GetStoredEmulation(&value));
  EXPECT_EQ(value, 9000);
  ASSERT_TRUE(control_.SetEmulation(8888));
  EXPECT_EQ(StoredDword(kEmulationKey, L"iexplore.exe"), 8888u);
  EXPECT_TRUE(control_.GetStoredEmulation(&value));
  EXPECT_EQ(value, 8888);
}

TEST_F(IEFeatureControlTest, OnlyADwordUnderThisProgramsNameCounts) {
  const DWORD mode = 10001;
  int value = 0;
  ASSERT_TRUE(Store(L"iexplore.exe", REG_DWORD, &mode, sizeof(mode)));
  EXPECT_FALSE(control_.GetStoredEmulation(&value));
  // Same size as a DWORD, yet not one.
  ASSERT_TRUE(Store(kProgramName, REG_BINARY, &mode, sizeof(mode)));
  EXPECT_FALSE(control_.GetStoredEmulation(&value));
  EXPECT_EQ(value, 9000);
  ASSERT_TRUE(Store(kProgramName, REG_DWORD, &mode, sizeof(mode)));
  EXPECT_TRUE(control_.GetStoredEmulation(&value));
  EXPECT_EQ(value, 10001);
}

TEST_F(IEFeatureControlTest, ApplyWritesTheFeaturesOfTheEngineVersion) {
  ASSERT_EQ(Apply("ApplyWithEngine11"), 0u);
  const std::map<std::wstring, std::optional<DWORD>> features = WrittenFeatures();
  EXPECT_EQ(features.size(), 38u);  // FEATURE_TABBED_BROWSING comes twice
  EXPECT_EQ(features.at(L"FEATURE_BROWSER_EMULATION"), 11000u);
  // Stored in the case the engine looks for.
  EXPECT_EQ(features.at(L"Feature_Enable_Compat_Logging"), 0u);
  EXPECT_EQ(features.count(L"FEATURE_ENABLE_COMPAT_LOGGING"), 0u);
}

TEST_F(IEFeatureControlTest, ApplyUsesAStoredModeOnlyWhenItIsADword) {
  ASSERT_TRUE(control_.SetEmulation(9999));
  ASSERT_EQ(Apply("ApplyWithEngine7"), 0u);
  // Engine 7 gets no feature values and leaves the stored mode alone.
  EXPECT_EQ(WrittenFeatures().size(), 1u);
  EXPECT_EQ(StoredDword(kEmulationKey, kProgramName), 9999u);
  ASSERT_EQ(Apply("ApplyWithEngine11"), 0u);
  EXPECT_EQ(StoredDword(kEmulationKey, L"iexplore.exe"), 9999u);

  const wchar_t text[] = L"8888";
  ASSERT_TRUE(Store(kProgramName, REG_SZ, text, sizeof(text)));
  ASSERT_EQ(Apply("ApplyWithEngine11"), 0u);
  // The engine's default, written over both values.
  EXPECT_EQ(StoredDword(kEmulationKey, kProgramName), 11000u);
  EXPECT_EQ(StoredDword(kEmulationKey, L"iexplore.exe"), 11000u);
}
