#include "engine_config/registry_redirection.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/child_process.h"
#include "tests/outside_caller/outside_caller.h"
#include "tests/scoped_registry_backup.h"
#include "utils/scoped_handle.h"

// The hooks are permanent, so each case runs in a child process that
// installs them and then drives the registry from outside its own image, as
// the engine does. A routine's result is 0, or the line of the first check
// that failed.
#define CHILD_CHECK(condition) \
  if (!(condition))            \
  return __LINE__

namespace {

constexpr wchar_t kFeatureControl[] = L"Software\\tabbridge\\Main\\FeatureControl";
constexpr wchar_t kOwnProbeFeature[] =
    L"Software\\tabbridge\\Main\\FeatureControl\\FEATURE_TB_PROBE";
constexpr wchar_t kEngineFeatureControl[] =
    L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl";
constexpr wchar_t kEngineProbeFeature[] =
    L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_TB_PROBE";
constexpr wchar_t kOtherKey[] = L"Software\\tb_redirection_probe";

// Each key the tests open carries its own number in the value "tb_probe".
constexpr wchar_t kProbe[] = L"tb_probe";
enum ProbeNumber : DWORD {
  kNoProbe = 0,  // the key opened but carries no number
  kOwnFeatureControlNumber = 1,
  kOwnProbeFeatureNumber = 2,
  kEngineProbeFeatureNumber = 3,
  kOtherPlainNumber = 5,
};

// The number of the key that opening `subkey` of `root` from outside lands
// in; nothing when it does not open.
std::optional<DWORD> Landing(const OutsideCaller& caller, HKEY root, const wchar_t* subkey) {
  unique_hkey key;
  if (caller.reg_open_key_ex_w(root, subkey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return std::nullopt;
  DWORD number = kNoProbe;
  DWORD size = sizeof(number);
  caller.reg_query_value_ex_w(key.get(), kProbe, nullptr, nullptr, reinterpret_cast<BYTE*>(&number),
                              &size);
  return number;
}

bool SetDword(const std::wstring& key, const wchar_t* name, DWORD value) {
  return ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value,
                           sizeof(value)) == ERROR_SUCCESS;
}

unique_hkey OpenUnhooked(const char* subkey) {
  // The ANSI open is passed through unchanged, so it reaches the real key.
  unique_hkey key;
  ::RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, key.put());
  return key;
}

TB_CHILD_ROUTINE(RedirectsTheEnginesFeatureControlKey) {
  // A second call must not stack a second set of hooks.
  InstallRegistryHooks();
  InstallRegistryHooks();
  const std::optional<OutsideCaller> caller = OutsideCaller::Load();
  CHILD_CHECK(caller);
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    CHILD_CHECK(Landing(*caller, root, kEngineFeatureControl) == kOwnFeatureControlNumber);
    CHILD_CHECK(
        Landing(*caller, root, L"sOFTWARE\\mICROSOFT\\iNTERNET eXPLORER\\mAIN\\fEATUREcONTROL") ==
        kOwnFeatureControlNumber);
    // Only that exact path, not with a separator added.
    CHILD_CHECK(Landing(*caller, root, (std::wstring(kEngineFeatureControl) + L"\\").c_str()) !=
                std::optional<DWORD>(kOwnFeatureControlNumber));
  }
  // A feature below it in one call is the engine's own.
  CHILD_CHECK(Landing(*caller, HKEY_CURRENT_USER, kEngineProbeFeature) ==
              kEngineProbeFeatureNumber);
  return 0;
}

TB_CHILD_ROUTINE(RedirectsFeatureSubkeysOfOtherKeys) {
  // The parent removed the program's feature key, as on a first run;
  // start-up writes the features only after the hooks are in.
  InstallRegistryHooks();
  CHILD_CHECK(SetDword(kOwnProbeFeature, kProbe, kOwnProbeFeatureNumber));
  const std::optional<OutsideCaller> caller = OutsideCaller::Load();
  const unique_hkey engine = OpenUnhooked(
      "Software\\Microsoft\\Internet Explorer\\Main\\"
      "FeatureControl");
  const unique_hkey other = OpenUnhooked("Software\\tb_redirection_probe");
  CHILD_CHECK(caller && engine && other);
  CHILD_CHECK(Landing(*caller, engine.get(), L"feature_tb_probe") == kOwnProbeFeatureNumber);
  CHILD_CHECK(Landing(*caller, other.get(), L"FEATURE_TB_PROBE") == kOwnProbeFeatureNumber);
  CHILD_CHECK(Landing(*caller, other.get(), L"Plain") == kOtherPlainNumber);
  CHILD_CHECK(Landing(*caller, other.get(), L"featur") == std::nullopt);
  // Relative to the user and machine roots nothing changes.
  CHILD_CHECK(Landing(*caller, HKEY_CURRENT_USER, L"FEATURE_TB_PROBE") == std::nullopt);
  CHILD_CHECK(Landing(*caller, HKEY_LOCAL_MACHINE, L"FEATURE_TB_PROBE") == std::nullopt);
  return 0;
}

class RegistryRedirectionTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SetDword(kFeatureControl, kProbe, kOwnFeatureControlNumber));
    ASSERT_TRUE(SetDword(kOwnProbeFeature, kProbe, kOwnProbeFeatureNumber));
    ASSERT_TRUE(SetDword(kEngineProbeFeature, kProbe, kEngineProbeFeatureNumber));
    ASSERT_TRUE(SetDword(std::wstring(kOtherKey) + L"\\FEATURE_TB_PROBE", kProbe, 4));
    ASSERT_TRUE(SetDword(std::wstring(kOtherKey) + L"\\Plain", kProbe, kOtherPlainNumber));
  }

  std::optional<DWORD> Run(const char* routine) { return RunChild(CurrentTestProgram(), routine); }

  ScopedRegistryKeyBackup own_{HKEY_CURRENT_USER, kFeatureControl};
  ScopedRegistryKeyBackup engine_{HKEY_CURRENT_USER, kEngineProbeFeature};
  ScopedRegistryKeyBackup other_{HKEY_CURRENT_USER, kOtherKey};
};

}  // namespace

TEST_F(RegistryRedirectionTest, TheEnginesFeatureControlKeyOpensTheProgramsOwn) {
  EXPECT_EQ(Run("RedirectsTheEnginesFeatureControlKey"), 0u);
}

// As on a first run, when the program's key does not exist before the hooks.
TEST_F(RegistryRedirectionTest, FeatureSubkeysOfOtherKeysOpenBelowTheProgramsKey) {
  ASSERT_EQ(::RegDeleteTreeW(HKEY_CURRENT_USER, kFeatureControl), ERROR_SUCCESS);
  EXPECT_EQ(Run("RedirectsFeatureSubkeysOfOtherKeys"), 0u);
}
