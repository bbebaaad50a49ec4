#include "engine_config/ie_feature_control.h"

#include <windows.h>

#include <urlmon.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "tests/child_process.h"
#include "tests/scoped_registry_backup.h"
#include "tests/scoped_registry_tree_backup.h"
#include "utils/scoped_handle.h"

namespace {

constexpr wchar_t kEmulationKey[] =
    L"Software\\tabbridge\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";
constexpr wchar_t kProgramName[] = L"tb_win_tests.exe";

int EngineNine() {
  return 9;
}

int EngineEleven() {
  return 11;
}

std::optional<DWORD> StoredDword(const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (::RegGetValueW(HKEY_CURRENT_USER, kEmulationKey, name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

bool KeyExists() {
  unique_hkey key;
  return ::RegOpenKeyExW(HKEY_CURRENT_USER, kEmulationKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

class IEFeatureControlTest : public testing::Test {
 protected:
  void SetUp() override {
    const LSTATUS status = ::RegDeleteTreeW(HKEY_CURRENT_USER, kEmulationKey);
    ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << status;
  }

  bool Store(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, kEmulationKey, name, type, data, size) ==
           ERROR_SUCCESS;
  }

  ScopedRegistryKeyBackup backup_{HKEY_CURRENT_USER, kEmulationKey};
  IEFeatureControl control_{EngineNine};
};

}  // namespace

TEST_F(IEFeatureControlTest, SetEmulationWritesBothRows) {
  ASSERT_TRUE(control_.SetEmulation(8888));
  EXPECT_EQ(StoredDword(L"iexplore.exe"), 8888u);
  EXPECT_EQ(StoredDword(kProgramName), 8888u);

  int value = 0;
  EXPECT_TRUE(control_.GetStoredEmulation(&value));
  EXPECT_EQ(value, 8888);
}

TEST_F(IEFeatureControlTest, MissingKeyGivesTheDefaultAndStaysMissing) {
  int value = 0;
  EXPECT_FALSE(control_.GetStoredEmulation(&value));
  EXPECT_EQ(value, 9000);
  EXPECT_FALSE(KeyExists());
}

TEST_F(IEFeatureControlTest, OnlyADwordUnderThisProgramsNameCounts) {
  const DWORD mode = 10001;
  ASSERT_TRUE(Store(L"iexplore.exe", REG_DWORD, &mode, sizeof(mode)));
  int value = 0;
  EXPECT_FALSE(control_.GetStoredEmulation(&value));
  EXPECT_EQ(value, 9000);

  const wchar_t text[] = L"8888";
  ASSERT_TRUE(Store(kProgramName, REG_SZ, text, sizeof(text)));
  EXPECT_FALSE(control_.GetStoredEmulation(&value));
  EXPECT_EQ(value, 9000);

  // Same size as a DWORD, yet not one.
  ASSERT_TRUE(Store(kProgramName, REG_BINARY, &mode, sizeof(mode)));
  EXPECT_FALSE(control_.GetStoredEmulation(&value));
  EXPECT_EQ(value, 9000);

  ASSERT_TRUE(Store(kProgramName, REG_DWORD, &mode, sizeof(mode)));
  EXPECT_TRUE(control_.GetStoredEmulation(&value));
  EXPECT_EQ(value, 10001);
}

TEST_F(IEFeatureControlTest, DefaultFollowsTheEngine) {
  EXPECT_EQ(control_.GetDefaultEmulation(), 9000);
  EXPECT_EQ(IEFeatureControl(EngineEleven).GetDefaultEmulation(), 11000);
  // Wine's engine reports version 6.
  EXPECT_EQ(IEFeatureControl::GetInstance().GetDefaultEmulation(), 7000);
}

namespace {

constexpr wchar_t kFeatureControlKey[] = L"Software\\tabbridge\\Main\\FeatureControl";

#define CHILD_CHECK(condition) \
  if (!(condition))            \
  return __LINE__

template <int kVersion>
int Engine() {
  return kVersion;
}

// Applies the configuration for engine `kVersion`, then asks the engine's
// own feature switches (urlmon) what they have become. Apply hooks the
// registry for good, so it runs in a child process; the result is 0, or the
// line of the first check that failed.
template <int kVersion>
int ApplyAndAskTheEngine() {
  IEFeatureControl control(Engine<kVersion>);
  control.Apply();

  const HMODULE urlmon = ::GetModuleHandleW(L"urlmon.dll");
  CHILD_CHECK(urlmon);
  const auto is_enabled = reinterpret_cast<decltype(&::CoInternetIsFeatureEnabled)>(
      reinterpret_cast<void (*)()>(::GetProcAddress(urlmon, "CoInternetIsFeatureEnabled")));
  CHILD_CHECK(is_enabled);
  const auto enabled = [&](INTERNETFEATURELIST feature) {
    return is_enabled(feature, GET_FEATURE_FROM_PROCESS) == S_OK;
  };
  // Switched on for the process, whatever the version.
  CHILD_CHECK(enabled(FEATURE_SECURITYBAND));
  CHILD_CHECK(enabled(FEATURE_RESTRICT_ACTIVEXINSTALL));
  CHILD_CHECK(enabled(FEATURE_MIME_HANDLING));
  // Read by urlmon from the engine's feature-control keys, which the
  // redirection turns into the program's: on only where Apply wrote a 1.
  CHILD_CHECK(enabled(FEATURE_ZONE_ELEVATION) == (kVersion >= 8));
  CHILD_CHECK(enabled(FEATURE_TABBED_BROWSING) == (kVersion >= 8));
  CHILD_CHECK(!enabled(FEATURE_WEBOC_POPUPMANAGEMENT));
  return 0;
}

[[maybe_unused]] const bool kApplyRoutinesRegistered =
    RegisterChildRoutine("ApplyWithEngine7", &ApplyAndAskTheEngine<7>) &&
    RegisterChildRoutine("ApplyWithEngine8", &ApplyAndAskTheEngine<8>) &&
    RegisterChildRoutine("ApplyWithEngine9", &ApplyAndAskTheEngine<9>) &&
    RegisterChildRoutine("ApplyWithEngine10", &ApplyAndAskTheEngine<10>) &&
    RegisterChildRoutine("ApplyWithEngine11", &ApplyAndAskTheEngine<11>);

// Subkey names of the feature-control key as stored, with their two values;
// a value that is missing or not a DWORD reads as nothing.
struct WrittenFeature {
  std::optional<DWORD> program;
  std::optional<DWORD> iexplore;
};

std::map<std::wstring, WrittenFeature> WrittenFeatures() {
  std::map<std::wstring, WrittenFeature> features;
  unique_hkey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kFeatureControlKey, 0, KEY_READ, key.put()) !=
      ERROR_SUCCESS) {
    return features;
  }
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    if (::RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      return features;
    }
    const auto read = [&](const wchar_t* value_name) -> std::optional<DWORD> {
      DWORD value = 0;
      DWORD size = sizeof(value);
      const std::wstring subkey = std::wstring(kFeatureControlKey) + L"\\" + name;
      if (::RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), value_name, RRF_RT_REG_DWORD, nullptr,
                         &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
      }
      return value;
    };
    features[name] = {read(kProgramName), read(L"iexplore.exe")};
  }
}

class IEFeatureControlApplyTest : public testing::Test {
 protected:
  void SetUp() override {
    const LSTATUS status = ::RegDeleteTreeW(HKEY_CURRENT_USER, kFeatureControlKey);
    ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << status;
  }

  std::optional<DWORD> Apply(const char* routine) {
    return RunChild(CurrentTestProgram(), routine);
  }

  // Both values of every feature written, each once, and the same.
  void ExpectBothValuesEverywhere(const std::map<std::wstring, WrittenFeature>& features) {
    for (const auto& [name, values] : features) {
      EXPECT_TRUE(values.program.has_value()) << name;
      EXPECT_EQ(values.program, values.iexplore) << name;
    }
  }

  ScopedRegistryTreeBackup tree_{HKEY_CURRENT_USER, kFeatureControlKey};
};

}  // namespace

TEST_F(IEFeatureControlApplyTest, EngineElevenGetsEveryFeature) {
  ASSERT_EQ(Apply("ApplyWithEngine11"), 0u);
  const std::map<std::wstring, WrittenFeature> features = WrittenFeatures();
  // 39 rows, FEATURE_TABBED_BROWSING among them twice.
  EXPECT_EQ(features.size(), 38u);
  ExpectBothValuesEverywhere(features);
  EXPECT_EQ(features.at(L"FEATURE_BROWSER_EMULATION").program, 11000u);
  EXPECT_EQ(features.at(L"FEATURE_TABBED_BROWSING").program, 1u);
  EXPECT_EQ(features.at(L"FEATURE_PROTOCOL_LOCKDOWN").program, 0u);
  EXPECT_EQ(features.at(L"FEATURE_GPU_RENDERING").program, 1u);
  EXPECT_EQ(features.at(L"FEATURE_USE_LEGACY_JSCRIPT").program, 0u);
  EXPECT_EQ(features.at(L"FEATURE_WEBOC_ENABLE_HTTP2").program, 1u);
  EXPECT_EQ(features.at(L"FEATURE_ENABLE_TOKEN_BINDING").program, 1u);
  EXPECT_EQ(features.at(L"FEATURE_IGNORE_ZONE_WHEN_CONSTRUCTING_SECURITYID").program, 1u);
  // Stored in the case the engine looks for.
  ASSERT_EQ(features.count(L"Feature_Enable_Compat_Logging"), 1u);
  EXPECT_EQ(features.at(L"Feature_Enable_Compat_Logging").program, 0u);
  EXPECT_EQ(features.count(L"FEATURE_ENABLE_COMPAT_LOGGING"), 0u);
}

TEST_F(IEFeatureControlApplyTest, OlderEnginesGetFewerFeatures) {
  const struct {
    const char* routine;
    size_t features;
    DWORD emulation;
  } kCases[] = {
      {"ApplyWithEngine10", 35, 10000},
      {"ApplyWithEngine9", 35, 9000},
      {"ApplyWithEngine8", 28, 8000},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.routine);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kFeatureControlKey);
    ASSERT_TRUE(WrittenFeatures().empty());
    ASSERT_EQ(Apply(c.routine), 0u);
    const std::map<std::wstring, WrittenFeature> features = WrittenFeatures();
    EXPECT_EQ(features.size(), c.features);
    ExpectBothValuesEverywhere(features);
    EXPECT_EQ(features.at(L"FEATURE_BROWSER_EMULATION").program, c.emulation);
    EXPECT_EQ(features.at(L"FEATURE_WEBOC_DOCUMENT_ZOOM").program, 1u);
    EXPECT_EQ(features.count(L"FEATURE_WEBOC_ENABLE_HTTP2"), 0u);
    EXPECT_EQ(features.count(L"FEATURE_IGNORE_ZONE_WHEN_CONSTRUCTING_SECURITYID"), 0u);
    EXPECT_EQ(features.count(L"FEATURE_GPU_RENDERING"), c.features == 35 ? 1u : 0u);
  }
}

TEST_F(IEFeatureControlApplyTest, EngineSevenGetsNoFeatureValues) {
  ASSERT_EQ(Apply("ApplyWithEngine7"), 0u);
  // The parent key may be created, but nothing goes below it.
  EXPECT_TRUE(WrittenFeatures().empty());
}

TEST_F(IEFeatureControlApplyTest, TheStoredModeIsWhatIsApplied) {
  IEFeatureControl control(EngineNine);
  ASSERT_TRUE(control.SetEmulation(8888));
  ASSERT_EQ(Apply("ApplyWithEngine11"), 0u);
  const std::map<std::wstring, WrittenFeature> features = WrittenFeatures();
  EXPECT_EQ(features.at(L"FEATURE_BROWSER_EMULATION").program, 8888u);
  EXPECT_EQ(features.at(L"FEATURE_BROWSER_EMULATION").iexplore, 8888u);
}

TEST_F(IEFeatureControlApplyTest, AStoredModeThatIsNoDwordIsIgnoredAndReplaced) {
  const wchar_t text[] = L"8888";
  ASSERT_EQ(
      ::RegSetKeyValueW(HKEY_CURRENT_USER, kEmulationKey, kProgramName, REG_SZ, text, sizeof(text)),
      ERROR_SUCCESS);
  const DWORD iexplore_only = 10001;
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kEmulationKey, L"iexplore.exe", REG_DWORD,
                              &iexplore_only, sizeof(iexplore_only)),
            ERROR_SUCCESS);
  ASSERT_EQ(Apply("ApplyWithEngine11"), 0u);
  // The engine's default, written over both values.
  EXPECT_EQ(StoredDword(kProgramName), 11000u);
  EXPECT_EQ(StoredDword(L"iexplore.exe"), 11000u);
}

TEST_F(IEFeatureControlApplyTest, EngineSevenLeavesTheStoredModeAlone) {
  IEFeatureControl control(EngineNine);
  ASSERT_TRUE(control.SetEmulation(9999));
  ASSERT_EQ(Apply("ApplyWithEngine7"), 0u);
  const std::map<std::wstring, WrittenFeature> features = WrittenFeatures();
  ASSERT_EQ(features.size(), 1u);
  EXPECT_EQ(features.at(L"FEATURE_BROWSER_EMULATION").program, 9999u);
}
