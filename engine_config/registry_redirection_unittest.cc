#include "engine_config/registry_redirection.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/child_process.h"
#include "tests/outside_caller/outside_caller.h"
#include "tests/scoped_registry_backup.h"
#include "utils/scoped_handle.h"

// The hooks are permanent, so the case runs in a child process that installs
// them and then drives the registry from outside its own image, as the
// engine does.
namespace {

constexpr wchar_t kFeatureControl[] = L"Software\\tabbridge\\Main\\FeatureControl";
constexpr wchar_t kEngineFeatureControl[] =
    L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl";
constexpr wchar_t kOtherKey[] = L"Software\\tb_redirection_probe";

// Each key the test opens carries its own number in the value "tb_probe".
constexpr wchar_t kProbe[] = L"tb_probe";
enum ProbeNumber : DWORD {
  kNoProbe = 0,  // the key opened but carries no number
  kOwnFeatureControl,
  kOwnProbeFeature,
  kEngineProbeFeature,
  kOtherProbeFeature,
  kOtherPlain,
};

std::wstring Below(const wchar_t* key, const wchar_t* subkey) {
  return std::wstring(key) + L"\\" + subkey;
}

bool SetProbe(const std::wstring& key, DWORD number) {
  return ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), kProbe, REG_DWORD, &number,
                           sizeof(number)) == ERROR_SUCCESS;
}

// The number of the key that opening `subkey` of `root` from outside lands
// in; nothing when it does not open.
std::optional<DWORD> Landing(const OutsideCaller& caller, HKEY root, const std::wstring& subkey) {
  unique_hkey key;
  if (caller.reg_open_key_ex_w(root, subkey.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return std::nullopt;
  DWORD number = kNoProbe;
  DWORD size = sizeof(number);
  caller.reg_query_value_ex_w(key.get(), kProbe, nullptr, nullptr, reinterpret_cast<BYTE*>(&number),
                              &size);
  return number;
}

TB_CHILD_ROUTINE(RedirectsTheEnginesFeatureReads) {
  // A second call must not stack a second set of hooks.
  InstallRegistryHooks();
  InstallRegistryHooks();
  const std::optional<OutsideCaller> caller = OutsideCaller::Load();
  // The ANSI open is passed through unchanged, so it reaches the real keys.
  unique_hkey engine;
  unique_hkey other;
  ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl",
                  0, KEY_READ, engine.put());
  ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\tb_redirection_probe", 0, KEY_READ, other.put());
  // Start-up writes the program's features only after the hooks are in.
  CHILD_CHECK(caller && engine && other && SetProbe(kFeatureControl, kOwnFeatureControl) &&
              SetProbe(Below(kFeatureControl, L"FEATURE_TB_PROBE"), kOwnProbeFeature));
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    CHILD_CHECK(Landing(*caller, root, kEngineFeatureControl) == kOwnFeatureControl);
    CHILD_CHECK(
        Landing(*caller, root, L"sOFTWARE\\mICROSOFT\\iNTERNET eXPLORER\\mAIN\\fEATUREcONTROL") ==
        kOwnFeatureControl);
    // Only that exact path, not with a separator added.
    CHILD_CHECK(Landing(*caller, root, Below(kEngineFeatureControl, L"")) !=
                std::optional<DWORD>(kOwnFeatureControl));
  }
  // A feature below the engine's key in one call is the engine's own; one
  // opened relative to any other key is the program's.
  CHILD_CHECK(Landing(*caller, HKEY_CURRENT_USER,
                      Below(kEngineFeatureControl, L"FEATURE_TB_PROBE")) == kEngineProbeFeature);
  CHILD_CHECK(Landing(*caller, engine.get(), L"feature_tb_probe") == kOwnProbeFeature);
  CHILD_CHECK(Landing(*caller, other.get(), L"FEATURE_TB_PROBE") == kOwnProbeFeature);
  CHILD_CHECK(Landing(*caller, other.get(), L"Plain") == kOtherPlain);
  CHILD_CHECK(Landing(*caller, other.get(), L"featur") == std::nullopt);
  // Relative to the user and machine roots nothing changes.
  CHILD_CHECK(Landing(*caller, HKEY_CURRENT_USER, L"FEATURE_TB_PROBE") == std::nullopt);
  CHILD_CHECK(Landing(*caller, HKEY_LOCAL_MACHINE, L"FEATURE_TB_PROBE") == std::nullopt);
  return 0;
}

}  // namespace

TEST(RegistryRedirectionTest, TheEnginesFeatureKeysOpenTheProgramsOwn) {
  const std::wstring engine_feature = Below(kEngineFeatureControl, L"FEATURE_TB_PROBE");
  const ScopedRegistryKeyBackup own(HKEY_CURRENT_USER, kFeatureControl);
  const ScopedRegistryKeyBackup engine(HKEY_CURRENT_USER, engine_feature);
  const ScopedRegistryKeyBackup other(HKEY_CURRENT_USER, kOtherKey);
  // As on a first run, the program's key does not exist before the hooks.
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kFeatureControl);
  ASSERT_TRUE(SetProbe(engine_feature, kEngineProbeFeature));
  ASSERT_TRUE(SetProbe(Below(kOtherKey, L"FEATURE_TB_PROBE"), kOtherProbeFeature));
  ASSERT_TRUE(SetProbe(Below(kOtherKey, L"Plain"), kOtherPlain));
  EXPECT_EQ(RunChild(CurrentTestProgram(), "RedirectsTheEnginesFeatureReads"), 0u);
}
