#include "engine_config/ie_feature_control.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/child_process.h"
#include "tests/scoped_read_only_key.h"
#include "tests/scoped_registry_backup.h"

namespace {

constexpr wchar_t kFeatureControlKey[] = L"Software\\tabbridge\\Main\\FeatureControl";
constexpr wchar_t kEmulationKey[] =
    L"Software\\tabbridge\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";
constexpr wchar_t kProgramName[] = L"tb_win_tests.exe";

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
TB_CHILD_ROUTINE(ApplyWithEngine11) {
  IEFeatureControl([] { return 11; }).Apply();
  return 0;
}

class IEFeatureControlTest : public testing::Test {
 protected:
  void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kFeatureControlKey); }

  ScopedRegistryKeyBackup tree_{HKEY_CURRENT_USER, kFeatureControlKey};
  IEFeatureControl control_{[] { return 9; }};
};

}  // namespace

TEST_F(IEFeatureControlTest, OnlyADwordUnderThisProgramsNameIsAStoredMode) {
  int value = 0;
  EXPECT_FALSE(control_.GetStoredEmulation(&value));
  EXPECT_EQ(value, 9000);
  const DWORD mode = 10001;
  ASSERT_TRUE(Store(L"iexplore.exe", REG_DWORD, &mode, sizeof(mode)));
  // Same size as a DWORD, yet not one.
  ASSERT_TRUE(Store(kProgramName, REG_BINARY, &mode, sizeof(mode)));
  EXPECT_FALSE(control_.GetStoredEmulation(&value));
  EXPECT_EQ(value, 9000);
  ASSERT_TRUE(control_.SetEmulation(8888));
  EXPECT_EQ(StoredDword(kEmulationKey, L"iexplore.exe"), 8888u);
  EXPECT_TRUE(control_.GetStoredEmulation(&value));
  EXPECT_EQ(value, 8888);
}

TEST_F(IEFeatureControlTest, ApplyWritesTheEngineVersionsFeaturesWithTheStoredMode) {
  ASSERT_TRUE(control_.SetEmulation(9999));
  ASSERT_EQ(RunChild(CurrentTestProgram(), "ApplyWithEngine11"), 0u);
  // Each feature of the engine's version is stored for this program and for
  // iexplore.exe.
  const std::wstring gpu = std::wstring(kFeatureControlKey) + L"\\FEATURE_GPU_RENDERING";
  EXPECT_EQ(StoredDword(gpu, kProgramName), 1u);
  EXPECT_EQ(StoredDword(gpu, L"iexplore.exe"), 1u);
  EXPECT_EQ(StoredDword(kEmulationKey, L"iexplore.exe"), 9999u);
  // A mode that is no DWORD gives way to the engine's default, in both rows.
  const wchar_t text[] = L"8888";
  ASSERT_TRUE(Store(kProgramName, REG_SZ, text, sizeof(text)));
  ASSERT_EQ(RunChild(CurrentTestProgram(), "ApplyWithEngine11"), 0u);
  EXPECT_EQ(StoredDword(kEmulationKey, kProgramName), 11000u);
  EXPECT_EQ(StoredDword(kEmulationKey, L"iexplore.exe"), 11000u);
}

TEST_F(IEFeatureControlTest, KeysThatCannotBeWrittenAreSkippedAndTheRestIsWritten) {
  ASSERT_TRUE(control_.SetEmulation(9999));
  const std::wstring gpu = std::wstring(kFeatureControlKey) + L"\\FEATURE_GPU_RENDERING";
  {
    const ScopedReadOnlyKey emulation(HKEY_CURRENT_USER, kEmulationKey);
    const ScopedReadOnlyKey gpu_key(HKEY_CURRENT_USER, gpu);
    ASSERT_TRUE(emulation.ok() && gpu_key.ok());
    EXPECT_FALSE(control_.SetEmulation(8888));
    ASSERT_EQ(RunChild(CurrentTestProgram(), "ApplyWithEngine11"), 0u);
  }
  EXPECT_EQ(StoredDword(kEmulationKey, kProgramName), 9999u);
  EXPECT_EQ(StoredDword(gpu, kProgramName), std::nullopt);
  // Features before and after the one that failed.
  const std::wstring features = std::wstring(kFeatureControlKey) + L"\\";
  EXPECT_EQ(StoredDword(features + L"FEATURE_XSSFILTER", kProgramName), 1u);
  EXPECT_EQ(StoredDword(features + L"FEATURE_WEBOC_ENABLE_HTTP2", kProgramName), 1u);
}
