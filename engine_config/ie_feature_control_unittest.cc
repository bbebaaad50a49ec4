#include "engine_config/ie_feature_control.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "tests/scoped_registry_backup.h"
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
