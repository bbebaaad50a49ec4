#include "engine_config/ie_feature_control.h"

#include <windows.h>

#include <gtest/gtest.h>

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

// How many feature keys are stored, each with the same value for this
// program and for iexplore.exe.
size_t WrittenFeatureCount() {
  unique_hkey key;
  ::RegOpenKeyExW(HKEY_CURRENT_USER, kFeatureControlKey, 0, KEY_READ, key.put());
  wchar_t name[256];
  DWORD i = 0;
  for (DWORD length = 256; key && ::RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr,
                                                  nullptr, nullptr) == ERROR_SUCCESS;
       ++i, length = 256) {
    const std::wstring subkey = std::wstring(kFeatureControlKey) + L"\\" + name;
    EXPECT_EQ(StoredDword(subkey, kProgramName), StoredDword(subkey, L"iexplore.exe")) << name;
  }
  return i;
}

class IEFeatureControlTest : public testing::Test {
 protected:
  void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kFeatureControlKey); }

  ScopedRegistryKeyBackup tree_{HKEY_CURRENT_USER, kFeatureControlKey};
  IEFeatureControl control_{Engine<9>};
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
  // Engine 7 gets no feature values and leaves the stored mode alone.
  ASSERT_EQ(RunChild(CurrentTestProgram(), "ApplyWithEngine7"), 0u);
  EXPECT_EQ(WrittenFeatureCount(), 1u);
  EXPECT_EQ(StoredDword(kEmulationKey, kProgramName), 9999u);
  ASSERT_EQ(RunChild(CurrentTestProgram(), "ApplyWithEngine11"), 0u);
  EXPECT_EQ(WrittenFeatureCount(), 38u);  // FEATURE_TABBED_BROWSING comes twice
  EXPECT_EQ(StoredDword(kEmulationKey, L"iexplore.exe"), 9999u);
  // A mode that is no DWORD gives way to the engine's default, in both rows.
  const wchar_t text[] = L"8888";
  ASSERT_TRUE(Store(kProgramName, REG_SZ, text, sizeof(text)));
  ASSERT_EQ(RunChild(CurrentTestProgram(), "ApplyWithEngine11"), 0u);
  EXPECT_EQ(StoredDword(kEmulationKey, kProgramName), 11000u);
  EXPECT_EQ(StoredDword(kEmulationKey, L"iexplore.exe"), 11000u);
}
